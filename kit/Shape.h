#pragma once

#include <QColor>
#include <QWidget>

// A drawn shape that takes no input: a frame, a rounded highlight or a connecting piece.
class Shape : public QWidget {
    Q_OBJECT
  public:
    enum class Kind { Rectangle, RoundRect };

    Shape(Kind kind, QColor pen, Qt::PenStyle penStyle, QColor brush, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Kind kind_;
    QColor pen_;
    Qt::PenStyle penStyle_;
    QColor brush_;
};

#pragma once

#include <QList>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QToolButton;
class Shape;

// The work area Panel1: the five side buttons on the left as one exclusive group, the purple frame
// Shape1 on the right with the five function panels stacked inside it, and the highlight (Shape2 around
// the current side button, Shape3 joining it to the frame).
class WorkArea : public QWidget {
    Q_OBJECT
  public:
    explicit WorkArea(QWidget* parent = nullptr);

    // The side buttons SpeedButton2..SpeedButton6, top to bottom.
    const QList<QToolButton*>& sideButtons() const { return sideButtons_; }
    QButtonGroup* sideGroup() const { return sideGroup_; }

    // Puts a function panel into the stack; the first one added lies in front until another is raised.
    void addPanel(QWidget* panel);
    const QList<QWidget*>& panels() const { return panels_; }
    // Brings a panel in front of the others without hiding or changing them.
    void bringToFront(QWidget* panel);
    QWidget* frontPanel() const;

    // Moves the highlight frame to a side button.
    void moveHighlightTo(const QAbstractButton* button);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void layoutFrame();

    QList<QToolButton*> sideButtons_;
    QButtonGroup* sideGroup_;
    QList<QWidget*> panels_;
    QWidget* front_ = nullptr;
    Shape* frame_;      // Shape1
    Shape* highlight_;  // Shape2
    Shape* joint_;      // Shape3
};

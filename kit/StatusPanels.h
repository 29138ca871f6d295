#pragma once

#include <QStatusBar>

class QLabel;

// A status bar of fixed panels, each with its own width and alignment; a width of 0 takes the rest.
class StatusPanels : public QStatusBar {
    Q_OBJECT
  public:
    struct Panel {
        QString text;
        Qt::Alignment alignment;
        int width;
    };

    explicit StatusPanels(const QList<Panel>& panels, QWidget* parent = nullptr);

    int panelCount() const { return static_cast<int>(labels_.size()); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);
    QLabel* panel(int index) const { return labels_.value(index); }

  private:
    QList<QLabel*> labels_;
};

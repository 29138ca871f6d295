#pragma once

#include <QFrame>

// A function panel of the work area (Panel2 … Panel6): white, in its own look whatever the window
// style, stacked with the others inside the frame.
class FunctionPanel : public QFrame {
    Q_OBJECT
  public:
    explicit FunctionPanel(const QString& objectName, QWidget* parent = nullptr);

    // The loading step run each time navigation brings the panel to the front.
    virtual void broughtToFront() {}
};

// A panel that only carries its heading, for a function whose panel has not been built.
FunctionPanel* HeadingPanel(const QString& objectName, const QString& heading, const QString& colour);

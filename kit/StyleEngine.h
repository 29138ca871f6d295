#pragma once

#include <QObject>
#include <QString>

class QWidget;

// The window styles: eight style sheets, one of which is drawn on every window of the program at once,
// the secondary windows and message boxes included. A control whose dynamic property "tag" is 99 keeps
// its own look, and so does everything inside it. The engine comes up holding the built-in style (the
// same sheet as store entry 4) and draws nothing until it is activated.
class StyleEngine : public QObject {
    Q_OBJECT
  public:
    static constexpr int kStyleCount = 8;
    static constexpr int kBuiltInStyle = 4;
    static constexpr int kSpareTag = 99;

    explicit StyleEngine(QObject* parent = nullptr);
    // An active engine takes its style off the application when it goes.
    ~StyleEngine() override;

    // Loads store entry n and, when active, redraws every window in it. Outside 0..7 nothing happens,
    // the style in force stays, and the answer is false.
    bool loadStyle(int n);
    // The entry whose data are loaded (kBuiltInStyle until another is loaded).
    int loadedStyle() const { return loaded_; }

    bool isActive() const { return active_; }
    void activate();
    void deactivate();

    // The sheet of store entry n as stored (empty outside 0..7).
    static QString storedSheet(int n);
    // What the engine draws for store entry n: the scoped sheet, and dark texts for the radio buttons,
    // check boxes and group boxes that stand on a tagged panel's own light background.
    static QString sheetFor(int n);
    // A sheet rewritten so that each rule reaches only controls outside every tagged control.
    static QString scopedSheet(const QString& sheet);
    // True when the widget keeps its own look: it carries tag 99, lies inside a tagged grid, or lies on
    // a tagged panel without being of a kind the styles draw.
    static bool isSpared(const QWidget* widget);
    // Buttons, edit, combo and spin boxes, group boxes and the other kinds of control the styles draw.
    static bool isStyledKind(const QWidget* widget);

  protected:
    // True when the widget stands inside a tagged control of its own window.
    static bool isOnPanel(const QWidget* widget);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void mark(QWidget* widget) const;

    int loaded_ = kBuiltInStyle;
    bool active_ = false;
    QString sheet_;
};

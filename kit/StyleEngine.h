#pragma once

#include <QColor>
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
    // The name the sheet of store entry n gives its look in its first comment ("午夜蓝" for 样式七).
    static QString styleName(int n);
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

    // The texts a window colours itself (its headings, income and expense figures, notes), each readable
    // (at least 4.5:1) on the background it stands on.
    enum class Tone { Heading, Income, Expense, Muted };
    // Not a store entry: a light background of a window's own, such as a tagged panel's.
    static constexpr int kOwnBackground = -1;
    // The background of the windows of store entry n, as its sheet draws them (invalid outside 0..7).
    static QColor windowBackground(int n);
    // The tone on the windows of store entry n; for kOwnBackground (any n outside 0..7) the tone on a light
    // background (the tagged panels, and every window while no style is drawn).
    static QColor toneOf(Tone tone, int n);
    // The tone for a window drawn in the style in force: that of the active engine's style, else the one
    // on a light background.
    static QColor tone(Tone tone);
    // The same as a style-sheet declaration ("color: #rrggbb;"), for a widget's own sheet.
    static QString toneSheet(Tone tone);

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

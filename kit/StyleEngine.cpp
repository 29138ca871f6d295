#include "kit/StyleEngine.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QWidget>

// The sheets are compiled into the library; a static library needs its resources named once.
static void initStyleResources() {
    Q_INIT_RESOURCE(styles);
}

namespace {

// Every widget outside a tagged control carries this property with the value "1", the others "0"; each
// rule of a sheet asks for it on the control it draws.
const char kSkinProperty[] = "skinned";
// Controls drawn in the style but standing on a tagged panel carry this property with the value "1".
const char kOnPanelProperty[] = "onPanel";

// The function panels keep their own light background, whatever the style: the texts of the controls
// drawn straight onto them (radio buttons, check boxes, group boxes, flat tool buttons) stay dark so
// they can be read in the dark styles too.
const QString kOnPanelRules = QStringLiteral(
    "QRadioButton[onPanel=\"1\"], QCheckBox[onPanel=\"1\"], QGroupBox[onPanel=\"1\"] { color: #1f2937; }\n"
    "QGroupBox[onPanel=\"1\"]::title { color: #1f2937; }\n"
    "QToolButton[onPanel=\"1\"] { color: #1f2937; }\n"
    "QToolButton[onPanel=\"1\"]:disabled { color: #9a9a9a; }\n");
const QString kSkinCondition = QStringLiteral("[skinned=\"1\"]");

// The one engine that has the application's style sheet.
StyleEngine* activeEngine = nullptr;

// The tones of the texts windows colour themselves: one set for light backgrounds, one for dark ones.
struct Tones {
    QColor heading, income, expense, muted;
};
const Tones kOnLight{QColor(0x1f, 0x4e, 0x9a), QColor(0x17, 0x6b, 0x2c), QColor(0xb7, 0x1c, 0x1c),
                     QColor(0x5a, 0x5a, 0x5a)};
const Tones kOnDark{QColor(0x7f, 0xc4, 0xff), QColor(0x8e, 0xe5, 0x9f), QColor(0xff, 0x9e, 0x99),
                    QColor(0xc4, 0xcc, 0xd6)};

QString scopeSelector(const QString& selector) {
    const QString trimmed = selector.trimmed();
    if (trimmed.isEmpty())
        return trimmed;
    // The subject is the last compound selector; the condition goes before its pseudo-states and
    // sub-controls.
    qsizetype start = 0;
    for (qsizetype i = trimmed.size() - 1; i >= 0; --i) {
        const QChar c = trimmed.at(i);
        if (c.isSpace() || c == QLatin1Char('>')) {
            start = i + 1;
            break;
        }
    }
    qsizetype insertAt = trimmed.indexOf(QLatin1Char(':'), start);
    if (insertAt < 0)
        insertAt = trimmed.size();
    return trimmed.left(insertAt) + kSkinCondition + trimmed.mid(insertAt);
}

}  // namespace

StyleEngine::StyleEngine(QObject* parent) : QObject(parent) {
    initStyleResources();
    sheet_ = sheetFor(loaded_);
}

StyleEngine::~StyleEngine() {
    deactivate();
}

QString StyleEngine::storedSheet(int n) {
    if (n < 0 || n >= kStyleCount)
        return QString();
    QFile file(QStringLiteral(":/styles/style%1.qss").arg(n + 1));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QString StyleEngine::styleName(int n) {
    // The sheets open with "/* 样式七：午夜蓝 */"; the text after the colon may carry a note in brackets.
    static const QRegularExpression heading(QStringLiteral("^/\\*[^：*]*：([^*（]+)"));
    return heading.match(storedSheet(n)).captured(1).trimmed();
}

QString StyleEngine::scopedSheet(const QString& sheet) {
    static const QRegularExpression comment(QStringLiteral("/\\*.*?\\*/"),
                                            QRegularExpression::DotMatchesEverythingOption);
    QString text = sheet;
    text.remove(comment);
    QString out;
    qsizetype pos = 0;
    while (true) {
        const qsizetype open = text.indexOf(QLatin1Char('{'), pos);
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(QLatin1Char('}'), open);
        if (close < 0)
            break;
        QStringList selectors = text.mid(pos, open - pos).split(QLatin1Char(','));
        for (QString& s : selectors)
            s = scopeSelector(s);
        out += selectors.join(QStringLiteral(", ")) + QStringLiteral(" ") + text.mid(open, close - open + 1) +
               QLatin1Char('\n');
        pos = close + 1;
    }
    return out;
}

bool StyleEngine::isStyledKind(const QWidget* widget) {
    // The kinds of control the styles draw wherever they stand: buttons of every sort, edit, combo and
    // spin boxes, group boxes, scroll and progress bars, sliders, tabs, tool and status bars.
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QComboBox*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QGroupBox*>(widget) || qobject_cast<const QAbstractSlider*>(widget) ||
           qobject_cast<const QProgressBar*>(widget) || qobject_cast<const QTabBar*>(widget) ||
           qobject_cast<const QTabWidget*>(widget) || qobject_cast<const QToolBar*>(widget) ||
           qobject_cast<const QStatusBar*>(widget);
}

bool StyleEngine::isSpared(const QWidget* widget) {
    // Only the widget's own window counts: a dialog opened from a tagged control is a window of its own.
    bool insideGrid = false;
    for (const QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (w != widget && qobject_cast<const QAbstractItemView*>(w))
            insideGrid = true;
        if (w->property("tag").toInt() != kSpareTag)
            continue;
        // The tagged control keeps its own look, and so does every part of a tagged grid; the controls
        // placed on a tagged panel follow the style, its labels and inner panels keep theirs.
        if (w == widget || insideGrid || qobject_cast<const QAbstractItemView*>(w))
            return true;
        return !isStyledKind(widget);
    }
    return false;
}

QColor StyleEngine::windowBackground(int n) {
    static const QRegularExpression rule(
        QStringLiteral("QDialog\\s*\\{[^}]*background:\\s*(#[0-9a-fA-F]{6})"));
    const QRegularExpressionMatch match = rule.match(storedSheet(n));
    return match.hasMatch() ? QColor(match.captured(1)) : QColor();
}

QColor StyleEngine::toneOf(Tone tone, int n) {
    const QColor background = windowBackground(n);
    const Tones& tones = background.isValid() && background.lightness() < 128 ? kOnDark : kOnLight;
    switch (tone) {
        case Tone::Heading:
            return tones.heading;
        case Tone::Income:
            return tones.income;
        case Tone::Expense:
            return tones.expense;
        case Tone::Muted:
            break;
    }
    return tones.muted;
}

QColor StyleEngine::tone(Tone tone) {
    return toneOf(tone, activeEngine ? activeEngine->loaded_ : kOwnBackground);
}

QString StyleEngine::toneSheet(Tone tone) {
    return QStringLiteral("color: %1;").arg(StyleEngine::tone(tone).name());
}

QString StyleEngine::sheetFor(int n) {
    const QString stored = storedSheet(n);
    return stored.isEmpty() ? QString() : scopedSheet(stored) + kOnPanelRules;
}

bool StyleEngine::isOnPanel(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (w->property("tag").toInt() == kSpareTag)
            return true;
    }
    return false;
}

void StyleEngine::mark(QWidget* widget) const {
    const bool spared = isSpared(widget);
    widget->setProperty(kSkinProperty, spared ? QStringLiteral("0") : QStringLiteral("1"));
    widget->setProperty(kOnPanelProperty,
                        !spared && isOnPanel(widget) ? QStringLiteral("1") : QStringLiteral("0"));
}

bool StyleEngine::loadStyle(int n) {
    if (n < 0 || n >= kStyleCount)
        return false;
    loaded_ = n;
    sheet_ = sheetFor(n);
    if (active_)
        qApp->setStyleSheet(sheet_);
    return true;
}

void StyleEngine::activate() {
    if (active_)
        return;
    if (activeEngine)
        activeEngine->deactivate();
    activeEngine = this;
    active_ = true;
    qApp->installEventFilter(this);
    const QList<QWidget*> widgets = QApplication::allWidgets();
    for (QWidget* w : widgets)
        mark(w);
    qApp->setStyleSheet(sheet_);
}

void StyleEngine::deactivate() {
    if (!active_)
        return;
    active_ = false;
    activeEngine = nullptr;
    qApp->removeEventFilter(this);
    qApp->setStyleSheet(QString());
}

bool StyleEngine::eventFilter(QObject* watched, QEvent* event) {
    // A widget is marked just before it is first drawn, and again when it moves into or out of a tagged
    // control after that.
    if (event->type() == QEvent::Polish) {
        if (auto* widget = qobject_cast<QWidget*>(watched))
            mark(widget);
    } else if (event->type() == QEvent::ParentChange) {
        if (auto* moved = qobject_cast<QWidget*>(watched)) {
            QList<QWidget*> affected = moved->findChildren<QWidget*>();
            affected.prepend(moved);
            for (QWidget* widget : affected) {
                const QVariant before = widget->property(kSkinProperty);
                const QVariant onPanelBefore = widget->property(kOnPanelProperty);
                mark(widget);
                if (before.isValid() && (before != widget->property(kSkinProperty) ||
                                         onPanelBefore != widget->property(kOnPanelProperty))) {
                    widget->style()->unpolish(widget);
                    widget->style()->polish(widget);
                }
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

#include "kit/StyleEngine.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QRegularExpression>
#include <QStyle>
#include <QWidget>

// The sheets are compiled into the library; a static library needs its resources named once.
static void initStyleResources() {
    Q_INIT_RESOURCE(styles);
}

namespace {

// Every widget outside a tagged control carries this property with the value "1", the others "0"; each
// rule of a sheet asks for it on the control it draws.
const char kSkinProperty[] = "skinned";
const QString kSkinCondition = QStringLiteral("[skinned=\"1\"]");

// The one engine that has the application's style sheet.
StyleEngine* activeEngine = nullptr;

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
    sheet_ = scopedSheet(storedSheet(loaded_));
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

bool StyleEngine::isSpared(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (w->property("tag").toInt() == kSpareTag)
            return true;
    }
    return false;
}

void StyleEngine::mark(QWidget* widget) const {
    widget->setProperty(kSkinProperty, isSpared(widget) ? QStringLiteral("0") : QStringLiteral("1"));
}

bool StyleEngine::loadStyle(int n) {
    if (n < 0 || n >= kStyleCount)
        return false;
    loaded_ = n;
    sheet_ = scopedSheet(storedSheet(n));
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
                mark(widget);
                if (before.isValid() && before != widget->property(kSkinProperty)) {
                    widget->style()->unpolish(widget);
                    widget->style()->polish(widget);
                }
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

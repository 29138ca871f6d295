#include "kit/ChineseUi.h"

#include "kit/DatePicks.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QEvent>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Qt's zh_CN locale starts weeks on Sunday; a Chinese wall calendar starts them on Monday. Every
// calendar, also the ones that date fields make for their pop-ups, is set so when it is first polished,
// and sized to show its heading and six whole weeks.
class MondayCalendars : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Polish) {
            if (auto* calendar = qobject_cast<QCalendarWidget*>(watched)) {
                calendar->setFirstDayOfWeek(Qt::Monday);
                FitCalendar(calendar);
            }
        }
        return false;
    }
};

}  // namespace

QStringList ChineseFallbackFamilies() {
    // The Chinese font the package depends on, then the recommended ones: colour emoji, and the two
    // Hanazono faces that hold the CJK Extension A and B ideographs (𠀀, 𪚥), then Noto CJK if present.
    return {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Color Emoji"),
            QStringLiteral("HanaMinA"), QStringLiteral("HanaMinB"), QStringLiteral("Noto Sans CJK SC")};
}

void InstallChineseQtTranslations(QApplication& app) {
    // The system locale may well be "C": every widget made from now on takes this one instead.
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    app.installEventFilter(new MondayCalendars(&app));

    auto* translator = new QTranslator(&app);
    if (translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
    }

    // Whatever family a window asks for, the fallbacks stand behind it; the application font lists them
    // too, so that text in the default font finds them before the system's own guess.
    const QStringList fallbacks = ChineseFallbackFamilies();
    QFont font = QApplication::font();
    QStringList families{font.family()};
    for (const QString& family : fallbacks) {
        if (!families.contains(family))
            families << family;
    }
    for (const QString& family : std::as_const(families)) {
        QStringList others = families;
        others.removeAll(family);
        QFont::insertSubstitutions(family, others);
    }
    font.setFamilies(families);
    QApplication::setFont(font);
}

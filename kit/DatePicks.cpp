#include "kit/DatePicks.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QHeaderView>
#include <QLayout>
#include <QStyle>
#include <QTableView>
#include <QToolButton>

#include <memory>

void OnDatePicked(QDateEdit* picker, QObject* context, std::function<void(const QDate&)> picked) {
    picker->setCalendarPopup(true);
    QCalendarWidget* calendar = picker->calendarWidget();
    // Set while the date has moved since the last pick.
    auto moved = std::make_shared<bool>(false);
    auto pick = std::make_shared<std::function<void(const QDate&)>>(std::move(picked));
    const auto onCalendar = [moved, pick](const QDate& day) {
        *moved = false;
        (*pick)(day);
    };
    QObject::connect(calendar, &QCalendarWidget::clicked, context, onCalendar);
    QObject::connect(calendar, &QCalendarWidget::activated, context, onCalendar);
    QObject::connect(picker, &QDateEdit::dateChanged, context, [moved] { *moved = true; });
    QObject::connect(picker, &QDateEdit::editingFinished, context, [picker, moved, pick] {
        if (!*moved)
            return;
        *moved = false;
        (*pick)(picker->date());
    });
}

void FitCalendar(QCalendarWidget* calendar) {
    auto* month = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    auto* view = calendar->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
    auto* bar = calendar->findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"));
    if (!month || !view || !bar)
        return;
    // The fonts and paddings of the window style count: the children are polished first.
    month->ensurePolished();
    view->ensurePolished();
    bar->ensurePolished();
    // The month name is centred and the arrow drawn at the button's right edge: room for the arrow on
    // both sides keeps the name clear of it.
    int widest = 0;
    for (int m = 1; m <= 12; ++m)
        widest =
            qMax(widest, month->fontMetrics().horizontalAdvance(calendar->locale().standaloneMonthName(m)));
    const int arrow = month->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, month);
    month->setMinimumWidth(widest + 2 * arrow + 12);
    // A window style draws the arrow in the button's padding at its right: that padding is made wide
    // enough for it, whatever else the style gives the button.
    month->setStyleSheet(QStringLiteral("QToolButton { padding-right: %1px; }").arg(arrow + 6));
    // The day names and six weeks, each row at least as tall as its header section allows.
    const int row = qMax(view->verticalHeader()->minimumSectionSize(), view->fontMetrics().height() + 4);
    const int spacing = calendar->layout() ? calendar->layout()->spacing() : 0;
    calendar->setMinimumHeight(bar->sizeHint().height() + qMax(0, spacing) + 7 * row +
                               2 * view->frameWidth());
}

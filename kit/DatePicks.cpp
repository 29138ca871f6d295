#include "kit/DatePicks.h"

#include <QCalendarWidget>
#include <QDateEdit>

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

#pragma once

#include <QDate>

#include <functional>

class QCalendarWidget;
class QDateEdit;
class QObject;

// Calls `picked` with the day the user chose on a calendar drop-down button (a QDateEdit with its
// calendar pop-up):
// - at every click, or Enter, on a day of the calendar, also on the day the button already holds;
// - after the date was stepped with the mouse wheel or the arrow keys, or moved about in the calendar
//   without a pick, once when the user is done with the button (Enter, or the focus leaving it).
// Stepping itself picks nothing, so that whatever follows a pick runs once and not at every step.
// The connections live as long as `context`.
void OnDatePicked(QDateEdit* picker, QObject* context, std::function<void(const QDate&)> picked);

// Sizes a calendar so that it shows its heading and all six weeks of any month: the month button is
// wide enough for the longest month name beside its drop-down arrow, and the calendar tall enough for
// the row of day names and six rows of days at the height each row needs. Every calendar of the
// program gets this when it is first polished (kit/ChineseUi), the pop-ups of the date boxes too.
void FitCalendar(QCalendarWidget* calendar);

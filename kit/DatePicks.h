#pragma once

#include <QDate>

#include <functional>

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

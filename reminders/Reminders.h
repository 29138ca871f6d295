#pragma once

#include "data/Result.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// A reminder event of the table tixing.
struct Reminder {
    qint64 id = 0;    // the hidden key; 0 for an event not stored yet
    QString date;     // riqi, yyyy-MM-dd
    QString range;    // fanwei: 当天, 每天 or 每月
    QString content;  // neirong, as typed (a missing content reads as empty)
};

// Whether an event is due on the given day: 当天 on its own date, 每天 always, 每月 on the day of the
// month of its date (a 31st is not due in a month without one). Any other range, and a 每月 event whose
// date cannot be read, is never due.
bool IsDueOn(const Reminder& reminder, const QDate& day);

// The contents of the events due on the day, in the given order.
QStringList DueContents(const QList<Reminder>& reminders, const QDate& day);

// The notice of the due events: the heading, the star line, then each content followed by the star
// line; every line ends with a carriage return alone. Empty when nothing is due.
QString NoticeText(const QStringList& dueContents);

inline const QString kStarLine = QStringLiteral("★   ＊＊＊＊＊＊＊＊＊＊＊＊＊＊＊   ★");
inline const QString kNoticeHeading = QStringLiteral("注意：今天提醒事情如下：");

// Every event in the table's own order.
Result<QList<Reminder>> LoadReminders(QSqlDatabase db);
// Stores a new event and gives its key.
Result<qint64> AddReminder(QSqlDatabase db, const Reminder& reminder);
// Deletes the event with the key; a key that matches nothing changes nothing.
Status DeleteReminder(QSqlDatabase db, qint64 id);

// ShowTodayReminders: the notice of today's events in a box (caption "Quorvane提示", exclamation icon,
// OK), or no box at all when nothing is due. A database error is reported and shows no notice. The lines
// `alsoDue` (such as the budgets past their amount this month) are listed after the events.
void ShowTodayReminders(QSqlDatabase db, const QStringList& alsoDue = {});

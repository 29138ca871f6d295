#include "reminders/Reminders.h"

#include "data/DateText.h"
#include "data/Statements.h"
#include "kit/Prompt.h"
#include "kit/Today.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

bool IsDueOn(const Reminder& reminder, const QDate& day) {
    if (reminder.range == QString::fromUtf8(Codes::kOnce))
        return reminder.date == ShortDate(day);
    if (reminder.range == QString::fromUtf8(Codes::kDaily))
        return true;
    if (reminder.range == QString::fromUtf8(Codes::kMonthly)) {
        const Result<QDate> date = ParseDate(reminder.date);
        return date.isOk() && date->day() == day.day();
    }
    return false;
}

QStringList DueContents(const QList<Reminder>& reminders, const QDate& day) {
    QStringList due;
    for (const Reminder& r : reminders) {
        if (IsDueOn(r, day))
            due.append(r.content);
    }
    return due;
}

QString NoticeText(const QStringList& dueContents) {
    if (dueContents.isEmpty())
        return {};
    const QChar cr(13);
    QString text = kNoticeHeading + cr + kStarLine + cr;
    for (const QString& content : dueContents)
        text += content + cr + kStarLine + cr;
    return text;
}

Result<QList<Reminder>> LoadReminders(QSqlDatabase db) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QString::fromUtf8(Sql::kAllReminders)))
        return Result<QList<Reminder>>::failure(query.lastError().text());
    const QSqlRecord record = query.record();
    const int id = record.indexOf(QStringLiteral("id"));
    const int date = record.indexOf(QStringLiteral("riqi"));
    const int range = record.indexOf(QStringLiteral("fanwei"));
    const int content = record.indexOf(QStringLiteral("neirong"));
    QList<Reminder> rows;
    while (query.next()) {
        rows.append({query.value(id).toLongLong(), query.value(date).toString(),
                     query.value(range).toString(), query.value(content).toString()});
    }
    return rows;
}

Result<qint64> AddReminder(QSqlDatabase db, const Reminder& reminder) {
    QSqlQuery query(db);
    query.prepare(QString::fromUtf8(Sql::kAddReminder));
    query.bindValue(QStringLiteral(":riqi"), reminder.date);
    query.bindValue(QStringLiteral(":fanwei"), reminder.range);
    query.bindValue(QStringLiteral(":neirong"), reminder.content);
    if (!query.exec())
        return Result<qint64>::failure(query.lastError().text());
    return query.lastInsertId().toLongLong();
}

Status DeleteReminder(QSqlDatabase db, qint64 id) {
    QSqlQuery query(db);
    query.prepare(QString::fromUtf8(Sql::kDeleteReminder));
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec())
        return Status::failure(query.lastError().text());
    return Status::ok();
}

void ShowTodayReminders(QSqlDatabase db) {
    const Result<QList<Reminder>> rows = LoadReminders(db);
    if (!rows) {
        ReportError(rows.error());
        return;
    }
    const QString text = NoticeText(DueContents(rows.value(), Today()));
    if (text.isEmpty())
        return;
    Prompt::current().show(Captions::kNotice, text, Prompt::Buttons::Ok, Prompt::Icon::Warning);
}

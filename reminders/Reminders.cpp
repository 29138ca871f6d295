#include "reminders/Reminders.h"

#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/Statements.h"
#include "kit/Prompt.h"
#include "kit/Today.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// What the rule of a day compares with, made once for a whole table of events.
struct DueRule {
    QString once = QString::fromUtf8(Codes::kOnce);
    QString daily = QString::fromUtf8(Codes::kDaily);
    QString monthly = QString::fromUtf8(Codes::kMonthly);
    QString shortDay;
    int dayOfMonth;

    explicit DueRule(const QDate& day) : shortDay(ShortDate(day)), dayOfMonth(day.day()) {}
};

// The day of the month of an event's date, or 0 when the date cannot be read. A date written
// yyyy-MM-dd is read directly; any other form goes through the lenient reading.
int dayOfMonthOf(const QString& text) {
    if (text.size() == 10 && text[4] == QLatin1Char('-') && text[7] == QLatin1Char('-')) {
        bool digits = true;
        for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
            digits = digits && text[i].isDigit() && text[i].unicode() < 128;
        if (digits) {
            const int y = text.left(4).toInt();
            const QDate date(y, text.mid(5, 2).toInt(), text.mid(8, 2).toInt());
            return date.isValid() && y > 0 ? date.day() : 0;
        }
    }
    const Result<QDate> date = ParseDate(text);
    return date.isOk() ? date->day() : 0;
}

bool isDue(const Reminder& reminder, const DueRule& rule) {
    if (reminder.range == rule.once)
        return reminder.date == rule.shortDay;
    if (reminder.range == rule.daily)
        return true;
    if (reminder.range == rule.monthly)
        return dayOfMonthOf(reminder.date) == rule.dayOfMonth;
    return false;
}

}  // namespace

bool IsDueOn(const Reminder& reminder, const QDate& day) {
    return isDue(reminder, DueRule(day));
}

QStringList DueContents(const QList<Reminder>& reminders, const QDate& day) {
    const DueRule rule(day);
    QStringList due;
    for (const Reminder& r : reminders) {
        if (isDue(r, rule))
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
        return Result<QList<Reminder>>::failure(DatabaseErrors::Describe(query.lastError()));
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
        return Result<qint64>::failure(DatabaseErrors::Describe(query.lastError()));
    return query.lastInsertId().toLongLong();
}

Status DeleteReminder(QSqlDatabase db, qint64 id) {
    QSqlQuery query(db);
    query.prepare(QString::fromUtf8(Sql::kDeleteReminder));
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec())
        return Status::failure(DatabaseErrors::Describe(query.lastError()));
    return Status::ok();
}

void ShowTodayReminders(QSqlDatabase db, const QStringList& alsoDue) {
    const Result<QList<Reminder>> rows = LoadReminders(db);
    if (!rows) {
        ReportError(rows.error());
        return;
    }
    const QString text = NoticeText(DueContents(rows.value(), Today()) + alsoDue);
    if (text.isEmpty())
        return;
    Prompt::current().show(Captions::kNotice, text, Prompt::Buttons::Ok, Prompt::Icon::Warning);
}

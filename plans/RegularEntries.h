#pragma once

#include "data/Money.h"
#include "data/Result.h"
#include "ledger/EntryBook.h"
#include "plans/Schedule.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

class Database;

// An income or expense that repeats (定期收支): what each occurrence enters, when it falls due, whether
// it enters itself or is proposed, and the last date done (each occurrence up to it has been entered
// or skipped; invalid while none has).
struct RegularEntry {
    qint64 id = 0;
    EntryType type = EntryType::Expense;
    QString detail;
    Money amount;
    qint64 place = 0;  // zhangwubiao.id
    QString remarks;
    Schedule schedule;
    bool automatic = false;
    QDate lastDone;
};

// The unit as stored in dingqishouzhi.danwei, and its Chinese name (天, 周, 个月, 年).
QString UnitCode(Schedule::Unit unit);
QString UnitName(Schedule::Unit unit);
// "每1个月，31日（月末）" and the like: how the list names the repetition.
QString RepetitionText(const Schedule& schedule);

// What is wrong with a regular entry before it is stored, in Chinese with what to do; ok when nothing
// is: an empty 明细, an amount of zero, below zero or beyond the limit, no place, every 0 (or more than
// 999), a day of the month outside 1 to 31, no start, an end before the start, a number of times below 1.
Status CheckRegularEntry(const RegularEntry& entry);

// Every regular entry, in the order they were added.
Result<QList<RegularEntry>> ReadRegularEntries(QSqlDatabase db);
// How many regular entries the household holds.
Result<qint64> CountRegularEntries(QSqlDatabase db);

// Stores a new regular entry (id 0) or the changes of one, after CheckRegularEntry; gives back its key.
// A change is refused, with nothing written, when the stored entry is no longer `asRead` (another
// computer or window changed or deleted it meanwhile; its last date done may have moved). The last
// date done stays as stored: a change never enters or skips anything.
Result<qint64> SaveRegularEntry(Database& database, const RegularEntry& entry,
                                const RegularEntry& asRead = {});
// Deletes a regular entry, refused like a change when it is no longer `asRead`; the entries it made stay
// in the books.
Status DeleteRegularEntry(Database& database, const RegularEntry& asRead);

// Moves the last date done of a regular entry from `asRead` to `done`, inside the caller's transaction,
// only while it still stands at `asRead`: when another computer or window moved it meanwhile the
// occurrence has been dealt with there, and this fails so that the transaction writes nothing.
Status MarkDone(QSqlDatabase db, qint64 id, const QDate& asRead, const QDate& done);

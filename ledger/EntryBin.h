#pragma once

#include "data/Money.h"
#include "data/Result.h"
#include "ledger/EntryBook.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

class Database;
class HomeSafe;

// The bin of deleted income and expense entries (table huishouzhan). An entry enters it in the
// transaction that deletes it (EntryBook::remove), leaves it when it is restored, when the bin is
// emptied, or by itself a year after it was deleted.

// One deleted entry as the bin keeps it.
struct BinEntry {
    qint64 id = 0;     // the bin row's key, not the entry's old one
    QString typeCode;  // "shouru" or "zhichu" as the entry stored it
    QString detail;
    Money amount;
    QString date;
    QString registrar;
    QString remarks;
    QString deletedBy;
    QString deletedAt;  // "yyyy-MM-dd HH:mm:ss"

    // Anything but income is handled as an expense, as the totals count it.
    EntryType type() const;
};

// When a deletion happens: today's date (the pinnable one) and the time of day.
QString BinTimestamp();

// Copies the entry `entryId` into the bin; runs inside the caller's transaction.
Status KeepInBin(QSqlDatabase db, qint64 entryId, const QString& deletedBy, const QString& deletedAt);

// The bin, newest deletion first.
Result<QList<BinEntry>> BinEntries(QSqlDatabase db);

// Puts a deleted entry back: saved as a new entry of its type through the entry book, so the home
// safe moves exactly as a new save of that entry would, and the bin's row goes in the same transaction.
// Returns the new entry's key.
Result<qint64> RestoreFromBin(Database& database, HomeSafe& homeSafe, const BinEntry& entry);

// Removes every entry from the bin in one transaction.
Status EmptyBin(Database& database);

// Removes the entries deleted more than a year before `today` (one deleted on the same day a year ago
// stays until the next day). Returns how many left.
Result<int> ExpireBin(Database& database, const QDate& today);

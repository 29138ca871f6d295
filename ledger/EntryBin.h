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
// transaction that deletes it (EntryBook::remove), leaves it when it is restored, when the bin window
// that lists it is emptied, or by itself a year after it was deleted.

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
    qint64 place = 0;   // the place it was paid from or into; restored there

    // Anything but income is handled as an expense, as the totals count it.
    EntryType type() const;
};

// When a deletion happens: today's date (the pinnable one) and the time of day.
QString BinTimestamp();

// Copies the entry `entryId` into the bin; runs inside the caller's transaction.
Status KeepInBin(QSqlDatabase db, qint64 entryId, const QString& deletedBy, const QString& deletedAt);

// The bin, newest deletion first.
Result<QList<BinEntry>> BinEntries(QSqlDatabase db);

// Where a deleted entry's place stands now: open, closed since, or removed since.
enum class BinPlaceState { Open, Closed, Gone };
struct BinPlace {
    BinPlaceState state = BinPlaceState::Gone;
    QString name;  // empty when gone
};
Result<BinPlace> PlaceOfBinEntry(QSqlDatabase db, const BinEntry& entry);

// Where a restore puts the entry: on its place as it stands (a closed or removed place refuses), on its
// place opened again first, or on the home safe instead of a place that is gone.
enum class RestoreTo { Place, ReopenedPlace, HomeSafe };

// Puts a deleted entry back: saved as a new entry of its type through the entry book, so the place moves
// exactly as a new save of that entry would; the reopening of the place (when asked) and the removal of
// the bin's row happen in the same transaction. Returns the new entry's key.
Result<qint64> RestoreFromBin(Database& database, HomeSafe& homeSafe, const BinEntry& entry,
                              RestoreTo to = RestoreTo::Place);

// Removes the bin rows `ids` (those a window lists) in one transaction; a row deleted meanwhile by
// another window or computer stays. Returns how many left the bin.
Result<int> EmptyBin(Database& database, const QList<qint64>& ids);

// Removes the entries that have been in the bin for more than a year. A row leaves when it was deleted
// before the same day a year before `today` (one deleted on that day stays until the next day) and
// more than a day before the newest deletion the bin holds. Each deletion time is written by the clock
// of the computer that deleted the entry, so the newest one is a moment the household has surely
// reached: a clock that runs or jumps ahead may take a row deleted minutes ago for a year old, but
// that row is never a day older than the newest deletion. Rows deleted after `today` or less than a
// day before it never leave; when the newest deletion time does not read as one, nothing leaves.
// Returns how many left.
Result<int> ExpireBin(Database& database, const QDate& today);

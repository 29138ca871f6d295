#pragma once

#include "data/Money.h"
#include "data/Result.h"

#include <QDate>
#include <QList>
#include <QSqlQuery>
#include <QString>

#include <functional>
#include <optional>

class Database;
class HomeSafe;

// The two kinds of entry. An income raises the home safe, an expense lowers it.
enum class EntryType { Income, Expense };

// The coded value stored in shouzhibiao.leixing ("shouru" or "zhichu").
QString EntryTypeCode(EntryType type);

// The home safe after an entry is saved: an income takes away the amount it had before the edit and adds
// the amount saved, an expense the other way round. A new row has 0 before the edit. Overflow fails.
Result<Money> BalanceAfterSave(EntryType type, Money balance, Money before, Money saved);
// The home safe after an entry is deleted: an income's amount leaves it, an expense's comes back.
Result<Money> BalanceAfterDelete(EntryType type, Money balance, Money amount);
// Both applied to a balance of 0 give the change a save or a deletion makes to the home safe.

// Which entries the list shows.
enum class ListFilter { Today, All };

// The values of an entry as its boxes hold them. The amount has been parsed already; the date is the
// text of the date box.
struct EntryText {
    QString detail;
    Money amount;
    QString date;
    QString registrar;
    QString remarks;
    qint64 place = 0;  // the place paid from or into (zhangwubiao.id); 0 is the home safe
};

// The entries of one type: the list query and the changes that move the places. Every change writes
// the row and applies its change to the stored balance of each place it touches in one transaction
// (HomeSafe::moveAt): an entry moved to another place leaves the first and lands on the second. It
// and the balance in memory moves only after the commit; a failure leaves row, stored balance and memory
// as they were. The change is worked out from the row as stored, read in that transaction: an edited or
// deleted row first takes back what it stored, whatever the panel remembers. A place closed or removed
// meanwhile, or a credit card past its limit, refuses the change.
class EntryBook {
  public:
    EntryBook(Database& database, HomeSafe& homeSafe, EntryType type);

    EntryType type() const { return type_; }

    // The list's rows, executed and ready for a model: today's entries or all of the type. Rows saved
    // since the last reload (`keep`) are listed too, after the others, even when they no longer match.
    Result<QSqlQuery> list(ListFilter filter, const QDate& today, const QList<qint64>& keep) const;

    // One row of the book as stored, as a list shows it; fails when the row is gone or is of the other
    // type.
    Result<EntryText> read(qint64 id) const;

    // Stores a new row (id empty) or the changes of an existing one. `asRead` is the row as the panel
    // read it before the edit began: when the stored row differs from it in any field (another window or
    // another computer changed or deleted it meanwhile), the edit is refused and nothing changes, so that
    // neither edit is lost unseen. The date text must read as a date; it is stored in the short form.
    // Returns the row's id. `alsoWrite` runs in the same transaction (a restore from the bin removes the
    // bin's row there).
    Result<qint64> save(std::optional<qint64> id, const EntryText& entry, const EntryText& asRead = {},
                        const std::function<Status()>& alsoWrite = {});

    // Deletes a row, refused like an edit when the stored row is no longer the one read (`asRead`). The
    // row goes to the bin in the same transaction, marked as deleted by `deletedBy` now.
    Status remove(qint64 id, const EntryText& asRead, const QString& deletedBy);

    // Whether the last save or deletion was refused because its row had been changed or deleted
    // elsewhere since it was read; the row is then best shown again as it now stands.
    bool refusedAsChanged() const { return refusedAsChanged_; }

  private:
    // The key of an entry's place: its own, or the home safe's for 0.
    Result<qint64> placeOf(const EntryText& entry) const;
    // The row as stored, inside the open transaction, when it is still the row read; otherwise the
    // refusal, marked in refusedAsChanged_.
    Result<EntryText> unchangedRow(qint64 id, const EntryText& asRead, const QString& action);

    Database& database_;
    HomeSafe& homeSafe_;
    EntryType type_;
    bool refusedAsChanged_ = false;
};

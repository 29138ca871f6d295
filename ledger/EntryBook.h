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
};

// The entries of one type: the list query and the changes that move the home safe. Every change writes
// the row and the home safe's new balance in one transaction, and the balance in memory moves only
// after the commit; a failure leaves row, stored balance and memory as they were.
class EntryBook {
  public:
    EntryBook(Database& database, HomeSafe& homeSafe, EntryType type);

    EntryType type() const { return type_; }

    // The list's rows, executed and ready for a model: today's entries or all of the type. Rows saved
    // since the last reload (`keep`) are listed too, after the others, even when they no longer match.
    Result<QSqlQuery> list(ListFilter filter, const QDate& today, const QList<qint64>& keep) const;

    // Stores a new row (id empty) or the changes of an existing one, with the balance rule for the amount
    // it had before the edit. The date text must read as a date; it is stored in the short form.
    // Returns the row's id. `alsoWrite` runs in the same transaction (a restore from the bin removes the
    // bin's row there).
    Result<qint64> save(std::optional<qint64> id, const EntryText& entry, Money before,
                        const std::function<Status()>& alsoWrite = {});

    // Deletes a row; `amount` is the amount the row shows. The row goes to the bin in the same
    // transaction, marked as deleted by `deletedBy` now.
    Status remove(qint64 id, Money amount, const QString& deletedBy);

  private:
    Database& database_;
    HomeSafe& homeSafe_;
    EntryType type_;
};

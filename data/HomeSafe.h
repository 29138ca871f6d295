#pragma once

#include "data/Money.h"
#include "data/Result.h"

#include <QSqlDatabase>
#include <QString>

#include <QList>

#include <functional>

class Database;

// A change to the stored balance of one place (zhangwubiao.id).
struct PlaceChange {
    qint64 place = 0;
    Money change;
};
using PlaceChanges = QList<PlaceChange>;

// A place as stored: its key, name, kind (Codes::kCash ...), credit limit, closed mark and balance.
struct StoredPlace {
    qint64 id = 0;
    QString name;
    QString kind;
    Money limit;
    bool closed = false;
    Money balance;
};

// Reads one place by its key; inside a write it is read under the write lock. A missing row or a null
// balance fails with a Chinese clause saying so (the conversion's own text in brackets).
Result<StoredPlace> ReadStoredPlace(QSqlDatabase db, qint64 id);
// A place as the choices and lists name it.
struct PlaceChoice {
    qint64 id = 0;
    QString name;
    QString kind;
    bool closed = false;
};
// Every place, open or closed, in the order they were added (the home safe first in a new household).
Result<QList<PlaceChoice>> ReadPlaceChoices(QSqlDatabase db);
// The Chinese name of a kind: 现金, 银行卡, 电子钱包, 信用卡 (an unknown code reads as 银行卡).
QString PlaceKindName(const QString& kind);
// "招商银行（银行卡）", "旧卡（银行卡，已关闭）".
QString PlaceLabel(const PlaceChoice& place);

// Whether the place of a name is closed; a missing place fails.
Result<bool> PlaceClosed(QSqlDatabase db, const QString& name);

// The key of the home safe.
Result<qint64> HomeSafeId(QSqlDatabase db);

// Writes a place's balance by name as a whole new value. A name that matches no row changes nothing and
// is no error. Money moves never call it directly: they go through AddToStoredBalance.
Status WriteBalance(QSqlDatabase db, const QString& name, Money value);

// Reads a place's stored balance by name; a missing row or a null balance fails.
Result<Money> ReadStoredBalance(QSqlDatabase db, const QString& name);

// Applies a change to a place's balance as it is stored now: reads it, adds the change, writes the sum
// and returns it. Call it only inside Database::transaction, whose write lock keeps every other
// connection (another copy of the program, kopira) from writing between the read and the write. A
// missing row, a null balance or a sum out of range fails and writes nothing.
Result<Money> AddToStoredBalance(QSqlDatabase db, const QString& name, Money change);

// The cash at home.
//
// Every change to the balance is applied to the balance as stored, never computed from memory: another
// copy of the program may have moved it meanwhile. A move is one write transaction: the work writes the
// rows that cause it and says by how much the home safe moves; the stored balance is then read, the
// change added and the sum written, and the transaction commits. Only after the commit does the
// balance in memory take the stored result, which includes what others moved in between. The balance in
// memory is what the windows show; it never decides what is written.
class HomeSafe {
  public:
    explicit HomeSafe(Database& database) : database_(database) {}

    // HomeSafeBalance, the displayed figure: 0 until it is read, then the stored balance as of the last
    // read or move.
    Money balance() const { return balance_; }

    // ReadHomeSafeBalance: takes the stored balance into memory. On failure the balance in memory is
    // left as it was.
    Status ReadHomeSafeBalance();

    // The work of a move: writes the rows (inside the open transaction) and returns the change to the
    // home safe, or fails, which rolls everything back.
    using Work = std::function<Result<Money>()>;

    // Moves the balance by the change the work returns, in one transaction with the work's writes (see
    // above). A home-safe row that is missing or holds no balance, or a sum out of range, fails the move.
    // On failure nothing is changed, in memory or in the file.
    Status move(const Work& work);
    // The same for a change known beforehand; alsoWrite writes the rows that cause it.
    Status move(Money change, const std::function<Status()>& alsoWrite = {});

    // The work of a move that may touch several places: writes the rows and returns the change of each.
    using PlacesWork = std::function<Result<PlaceChanges>()>;
    // Applies each change to its place's stored balance, in one transaction with the work's writes.
    // Changes to one place are added up first; a place that does not move is not read. Refused, with
    // nothing written, when a place is gone or closed (by another computer while the entry was typed),
    // or when a credit card would owe more than its limit; `what` names the change in the message
    // ("这笔支出"). The home safe's balance in memory takes its stored result after the commit when the
    // home safe was among the places.
    Status moveAt(const PlacesWork& work, const QString& what);

  private:
    Database& database_;
    Money balance_;
};

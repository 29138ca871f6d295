#pragma once

#include "data/Money.h"
#include "data/Result.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>

class Database;

// Writes a place's balance by name as a whole new value. A name that matches no row changes nothing and
// is no error.
Status WriteBalance(QSqlDatabase db, const QString& name, Money value);

// Reads a place's stored balance by name; a missing row or a null balance fails.
Result<Money> ReadStoredBalance(QSqlDatabase db, const QString& name);

// The cash at home. The balance held in memory is the master while the program runs: every move is
// computed from it, written in the same transaction as the row that causes it, and taken into memory
// only after the commit.
class HomeSafe {
  public:
    explicit HomeSafe(Database& database) : database_(database) {}

    // HomeSafeBalance: 0 until it is read.
    Money balance() const { return balance_; }

    // ReadHomeSafeBalance: takes the stored balance into memory. On failure the balance in memory is
    // left as it was.
    Status ReadHomeSafeBalance();

    // Moves the balance to newBalance: writes it and runs alsoWrite (the row change that causes the
    // move, and any other balance) in one transaction, and only when that commits takes newBalance into
    // memory. A home-safe row that is missing or holds no balance fails the move. On failure nothing is
    // changed, in memory or in the file.
    Status move(Money newBalance, const std::function<Status()>& alsoWrite = {});

  private:
    Database& database_;
    Money balance_;
};

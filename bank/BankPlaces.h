#pragma once

#include "data/Money.h"
#include "data/Result.h"
#include "data/Secrets.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

// The money places of zhangwubiao: the home safe (the cash, exactly one) and the bank cards, e-wallets and
// credit cards. A place with history (entries, entries in the bin, records) is never deleted, only
// closed: gone from the choices, kept in the lists and totals. A rename keeps its entries (they name the
// place by key) and renames its records (which name it by name).

// A place and its balance, in the order the list query gives them.
struct PlaceBalance {
    QString name;
    Money balance;
};
Result<QList<PlaceBalance>> ReadPlaceBalances(QSqlDatabase db);

// Every place with its kind, balance, limit and closed mark, and what they add up to: 资产 the money
// held (every balance above zero, a credit card's in credit and a closed place's still holding money
// among them), 信用卡欠款 what is owed on credit cards (the balances below zero, as a positive figure)
// and 净资产 the sum of all balances. Exact; a sum beyond the amount range fails.
struct PlaceFigure {
    QString name;
    QString kind;  // leibie
    Money balance;
    Money limit;  // edu
    bool closed = false;
};
struct PlaceFigures {
    QList<PlaceFigure> places;
    Money assets;
    Money owed;
    Money netWorth;
};
Result<PlaceFigures> ReadPlaceFigures(QSqlDatabase db);
// The same figures of places already read (the bank panel's list); a sum out of range fails.
Result<PlaceFigures> SumPlaceFigures(QList<PlaceFigure> places);

// What the bank information window edits of a place. The balance is not among them: a new place starts
// at 0 and only deposits, withdrawals and entries move it.
struct BankDetails {
    QString name;      // mingcheng
    QString userName;  // yonghuming
    QString account;   // zhanghao
    // The bank password typed: kept in memory only and stored encrypted under the household key
    // (mimami), never in the plain column mima. None keeps the stored one (a new place then has none).
    std::optional<QString> password;
    QString kind = QStringLiteral("yinhangka");  // leibie: yinhangka, dianziqianbao or xinyongka
    Money limit = Money();                       // edu: a credit card's limit, 0 for the other kinds
};

// What the window read of a place before changing it. A change is refused when the stored place was
// renamed or closed (or opened) elsewhere meanwhile.
struct PlaceAsRead {
    QString name;
    bool closed = false;
};

// Whether the place is still as read: refused, saying what changed, when it was renamed, closed, opened
// or removed elsewhere.
Status CheckPlaceAsRead(QSqlDatabase db, qint64 id, const PlaceAsRead& asRead);

// Each of the writes below runs several statements: call it inside Database::transaction. A refusal
// says in Chinese what to do and writes nothing.

// Adds a place and gives back its key. Refused: a name in use, the cash kind (the home safe is the one
// place of cash), a credit limit below 0 or above the amount limit, a password typed without the
// household key (it could not be encrypted).
Result<qint64> InsertBank(QSqlDatabase db, const BankDetails& details,
                          const SecretKey& householdKey = SecretKey());

// Stores the details of the place with the given key, refused as InsertBank refuses and when the place
// is no longer as read (`asRead`, when given). The home safe keeps its name and kind whatever is passed.
// A new name is given to the place's records too. Without the household key the stored bank password
// stays as it is and a password typed is refused.
Status UpdateBank(QSqlDatabase db, qint64 id, const BankDetails& details,
                  const std::optional<PlaceAsRead>& asRead = std::nullopt,
                  const SecretKey& householdKey = SecretKey());

// Whether entries (also in the bin) or records name the place.
Result<bool> PlaceHasHistory(QSqlDatabase db, qint64 id);

// Removes the place with the given key; the home safe is never removed, nor a place with history
// (refused with the advice to close it). Its balance goes with it.
Status DeleteBank(QSqlDatabase db, qint64 id);

// Closes or opens again the place with the given key, refused when it is no longer as read; the home
// safe is never closed.
Status SetPlaceClosed(QSqlDatabase db, qint64 id, bool closed, const PlaceAsRead& asRead);

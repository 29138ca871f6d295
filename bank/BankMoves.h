#pragma once

#include "data/Money.h"

#include <QDate>
#include <QString>

class Database;
class HomeSafe;

// Deposits (home safe to bank) and withdrawals (bank to home safe).
enum class MoveKind { Deposit, Withdrawal };

// How a move ended and what to tell the user.
struct MoveOutcome {
    enum class Kind {
        Done,     // both balances and the record are stored: a plain notice with the application's title
        Refused,  // an input check refused: a notice captioned "Quorvane提示"; nothing was changed
        Error,    // a conversion or database error: the standard error report; nothing was changed
    };
    Kind kind;
    QString message;
};

// True for the row of the cash at home, which is no bank.
bool IsHomeSafe(const QString& placeName);

// The refusal when a move is started on the home safe's row.
QString HomeSafeRefusal(MoveKind kind);

// Everything a move needs besides the database and the home safe.
struct MoveRequest {
    MoveKind kind = MoveKind::Deposit;
    QString bank;        // the chosen bank's name
    QString amountText;  // as typed
    QString operatorName;
    QDate day;
};

// Runs the checks in their order (empty amount; for a withdrawal the bank's balance is read first;
// the amount's conversion; an amount above zero; the amount against the compared balance, equal being
// accepted) and then applies the move to both stored balances and appends the record in one
// transaction. The comparison is made against the balances as stored, read inside that transaction.
// The home safe's balance in memory takes the stored result when that commits; on any failure or
// refusal nothing is changed.
MoveOutcome PerformMove(Database& database, HomeSafe& homeSafe, const MoveRequest& request);

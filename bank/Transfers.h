#pragma once

#include "bank/BankMoves.h"
#include "data/HomeSafe.h"
#include "data/Result.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

class Database;

// Transfers (转帐) move money from one place to another: a bank card to an e-wallet, a bank card to a
// credit card (paying it off), a bank card to the home safe (cash from a machine). A transfer is neither
// income nor expense; only its fee is an expense, booked on the paying place.

// A place as the panel read it: its key and the name it had then.
struct TransferPlace {
    qint64 id = 0;
    QString name;
};

// Everything a transfer needs besides the database and the home safe.
struct TransferRequest {
    TransferPlace from;  // pays the amount and the fee
    TransferPlace to;    // receives the amount
    QString amountText;  // as typed
    QString feeText;     // as typed; empty for no fee
    QString operatorName;
    QDate day;
};

// The places a transfer from `from` may go to: every open place but the paying one, in key order.
Result<QList<PlaceChoice>> TransferTargets(QSqlDatabase db, qint64 from);

// The remark of a transfer's fee entry: "转帐手续费：招商银行 → 支付宝".
QString TransferFeeRemark(const QString& from, const QString& to);

// Checks the amount (given, a number above zero within the amount limit), the fee (empty, or a number
// of zero or more within the limit) and that the two places differ, before anything is read. Then, in
// one transaction under the write lock, reads both places by key and refuses when one was renamed,
// removed or closed meanwhile (by another computer), when a paying place other than a credit card holds
// less than the amount and the fee, or when a credit card would owe more than its limit; otherwise it
// moves the amount from one place to the other, books a fee above zero as an expense "手续费" on the
// paying place and appends the record (leixing "zhuanzhang", the receiving place as mingcheng, the
// paying one as zhuanchu). The home safe's balance in memory takes the stored result after the commit;
// a refusal or failure changes nothing.
MoveOutcome PerformTransfer(Database& database, HomeSafe& homeSafe, const TransferRequest& request);

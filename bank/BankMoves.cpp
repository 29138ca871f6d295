#include "bank/BankMoves.h"

#include "data/AmountText.h"
#include "data/Database.h"
#include "data/DateText.h"
#include "data/HomeSafe.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

MoveOutcome refused(const char* text) {
    return {MoveOutcome::Kind::Refused, QString::fromUtf8(text)};
}

MoveOutcome error(const QString& text) {
    return {MoveOutcome::Kind::Error, text};
}

Status insertRecord(QSqlDatabase db, const MoveRequest& request, Money amount) {
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kInsertTransaction)))
        return Status::failure(query.lastError().text());
    query.bindValue(QStringLiteral(":mingcheng"), request.bank);
    query.bindValue(QStringLiteral(":jine"), amount.units());
    query.bindValue(
        QStringLiteral(":leixing"),
        QString::fromUtf8(request.kind == MoveKind::Deposit ? Codes::kDeposit : Codes::kWithdrawal));
    query.bindValue(QStringLiteral(":riqi"), ShortDate(request.day));
    query.bindValue(QStringLiteral(":caozuoren"), request.operatorName);
    if (!query.exec())
        return Status::failure(query.lastError().text());
    return Status::ok();
}

}  // namespace

bool IsHomeSafe(const QString& placeName) {
    return placeName == QString::fromUtf8(Codes::kHomeSafe);
}

QString HomeSafeRefusal(MoveKind kind) {
    return kind == MoveKind::Deposit ? QStringLiteral("这是家庭保险柜，不是银行，不能存款！")
                                     : QStringLiteral("这是家庭保险柜，不是银行，不能取款！");
}

MoveOutcome PerformMove(Database& database, HomeSafe& homeSafe, const MoveRequest& request) {
    const bool deposit = request.kind == MoveKind::Deposit;
    // The home safe is no bank: writing it as one would overwrite the balance just written.
    if (IsHomeSafe(request.bank))
        return {MoveOutcome::Kind::Refused, HomeSafeRefusal(request.kind)};

    if (request.amountText.isEmpty())
        return refused(deposit ? "必须输入存款金额！" : "必须输入取款金额！");

    // A withdrawal reads the bank's balance before the amount; a deposit needs it only for the write.
    Money bankBalance;
    if (!deposit) {
        const Result<Money> stored = ReadStoredBalance(database.connection(), request.bank);
        if (!stored)
            return error(stored.error());
        bankBalance = stored.value();
    }

    // Beyond what one move may carry: refused before anything is written, the figure shown back.
    const TypedAmount parsed = ReadTypedAmount(request.amountText);
    if (parsed.kind == TypedAmount::Kind::NotANumber)
        return error(parsed.message);
    if (parsed.kind == TypedAmount::Kind::TooLarge)
        return {MoveOutcome::Kind::Refused, parsed.message};
    const Money amount = parsed.amount;

    if (deposit && amount > homeSafe.balance())
        return refused("存款金额高于现有现金额怎么存款？请核查！");
    if (!deposit && amount > bankBalance)
        return refused("取款金额高于现有银行存款怎么取款？请核查！");

    const Result<Money> newHomeSafe =
        deposit ? homeSafe.balance().minus(amount) : homeSafe.balance().plus(amount);
    if (!newHomeSafe)
        return error(newHomeSafe.error());

    const Status written = homeSafe.move(newHomeSafe.value(), [&]() -> Status {
        QSqlDatabase db = database.connection();
        // The bank's balance as it stands now; a bank that has gone away is an error, so that no money
        // leaves the home safe for nowhere.
        const Result<Money> stored = ReadStoredBalance(db, request.bank);
        if (!stored)
            return stored.status();
        const Result<Money> newBank = deposit ? stored.value().plus(amount) : stored.value().minus(amount);
        if (!newBank)
            return newBank.status();
        if (Status s = WriteBalance(db, request.bank, newBank.value()); !s)
            return s;
        return insertRecord(db, request, amount);
    });
    if (!written)
        return error(written.error());
    return {MoveOutcome::Kind::Done, deposit ? QStringLiteral("存款完成！") : QStringLiteral("取款完成！")};
}

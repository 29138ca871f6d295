#include "bank/BankMoves.h"

#include "data/AmountText.h"
#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/HomeSafe.h"
#include "data/RecordRows.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>

#include <optional>

namespace {

MoveOutcome refused(const char* text) {
    return {MoveOutcome::Kind::Refused, QString::fromUtf8(text)};
}

MoveOutcome error(const QString& text) {
    return {MoveOutcome::Kind::Error, text};
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

    // A withdrawal reads the bank's balance before the amount, so that a bank that has gone away is
    // reported before a mistyped amount; the comparison itself is made in the move below.
    if (!deposit) {
        if (const Result<Money> stored = ReadStoredBalance(database.connection(), request.bank); !stored)
            return error(stored.error());
    }

    // Beyond what one move may carry: refused before anything is written, the figure shown back.
    const TypedAmount parsed = ReadTypedAmount(request.amountText);
    if (parsed.kind == TypedAmount::Kind::NotANumber)
        return error(parsed.message);
    if (parsed.kind == TypedAmount::Kind::TooLarge)
        return {MoveOutcome::Kind::Refused, parsed.message};
    const Money amount = parsed.amount;
    // A move goes one way only: zero moves nothing, and a negative amount would move money the other
    // way round the check of the balance it leaves.
    if (amount.isZero() || amount.isNegative())
        return refused(deposit ? "存款金额必须大于零，请输入大于零的金额！"
                               : "取款金额必须大于零，请输入大于零的金额！");

    // The checks judge the balances as stored now, read under the write lock of the move: another copy
    // of the program may have moved them since this one last looked.
    const QString homeSafeName = QString::fromUtf8(Codes::kHomeSafe);
    std::optional<MoveOutcome> refusal;
    const Status written = homeSafe.move([&]() -> Result<Money> {
        QSqlDatabase db = database.connection();
        // A bank that has gone away is an error, so that no money leaves the home safe for nowhere.
        const Result<Money> bank = ReadStoredBalance(db, request.bank);
        if (!bank)
            return bank;
        // A closed place takes no more money, also when another computer closed it meanwhile.
        const Result<bool> closed = PlaceClosed(db, request.bank);
        if (!closed)
            return closed.status();
        if (closed.value()) {
            refusal = MoveOutcome{MoveOutcome::Kind::Refused,
                                  QStringLiteral("帐户“%1”已关闭，不能存取款。请先在“银行信息”里重新启用它。")
                                      .arg(request.bank)};
            return Status::failure(refusal->message);
        }
        if (deposit) {
            const Result<Money> cash = ReadStoredBalance(db, homeSafeName);
            if (!cash)
                return cash;
            if (amount > cash.value())
                refusal = refused("存款金额高于现有现金额怎么存款？请核查！");
        } else if (amount > bank.value()) {
            refusal = refused("取款金额高于现有银行存款怎么取款？请核查！");
        }
        if (refusal)
            return Status::failure(refusal->message);
        const Result<Money> minusAmount = Money().minus(amount);
        if (!minusAmount)
            return minusAmount;
        if (const Result<Money> newBank =
                AddToStoredBalance(db, request.bank, deposit ? amount : minusAmount.value());
            !newBank) {
            return newBank;
        }
        if (const Result<qint64> s = WriteRecordRow(
                db, {QString::fromLatin1(deposit ? Codes::kDeposit : Codes::kWithdrawal), request.bank,
                     QString(), amount, Money(), request.day, request.operatorName});
            !s)
            return s.status();
        return deposit ? minusAmount : Result<Money>(amount);
    });
    if (refusal)
        return *refusal;
    if (!written)
        return error(written.error());
    return {MoveOutcome::Kind::Done, deposit ? QStringLiteral("存款完成！") : QStringLiteral("取款完成！")};
}

#include "bank/Transfers.h"

#include "data/AmountText.h"
#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/EntryRows.h"
#include "data/RecordRows.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>

#include <optional>

namespace {

MoveOutcome refused(const QString& text) {
    return {MoveOutcome::Kind::Refused, text};
}

// The amount or the fee as typed, or the refusal that says what is wrong with it.
struct ReadFigure {
    std::optional<Money> amount;
    QString refusal;
};

ReadFigure readFigure(const QString& text, const QString& what, bool isFee) {
    const TypedAmount typed = ReadTypedAmount(text);
    switch (typed.kind) {
        case TypedAmount::Kind::NotANumber:
            return {std::nullopt,
                    QStringLiteral("%1不是有效的数字，请输入例如 100 或 12.50 这样的金额。（%2）")
                        .arg(what, NotAFloatMessage(text))};
        case TypedAmount::Kind::TooLarge:
            return {std::nullopt, QStringLiteral("%1：%2").arg(what, typed.message)};
        case TypedAmount::Kind::Amount:
            break;
    }
    if (isFee && typed.amount.isNegative())
        return {std::nullopt, QStringLiteral("手续费不能是负数。没有手续费就不填，或填 0。")};
    if (!isFee && (typed.amount.isZero() || typed.amount.isNegative()))
        return {std::nullopt, QStringLiteral("转帐金额必须大于零，请输入大于零的金额！")};
    return {typed.amount, QString()};
}

}  // namespace

Result<QList<PlaceChoice>> TransferTargets(QSqlDatabase db, qint64 from) {
    const Result<QList<PlaceChoice>> places = ReadPlaceChoices(db);
    if (!places)
        return places;
    QList<PlaceChoice> targets;
    for (const PlaceChoice& place : places.value()) {
        if (place.id != from && !place.closed)
            targets.append(place);
    }
    return targets;
}

QString TransferFeeRemark(const QString& from, const QString& to) {
    return QStringLiteral("转帐手续费：%1 → %2").arg(from, to);
}

MoveOutcome PerformTransfer(Database& database, HomeSafe& homeSafe, const TransferRequest& request) {
    if (request.amountText.trimmed().isEmpty())
        return refused(QStringLiteral("必须输入转帐金额！"));
    const ReadFigure amount = readFigure(request.amountText, QStringLiteral("转帐金额"), false);
    if (!amount.amount)
        return refused(amount.refusal);
    Money fee;
    if (!request.feeText.trimmed().isEmpty()) {
        const ReadFigure typedFee = readFigure(request.feeText, QStringLiteral("手续费"), true);
        if (!typedFee.amount)
            return refused(typedFee.refusal);
        fee = *typedFee.amount;
    }
    if (request.from.id == request.to.id)
        return refused(QStringLiteral("转出和转入不能是同一个帐户！请选择另一个转入帐户。"));
    // Both figures lie within the amount limit: their sum cannot leave the range.
    const Money paid = amount.amount->plus(fee).value();

    const QString what = QStringLiteral("这笔转帐");
    std::optional<QString> refusal;
    const Status written = homeSafe.moveAt(
        [&]() -> Result<PlaceChanges> {
            refusal.reset();
            QSqlDatabase db = database.connection();
            // Read under the write lock: what another computer did meanwhile is seen here.
            StoredPlace sides[2];
            const TransferPlace* asRead[2] = {&request.from, &request.to};
            for (int i = 0; i < 2; ++i) {
                const Result<StoredPlace> place = ReadStoredPlace(db, asRead[i]->id);
                if (!place) {
                    return Status::failure(QStringLiteral("帐户“%1”：%2，%3没有保存。")
                                               .arg(asRead[i]->name, place.error(), what));
                }
                if (place->name != asRead[i]->name) {
                    refusal = QStringLiteral(
                                  "帐户“%1”已改名为“%2”（可能是在另一台电脑上改的），%3没有保存。请重新选择"
                                  "帐户后再试。")
                                  .arg(asRead[i]->name, place->name, what);
                    return Status::failure(*refusal);
                }
                sides[i] = place.value();
            }
            const StoredPlace& from = sides[0];
            const StoredPlace& to = sides[1];
            // Only a credit card may go below zero, down to its limit (the move checks that); a closed
            // place is refused by the move, whatever it holds.
            if (!from.closed && from.kind != QLatin1String(Codes::kCreditCard) && from.balance < paid) {
                refusal =
                    fee.isZero()
                        ? QStringLiteral("“%1”的余额只有 %2，不够转出 %3。%4没有保存，请核查！")
                              .arg(from.name, from.balance.format(), amount.amount->format(), what)
                        : QStringLiteral("“%1”的余额只有 %2，不够转出 %3 和手续费 %4。%5没有保存，请核查！")
                              .arg(from.name, from.balance.format(), amount.amount->format(), fee.format(),
                                   what);
                return Status::failure(*refusal);
            }
            if (const Result<qint64> s =
                    WriteRecordRow(db, {QString::fromLatin1(Codes::kTransfer), to.name, from.name,
                                        *amount.amount, fee, request.day, request.operatorName});
                !s)
                return s.status();
            PlaceChanges changes{{from.id, Money().minus(*amount.amount).value()}, {to.id, *amount.amount}};
            if (!fee.isZero()) {
                const Result<qint64> entry = WriteEntryRow(
                    db, {QString::fromLatin1(Codes::kExpense), QStringLiteral("手续费"), fee, request.day,
                         request.operatorName, TransferFeeRemark(from.name, to.name), from.id});
                if (!entry)
                    return entry.status();
                changes.append({from.id, Money().minus(fee).value()});
            }
            return changes;
        },
        what);
    if (refusal)
        return refused(*refusal);
    if (!written)
        return {MoveOutcome::Kind::Error, written.error()};
    return {MoveOutcome::Kind::Done, QStringLiteral("转帐完成！")};
}

#include "bank/BankPlaces.h"

#include "bank/BankPasswords.h"
#include "data/AmountText.h"
#include "data/DatabaseErrors.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariantHash>

namespace {

Status fail(const QSqlQuery& query) {
    return Status::failure(DatabaseErrors::Describe(query.lastError()));
}

void bindDetails(QSqlQuery& query, const BankDetails& details, bool withName) {
    if (withName)
        query.bindValue(QStringLiteral(":mingcheng"), details.name);
    query.bindValue(QStringLiteral(":yonghuming"), details.userName);
    query.bindValue(QStringLiteral(":zhanghao"), details.account);
}

const QString homeSafeName() {
    return QString::fromUtf8(Codes::kHomeSafe);
}

}  // namespace

Result<QList<PlaceBalance>> ReadPlaceBalances(QSqlDatabase db) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QString::fromUtf8(Sql::kAllPlaces)))
        return fail(query);
    const int name = query.record().indexOf(QStringLiteral("mingcheng"));
    const int jine = query.record().indexOf(QStringLiteral("jine"));
    QList<PlaceBalance> places;
    while (query.next()) {
        // A missing balance counts as 0, as it adds nothing to the total either.
        places.append({query.value(name).toString(), Money::fromUnits(query.value(jine).toLongLong())});
    }
    return places;
}

Result<PlaceFigures> SumPlaceFigures(QList<PlaceFigure> places) {
    PlaceFigures figures;
    const auto add = [](Money& sum, Money amount) {
        const Result<Money> total = sum.plus(amount);
        if (total)
            sum = total.value();
        return total.isOk();
    };
    const Money zero;
    for (const PlaceFigure& place : places) {
        const bool credit = place.kind == QLatin1String(Codes::kCreditCard);
        bool ok = add(figures.netWorth, place.balance);
        if (ok && place.balance > zero)
            ok = add(figures.assets, place.balance);
        if (ok && credit && place.balance < zero) {
            const Result<Money> debt = zero.minus(place.balance);
            ok = debt && add(figures.owed, debt.value());
        }
        if (!ok)
            return Result<PlaceFigures>::failure(
                QStringLiteral("帐户余额合计超出金额范围，无法计算。请检查各帐户的余额。"));
    }
    figures.places = std::move(places);
    return figures;
}

Result<PlaceFigures> ReadPlaceFigures(QSqlDatabase db) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QString::fromUtf8(Sql::kPlaceFigures)))
        return fail(query);
    QList<PlaceFigure> places;
    while (query.next()) {
        places.append({query.value(0).toString(), query.value(1).toString(),
                       Money::fromUnits(query.value(2).toLongLong()),
                       Money::fromUnits(query.value(3).toLongLong()), query.value(4).toInt() == 1});
    }
    if (query.lastError().isValid())
        return fail(query);
    return SumPlaceFigures(std::move(places));
}

namespace {

// The stored name and closed mark of a place, or the refusal when it is gone.
Result<PlaceAsRead> storedPlace(QSqlDatabase db, qint64 id) {
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kPlaceState)))
        return fail(query);
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec())
        return fail(query);
    if (!query.next())
        return Result<PlaceAsRead>::failure(
            QStringLiteral("这个帐户已不存在，可能已在另一台电脑上被删除。列表已重新读出，请核对后再试。"));
    return PlaceAsRead{query.value(0).toString(), query.value(1).toInt() != 0};
}

Status stillAsRead(const PlaceAsRead& stored, const PlaceAsRead& asRead) {
    if (stored.name == asRead.name && stored.closed == asRead.closed)
        return Status::ok();
    return Status::failure(
        QStringLiteral(
            "帐户“%1”已在另一台电脑上被改名或关闭（现在是“%2”%3），这次改动没有保存。列表已重新读出，"
            "请核对后再试。")
            .arg(asRead.name, stored.name, stored.closed ? QStringLiteral("，已关闭") : QString()));
}

// The checks of a place's details that need no database, and the limit as stored.
Result<Money> checkedLimit(const BankDetails& details) {
    const QString kind = details.kind;
    if (kind != QLatin1String(Codes::kBankCard) && kind != QLatin1String(Codes::kWallet) &&
        kind != QLatin1String(Codes::kCreditCard)) {
        return Result<Money>::failure(
            QStringLiteral("帐户的类别只能是银行卡、电子钱包或信用卡（现金只有家庭保险柜一个）。"));
    }
    if (kind != QLatin1String(Codes::kCreditCard))
        return Money();
    if (details.limit.isNegative())
        return Result<Money>::failure(QStringLiteral("信用额度不能小于零，请重新输入。"));
    if (kLargestAmount < details.limit) {
        return Result<Money>::failure(QStringLiteral("信用额度 %1 超过了金额的上限 %2，请重新输入。")
                                          .arg(details.limit.format(), LargestAmountText()));
    }
    return details.limit;
}

Status nameFree(QSqlDatabase db, const QString& name, qint64 id) {
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kOtherPlacesNamed)))
        return fail(query);
    query.bindValue(QStringLiteral(":mingcheng"), name);
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec() || !query.next())
        return fail(query);
    if (query.value(0).toInt() == 0)
        return Status::ok();
    return Status::failure(QStringLiteral("已经有一个叫“%1”的帐户了，请换一个名称。").arg(name));
}

Status run(QSqlDatabase db, const char* statement, const QVariantHash& values) {
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(statement)))
        return fail(query);
    for (auto v = values.cbegin(); v != values.cend(); ++v)
        query.bindValue(v.key(), v.value());
    if (!query.exec())
        return fail(query);
    return Status::ok();
}

}  // namespace

Status CheckPlaceAsRead(QSqlDatabase db, qint64 id, const PlaceAsRead& asRead) {
    const Result<PlaceAsRead> stored = storedPlace(db, id);
    return stored ? stillAsRead(stored.value(), asRead) : stored.status();
}

Result<qint64> InsertBank(QSqlDatabase db, const BankDetails& details, const SecretKey& householdKey) {
    const Result<Money> limit = checkedLimit(details);
    if (!limit)
        return limit.status();
    if (Status sealable = CheckPasswordSealable(details.password, householdKey); !sealable)
        return sealable;
    if (Status free = nameFree(db, details.name, 0); !free)
        return free;
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kInsertPlace)))
        return fail(query);
    bindDetails(query, details, true);
    query.bindValue(QStringLiteral(":mimami"), QString::fromLatin1(SealBankPassword(
                                                   householdKey, details.password.value_or(QString()))));
    query.bindValue(QStringLiteral(":leibie"), details.kind);
    query.bindValue(QStringLiteral(":edu"), limit->units());
    if (!query.exec())
        return fail(query);
    return query.lastInsertId().toLongLong();
}

Status UpdateBank(QSqlDatabase db, qint64 id, const BankDetails& details,
                  const std::optional<PlaceAsRead>& asRead, const SecretKey& householdKey) {
    const Result<PlaceAsRead> stored = storedPlace(db, id);
    if (!stored)
        return stored.status();
    if (asRead) {
        if (Status same = stillAsRead(stored.value(), *asRead); !same)
            return same;
    }
    if (Status sealable = CheckPasswordSealable(details.password, householdKey); !sealable)
        return sealable;
    const bool homeSafe = stored->name == homeSafeName();
    if (homeSafe) {
        QSqlQuery query(db);
        if (!query.prepare(QString::fromUtf8(Sql::kUpdatePlaceDetails)))
            return fail(query);
        bindDetails(query, details, false);
        query.bindValue(QStringLiteral(":id"), id);
        if (!query.exec())
            return fail(query);
        return WriteBankPassword(db, id, details.password, householdKey);
    }
    const Result<Money> limit = checkedLimit(details);
    if (!limit)
        return limit.status();
    if (Status free = nameFree(db, details.name, id); !free)
        return free;
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kUpdatePlace)))
        return fail(query);
    bindDetails(query, details, true);
    query.bindValue(QStringLiteral(":leibie"), details.kind);
    query.bindValue(QStringLiteral(":edu"), limit->units());
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec())
        return fail(query);
    if (Status s = WriteBankPassword(db, id, details.password, householdKey); !s)
        return s;
    if (details.name == stored->name)
        return Status::ok();
    // The records name their places by name: they follow the new one.
    const QVariantHash names{{QStringLiteral(":old"), stored->name}, {QStringLiteral(":new"), details.name}};
    if (Status s = run(db, Sql::kRenameInRecords, names); !s)
        return s;
    return run(db, Sql::kRenamePayerInRecords, names);
}

Result<bool> PlaceHasHistory(QSqlDatabase db, qint64 id) {
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kPlaceHistory)))
        return fail(query);
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec() || !query.next())
        return fail(query);
    return query.value(0).toInt() > 0;
}

Status DeleteBank(QSqlDatabase db, qint64 id) {
    const Result<bool> history = PlaceHasHistory(db, id);
    if (!history)
        return history.status();
    if (history.value()) {
        const Result<PlaceAsRead> stored = storedPlace(db, id);
        return Status::failure(
            QStringLiteral("帐户“%1”有收支或存取款记录，不能删除，否则这些记录就没有了帐户。"
                           "可以把它关闭：关闭后它不再出现在选择里，记录和合计都保留。")
                .arg(stored ? stored->name : QString()));
    }
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kDeletePlace)))
        return fail(query);
    query.bindValue(QStringLiteral(":id"), id);
    query.bindValue(QStringLiteral(":jtbxg"), homeSafeName());
    if (!query.exec())
        return fail(query);
    return Status::ok();
}

Status SetPlaceClosed(QSqlDatabase db, qint64 id, bool closed, const PlaceAsRead& asRead) {
    const Result<PlaceAsRead> stored = storedPlace(db, id);
    if (!stored)
        return stored.status();
    if (Status same = stillAsRead(stored.value(), asRead); !same)
        return same;
    if (stored->name == homeSafeName())
        return Status::failure(QStringLiteral("家庭保险柜不能关闭。"));
    return run(db, Sql::kClosePlace,
               {{QStringLiteral(":guanbi"), closed ? 1 : 0}, {QStringLiteral(":id"), id}});
}

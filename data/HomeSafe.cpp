#include "data/HomeSafe.h"

#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/EngineVariants.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <optional>

Status WriteBalance(QSqlDatabase db, const QString& name, Money value) {
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kWriteBalance)))
        return Status::failure(DatabaseErrors::Describe(query.lastError()));
    query.bindValue(QStringLiteral(":jingestr"), value.units());
    query.bindValue(QStringLiteral(":jtbxg"), name);
    if (!query.exec())
        return Status::failure(DatabaseErrors::Describe(query.lastError()));
    return Status::ok();
}

Result<Money> ReadStoredBalance(QSqlDatabase db, const QString& name) {
    QSqlQuery query(db);
    if (!query.prepare(Sql::For(db, Sql::kReadBalance))) {
        return Result<Money>::failure(DatabaseErrors::Describe(query.lastError()));
    }
    query.bindValue(QStringLiteral(":jtbxg"), name);
    if (!query.exec())
        return Result<Money>::failure(DatabaseErrors::Describe(query.lastError()));
    if (!query.next())
        return Result<Money>::failure(QStringLiteral("找不到“%1”的余额").arg(name));
    const QVariant jine = query.value(0);
    // A null balance has no text form and fails the conversion, as an empty text would.
    if (jine.isNull())
        return Result<Money>::failure(NotAFloatMessage(QString()));
    bool ok = false;
    const qint64 units = jine.toLongLong(&ok);
    if (!ok)
        return Result<Money>::failure(NotAFloatMessage(jine.toString()));
    return Money::fromUnits(units);
}

Result<Money> AddToStoredBalance(QSqlDatabase db, const QString& name, Money change) {
    const Result<Money> stored = ReadStoredBalance(db, name);
    if (!stored)
        return stored;
    const Result<Money> sum = stored->plus(change);
    if (!sum)
        return sum;
    if (Status s = WriteBalance(db, name, sum.value()); !s)
        return s;
    return sum;
}

Status HomeSafe::ReadHomeSafeBalance() {
    const Result<Money> stored =
        ReadStoredBalance(database_.connection(), QString::fromUtf8(Codes::kHomeSafe));
    if (!stored)
        return stored.status();
    balance_ = stored.value();
    return Status::ok();
}

Status HomeSafe::move(const Work& work) {
    Money stored;
    const Status written = database_.transaction([&]() -> Status {
        const Result<Money> change = work();
        if (!change)
            return change.status();
        // Without its row, or with a balance nobody knows, the move would store the row that causes it
        // while the money went nowhere: the books could never balance again.
        const QString name = QString::fromUtf8(Codes::kHomeSafe);
        const Result<Money> before = ReadStoredBalance(database_.connection(), name);
        if (!before) {
            return Status::failure(QStringLiteral("“%1”的余额在数据库中缺失或为空（%2），这次改动没有保存。")
                                       .arg(name, before.error()));
        }
        const Result<Money> sum = AddToStoredBalance(database_.connection(), name, change.value());
        if (!sum)
            return sum.status();
        stored = sum.value();
        return Status::ok();
    });
    if (written)
        balance_ = stored;
    return written;
}

Status HomeSafe::move(Money change, const std::function<Status()>& alsoWrite) {
    return move([&]() -> Result<Money> {
        if (alsoWrite) {
            if (Status s = alsoWrite(); !s)
                return s;
        }
        return change;
    });
}

Result<StoredPlace> ReadStoredPlace(QSqlDatabase db, qint64 id) {
    QSqlQuery query(db);
    if (!query.prepare(Sql::For(db, Sql::kStoredPlace)))
        return Result<StoredPlace>::failure(DatabaseErrors::Describe(query.lastError()));
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec())
        return Result<StoredPlace>::failure(DatabaseErrors::Describe(query.lastError()));
    if (!query.next())
        return Result<StoredPlace>::failure(QStringLiteral("这个帐户已不存在，可能已在另一台电脑上被删除"));
    const QVariant jine = query.value(QStringLiteral("jine"));
    // A null balance has no text form and fails the conversion, as an empty text would.
    if (jine.isNull()) {
        return Result<StoredPlace>::failure(
            QStringLiteral("“%1”的余额在数据库中缺失或为空（%2）")
                .arg(query.value(QStringLiteral("mingcheng")).toString(), NotAFloatMessage(QString())));
    }
    return StoredPlace{id,
                       query.value(QStringLiteral("mingcheng")).toString(),
                       query.value(QStringLiteral("leibie")).toString(),
                       Money::fromUnits(query.value(QStringLiteral("edu")).toLongLong()),
                       query.value(QStringLiteral("guanbi")).toInt() != 0,
                       Money::fromUnits(jine.toLongLong())};
}

Result<qint64> HomeSafeId(QSqlDatabase db) {
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kPlaceId)))
        return Result<qint64>::failure(DatabaseErrors::Describe(query.lastError()));
    query.bindValue(QStringLiteral(":mingcheng"), QString::fromUtf8(Codes::kHomeSafe));
    if (!query.exec())
        return Result<qint64>::failure(DatabaseErrors::Describe(query.lastError()));
    if (!query.next())
        return Result<qint64>::failure(
            QStringLiteral("找不到“%1”这一行").arg(QString::fromUtf8(Codes::kHomeSafe)));
    return query.value(0).toLongLong();
}

namespace {

// The balance a place has after a change, or the refusal of the change.
Result<Money> balanceAfter(const StoredPlace& place, Money change, const QString& what) {
    if (place.closed) {
        return Result<Money>::failure(
            QStringLiteral("帐户“%1”已关闭（可能是在另一台电脑上关闭的），%2没有保存。请选择别的帐户，"
                           "或先在“银行信息”里重新启用它。")
                .arg(place.name, what));
    }
    const Result<Money> sum = place.balance.plus(change);
    if (!sum)
        return sum;
    // A credit card may owe up to its limit; a change that lowers what it owes is always taken.
    // The limit is at most the amount limit, far inside the range: its negation cannot overflow.
    if (place.kind == QLatin1String(Codes::kCreditCard) && change.isNegative() &&
        sum.value() < Money::fromUnits(-place.limit.units())) {
        return Result<Money>::failure(
            QStringLiteral("信用卡“%1”的额度是 %2，%3后将欠 %4，超出了额度。%3没有保存。")
                .arg(place.name, place.limit.format(), what, Money::fromUnits(-sum->units()).format()));
    }
    return sum;
}

}  // namespace

Status HomeSafe::moveAt(const PlacesWork& work, const QString& what) {
    std::optional<Money> homeSafe;
    const Status written = database_.transaction([&]() -> Status {
        homeSafe.reset();
        const Result<PlaceChanges> changes = work();
        if (!changes)
            return changes.status();
        // A place named once is checked even for a change of 0 (a new entry of nothing still lands there);
        // one whose changes cancel out (an entry edited in place) is left alone.
        PlaceChanges merged;
        QList<bool> nettedOut;
        for (const PlaceChange& c : changes.value()) {
            auto same = std::find_if(merged.begin(), merged.end(),
                                     [&](const PlaceChange& m) { return m.place == c.place; });
            if (same == merged.end()) {
                merged.append(c);
                nettedOut.append(false);
                continue;
            }
            const Result<Money> sum = same->change.plus(c.change);
            if (!sum)
                return sum.status();
            same->change = sum.value();
            nettedOut[same - merged.begin()] = same->change.isZero();
        }
        QSqlDatabase db = database_.connection();
        for (qsizetype i = 0; i < merged.size(); ++i) {
            const PlaceChange& c = merged[i];
            if (nettedOut[i])
                continue;
            Result<StoredPlace> place = ReadStoredPlace(db, c.place);
            if (!place) {
                // Only the home safe is never removed: without its row the household is damaged.
                const QString why = HomeSafeId(db)
                                        ? place.error()
                                        : QStringLiteral("“%1”的余额在数据库中缺失或为空（找不到这一行）")
                                              .arg(QString::fromUtf8(Codes::kHomeSafe));
                return Status::failure(QStringLiteral("%1，%2没有保存。").arg(why, what));
            }
            const Result<Money> sum = balanceAfter(place.value(), c.change, what);
            if (!sum)
                return sum.status();
            QSqlQuery write(db);
            if (!write.prepare(QString::fromUtf8(Sql::kWritePlaceBalance)))
                return Status::failure(DatabaseErrors::Describe(write.lastError()));
            write.bindValue(QStringLiteral(":jine"), sum->units());
            write.bindValue(QStringLiteral(":id"), c.place);
            if (!write.exec())
                return Status::failure(DatabaseErrors::Describe(write.lastError()));
            if (place->name == QString::fromUtf8(Codes::kHomeSafe))
                homeSafe = sum.value();
        }
        return Status::ok();
    });
    if (written && homeSafe)
        balance_ = *homeSafe;
    return written;
}

Result<QList<PlaceChoice>> ReadPlaceChoices(QSqlDatabase db) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QString::fromUtf8(Sql::kPlaceChoices)))
        return Result<QList<PlaceChoice>>::failure(DatabaseErrors::Describe(query.lastError()));
    QList<PlaceChoice> places;
    while (query.next()) {
        places.append({query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(),
                       query.value(3).toInt() != 0});
    }
    return places;
}

QString PlaceKindName(const QString& kind) {
    if (kind == QLatin1String(Codes::kCash))
        return QStringLiteral("现金");
    if (kind == QLatin1String(Codes::kWallet))
        return QStringLiteral("电子钱包");
    if (kind == QLatin1String(Codes::kCreditCard))
        return QStringLiteral("信用卡");
    return QStringLiteral("银行卡");
}

QString PlaceLabel(const PlaceChoice& place) {
    return QStringLiteral("%1（%2%3）")
        .arg(place.name, PlaceKindName(place.kind), place.closed ? QStringLiteral("，已关闭") : QString());
}

Result<bool> PlaceClosed(QSqlDatabase db, const QString& name) {
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kPlaceClosedByName)))
        return Result<bool>::failure(DatabaseErrors::Describe(query.lastError()));
    query.bindValue(QStringLiteral(":mingcheng"), name);
    if (!query.exec())
        return Result<bool>::failure(DatabaseErrors::Describe(query.lastError()));
    if (!query.next())
        return Result<bool>::failure(QStringLiteral("找不到“%1”的余额").arg(name));
    return query.value(0).toInt() != 0;
}

#include "ledger/EntryBin.h"

#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/HomeSafe.h"
#include "data/Statements.h"
#include "kit/Today.h"
#include "ledger/LedgerTotals.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTime>

namespace {

Status run(QSqlDatabase db, const char* statement, const QList<QPair<QString, QVariant>>& values,
           int* affected = nullptr) {
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(statement)))
        return Status::failure(DatabaseErrors::Describe(query.lastError()));
    for (const auto& [name, value] : values)
        query.bindValue(name, value);
    if (!query.exec())
        return Status::failure(DatabaseErrors::Describe(query.lastError()));
    if (affected)
        *affected = query.numRowsAffected();
    return Status::ok();
}

}  // namespace

EntryType BinEntry::type() const {
    return typeCode == QLatin1String(Codes::kIncome) ? EntryType::Income : EntryType::Expense;
}

QString BinTimestamp() {
    return ShortDate(Today()) + QLatin1Char(' ') + QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
}

Status KeepInBin(QSqlDatabase db, qint64 entryId, const QString& deletedBy, const QString& deletedAt) {
    return run(db, Sql::kKeepInBin,
               {{QStringLiteral(":shanchuren"), deletedBy},
                {QStringLiteral(":shanchushijian"), deletedAt},
                {QStringLiteral(":id"), entryId}});
}

Result<QList<BinEntry>> BinEntries(QSqlDatabase db) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QString::fromUtf8(Sql::kBinEntries)))
        return Result<QList<BinEntry>>::failure(DatabaseErrors::Describe(query.lastError()));
    const QSqlRecord r = query.record();
    const int id = r.indexOf(QStringLiteral("id"));
    const int leixing = r.indexOf(QStringLiteral("leixing"));
    const int mingxi = r.indexOf(QStringLiteral("mingxi"));
    const int feiyong = r.indexOf(QStringLiteral("feiyong"));
    const int shururiqi = r.indexOf(QStringLiteral("shururiqi"));
    const int dengjiren = r.indexOf(QStringLiteral("dengjiren"));
    const int beizhu = r.indexOf(QStringLiteral("beizhu"));
    const int shanchuren = r.indexOf(QStringLiteral("shanchuren"));
    const int shanchushijian = r.indexOf(QStringLiteral("shanchushijian"));
    const int zhanghu = r.indexOf(QStringLiteral("zhanghu"));
    QList<BinEntry> entries;
    while (query.next()) {
        const Result<Money> amount = MoneyFromColumn(query.value(feiyong));
        if (!amount)
            return amount.status();
        entries.append({query.value(id).toLongLong(), query.value(leixing).toString(),
                        query.value(mingxi).toString(), amount.value(), query.value(shururiqi).toString(),
                        query.value(dengjiren).toString(), query.value(beizhu).toString(),
                        query.value(shanchuren).toString(), query.value(shanchushijian).toString(),
                        query.value(zhanghu).toLongLong()});
    }
    return entries;
}

Result<BinPlace> PlaceOfBinEntry(QSqlDatabase db, const BinEntry& entry) {
    // A row kept before entries named their place has none: it belongs to the home safe.
    qint64 place = entry.place;
    if (place == 0) {
        const Result<qint64> safe = HomeSafeId(db);
        if (!safe)
            return safe.status();
        place = safe.value();
    }
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kPlaceState)))
        return Result<BinPlace>::failure(DatabaseErrors::Describe(query.lastError()));
    query.bindValue(QStringLiteral(":id"), place);
    if (!query.exec())
        return Result<BinPlace>::failure(DatabaseErrors::Describe(query.lastError()));
    if (!query.next())
        return BinPlace{};
    return BinPlace{query.value(1).toInt() != 0 ? BinPlaceState::Closed : BinPlaceState::Open,
                    query.value(0).toString()};
}

Result<qint64> RestoreFromBin(Database& database, HomeSafe& homeSafe, const BinEntry& entry, RestoreTo to) {
    EntryBook book(database, homeSafe, entry.type());
    const qint64 place = to == RestoreTo::HomeSafe ? 0 : entry.place;
    const EntryText text{entry.detail, entry.amount, entry.date, entry.registrar, entry.remarks, place};
    return book.save(std::nullopt, text, {}, [&]() -> Status {
        // The place is opened before the book checks it, which happens after this step in the same
        // transaction: a restore that fails leaves it closed.
        if (to == RestoreTo::ReopenedPlace && entry.place != 0) {
            if (Status s = run(database.connection(), Sql::kClosePlace,
                               {{QStringLiteral(":guanbi"), 0}, {QStringLiteral(":id"), entry.place}});
                !s)
                return s;
        }
        int affected = 0;
        if (Status s = run(database.connection(), Sql::kDeleteFromBin, {{QStringLiteral(":id"), entry.id}},
                           &affected);
            !s)
            return s;
        if (affected != 1)
            return Status::failure(
                QStringLiteral("这条记录已不在回收站中，可能已被恢复或清空。请重新打开回收站。"));
        return Status::ok();
    });
}

Result<int> EmptyBin(Database& database, const QList<qint64>& ids) {
    int removed = 0;
    const Status s = database.transaction([&]() -> Status {
        for (qint64 id : ids) {
            int affected = 0;
            if (Status one =
                    run(database.connection(), Sql::kDeleteFromBin, {{QStringLiteral(":id"), id}}, &affected);
                !one)
                return one;
            removed += affected;
        }
        return Status::ok();
    });
    if (!s)
        return s;
    return removed;
}

Result<int> ExpireBin(Database& database, const QDate& today) {
    int affected = 0;
    const Status s = database.transaction([&]() -> Status {
        QSqlQuery newest(database.connection());
        newest.setForwardOnly(true);
        if (!newest.exec(QString::fromUtf8(Sql::kNewestDeletion)))
            return Status::failure(DatabaseErrors::Describe(newest.lastError()));
        const QString last = newest.next() ? newest.value(0).toString() : QString();
        newest.finish();
        // "yyyy-MM-dd HH:mm:ss": the same time of day, one day earlier.
        const QDate lastDay = QDate::fromString(last.left(10), QStringLiteral("yyyy-MM-dd"));
        const QTime lastTime = QTime::fromString(last.mid(11), QStringLiteral("HH:mm:ss"));
        if (last.size() != 19 || !lastDay.isValid() || !lastTime.isValid())
            return Status::ok();
        const QString dayBeforeNewest = ShortDate(lastDay.addDays(-1)) + last.mid(10);
        const QString yearBeforeToday = ShortDate(today.addYears(-1));
        return run(database.connection(), Sql::kExpireBin,
                   {{QStringLiteral(":qishi"), qMin(yearBeforeToday, dayBeforeNewest)}}, &affected);
    });
    if (!s)
        return s;
    return affected;
}

#include "ledger/EntryBook.h"

#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/EngineVariants.h"
#include "data/EntryRows.h"
#include "data/HomeSafe.h"
#include "data/Statements.h"
#include "ledger/EntryBin.h"

#include <QSqlError>
#include <QStringList>

namespace {

const QString kRowGone = QStringLiteral("这条记录已不存在，可能已被删除。");

QString keepList(const QList<qint64>& ids) {
    QStringList parts;
    for (qint64 id : ids)
        parts.append(QString::number(id));
    return QLatin1Char('[') + parts.join(QLatin1Char(',')) + QLatin1Char(']');
}

}  // namespace

QString EntryTypeCode(EntryType type) {
    return QString::fromLatin1(type == EntryType::Income ? Codes::kIncome : Codes::kExpense);
}

Result<Money> BalanceAfterSave(EntryType type, Money balance, Money before, Money saved) {
    if (type == EntryType::Income) {
        const Result<Money> undone = balance.minus(before);
        return undone ? undone->plus(saved) : undone;
    }
    const Result<Money> undone = balance.plus(before);
    return undone ? undone->minus(saved) : undone;
}

Result<Money> BalanceAfterDelete(EntryType type, Money balance, Money amount) {
    return type == EntryType::Income ? balance.minus(amount) : balance.plus(amount);
}

EntryBook::EntryBook(Database& database, HomeSafe& homeSafe, EntryType type)
    : database_(database), homeSafe_(homeSafe), type_(type) {}

Result<QSqlQuery> EntryBook::list(ListFilter filter, const QDate& today, const QList<qint64>& keep) const {
    const bool income = type_ == EntryType::Income;
    const char* statement = nullptr;
    if (filter == ListFilter::All)
        statement = keep.isEmpty() ? Sql::kAllOfType : Sql::kAllOfTypeKeeping;
    else if (income)
        statement = keep.isEmpty() ? Sql::kTodayIncome : Sql::kTodayIncomeKeeping;
    else
        statement = keep.isEmpty() ? Sql::kTodayExpenses : Sql::kTodayExpensesKeeping;

    QSqlQuery query(database_.connection());
    if (!query.prepare(Sql::For(database_.connection(), statement)))
        return Result<QSqlQuery>::failure(DatabaseErrors::Describe(query.lastError()));
    query.bindValue(QStringLiteral(":mxlx"), EntryTypeCode(type_));
    if (filter == ListFilter::Today)
        query.bindValue(income ? QStringLiteral(":srriqi") : QStringLiteral(":zcriqi"), ShortDate(today));
    if (!keep.isEmpty())
        query.bindValue(QStringLiteral(":kept"), keepList(keep));
    if (!query.exec())
        return Result<QSqlQuery>::failure(DatabaseErrors::Describe(query.lastError()));
    return query;
}

Result<EntryText> EntryBook::read(qint64 id) const {
    QSqlQuery query(database_.connection());
    if (!query.prepare(QString::fromUtf8(Sql::kStoredEntry)))
        return Result<EntryText>::failure(DatabaseErrors::Describe(query.lastError()));
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec())
        return Result<EntryText>::failure(DatabaseErrors::Describe(query.lastError()));
    if (!query.next() || query.value(QStringLiteral("leixing")).toString() != EntryTypeCode(type_))
        return Result<EntryText>::failure(kRowGone);
    const QVariant feiyong = query.value(QStringLiteral("feiyong"));
    if (feiyong.isNull())
        return Result<EntryText>::failure(NotAFloatMessage(QString()));
    return EntryText{query.value(QStringLiteral("mingxi")).toString(),
                     Money::fromUnits(feiyong.toLongLong()),
                     query.value(QStringLiteral("shururiqi")).toString(),
                     query.value(QStringLiteral("dengjiren")).toString(),
                     query.value(QStringLiteral("beizhu")).toString(),
                     query.value(QStringLiteral("zhanghu")).toLongLong()};
}

Result<qint64> EntryBook::save(std::optional<qint64> id, const EntryText& entry, const EntryText& asRead,
                               const std::function<Status()>& alsoWrite) {
    refusedAsChanged_ = false;
    const Result<QDate> date = ParseDate(entry.date);
    if (!date)
        return date.status();

    qint64 savedId = id.value_or(0);
    const QString what =
        type_ == EntryType::Expense ? QStringLiteral("这笔支出") : QStringLiteral("这笔收入");
    const Status written = homeSafe_.moveAt(
        [&]() -> Result<PlaceChanges> {
            const Result<qint64> place = placeOf(entry);
            if (!place)
                return place.status();
            PlaceChanges changes;
            // A new row has nothing to take back; an edited one takes back what it stored, from where it
            // stored it.
            if (id) {
                const Result<EntryText> row = unchangedRow(*id, asRead, QStringLiteral("的改动没有保存"));
                if (!row)
                    return row.status();
                const Result<Money> back = BalanceAfterDelete(type_, Money(), row->amount);
                if (!back)
                    return back.status();
                changes.append({row->place, back.value()});
            }
            const Result<Money> change = BalanceAfterSave(type_, Money(), Money(), entry.amount);
            if (!change)
                return change.status();
            changes.append({place.value(), change.value()});
            const Result<qint64> row =
                WriteEntryRow(database_.connection(),
                              {EntryTypeCode(type_), entry.detail, entry.amount, date.value(),
                               entry.registrar, entry.remarks, place.value()},
                              id);
            if (!row)
                return row.status();
            if (id && row.value() == 0)
                return Status::failure(kRowGone);
            savedId = row.value();
            if (alsoWrite) {
                if (Status also = alsoWrite(); !also)
                    return also;
            }
            return changes;
        },
        id ? QStringLiteral("这次改动") : what);
    if (!written)
        return written;
    return savedId;
}

Status EntryBook::remove(qint64 id, const EntryText& asRead, const QString& deletedBy) {
    refusedAsChanged_ = false;
    return homeSafe_.moveAt(
        [&]() -> Result<PlaceChanges> {
            const Result<EntryText> stored = unchangedRow(id, asRead, QStringLiteral("没有删除它"));
            if (!stored)
                return stored.status();
            const Result<Money> change = BalanceAfterDelete(type_, Money(), stored->amount);
            if (!change)
                return change.status();
            if (Status kept = KeepInBin(database_.connection(), id, deletedBy, BinTimestamp()); !kept)
                return kept;
            QSqlQuery query(database_.connection());
            if (!query.prepare(QString::fromUtf8(Sql::kDeleteEntry)))
                return Status::failure(DatabaseErrors::Describe(query.lastError()));
            query.bindValue(QStringLiteral(":id"), id);
            if (!query.exec())
                return Status::failure(DatabaseErrors::Describe(query.lastError()));
            if (query.numRowsAffected() != 1)
                return Status::failure(kRowGone);
            return PlaceChanges{{stored->place, change.value()}};
        },
        QStringLiteral("这次删除"));
}

Result<qint64> EntryBook::placeOf(const EntryText& entry) const {
    return entry.place != 0 ? Result<qint64>(entry.place) : HomeSafeId(database_.connection());
}

Result<EntryText> EntryBook::unchangedRow(qint64 id, const EntryText& asRead, const QString& action) {
    const Result<EntryText> stored = read(id);
    if (!stored) {
        refusedAsChanged_ = stored.error() == kRowGone;
        return stored;
    }
    const EntryText& row = stored.value();
    const Result<qint64> readPlace = placeOf(asRead);
    if (!readPlace)
        return readPlace.status();
    if (row.place != readPlace.value() || row.detail != asRead.detail || row.amount != asRead.amount ||
        row.date != asRead.date || row.registrar != asRead.registrar || row.remarks != asRead.remarks) {
        refusedAsChanged_ = true;
        return Result<EntryText>::failure(
            QStringLiteral(
                "这条记录已被另一个窗口改动（或在另一台电脑上被改动），这次%1。它现在的内容已重新显示，"
                "请核对后再试。")
                .arg(action));
    }
    return stored;
}

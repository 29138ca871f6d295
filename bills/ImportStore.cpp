#include "bills/ImportStore.h"

#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/EntryRows.h"
#include "data/HomeSafe.h"
#include "data/RecordRows.h"
#include "data/Statements.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

namespace {

Status failed(const QSqlQuery& query) {
    return Status::failure(DatabaseErrors::Describe(query.lastError()));
}

// What an imported entry keeps of its line, so that a later bill of another source can recognise it.
QString importRemark(const BillRow& row) {
    return QStringLiteral("导入：%1 %2").arg(row.counterparty, row.description).trimmed();
}

bool writes(const PlanRow& row) {
    return row.ticked && (row.action == PlanAction::Add || row.action == PlanAction::MaybeDuplicate ||
                          row.action == PlanAction::Transfer);
}

// Whether the plan can be committed at all: every line written has its places.
Status checkPlaces(const ImportPlan& plan) {
    for (const PlanRow& row : plan.rows) {
        if (!writes(row))
            continue;
        if (row.place == 0 || (row.action == PlanAction::Transfer && row.otherPlace == 0)) {
            return Status::failure(
                QStringLiteral("第 %1 行还没有对应的帐户，没有导入任何一笔。请先为它的付款方式选择帐户。")
                    .arg(row.bill.line));
        }
        if (row.action == PlanAction::Transfer && row.place == row.otherPlace) {
            return Status::failure(
                QStringLiteral(
                    "第 %1 "
                    "行是转帐，转出和转入却是同一个帐户，没有导入任何一笔。请改一个帐户，或不勾选这一行。")
                    .arg(row.bill.line));
        }
    }
    return Status::ok();
}

}  // namespace

Result<ImportOutcome> CommitImport(Database& database, HomeSafe& homeSafe, const ImportPlan& plan,
                                   const QString& operatorName, bool belowZeroAgreed) {
    if (Status s = checkPlaces(plan); !s)
        return s;
    const QString source =
        plan.bill.sourceCode.isEmpty() ? SourceCode(plan.bill.source) : plan.bill.sourceCode;
    const QString what = QStringLiteral("这次导入");
    // A large import on the file touches many pages of the entries' indexes: a larger page cache for its
    // transaction keeps SQLite from writing pages out and reading them back mid-way (24 MB, given back
    // after).
    QSqlDatabase db = database.connection();
    const bool onFile = db.driverName() == QLatin1String("QSQLITE") && plan.rows.size() > 1000;
    QVariant cacheBefore;
    if (onFile) {
        QSqlQuery cache(db);
        if (cache.exec(QStringLiteral("PRAGMA cache_size")) && cache.next())
            cacheBefore = cache.value(0);
        cache.finish();
        (void)cache.exec(QStringLiteral("PRAGMA cache_size = -24576"));
    }
    ImportOutcome outcome;
    std::optional<QString> refusal;
    const Status written = homeSafe.moveAt(
        [&]() -> Result<PlaceChanges> {
            outcome = {};
            refusal.reset();

            QSqlQuery record(db);
            record.prepare(
                QStringLiteral("INSERT INTO daorujilu (shijian,wenjian,laiyuan,hangshu,caozuoren) "
                               "VALUES (:shijian,:wenjian,:laiyuan,0,:caozuoren)"));
            record.bindValue(QStringLiteral(":shijian"),
                             QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            record.bindValue(QStringLiteral(":wenjian"), QFileInfo(plan.bill.path).fileName());
            record.bindValue(QStringLiteral(":laiyuan"), source);
            record.bindValue(QStringLiteral(":caozuoren"), operatorName);
            if (!record.exec())
                return failed(record);
            outcome.importId = record.lastInsertId().toLongLong();

            QSqlQuery key(db);
            if (!key.prepare(QStringLiteral(
                    "INSERT INTO zhangdanhao "
                    "(laiyuan,zhanghu,jiaoyihao,shouzhi,yinghan,chuangjian,daoru,riqi,jine) "
                    "VALUES (:laiyuan,:zhanghu,:jiaoyihao,:shouzhi,:yinghan,:chuangjian,:daoru,:riqi,:jine) "
                    "ON CONFLICT (laiyuan,zhanghu,jiaoyihao) DO NOTHING")))
                return failed(key);
            // Stores a line's key; false when another import stored it meanwhile.
            auto storeKey = [&](const PlanRow& row, qint64 entry, qint64 transfer,
                                bool made) -> Result<bool> {
                key.bindValue(QStringLiteral(":laiyuan"), source);
                key.bindValue(QStringLiteral(":zhanghu"), row.place);
                key.bindValue(QStringLiteral(":jiaoyihao"), row.key);
                key.bindValue(QStringLiteral(":shouzhi"),
                              entry ? QVariant(entry) : QVariant(QMetaType::fromType<qint64>()));
                key.bindValue(QStringLiteral(":yinghan"),
                              transfer ? QVariant(transfer) : QVariant(QMetaType::fromType<qint64>()));
                key.bindValue(QStringLiteral(":chuangjian"), made ? 1 : 0);
                key.bindValue(QStringLiteral(":daoru"), outcome.importId);
                key.bindValue(QStringLiteral(":riqi"), ShortDate(row.bill.day));
                key.bindValue(QStringLiteral(":jine"), row.bill.amount.units());
                if (!key.exec())
                    return failed(key);
                return key.numRowsAffected() > 0;
            };
            QSqlQuery undo(db);
            auto removeRow = [&](const QString& sql, qint64 id) -> Status {
                undo.prepare(sql);
                undo.bindValue(QStringLiteral(":id"), id);
                return undo.exec() ? Status::ok() : failed(undo);
            };

            QHash<qint64, QString> names;
            auto nameOf = [&](qint64 place) -> Result<QString> {
                if (const auto found = names.constFind(place); found != names.constEnd())
                    return found.value();
                const Result<StoredPlace> stored = ReadStoredPlace(db, place);
                if (!stored)
                    return stored.status();
                names.insert(place, stored->name);
                return stored->name;
            };

            QHash<qint64, qint64> change;
            EntryRowWriter entries(db);
            RecordRowWriter transfers(db);
            for (const PlanRow& row : plan.rows) {
                if (row.action == PlanAction::AlreadyImported && row.matchedEntry != 0) {
                    // The same purchase from another bill: its key points to the entry made then.
                    if (const Result<bool> kept = storeKey(row, row.matchedEntry, 0, false); !kept)
                        return kept.status();
                    continue;
                }
                if (!writes(row))
                    continue;
                const qint64 units = row.bill.amount.units();
                if (row.action == PlanAction::Transfer) {
                    const Result<QString> to = nameOf(row.otherPlace);
                    const Result<QString> from = nameOf(row.place);
                    if (!to || !from)
                        return (!to ? to : from).status();
                    const Result<qint64> transferRow =
                        transfers.insert({QString::fromLatin1(Codes::kTransfer), to.value(), from.value(),
                                          row.bill.amount, row.bill.fee, row.bill.day, operatorName});
                    if (!transferRow)
                        return transferRow.status();
                    const qint64 id = transferRow.value();
                    const Result<bool> kept = storeKey(row, 0, id, true);
                    if (!kept)
                        return kept.status();
                    if (!kept.value()) {
                        if (Status s = removeRow(QStringLiteral("DELETE FROM yinghanbiao WHERE id=:id"), id);
                            !s)
                            return s;
                        ++outcome.skipped;
                        continue;
                    }
                    change[row.place] -= units;
                    change[row.otherPlace] += units;
                    ++outcome.added;
                    continue;
                }
                const Result<qint64> entry =
                    entries.insert({EntryTypeCode(row.type), row.detail, row.bill.amount, row.bill.day,
                                    operatorName, importRemark(row.bill), row.place});
                if (!entry)
                    return entry.status();
                const Result<bool> kept = storeKey(row, entry.value(), 0, true);
                if (!kept)
                    return kept.status();
                if (!kept.value()) {
                    if (Status s = removeRow(QString::fromUtf8(Sql::kDeleteEntry), entry.value()); !s)
                        return s;
                    ++outcome.skipped;
                    continue;
                }
                change[row.place] += row.type == EntryType::Income ? units : -units;
                ++outcome.added;
            }

            QSqlQuery count(db);
            count.prepare(QStringLiteral("UPDATE daorujilu SET hangshu=:hangshu WHERE id=:id"));
            count.bindValue(QStringLiteral(":hangshu"), outcome.added);
            count.bindValue(QStringLiteral(":id"), outcome.importId);
            if (!count.exec())
                return failed(count);

            PlaceChanges changes;
            for (auto c = change.constBegin(); c != change.constEnd(); ++c) {
                const Result<StoredPlace> place = ReadStoredPlace(db, c.key());
                if (!place)
                    return Status::failure(QStringLiteral("%1，%2没有保存。").arg(place.error(), what));
                const Money moved = Money::fromUnits(c.value());
                const Result<Money> after = place->balance.plus(moved);
                if (!after)
                    return after.status();
                if (!belowZeroAgreed && place->kind != QLatin1String(Codes::kCreditCard) &&
                    after->isNegative() && moved.isNegative()) {
                    refusal =
                        QStringLiteral(
                            "导入后“%1”的余额将是 %2，低于零。没有导入任何一笔；确认无误后请同意再导入。")
                            .arg(place->name, after->format());
                    return Status::failure(*refusal);
                }
                changes.append({c.key(), moved});
            }
            return changes;
        },
        what);
    if (onFile && cacheBefore.isValid()) {
        QSqlQuery cache(database.connection());
        (void)cache.exec(QStringLiteral("PRAGMA cache_size = %1").arg(cacheBefore.toLongLong()));
    }
    if (!written)
        return written;
    return outcome;
}

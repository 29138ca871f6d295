#include "bills/ImportHistory.h"

#include "bills/Bill.h"
#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/HomeSafe.h"
#include "data/Statements.h"
#include "ledger/EntryBin.h"
#include "ledger/EntryBook.h"
#include "ledger/LedgerTotals.h"

#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

namespace {

Status failed(const QSqlQuery& query) {
    return Status::failure(DatabaseErrors::Describe(query.lastError()));
}

const BillSource kSources[] = {BillSource::Alipay,    BillSource::Wechat,   BillSource::Icbc,
                               BillSource::CmbCredit, BillSource::CmbDebit, BillSource::Qif,
                               BillSource::Ofx};

// What a line of the import made: an entry, a transfer record, or both (a transfer with its fee).
struct MadeRow {
    qint64 entry = 0;
    qint64 record = 0;
};

// A line of another bill matched to what the import made (a card's statement line taken as the 支付宝
// purchase already booked) is counted nowhere once that is taken back: its key is dropped too, so that
// importing that bill again books the line.
Status freeMatchedKeys(QSqlDatabase db, const char* column, qint64 id) {
    QSqlQuery keys(db);
    keys.prepare(
        QStringLiteral("DELETE FROM zhangdanhao WHERE chuangjian=0 AND %1=:id").arg(QLatin1String(column)));
    keys.bindValue(QStringLiteral(":id"), id);
    return keys.exec() ? Status::ok() : failed(keys);
}

// Takes back one transfer record: the receiving place gives the amount back to the paying one. Places
// are named in records; a place renamed or removed since cannot be found and refuses the undoing.
Status takeBackTransfer(QSqlDatabase db, qint64 recordId, PlaceChanges& changes, UndoOutcome& done) {
    QSqlQuery record(db);
    record.prepare(QStringLiteral("SELECT mingcheng,zhuanchu,jine FROM yinghanbiao WHERE id=:id"));
    record.bindValue(QStringLiteral(":id"), recordId);
    if (!record.exec())
        return failed(record);
    if (!record.next()) {
        ++done.skipped;
        return Status::ok();
    }
    const QString names[2] = {record.value(1).toString(), record.value(0).toString()};  // from, to
    const Result<Money> amount = MoneyFromColumn(record.value(2));
    record.finish();
    if (!amount)
        return amount.status();
    qint64 ids[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        QSqlQuery place(db);
        place.prepare(QString::fromUtf8(Sql::kPlaceId));
        place.bindValue(QStringLiteral(":mingcheng"), names[i]);
        if (!place.exec())
            return failed(place);
        if (!place.next()) {
            return Status::failure(
                QStringLiteral("这次导入的一笔转帐记到了帐户“%1”，而这个帐户已不存在（已改名或删除），"
                               "这次导入没有撤销。请先把帐户名改回“%1”，再撤销这次导入。")
                    .arg(names[i]));
        }
        ids[i] = place.value(0).toLongLong();
    }
    changes.append({ids[0], amount.value()});
    changes.append({ids[1], Money::fromUnits(-amount->units())});
    QSqlQuery remove(db);
    remove.prepare(QStringLiteral("DELETE FROM yinghanbiao WHERE id=:id"));
    remove.bindValue(QStringLiteral(":id"), recordId);
    if (!remove.exec())
        return failed(remove);
    ++done.transfers;
    return freeMatchedKeys(db, "yinghan", recordId);
}

// Moves one entry to the bin as a deletion does, as it stands now; one deleted since is skipped.
Status binEntry(QSqlDatabase db, qint64 entryId, const QString& operatorName, const QString& when,
                qint64 homeSafe, PlaceChanges& changes, UndoOutcome& done) {
    QSqlQuery entry(db);
    entry.prepare(QString::fromUtf8(Sql::kStoredEntry));
    entry.bindValue(QStringLiteral(":id"), entryId);
    if (!entry.exec())
        return failed(entry);
    if (!entry.next()) {
        ++done.skipped;
        return Status::ok();
    }
    const QSqlRecord fields = entry.record();
    const EntryType type =
        entry.value(fields.indexOf(QStringLiteral("leixing"))).toString() == QLatin1String(Codes::kIncome)
            ? EntryType::Income
            : EntryType::Expense;
    const Result<Money> amount = MoneyFromColumn(entry.value(fields.indexOf(QStringLiteral("feiyong"))));
    const qint64 place = entry.value(fields.indexOf(QStringLiteral("zhanghu"))).toLongLong();
    entry.finish();
    if (!amount)
        return amount.status();
    const Result<Money> change = BalanceAfterDelete(type, Money(), amount.value());
    if (!change)
        return change.status();
    if (Status kept = KeepInBin(db, entryId, operatorName, when); !kept)
        return kept;
    QSqlQuery remove(db);
    remove.prepare(QString::fromUtf8(Sql::kDeleteEntry));
    remove.bindValue(QStringLiteral(":id"), entryId);
    if (!remove.exec())
        return failed(remove);
    changes.append({place != 0 ? place : homeSafe, change.value()});
    ++done.binned;
    return freeMatchedKeys(db, "shouzhi", entryId);
}

// The places the undoing moves that have been closed since. Taking money out of or into a closed place
// would leave it holding money while it shows as closed, so they refuse the undoing unless they are
// opened again in the same transaction.
Status reopenOrRefuse(QSqlDatabase db, const PlaceChanges& changes, ReopenPlaces reopen,
                      QStringList& closed) {
    QList<qint64> order;
    QHash<qint64, Money> net;
    for (const PlaceChange& c : changes) {
        if (!net.contains(c.place))
            order.append(c.place);
        const Result<Money> sum = net.value(c.place).plus(c.change);
        if (!sum)
            return sum.status();
        net.insert(c.place, sum.value());
    }
    for (qint64 id : order) {
        if (net.value(id).isZero())
            continue;
        const Result<StoredPlace> place = ReadStoredPlace(db, id);
        if (!place || !place->closed)
            continue;  // a place gone is refused by the move itself
        closed.append(place->name);
        if (reopen == ReopenPlaces::Yes) {
            QSqlQuery open(db);
            open.prepare(QString::fromUtf8(Sql::kClosePlace));
            open.bindValue(QStringLiteral(":guanbi"), 0);
            open.bindValue(QStringLiteral(":id"), id);
            if (!open.exec())
                return failed(open);
        }
    }
    if (closed.isEmpty() || reopen == ReopenPlaces::Yes)
        return Status::ok();
    return Status::failure(
        QStringLiteral("帐户“%1”已关闭，撤销这次导入要把钱退回这个帐户，所以这次导入没有撤销。"
                       "请先在“银行信息”里重新启用“%1”，再撤销这次导入。")
            .arg(closed.join(QStringLiteral("”、“"))));
}

}  // namespace

QString SourceNameOfCode(const QString& code) {
    for (BillSource source : kSources) {
        if (SourceCode(source) == code)
            return SourceName(source);
    }
    const QString mapped = SourceCode(BillSource::MappedCsv);
    if (code.startsWith(mapped))
        return QStringLiteral("%1（%2）").arg(SourceName(BillSource::MappedCsv), code.mid(mapped.size()));
    return code;
}

Result<QList<ImportRecord>> ImportRecords(QSqlDatabase db) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(
            QStringLiteral("SELECT id,shijian,wenjian,laiyuan,hangshu,caozuoren,chexiao FROM daorujilu "
                           "ORDER BY shijian DESC, id DESC")))
        return failed(query);
    const QSqlRecord r = query.record();
    const int id = r.indexOf(QStringLiteral("id"));
    const int shijian = r.indexOf(QStringLiteral("shijian"));
    const int wenjian = r.indexOf(QStringLiteral("wenjian"));
    const int laiyuan = r.indexOf(QStringLiteral("laiyuan"));
    const int hangshu = r.indexOf(QStringLiteral("hangshu"));
    const int caozuoren = r.indexOf(QStringLiteral("caozuoren"));
    const int chexiao = r.indexOf(QStringLiteral("chexiao"));
    QList<ImportRecord> records;
    while (query.next()) {
        records.append({query.value(id).toLongLong(), query.value(shijian).toString(),
                        query.value(wenjian).toString(), SourceNameOfCode(query.value(laiyuan).toString()),
                        query.value(hangshu).toInt(), query.value(caozuoren).toString(),
                        query.value(chexiao).toInt() != 0});
    }
    if (query.lastError().isValid())
        return failed(query);
    return records;
}

Status UndoImport(Database& database, HomeSafe& homeSafe, qint64 importId, const QString& operatorName,
                  UndoOutcome* outcome, ReopenPlaces reopen) {
    UndoOutcome done;
    const QString when = BinTimestamp();
    const Status written = homeSafe.moveAt(
        [&]() -> Result<PlaceChanges> {
            done = {};
            QSqlDatabase db = database.connection();
            // Read under the write lock: another computer may have undone it a moment ago.
            QSqlQuery import(db);
            import.prepare(QStringLiteral("SELECT chexiao FROM daorujilu WHERE id=:id"));
            import.bindValue(QStringLiteral(":id"), importId);
            if (!import.exec())
                return failed(import);
            if (!import.next())
                return Status::failure(QStringLiteral("找不到这次导入的记录，请关闭导入记录再打开看看。"));
            const bool undone = import.value(0).toInt() != 0;
            import.finish();
            if (undone)
                return Status::failure(QStringLiteral("这次导入已经撤销过了。"));

            QSqlQuery made(db);
            made.setForwardOnly(true);
            made.prepare(QStringLiteral(
                "SELECT shouzhi,yinghan FROM zhangdanhao WHERE daoru=:id AND chuangjian=1 ORDER BY id"));
            made.bindValue(QStringLiteral(":id"), importId);
            if (!made.exec())
                return failed(made);
            QList<MadeRow> rows;
            while (made.next())
                rows.append({made.value(0).toLongLong(), made.value(1).toLongLong()});
            if (made.lastError().isValid())
                return failed(made);
            made.finish();

            const Result<qint64> safe = HomeSafeId(db);
            if (!safe)
                return safe.status();
            PlaceChanges changes;
            // A transfer's fee entry may be named by the transfer's key and by a key of its own: each
            // entry and record is taken back once.
            QSet<qint64> entriesSeen;
            QSet<qint64> recordsSeen;
            for (MadeRow row : rows) {
                if (row.entry != 0 && entriesSeen.contains(row.entry))
                    row.entry = 0;
                if (row.record != 0 && recordsSeen.contains(row.record))
                    row.record = 0;
                entriesSeen.insert(row.entry);
                recordsSeen.insert(row.record);
                if (row.entry != 0) {
                    if (Status s = binEntry(db, row.entry, operatorName, when, safe.value(), changes, done);
                        !s)
                        return s;
                }
                if (row.record != 0) {
                    if (Status s = takeBackTransfer(db, row.record, changes, done); !s)
                        return s;
                }
            }
            if (Status s = reopenOrRefuse(db, changes, reopen, done.closedPlaces); !s)
                return s;

            QSqlQuery keys(db);
            keys.prepare(QStringLiteral("DELETE FROM zhangdanhao WHERE daoru=:id"));
            keys.bindValue(QStringLiteral(":id"), importId);
            if (!keys.exec())
                return failed(keys);
            QSqlQuery mark(db);
            mark.prepare(QStringLiteral("UPDATE daorujilu SET chexiao=1 WHERE id=:id AND chexiao=0"));
            mark.bindValue(QStringLiteral(":id"), importId);
            if (!mark.exec())
                return failed(mark);
            if (mark.numRowsAffected() != 1)
                return Status::failure(QStringLiteral("这次导入已经撤销过了。"));
            return changes;
        },
        QStringLiteral("撤销这次导入"));
    if (outcome)
        *outcome = done;
    return written;
}

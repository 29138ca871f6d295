#include "ledger/EntryList.h"

#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/EngineVariants.h"
#include "data/EntryListStatements.h"
#include "ledger/LedgerTotals.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

// The list's reads: the statements of one page, of a page next to a row, in the list's own order or under a
// header's sort, and the counts that place a row in the list.

namespace {

// From this length on, 全部 counts a row's position from whichever end of the list is nearer.
constexpr int kLongList = 100000;

}  // namespace

QVariantHash EntryListModel::params() const {
    QVariantHash values{{QStringLiteral(":mxlx"), choice_.type}};
    if (!choice_.all)
        values.insert(QStringLiteral(":riqi"), ShortDate(choice_.day));
    if (place_)
        values.insert(QStringLiteral(":zhanghu"), *place_);
    return values;
}

QString EntryListModel::statementText(const char* statement) const {
    QString text = Sql::For(db_, statement);
    if (place_)
        text.replace(QLatin1String(ListSql::kListCondition), QLatin1String(ListSql::kPlaceListCondition));
    return text;
}

Result<QList<EntryListModel::Row>> EntryListModel::read(const char* statement,
                                                        const QVariantHash& values) const {
    return readText(statementText(statement), values);
}

Result<QList<EntryListModel::Row>> EntryListModel::readText(const QString& text,
                                                            const QVariantHash& values) const {
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    if (!query.prepare(text))
        return Result<QList<Row>>::failure(DatabaseErrors::Describe(query.lastError()));
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (text.contains(it.key()))
            query.bindValue(it.key(), it.value());
    }
    if (!query.exec())
        return Result<QList<Row>>::failure(DatabaseErrors::Describe(query.lastError()));
    QList<Row> rows;
    const int columns = query.record().count();
    while (query.next()) {
        Row row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row.append(query.value(c));
        rows.append(std::move(row));
    }
    const QSqlError failed = query.lastError();
    query.finish();
    if (failed.isValid())
        return Result<QList<Row>>::failure(DatabaseErrors::Describe(failed));
    return rows;
}

Result<qint64> EntryListModel::number(const char* statement, const QVariantHash& values) const {
    const Result<QList<Row>> rows = read(statement, values);
    if (!rows)
        return rows.status();
    return rows->isEmpty() || rows->first().isEmpty() ? 0 : rows->first().first().toLongLong();
}

QString EntryListModel::sortedText(const char* statement, bool backwards, const QString& shows) const {
    const bool server = EngineOf(db_) == Engine::Server;
    const bool up = choice_.sort->descending == backwards;
    QString condition = QString::fromLatin1(ListSql::kListCondition);
    if (!choice_.all)
        condition += QStringLiteral(" AND shururiqi=:riqi");
    if (place_)
        condition += QStringLiteral(" AND zhanghu=:zhanghu");
    // The server puts a missing value last going up unless told; the file puts it first.
    const QString direction = up ? (server ? QStringLiteral("ASC NULLS FIRST") : QStringLiteral("ASC"))
                                 : (server ? QStringLiteral("DESC NULLS LAST") : QStringLiteral("DESC"));
    const QString key = !server ? QStringLiteral(":key")
                        : choice_.sort->field == QLatin1String("feiyong")
                            ? QStringLiteral("CAST(:key AS BIGINT)")
                            : QStringLiteral("CAST(:key AS TEXT)");
    const QString table =
        choice_.all && !server ? QStringLiteral("shouzhibiao NOT INDEXED") : QStringLiteral("shouzhibiao");
    QString text = QString::fromLatin1(statement);
    // Filled one place holder at a time, from the last, so that no filled text is read as a place holder.
    const QList<std::pair<QString, QString>> fills = {
        {QStringLiteral("%9"),
         choice_.all || server ? choice_.sort->field : QLatin1Char('+') + choice_.sort->field},
        {QStringLiteral("%8"), table},
        {QStringLiteral("%7"), shows},
        {QStringLiteral("%6"), up ? QStringLiteral("1") : QStringLiteral("0")},
        {QStringLiteral("%5"), key},
        {QStringLiteral("%4"), direction},
        {QStringLiteral("%3"), up ? QStringLiteral(">") : QStringLiteral("<")},
        {QStringLiteral("%2"), choice_.sort->field},
        {QStringLiteral("%1"), condition},
    };
    for (const auto& [mark, fill] : fills)
        text.replace(mark, fill);
    return text;
}

Result<QList<EntryListModel::Row>> EntryListModel::readSortedNext(const Row& anchor, int count,
                                                                  bool after) const {
    // No row with a value is followed by one without going up: from such a row the walk goes by position.
    if (anchor.value(keyColumn_).isNull())
        return Result<QList<Row>>::failure(QString());
    QVariantHash values = params();
    values.insert(QStringLiteral(":n"), count);
    values.insert(QStringLiteral(":id"), anchor.value(idColumn_));
    values.insert(QStringLiteral(":key"), anchor.value(keyColumn_));
    Result<QList<Row>> same = readText(sortedText(ListSql::kSortedNextInValue, !after), values);
    if (!same || same->size() >= count)
        return same;
    values.insert(QStringLiteral(":n"), count - int(same->size()));
    const Result<QList<Row>> others = readText(sortedText(ListSql::kSortedNextValue, !after), values);
    if (!others)
        return others;
    QList<Row> rows = same.value();
    rows.append(others.value());
    return rows;
}

Result<int> EntryListModel::countSortedBefore(const Row& row) const {
    QVariantHash values = params();
    values.insert(QStringLiteral(":id"), row.value(idColumn_));
    values.insert(QStringLiteral(":key"), row.value(keyColumn_));
    // The rows before it are those after it going back.
    const char* statement =
        row.value(keyColumn_).isNull() ? ListSql::kSortedCountAfterMissing : ListSql::kSortedCountAfter;
    const Result<QList<Row>> counted = readText(sortedText(statement, true), values);
    if (!counted)
        return counted.status();
    return counted->isEmpty() ? 0 : int(counted->first().value(0).toLongLong());
}

Result<QList<EntryListModel::Row>> EntryListModel::readFrom(int position, int count) const {
    QVariantHash values = params();
    values.insert(QStringLiteral(":n"), count);
    values.insert(QStringLiteral(":skip"), position);
    if (choice_.sort)
        return readText(sortedText(ListSql::kSortedFrom, false), values);
    return read(choice_.all ? ListSql::kAllFrom : ListSql::kDayFrom, values);
}

Result<QList<EntryListModel::Row>> EntryListModel::readNext(const Row& anchor, int count, bool after) const {
    if (choice_.sort)
        return readSortedNext(anchor, count, after);
    // No row with a detail comes before one without: from such a row the walk goes by position.
    if (choice_.all && anchor.value(keyColumn_).isNull())
        return Result<QList<Row>>::failure(QString());
    QVariantHash values = params();
    values.insert(QStringLiteral(":n"), count);
    values.insert(QStringLiteral(":id"), anchor.value(idColumn_));
    values.insert(QStringLiteral(":key"), anchor.value(keyColumn_));
    if (!choice_.all)
        return read(after ? ListSql::kDayAfter : ListSql::kDayBefore, values);
    Result<QList<Row>> same = read(after ? ListSql::kAllAfterInDetail : ListSql::kAllBeforeInDetail, values);
    if (!same || same->size() >= count)
        return same;
    values.insert(QStringLiteral(":n"), count - int(same->size()));
    const Result<QList<Row>> others =
        read(after ? ListSql::kAllAfterDetail : ListSql::kAllBeforeDetail, values);
    if (!others)
        return others;
    QList<Row> rows = same.value();
    rows.append(others.value());
    return rows;
}

Result<QList<EntryListModel::Row>> EntryListModel::readAfter(const Row& anchor, int count) const {
    return readNext(anchor, count, true);
}

Result<QList<EntryListModel::Row>> EntryListModel::readBefore(const Row& anchor, int count) const {
    return readNext(anchor, count, false);
}

Result<int> EntryListModel::listSize() const {
    // The whole table less the other types is the quick count of every place's 全部, not of one place's.
    const char* count = !choice_.all ? ListSql::kDayCount
                        : place_     ? ListSql::kAllCountOnIndex
                                     : ListSql::kAllCount;
    const Result<qint64> size = number(count, params());
    if (!size)
        return size.status();
    return int(size.value());
}

Result<int> EntryListModel::countBefore(const Row& row) const {
    if (choice_.sort)
        return countSortedBefore(row);
    QVariantHash values = params();
    values.insert(QStringLiteral(":id"), row.value(idColumn_));
    values.insert(QStringLiteral(":key"), row.value(keyColumn_));
    if (!choice_.all) {
        const Result<qint64> before = number(ListSql::kDayCountBefore, values);
        return before ? Result<int>(int(before.value())) : Result<int>(before.status());
    }
    const QVariant key = row.value(keyColumn_);
    // Counted from the nearest landmark where they are good; a failure there counts as without them.
    if (hasLandmarks()) {
        if (const auto anchor = anchors_->atOrBefore({key, row.value(idColumn_).toLongLong()})) {
            if (const Result<int> position = countFromLandmark(*anchor, row); position)
                return position;
        }
    }
    bool fromEnd = false;
    if (!key.isNull()) {
        // A long list is counted from the end when the row's detail lies in the later half of the
        // details, so that at most about half of the list is walked.
        QVariantHash probe = params();
        probe.insert(QStringLiteral(":n"), kLongList);
        const Result<qint64> held = number(ListSql::kAllHoldsMore, probe);
        if (!held)
            return held.status();
        if (held.value() >= kLongList) {
            const Result<QStringList> details = DistinctDetails(db_, choice_.type);
            if (!details)
                return details.status();
            qsizetype earlier = 0;
            for (const QString& detail : details.value())
                earlier += detail < key.toString() ? 1 : 0;
            fromEnd = earlier * 2 > details->size();
        }
    }
    if (!fromEnd) {
        const Result<qint64> before = number(ListSql::kAllCountBefore, values);
        return before ? Result<int>(int(before.value())) : Result<int>(before.status());
    }
    const Result<int> size = listSize();
    if (!size)
        return size;
    const Result<qint64> after = number(ListSql::kAllCountAfter, values);
    if (!after)
        return after.status();
    return int(size.value() - 1 - after.value());
}

#include "ledger/EntryList.h"

#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/EngineVariants.h"
#include "data/EntryListStatements.h"
#include "ledger/LedgerTotals.h"

#include <QScopedValueRollback>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <future>
#include <mutex>

namespace {

QString keyList(const QList<qint64>& ids) {
    QStringList parts;
    for (qint64 id : ids)
        parts.append(QString::number(id));
    return QLatin1Char('[') + parts.join(QLatin1Char(',')) + QLatin1Char(']');
}

}  // namespace

EntryListModel::EntryListModel(QObject* parent) : QSqlQueryModel(parent) {}

bool EntryListModel::Sortable(const QString& field) {
    return field == QLatin1String("shururiqi") || field == QLatin1String("mingxi") ||
           field == QLatin1String("feiyong");
}

EntryListModel::~EntryListModel() {
    stopReading();
}

std::optional<EntryListModel::Marks> EntryListModel::writeMarks() const {
    if (db_.driverName() != QLatin1String("QSQLITE"))
        return std::nullopt;
    const Result<qint64> changes = number(ListSql::kChangesMark, {});
    const Result<qint64> others = number(ListSql::kOthersMark, {});
    if (!changes || !others)
        return std::nullopt;
    return Marks{changes.value(), others.value()};
}

bool EntryListModel::hasLandmarks() const {
    // They place the rows of every place's 全部: a list limited to one place is counted on its index.
    if (!anchors_ || anchorsType_ != choice_.type || place_ || choice_.sort)
        return false;
    const std::optional<Marks> marks = writeMarks();
    return marks && *marks == anchorsMarks_;
}

void EntryListModel::readLandmarks() {
    if (!choice_.all || place_ || choice_.sort || reader_.joinable() || hasLandmarks())
        return;
    const std::optional<Marks> marks = writeMarks();
    if (!marks)
        return;
    anchors_.reset();
    reading_ = true;
    readingSpoiled_ = false;
    readingChanges_.clear();
    readingMarks_ = *marks;
    std::promise<void> begun;
    std::future<void> holding = begun.get_future();
    reader_ = std::thread(
        [this, file = db_.databaseName(), type = choice_.type, begun = std::move(begun)]() mutable {
            std::once_flag told;
            const auto tell = [&] { std::call_once(told, [&] { begun.set_value(); }); };
            const Result<ListAnchors> read = ListAnchors::Read(file, type, stopReading_, tell);
            tell();
            QMetaObject::invokeMethod(
                this, [this, read, type] { landmarksRead(read, type); }, Qt::QueuedConnection);
        });
    // Nothing is written before the reader holds its view of the file, so that every later write of the
    // program is one the reading is told of and can be brought up to.
    if (holding.wait_for(std::chrono::seconds(2)) != std::future_status::ready)
        readingSpoiled_ = true;
}

void EntryListModel::landmarksRead(const Result<ListAnchors>& read, const QString& type) {
    if (reader_.joinable())
        reader_.join();
    reading_ = false;
    // Landmarks read while anything else was written are not trusted; the next showing reads them again.
    const std::optional<Marks> now = writeMarks();
    if (!read || readingSpoiled_ || !now || *now != readingMarks_)
        return;
    ListAnchors anchors = read.value();
    for (const Change& change : std::as_const(readingChanges_))
        apply(anchors, change);
    readingChanges_.clear();
    anchors_ = std::move(anchors);
    anchorsType_ = type;
    anchorsMarks_ = *now;
}

void EntryListModel::stopReading() {
    if (reader_.joinable()) {
        stopReading_ = true;
        reader_.join();
    }
    stopReading_ = false;
    reading_ = false;
}

void EntryListModel::entryWriting() {
    const std::optional<Marks> now = writeMarks();
    if (anchors_ && (!now || *now != anchorsMarks_ || anchorsType_ != choice_.type))
        anchors_.reset();
    if (reading_ && (!now || *now != readingMarks_))
        readingSpoiled_ = true;
}

std::optional<EntryListModel::Change> EntryListModel::describe(std::optional<qint64> before,
                                                               std::optional<qint64> after) const {
    Change change;
    if (before) {
        const auto shown = std::find_if(rows_.cbegin(), rows_.cend(), [&](const Row& r) {
            return r.value(idColumn_).toLongLong() == *before;
        });
        if (shown == rows_.cend())
            return std::nullopt;
        change.gone = ListAnchors::Key{shown->value(record().indexOf(QStringLiteral("mingxi"))), *before};
    }
    if (after) {
        const QVariantHash values{{QStringLiteral(":mxlx"), choice_.type}, {QStringLiteral(":id"), *after}};
        // The landmarks are those of the whole list, whatever place the list is limited to.
        const Result<QList<Row>> found = readText(Sql::For(db_, ListSql::kAllEntry), values);
        if (!found)
            return std::nullopt;
        if (!found->isEmpty() && found->first().last().toBool())
            change.came =
                ListAnchors::Key{found->first().value(record().indexOf(QStringLiteral("mingxi"))), *after};
    }
    return change;
}

void EntryListModel::apply(ListAnchors& anchors, const Change& change) {
    if (change.gone)
        anchors.removed(*change.gone);
    if (change.came)
        anchors.inserted(*change.came);
}

void EntryListModel::entryWritten(std::optional<qint64> before, std::optional<qint64> after) {
    const bool following = reading_ && !readingSpoiled_;
    if (!anchors_ && !following)
        return;
    // Only this connection may have written since entryWriting(), and only this entry.
    const std::optional<Marks> now = writeMarks();
    const std::optional<Change> change = describe(before, after);
    if (anchors_) {
        if (!now || !change || now->second != anchorsMarks_.second) {
            anchors_.reset();
        } else {
            apply(*anchors_, *change);
            anchorsMarks_ = *now;
        }
    }
    if (following) {
        if (!now || !change || now->second != readingMarks_.second) {
            readingSpoiled_ = true;
        } else {
            readingChanges_.append(*change);
            readingMarks_ = *now;
        }
    }
}

Result<int> EntryListModel::countFromLandmark(const ListAnchors::Anchor& anchor, const Row& row) const {
    QVariantHash values = params();
    values.insert(QStringLiteral(":akey"), anchor.key.detail);
    values.insert(QStringLiteral(":aid"), anchor.key.id);
    values.insert(QStringLiteral(":key"), row.value(keyColumn_));
    values.insert(QStringLiteral(":id"), row.value(idColumn_));
    const char* statement = ListAnchors::SameDetail(anchor.key.detail, row.value(keyColumn_))
                                ? ListSql::kAllCountFromAnchorSameDetail
                            : anchor.key.detail.isNull() ? ListSql::kAllCountFromBlankAnchor
                                                         : ListSql::kAllCountFromAnchor;
    const Result<qint64> between = number(statement, values);
    if (!between)
        return between.status();
    return anchor.position + int(between.value());
}

Status EntryListModel::show(QSqlDatabase db, const Choice& choice, std::optional<qint64> place) {
    db_ = db;
    choice_ = choice;
    place_ = place;
    if (idColumn_ < 0) {
        // The columns of every list, from a statement that reads no row; no read stays open.
        QSqlQuery shape(db_);
        if (!shape.exec(Sql::For(db_, ListSql::kShape)))
            return Status::failure(DatabaseErrors::Describe(shape.lastError()));
        showing_ = true;
        setQuery(std::move(shape));
        showing_ = false;
        query().finish();
        idColumn_ = record().indexOf(QStringLiteral("id"));
        placeColumn_ = record().indexOf(QStringLiteral("zhanghu"));
        if (idColumn_ < 0)
            return Status::failure(QStringLiteral("shouzhibiao has no id"));
    }
    keyColumn_ = record().indexOf(choice_.sort  ? choice_.sort->field
                                  : choice_.all ? QStringLiteral("mingxi")
                                                : QStringLiteral("shururiqi"));

    const Result<QList<Row>> first = readFrom(0, kPage);
    if (!first)
        return first.status();
    QList<Row> kept;
    if (!choice_.kept.isEmpty()) {
        QVariantHash values = params();
        values.insert(QStringLiteral(":kept"), keyList(choice_.kept));
        const Result<QList<Row>> rows = read(choice_.all ? ListSql::kAllKept : ListSql::kDayKept, values);
        if (!rows)
            return rows.status();
        kept = rows.value();
    }

    beginResetModel();
    rows_.clear();
    for (int r = 0; r < first->size(); ++r)
        rows_.insert(r, first->at(r));
    known_ = int(first->size());
    atEnd_ = first->size() < kPage;
    keptRows_ = kept;
    endResetModel();
    readLandmarks();
    return Status::ok();
}

void EntryListModel::grow(int rows) {
    if (atEnd_ || rows <= known_)
        return;
    // Whatever the signals make others ask, no second fetch may change the rows while these go in.
    const QScopedValueRollback<bool> once(fetching_, true);
    beginInsertRows({}, known_, rows - 1);
    known_ = rows;
    endInsertRows();
}

void EntryListModel::reachEnd(int size) {
    if (atEnd_)
        return;
    size = qMax(size, known_);
    const QScopedValueRollback<bool> once(fetching_, true);
    const int first = known_;
    const int last = size + int(keptRows_.size()) - 1;
    if (last >= first)
        beginInsertRows({}, first, last);
    known_ = size;
    atEnd_ = true;
    if (last >= first)
        endInsertRows();
}

Result<int> EntryListModel::locate(qint64 id) {
    QVariantHash values = params();
    values.insert(QStringLiteral(":id"), id);
    const Result<QList<Row>> found = read(choice_.all ? ListSql::kAllEntry : ListSql::kDayEntry, values);
    if (!found)
        return found.status();
    if (found->isEmpty())
        return -1;
    Row row = found->first();
    const bool inList = row.takeLast().toBool();
    if (!inList) {
        const qsizetype kept =
            std::find_if(keptRows_.cbegin(), keptRows_.cend(),
                         [&](const Row& r) { return r.value(idColumn_).toLongLong() == id; }) -
            keptRows_.cbegin();
        if (kept >= keptRows_.size())
            return -1;
        if (!atEnd_) {
            const Result<int> size = listSize();
            if (!size)
                return size;
            reachEnd(size.value());
        }
        return known_ + int(kept);
    }
    const Result<int> position = countBefore(row);
    if (!position)
        return position;
    if (position.value() >= known_ && atEnd_)
        return -1;  // the list has changed under it; the next reload shows the row
    settle(position.value(), row);
    return position.value();
}

void EntryListModel::settle(int position, const Row& row) {
    // The rows around it are read now, from its key, so that showing it reads nothing by position.
    const Result<QList<Row>> after = readAfter(row, kPage / 2);
    const Result<QList<Row>> before = readBefore(row, kPage / 2);
    grow(position + 1 + (after ? int(after->size()) : 0));
    rows_.insert(position, row);
    if (after) {
        for (int i = 0; i < after->size() && position + 1 + i < known_; ++i)
            rows_.insert(position + 1 + i, after->at(i));
    }
    if (before) {
        for (int i = 0; i < before->size() && position - 1 - i >= 0; ++i)
            rows_.insert(position - 1 - i, before->at(i));
    }
}

Status EntryListModel::place(qint64 id, int row) {
    QVariantHash values = params();
    values.insert(QStringLiteral(":id"), id);
    const Result<QList<Row>> found = read(choice_.all ? ListSql::kAllEntry : ListSql::kDayEntry, values);
    if (!found)
        return found.status();
    if (found->isEmpty())
        return Status::ok();
    Row entry = found->first();
    if (!entry.takeLast().toBool() || (atEnd_ && row >= known_))
        return locate(id).status();
    settle(row, entry);
    return Status::ok();
}

int EntryListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return known_ + (atEnd_ ? int(keptRows_.size()) : 0);
}

void EntryListModel::fill(int row) const {
    Result<QList<Row>> got = Result<QList<Row>>::failure(QString());
    int step = 1;
    int start = row;
    if (const auto previous = rows_.constFind(row - 1); previous != rows_.cend()) {
        got = readAfter(previous.value(), kPage);
    } else if (const auto next = rows_.constFind(row + 1); next != rows_.cend()) {
        got = readBefore(next.value(), kPage);
        step = -1;
    }
    if ((!got || got->isEmpty()) && hasLandmarks()) {
        // No neighbour read: from the nearest landmark before the row, read from its key (the landmark's
        // own row first), a few hundred rows at most instead of a walk from the top.
        if (const auto anchor = anchors_->atOrBeforePosition(row); anchor && !anchor->key.detail.isNull()) {
            Row from(record().count());
            from[keyColumn_] = anchor->key.detail;
            from[idColumn_] = anchor->key.id - 1;
            got = readAfter(from, row - anchor->position + kPage / 2);
            start = anchor->position;
            step = 1;
        }
    }
    if (!got || got->isEmpty()) {
        // No neighbour read, or none that leads here: the page that holds the row, by position.
        start = row - row % kPage;
        step = 1;
        got = readFrom(start, kPage);
        if (!got)
            return;
    }
    int r = start;
    for (const Row& values : got.value()) {
        if (r < 0 || r >= known_)
            break;
        rows_.insert(r, values);
        r += step;
    }
}

QVariant EntryListModel::data(const QModelIndex& item, int role) const {
    if (!item.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const QVariant value = stored(item.row(), item.column());
    if (role == Qt::DisplayRole && item.column() == placeColumn_ && !value.isNull())
        return placeNames_.value(value.toLongLong(), value.toString());
    return value;
}

qint64 EntryListModel::placeAt(int row) const {
    return placeColumn_ < 0 ? 0 : stored(row, placeColumn_).toLongLong();
}

QVariant EntryListModel::stored(int row, int column) const {
    if (row < 0 || row >= rowCount())
        return {};
    if (row >= known_)
        return keptRows_[row - known_].value(column);
    auto found = rows_.constFind(row);
    if (found == rows_.cend()) {
        fill(row);
        found = rows_.constFind(row);
        if (found == rows_.cend())
            return {};
    }
    return found->value(column);
}

bool EntryListModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !atEnd_ && !showing_ && !fetching_;
}

void EntryListModel::fetchMore(const QModelIndex& parent) {
    // Views and testers may ask again from inside the signals of this very fetch.
    if (parent.isValid() || atEnd_ || showing_ || fetching_)
        return;
    const QScopedValueRollback<bool> once(fetching_, true);
    const auto last = rows_.constFind(known_ - 1);
    Result<QList<Row>> got =
        last != rows_.cend() ? readAfter(last.value(), kPage) : Result<QList<Row>>::failure(QString());
    // Going down a sorted list, the rows without a value come last and are not reached from a value.
    if (!got || (choice_.sort && choice_.sort->descending && got->size() < kPage))
        got = readFrom(known_, kPage);
    if (!got)
        return;
    const int start = known_;
    for (int i = 0; i < got->size(); ++i)
        rows_.insert(start + i, got->at(i));
    if (got->size() < kPage)
        reachEnd(start + int(got->size()));
    else
        grow(start + int(got->size()));
}

Result<int> EntryListModel::findRow(const QList<QuerySearch::Column>& columns, const FindQuery& query,
                                    int from) {
    // The 帐户 column shows the place's name, not its key.
    QList<QuerySearch::Column> shown = columns;
    for (QuerySearch::Column& column : shown) {
        if (column.field == QLatin1String("zhanghu")) {
            column.namesTable = QStringLiteral("zhangwubiao");
            column.namesField = QStringLiteral("mingcheng");
        }
    }
    const ShowsText shows = ShowsTextCondition(db_, shown, query);
    if (shows.sql.isEmpty() || idColumn_ < 0 || from >= rowCount())
        return -1;
    // The search starts in the list (at a row of it, or at its start or end) or among the kept rows.
    const bool inKept = from >= known_;
    std::optional<Row> at;
    if (from >= 0 && !inKept) {
        if (!rows_.contains(from))
            fill(from);
        const auto row = rows_.constFind(from);
        if (row == rows_.cend())
            return Result<int>::failure(QStringLiteral("第 %1 行读不出来").arg(from + 1));
        at = row.value();
    }
    const int kept = int(keptRows_.size());
    if (query.down) {
        if (!inKept) {
            const Result<int> found = findInList(shows, at, true);
            if (!found || found.value() >= 0)
                return found;
        }
        return findInKept(shows, inKept ? from - known_ + 1 : 0, kept - 1, true);
    }
    if (from < 0 || inKept) {
        const Result<int> found = findInKept(shows, (inKept ? from - known_ : kept) - 1, 0, false);
        if (!found || found.value() >= 0)
            return found;
    }
    return findInList(shows, at, false);
}

Result<int> EntryListModel::findInList(const ShowsText& shows, const std::optional<Row>& from, bool down) {
    QVariantHash values = params();
    for (const auto& [name, value] : shows.values)
        values.insert(name, value);
    values.insert(QStringLiteral(":whole"), from ? 0 : 1);
    values.insert(QStringLiteral(":id"), from ? from->value(idColumn_) : QVariant(qint64(0)));
    if (choice_.all)
        values.insert(QStringLiteral(":key"), from ? from->value(keyColumn_) : QVariant());
    if (choice_.sort)
        values.insert(QStringLiteral(":key"), from ? from->value(keyColumn_) : QVariant());
    const char* statement = choice_.all ? (down ? ListSql::kAllFindAfter : ListSql::kAllFindBefore)
                                        : (down ? ListSql::kDayFindAfter : ListSql::kDayFindBefore);
    const Result<QList<Row>> found =
        readText(choice_.sort ? sortedText(ListSql::kSortedFind, !down, shows.sql)
                              : statementText(statement).arg(shows.sql),
                 values);
    if (!found)
        return found.status();
    if (found->isEmpty())
        return -1;
    return locate(found->first().first().toLongLong());
}

Result<int> EntryListModel::findInKept(const ShowsText& shows, int first, int last, bool down) {
    if (down ? first > last : first < last)
        return -1;
    QVariantHash values = params();
    for (const auto& [name, value] : shows.values)
        values.insert(name, value);
    QList<qint64> ids;
    for (int i = std::min(first, last); i <= std::max(first, last); ++i)
        ids.append(keptRows_[i].value(idColumn_).toLongLong());
    values.insert(QStringLiteral(":kept"), keyList(ids));
    // The kept rows' own statement as a sub-select: the condition names its columns.
    const QString kept = statementText(choice_.all ? ListSql::kAllKept : ListSql::kDayKept);
    const Result<QList<Row>> found =
        readText(QStringLiteral("SELECT id FROM (%1) AS kept WHERE %2").arg(kept, shows.sql), values);
    if (!found)
        return found.status();
    QSet<qint64> matching;
    for (const Row& row : found.value())
        matching.insert(row.first().toLongLong());
    for (int i = first; down ? i <= last : i >= last; i += down ? 1 : -1) {
        const qint64 id = keptRows_[i].value(idColumn_).toLongLong();
        if (matching.contains(id))
            return locate(id);
    }
    return -1;
}

#include "reminders/ReminderList.h"

#include "data/DatabaseErrors.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

ReminderListModel::ReminderListModel(QObject* parent) : QSqlQueryModel(parent) {}

Result<QList<ReminderListModel::Row>> ReminderListModel::readPage(int page) const {
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    // From the last event of the page before when it is read, else by position.
    const auto before = pages_.constFind(page - 1);
    const bool after = before != pages_.cend() && !before->isEmpty();
    if (!query.prepare(QString::fromUtf8(after ? Sql::kRemindersAfter : Sql::kRemindersFrom)))
        return Result<QList<Row>>::failure(DatabaseErrors::Describe(query.lastError()));
    query.bindValue(QStringLiteral(":n"), kPage);
    if (after)
        query.bindValue(QStringLiteral(":id"), before->last().value(0));
    else
        query.bindValue(QStringLiteral(":skip"), page * kPage);
    if (!query.exec())
        return Result<QList<Row>>::failure(DatabaseErrors::Describe(query.lastError()));
    QList<Row> rows;
    while (query.next())
        rows.append({query.value(0), query.value(1), query.value(2), query.value(3)});
    if (query.lastError().isValid())
        return Result<QList<Row>>::failure(DatabaseErrors::Describe(query.lastError()));
    return rows;
}

Status ReminderListModel::show(QSqlDatabase db) {
    db_ = db;
    QSqlQuery count(db);
    if (!count.exec(QString::fromUtf8(Sql::kCountReminders)) || !count.next())
        return Status::failure(DatabaseErrors::Describe(count.lastError()));
    const int events = count.value(0).toInt();
    count.finish();
    // A model takes no forward-only query; nothing is read through this one.
    QSqlQuery whole(db);
    if (!whole.exec(QString::fromUtf8(Sql::kAllReminders)))
        return Status::failure(DatabaseErrors::Describe(whole.lastError()));

    const QHash<int, QList<Row>> before = pages_;
    pages_.clear();
    const Result<QList<Row>> first = readPage(0);
    if (!first) {
        pages_ = before;
        return first.status();
    }
    pages_.insert(0, first.value());
    count_ = events;
    // The list's statement gives the columns and stays the grid's statement for its find; its rows are
    // not kept.
    setQuery(std::move(whole));
    query().finish();
    return Status::ok();
}

int ReminderListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count_;
}

QVariant ReminderListModel::data(const QModelIndex& item, int role) const {
    if (!item.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole) || item.row() >= count_)
        return {};
    const int page = item.row() / kPage;
    auto found = pages_.constFind(page);
    if (found == pages_.cend()) {
        // A page that cannot be read shows empty cells; the next showing reads it again.
        const Result<QList<Row>> rows = readPage(page);
        if (!rows)
            return {};
        found = pages_.insert(page, rows.value());
    }
    return found->value(item.row() % kPage).value(item.column());
}

bool ReminderListModel::canFetchMore(const QModelIndex&) const {
    return false;
}

void ReminderListModel::fetchMore(const QModelIndex&) {}

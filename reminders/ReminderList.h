#pragma once

#include "data/Result.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQueryModel>
#include <QVariant>

// Every reminder event in the table's own order (by key), read a page at a time as the grid shows
// them: ten thousand events open, and the last one is reached after a save, without reading every
// event into the program. The model's statement is the whole list's, so that the grid's find looks
// through the events in the database; no read stays open between pages.
class ReminderListModel : public QSqlQueryModel {
    Q_OBJECT
  public:
    explicit ReminderListModel(QObject* parent = nullptr);

    // Counts the events and reads the first page; the rows shown before are dropped.
    Status show(QSqlDatabase db);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& item, int role = Qt::DisplayRole) const override;
    // Every row is known from the count: nothing is fetched in steps.
    bool canFetchMore(const QModelIndex& parent = {}) const override;
    void fetchMore(const QModelIndex& parent = {}) override;

    // Events read per page.
    static constexpr int kPage = 256;

  private:
    using Row = QList<QVariant>;
    Result<QList<Row>> readPage(int page) const;

    QSqlDatabase db_;
    int count_ = 0;
    mutable QHash<int, QList<Row>> pages_;
};

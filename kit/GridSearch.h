#pragma once

#include "data/Result.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

class QAbstractItemModel;

// What the find dialog looks for: a text inside the cells a grid shows, in one column or in all, with
// or without letter case, from the current row downwards or upwards.
struct FindQuery {
    QString text;
    int column = -1;  // the grid's column, -1 for every column
    bool matchCase = false;
    bool down = true;
};

// A search goes from the row after `from` (before it when searching upwards) to the end of the list in
// its direction, without wrapping round. `from` -1 starts at the first row (downwards) or at the last
// row (upwards). The answer is the row of the match, or -1 when there is none.

// Looks through the display texts of a model's rows, fetching the rows it has not read yet.
int FindInModel(QAbstractItemModel& model, const FindQuery& query, int from);

// The statement behind a list that reads its rows lazily, and how its columns are shown, so that a
// search runs in the database over the list's own rows in the list's own order instead of reading them
// into the program.
struct QuerySearch {
    struct Column {
        QString field;
        bool money = false;  // shown as "￥0.00" from a count of ten-thousandths
        // A key shown as the name of the row it names in another table (an entry's place): that table,
        // keyed by `id`, and its column of names. The text is looked for in the names.
        QString namesTable = {};
        QString namesField = {};
    };
    QSqlDatabase db;
    QString statement;                      // the list's statement, as it was run
    QList<QPair<QString, QVariant>> named;  // its named parameters (":mxlx") and their values
    QVariantList positional;                // or its positional ones
    QList<Column> columns;                  // the grid's columns
    // The table every row of the list comes from, with a key column `id`, or empty. A quick look
    // through the whole table then answers at once when no row matches at all.
    QString table;
};

// The named parameters of a statement, in order of first appearance, quoted texts skipped.
QStringList PlaceholderNames(const QString& statement);

Result<int> FindInQuery(const QuerySearch& search, const FindQuery& query, int from);

// The condition "this row shows the text" for a statement on the connection, over the grid's columns
// as they are shown: a money column as its "￥0.00" text (looked at only for a text that may be part of
// one), ASCII letters folded unless the case must match (as the household's other searches fold them),
// and "%", "_" and "\" plain characters. `qualifier` goes before each column's name ("rows." for the
// columns of a sub-select named rows). Empty when no column can show the text.
struct ShowsText {
    QString sql;
    QList<QPair<QString, QVariant>> values;  // its named parameters (":tamberlo_find0", ...)
};
ShowsText ShowsTextCondition(const QSqlDatabase& db, const QList<QuerySearch::Column>& columns,
                             const FindQuery& query, const QString& qualifier = {});

// A model that searches its own rows where they are kept (a list read a page at a time from the
// database), instead of having them read into the grid. It answers as FindInModel does, with the row
// found made part of the rows it shows.
class SearchesItself {
  public:
    virtual Result<int> findRow(const QList<QuerySearch::Column>& columns, const FindQuery& query,
                                int from) = 0;

  protected:
    ~SearchesItself() = default;
};

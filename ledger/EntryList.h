#pragma once

#include "data/Result.h"
#include "kit/GridSearch.h"
#include "ledger/ListAnchors.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQueryModel>
#include <QVariant>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>

// The rows of one entry list -- today's entries of a type or all of them, followed by the rows saved
// since loading that no longer match -- read a page at a time. Unlike a plain query model it can reach
// any row without reading the rows before it: a page is read from a neighbouring row's key through the
// list's index, and a row is placed by its key and the list's order (the rows before it are counted on
// the index). A saved row is thus shown and selected wherever it lands, in a few milliseconds however
// long the list. No read stays open between pages, so nothing keeps a write waiting. The grid's find
// looks through the list in the database in the list's order and places the row found the same way.
class EntryListModel : public QSqlQueryModel, public SearchesItself {
    Q_OBJECT
  public:
    // An order chosen by a header: one of the columns shururiqi, mingxi, feiyong, and its direction.
    struct Sort {
        QString field;
        bool descending = false;
    };
    struct Choice {
        bool all = false;    // 全部, else 今天
        QString type;        // "shouru" or "zhichu"
        QDate day;           // today, for 今天
        QList<qint64> kept;  // rows saved since loading, listed even when they no longer match
        std::optional<Sort> sort = std::nullopt;  // none: the list's own order
    };
    // Whether a column of the list can be sorted by.
    static bool Sortable(const QString& field);

    explicit EntryListModel(QObject* parent = nullptr);
    ~EntryListModel() override;

    // Shows the list from its first page: of the entries on one place (zhanghu) when it is given, else of
    // every place.
    Status show(QSqlDatabase db, const Choice& choice, std::optional<qint64> place = std::nullopt);

    // The position of the row with the key `id`, after making it part of the rows shown; -1 when the
    // list does not hold it.
    Result<int> locate(qint64 id);
    // Places the row with the key `id` at position `row` without counting, where the rows before it are
    // known not to have changed (the row after a deleted one takes the deleted row's place).
    Status place(qint64 id, int row);
    // Tells the list that the program has just written one entry: `before` the key of an entry edited or
    // deleted (a row the list has shown), `after` the key of an entry saved. The landmarks of 全部 follow,
    // so that they stay good without being read again.
    // entryWriting() comes just before the write: it drops the landmarks if anything else has written.
    void entryWriting();
    void entryWritten(std::optional<qint64> before, std::optional<qint64> after);
    // The next row, after `from` or before it, that shows a text in the grid's columns (see FindQuery);
    // found in the database, made part of the rows shown, and placed by its key.
    Result<int> findRow(const QList<QuerySearch::Column>& columns, const FindQuery& query, int from) override;
    // The names the 帐户 column shows for the places' keys (zhanghu); a key without a name shows itself.
    // The key stays the column's edit value.
    void setPlaceNames(const QHash<qint64, QString>& names) { placeNames_ = names; }
    // The key of the place of the row at `row`.
    qint64 placeAt(int row) const;
    // Whether 全部's landmarks are read and good for the household as it stands and for the list as shown,
    // which is not limited to a place (for tests).
    bool hasLandmarks() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& item, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent = {}) const override;
    void fetchMore(const QModelIndex& parent = {}) override;

    // Rows read per page.
    static constexpr int kPage = 256;

  private:
    using Row = QList<QVariant>;
    QVariant stored(int row, int column) const;
    QHash<qint64, QString> placeNames_;
    int placeColumn_ = -1;
    // The connection's form of a list statement, limited to the list's place when it has one.
    QString statementText(const char* statement) const;
    Result<QList<Row>> read(const char* statement, const QVariantHash& values) const;
    Result<QList<Row>> readText(const QString& statement, const QVariantHash& values) const;
    // The finds of findRow(): in the list after or before a row (all of it without one), and among the
    // rows kept after the list, from `first` to `last` in the direction of the search.
    Result<int> findInList(const ShowsText& shows, const std::optional<Row>& from, bool down);
    Result<int> findInKept(const ShowsText& shows, int first, int last, bool down);
    Result<QList<Row>> readFrom(int position, int count) const;
    Result<QList<Row>> readAfter(const Row& anchor, int count) const;
    Result<QList<Row>> readBefore(const Row& anchor, int count) const;
    Result<QList<Row>> readNext(const Row& anchor, int count, bool after) const;
    // Puts a row read by its key at its position, with the rows around it, growing the list to hold them.
    void settle(int position, const Row& row);
    Result<qint64> number(const char* statement, const QVariantHash& values) const;
    Result<int> countBefore(const Row& row) const;
    Result<int> listSize() const;
    // Reads the page around a row that is known to exist but not read yet.
    void fill(int row) const;
    void grow(int rows);
    void reachEnd(int size);
    QVariantHash params() const;
    // The landmarks of 全部: read on a thread of their own when the list is shown, used while nothing but
    // the changes they were told of has been written since.
    using Marks = std::pair<qint64, qint64>;
    std::optional<Marks> writeMarks() const;
    void readLandmarks();
    void landmarksRead(const Result<ListAnchors>& read, const QString& type);
    // One entry written by the program, as it moves the landmarks: the row that went, the row that came.
    struct Change {
        std::optional<ListAnchors::Key> gone;
        std::optional<ListAnchors::Key> came;
    };
    std::optional<Change> describe(std::optional<qint64> before, std::optional<qint64> after) const;
    static void apply(ListAnchors& anchors, const Change& change);
    void stopReading();
    // The text of a statement of a sorted list, reading in its order or (`backwards`) against it.
    QString sortedText(const char* statement, bool backwards, const QString& shows = {}) const;
    Result<QList<Row>> readSortedNext(const Row& anchor, int count, bool after) const;
    Result<int> countSortedBefore(const Row& row) const;
    Result<int> countFromLandmark(const ListAnchors::Anchor& anchor, const Row& row) const;

    QSqlDatabase db_;
    Choice choice_;
    std::optional<qint64> place_;
    bool showing_ = false;
    bool fetching_ = false;
    int idColumn_ = -1;
    int keyColumn_ = -1;
    int known_ = 0;      // rows of the list known to exist, from the first on
    bool atEnd_ = true;  // whether known_ is the whole list (then the kept rows follow)
    QList<Row> keptRows_;
    mutable QHash<int, Row> rows_;
    std::optional<ListAnchors> anchors_;
    QString anchorsType_;
    Marks anchorsMarks_{-1, -1};
    // While the landmarks are being read: the marks the reading started from, brought forward by each
    // write the list is told of, those writes, and whether anything else was written.
    bool reading_ = false;
    bool readingSpoiled_ = false;
    Marks readingMarks_{-1, -1};
    QList<Change> readingChanges_;
    std::thread reader_;
    std::atomic<bool> stopReading_{false};
};

#include "kit/DataGrid.h"

#include "data/AmountText.h"
#include "data/Money.h"
#include "data/OpenReads.h"
#include "kit/FindDialog.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>

const QString DataGrid::kWidestMoneyText = QStringLiteral("-￥1000000000.00");

// Shows the chosen fields of the source model, in the grid's column order and formats.
class DataGrid::ColumnModel final : public QAbstractTableModel {
  public:
    explicit ColumnModel(DataGrid* grid) : QAbstractTableModel(grid), grid_(grid) {}

    void reset(QSqlQueryModel* source) {
        beginResetModel();
        if (source_)
            QObject::disconnect(source_, nullptr, this, nullptr);
        source_ = source;
        fieldIndex_.clear();
        if (source_) {
            for (const Column& c : grid_->columns_)
                fieldIndex_.append(source_->record().indexOf(c.field));
            connect(source_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
            connect(source_, &QAbstractItemModel::modelReset, this, [this] {
                fieldIndex_.clear();
                for (const Column& c : grid_->columns_)
                    fieldIndex_.append(source_->record().indexOf(c.field));
                endResetModel();
            });
            connect(source_, &QAbstractItemModel::rowsAboutToBeInserted, this,
                    [this](const QModelIndex&, int first, int last) { beginInsertRows({}, first, last); });
            connect(source_, &QAbstractItemModel::rowsInserted, this, [this] { endInsertRows(); });
            connect(source_, &QAbstractItemModel::dataChanged, this,
                    [this](const QModelIndex& a, const QModelIndex& b) {
                        Q_EMIT dataChanged(index(a.row(), 0), index(b.row(), columnCount() - 1));
                    });
        }
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || !source_ ? 0 : source_->rowCount();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(grid_->columns_.size());
    }
    bool canFetchMore(const QModelIndex& parent) const override {
        return !parent.isValid() && source_ && source_->canFetchMore();
    }
    void fetchMore(const QModelIndex& parent) override {
        if (!parent.isValid() && source_)
            source_->fetchMore();
    }

    QVariant raw(int row, int column) const {
        const int field = fieldIndex_.value(column, -1);
        if (!source_ || field < 0)
            return {};
        return source_->data(source_->index(row, field));
    }

    QString text(int row, int column) const {
        const QVariant v = raw(row, column);
        if (grid_->columns_[column].format == Format::Money) {
            return v.isNull() ? QString() : Money::fromUnits(v.toLongLong()).format();
        }
        return v.toString();
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        if (role == Qt::DisplayRole)
            return text(index.row(), index.column());
        const Column& column = grid_->columns_[index.column()];
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
        if (role == Qt::ForegroundRole && column.color.isValid())
            return column.color;
        if (role == Qt::FontRole && column.bold) {
            // Only the weight: size and family stay the grid's.
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < grid_->columns_.size()) {
            return grid_->columns_[section].title;
        }
        // The narrow indicator column left of the rows carries no numbers.
        if (orientation == Qt::Vertical && role == Qt::DisplayRole)
            return QString();
        return QAbstractTableModel::headerData(section, orientation, role);
    }

  private:
    DataGrid* grid_;
    QSqlQueryModel* source_ = nullptr;
    QList<int> fieldIndex_;
};

DataGrid::DataGrid(QWidget* parent)
    : QTableView(parent),
      view_(new ColumnModel(this)),
      footer_(new QWidget(this)),
      footerTextLabel_(new QLabel(footer_)),
      footerSumLabel_(new QLabel(footer_)) {
    setModel(view_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    verticalHeader()->setDefaultSectionSize(24);
    verticalHeader()->setFixedWidth(14);
    horizontalHeader()->setHighlightSections(false);
    setWordWrap(false);
    footer_->setObjectName(QStringLiteral("footer"));
    footer_->setAutoFillBackground(true);
    footerTextLabel_->setAlignment(Qt::AlignCenter);
    footerSumLabel_->setAlignment(Qt::AlignCenter);
    footer_->hide();
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                Q_EMIT currentRowChanged(current.isValid() ? current.row() : -1);
            });
    FindDialog::install(this, [this](const FindQuery& query, int from) { return find(query, from); });
}

Result<int> DataGrid::find(const FindQuery& query, int from) {
    // A list that reads its own rows a page at a time searches them where it reads them.
    if (auto* own = dynamic_cast<SearchesItself*>(source_)) {
        QList<QuerySearch::Column> shown;
        for (const Column& c : columns_)
            shown.append({c.field, c.format == Format::Money});
        return own->findRow(shown, query, from);
    }
    const QSqlQuery rows = source_ ? source_->query() : QSqlQuery();
    const QString statement = rows.lastQuery();
    QuerySearch search;
    for (const QString& name : QSqlDatabase::connectionNames()) {
        const QSqlDatabase db = QSqlDatabase::database(name, false);
        if (rows.driver() && db.driver() == rows.driver())
            search.db = db;
    }
    const QSqlRecord record = source_ ? source_->record() : QSqlRecord();
    for (const Column& c : columns_) {
        if (record.indexOf(c.field) < 0)
            search.db = QSqlDatabase();
    }
    // A list without a statement of its own is looked through where it stands.
    if (statement.isEmpty() || !search.db.isValid())
        return FindInModel(*view_, query, from);

    search.statement = statement;
    const QStringList names = PlaceholderNames(statement);
    for (const QString& name : names)
        search.named.append(qMakePair(name, rows.boundValue(name)));
    if (names.isEmpty())
        search.positional = rows.boundValues();
    for (const Column& c : columns_)
        search.columns.append({c.field, c.format == Format::Money});
    // Every shown field and the key come straight from one table: that table can be looked through first.
    const QString table = record.field(QStringLiteral("id")).tableName();
    bool oneTable = !table.isEmpty();
    for (const Column& c : columns_)
        oneTable = oneTable && record.field(c.field).tableName() == table;
    if (oneTable)
        search.table = table;
    return FindInQuery(search, query, from);
}

void DataGrid::setColumns(const QList<Column>& columns) {
    columns_ = columns;
    view_->reset(source_);
    applyColumnWidths();
}

void DataGrid::applyColumnWidths() {
    // Measured in bold, the widest the grid's font may be drawn.
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    const int moneyWidth = metrics.horizontalAdvance(kWidestMoneyText) + 16;
    for (int i = 0; i < columns_.size(); ++i) {
        const bool money = columns_[i].format == Format::Money;
        setColumnWidth(i, money ? std::max(columns_[i].width, moneyWidth) : columns_[i].width);
    }
}

void DataGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        applyColumnWidths();
}

void DataGrid::setSourceModel(QSqlQueryModel* model) {
    source_ = model;
    // A list left part-read must not keep the program from saving.
    OpenReads::track(model);
    view_->reset(model);
    applyColumnWidths();
    refreshFooter();
}

int DataGrid::currentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void DataGrid::setCurrentRow(int row) {
    if (row < 0 || row >= view_->rowCount()) {
        setCurrentIndex({});
        return;
    }
    const QModelIndex index = view_->index(row, 0);
    setCurrentIndex(index);
    ShowRow(this, index);
}

QVariant DataGrid::value(int row, const QString& field) const {
    if (!source_)
        return {};
    const int column = source_->record().indexOf(field);
    return column < 0 ? QVariant() : source_->data(source_->index(row, column));
}

QString DataGrid::cellText(int row, int column) const {
    return view_->text(row, column);
}

void DataGrid::setFooter(int textColumn, const QString& text, int sumColumn) {
    footerTextColumn_ = textColumn;
    footerSumColumn_ = sumColumn;
    footerTextLabel_->setText(text);
    refreshFooter();
}

void DataGrid::setFooterVisible(bool visible) {
    footerOn_ = visible;
    footer_->setVisible(visible);
    refreshFooter();
    updateGeometries();
}

void DataGrid::updateGeometries() {
    // The table view sets the margins for its headers each time; the footer's row is kept below them.
    QTableView::updateGeometries();
    const QMargins margins = viewportMargins();
    const int bottom = footerOn_ ? verticalHeader()->defaultSectionSize() : 0;
    if (margins.bottom() != bottom)
        setViewportMargins(margins.left(), margins.top(), margins.right(), bottom);
    layoutFooter();
}

bool DataGrid::isFooterVisible() const {
    return footerOn_;
}

QString DataGrid::footerText() const {
    return footerOn_ ? footerTextLabel_->text() : QString();
}

QString DataGrid::footerSum() const {
    return footerOn_ ? footerSumLabel_->text() : QString();
}

void DataGrid::refreshFooter() {
    if (!footerOn_ || footerSumColumn_ < 0 || !source_) {
        footerSumLabel_->clear();
        return;
    }
    // The footer sums every row, not just the ones fetched so far. A model without an active query
    // claims it can fetch more but never does: stop when a fetch brings nothing.
    while (source_->canFetchMore()) {
        const int before = source_->rowCount();
        source_->fetchMore();
        if (source_->rowCount() == before)
            break;
    }
    // Added up without overflow; a total beyond what an amount holds is said, never wrapped or cut.
    MoneyTotal sum;
    for (int row = 0; row < source_->rowCount(); ++row)
        sum.add(Money::fromUnits(view_->raw(row, footerSumColumn_).toLongLong()));
    const Result<Money> total = sum.value();
    footerSumLabel_->setText(total ? total->format() : QStringLiteral("总额过大，无法显示"));
    footerSumLabel_->setToolTip(total ? QString() : total.error());
}

void DataGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    layoutFooter();
}

void DataGrid::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    layoutFooter();
}

void DataGrid::layoutFooter() {
    if (!footerOn_)
        return;
    const QRect vp = viewport()->geometry();
    const int h = verticalHeader()->defaultSectionSize();
    footer_->setGeometry(vp.left(), vp.bottom() + 1, vp.width(), h);
    const auto place = [this, h](QLabel* label, int column) {
        if (column < 0) {
            label->hide();
            return;
        }
        label->show();
        label->setGeometry(columnViewportPosition(column), 0, columnWidth(column), h);
    };
    place(footerTextLabel_, footerTextColumn_);
    place(footerSumLabel_, footerSumColumn_);
}

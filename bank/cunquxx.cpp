#include "bank/cunquxx.h"

#include "bank/BankRecords.h"
#include "data/Database.h"
#include "household/Household.h"
#include "kit/FindDialog.h"
#include "kit/Prompt.h"

#include <QBrush>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The cells of one kind of record, read from the window's reader as the grid asks for them.
class RecordsModel final : public QAbstractTableModel {
  public:
    RecordsModel(TransactionReader& reader, RecordKind kind, const QStringList& headers, QObject* parent)
        : QAbstractTableModel(parent), reader_(reader), kind_(kind), headers_(headers) {}

    // The field each column shows.
    QString fieldOf(int column) const {
        static const QStringList kMoves = {QStringLiteral("mingcheng"), QStringLiteral("jine"),
                                           QStringLiteral("riqi"), QStringLiteral("caozuoren")};
        static const QStringList kTransfers = {QStringLiteral("zhuanchu"), QStringLiteral("mingcheng"),
                                               QStringLiteral("jine"),     QStringLiteral("shouxufei"),
                                               QStringLiteral("riqi"),     QStringLiteral("caozuoren")};
        return (kind_ == RecordKind::Transfer ? kTransfers : kMoves).value(column);
    }
    // The rows are read again (the reader starts over between the two).
    void beginReading() { beginResetModel(); }
    void endReading() { endResetModel(); }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(reader_.total());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(headers_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        switch (role) {
            case Qt::DisplayRole:
                return reader_.row(kind_, index.row()).value(index.column());
            case Qt::TextAlignmentRole:
                return QVariant::fromValue(index.column() == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                                               : Qt::Alignment(Qt::AlignCenter));
            case Qt::BackgroundRole:
                return index.column() == 0 ? QVariant(QBrush(QColor(0xc4, 0xe6, 0xbb))) : QVariant();
            default:
                return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return headers_.value(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

  private:
    TransactionReader& reader_;
    RecordKind kind_;
    QStringList headers_;
};

QTableView* makeGrid(const char* name, QWidget* parent) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setSectionsClickable(true);
    FindDialog::install(grid);
    grid->setStyleSheet(
        QStringLiteral("QTableView { background: #dff5d8; color: navy; font-weight: bold; }"
                       "QHeaderView::section { font-weight: bold; color: navy; }"));
    return grid;
}

}  // namespace

TForm5::TForm5(Household& household, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      household_(household),
      stack_(new QStackedWidget(this)),
      reader_(std::make_unique<TransactionReader>(household.database.connection())),
      deposits_(makeGrid("StringGrid1", this)),
      withdrawals_(makeGrid("StringGrid2", this)) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("银行账务记录表"));
    resize(600, 420);
    stack_->addWidget(deposits_);
    stack_->addWidget(withdrawals_);

    auto* depositChoice = new QRadioButton(QStringLiteral("存款"), this);
    depositChoice->setObjectName(QStringLiteral("RadioButton1"));
    depositChoice->setChecked(true);
    auto* withdrawalChoice = new QRadioButton(QStringLiteral("取款"), this);
    withdrawalChoice->setObjectName(QStringLiteral("RadioButton2"));
    auto* transferChoice = new QRadioButton(QStringLiteral("转帐"), this);
    transferChoice->setObjectName(QStringLiteral("RadioButton3"));
    auto* leave = new QToolButton(this);
    leave->setObjectName(QStringLiteral("SpeedButton30"));
    leave->setText(QStringLiteral("离开"));
    leave->setMinimumSize(80, 30);
    connect(depositChoice, &QRadioButton::clicked, this, &TForm5::RadioButton1Click);
    connect(withdrawalChoice, &QRadioButton::clicked, this, &TForm5::RadioButton2Click);
    connect(transferChoice, &QRadioButton::clicked, this, &TForm5::RadioButton3Click);
    connect(leave, &QToolButton::clicked, this, &TForm5::SpeedButton30Click);

    auto* bar = new QHBoxLayout;
    bar->addWidget(depositChoice);
    bar->addWidget(withdrawalChoice);
    bar->addWidget(transferChoice);
    bar->addStretch(1);
    bar->addWidget(leave);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(stack_, 1);
    layout->addLayout(bar);

    FormCreate();
}

TForm5::~TForm5() {
    // The grids go before the reader they read from.
    delete stack_;
}

void TForm5::headerClicked(QTableView* grid, int section) {
    const QString field = static_cast<RecordsModel*>(grid->model())->fieldOf(section);
    if (TransactionReader::SortableField(field)) {
        sortDescending_ = field == sortField_ ? !sortDescending_ : field == QLatin1String("riqi");
        sortField_ = field;
        QList<RecordsModel*> models;
        for (QTableView* g : {deposits_, withdrawals_, transfers_}) {
            if (g)
                models.append(static_cast<RecordsModel*>(g->model()));
        }
        for (RecordsModel* m : models)
            m->beginReading();
        const Status started = reader_->start(sortField_, sortDescending_);
        for (RecordsModel* m : models)
            m->endReading();
        if (!started)
            ReportError(started.error());
    }
    for (QTableView* g : {deposits_, withdrawals_, transfers_}) {
        if (g)
            showSortMark(g);
    }
}

void TForm5::showSortMark(QTableView* grid) {
    // The header moves its mark on any click: it is put back on the column of the order.
    const auto* model = static_cast<RecordsModel*>(grid->model());
    int sorted = -1;
    for (int c = 0; c < model->columnCount(); ++c) {
        if (!sortField_.isEmpty() && model->fieldOf(c) == sortField_)
            sorted = c;
    }
    QHeaderView* header = grid->horizontalHeader();
    header->setSortIndicatorShown(sorted >= 0);
    header->setSortIndicator(sorted, sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TForm5::FormCreate() {
    const Status started = reader_->start();
    deposits_->setModel(new RecordsModel(*reader_, RecordKind::Deposit,
                                         {QStringLiteral("银行名称"), QStringLiteral("存款金额"),
                                          QStringLiteral("存款日期"), QStringLiteral("存款人")},
                                         deposits_));
    withdrawals_->setModel(new RecordsModel(*reader_, RecordKind::Withdrawal,
                                            {QStringLiteral("银行名称"), QStringLiteral("取款金额"),
                                             QStringLiteral("取款日期"), QStringLiteral("取款人")},
                                            withdrawals_));
    for (QTableView* grid : {deposits_, withdrawals_}) {
        connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
                [this, grid](int section) { headerClicked(grid, section); });
    }
    if (!started) {
        ReportError(started.error());
        return;
    }
    stack_->setCurrentWidget(deposits_);
}

void TForm5::RadioButton1Click() {
    stack_->setCurrentWidget(deposits_);
}

void TForm5::RadioButton2Click() {
    stack_->setCurrentWidget(withdrawals_);
}

void TForm5::RadioButton3Click() {
    // The transfers' grid is made when it is first asked for: most households open this window for
    // their deposits and withdrawals.
    if (!transfers_) {
        transfers_ = makeGrid("StringGrid3", this);
        transfers_->setModel(
            new RecordsModel(*reader_, RecordKind::Transfer,
                             {QStringLiteral("转出帐户"), QStringLiteral("转入帐户"), QStringLiteral("金额"),
                              QStringLiteral("手续费"), QStringLiteral("日期"), QStringLiteral("操作人")},
                             transfers_));
        connect(transfers_->horizontalHeader(), &QHeaderView::sectionClicked, this,
                [this](int section) { headerClicked(transfers_, section); });
        showSortMark(transfers_);
        stack_->addWidget(transfers_);
    }
    stack_->setCurrentWidget(transfers_);
}

void TForm5::SpeedButton30Click() {
    close();
}

void ShowTransactionRecords(Household& household) {
    TForm5 form(household, household.mainWindow);
    form.exec();
}

#include "bank/cunquxx.h"

#include "app/Household.h"
#include "bank/BankRecords.h"
#include "data/Database.h"
#include "kit/Prompt.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QTableWidget* makeGrid(const char* name, const QStringList& headers, QWidget* parent) {
    auto* grid = new QTableWidget(0, 4, parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setHorizontalHeaderLabels(headers);
    grid->verticalHeader()->hide();
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->setStyleSheet(
        QStringLiteral("QTableWidget { background: #dff5d8; color: navy; font-weight: bold; }"
                       "QHeaderView::section { font-weight: bold; color: navy; }"));
    return grid;
}

// Fills a grid: one row per transaction of every kind, the rows of this kind at the top, the rest blank.
void fill(QTableWidget* grid, qsizetype total, const QList<QStringList>& rows) {
    grid->setRowCount(static_cast<int>(total));
    const QColor fixedColumn(0xc4, 0xe6, 0xbb);
    for (int r = 0; r < grid->rowCount(); ++r) {
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(r < rows.size() ? rows[r].value(c) : QString());
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
            if (c == 0)
                item->setBackground(fixedColumn);
            grid->setItem(r, c, item);
        }
    }
}

}  // namespace

TForm5::TForm5(Household& household, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      household_(household),
      stack_(new QStackedWidget(this)),
      deposits_(makeGrid("StringGrid1",
                         {QStringLiteral("银行名称"), QStringLiteral("存款金额"), QStringLiteral("存款日期"),
                          QStringLiteral("存款人")},
                         this)),
      withdrawals_(makeGrid("StringGrid2",
                            {QStringLiteral("银行名称"), QStringLiteral("取款金额"),
                             QStringLiteral("取款日期"), QStringLiteral("取款人")},
                            this)) {
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
    auto* leave = new QToolButton(this);
    leave->setObjectName(QStringLiteral("SpeedButton30"));
    leave->setText(QStringLiteral("离开"));
    leave->setMinimumSize(80, 30);
    connect(depositChoice, &QRadioButton::clicked, this, &TForm5::RadioButton1Click);
    connect(withdrawalChoice, &QRadioButton::clicked, this, &TForm5::RadioButton2Click);
    connect(leave, &QToolButton::clicked, this, &TForm5::SpeedButton30Click);

    auto* bar = new QHBoxLayout;
    bar->addWidget(depositChoice);
    bar->addWidget(withdrawalChoice);
    bar->addStretch(1);
    bar->addWidget(leave);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(stack_, 1);
    layout->addLayout(bar);

    FormCreate();
}

void TForm5::FormCreate() {
    const Result<TransactionRecords> records = ReadTransactionRecords(household_.database.connection());
    if (!records) {
        ReportError(records.error());
        return;
    }
    fill(deposits_, records->total, records->deposits);
    fill(withdrawals_, records->total, records->withdrawals);
    stack_->setCurrentWidget(deposits_);
}

void TForm5::RadioButton1Click() {
    stack_->setCurrentWidget(deposits_);
}

void TForm5::RadioButton2Click() {
    stack_->setCurrentWidget(withdrawals_);
}

void TForm5::SpeedButton30Click() {
    close();
}

void ShowTransactionRecords(Household& household) {
    TForm5 form(household, household.mainWindow);
    form.exec();
}

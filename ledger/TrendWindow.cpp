#include "ledger/TrendWindow.h"

#include "data/Database.h"
#include "household/Household.h"
#include "kit/BarChart.h"
#include "kit/Prompt.h"
#include "kit/StyleEngine.h"
#include "kit/Today.h"
#include "ledger/YearTrend.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QColor kIncomeColour(0x00, 0x80, 0x00);
const QColor kExpenseColour(0xff, 0x00, 0x00);
constexpr int kFirstYear = 1900;
constexpr int kLastYear = 9999;

QLabel* totalLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// The figures stand on the window's own background: their green and red follow the style in force.
void showAmount(QLabel* label, const QString& title, Money amount, StyleEngine::Tone tone) {
    label->setText(title + amount.formatGrouped());
    label->setStyleSheet(QStringLiteral("font-size: 16px; font-weight: bold; ") + StyleEngine::toneSheet(tone));
}

const char* const kChangeRows[] = {"收入同比", "收入环比", "支出同比", "支出环比"};

QTableWidget* changeTable(QWidget* parent) {
    auto* table = new QTableWidget(int(std::size(kChangeRows)), 12, parent);
    table->setObjectName(QStringLiteral("trendChanges"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setToolTip(QStringLiteral("同比：与上一年同月相比；环比：与上个月相比。之前为零的月份显示“—”。"));
    QStringList months;
    for (int m = 1; m <= 12; ++m)
        months.append(QStringLiteral("%1月").arg(m));
    table->setHorizontalHeaderLabels(months);
    QStringList rows;
    for (const char* row : kChangeRows)
        rows.append(QString::fromUtf8(row));
    table->setVerticalHeaderLabels(rows);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->horizontalHeader()->setMinimumSectionSize(20);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const int rowHeight = table->fontMetrics().height() + 4;
    table->verticalHeader()->setDefaultSectionSize(rowHeight);
    table->setFixedHeight(table->horizontalHeader()->sizeHint().height() + rowHeight * table->rowCount() +
                          2 * table->frameWidth());
    return table;
}

}  // namespace

TrendWindow::TrendWindow(Household& household, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      household_(household) {
    setObjectName(QStringLiteral("TrendWindow"));
    setWindowTitle(QStringLiteral("收支趋势"));
    resize(780, 520);

    previous_ = new QPushButton(QStringLiteral("◀ 上一年"), this);
    previous_->setObjectName(QStringLiteral("trendPrevious"));
    previous_->setToolTip(QStringLiteral("上一年（PageUp）"));
    next_ = new QPushButton(QStringLiteral("下一年 ▶"), this);
    next_->setObjectName(QStringLiteral("trendNext"));
    next_->setToolTip(QStringLiteral("下一年（PageDown）"));
    yearLabel_ = new QLabel(this);
    yearLabel_->setObjectName(QStringLiteral("trendYear"));
    yearLabel_->setAlignment(Qt::AlignCenter);
    yearLabel_->setStyleSheet(
        QStringLiteral("font-size: 20px; font-weight: bold;"));  // the style's text colour
    auto* top = new QHBoxLayout;
    top->addWidget(previous_);
    top->addWidget(yearLabel_, 1);
    top->addWidget(next_);

    chart_ = new BarChart(QStringLiteral("每月收支"), this);
    chart_->setObjectName(QStringLiteral("trendChart"));
    chart_->setGroupSize(2);
    chart_->setShortMarks(true);
    changes_ = changeTable(this);

    auto* legend = new QLabel(
        QStringLiteral("<span style='color:%1'>■</span> 收入　<span style='color:%2'>■</span> 支出")
            .arg(kIncomeColour.name(), kExpenseColour.name()),
        this);
    legend->setAlignment(Qt::AlignCenter);

    income_ = totalLabel("trendIncome", this);
    expense_ = totalLabel("trendExpense", this);
    balance_ = totalLabel("trendBalance", this);
    auto* totals = new QHBoxLayout;
    totals->addWidget(income_, 1);
    totals->addWidget(expense_, 1);
    totals->addWidget(balance_, 1);

    close_ = new QPushButton(QStringLiteral("关闭"), this);
    close_->setObjectName(QStringLiteral("trendClose"));
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(chart_, 1);
    layout->addWidget(legend);
    layout->addWidget(changes_);
    layout->addLayout(totals);
    layout->addLayout(bottom);

    for (QPushButton* b : {previous_, next_, close_})
        b->setAutoDefault(false);
    setTabOrder(previous_, next_);
    setTabOrder(next_, close_);

    connect(previous_, &QPushButton::clicked, this, [this] { showYear(year_ - 1); });
    connect(next_, &QPushButton::clicked, this, [this] { showYear(year_ + 1); });
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    showYear(Today().year());
    close_->setFocus();
}

void TrendWindow::showYear(int year) {
    year = qBound(kFirstYear, year, kLastYear);
    const Result<YearTrend> trend = TrendOfYear(household_.database.connection(), year);
    if (!trend) {
        ReportError(QStringLiteral("无法读取 %1 年的收支，请稍后再试。（%2）").arg(year).arg(trend.error()));
        return;
    }
    year_ = year;
    yearLabel_->setText(QStringLiteral("%1年").arg(year));
    previous_->setEnabled(year > kFirstYear);
    next_->setEnabled(year < kLastYear);

    QList<BarChart::Bar> bars;
    for (int m = 0; m < 12; ++m) {
        const QString month = QStringLiteral("%1月").arg(m + 1);
        bars.append({month, trend->income[m], kIncomeColour});
        bars.append({month, trend->expense[m], kExpenseColour});
    }
    chart_->setBars(bars);
    // Months still to come have no change to show.
    const QDate today = Today();
    for (int m = 0; m < 12; ++m) {
        const bool toCome = year > today.year() || (year == today.year() && m + 1 > today.month());
        const MonthChanges changes = ChangesOfMonth(*trend, m);
        const QString cells[] = {changes.incomeOnYear, changes.incomeOnMonth, changes.expenseOnYear,
                                 changes.expenseOnMonth};
        const Money* now[] = {&trend->income[m], &trend->income[m], &trend->expense[m], &trend->expense[m]};
        const Money before[] = {
            trend->incomeYearBefore[m], MonthBefore(trend->income, trend->incomeYearBefore, m),
            trend->expenseYearBefore[m], MonthBefore(trend->expense, trend->expenseYearBefore, m)};
        const QString beforeName[] = {
            QStringLiteral("%1年%2月").arg(year - 1).arg(m + 1),
            QDate(year, m + 1, 1).addMonths(-1).toString(QStringLiteral("yyyy年M月"))};
        for (int r = 0; r < 4; ++r) {
            auto* item = new QTableWidgetItem(toCome ? QString() : cells[r]);
            item->setTextAlignment(Qt::AlignCenter);
            if (!toCome) {
                item->setToolTip(QStringLiteral("%1年%2月%3 %4；%5 %6")
                                     .arg(year)
                                     .arg(m + 1)
                                     .arg(r < 2 ? QStringLiteral("收入") : QStringLiteral("支出"),
                                          now[r]->formatGrouped(), beforeName[r % 2],
                                          before[r].formatGrouped()));
            }
            changes_->setItem(r, m, item);
        }
    }
    showAmount(income_, QStringLiteral("全年收入："), trend->incomeTotal, StyleEngine::Tone::Income);
    showAmount(expense_, QStringLiteral("全年支出："), trend->expenseTotal, StyleEngine::Tone::Expense);
    showAmount(balance_, QStringLiteral("结余："), trend->balance,
               trend->balance.isNegative() ? StyleEngine::Tone::Expense : StyleEngine::Tone::Income);
}

void TrendWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_PageUp && previous_->isEnabled()) {
        showYear(year_ - 1);
        return;
    }
    if (event->key() == Qt::Key_PageDown && next_->isEnabled()) {
        showYear(year_ + 1);
        return;
    }
    QDialog::keyPressEvent(event);
}

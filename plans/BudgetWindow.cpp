#include "plans/BudgetWindow.h"

#include "data/Database.h"
#include "household/Household.h"
#include "kit/BarChart.h"
#include "kit/FileChooser.h"
#include "kit/Prompt.h"
#include "kit/StyleEngine.h"
#include "kit/Today.h"
#include "ledger/LedgerTotals.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString kRight = QStringLiteral("支出管理");
constexpr int kPercentRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;

QColor levelColour(BudgetLevel level) {
    switch (level) {
        case BudgetLevel::Green:
            return QColor(0x3c, 0x9a, 0x3c);
        case BudgetLevel::Amber:
            return QColor(0xe0, 0xa0, 0x00);
        case BudgetLevel::Red:
            return QColor(0xd0, 0x30, 0x30);
    }
    return {};
}

// The use of a budget as a bar filled up to its share (at most the whole cell), its colour telling the
// level, the share written over it.
class UseBarDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QRect frame = option.rect.adjusted(4, 5, -4, -5);
        const int percent = index.data(kPercentRole).toInt();
        const auto level = static_cast<BudgetLevel>(index.data(kLevelRole).toInt());
        painter->save();
        painter->setPen(QColor(0xb0, 0xb0, 0xb0));
        painter->setBrush(QColor(0xf2, 0xf2, 0xf2));
        painter->drawRect(frame);
        QRect filled = frame.adjusted(1, 1, 0, 0);
        filled.setWidth(filled.width() * std::min(percent, 100) / 100);
        painter->fillRect(filled, levelColour(level));
        painter->setPen(Qt::black);
        painter->drawText(frame, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
        painter->restore();
    }
};

QTableWidgetItem* cell(const QString& text, Qt::Alignment alignment = Qt::AlignRight | Qt::AlignVCenter) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment);
    return item;
}

QString monthText(const QDate& month) {
    return month.toString(QStringLiteral("yyyy年M月"));
}

}  // namespace

BudgetWindow::BudgetWindow(Household& household, const QDate& month, QWidget* parent)
    : QDialog(parent), household_(household), month_(month.year(), month.month(), 1), year_(month.year()) {
    setObjectName(QStringLiteral("BudgetWindow"));
    setWindowTitle(QStringLiteral("预算"));
    build();
    loadDetails();
    showMonth(month_);
    clearBoxes();
}

void BudgetWindow::build() {
    resize(760, 560);
    auto* layout = new QVBoxLayout(this);

    auto* moves = new QHBoxLayout;
    auto* back = new QPushButton(QStringLiteral("◀"), this);
    back->setObjectName(QStringLiteral("BudgetBack"));
    auto* forward = new QPushButton(QStringLiteral("▶"), this);
    forward->setObjectName(QStringLiteral("BudgetForward"));
    monthLabel_ = new QLabel(this);
    monthLabel_->setObjectName(QStringLiteral("BudgetMonth"));
    monthLabel_->setAlignment(Qt::AlignCenter);
    monthLabel_->setMinimumWidth(160);
    moves->addStretch();
    moves->addWidget(back);
    moves->addWidget(monthLabel_);
    moves->addWidget(forward);
    moves->addStretch();
    layout->addLayout(moves);
    connect(back, &QPushButton::clicked, this, [this] { step(-1); });
    connect(forward, &QPushButton::clicked, this, [this] { step(1); });

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("BudgetPages"));
    layout->addWidget(pages_, 1);

    auto* monthPage = new QWidget;
    auto* monthLayout = new QVBoxLayout(monthPage);
    grid_ = new QTableWidget(0, 5, monthPage);
    grid_->setObjectName(QStringLiteral("BudgetGrid"));
    grid_->setHorizontalHeaderLabels({QStringLiteral("明细"), QStringLiteral("本月预算"),
                                      QStringLiteral("已用"), QStringLiteral("剩余"),
                                      QStringLiteral("使用情况")});
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setSectionResizeMode(4, QHeaderView::Stretch);
    grid_->setColumnWidth(0, 130);
    grid_->setColumnWidth(1, 120);
    grid_->setColumnWidth(2, 110);
    grid_->setColumnWidth(3, 110);
    grid_->setItemDelegateForColumn(4, new UseBarDelegate(grid_));
    monthLayout->addWidget(grid_, 1);
    connect(grid_, &QTableWidget::itemSelectionChanged, this, &BudgetWindow::showChosen);

    auto* boxes = new QGroupBox(QStringLiteral("预算"), monthPage);
    auto* form = new QGridLayout(boxes);
    detail_ = new QComboBox(boxes);
    detail_->setObjectName(QStringLiteral("BudgetDetail"));
    detail_->setEditable(true);
    detail_->setMinimumWidth(130);
    everyMonth_ = new QLineEdit(boxes);
    everyMonth_->setObjectName(QStringLiteral("BudgetEveryMonth"));
    everyMonth_->setPlaceholderText(QStringLiteral("如 1500"));
    rollover_ = new QCheckBox(QStringLiteral("结转：剩余或超支计入下月"), boxes);
    rollover_->setObjectName(QStringLiteral("BudgetRollover"));
    start_ = new QDateEdit(boxes);
    start_->setObjectName(QStringLiteral("BudgetStart"));
    start_->setDisplayFormat(QStringLiteral("yyyy-MM"));
    form->addWidget(new QLabel(QStringLiteral("明细"), boxes), 0, 0);
    form->addWidget(detail_, 0, 1);
    form->addWidget(new QLabel(QStringLiteral("每月金额"), boxes), 0, 2);
    form->addWidget(everyMonth_, 0, 3);
    form->addWidget(new QLabel(QStringLiteral("起始月份"), boxes), 0, 4);
    form->addWidget(start_, 0, 5);
    form->addWidget(rollover_, 0, 6, 1, 3);
    yearOfMonths_ = new QLabel(boxes);
    form->addWidget(yearOfMonths_, 1, 0, 1, 9);
    auto* monthBoxes = new QGridLayout;
    for (int m = 1; m <= 12; ++m) {
        auto* box = new QLineEdit(boxes);
        box->setObjectName(QStringLiteral("BudgetMonth%1").arg(m));
        const int row = (m - 1) / 6;
        const int column = (m - 1) % 6;
        monthBoxes->addWidget(new QLabel(QStringLiteral("%1月").arg(m), boxes), row, column * 2);
        monthBoxes->addWidget(box, row, column * 2 + 1);
        months_.append(box);
    }
    form->addLayout(monthBoxes, 2, 0, 1, 9);
    monthLayout->addWidget(boxes);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const char* name, const char* text) {
        auto* b = new QPushButton(QString::fromUtf8(text), monthPage);
        b->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(b);
        return b;
    };
    QPushButton* fresh = button("BudgetNew", "新建");
    QPushButton* store = button("BudgetSave", "保存");
    QPushButton* drop = button("BudgetDelete", "删除");
    buttons->addStretch();
    QPushButton* csv = button("BudgetExport", "导出全年…");
    QPushButton* close = button("BudgetClose", "关闭");
    monthLayout->addLayout(buttons);
    connect(fresh, &QPushButton::clicked, this, [this] {
        grid_->clearSelection();
        clearBoxes();
        detail_->setFocus();
    });
    connect(store, &QPushButton::clicked, this, &BudgetWindow::save);
    connect(drop, &QPushButton::clicked, this, &BudgetWindow::remove);
    connect(csv, &QPushButton::clicked, this, &BudgetWindow::exportYear);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    pages_->addTab(monthPage, QStringLiteral("本月"));

    auto* yearPage = new QWidget;
    auto* yearLayout = new QVBoxLayout(yearPage);
    yearChart_ = new BarChart(QStringLiteral("每月预算（蓝）与实际支出"), yearPage);
    yearChart_->setObjectName(QStringLiteral("BudgetYearChart"));
    yearChart_->setGroupSize(2);
    yearLayout->addWidget(yearChart_);
    pages_->addTab(yearPage, QStringLiteral("全年"));
    // The year's twelve months are read when its page is first shown.
    connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == 1 && !yearShown_)
            showYear(month_.year());
        monthLabel_->setText(page == 0 ? monthText(month_) : QStringLiteral("%1年").arg(year_));
    });
}

void BudgetWindow::loadDetails() {
    detail_->clear();
    detail_->addItem(WholeMonthName());
    const Result<QStringList> details =
        DistinctDetails(household_.database.connection(), QStringLiteral("zhichu"));
    if (details)
        detail_->addItems(details.value());
}

void BudgetWindow::step(int by) {
    if (pages_->currentIndex() == 0)
        showMonth(month_.addMonths(by));
    else
        showYear(year_ + by);
}

void BudgetWindow::showMonth(const QDate& month) {
    const QDate first(month.year(), month.month(), 1);
    QSqlDatabase db = household_.database.connection();
    const Result<QList<Budget>> budgets = ReadBudgets(db);
    if (!budgets) {
        ReportError(budgets.error());
        return;
    }
    const Result<QList<BudgetUse>> uses = ReadUseOfMonth(db, budgets.value(), first);
    if (!uses) {
        ReportError(uses.error());
        return;
    }
    month_ = first;
    budgets_ = budgets.value();
    uses_ = uses.value();
    if (pages_->currentIndex() == 0)
        monthLabel_->setText(monthText(month_));
    const qint64 chosen = editing_;
    grid_->setRowCount(0);
    grid_->setRowCount(static_cast<int>(uses_.size()));
    for (int row = 0; row < uses_.size(); ++row) {
        const BudgetUse& use = uses_[row];
        grid_->setItem(
            row, 0,
            cell(use.detail.isEmpty() ? WholeMonthName() : use.detail, Qt::AlignLeft | Qt::AlignVCenter));
        QTableWidgetItem* budget = cell(use.budget.format());
        if (!use.carried.isZero())
            budget->setToolTip(
                QStringLiteral("本月金额 %1，结转 %2").arg(use.amount.format(), use.carried.format()));
        grid_->setItem(row, 1, budget);
        grid_->setItem(row, 2, cell(use.spent.format()));
        QTableWidgetItem* left = cell(use.left.format());
        if (use.left.isNegative())
            left->setForeground(StyleEngine::tone(StyleEngine::Tone::Expense));  // readable in every style
        grid_->setItem(row, 3, left);
        QTableWidgetItem* bar =
            cell(use.percent >= 999 ? QStringLiteral("超支") : QStringLiteral("%1%").arg(use.percent),
                 Qt::AlignCenter);
        bar->setData(kPercentRole, use.percent);
        bar->setData(kLevelRole, static_cast<int>(use.level));
        grid_->setItem(row, 4, bar);
        if (budgets_[row].id == chosen)
            grid_->selectRow(row);
    }
    yearOfMonths_->setText(QStringLiteral("%1年各月金额（留空的月份用每月金额）").arg(month_.year()));
    showChosen();
}

void BudgetWindow::showYear(int year) {
    const Result<QList<BudgetTotal>> months = YearOfBudgets(household_.database.connection(), year);
    if (!months) {
        ReportError(months.error());
        return;
    }
    year_ = year;
    yearShown_ = true;
    if (pages_->currentIndex() == 1)
        monthLabel_->setText(QStringLiteral("%1年").arg(year_));
    QList<BarChart::Bar> bars;
    for (int m = 0; m < months->size(); ++m) {
        const BudgetTotal& total = months->at(m);
        const BudgetLevel level = LevelOf(total.spent, total.budget);
        bars.append({QStringLiteral("%1月").arg(m + 1), total.budget, QColor(0x4a, 0x7b, 0xd0)});
        bars.append({QStringLiteral("%1月").arg(m + 1), total.spent, levelColour(level)});
    }
    yearChart_->setBars(bars);
}

void BudgetWindow::showChosen() {
    const QList<QTableWidgetItem*> chosen = grid_->selectedItems();
    if (chosen.isEmpty()) {
        editing_ = 0;
        return;
    }
    const int row = chosen.first()->row();
    if (row < 0 || row >= budgets_.size())
        return;
    const Budget& budget = budgets_[row];
    editing_ = budget.id;
    detail_->setCurrentText(budget.wholeMonth() ? WholeMonthName() : budget.detail);
    everyMonth_->setText(budget.everyMonth ? budget.everyMonth->toPlainText() : QString());
    rollover_->setChecked(budget.rollover);
    start_->setDate(budget.start.isValid() ? budget.start : month_);
    for (int m = 1; m <= 12; ++m) {
        const auto own = budget.months.constFind(MonthKey(QDate(month_.year(), m, 1)));
        months_[m - 1]->setText(own == budget.months.constEnd() ? QString() : own->toPlainText());
    }
}

void BudgetWindow::clearBoxes() {
    editing_ = 0;
    detail_->setCurrentIndex(0);
    detail_->setCurrentText(WholeMonthName());
    everyMonth_->clear();
    rollover_->setChecked(false);
    start_->setDate(month_);
    for (QLineEdit* box : months_)
        box->clear();
}

bool BudgetWindow::mayEdit() {
    return household_.permissionGate(kRight);
}

void BudgetWindow::save() {
    if (!mayEdit())
        return;
    BudgetInput input;
    input.id = editing_;
    input.wholeMonth = detail_->currentText() == WholeMonthName();
    input.detail = detail_->currentText();
    input.everyMonth = everyMonth_->text();
    input.rollover = rollover_->isChecked();
    input.start = start_->date();
    input.year = month_.year();
    for (int m = 1; m <= 12; ++m) {
        // Months left empty drop an amount of their own only where the budget had one.
        const QString text = months_[m - 1]->text();
        if (!text.trimmed().isEmpty() || editing_ != 0)
            input.months.append({m, text});
    }
    const Result<qint64> saved = SaveBudget(household_.database, input);
    if (!saved) {
        Notify(saved.error());
        return;
    }
    editing_ = saved.value();
    showMonth(month_);
    if (yearShown_)
        showYear(year_);
}

void BudgetWindow::remove() {
    if (editing_ == 0 || !mayEdit())
        return;
    if (Prompt::current().show(Captions::kNotice, QStringLiteral("确定删除这项预算吗？"),
                               Prompt::Buttons::YesNo, Prompt::Icon::Question) != Prompt::Answer::Yes)
        return;
    if (const Status removed = DeleteBudget(household_.database, editing_); !removed) {
        ReportError(removed.error());
        return;
    }
    grid_->clearSelection();
    clearBoxes();
    showMonth(month_);
    if (yearShown_)
        showYear(year_);
}

void BudgetWindow::exportYear() {
    const int year = pages_->currentIndex() == 0 ? month_.year() : year_;
    const QString path = FileChooser::chooseSaveFile(this, QStringLiteral("导出全年预算"),
                                                     QStringLiteral("预算%1.csv").arg(year),
                                                     QStringLiteral("CSV 文件 (*.csv);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    const Result<int> rows = ExportBudgetsToCsv(household_.database.connection(), year, path);
    if (!rows) {
        ReportError(rows.error());
        return;
    }
    Prompt::current().show(Captions::kNotice,
                           QStringLiteral("已导出 %1 行到“%2”。").arg(rows.value()).arg(path),
                           Prompt::Buttons::Ok, Prompt::Icon::Information);
}

void SayBudgetAlerts(Database& database, const QString& detail, const QDate& day) {
    const Result<QStringList> alerts = BudgetAlerts(database, detail, day);
    if (!alerts) {
        ReportError(QStringLiteral("已保存，但无法检查预算：%1").arg(alerts.error()));
        return;
    }
    if (alerts->isEmpty())
        return;
    Prompt::current().show(Captions::kNotice,
                           QStringLiteral("预算提醒：\n") + alerts->join(QLatin1Char('\n')),
                           Prompt::Buttons::Ok, Prompt::Icon::Information);
}

QString BudgetLine(Database& database, const QDate& month) {
    if (!database.isOpen())
        return {};
    const Result<QString> line = BudgetLineOfMonth(database.connection(), month);
    return line ? line.value() : QStringLiteral("本月预算：无法读取（%1）").arg(line.error());
}

QStringList OverBudgetReminders(Database& database) {
    const Result<QStringList> lines = OverBudgetLines(database.connection(), Today());
    if (!lines) {
        ReportError(QStringLiteral("无法读取本月预算：%1").arg(lines.error()));
        return {};
    }
    return lines.value();
}

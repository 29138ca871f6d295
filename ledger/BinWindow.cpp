#include "ledger/BinWindow.h"

#include "data/Database.h"
#include "data/HomeSafe.h"
#include "data/Statements.h"
#include "household/Household.h"
#include "kit/ListGrid.h"
#include "kit/Prompt.h"
#include "kit/StyleEngine.h"
#include "kit/Today.h"

#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace {

const std::initializer_list<const char*> kHeaders = {"类型", "明细",   "金额",     "登记日期", "登记人",
                                                     "备注", "删除人", "删除时间", "帐户"};

}  // namespace

QString GateTextOf(EntryType type) {
    return type == EntryType::Income ? QStringLiteral("收入管理") : QStringLiteral("支出管理");
}

BinWindow::BinWindow(Household& household, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      household_(household) {
    setObjectName(QStringLiteral("BinWindow"));
    setWindowTitle(QStringLiteral("回收站"));
    resize(760, 420);

    auto* heading = new QLabel(QStringLiteral("已删除的收支记录（删除满一年的记录会自动清除）"), this);
    heading->setStyleSheet(QStringLiteral("font-weight: bold; ") +
                           StyleEngine::toneSheet(StyleEngine::Tone::Heading));

    grid_ = NewListGrid(this, QStringLiteral("binGrid"), kHeaders);
    // The remarks take what width is left.
    grid_->horizontalHeader()->setSectionResizeMode(5, QHeaderView::Stretch);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("binStatus"));

    restore_ = new QPushButton(QStringLiteral("恢复(&R)"), this);
    restore_->setObjectName(QStringLiteral("binRestore"));
    empty_ = new QPushButton(QStringLiteral("清空(&E)"), this);
    empty_->setObjectName(QStringLiteral("binEmpty"));
    close_ = new QPushButton(QStringLiteral("关闭"), this);
    close_->setObjectName(QStringLiteral("binClose"));
    for (QPushButton* b : {restore_, empty_, close_})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(restore_);
    buttons->addWidget(empty_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(grid_, 1);
    layout->addLayout(buttons);

    setTabOrder(grid_, restore_);
    setTabOrder(restore_, empty_);
    setTabOrder(empty_, close_);

    connect(restore_, &QPushButton::clicked, this, &BinWindow::restoreChosen);
    connect(empty_, &QPushButton::clicked, this, &BinWindow::emptyAll);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    for (EntryType type : {EntryType::Income, EntryType::Expense}) {
        if (household_.holdsRight(GateTextOf(type)))
            shownTypes_.append(type);
    }
    // Entries deleted more than a year ago leave first; a failure here only leaves them listed a while.
    (void)ExpireBin(household_.database, Today());
    reload();
    grid_->setFocus();
}

void BinWindow::reload() {
    const Result<QList<BinEntry>> read = BinEntries(household_.database.connection());
    if (!read) {
        entries_.clear();
        grid_->setRowCount(0);
        status_->setText(QStringLiteral("无法读取回收站。"));
        ReportError(QStringLiteral("无法读取回收站，请稍后再试。（%1）").arg(read.error()));
        return;
    }
    entries_.clear();
    for (const BinEntry& e : read.value()) {
        if (shownTypes_.contains(e.type()))
            entries_.append(e);
    }
    // Each place with its kind and closed mark; a place removed since is said to be so.
    QHash<qint64, QString> places;
    if (const Result<QList<PlaceChoice>> choices = ReadPlaceChoices(household_.database.connection())) {
        for (const PlaceChoice& place : choices.value())
            places.insert(place.id, PlaceLabel(place));
    }
    grid_->setRowCount(static_cast<int>(entries_.size()));
    for (int row = 0; row < entries_.size(); ++row) {
        const BinEntry& e = entries_[row];
        const QStringList cells = {
            e.type() == EntryType::Income ? QStringLiteral("收入") : QStringLiteral("支出"),
            e.detail,
            e.amount.format(),
            e.date,
            e.registrar,
            QString(e.remarks).replace(QLatin1Char('\n'), QLatin1Char(' ')),
            e.deletedBy,
            e.deletedAt,
            e.place == 0 ? QString::fromUtf8(Codes::kHomeSafe)
                         : places.value(e.place, QStringLiteral("（帐户已删除）"))};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column == 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (column == 5)
                item->setToolTip(e.remarks);
            grid_->setItem(row, column, item);
        }
    }
    if (!sized_ && !entries_.isEmpty()) {
        grid_->resizeColumnsToContents();
        sized_ = true;
    }
    if (!entries_.isEmpty())
        grid_->selectRow(0);
    restore_->setEnabled(!entries_.isEmpty());
    empty_->setEnabled(!entries_.isEmpty());
    if (entries_.isEmpty())
        status_->setText(QStringLiteral("回收站是空的。"));
    else
        status_->setText(QStringLiteral("共 %1 条记录。").arg(entries_.size()));
}

void BinWindow::restoreChosen() {
    const int row = grid_->currentRow();
    if (row < 0 || row >= entries_.size()) {
        Prompt::current().show(Captions::kNotice, QStringLiteral("请先在列表中选定要恢复的记录。"),
                               Prompt::Buttons::Ok, Prompt::Icon::Information);
        return;
    }
    const BinEntry entry = entries_[row];
    if (!household_.permissionGate(GateTextOf(entry.type())))
        return;
    const Result<BinPlace> place = PlaceOfBinEntry(household_.database.connection(), entry);
    if (!place) {
        ReportError(QStringLiteral("未能读出这条记录的帐户，没有恢复。\n%1").arg(place.error()));
        return;
    }
    RestoreTo to = RestoreTo::Place;
    if (place->state == BinPlaceState::Closed) {
        if (Prompt::current().show(
                Captions::kNotice,
                QStringLiteral("这条记录的帐户“%1”已关闭。要重新打开“%1”并把记录恢复到其中吗？\n"
                               "选“否”则什么也不改变。")
                    .arg(place->name),
                Prompt::Buttons::YesNo, Prompt::Icon::Question) != Prompt::Answer::Yes)
            return;
        to = RestoreTo::ReopenedPlace;
    } else if (place->state == BinPlaceState::Gone) {
        if (Prompt::current().show(
                Captions::kNotice,
                QStringLiteral("这条记录的帐户已不存在（已被删除）。要把它恢复到家庭保险柜吗？"
                               "家庭保险柜的余额将随之改变 %1。\n选“否”则记录留在回收站中。")
                    .arg(entry.amount.format()),
                Prompt::Buttons::YesNo, Prompt::Icon::Question) != Prompt::Answer::Yes)
            return;
        to = RestoreTo::HomeSafe;
    }
    const Result<qint64> restored = RestoreFromBin(household_.database, household_.homeSafe, entry, to);
    if (!restored) {
        ReportError(QStringLiteral("未能恢复这条记录，收支记录、回收站和家庭保险柜都保持原样。\n%1")
                        .arg(restored.error()));
        reload();
        return;
    }
    reload();
    status_->setText(
        QStringLiteral("已恢复：%1 %2（%3）").arg(entry.detail, entry.amount.format(), entry.date));
}

void BinWindow::emptyAll() {
    if (entries_.isEmpty())
        return;
    // Only the rows listed are emptied: the gate is asked for each type among them, income first.
    for (EntryType type : {EntryType::Income, EntryType::Expense}) {
        const bool present = std::any_of(entries_.cbegin(), entries_.cend(),
                                         [type](const BinEntry& e) { return e.type() == type; });
        if (present && !household_.permissionGate(GateTextOf(type)))
            return;
    }
    if (Prompt::current().show(
            Captions::kNotice,
            QStringLiteral("确信要清空回收站吗？其中的 %1 条记录将无法再恢复。").arg(entries_.size()),
            Prompt::Buttons::YesNo, Prompt::Icon::Question) != Prompt::Answer::Yes)
        return;
    QList<qint64> shown;
    for (const BinEntry& e : entries_)
        shown.append(e.id);
    if (const Result<int> emptied = EmptyBin(household_.database, shown); !emptied) {
        ReportError(QStringLiteral("无法清空回收站，记录都还在。请稍后再试。（%1）").arg(emptied.error()));
        return;
    }
    reload();
    // Entries deleted elsewhere after the list was read were never shown: they stay, and say so.
    if (!entries_.isEmpty()) {
        status_->setText(
            QStringLiteral(
                "已清空列出的记录；另有 %1 条是刚在别处删除的，仍留在回收站中，如也要清空请再按“清空”。")
                .arg(entries_.size()));
    }
}

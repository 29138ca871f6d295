#include "bills/RulesWindow.h"

#include "data/Database.h"
#include "household/Household.h"
#include "kit/ListGrid.h"
#include "kit/Prompt.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString directionText(EntryType type) {
    return type == EntryType::Income ? QStringLiteral("收入") : QStringLiteral("支出");
}

}  // namespace

RulesWindow::RulesWindow(Household& household, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      household_(household) {
    setObjectName(QStringLiteral("RulesWindow"));
    setWindowTitle(QStringLiteral("明细规则"));
    resize(560, 440);

    auto* heading =
        new QLabel(QStringLiteral("导入帐单时，交易对方或商品说明含有关键词的一行会得到规则给出的明细；"
                                  "几条规则都符合时，关键词最长的那条优先。"),
                   this);
    heading->setWordWrap(true);

    grid_ = new QTableWidget(0, 3, this);
    grid_->setObjectName(QStringLiteral("rulesGrid"));
    grid_->setHorizontalHeaderLabels(
        {QStringLiteral("关键词"), QStringLiteral("收/支"), QStringLiteral("明细")});
    grid_->verticalHeader()->hide();
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grid_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);

    keyword_ = new QLineEdit(this);
    keyword_->setObjectName(QStringLiteral("ruleKeyword"));
    keyword_->setPlaceholderText(QStringLiteral("例如：星巴克"));
    type_ = new QComboBox(this);
    type_->setObjectName(QStringLiteral("ruleType"));
    type_->addItem(directionText(EntryType::Expense), static_cast<int>(EntryType::Expense));
    type_->addItem(directionText(EntryType::Income), static_cast<int>(EntryType::Income));
    detail_ = new QLineEdit(this);
    detail_->setObjectName(QStringLiteral("ruleDetail"));
    detail_->setPlaceholderText(QStringLiteral("例如：餐饮"));
    auto* boxes = new QFormLayout;
    boxes->addRow(QStringLiteral("关键词："), keyword_);
    boxes->addRow(QStringLiteral("收/支："), type_);
    boxes->addRow(QStringLiteral("明细："), detail_);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("rulesStatus"));
    add_ = new QPushButton(QStringLiteral("添加(&A)"), this);
    add_->setObjectName(QStringLiteral("ruleAdd"));
    change_ = new QPushButton(QStringLiteral("修改(&M)"), this);
    change_->setObjectName(QStringLiteral("ruleChange"));
    delete_ = new QPushButton(QStringLiteral("删除(&D)"), this);
    delete_->setObjectName(QStringLiteral("ruleDelete"));
    close_ = new QPushButton(QStringLiteral("关闭"), this);
    close_->setObjectName(QStringLiteral("rulesClose"));
    for (QPushButton* b : {add_, change_, delete_, close_})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(add_);
    buttons->addWidget(change_);
    buttons->addWidget(delete_);
    buttons->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(grid_, 1);
    layout->addLayout(boxes);
    layout->addLayout(buttons);

    connect(grid_, &QTableWidget::currentCellChanged, this, &RulesWindow::showChosen);
    connect(add_, &QPushButton::clicked, this, &RulesWindow::addRule);
    connect(change_, &QPushButton::clicked, this, &RulesWindow::changeRule);
    connect(delete_, &QPushButton::clicked, this, &RulesWindow::deleteRule);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);

    reload();
}

void RulesWindow::reload(qint64 chosen) {
    const Result<QList<DetailRule>> read = ReadRules(household_.database.connection());
    rules_ = read ? read.value() : QList<DetailRule>();
    const QSignalBlocker quiet(grid_);
    QList<QStringList> rows;
    int chosenRow = rules_.isEmpty() ? -1 : 0;
    for (const DetailRule& rule : rules_) {
        if (rule.id == chosen)
            chosenRow = static_cast<int>(rows.size());
        rows.append({rule.keyword, directionText(rule.type), rule.detail});
    }
    FillListGrid(grid_, rows, chosenRow);
    showChosen();
    if (!read) {
        status_->setText(QStringLiteral("无法读取明细规则。"));
        ReportError(QStringLiteral("无法读取明细规则，请稍后再试。（%1）").arg(read.error()));
    } else {
        status_->setText(rules_.isEmpty() ? QStringLiteral("还没有规则。")
                                          : QStringLiteral("共 %1 条规则。").arg(rules_.size()));
    }
}

void RulesWindow::showChosen() {
    const int row = grid_->currentRow();
    const bool chosen = row >= 0 && row < rules_.size();
    change_->setEnabled(chosen);
    delete_->setEnabled(chosen);
    if (!chosen)
        return;
    keyword_->setText(rules_[row].keyword);
    type_->setCurrentIndex(type_->findData(static_cast<int>(rules_[row].type)));
    detail_->setText(rules_[row].detail);
}

DetailRule RulesWindow::typed(qint64 id) const {
    return {id, keyword_->text(), static_cast<EntryType>(type_->currentData().toInt()), detail_->text()};
}

bool RulesWindow::mayEdit() {
    return PermissionGateAny(household_, {QStringLiteral("收入管理"), QStringLiteral("支出管理")});
}

void RulesWindow::store(qint64 id) {
    if (!mayEdit())
        return;
    const Result<qint64> saved = SaveRule(household_.database, typed(id));
    if (!saved) {
        Prompt::current().show(Captions::kNotice, saved.error(), Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return;
    }
    reload(saved.value());
    status_->setText(id == 0 ? QStringLiteral("已添加规则“%1”。").arg(keyword_->text())
                             : QStringLiteral("已修改规则“%1”。").arg(keyword_->text()));
}

void RulesWindow::addRule() {
    store(0);
}

void RulesWindow::changeRule() {
    const int row = grid_->currentRow();
    if (row >= 0 && row < rules_.size())
        store(rules_[row].id);
}

void RulesWindow::deleteRule() {
    const int row = grid_->currentRow();
    if (row < 0 || row >= rules_.size() || !mayEdit())
        return;
    const DetailRule rule = rules_[row];
    if (Prompt::current().show(Captions::kNotice,
                               QStringLiteral("要删除规则“%1 → %2”（%3）吗？")
                                   .arg(rule.keyword, rule.detail, directionText(rule.type)),
                               Prompt::Buttons::YesNoDefaultNo,
                               Prompt::Icon::Question) != Prompt::Answer::Yes)
        return;
    const Status removed = DeleteRule(household_.database, rule.id);
    if (!removed) {
        ReportError(QStringLiteral("未能删除这条规则。\n%1").arg(removed.error()));
        reload();
        return;
    }
    reload();
    status_->setText(QStringLiteral("已删除规则“%1”。").arg(rule.keyword));
}

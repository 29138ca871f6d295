#include "bills/ImportRecordsWindow.h"

#include "data/Database.h"
#include "household/CurrentUser.h"
#include "household/Household.h"
#include "kit/ListGrid.h"
#include "kit/Prompt.h"
#include "kit/StyleEngine.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <iterator>

namespace {

const std::initializer_list<const char*> kHeaders = {"时间", "文件", "来源", "新增笔数", "操作人", "状态"};
constexpr int kFileColumn = 1;
constexpr int kAddedColumn = 3;

}  // namespace

ImportRecordsWindow::ImportRecordsWindow(Household& household, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      household_(household) {
    setObjectName(QStringLiteral("ImportRecordsWindow"));
    setWindowTitle(QStringLiteral("导入记录"));
    resize(780, 400);

    auto* heading = new QLabel(
        QStringLiteral("每次导入帐单的记录。撤销一次导入会把它新增的收支移入回收站，并退回各帐户的余额。"),
        this);
    heading->setStyleSheet(QStringLiteral("font-weight: bold; ") +
                           StyleEngine::toneSheet(StyleEngine::Tone::Heading));
    heading->setWordWrap(true);

    grid_ = NewListGrid(this, QStringLiteral("importGrid"), kHeaders);
    grid_->horizontalHeader()->setSectionResizeMode(kFileColumn, QHeaderView::Stretch);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("importStatus"));
    undo_ = new QPushButton(QStringLiteral("撤销这次导入(&U)"), this);
    undo_->setObjectName(QStringLiteral("importUndo"));
    close_ = new QPushButton(QStringLiteral("关闭"), this);
    close_->setObjectName(QStringLiteral("importClose"));
    for (QPushButton* b : {undo_, close_})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(undo_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(grid_, 1);
    layout->addLayout(buttons);

    connect(undo_, &QPushButton::clicked, this, &ImportRecordsWindow::undoChosen);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    connect(grid_, &QTableWidget::currentCellChanged, this, &ImportRecordsWindow::updateButtons);

    reload();
    grid_->setFocus();
}

void ImportRecordsWindow::reload() {
    const Result<QList<ImportRecord>> read = ImportRecords(household_.database.connection());
    records_ = read ? read.value() : QList<ImportRecord>();
    grid_->setRowCount(static_cast<int>(records_.size()));
    for (int row = 0; row < records_.size(); ++row) {
        const ImportRecord& r = records_[row];
        const QStringList cells = {r.when,   r.file,
                                   r.source, QString::number(r.added),
                                   r.by,     r.undone ? QStringLiteral("已撤销") : QStringLiteral("已导入")};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column == kAddedColumn)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (column == kFileColumn)
                item->setToolTip(r.file);
            if (r.undone)
                item->setForeground(StyleEngine::tone(StyleEngine::Tone::Muted));
            grid_->setItem(row, column, item);
        }
    }
    grid_->resizeColumnsToContents();
    grid_->horizontalHeader()->setSectionResizeMode(kFileColumn, QHeaderView::Stretch);
    if (!records_.isEmpty())
        grid_->selectRow(0);
    if (!read) {
        status_->setText(QStringLiteral("无法读取导入记录。"));
        ReportError(QStringLiteral("无法读取导入记录，请稍后再试。（%1）").arg(read.error()));
    } else if (records_.isEmpty()) {
        status_->setText(QStringLiteral("还没有导入过帐单。"));
    } else {
        status_->setText(QStringLiteral("共 %1 次导入。").arg(records_.size()));
    }
    updateButtons();
}

void ImportRecordsWindow::updateButtons() {
    const int row = grid_->currentRow();
    undo_->setEnabled(row >= 0 && row < records_.size() && !records_[row].undone);
}

void ImportRecordsWindow::undoChosen() {
    const int row = grid_->currentRow();
    if (row < 0 || row >= records_.size()) {
        Prompt::current().show(Captions::kNotice, QStringLiteral("请先在列表中选定要撤销的导入。"),
                               Prompt::Buttons::Ok, Prompt::Icon::Information);
        return;
    }
    const ImportRecord record = records_[row];
    // Importing needed both rights; so does taking it back.
    if (!household_.permissionGate(QStringLiteral("收入管理")) ||
        !household_.permissionGate(QStringLiteral("支出管理")))
        return;
    if (Prompt::current().show(
            Captions::kNotice,
            QStringLiteral("要撤销 %1 导入的“%2”吗？\n这次导入新增的 %3 笔收支和转帐将移入回收站或取消，"
                           "各帐户的余额随之退回；之后可以重新导入这个帐单。")
                .arg(record.when, record.file)
                .arg(record.added),
            Prompt::Buttons::YesNoDefaultNo, Prompt::Icon::Question) != Prompt::Answer::Yes)
        return;
    UndoOutcome done;
    Status undone =
        UndoImport(household_.database, household_.homeSafe, record.id, household_.user.name, &done);
    // A place closed since the import may be opened again to take its money back, as the bin offers.
    if (!undone && !done.closedPlaces.isEmpty()) {
        const QString names = done.closedPlaces.join(QStringLiteral("”、“"));
        if (Prompt::current().show(
                Captions::kNotice,
                QStringLiteral("这次导入用到的帐户“%1”已关闭。要重新启用“%1”并撤销这次导入吗？\n"
                               "选“否”则什么也不改变。")
                    .arg(names),
                Prompt::Buttons::YesNo, Prompt::Icon::Question) != Prompt::Answer::Yes)
            return;
        undone = UndoImport(household_.database, household_.homeSafe, record.id, household_.user.name, &done,
                            ReopenPlaces::Yes);
    }
    reload();
    if (!undone) {
        ReportError(
            QStringLiteral("未能撤销这次导入，收支记录和帐户余额都保持原样。\n%1").arg(undone.error()));
        return;
    }
    QString text = QStringLiteral("已撤销导入“%1”：%2 笔收支移入了回收站，%3 笔转帐已取消。")
                       .arg(record.file)
                       .arg(done.binned)
                       .arg(done.transfers);
    if (done.skipped > 0)
        text += QStringLiteral("另有 %1 笔在导入后已被删除，保持原样。").arg(done.skipped);
    status_->setText(QStringLiteral("已撤销导入“%1”。").arg(record.file));
    Prompt::current().show(Captions::kNotice, text, Prompt::Buttons::Ok, Prompt::Icon::Information);
}

#include "bills/ImportPreview.h"

#include "bills/BillReader.h"
#include "bills/BillRules.h"
#include "bills/ColumnMappingDialog.h"
#include "bills/ImportStore.h"
#include "data/Database.h"
#include "data/DateText.h"
#include "data/HomeSafe.h"
#include "household/CurrentUser.h"
#include "household/Household.h"
#include "kit/FileChooser.h"
#include "kit/Prompt.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QCheckBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <optional>

namespace {

// The open places as a choice names them, with their keys in the same order.
struct OpenPlaces {
    QStringList labels;
    QList<qint64> ids;
};

// Reads them; a failed read is reported and gives none.
std::optional<OpenPlaces> ReadOpenPlaces(QSqlDatabase db) {
    const Result<QList<PlaceChoice>> places = ReadPlaceChoices(db);
    if (!places) {
        ReportError(QStringLiteral("读不出帐户的列表：%1").arg(places.error()));
        return std::nullopt;
    }
    OpenPlaces open;
    for (const PlaceChoice& p : places.value()) {
        if (!p.closed) {
            open.labels.append(PlaceLabel(p));
            open.ids.append(p.id);
        }
    }
    return open;
}

}  // namespace

namespace {

enum Column { Tick, Line, Day, Counterparty, Description, Amount, Direction, Place, Detail, Action, Reason };
const char* const kHeaders[] = {"勾选",  "行号", "日期", "交易对方", "说明", "金额",
                                "收/支", "帐户", "明细", "处理",     "原因"};

bool tickable(const PlanRow& row) {
    return row.action == PlanAction::Add || row.action == PlanAction::MaybeDuplicate ||
           row.action == PlanAction::Transfer;
}

}  // namespace

// The grid's rows, read from the plan when the view asks for them: nothing is made per line.
class PlanModel : public QAbstractTableModel {
  public:
    PlanModel(ImportPlan& plan, QHash<qint64, QString> names, QObject* parent)
        : QAbstractTableModel(parent), plan_(plan), names_(std::move(names)) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(plan_.rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(std::size(kHeaders));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < int(std::size(kHeaders)))
            return QString::fromUtf8(kHeaders[section]);
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.column() == Tick && tickable(plan_.rows[index.row()]))
            f |= Qt::ItemIsUserCheckable;
        return f;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        const PlanRow& row = plan_.rows[index.row()];
        if (role == Qt::CheckStateRole && index.column() == Tick)
            return row.ticked ? Qt::Checked : Qt::Unchecked;
        if (role == Qt::TextAlignmentRole && index.column() == Amount)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
            case Line:
                return row.bill.line;
            case Day:
                return ShortDate(row.bill.day);
            case Counterparty:
                return row.bill.counterparty;
            case Description:
                return row.bill.description;
            case Amount:
                return row.action == PlanAction::Unreadable ? QString() : row.bill.amount.format();
            case Direction:
                if (row.action == PlanAction::Transfer)
                    return QStringLiteral("转帐");
                if (row.bill.direction == BillDirection::Neither && row.action == PlanAction::NotCounted)
                    return QStringLiteral("不计收支");
                return row.type == EntryType::Income ? QStringLiteral("收入") : QStringLiteral("支出");
            case Place:
                if (row.action == PlanAction::Transfer)
                    return QStringLiteral("%1 → %2").arg(placeName(row.place), placeName(row.otherPlace));
                return placeName(row.place);
            case Detail:
                return row.detail;
            case Action:
                return ActionName(row.action);
            case Reason:
                return row.reason;
            default:
                return {};
        }
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (role != Qt::CheckStateRole || index.column() != Tick || !tickable(plan_.rows[index.row()]))
            return false;
        plan_.rows[index.row()].ticked = value.toInt() == Qt::Checked;
        Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
        return true;
    }
    // After a change of the plan's 明细 or places.
    void planChanged() {
        if (!plan_.rows.isEmpty())
            Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
    QString placeName(qint64 place) const {
        return place == 0 ? QStringLiteral("（未选）") : names_.value(place);
    }

  private:
    ImportPlan& plan_;
    QHash<qint64, QString> names_;
};

ImportPreview::ImportPreview(Household& household, ImportPlan plan, QWidget* parent)
    : QDialog(parent), household_(household), plan_(std::move(plan)) {
    setObjectName(QStringLiteral("ImportPreview"));
    setWindowTitle(QStringLiteral("导入预览 - %1").arg(QFileInfo(plan_.bill.path).fileName()));
    resize(1100, 640);

    QHash<qint64, QString> names;
    if (const Result<QList<PlaceChoice>> places = ReadPlaceChoices(household_.database.connection())) {
        for (const PlaceChoice& p : places.value())
            names.insert(p.id, p.name);
    }
    model_ = new PlanModel(plan_, names, this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("PreviewGrid"));
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->hide();
    // Fixed row heights and column widths: a bill of a hundred thousand lines is never measured.
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 8);
    const int widths[] = {44, 56, 90, 150, 200, 90, 70, 150, 90, 70, 320};
    for (int c = 0; c < int(std::size(widths)); ++c)
        grid_->setColumnWidth(c, widths[c]);
    grid_->horizontalHeader()->setStretchLastSection(true);

    sameCounterparty_ = new QCheckBox(QStringLiteral("同一交易对方的各行一起改"), this);
    sameCounterparty_->setObjectName(QStringLiteral("SameCounterpartyBox"));
    detail_ = new QPushButton(QStringLiteral("改明细…"), this);
    detail_->setObjectName(QStringLiteral("ChangeDetailButton"));
    place_ = new QPushButton(QStringLiteral("改帐户…"), this);
    place_->setObjectName(QStringLiteral("ChangePlaceButton"));
    rule_ = new QPushButton(QStringLiteral("记住为规则"), this);
    rule_->setObjectName(QStringLiteral("RememberRuleButton"));
    rule_->setToolTip(QStringLiteral("以后交易对方相同的帐单行自动用这一行的明细"));
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("SummaryLabel"));
    outcomes_ = new QTableWidget(0, 4, this);
    outcomes_->setObjectName(QStringLiteral("OutcomeGrid"));
    outcomes_->setHorizontalHeaderLabels({QStringLiteral("帐户"), QStringLiteral("本次变动"),
                                          QStringLiteral("导入后余额"), QStringLiteral("提示")});
    outcomes_->verticalHeader()->hide();
    outcomes_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    outcomes_->horizontalHeader()->setStretchLastSection(true);
    outcomes_->setMaximumHeight(150);
    import_ = new QPushButton(QStringLiteral("导入"), this);
    import_->setObjectName(QStringLiteral("ImportButton"));
    cancel_ = new QPushButton(QStringLiteral("取消"), this);
    cancel_->setObjectName(QStringLiteral("CancelButton"));

    // The same changes from the grid's context menu.
    const struct {
        QPushButton* button;
        void (ImportPreview::*handler)();
    } actions[] = {
        {detail_, &ImportPreview::askDetail}, {place_, &ImportPreview::askPlace}, {rule_, nullptr}};
    for (const auto& a : actions) {
        auto* action = new QAction(a.button->text(), grid_);
        grid_->addAction(action);
        if (a.handler) {
            connect(a.button, &QPushButton::clicked, this, a.handler);
            connect(action, &QAction::triggered, this, a.handler);
        } else {
            const auto remember = [this] { rememberRule(currentRow()); };
            connect(a.button, &QPushButton::clicked, this, remember);
            connect(action, &QAction::triggered, this, remember);
        }
    }
    grid_->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(model_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.contains(Qt::CheckStateRole))
                    refreshFigures();
            });
    connect(import_, &QPushButton::clicked, this, [this] { commit(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* changes = new QHBoxLayout;
    changes->addWidget(detail_);
    changes->addWidget(place_);
    changes->addWidget(rule_);
    changes->addWidget(sameCounterparty_);
    changes->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(summary_, 1);
    buttons->addWidget(import_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(changes);
    layout->addWidget(grid_, 1);
    layout->addWidget(outcomes_);
    layout->addLayout(buttons);
    refreshFigures();
}

ImportPreview::~ImportPreview() = default;

int ImportPreview::currentRow() const {
    const QModelIndex current = grid_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ImportPreview::changeDetail(int row, const QString& detail) {
    SetDetail(plan_, row, detail.trimmed(), sameCounterparty_->isChecked());
    model_->planChanged();
}

void ImportPreview::changePlace(int row, qint64 place) {
    SetPlace(plan_, row, place, sameCounterparty_->isChecked());
    model_->planChanged();
    refreshFigures();
}

bool ImportPreview::rememberRule(int row) {
    if (row < 0 || row >= plan_.rows.size()) {
        Notify(QStringLiteral("请先在表格里选中一行。"));
        return false;
    }
    const PlanRow& line = plan_.rows[row];
    const QString keyword = line.bill.counterparty.isEmpty() ? line.bill.description : line.bill.counterparty;
    const Result<qint64> saved = SaveRule(household_.database, {0, keyword, line.type, line.detail});
    if (!saved) {
        ReportError(QStringLiteral("规则没有保存：%1").arg(saved.error()));
        return false;
    }
    Notify(QStringLiteral("已记住：交易对方或说明含“%1”的%2，明细记为“%3”。")
               .arg(keyword, line.type == EntryType::Income ? QStringLiteral("收入") : QStringLiteral("支出"),
                    line.detail));
    return true;
}

void ImportPreview::askDetail() {
    const int row = currentRow();
    if (row < 0) {
        Notify(QStringLiteral("请先在表格里选中要改明细的一行。"));
        return;
    }
    bool ok = false;
    const QString detail = QInputDialog::getText(this, QStringLiteral("改明细"), QStringLiteral("新的明细："),
                                                 QLineEdit::Normal, plan_.rows[row].detail, &ok);
    if (!ok)
        return;
    if (detail.trimmed().isEmpty()) {
        Notify(QStringLiteral("明细不能为空，请填写，例如“餐饮”。"));
        return;
    }
    changeDetail(row, detail);
}

void ImportPreview::askPlace() {
    const int row = currentRow();
    if (row < 0) {
        Notify(QStringLiteral("请先在表格里选中要改帐户的一行。"));
        return;
    }
    const std::optional<OpenPlaces> open = ReadOpenPlaces(household_.database.connection());
    if (!open)
        return;
    const QStringList& labels = open->labels;
    const QList<qint64>& ids = open->ids;
    bool ok = false;
    const QString chosen = QInputDialog::getItem(this, QStringLiteral("改帐户"),
                                                 QStringLiteral("记到哪个帐户："), labels, 0, false, &ok);
    if (ok && labels.contains(chosen))
        changePlace(row, ids[labels.indexOf(chosen)]);
}

void ImportPreview::refreshFigures() {
    int counts[6] = {};
    int ticked = 0;
    for (const PlanRow& row : plan_.rows) {
        ++counts[int(row.action)];
        ticked += row.ticked && tickable(row);
    }
    summary_->setText(
        QStringLiteral("共 %1 行：新增 %2，已导入 %3，可能重复 %4，转帐 %5，不计 %6，无法读取 %7；"
                       "勾选 %8 行将导入。")
            .arg(plan_.rows.size())
            .arg(counts[int(PlanAction::Add)])
            .arg(counts[int(PlanAction::AlreadyImported)])
            .arg(counts[int(PlanAction::MaybeDuplicate)])
            .arg(counts[int(PlanAction::Transfer)])
            .arg(counts[int(PlanAction::NotCounted)])
            .arg(counts[int(PlanAction::Unreadable)])
            .arg(ticked));
    const Result<QList<PlaceOutcome>> outcomes = PlaceOutcomes(household_.database.connection(), plan_);
    outcomes_->setRowCount(0);
    if (!outcomes) {
        summary_->setText(summary_->text() + QStringLiteral(" 读不出帐户的余额：%1").arg(outcomes.error()));
        return;
    }
    outcomes_->setRowCount(int(outcomes->size()));
    for (int i = 0; i < outcomes->size(); ++i) {
        const PlaceOutcome& o = outcomes->at(i);
        const QString note = o.belowZero ? QStringLiteral("导入后低于零，导入时会先问您")
                             : o.pastCreditLimit ? QStringLiteral("超出信用卡额度，不能导入")
                                                 : QString();
        const QString cells[] = {o.name, o.change.format(), o.after.format(), note};
        for (int c = 0; c < 4; ++c)
            outcomes_->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
}

bool ImportPreview::commit() {
    const Result<QList<PlaceOutcome>> outcomes = PlaceOutcomes(household_.database.connection(), plan_);
    if (!outcomes) {
        ReportError(QStringLiteral("读不出帐户的余额，没有导入：%1").arg(outcomes.error()));
        return false;
    }
    QStringList below;
    for (const PlaceOutcome& o : outcomes.value()) {
        if (o.belowZero)
            below.append(QStringLiteral("“%1”导入后的余额将是 %2").arg(o.name, o.after.format()));
    }
    bool agreed = false;
    if (!below.isEmpty()) {
        const Prompt::Answer answer =
            Prompt::current().show(Captions::kNotice,
                                   QStringLiteral("%1，低于零。\n这可能是帐单只含部分历史。仍要导入吗？")
                                       .arg(below.join(QStringLiteral("；"))),
                                   Prompt::Buttons::YesNoDefaultNo, Prompt::Icon::Question);
        if (answer != Prompt::Answer::Yes)
            return false;
        agreed = true;
    }
    const Result<ImportOutcome> done =
        CommitImport(household_.database, household_.homeSafe, plan_, household_.user.name, agreed);
    if (!done) {
        ReportError(QStringLiteral("导入没有完成，什么也没有写入：%1").arg(done.error()));
        return false;
    }
    Notify(done->skipped == 0 ? QStringLiteral("已导入 %1 笔。").arg(done->added)
                              : QStringLiteral("已导入 %1 笔；另有 %2 笔已由另一次导入记下，没有重复记。")
                                    .arg(done->added)
                                    .arg(done->skipped));
    accept();
    return true;
}

namespace {

// Reads a bill file on a worker thread; a progress dialog with 取消 appears when it takes over a second.
ReadResult readBillFile(const QString& path, const ReadOptions& base, QWidget* parent) {
    QProgressDialog progress(QStringLiteral("正在读取帐单 %1 …").arg(QFileInfo(path).fileName()),
                             QStringLiteral("取消"), 0, 1000, parent);
    progress.setObjectName(QStringLiteral("ImportProgress"));
    progress.setWindowTitle(QStringLiteral("导入帐单"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(1000);
    progress.setAutoReset(false);
    std::atomic<bool> cancelled{false};
    std::atomic<int> permille{0};
    ReadOptions options = base;
    options.progress = [&](qint64 done, qint64 total) {
        permille = total > 0 ? int(done * 1000 / total) : 0;
        return !cancelled.load();
    };
    std::optional<ReadResult> result;
    QThread* worker = QThread::create([&] { result = ReadBill(path, options); });
    QEventLoop loop;
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &progress, [&] {
        progress.setValue(permille.load());
        if (progress.wasCanceled())
            cancelled = true;
    });
    tick.start(100);
    worker->start();
    loop.exec();
    worker->wait();
    delete worker;
    return std::move(*result);
}

// Asks once for the place of each payment method of the plan that has none yet and remembers the
// choice; true when any was chosen.
bool askMethodPlaces(Household& household, const ImportPlan& plan, QWidget* parent) {
    const std::optional<OpenPlaces> open = ReadOpenPlaces(household.database.connection());
    if (!open)
        return false;
    const QStringList& labels = open->labels;
    const QList<qint64>& ids = open->ids;
    const QString source =
        plan.bill.sourceCode.isEmpty() ? SourceCode(plan.bill.source) : plan.bill.sourceCode;
    bool chosenAny = false;
    for (const QString& method : plan.unmappedMethods) {
        const QString what = method.isEmpty() ? QStringLiteral("这份%1").arg(SourceName(plan.bill.source))
                                              : QStringLiteral("帐单里的付款方式“%1”").arg(method);
        bool ok = false;
        const QString chosen = QInputDialog::getItem(
            parent, QStringLiteral("选择帐户"),
            QStringLiteral("%1对应家里的哪个帐户？\n选定后会记住，下次不再问；不选的行不能导入。").arg(what),
            labels, 0, false, &ok);
        if (!ok || !labels.contains(chosen))
            continue;
        if (Status s = SaveMethodPlace(household.database, source, method, ids[labels.indexOf(chosen)]); !s) {
            ReportError(QStringLiteral("没有记住这个帐户：%1").arg(s.error()));
            continue;
        }
        chosenAny = true;
    }
    return chosenAny;
}

// Reads one file, asking for a zip's password when it needs one and for the columns of a CSV of no known
// layout; nullopt when nothing is to be shown.
std::optional<Bill> readOne(Household& household, const QString& path, QWidget* parent) {
    ReadOptions options;
    std::optional<ColumnMapping> mapping;
    for (;;) {
        ReadResult read = readBillFile(path, options, parent);
        if (read.bill)
            return read.bill.value();
        if (read.failure == ReadFailure::Unknown && !mapping) {
            const Result<CsvSample> sample = SampleCsv(path);
            if (sample) {
                mapping = AskColumnMapping(parent, household.database, sample.value());
                if (!mapping)
                    return std::nullopt;
                options.mapping = &*mapping;
                continue;
            }
        }
        if (read.failure == ReadFailure::NeedsPassword) {
            bool ok = false;
            const QString password = QInputDialog::getText(
                parent, QStringLiteral("帐单的密码"),
                QStringLiteral("%1\n请输入解压密码（支付宝在发送帐单的邮件或短信里给出）：")
                    .arg(read.bill.error()),
                QLineEdit::Password, QString(), &ok);
            if (!ok)
                return std::nullopt;
            options.zipPassword = password;
            continue;
        }
        ReportError(QStringLiteral("%1 没有导入：%2").arg(QFileInfo(path).fileName(), read.bill.error()));
        return std::nullopt;
    }
}

}  // namespace

void RunBillImport(Household& household, QWidget* parent) {
    if (!household.permissionGate(QStringLiteral("收入管理")) ||
        !household.permissionGate(QStringLiteral("支出管理")))
        return;
    const QStringList paths = FileChooser::chooseOpenFiles(
        parent, QStringLiteral("导入帐单"),
        QStringLiteral("帐单文件 (*.csv *.txt *.xlsx *.zip *.qif *.ofx *.qfx);;所有文件 (*)"));
    for (const QString& path : paths) {
        const std::optional<Bill> bill = readOne(household, path, parent);
        if (!bill)
            continue;
        Result<ImportPlan> plan = PlanImport(household.database.connection(), *bill);
        if (plan && !plan->unmappedMethods.isEmpty() && askMethodPlaces(household, *plan, parent))
            plan = PlanImport(household.database.connection(), *bill);
        if (!plan) {
            ReportError(QStringLiteral("%1 没有导入：核对帐单时出错（%2）")
                            .arg(QFileInfo(path).fileName(), plan.error()));
            continue;
        }
        ImportPreview preview(household, std::move(plan.value()), parent);
        preview.exec();
    }
}

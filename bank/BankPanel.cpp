#include "bank/BankPanel.h"

#include "bank/BankPlaces.h"
#include "bank/Transfers.h"
#include "bank/cunquxx.h"
#include "bank/yinhang.h"
#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/Statements.h"
#include "data/TypedText.h"
#include "household/CurrentUser.h"
#include "household/Household.h"
#include "kit/BarChart.h"
#include "kit/DataGrid.h"
#include "kit/HalfWidthValidator.h"
#include "kit/Prompt.h"
#include "kit/Today.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QToolButton* makeButton(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(QString::fromUtf8(caption));
    button->setMinimumSize(96, 32);
    return button;
}

QLabel* makeLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    if (name)
        label->setObjectName(QString::fromLatin1(name));
    return label;
}

// The choice's role holding a place's name (the key is its Qt::UserRole).
constexpr int kPlaceNameRole = Qt::UserRole + 1;

// A dashed green frame grouping a few controls.
QFrame* dashedFrame(QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QStringLiteral("dashedFrame"));
    frame->setStyleSheet(QStringLiteral("QFrame#dashedFrame { border: 1px dashed #2e8b57; }"));
    return frame;
}

}  // namespace

BankPanel::BankPanel(Household& household, QWidget* parent)
    : FunctionPanel(QStringLiteral("Panel5"), parent),
      household_(household),
      places_(new QSqlQueryModel(this)),
      grid_(new DataGrid(this)),
      chart_(new BarChart(QStringLiteral("资金图表"), this)),
      assets_(makeLabel("LabelAssets", QString(), this)),
      owed_(makeLabel("LabelOwed", QString(), this)),
      netWorth_(makeLabel("LabelNetWorth", QString(), this)) {
    grid_->setObjectName(QStringLiteral("DBGridEh3"));
    grid_->setColumns(
        {{QStringLiteral("银行名称"), QStringLiteral("mingcheng")},
         {QStringLiteral("金额"), QStringLiteral("jine"), DataGrid::Format::Money, Qt::AlignHCenter},
         {QStringLiteral("类别"), QStringLiteral("leibiemingcheng")}});
    grid_->setSourceModel(places_);
    grid_->setFooter(0, QStringLiteral("总金额："), 1);
    grid_->installEventFilter(this);
    // Wide enough for a short name, an amount and the kind when the amount panel takes its share of the
    // smallest window.
    grid_->setMinimumWidth(280);

    chart_->setObjectName(QStringLiteral("Chart4"));
    chart_->setSeriesName(QStringLiteral("BarSeries3"));

    // What the places add up to, under the list.
    figures_ = new QBoxLayout(QBoxLayout::LeftToRight);
    for (QLabel* label : {assets_, owed_, netWorth_})
        figures_->addWidget(label);
    figures_->addStretch(1);
    auto* list = new QVBoxLayout;
    list->addWidget(grid_, 1);
    list->addLayout(figures_);

    auto* top = new QHBoxLayout;
    top->addLayout(list, 2);
    top->addWidget(buildAmountPanel());
    top->addWidget(chart_, 3);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(buildBottomBar());
}

QWidget* BankPanel::buildAmountPanel() {
    amountPanel_ = new QFrame(this);
    amountPanel_->setObjectName(QStringLiteral("Panel19"));
    amountPanel_->setFixedWidth(220);

    QFrame* bankFrame = dashedFrame(amountPanel_);
    auto* bankLayout = new QVBoxLayout(bankFrame);
    placeCaption_ = makeLabel(nullptr, QStringLiteral("银行："), bankFrame);
    bankLayout->addWidget(placeCaption_);
    bankName_ = makeLabel("Label25", QString(), bankFrame);
    bankName_->setStyleSheet(QStringLiteral("font-weight: bold; color: #1f4e9a;"));
    bankLayout->addWidget(bankName_);
    bankLayout->addWidget(makeLabel(nullptr, QStringLiteral("金额："), bankFrame));
    bankBalance_ = makeLabel("Label28", QString(), bankFrame);
    bankBalance_->setStyleSheet(QStringLiteral("font-weight: bold; color: #1f4e9a;"));
    bankLayout->addWidget(bankBalance_);

    // The receiving place of a transfer, between the paying place and the amount.
    transferFrame_ = dashedFrame(amountPanel_);
    auto* transferLayout = new QVBoxLayout(transferFrame_);
    transferLayout->addWidget(makeLabel(nullptr, QStringLiteral("转入："), transferFrame_));
    transferTo_ = new QComboBox(transferFrame_);
    transferTo_->setObjectName(QStringLiteral("ComboBoxTransferTo"));
    transferTo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    transferTo_->setMinimumContentsLength(8);
    transferLayout->addWidget(transferTo_);

    QFrame* amountFrame = dashedFrame(amountPanel_);
    auto* amountLayout = new QGridLayout(amountFrame);
    amountLayout->addWidget(makeLabel(nullptr, QStringLiteral("金额："), amountFrame), 0, 0, 1, 2);
    amount_ = new QLineEdit(amountFrame);
    amount_->setObjectName(QStringLiteral("Edit1"));
    amount_->setStyleSheet(QStringLiteral("font-size: 20px; font-weight: bold; color: #d00000;"));
    amount_->installEventFilter(this);
    amount_->setValidator(new HalfWidthValidator(amount_));  // full-width digits and signs as plain ones
    amountLayout->addWidget(amount_, 1, 0, 1, 2);
    // A transfer's fee, under its amount; left empty there is none.
    feeCaption_ = makeLabel(nullptr, QStringLiteral("手续费（可不填）："), amountFrame);
    amountLayout->addWidget(feeCaption_, 2, 0, 1, 2);
    fee_ = new QLineEdit(amountFrame);
    fee_->setObjectName(QStringLiteral("EditFee"));
    fee_->installEventFilter(this);
    fee_->setValidator(new HalfWidthValidator(fee_));
    amountLayout->addWidget(fee_, 3, 0, 1, 2);
    // The three perform buttons share one spot; only the one of the current mode is visible.
    performDeposit_ = makeButton("SpeedButton28", "存款", amountFrame);
    performWithdrawal_ = makeButton("SpeedButton29", "取款", amountFrame);
    performTransfer_ = makeButton("SpeedButton33", "转帐", amountFrame);
    amountLayout->addWidget(performDeposit_, 4, 0);
    amountLayout->addWidget(performWithdrawal_, 4, 0);
    amountLayout->addWidget(performTransfer_, 4, 0);
    QToolButton* leave = makeButton("SpeedButton30", "离开", amountFrame);
    amountLayout->addWidget(leave, 4, 1);

    auto* layout = new QVBoxLayout(amountPanel_);
    layout->addWidget(bankFrame);
    layout->addWidget(transferFrame_);
    layout->addWidget(amountFrame);
    layout->addStretch(1);

    connect(performDeposit_, &QToolButton::clicked, this, &BankPanel::SpeedButton28Click);
    connect(performWithdrawal_, &QToolButton::clicked, this, &BankPanel::SpeedButton29Click);
    connect(performTransfer_, &QToolButton::clicked, this, &BankPanel::SpeedButton33Click);
    connect(leave, &QToolButton::clicked, this, &BankPanel::SpeedButton30Click);
    showTransferControls(false);
    amountPanel_->hide();
    return amountPanel_;
}

QWidget* BankPanel::buildBottomBar() {
    auto* bar = new QWidget(this);
    auto* layout = new QHBoxLayout(bar);
    depositMode_ = makeButton("SpeedButton25", "存款", bar);
    withdrawalMode_ = makeButton("SpeedButton26", "取款", bar);
    transferMode_ = makeButton("SpeedButton35", "转帐", bar);
    QToolButton* information = makeButton("SpeedButton27", "银行信息", bar);
    QToolButton* records = makeButton("SpeedButton31", "存取记录", bar);
    layout->addStretch(1);
    for (QToolButton* b : {depositMode_, withdrawalMode_, transferMode_, information, records})
        layout->addWidget(b);
    layout->addStretch(1);
    connect(depositMode_, &QToolButton::clicked, this, &BankPanel::SpeedButton25Click);
    connect(withdrawalMode_, &QToolButton::clicked, this, &BankPanel::SpeedButton26Click);
    connect(transferMode_, &QToolButton::clicked, this, &BankPanel::SpeedButton35Click);
    connect(information, &QToolButton::clicked, this, &BankPanel::SpeedButton27Click);
    connect(records, &QToolButton::clicked, this, &BankPanel::SpeedButton31Click);
    return bar;
}

void BankPanel::RefreshBankPanel() {
    chart_->clear();
    places_->setQuery(QString::fromUtf8(Sql::kPlacesOfPanel), household_.database.connection());
    if (places_->lastError().isValid()) {
        ReportError(DatabaseErrors::Describe(places_->lastError()));
        return;
    }
    while (places_->canFetchMore())
        places_->fetchMore();
    grid_->setCurrentRow(0);
    grid_->refreshFooter();
    applyColumnWidths();

    // The figures and the chart come from the rows just listed, without reading the places again.
    QList<PlaceFigure> listed;
    for (int row = 0; row < places_->rowCount(); ++row) {
        const QSqlRecord place = places_->record(row);
        listed.append({place.value(QStringLiteral("mingcheng")).toString(),
                       place.value(QStringLiteral("leibie")).toString(),
                       Money::fromUnits(place.value(QStringLiteral("jine")).toLongLong()),
                       Money::fromUnits(place.value(QStringLiteral("edu")).toLongLong()),
                       place.value(QStringLiteral("guanbi")).toInt() == 1});
    }
    const Result<PlaceFigures> figures = SumPlaceFigures(std::move(listed));
    if (!figures) {
        for (QLabel* label : {assets_, owed_, netWorth_})
            label->clear();
        ReportError(figures.error());
        return;
    }
    assets_->setText(QStringLiteral("资产：%1").arg(figures->assets.formatGrouped()));
    owed_->setText(QStringLiteral("信用卡欠款：%1").arg(figures->owed.formatGrouped()));
    netWorth_->setText(QStringLiteral("净资产：%1").arg(figures->netWorth.formatGrouped()));
    fitFigures();
    QList<BarChart::Bar> bars;
    for (const PlaceFigure& place : figures->places)
        bars.append({place.name, place.balance, QColor()});
    chart_->setBars(bars);
}

void BankPanel::setFooterTotalShown(bool shown) {
    grid_->setFooterVisible(shown);
}

void BankPanel::applyColumnWidths() {
    // The kind takes a narrow column after the two; the name and the amount share the rest as before.
    const int kind = 100;
    const int g = (grid_->width() - 60 - kind) / 3;
    grid_->setColumnWidth(0, std::max(0, 2 * g - 30));
    grid_->setColumnWidth(1, std::max(0, g + 30));
    grid_->setColumnWidth(2, kind);
    fitFigures();
}

void BankPanel::fitFigures() {
    // The three figures stand in one line under the list while it is wide enough for them, one under
    // the other when it is not (the smallest window with the amount panel open), never cut off.
    int needed = 2 * figures_->spacing();
    for (const QLabel* label : {assets_, owed_, netWorth_})
        needed += label->sizeHint().width();
    figures_->setDirection(needed <= grid_->width() ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
}

bool BankPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::Resize) {
        applyColumnWidths();
    } else if ((watched == amount_ || watched == fee_) && event->type() == QEvent::KeyPress) {
        // Letters never reach the amount box; digits, ".", "-", blanks and editing keys do.
        const QString text = HalfWidthForms(static_cast<QKeyEvent*>(event)->text());
        if (text.size() == 1) {
            const QChar c = text.at(0);
            if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                (c >= QLatin1Char('a') && c <= QLatin1Char('z')))
                return true;
        }
    }
    return FunctionPanel::eventFilter(watched, event);
}

void BankPanel::SpeedButton25Click() {
    enterMode(MoveKind::Deposit, depositMode_);
}

void BankPanel::SpeedButton26Click() {
    enterMode(MoveKind::Withdrawal, withdrawalMode_);
}

void BankPanel::enterMode(MoveKind kind, QToolButton* modeButton) {
    if (!household_.permissionGate(modeButton->text()))
        return;
    const int row = grid_->currentRow() >= 0 ? grid_->currentRow() : 0;
    if (row >= places_->rowCount())
        return;  // no place is listed: there is no bank to choose
    const QString name = grid_->value(row, QStringLiteral("mingcheng")).toString();
    if (IsHomeSafe(name)) {
        Prompt::current().show(Captions::kNotice, HomeSafeRefusal(kind), Prompt::Buttons::Ok,
                               Prompt::Icon::Warning);
        return;
    }
    amountPanel_->show();
    showTransferControls(false);
    bankName_->setText(name);
    bankBalance_->setText(Money::fromUnits(grid_->value(row, QStringLiteral("jine")).toLongLong()).format());
    performDeposit_->setVisible(kind == MoveKind::Deposit);
    performWithdrawal_->setVisible(kind == MoveKind::Withdrawal);
    amount_->clear();
    amount_->setFocus();
}

void BankPanel::showTransferControls(bool shown) {
    placeCaption_->setText(shown ? QStringLiteral("转出：") : QStringLiteral("银行："));
    transferFrame_->setVisible(shown);
    feeCaption_->setVisible(shown);
    fee_->setVisible(shown);
    performTransfer_->setVisible(shown);
}

void BankPanel::SpeedButton35Click() {
    // Transfers belong to whoever may move money at the bank: either right suffices, one refusal at most.
    if (!PermissionGateAny(household_, BankRights()))
        return;
    const int row = grid_->currentRow() >= 0 ? grid_->currentRow() : 0;
    if (row >= places_->rowCount())
        return;  // no place is listed: there is nothing to pay from
    const TransferPlace from{grid_->value(row, QStringLiteral("id")).toLongLong(),
                             grid_->value(row, QStringLiteral("mingcheng")).toString()};
    if (grid_->value(row, QStringLiteral("guanbi")).toInt() != 0) {
        Prompt::current().show(
            Captions::kNotice,
            QStringLiteral("帐户“%1”已关闭，不能转出。请先在“银行信息”里重新启用它。").arg(from.name),
            Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return;
    }
    const Result<QList<PlaceChoice>> targets = TransferTargets(household_.database.connection(), from.id);
    if (!targets) {
        ReportError(targets.error());
        return;
    }
    if (targets->isEmpty()) {
        Prompt::current().show(Captions::kNotice,
                               QStringLiteral("没有可以转入的帐户。请先在“银行信息”里添加一个帐户。"),
                               Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return;
    }
    transferFrom_ = from;
    transferTo_->clear();
    for (const PlaceChoice& place : targets.value()) {
        transferTo_->addItem(PlaceLabel(place), place.id);
        transferTo_->setItemData(transferTo_->count() - 1, place.name, kPlaceNameRole);
    }
    amountPanel_->show();
    showTransferControls(true);
    bankName_->setText(from.name);
    bankBalance_->setText(Money::fromUnits(grid_->value(row, QStringLiteral("jine")).toLongLong()).format());
    performDeposit_->hide();
    performWithdrawal_->hide();
    amount_->clear();
    fee_->clear();
    amount_->setFocus();
}

void BankPanel::SpeedButton33Click() {
    // The paying place is the one captured with the mode, whatever row the grid shows now.
    const int to = transferTo_->currentIndex();
    const TransferRequest request{
        transferFrom_,
        {transferTo_->itemData(to).toLongLong(), transferTo_->itemData(to, kPlaceNameRole).toString()},
        amount_->text(),
        fee_->text(),
        household_.user.name,
        Today()};
    showOutcome(PerformTransfer(household_.database, household_.homeSafe, request));
}

void BankPanel::SpeedButton28Click() {
    perform(MoveKind::Deposit);
}

void BankPanel::SpeedButton29Click() {
    perform(MoveKind::Withdrawal);
}

void BankPanel::perform(MoveKind kind) {
    // The bank is the one captured in Label25, whatever row the grid shows now.
    const MoveRequest request{kind, bankName_->text(), amount_->text(), household_.user.name, Today()};
    showOutcome(PerformMove(household_.database, household_.homeSafe, request));
}

void BankPanel::showOutcome(const MoveOutcome& outcome) {
    switch (outcome.kind) {
        case MoveOutcome::Kind::Refused:
            Prompt::current().show(Captions::kNotice, outcome.message, Prompt::Buttons::Ok,
                                   Prompt::Icon::Warning);
            return;
        case MoveOutcome::Kind::Error:
            ReportError(outcome.message);
            return;
        case MoveOutcome::Kind::Done:
            Notify(outcome.message);
            RefreshBankPanel();
            amountPanel_->hide();
            return;
    }
}

void BankPanel::SpeedButton30Click() {
    amountPanel_->hide();
}

void BankPanel::SpeedButton27Click() {
    ShowBankInformation(household_);
}

void BankPanel::SpeedButton31Click() {
    ShowTransactionRecords(household_);
}

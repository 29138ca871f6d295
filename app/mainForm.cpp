#include "app/mainForm.h"

#include "access/PermissionString.h"
#include "access/denglu.h"
#include "app/DamageWatch.h"
#include "app/MenuLayout.h"
#include "app/WorkArea.h"
#include "bank/BankPanel.h"
#include "data/DateText.h"
#include "household/DatabaseChoice.h"
#include "household/Folders.h"
#include "household/FunctionPanel.h"
#include "kit/Prompt.h"
#include "kit/StartupProbe.h"
#include "kit/StatusPanels.h"
#include "kit/StyleEngine.h"
#include "kit/Today.h"
#include "kopira/InterruptedRestore.h"
#include "ledger/EntryPanel.h"
#include "ledger/SummaryPanel.h"
#include "plans/BudgetWindow.h"
#include "reminders/ReminderPanel.h"
#include "reminders/Reminders.h"

#include <QAction>
#include <QListWidget>
#include <QMenuBar>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

struct ToolButton {
    const char* name;
    const char* caption;
    const char* tooltip;
    QStyle::StandardPixmap icon;
};

const ToolButton kToolButtons[] = {
    {"SpeedButton24", "备份数据", "", QStyle::SP_DialogSaveButton},
    {"SpeedButton15", "权限管理", "", QStyle::SP_FileDialogDetailedView},
    {"SpeedButton19", "刷新帐务", "", QStyle::SP_BrowserReload},
    {"SpeedButton18", "提醒事件", "", QStyle::SP_MessageBoxInformation},
    {"SpeedButton14", "挂起系统", "系统挂起,预防误操作", QStyle::SP_MediaPause},
    {"SpeedButton9", "注销用户", "注销当前用户", QStyle::SP_DialogResetButton},
    {"SpeedButton1", "退出系统", "关闭系统", QStyle::SP_DialogCloseButton},
    // Last, so that at the narrowest window (800 pixels) it is the one the toolbar folds away.
    {"SpeedButton36", "导入帐单", "导入支付宝、微信支付、银行等的帐单", QStyle::SP_ArrowDown},
};

}  // namespace

TForm1::TForm1(const QString& homeFolder, QWidget* parent) : TForm1(homeFolder, nullptr, parent) {}

TForm1::TForm1(const QString& homeFolder, std::function<bool()> householdClaimed, QWidget* parent)
    : QMainWindow(parent),
      homeFolder_(homeFolder),
      householdClaimed_(std::move(householdClaimed)),
      settings_(IniPath(homeFolder)),
      homeSafe_(database_),
      household_{database_,
                 homeSafe_,
                 settings_,
                 user_,
                 [this](const QString& text) { return PermissionGate(text); },
                 [this](const QString& text) { return HoldsRight(text); },
                 this,
                 ProgramFolder(),
                 [this](const QString& detail, const QDate& day) { SayBudgetAlerts(database_, detail, day); },
                 [this](const QDate& month) { return BudgetLine(database_, month); }},
      panels_(household_,
              [this](FunctionPanels::Slot slot, FunctionPanel* panel) { placePanel(slot, panel); }) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tamberlo"));
    resize(800, 576);
    setMinimumSize(800, 576);
    applyStyle();
    StartupMark("style");

    BuildMainMenu(menuBar());
    StartupMark("menu");
    buildToolBar();
    StartupMark("toolbar");
    buildWorkArea();
    StartupMark("work-area");
    buildPermissionList();
    StartupMark("permission-list");
    buildStatusBar();
    bindNavigation();
    StartupMark("status-bar");
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::buildToolBar() {
    auto* toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->toggleViewAction()->setEnabled(false);
    toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    for (const ToolButton& b : kToolButtons) {
        auto* button = new QToolButton(toolBar);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setText(QString::fromUtf8(b.caption));
        button->setToolTip(QString::fromUtf8(b.tooltip));
        button->setIcon(style()->standardIcon(b.icon));
        button->setIconSize(QSize(24, 24));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        button->setFixedSize(105, 47);
        toolBar->addWidget(button);
    }
    addToolBar(Qt::TopToolBarArea, toolBar);
}

void TForm1::buildWorkArea() {
    workArea_ = new WorkArea(this);
    setCentralWidget(workArea_);
}

void TForm1::placePanel(FunctionPanels::Slot slot, FunctionPanel* panel) {
    workArea_->addPanel(panel);
    switch (slot) {
        case FunctionPanels::Bank:
            if (footerTotalShown_)
                qobject_cast<BankPanel*>(panel)->setFooterTotalShown(true);
            break;
        case FunctionPanels::Reminder:
            if (remindersOpened_)
                qobject_cast<ReminderPanel*>(panel)->openTable();
            break;
        case FunctionPanels::Income:
        case FunctionPanels::Expense:
            if (detailChoicesLoaded_)
                qobject_cast<EntryPanel*>(panel)->LoadDetailChoices();
            break;
        case FunctionPanels::Summary:
        case FunctionPanels::SlotCount:
            break;
    }
}

void TForm1::buildPermissionList() {
    permissions_ = new QListWidget(this);
    permissions_->setObjectName(QStringLiteral("CheckListBox1"));
    for (const QString& text : PermissionItems()) {
        auto* item = new QListWidgetItem(text, permissions_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    permissions_->hide();
}

void TForm1::buildStatusBar() {
    statusBar_ = new StatusPanels({{QStringLiteral("祝您开心每一天！"), Qt::AlignHCenter, 120},
                                   {QStringLiteral("登录者："), Qt::AlignRight, 80},
                                   {QString(), Qt::AlignLeft, 120},
                                   {QString(), Qt::AlignLeft, 0}},
                                  this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(statusBar_);
}

void TForm1::markStyle(int n) {
    const QList<QAction*> items = StyleItems(this);
    for (int i = 0; i < items.size(); ++i)
        items[i]->setChecked(i == n);
}

void TForm1::applyStyle() {
    styleNumber_ =
        settings_.readInteger(Settings::kStyleSection, Settings::kStyleKey, Settings::kDefaultStyle);
    // A number outside the eight styles leaves the built-in style in force.
    skinData_ = new StyleEngine(this);
    skinData_->setObjectName(QStringLiteral("SkinData1"));
    skinData_->loadStyle(styleNumber_);
    if (!skinData_->isActive())
        skinData_->activate();
}

void TForm1::FormCreate() {
    markStyle(styleNumber_);

    if (householdClaimed_ && !householdClaimed_()) {
        startFailed_ = true;
        return;
    }
    StartupMark("lock");
    Kopira::RemoveLeftovers(homeFolder_, QDateTime::currentDateTime(), householdClaimed_ != nullptr);
    // An empty or cut-short file beside a sound copy is not taken for a new household.
    if (!Kopira::OfferSafetyCopy(DatabasePath(homeFolder_), QDateTime::currentDateTime()))
        return;
    if (const HouseholdOpening opened = OpenHouseholdDatabase(database_, settings_, homeFolder_);
        !opened.status) {
        // The window still comes up on a local file; every database action then reports its own error.
        ReportError(opened.status.error());
        startFailed_ = opened.endOnFailure;
        return;
    }
    StartupMark("database-opened");
    if (Status read = homeSafe_.ReadHomeSafeBalance(); !read)
        ReportError(read.error());
    StartupMark("home-safe-read");
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    StartupMark("first-showing");
    // The first-showing steps run once the window is on screen, as the login is a modal window over it.
    QTimer::singleShot(0, this, &TForm1::FormShow);
}

void TForm1::FormShow() {
    // 1. The login; its exit button ends the program and none of the steps below is taken.
    if (!runLogin()) {
        Q_EMIT terminateRequested();
        Q_EMIT firstShowingDone();
        return;
    }
    // 2. The bank grid's footer total (on the bank panel once it is built).
    footerTotalShown_ = true;
    if (auto* bank = qobject_cast<BankPanel*>(panels_.built(FunctionPanels::Bank)))
        bank->setFooterTotalShown(true);
    // 3. Maximise; 4. today's date in the status bar, written once.
    showMaximized();
    statusBar_->setPanelText(3, QStringLiteral("今天：") + LongDate(Today()));
    // 5. The summary period: this month up to today.
    auto* summary = qobject_cast<SummaryPanel*>(panels_.summary());
    if (summary)
        summary->SetMonthToDate();
    // 6. and 7. The reminder table under its grid; 8. the detail choices of income, then of expense.
    // A panel not built yet gets them when it is first opened.
    remindersOpened_ = database_.isOpen();
    if (auto* reminders = qobject_cast<ReminderPanel*>(panels_.built(FunctionPanels::Reminder));
        reminders && remindersOpened_)
        reminders->openTable();
    detailChoicesLoaded_ = true;
    for (FunctionPanels::Slot slot : {FunctionPanels::Income, FunctionPanels::Expense}) {
        if (auto* entries = qobject_cast<EntryPanel*>(panels_.built(slot)))
            entries->LoadDetailChoices();
    }
    // 9. The summary's totals and chart for that period.
    if (summary)
        summary->ComputePeriodTotals();
    // 10. Last, the notice of today's reminders, if any are due.
    if (database_.isOpen())
        ShowTodayReminders(database_.connection(), OverBudgetReminders(database_));
    // With the window up, the file is checked for damage off this thread.
    // After the indexes are rebuilt, the totals shown (read through the old indexes) are read again.
    WatchForDamage(
        this, database_, household_.programFolder, [this] { Q_EMIT terminateRequested(); },
        [this] {
            if (auto* totals = qobject_cast<SummaryPanel*>(panels_.built(FunctionPanels::Summary)))
                totals->ComputePeriodTotals();
        });
    Q_EMIT firstShowingDone();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A row still being added or edited is saved or dropped as the user answers; 取消 keeps the window.
    if (!settlePendingEdits()) {
        event->ignore();
        return;
    }
    footerTotalShown_ = false;
    if (auto* bank = qobject_cast<BankPanel*>(panels_.built(FunctionPanels::Bank)))
        bank->setFooterTotalShown(false);
    QMainWindow::closeEvent(event);
}

bool TForm1::runLogin() {
    TForm2 login(household_, this);
    login.exec();
    if (login.result() != QDialog::Accepted)
        return false;
    // The new user's name and rights; items the permission string does not reach keep their ticks.
    statusBar_->setPanelText(2, user_.name);
    QList<bool> ticks;
    for (int i = 0; i < permissions_->count(); ++i)
        ticks.append(permissions_->item(i)->checkState() == Qt::Checked);
    ApplyPermissionString(user_.rights, ticks);
    for (int i = 0; i < permissions_->count(); ++i) {
        permissions_->item(i)->setCheckState(ticks[i] ? Qt::Checked : Qt::Unchecked);
    }
    return true;
}

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
#include "kit/StatusPanels.h"
#include "kit/StyleEngine.h"
#include "kit/Today.h"
#include "kopira/InterruptedRestore.h"
#include "ledger/EntryPanel.h"
#include "ledger/SummaryPanel.h"
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
};

}  // namespace

TForm1::TForm1(const QString& homeFolder, QWidget* parent)
    : QMainWindow(parent),
      homeFolder_(homeFolder),
      settings_(IniPath(homeFolder)),
      homeSafe_(database_),
      household_{database_,
                 homeSafe_,
                 settings_,
                 user_,
                 [this](const QString& text) { return PermissionGate(text); },
                 this,
                 ProgramFolder()} {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tamberlo"));
    resize(800, 576);
    setMinimumSize(800, 576);

    BuildMainMenu(menuBar());
    buildToolBar();
    buildWorkArea();
    buildPermissionList();
    buildStatusBar();
    bindNavigation();
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
    panels_ = CreateFunctionPanels(household_);
    for (FunctionPanel* panel :
         {panels_.summary, panels_.income, panels_.expense, panels_.bank, panels_.reminder}) {
        workArea_->addPanel(panel);
    }
    setCentralWidget(workArea_);
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

void TForm1::FormCreate() {
    styleNumber_ =
        settings_.readInteger(Settings::kStyleSection, Settings::kStyleKey, Settings::kDefaultStyle);
    // A number outside the eight styles leaves the built-in style in force.
    skinData_ = new StyleEngine(this);
    skinData_->setObjectName(QStringLiteral("SkinData1"));
    skinData_->loadStyle(styleNumber_);
    markStyle(styleNumber_);
    if (!skinData_->isActive())
        skinData_->activate();

    // A file cut short by a power cut during a restore is not taken for a new household.
    if (!Kopira::OfferSafetyCopy(DatabasePath(homeFolder_), QDateTime::currentDateTime()))
        return;
    if (const HouseholdOpening opened = OpenHouseholdDatabase(database_, settings_, homeFolder_);
        !opened.status) {
        // The window still comes up on a local file; every database action then reports its own error.
        ReportError(opened.status.error());
        startFailed_ = opened.endOnFailure;
        return;
    }
    if (Status read = homeSafe_.ReadHomeSafeBalance(); !read)
        ReportError(read.error());
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
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
    // 2. The bank grid's footer total.
    if (auto* bank = qobject_cast<BankPanel*>(panels_.bank))
        bank->setFooterTotalShown(true);
    // 3. Maximise; 4. today's date in the status bar, written once.
    showMaximized();
    statusBar_->setPanelText(3, QStringLiteral("今天：") + LongDate(Today()));
    // 5. The summary period: this month up to today.
    auto* summary = qobject_cast<SummaryPanel*>(panels_.summary);
    if (summary)
        summary->SetMonthToDate();
    // 6. and 7. The reminder table under its grid.
    if (auto* reminders = qobject_cast<ReminderPanel*>(panels_.reminder); reminders && database_.isOpen()) {
        reminders->openTable();
    }
    // 8. The detail choices of income, then of expense.
    for (FunctionPanel* panel : {panels_.income, panels_.expense}) {
        if (auto* entries = qobject_cast<EntryPanel*>(panel))
            entries->LoadDetailChoices();
    }
    // 9. The summary's totals and chart for that period.
    if (summary)
        summary->ComputePeriodTotals();
    // 10. Last, the notice of today's reminders, if any are due.
    if (database_.isOpen())
        ShowTodayReminders(database_.connection());
    // With the window up, the file is checked for damage off this thread.
    WatchForDamage(this, database_, household_.programFolder, [this] { Q_EMIT terminateRequested(); });
    Q_EMIT firstShowingDone();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A row still being added or edited is saved or dropped as the user answers; 取消 keeps the window.
    if (!settlePendingEdits()) {
        event->ignore();
        return;
    }
    if (auto* bank = qobject_cast<BankPanel*>(panels_.bank))
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

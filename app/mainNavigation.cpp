// The main window's navigation: what each menu item, toolbar button and side button does, and the
// permission gate in front of the seven guarded functions.
#include "access/guaqi.h"
#include "access/qxgl.h"
#include "access/xgmm.h"
#include "app/MenuLayout.h"
#include "app/WorkArea.h"
#include "app/mainForm.h"
#include "bank/BankPanel.h"
#include "bank/cunquxx.h"
#include "bank/yinhang.h"
#include "bills/ImportPreview.h"
#include "bills/ImportRecordsWindow.h"
#include "bills/RulesWindow.h"
#include "household/FunctionPanel.h"
#include "household/PendingEdit.h"
#include "kit/Prompt.h"
#include "kit/StyleEngine.h"
#include "kit/Today.h"
#include "ledger/BinWindow.h"
#include "ledger/ExportDialog.h"
#include "ledger/SummaryPanel.h"
#include "ledger/TrendWindow.h"
#include "plans/BudgetWindow.h"
#include "plans/CatchUpWindow.h"
#include "plans/RegularWindow.h"
#include "reminders/Reminders.h"
#include "tools/Launcher.h"
#include "tools/Launchers.h"
#include "tools/abord.h"
#include "tools/cldj.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>

namespace {

const QString kRefusal = QStringLiteral("您没有操作该项目的权限，请与管理员联系！谢谢！");

}  // namespace

void TForm1::bindNavigation() {
    const auto onAction = [this](const char* name, void (TForm1::*handler)()) {
        connect(findChild<QAction*>(QString::fromLatin1(name)), &QAction::triggered, this, handler);
    };
    const auto onButton = [this](const char* name, void (TForm1::*handler)()) {
        connect(findChild<QToolButton*>(QString::fromLatin1(name)), &QToolButton::clicked, this, handler);
    };

    onButton("SpeedButton2", &TForm1::SpeedButton2Click);
    onButton("SpeedButton3", &TForm1::SpeedButton3Click);
    onButton("SpeedButton4", &TForm1::SpeedButton4Click);
    onButton("SpeedButton5", &TForm1::SpeedButton5Click);
    onButton("SpeedButton6", &TForm1::SpeedButton6Click);

    onAction("N26", &TForm1::SpeedButton3Click);
    onAction("N28", &TForm1::SpeedButton4Click);
    onAction("N30", &TForm1::SpeedButton2Click);
    onAction("N45", &TForm1::N45Click);
    onAction("N48", &TForm1::N48Click);
    onButton("SpeedButton36", &TForm1::N48Click);
    onAction("N46", &TForm1::N46Click);
    onAction("N47", &TForm1::N47Click);
    onAction("N49", &TForm1::N49Click);
    onAction("N50", &TForm1::N50Click);
    onAction("N58", &TForm1::N58Click);
    onAction("N59", &TForm1::N59Click);
    // The regular entries due since the last run are caught up once the window is up, after the login
    // and the reminder notice, and again when the day changes while the program stays open (looked at
    // every minute; not while another window waits for an answer).
    connect(this, &TForm1::firstShowingDone, this, &TForm1::catchUpRegularEntries);
    auto* dayWatch = new QTimer(this);
    dayWatch->setInterval(60 * 1000);
    connect(dayWatch, &QTimer::timeout, this, [this] {
        if (caughtUpDay_.isValid() && Today() != caughtUpDay_ && !QApplication::activeModalWidget())
            catchUpRegularEntries();
    });
    dayWatch->start();
    findChild<QAction*>(QStringLiteral("N45"))->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    findChild<QAction*>(QStringLiteral("N46"))->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H));
    findChild<QAction*>(QStringLiteral("N47"))->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    // Entries deleted more than a year ago leave the bin once the window is up; it is one ranged delete
    // on the bin's own index. A failure leaves them for the next start or the bin's next opening.
    connect(this, &TForm1::firstShowingDone, this, [this] { (void)ExpireBin(database_, Today()); });
    onAction("N31", &TForm1::SpeedButton5Click);
    onAction("N33", &TForm1::SpeedButton5Click);
    onAction("N37", &TForm1::N37Click);
    onAction("N43", &TForm1::N43Click);
    onAction("N38", &TForm1::SpeedButton6Click);
    onAction("N41", &TForm1::N41Click);
    onAction("N52", &TForm1::N52Click);
    onAction("N53", &TForm1::N53Click);
    onAction("N55", &TForm1::N55Click);
    onAction("N16", &TForm1::N16Click);
    onAction("N17", &TForm1::N17Click);
    onAction("N19", &TForm1::N19Click);
    onAction("N20", &TForm1::N20Click);
    onAction("N10", &TForm1::N10Click);
    onAction("N12", &TForm1::N12Click);
    onAction("N13", &TForm1::N13Click);
    onAction("N15", &TForm1::N15Click);
    onAction("N6", &TForm1::N6Click);
    onAction("N8", &TForm1::N8Click);
    onAction("N9", &TForm1::SpeedButton1Click);

    onButton("SpeedButton24", &TForm1::N16Click);
    onButton("SpeedButton15", &TForm1::N19Click);
    onButton("SpeedButton19", &TForm1::SpeedButton19Click);
    onButton("SpeedButton18", &TForm1::N41Click);
    onButton("SpeedButton14", &TForm1::N6Click);
    onButton("SpeedButton9", &TForm1::N8Click);
    onButton("SpeedButton1", &TForm1::SpeedButton1Click);

    const QList<QAction*> styles = StyleItems(this);
    for (int i = 0; i < styles.size(); ++i) {
        connect(styles[i], &QAction::triggered, this, [this, i] { StyleItemClick(i); });
    }
}

bool TForm1::HoldsRight(const QString& text) const {
    for (int i = 0; i < permissions_->count(); ++i) {
        const QListWidgetItem* item = permissions_->item(i);
        if (item->checkState() != Qt::Checked && item->text() == text)
            return false;
    }
    return true;
}

bool TForm1::PermissionGate(const QString& text) {
    if (HoldsRight(text))
        return true;
    Prompt::current().show(Captions::kNotice, kRefusal, Prompt::Buttons::Ok, Prompt::Icon::Warning);
    return false;
}

bool TForm1::settlePendingEdits() {
    for (QWidget* panel : workArea_->panels()) {
        if (auto* pending = dynamic_cast<PendingEdit*>(panel); pending && !SettlePendingEdit(*pending))
            return false;
    }
    return true;
}

// On a server other computers change the home safe too: a panel brought up starts from the balance as
// stored now. A failed read keeps the balance in memory, as at start.
static void FollowOtherComputers(Database& database, HomeSafe& homeSafe) {
    if (database.isServer() && database.isOpen())
        (void)homeSafe.ReadHomeSafeBalance();
}

void TForm1::showPanel(QAbstractButton* sideButton, FunctionPanels::Slot slot, const QString& gateText) {
    // Refused, or the user stays on the row being edited: the click pressed the side button, but the
    // panel in front is still the one before, and its side button shows pressed again.
    const auto pressFrontButton = [this] {
        if (const auto front = panels_.slotOf(workArea_->frontPanel());
            front && *front < workArea_->sideButtons().size())
            workArea_->sideButtons()[*front]->setChecked(true);
    };
    if (!gateText.isEmpty() && !PermissionGate(gateText)) {
        pressFrontButton();
        return;
    }
    if (!settlePendingEdits()) {
        pressFrontButton();
        return;
    }
    // A panel opened for the first time is built here, behind the permission gate.
    FunctionPanel* panel = panels_.get(slot);
    workArea_->moveHighlightTo(sideButton);
    workArea_->bringToFront(panel);
    FollowOtherComputers(database_, homeSafe_);
    panel->broughtToFront();
}

void TForm1::SpeedButton2Click() {
    showPanel(workArea_->sideButtons()[0], FunctionPanels::Summary, QString());
}

void TForm1::SpeedButton3Click() {
    QToolButton* button = workArea_->sideButtons()[1];
    showPanel(button, FunctionPanels::Income, button->text());
}

void TForm1::SpeedButton4Click() {
    QToolButton* button = workArea_->sideButtons()[2];
    showPanel(button, FunctionPanels::Expense, button->text());
}

void TForm1::SpeedButton5Click() {
    showPanel(workArea_->sideButtons()[3], FunctionPanels::Bank, QString());
}

void TForm1::SpeedButton6Click() {
    showPanel(workArea_->sideButtons()[4], FunctionPanels::Reminder, QString());
}

void TForm1::SpeedButton19Click() {
    if (!settlePendingEdits())
        return;
    QToolButton* button = workArea_->sideButtons()[0];
    workArea_->moveHighlightTo(button);
    workArea_->bringToFront(panels_.summary());
    button->setChecked(true);
    FollowOtherComputers(database_, homeSafe_);
    panels_.summary()->broughtToFront();
}

void TForm1::N41Click() {
    ShowTodayReminders(database_.connection(), OverBudgetReminders(database_));
}

void TForm1::N8Click() {
    // A row on its way in is settled first, so that it is neither lost nor left to the next user.
    if (!settlePendingEdits())
        return;
    // The previous user stays until a new login succeeds; the exit button ends the program.
    if (!runLogin())
        Q_EMIT terminateRequested();
}

void TForm1::SpeedButton1Click() {
    if (!settlePendingEdits())
        return;
    footerTotalShown_ = false;
    if (auto* bank = qobject_cast<BankPanel*>(panels_.built(FunctionPanels::Bank)))
        bank->setFooterTotalShown(false);
    Q_EMIT terminateRequested();
}

void TForm1::N37Click() {
    ShowTransactionRecords(household_);
}

void TForm1::N43Click() {
    ShowBankInformation(household_);
}

void TForm1::N52Click() {
    const QString calculator = Launch::FirstProgramFound(Launch::CalculatorCandidates());
    if (!calculator.isEmpty())
        Launcher::current().start(calculator);
}

void TForm1::N53Click() {
    const QString editor = Launch::FirstProgramFound(Launch::TextEditorCandidates());
    if (!editor.isEmpty())
        Launcher::current().start(editor);
}

void TForm1::N55Click() {
    TForm9 lookup(household_, this);
    lookup.exec();
}

void TForm1::N16Click() {
    if (!PermissionGate(findChild<QAction*>(QStringLiteral("N16"))->text()))
        return;
    if (Prompt::current().show(Captions::kNotice,
                               QStringLiteral("备份数据时，主程序需要关闭，现在确信要备份数据？"),
                               Prompt::Buttons::YesNo, Prompt::Icon::Question) != Prompt::Answer::Yes)
        return;
    if (!settlePendingEdits())
        return;
    // The program ends and the backup tool starts once the database is released.
    Q_EMIT terminateRequested();
    StartKopiraAtExit(household_.programFolder);
}

void TForm1::N17Click() {
    if (!PermissionGate(findChild<QAction*>(QStringLiteral("N17"))->text()))
        return;
    if (Prompt::current().show(Captions::kNotice, QStringLiteral("恢复数据时系统将关闭，确信要进行恢复？"),
                               Prompt::Buttons::OkCancel, Prompt::Icon::Question) != Prompt::Answer::Ok)
        return;
    if (!settlePendingEdits())
        return;
    Q_EMIT terminateRequested();
    StartKopiraAtExit(household_.programFolder);
}

void TForm1::N19Click() {
    if (!PermissionGate(findChild<QAction*>(QStringLiteral("N19"))->text()))
        return;
    TForm7 window(household_, this);
    window.exec();
}

void TForm1::N20Click() {
    TForm17 dialog(household_, this);
    dialog.exec();
}

void TForm1::StyleItemClick(int number) {
    skinData_->loadStyle(number);
    // The style stays in force for this run even when the choice cannot be remembered; the menu marks
    // the style in force either way.
    if (Status written = settings_.writeInteger(Settings::kStyleSection, Settings::kStyleKey, number);
        !written)
        ReportError(written.error());
    markStyle(number);
}

void TForm1::N10Click() {
    const QString page = Launch::HelpPagePath(household_.programFolder);
    if (!page.isEmpty())
        OpenOrTell(page, QStringLiteral("帮助文档"));
}

void TForm1::N12Click() {
    OpenOrTell(Launch::kSupportMail, QStringLiteral("技术支持的邮件地址"));
}

void TForm1::N13Click() {
    OpenOrTell(Launch::kMakerSite, QStringLiteral("网站"));
}

void TForm1::N15Click() {
    TAboutBox about(this);
    about.exec();
}

void TForm1::N6Click() {
    // The work area stays hidden until the lock is opened with the current password.
    workArea_->hide();
    TForm3 lock(household_, this);
    lock.exec();
    workArea_->show();
}

void TForm1::N45Click() {
    // The export starts from the period the summary shows; a period that does not read starts at today.
    QDate first = Today();
    QDate last = Today();
    if (auto* summary = qobject_cast<SummaryPanel*>(panels_.summary())) {
        if (const Result<PeriodBounds> shown = summary->shownPeriod(); shown) {
            first = shown->first;
            last = shown->last;
        }
    }
    ExportDialog dialog(household_, first, last, this);
    dialog.exec();
}

void TForm1::N48Click() {
    RunBillImport(household_, this);
}

void TForm1::N46Click() {
    BinWindow bin(household_, this);
    bin.exec();
}

void TForm1::N47Click() {
    TrendWindow trend(household_, this);
    trend.exec();
}

// Both are open to every user; undoing an import and changing a rule pass the gate inside.
void TForm1::N49Click() {
    ImportRecordsWindow records(household_, this);
    records.exec();
}

void TForm1::N50Click() {
    RulesWindow rules(household_, this);
    rules.exec();
}

// Budgets are plans of spending: they need 支出管理.
void TForm1::N58Click() {
    if (!PermissionGate(QStringLiteral("支出管理")))
        return;
    BudgetWindow budgets(household_, Today(), this);
    budgets.exec();
    if (auto* summary = qobject_cast<SummaryPanel*>(panels_.summary()); summary && summary->isVisible())
        summary->ComputePeriodTotals();
}

// Open to every user; adding, changing and deleting pass the gate of the entry's type inside.
void TForm1::N59Click() {
    RegularWindow regular(household_, this);
    regular.exec();
}

void TForm1::catchUpRegularEntries() {
    if (!database_.isOpen() || startFailed_)
        return;
    caughtUpDay_ = Today();
    // The panel in front shows the entries and balances as they now stand.
    if (RunCatchUp(household_, this)) {
        if (auto* front = qobject_cast<FunctionPanel*>(workArea_->frontPanel()))
            front->broughtToFront();
    }
}

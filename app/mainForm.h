#pragma once

#include "app/FunctionPanels.h"
#include "data/Database.h"
#include "data/HomeSafe.h"
#include "household/CurrentUser.h"
#include "household/Household.h"
#include "household/IniFile.h"

#include <QDate>
#include <QMainWindow>

#include <functional>

class QAbstractButton;
class QListWidget;
class QToolButton;
class StatusPanels;
class StyleEngine;
class WorkArea;

// The main window: menu, toolbar, work area with the side buttons and the five function panels, the
// hidden permission list and the status bar. It owns the one database connection, the settings file,
// the current user and the home safe's balance for the whole run.
class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    // Creation: reads the settings, restores the window style, opens the database under the home folder
    // and reads the home safe's balance. The first showing runs the login and prepares the panels.
    explicit TForm1(const QString& homeFolder, QWidget* parent = nullptr);
    // The same, asking `householdClaimed` just before the household is first touched whether this run
    // may have it (the program's lock, taken meanwhile); on false the start fails untouched.
    TForm1(const QString& homeFolder, std::function<bool()> householdClaimed, QWidget* parent = nullptr);
    ~TForm1() override;

    Database& database() { return database_; }
    IniFile& settings() { return settings_; }
    HomeSafe& homeSafe() { return homeSafe_; }
    CurrentUser& currentUser() { return user_; }
    Household& household() { return household_; }
    // The function panels, each built on first use.
    FunctionPanels& panels() { return panels_; }
    const QString& homeFolder() const { return homeFolder_; }
    // The household is open in another window or its server could not be used: the program ends
    // without showing the window.
    bool startFailed() const { return startFailed_; }

    WorkArea* workArea() const { return workArea_; }
    StatusPanels* statusPanels() const { return statusBar_; }
    QListWidget* permissionList() const { return permissions_; }  // CheckListBox1

    // PermissionGate: looks the function up in the hidden permission list; refuses (with its message)
    // at the first unticked item whose text equals it exactly. A text that matches no item passes.
    bool PermissionGate(const QString& text);
    // The gate's answer without its message.
    bool HoldsRight(const QString& text) const;

    // The style number read at start ("ysxuanze"/"yangshi").
    int styleNumber() const { return styleNumber_; }
    // Checks the style item of number n and unchecks the others; any n outside 0..7 leaves all unchecked.
    void markStyle(int n);
    // The style engine SkinData1, which draws every window in the style in force.
    StyleEngine* styleEngine() const { return skinData_; }

  Q_SIGNALS:
    // The program is told to end ("退出系统", or the login's exit button).
    void terminateRequested();
    // The first-showing steps have run (or were cut short by the login's exit button).
    void firstShowingDone();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormCreate();
    void FormShow();

    // Navigation: each menu item, toolbar button and side button runs one of these.
    void showPanel(QAbstractButton* sideButton, FunctionPanels::Slot slot, const QString& gateText);
    void SpeedButton2Click();         // 帐务信息
    void SpeedButton3Click();         // 收入管理 (gated)
    void SpeedButton4Click();         // 支出管理 (gated)
    void SpeedButton5Click();         // 银行帐务, 银行存款, 银行支取
    void SpeedButton6Click();         // 提醒操作, 提醒事件管理
    void SpeedButton19Click();        // 刷新帐务
    void N41Click();                  // 刷新提醒事件, 提醒事件
    void N37Click();                  // 存取记录
    void N43Click();                  // 银行信息
    void N52Click();                  // 计算器
    void N53Click();                  // 记事本
    void N55Click();                  // 邮政编码
    void N16Click();                  // 备份数据库 (gated)
    void N17Click();                  // 恢复数据库 (gated)
    void N19Click();                  // 用户权限管理 (gated)
    void N20Click();                  // 修改用户密码
    void StyleItemClick(int number);  // 样式一 … 样式八
    void N10Click();                  // 帮助文档
    void N12Click();                  // 技术支持
    void N13Click();                  // Quorvane
    void N15Click();                  // 关于
    void N6Click();                   // 系统挂起
    void N8Click();                   // 更换用户, 注销用户
    void SpeedButton1Click();         // 退出系统
    void N45Click();                  // 导出收支明细…
    void N48Click();                  // 导入帐单…
    void N46Click();                  // 回收站
    void N47Click();                  // 收支趋势
    void N49Click();                  // 导入记录…
    void N50Click();                  // 明细规则…
    void N58Click();                  // 预算…
    void N59Click();                  // 定期收支…
    // Lists the regular entries due since the last run, entering those that enter themselves.
    void catchUpRegularEntries();

    // Runs the login window modally; false when the user left it by its exit button.
    bool runLogin();
    // Before a row being added or edited on a panel would be dropped (another panel, a change of user,
    // the end): asks whether to save it. False when the user stays on the row.
    bool settlePendingEdits();

    // The window style, in force before the first widget is built so that each is drawn in it once.
    void applyStyle();
    void buildToolBar();
    void buildWorkArea();
    // Puts a newly built function panel into the work area and brings it to where the first showing
    // has taken the others (footer total, reminder table, detail choices).
    void placePanel(FunctionPanels::Slot slot, FunctionPanel* panel);
    void buildPermissionList();
    void buildStatusBar();
    void bindNavigation();

    QString homeFolder_;
    std::function<bool()> householdClaimed_;
    IniFile settings_;
    Database database_;
    HomeSafe homeSafe_;
    CurrentUser user_;
    Household household_;
    FunctionPanels panels_;
    int styleNumber_ = Settings::kDefaultStyle;
    bool shown_ = false;
    // What the first showing has done to the panels; a panel built later is brought to the same point.
    bool footerTotalShown_ = false;
    bool remindersOpened_ = false;
    bool detailChoicesLoaded_ = false;
    bool startFailed_ = false;
    QDate caughtUpDay_;  // the day the regular entries were last caught up in this run

    WorkArea* workArea_ = nullptr;
    StatusPanels* statusBar_ = nullptr;
    QListWidget* permissions_ = nullptr;
    StyleEngine* skinData_ = nullptr;
};

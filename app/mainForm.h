#pragma once

#include "app/IniFile.h"
#include "data/Database.h"
#include "data/HomeSafe.h"

#include <QMainWindow>

class QListWidget;
class QToolButton;
class StatusPanels;
class WorkArea;

// The main window: menu, toolbar, work area with the side buttons and the five function panels, the
// hidden permission list and the status bar. It owns the one database connection, the settings file
// and the home safe's balance for the whole run.
class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    // Creation: reads the settings, restores the window style, opens the database under the home folder
    // and reads the home safe's balance. The first showing runs the login and prepares the panels.
    explicit TForm1(const QString& homeFolder, QWidget* parent = nullptr);
    ~TForm1() override;

    Database& database() { return database_; }
    IniFile& settings() { return settings_; }
    HomeSafe& homeSafe() { return homeSafe_; }
    const QString& homeFolder() const { return homeFolder_; }

    WorkArea* workArea() const { return workArea_; }
    StatusPanels* statusPanels() const { return statusBar_; }
    QListWidget* permissionList() const { return permissions_; }  // CheckListBox1

    // The style number read at start ("ysxuanze"/"yangshi").
    int styleNumber() const { return styleNumber_; }
    // Checks the style item of number n and unchecks the others; any n outside 0..7 leaves all unchecked.
    void markStyle(int n);

  Q_SIGNALS:
    // The program is told to end ("退出系统").
    void terminateRequested();
    // The first-showing steps have run.
    void firstShowingDone();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormCreate();
    void FormShow();
    void SpeedButton1Click();  // 退出系统

    void buildToolBar();
    void buildWorkArea();
    void buildPermissionList();
    void buildStatusBar();

    QString homeFolder_;
    IniFile settings_;
    Database database_;
    HomeSafe homeSafe_;
    int styleNumber_ = Settings::kDefaultStyle;
    bool shown_ = false;

    WorkArea* workArea_ = nullptr;
    StatusPanels* statusBar_ = nullptr;
    QListWidget* permissions_ = nullptr;
};

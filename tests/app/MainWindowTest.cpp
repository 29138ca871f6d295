#include "app/WorkArea.h"
#include "app/mainForm.h"
#include "household/FunctionPanel.h"
#include "kit/StatusPanels.h"
#include "support/FindChild.h"
#include "support/ModalDriver.h"
#include "support/ScriptedPrompt.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QButtonGroup>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>

namespace {

// Builds and shows the main window as a real start does, logs in as the initial user and waits for the
// first-showing steps.
std::unique_ptr<TForm1> startMainWindow(const TempHome& home) {
    auto form = std::make_unique<TForm1>(home.path());
    LogInWhenAsked(QStringLiteral("001"), QStringLiteral("123"));
    QSignalSpy shown(form.get(), &TForm1::firstShowingDone);
    form->show();
    EXPECT_TRUE(shown.wait(5000));
    return form;
}

QStringList menuLayout(const QMenu* menu) {
    QStringList items;
    for (const QAction* a : menu->actions()) {
        items.append(a->objectName() + QLatin1Char(':') +
                     (a->isSeparator() ? QStringLiteral("—") : a->text()));
    }
    return items;
}

TEST(MainWindow, MenuBarHasTheSevenMenusWithEveryItemInOrder) {
    TempHome home;
    ScriptedPrompt prompt;
    TForm1 form(home.path());
    QStringList menus;
    for (const QAction* a : form.menuBar()->actions())
        menus.append(a->menu()->objectName() + QLatin1Char(':') + a->text());
    EXPECT_EQ(menus,
              QStringList({"N1:【收支系统】", "N25:【银行帐务】", "N2:【提醒系统】", "N51:【常用工具】",
                           "N3:【系统维护】", "N4:【帮助文档】", "N5:【退出系统】"}));
    EXPECT_EQ(menuLayout(child<QMenu>(&form, "N1")),
              QStringList({"N26:收入管理", "N27:—", "N28:支出管理", "N29:—", "N30:帐务信息", "N44:—",
                           "N45:导出收支明细…", "N48:导入帐单…", "N49:导入记录…", "N50:明细规则…",
                           "N58:预算…", "N59:定期收支…", "N46:回收站", "N47:收支趋势"}));
    EXPECT_EQ(menuLayout(child<QMenu>(&form, "N25")),
              QStringList({"N31:银行存款", "N32:—", "N33:银行支取", "N36:—", "N37:存取记录", "N42:—",
                           "N43:银行信息"}));
    EXPECT_EQ(menuLayout(child<QMenu>(&form, "N2")),
              QStringList({"N38:提醒事件管理", "N40:—", "N41:刷新提醒事件"}));
    EXPECT_EQ(menuLayout(child<QMenu>(&form, "N51")),
              QStringList({"N52:计算器", "N53:记事本", "N54:—", "N55:邮政编码"}));
    EXPECT_EQ(
        menuLayout(child<QMenu>(&form, "N3")),
        QStringList({"N16:备份数据库", "N17:恢复数据库", "N18:—", "N19:用户权限管理", "N20:修改用户密码",
                     "N34:—", "N35:窗口样式选择", "N21:—", "N22:状态栏", "N23:工具栏"}));
    EXPECT_EQ(
        menuLayout(child<QMenu>(&form, "N4")),
        QStringList({"N10:帮助文档", "N11:—", "N12:技术支持", "N13:Quorvane", "N14:—", "N15:关于······"}));
    EXPECT_EQ(menuLayout(child<QMenu>(&form, "N5")),
              QStringList({"N6:系统挂起", "N7:—", "N8:更换用户", "N9:退出系统"}));
    EXPECT_EQ(menuLayout(child<QAction>(&form, "N35")->menu()),
              QStringList({"N110:样式一", "N210:样式二", "N39:样式三", "N56:样式四", "N57:样式五",
                           "N61:样式六", "N71:样式七", "N81:样式八"}));

    // 状态栏 and 工具栏 stay checked whatever is chosen.
    for (const char* name : {"N22", "N23"}) {
        QAction* item = child<QAction>(&form, name);
        item->trigger();
        EXPECT_TRUE(item->isChecked()) << name;
    }
}

TEST(MainWindow, ToolBarSideButtonsPanelsAndStatusBar) {
    TempHome home;
    ScriptedPrompt prompt;
    auto started = startMainWindow(home);
    TForm1& form = *started;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tamberlo"));

    const char* toolNames[] = {"SpeedButton24", "SpeedButton15", "SpeedButton19", "SpeedButton18",
                               "SpeedButton14", "SpeedButton9",  "SpeedButton1"};
    const char* toolCaptions[] = {"备份数据", "权限管理", "刷新帐务", "提醒事件",
                                  "挂起系统", "注销用户", "退出系统"};
    const char* toolTips[] = {"", "", "", "", "系统挂起,预防误操作", "注销当前用户", "关闭系统"};
    int lastX = -1;
    for (int i = 0; i < 7; ++i) {
        auto* b = child<QToolButton>(&form, toolNames[i]);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), QString::fromUtf8(toolCaptions[i]));
        EXPECT_EQ(b->toolTip(), QString::fromUtf8(toolTips[i]));
        EXPECT_EQ(b->size(), QSize(105, 47));
        EXPECT_GT(b->parentWidget()->mapTo(&form, b->pos()).x(), lastX);  // left to right
        lastX = b->parentWidget()->mapTo(&form, b->pos()).x();
    }

    const char* sideNames[] = {"SpeedButton2", "SpeedButton3", "SpeedButton4", "SpeedButton5",
                               "SpeedButton6"};
    const char* sideCaptions[] = {"帐务信息", "收入管理", "支出管理", "银行帐务", "提醒操作"};
    int lastY = -1;
    for (int i = 0; i < 5; ++i) {
        auto* b = child<QToolButton>(&form, sideNames[i]);
        EXPECT_EQ(b->text(), QString::fromUtf8(sideCaptions[i]));
        EXPECT_EQ(b->isChecked(), i == 0);
        EXPECT_GT(b->y(), lastY);
        lastY = b->y();
    }
    EXPECT_EQ(form.workArea()->frontPanel(), child<QWidget>(&form, "Panel2"));
    // One exclusive group: pressing one releases the others.
    QTest::mouseClick(child<QToolButton>(&form, "SpeedButton5"), Qt::LeftButton);
    EXPECT_TRUE(child<QToolButton>(&form, "SpeedButton5")->isChecked());
    EXPECT_FALSE(child<QToolButton>(&form, "SpeedButton2")->isChecked());

    // Only the summary is built at the first showing; the others come with their first opening.
    EXPECT_EQ(form.panels().built(FunctionPanels::Income), nullptr);
    EXPECT_EQ(form.findChild<QWidget*>(QStringLiteral("Panel6")), nullptr);
    for (int slot = 0; slot < FunctionPanels::SlotCount; ++slot)
        form.panels().get(FunctionPanels::Slot(slot));

    // The five white panels lie in one place, the bank's still in front.
    QRect place;
    for (const char* name : {"Panel2", "Panel3", "Panel4", "Panel5", "Panel6"}) {
        auto* panel = child<QWidget>(&form, name);
        if (place.isNull())
            place = panel->geometry();
        EXPECT_EQ(panel->geometry(), place) << name;
        EXPECT_EQ(panel->property("tag").toInt(), 99);
    }
    EXPECT_EQ(form.workArea()->frontPanel(), child<QWidget>(&form, "Panel5"));
    EXPECT_EQ(child<QLabel>(&form, "Label9")->text(), QStringLiteral("恭喜！又有钱入帐"));
    EXPECT_NE(child<QWidget>(&form, "Shape1"), nullptr);

    auto* list = child<QListWidget>(&form, "CheckListBox1");
    EXPECT_TRUE(list->isHidden());
    QStringList items;
    for (int i = 0; i < list->count(); ++i) {
        items.append(list->item(i)->text());
        EXPECT_EQ(list->item(i)->checkState(), Qt::Checked);  // the initial user holds every right
    }
    EXPECT_EQ(items, QStringList({"备份数据库", "恢复数据库", "用户权限管理", "收入管理", "支出管理", "存款",
                                  "取款"}));

    StatusPanels* status = form.statusPanels();
    EXPECT_EQ(status->objectName(), QStringLiteral("StatusBar1"));
    ASSERT_EQ(status->panelCount(), 4);
    EXPECT_EQ(status->panelText(0), QStringLiteral("祝您开心每一天！"));
    EXPECT_EQ(status->panelText(1), QStringLiteral("登录者："));
    EXPECT_EQ(status->panel(0)->width(), 120);
    EXPECT_EQ(status->panel(1)->width(), 80);
    EXPECT_EQ(status->panel(2)->width(), 120);
    EXPECT_TRUE(status->panel(0)->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(status->panel(1)->alignment() & Qt::AlignRight);
    EXPECT_TRUE(status->panel(3)->alignment() & Qt::AlignLeft);
}

TEST(MainWindow, FirstShowingMaximisesAndWritesTodayIntoTheStatusBar) {
    TempHome home;
    ScriptedPrompt prompt;
    auto form = startMainWindow(home);
    EXPECT_TRUE(form->isMaximized());
    EXPECT_EQ(form->statusPanels()->panelText(3), QStringLiteral("今天：2007年1月15日"));
    EXPECT_TRUE(prompt.boxes().isEmpty());
    EXPECT_TRUE(QFile::exists(home.databasePath()));
    EXPECT_EQ(form->homeSafe().balance(), Money());
}

TEST(MainWindow, NeverSmallerThan800By576AndPanelsGrowWithTheWindow) {
    TempHome home;
    ScriptedPrompt prompt;
    auto started = startMainWindow(home);
    TForm1& form = *started;
    form.showNormal();
    form.resize(500, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.size(), QSize(800, 576));
    auto* panel = form.panels().expense();
    const QSize small = panel->size();
    form.resize(1200, 900);
    QCoreApplication::processEvents();
    EXPECT_EQ(panel->width() - small.width(), 400);
    EXPECT_EQ(panel->height() - small.height(), 324);
    EXPECT_EQ(child<QWidget>(&form, "Panel2")->geometry(), panel->geometry());
}

TEST(MainWindow, SavedStyleNumberIsMarkedInTheMenu) {
    struct Case {
        QByteArray ini;
        int checked;  // -1: none
    };
    const Case cases[] = {{"", 2},
                          {"[ysxuanze]\nyangshi=6\n", 6},
                          {"[ysxuanze]\nyangshi=8\n", -1},
                          {"[ysxuanze]\nyangshi=-1\n", -1},
                          {"[ysxuanze]\nyangshi=abc\n", 2}};
    const char* names[] = {"N110", "N210", "N39", "N56", "N57", "N61", "N71", "N81"};
    for (const Case& c : cases) {
        TempHome home;
        ScriptedPrompt prompt;
        if (!c.ini.isEmpty())
            home.writeIni(c.ini);
        TForm1 form(home.path());
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(child<QAction>(&form, names[i])->isChecked(), i == c.checked) << c.ini.data();
    }
}

TEST(MainWindow, AnUnopenableDatabaseIsReportedAndTheWindowStillComesUp) {
    TempHome home;
    home.writeDatabaseFile("not a database at all, but someone's file");
    ScriptedPrompt prompt;
    TForm1 form(home.path());
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Tamberlo"));
    EXPECT_FALSE(prompt.boxes()[0].text.isEmpty());
    EXPECT_FALSE(form.database().isOpen());

    // The login reports its own error and stays; its exit button ends the program.
    QSignalSpy terminate(&form, &TForm1::terminateRequested);
    QSignalSpy done(&form, &TForm1::firstShowingDone);
    WhenModal([](QWidget* login) {
        TypeInto(login, "Edit1", QStringLiteral("001"));
        TypeInto(login, "Edit2", QStringLiteral("123"));
        ClickButton(login, "SpeedButton1");
        EXPECT_TRUE(login->isVisible());
        ClickButton(login, "SpeedButton2");
    });
    form.show();
    ASSERT_TRUE(done.wait(5000));
    EXPECT_EQ(prompt.boxes().size(), 2);
    EXPECT_EQ(terminate.count(), 1);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.currentUser().name.isEmpty());
}

TEST(MainWindow, ANullHomeSafeBalanceIsReportedAndStaysZero) {
    TempHome home;
    {
        Database db;
        ASSERT_TRUE(db.open(home.databasePath()).isOk());
        QSqlQuery(db.connection()).exec(QStringLiteral("update zhangwubiao set jine=NULL"));
    }
    ScriptedPrompt prompt;
    TForm1 form(home.path());
    EXPECT_EQ(prompt.texts(), QStringList({"'' is not a valid floating point value"}));
    EXPECT_EQ(form.homeSafe().balance(), Money());
}

TEST(MainWindow, ExitAndCloseEndTheProgramWithoutAQuestion) {
    TempHome home;
    ScriptedPrompt prompt;
    auto form = startMainWindow(home);
    QSignalSpy terminate(form.get(), &TForm1::terminateRequested);
    child<QToolButton>(form.get(), "SpeedButton1")->click();
    child<QAction>(form.get(), "N9")->trigger();
    EXPECT_EQ(terminate.count(), 2);
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

}  // namespace

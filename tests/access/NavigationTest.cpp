#include "MainWindowFixture.h"

#include "app/WorkArea.h"

#include "kit/Today.h"

#include <QAction>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

namespace {

const QString kRefusal = QStringLiteral("您没有操作该项目的权限，请与管理员联系！谢谢！");

class Navigation : public MainWindowFixture {
  protected:
    QWidget* front() const { return form->workArea()->frontPanel(); }
    QWidget* panel(const char* name) const { return child<QWidget>(name); }
    QPoint highlight() const { return child<QWidget>("Shape2")->pos(); }
    int jointTop() const { return child<QWidget>("Shape3")->y(); }
    QToolButton* side(const char* name) const { return child<QToolButton>(name); }
    void changeUser(const QString& id, const QString& password) {
        WhenModal([id, password](QWidget* login) {
            TypeInto(login, "Edit1", id);
            TypeInto(login, "Edit2", password);
            ClickButton(login, "SpeedButton1");
        });
        child<QAction>("N8")->trigger();
    }
};

TEST_P(Navigation, SideButtonsBringTheirPanelAndMoveTheHighlight) {
    startAs(QStringLiteral("001"), QStringLiteral("123"));
    const struct {
        const char* button;
        const char* panel;
    } routes[] = {{"SpeedButton3", "Panel3"},
                  {"SpeedButton4", "Panel4"},
                  {"SpeedButton5", "Panel5"},
                  {"SpeedButton6", "Panel6"},
                  {"SpeedButton2", "Panel2"}};
    for (const auto& r : routes) {
        side(r.button)->click();
        EXPECT_EQ(front(), panel(r.panel)) << r.button;
        EXPECT_TRUE(side(r.button)->isChecked());
        EXPECT_EQ(highlight(), side(r.button)->pos() - QPoint(8, 8)) << r.button;
        EXPECT_EQ(jointTop(), side(r.button)->y() - 8);
        // The other panels opened so far are neither hidden nor moved.
        for (const char* other : {"Panel2", "Panel3", "Panel4", "Panel5", "Panel6"}) {
            if (!form->findChild<QWidget*>(QString::fromLatin1(other)))
                continue;
            EXPECT_TRUE(panel(other)->isVisible());
            EXPECT_EQ(panel(other)->geometry(), panel(r.panel)->geometry());
        }
    }
    EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
}

TEST_P(Navigation, MenuItemsMoveThePanelButNotThePressedButton) {
    startAs(QStringLiteral("001"), QStringLiteral("123"));
    const struct {
        const char* item;
        const char* panel;
        const char* highlighted;
    } routes[] = {{"N26", "Panel3", "SpeedButton3"}, {"N28", "Panel4", "SpeedButton4"},
                  {"N31", "Panel5", "SpeedButton5"}, {"N33", "Panel5", "SpeedButton5"},
                  {"N38", "Panel6", "SpeedButton6"}, {"N30", "Panel2", "SpeedButton2"}};
    for (const auto& r : routes) {
        child<QAction>(r.item)->trigger();
        EXPECT_EQ(front(), panel(r.panel)) << r.item;
        EXPECT_EQ(highlight(), side(r.highlighted)->pos() - QPoint(8, 8)) << r.item;
        EXPECT_TRUE(side("SpeedButton2")->isChecked()) << r.item;
    }
}

TEST_P(Navigation, RefreshShowsTheSummaryAndPressesItsButton) {
    startAs(QStringLiteral("001"), QStringLiteral("123"));
    side("SpeedButton5")->click();
    child<QToolButton>("SpeedButton19")->click();
    EXPECT_EQ(front(), panel("Panel2"));
    EXPECT_TRUE(side("SpeedButton2")->isChecked());
    EXPECT_FALSE(side("SpeedButton5")->isChecked());
    EXPECT_EQ(highlight(), side("SpeedButton2")->pos() - QPoint(8, 8));
}

TEST_P(Navigation, ChangeOfUserKeepsThePanelAndTheNewRightsApplyAtTheNextGuardedStep) {
    addUser(QStringLiteral("kid"), QStringLiteral("小明"), QStringLiteral("456"), QStringLiteral("1100011"));
    startAs(QStringLiteral("001"), QStringLiteral("123"));
    side("SpeedButton3")->click();
    ASSERT_EQ(front(), panel("Panel3"));
    changeUser(QStringLiteral("kid"), QStringLiteral("456"));
    EXPECT_EQ(form->statusPanels()->panelText(2), QStringLiteral("小明"));
    EXPECT_EQ(front(), panel("Panel3"));
    EXPECT_EQ(ticks(), QList<bool>({true, true, false, false, false, true, true}));

    side("SpeedButton2")->click();
    const QPoint before = highlight();
    // The side button is refused: the panel and the highlight stay, and so does the pressed button, that
    // of the panel in front.
    QTest::mouseClick(side("SpeedButton4"), Qt::LeftButton);
    EXPECT_EQ(prompt.texts(), QStringList({kRefusal}));
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Quorvane提示"));
    EXPECT_EQ(prompt.boxes()[0].buttons, Prompt::Buttons::Ok);
    EXPECT_FALSE(side("SpeedButton4")->isChecked());
    EXPECT_TRUE(side("SpeedButton2")->isChecked());
    EXPECT_EQ(front(), panel("Panel2"));
    EXPECT_EQ(highlight(), before);
    // The same through the menu.
    child<QAction>("N26")->trigger();
    EXPECT_EQ(prompt.boxes().size(), 2);
    EXPECT_EQ(front(), panel("Panel2"));
    // The unguarded panels still open.
    for (const char* name : {"SpeedButton5", "SpeedButton6", "SpeedButton2"})
        side(name)->click();
    EXPECT_EQ(prompt.boxes().size(), 2);
    EXPECT_EQ(front(), panel("Panel2"));
}

TEST_P(Navigation, AShortPermissionStringLeavesThePreviousUsersLaterTicks) {
    addUser(QStringLiteral("gran"), QStringLiteral("奶奶"), QStringLiteral("789"), QStringLiteral("000"));
    startAs(QStringLiteral("001"), QStringLiteral("123"));
    changeUser(QStringLiteral("gran"), QStringLiteral("789"));
    EXPECT_EQ(ticks(), QList<bool>({false, false, false, true, true, true, true}));
    side("SpeedButton3")->click();  // item 4 kept from the previous user
    EXPECT_TRUE(prompt.boxes().isEmpty());
    child<QAction>("N19")->trigger();
    EXPECT_EQ(prompt.texts(), QStringList({kRefusal}));
}

TEST_P(Navigation, ToolbarButtonsPassTheirMenuItemsCaptionToTheGate) {
    addUser(QStringLiteral("aunt"), QStringLiteral("阿姨"), QStringLiteral("000"), QStringLiteral("0011111"));
    startAs(QStringLiteral("aunt"), QStringLiteral("000"));
    child<QToolButton>("SpeedButton24")->click();  // 备份数据 passes 备份数据库
    EXPECT_EQ(prompt.texts(), QStringList({kRefusal}));
    // 权限管理 passes 用户权限管理, which aunt holds: the user window opens.
    bool userWindowOpened = false;
    WhenModal([&](QWidget* window) {
        userWindowOpened = window->objectName() == QStringLiteral("Form7");
        qobject_cast<QDialog*>(window)->reject();
    });
    child<QToolButton>("SpeedButton15")->click();
    EXPECT_TRUE(userWindowOpened);
    child<QAction>("N17")->trigger();  // 恢复数据库
    EXPECT_EQ(prompt.texts(), QStringList({kRefusal, kRefusal}));
}

TEST_P(Navigation, TheGateComparesWholeTextsExactly) {
    addUser(QStringLiteral("x"), QStringLiteral("某人"), QStringLiteral("x"), QStringLiteral("0000000"));
    startAs(QStringLiteral("x"), QStringLiteral("x"));
    EXPECT_TRUE(form->PermissionGate(QStringLiteral("备份数据")));  // matches no item
    EXPECT_TRUE(form->PermissionGate(QStringLiteral("收入管理 ")));
    EXPECT_TRUE(prompt.boxes().isEmpty());
    EXPECT_FALSE(form->PermissionGate(QStringLiteral("存款")));
    EXPECT_EQ(prompt.boxes().size(), 1);
}

// What leaves the books follows the rights too: the export writes only rows the user may manage, the
// bin lists only those, and the bank information (with the banks' passwords) needs a bank right.
TEST_P(Navigation, TheExportTheBinAndTheBankInformationFollowTheRights) {
    addUser(QStringLiteral("kid"), QStringLiteral("小明"), QStringLiteral("456"), QStringLiteral("0001000"));
    const QString deletedAt = Today().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 09:00:00");
    for (const QString& statement :
         {QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi,dengjiren) values "
                         "('shouru','工资',30000000,'2007-01-05','管理员'),"
                         "('zhichu','房租',12000000,'2007-01-10','管理员')"),
          QStringLiteral(
              "insert into huishouzhan (leixing,mingxi,feiyong,shururiqi,shanchushijian) values "
              "('shouru','奖金',10000,'2007-01-01','%1'),('zhichu','罚款',10000,'2007-01-01','%1')")
              .arg(deletedAt),
          QStringLiteral("insert into yinghanbiao (mingcheng,jine,leixing,riqi,caozuoren) values "
                         "('家庭保险柜',10000,'cunkuan','2007-01-12','管理员')")}) {
        QSqlQuery q(form->database().connection());
        ASSERT_TRUE(q.exec(statement)) << statement.toStdString();
    }
    startAs(QStringLiteral("kid"), QStringLiteral("456"));

    QStringList listed;
    WhenModal([&listed](QWidget* bin) {
        const auto* grid = bin->findChild<QTableWidget*>(QStringLiteral("binGrid"));
        for (int row = 0; grid && row < grid->rowCount(); ++row)
            listed.append(grid->item(row, 1)->text());
        qobject_cast<QDialog*>(bin)->reject();
    });
    child<QAction>("N46")->trigger();
    EXPECT_EQ(listed, QStringList{QStringLiteral("奖金")});

    const QString path = QDir(home.path()).filePath(QStringLiteral("导出.csv"));
    QStringList shown;
    WhenModal([this, &path, &shown](QWidget* dialog) {
        dialog->findChild<QDateEdit*>(QStringLiteral("exportFrom"))->setDate(QDate(2000, 1, 1));
        dialog->findChild<QDateEdit*>(QStringLiteral("exportTo"))->setDate(QDate(2030, 1, 1));
        dialog->findChild<QLineEdit*>(QStringLiteral("exportPath"))->setText(path);
        dialog->findChild<QRadioButton*>(QStringLiteral("exportTransactions"))->setChecked(true);
        dialog->findChild<QPushButton*>(QStringLiteral("exportOk"))->click();
        shown = prompt.texts();
        dialog->findChild<QRadioButton*>(QStringLiteral("exportEntries"))->setChecked(true);
        dialog->findChild<QPushButton*>(QStringLiteral("exportOk"))->click();
        if (dialog->isVisible())
            qobject_cast<QDialog*>(dialog)->reject();
    });
    child<QAction>("N45")->trigger();
    EXPECT_EQ(shown, QStringList{kRefusal});
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(written.contains(QStringLiteral("工资"))) << written.toStdString();
    EXPECT_FALSE(written.contains(QStringLiteral("房租"))) << written.toStdString();

    // 银行信息 from the menu and from the bank panel: refused, no window comes up.
    prompt.clear();
    QStringList opened;
    const auto closeAnyWindow = [&opened] {
        WhenModal(
            [&opened](QWidget* window) {
                opened.append(window->objectName());
                window->close();
            },
            40);
    };
    closeAnyWindow();
    child<QAction>("N43")->trigger();
    side("SpeedButton5")->click();
    closeAnyWindow();
    child<QToolButton>("SpeedButton27")->click();
    QTest::qWait(300);
    EXPECT_TRUE(opened.isEmpty()) << opened.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(prompt.texts(), QStringList({kRefusal, kRefusal}));
}

// The whole window on the file and on the server alike.
TAMBERLO_ON_BOTH_ENGINES(Navigation);

}  // namespace

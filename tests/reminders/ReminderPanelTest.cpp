#include "app/mainForm.h"
#include "kit/DataGrid.h"
#include "reminders/ReminderPanel.h"
#include "reminders/Reminders.h"
#include "support/FindChild.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSqlQueryModel>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

struct PanelFixture : ::testing::Test {
    PanelFixture() { panel.openTable(); }

    QStringList stored() {
        QStringList rows;
        const Result<QList<Reminder>> loaded = LoadReminders(h.database.connection());
        for (const Reminder& r : loaded.value())
            rows.append(r.date + QLatin1Char('|') + r.range + QLatin1Char('|') + r.content);
        return rows;
    }
    void click(const char* name) { QTest::mouseClick(child<QAbstractButton>(&panel, name), Qt::LeftButton); }

    TestHousehold h;
    ScriptedPrompt prompt;
    ReminderPanel panel{h.household};
};

TEST_F(PanelFixture, SavesTheChosenDateRangeAndContentAndResetsNothing) {
    auto* grid = child<DataGrid>(&panel, "DBGridEh4");
    EXPECT_EQ(child<QDateEdit>(&panel, "DateTimePicker5")->date(), QDate(2007, 1, 15));
    EXPECT_TRUE(child<QRadioButton>(&panel, "RadioButton8")->isChecked());
    EXPECT_FALSE(child<QLineEdit>(&panel, "Edit2")->isVisible());

    // The range left untouched saves 当天; the content exactly as typed, line breaks included.
    child<QPlainTextEdit>(&panel, "Memo1")->setPlainText(QStringLiteral("交电费\n别忘了"));
    click("SpeedButton34");
    EXPECT_EQ(stored(), QStringList({"2007-01-15|当天|交电费\n别忘了"}));
    EXPECT_EQ(grid->sourceModel()->rowCount(), 1);
    EXPECT_EQ(grid->cellText(0, 1), QStringLiteral("当天"));

    // 每月 then 当天 saves 当天; saving twice stores the same event twice; an empty content is accepted.
    child<QDateEdit>(&panel, "DateTimePicker5")->setDate(QDate(2007, 2, 3));
    child<QRadioButton>(&panel, "RadioButton10")->click();
    EXPECT_EQ(child<QLineEdit>(&panel, "Edit2")->text(), QStringLiteral("每月"));
    child<QRadioButton>(&panel, "RadioButton8")->click();
    child<QPlainTextEdit>(&panel, "Memo1")->clear();
    click("SpeedButton34");
    click("SpeedButton34");
    child<QRadioButton>(&panel, "RadioButton9")->click();
    click("SpeedButton34");
    EXPECT_EQ(stored(), QStringList({"2007-01-15|当天|交电费\n别忘了", "2007-02-03|当天|", "2007-02-03|当天|",
                                     "2007-02-03|每天|"}));
    EXPECT_EQ(grid->currentRow(), 3);
    EXPECT_EQ(child<QDateEdit>(&panel, "DateTimePicker5")->date(), QDate(2007, 2, 3));
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

TEST_F(PanelFixture, DeleteAsksOnlyWhenThereAreRowsAndDeletesTheSelectedOneOnYes) {
    click("SpeedButton32");
    EXPECT_TRUE(prompt.boxes().isEmpty());

    h.exec("insert into tixing (riqi,fanwei,neirong) values ('2007-01-01','当天','一')");
    h.exec("insert into tixing (riqi,fanwei,neirong) values ('2007-01-02','每天','二')");
    h.exec("insert into tixing (riqi,fanwei,neirong) values ('2007-01-03','每月','三')");
    panel.openTable();
    auto* grid = child<DataGrid>(&panel, "DBGridEh4");
    grid->setCurrentRow(1);

    click("SpeedButton32");  // answered No by default
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Quorvane提示"));
    EXPECT_EQ(prompt.boxes()[0].text, QStringLiteral("确信要删除该信息吗？"));
    EXPECT_EQ(prompt.boxes()[0].buttons, Prompt::Buttons::YesNo);
    EXPECT_EQ(stored().size(), 3);

    prompt.answerNext(Prompt::Answer::Yes);
    click("SpeedButton32");
    EXPECT_EQ(stored(), QStringList({"2007-01-01|当天|一", "2007-01-03|每月|三"}));
    EXPECT_EQ(grid->sourceModel()->rowCount(), 2);
}

// A long list is read a page at a time: every event is listed in the table's order wherever the grid
// starts reading, a save selects the new last event, a deletion the one that took its place, and the
// grid's find looks through every event.
TEST_F(PanelFixture, ALongListShowsEveryEventInOrderFromAnyPlace) {
    h.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<700) INSERT INTO tixing "
           "(riqi,fanwei,neirong) SELECT '2007-01-01','每天','事件'||i FROM n");
    h.exec("DELETE FROM tixing WHERE id IN (3, 256, 257, 600)");  // keys with gaps, across the pages
    panel.openTable();
    auto* grid = child<DataGrid>(&panel, "DBGridEh4");
    QAbstractItemModelTester tester(grid->sourceModel(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    const Result<QList<Reminder>> stored = LoadReminders(h.database.connection());
    ASSERT_TRUE(stored.isOk());
    ASSERT_EQ(stored->size(), 696);
    ASSERT_EQ(grid->sourceModel()->rowCount(), 696);
    // The end first (read by position), then every row backwards and forwards.
    EXPECT_EQ(grid->cellText(695, 2), QStringLiteral("事件700"));
    for (int row = 695; row >= 0; --row)
        ASSERT_EQ(grid->cellText(row, 2), stored->at(row).content) << row;
    panel.openTable();
    for (int row = 0; row < 696; ++row)
        ASSERT_EQ(grid->value(row, QStringLiteral("id")).toLongLong(), stored->at(row).id) << row;

    child<QPlainTextEdit>(&panel, "Memo1")->setPlainText(QStringLiteral("最新"));
    click("SpeedButton34");
    EXPECT_EQ(grid->sourceModel()->rowCount(), 697);
    EXPECT_EQ(grid->currentRow(), 696);
    EXPECT_EQ(grid->cellText(696, 2), QStringLiteral("最新"));

    grid->setCurrentRow(300);
    const QString next = grid->cellText(301, 2);
    prompt.answerNext(Prompt::Answer::Yes);
    click("SpeedButton32");
    EXPECT_EQ(grid->sourceModel()->rowCount(), 696);
    EXPECT_EQ(grid->currentRow(), 300);
    EXPECT_EQ(grid->cellText(300, 2), next);

    const Result<int> found = grid->find({QStringLiteral("事件650"), 2, false, true}, -1);
    ASSERT_TRUE(found.isOk());
    ASSERT_GE(found.value(), 0);
    EXPECT_EQ(grid->cellText(found.value(), 2), QStringLiteral("事件650"));
    EXPECT_TRUE(prompt.boxes().size() == 1);  // the question of the deletion only
}

TEST_F(PanelFixture, ASaveTheDatabaseRefusesIsReported) {
    h.exec("drop table tixing");
    click("SpeedButton34");
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].caption, QStringLiteral("Tamberlo"));
}

// Answers the login window with the initial account whenever one is up.
class LoginAnswerer {
  public:
    LoginAnswerer() {
        QObject::connect(&timer_, &QTimer::timeout, [] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* id = modal ? modal->findChild<QLineEdit*>(QStringLiteral("Edit1")) : nullptr;
            auto* password = modal ? modal->findChild<QLineEdit*>(QStringLiteral("Edit2")) : nullptr;
            auto* login =
                modal ? modal->findChild<QAbstractButton*>(QStringLiteral("SpeedButton1")) : nullptr;
            if (!id || !password || !login)
                return;
            id->setText(QStringLiteral("001"));
            password->setText(QStringLiteral("123"));
            login->click();
        });
        timer_.start(20);
    }

  private:
    QTimer timer_;
};

TEST(MainWindowReminders, TheNoticeComesLastAtFirstShowingAndAgainOnRequest) {
    TempHome home;
    ScriptedPrompt prompt;
    {
        Database db;
        ASSERT_TRUE(db.open(home.databasePath()).isOk());
        ASSERT_TRUE(AddReminder(db.connection(), {0, "2003-03-15", "每月", "还款"}).isOk());
    }
    TForm1 form(home.path());
    QSignalSpy done(&form, &TForm1::firstShowingDone);
    // The summary's period is written before the notice comes.
    bool summaryFirst = false;
    prompt.onShow([&](const ScriptedPrompt::Box&) {
        auto* shownLast = form.findChild<QLabel*>(QStringLiteral("Label3"));
        summaryFirst = shownLast && shownLast->text() == QStringLiteral("2007-01-15");
    });
    {
        LoginAnswerer login;
        form.show();
        ASSERT_TRUE(done.wait(5000));
    }
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].text, NoticeText({QStringLiteral("还款")}));
    EXPECT_TRUE(summaryFirst);
    // The reminder panel, built on its first opening, comes with the table read.
    child<QToolButton>(&form, "SpeedButton6")->click();
    auto* grid = form.findChild<DataGrid*>(QStringLiteral("DBGridEh4"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->sourceModel()->rowCount(), 1);

    child<QAction>(&form, "N41")->trigger();
    child<QToolButton>(&form, "SpeedButton18")->click();
    EXPECT_EQ(prompt.boxes().size(), 3);
}

}  // namespace

#include "app/WorkArea.h"
#include "app/mainForm.h"
#include "data/Database.h"
#include "ledger/EntryPanel.h"
#include "support/ModalDriver.h"
#include "support/ScriptedPrompt.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QToolButton>

namespace {

TEST(LedgerStart, FirstShowingPreparesTheSummaryAndTheDetailChoices) {
    TempHome home;  // today is 2007-01-15
    {
        Database db;
        ASSERT_TRUE(db.open(home.databasePath()).isOk());
        QSqlQuery q(db.connection());
        ASSERT_TRUE(
            q.exec(QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi) values "
                                  "('shouru','工资',30000000,'2007-01-02'),('zhichu','午饭',200000,"
                                  "'2007-01-15'),('zhichu','旧帐',10000,'2006-12-01')")));
    }
    ScriptedPrompt prompt;
    TForm1 form(home.path());
    QSignalSpy shown(&form, &TForm1::firstShowingDone);
    LogInWhenAsked(QStringLiteral("001"), QStringLiteral("123"));
    form.show();
    ASSERT_TRUE(shown.wait(5000));

    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("2007-1-01"));
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Label3"))->text(), QStringLiteral("2007-01-15"));
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Label6"))->text(), QStringLiteral("￥3000.00"));
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Label7"))->text(), QStringLiteral("￥20.00"));
    // The entry panels are built when first opened, their detail choices loaded then.
    EXPECT_EQ(form.findChild<QComboBox*>(QStringLiteral("DBComboBox1")), nullptr);
    QTest::mouseClick(form.findChild<QToolButton*>(QStringLiteral("SpeedButton3")), Qt::LeftButton);
    EXPECT_EQ(form.findChild<QComboBox*>(QStringLiteral("DBComboBox1"))->count(), 1);

    // The initial user holds the right: the side button brings the expense panel up with today's list.
    QTest::mouseClick(form.findChild<QToolButton*>(QStringLiteral("SpeedButton4")), Qt::LeftButton);
    auto* expense = form.findChild<EntryPanel*>(QStringLiteral("Panel4"));
    ASSERT_NE(expense, nullptr);
    EXPECT_EQ(form.workArea()->frontPanel(), expense);
    EXPECT_EQ(expense->state(), EntryPanel::State::Browsing);
    EXPECT_EQ(form.findChild<QComboBox*>(QStringLiteral("DBComboBox2"))->count(), 2);
    EXPECT_EQ(form.findChild<QComboBox*>(QStringLiteral("DBComboBox2"))->currentText(),
              QStringLiteral("午饭"));
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

}  // namespace

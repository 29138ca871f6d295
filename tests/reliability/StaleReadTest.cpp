#include "data/OpenReads.h"
#include "ledger/EntryPanel.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTest>
#include <QToolButton>

namespace {

// Another program writing to the same file while this one has a list open.
Status writeFromOutside(const QString& path, const QString& statement) {
    const QString name = QStringLiteral("outside");
    Status status = Status::ok();
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        other.setDatabaseName(path);
        QSqlQuery query(other);
        if (!other.open() || !query.exec(statement))
            status = Status::failure(query.lastError().text() + other.lastError().text());
    }
    QSqlDatabase::removeDatabase(name);
    return status;
}

Status addReminder(Database& database) {
    return database.transaction([&database] {
        QSqlQuery query(database.connection());
        if (!query.exec(QStringLiteral("insert into tixing (neirong) values ('mine')")))
            return Status::failure(query.lastError().text());
        return Status::ok();
    });
}

// A household with more reminders than a list fetches at once.
struct StaleRead : ::testing::Test {
    void SetUp() override {
        h.exec(
            QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<1000) "
                           "insert into tixing (riqi,fanwei,neirong) select '2007-01-01','x',i from n"));
        model.setQuery(QStringLiteral("select * from tixing"), h.database.connection());
        ASSERT_TRUE(model.canFetchMore());
        ASSERT_TRUE(writeFromOutside(h.database.path(),
                                     QStringLiteral("insert into tixing (neirong) values ('outside')")));
    }
    int reminders() { return h.scalar(QStringLiteral("select count(*) from tixing")).toInt(); }

    TestHousehold h;
    QSqlQueryModel model;
};

}  // namespace

// A part-read list whose view of the file is out of date makes a write fail at once; that is the
// failure the tracking exists for.
TEST_F(StaleRead, AnUntrackedPartReadListMakesTheWriteFail) {
    const Status written = addReminder(h.database);
    ASSERT_FALSE(written);
    EXPECT_TRUE(written.error().contains(QStringLiteral("locked"))) << written.error().toStdString();
    // Nothing half written: once the list's read ends, the file holds the other program's row only.
    while (model.canFetchMore())
        model.fetchMore();
    EXPECT_EQ(reminders(), 1001);
}

// With the list tracked, its read is finished and the write goes through; the list holds every row it
// was reading.
TEST_F(StaleRead, ATrackedPartReadListIsFinishedAndTheWriteSucceeds) {
    OpenReads::track(&model);
    const Status written = addReminder(h.database);
    EXPECT_TRUE(written) << (written ? std::string() : written.error().toStdString());
    EXPECT_FALSE(model.canFetchMore());
    EXPECT_EQ(model.rowCount(), 1000);
    EXPECT_EQ(reminders(), 1002);
    EXPECT_FALSE(OpenReads::finishAll());
}

// The income list left part-read does not keep an income from being saved after another program wrote.
TEST(StaleReadPanel, AnIncomeIsSavedWhileTheListIsPartRead) {
    TestHousehold h;
    ScriptedPrompt prompt;
    h.exec(QStringLiteral("update zhangwubiao set jine=5000000"));
    h.exec(QStringLiteral(
        "with recursive n(i) as (select 1 union all select i+1 from n where i<600) insert into shouzhibiao "
        "(leixing,mingxi,feiyong,shururiqi,dengjiren) select 'shouru','旧帐',0,'2007-01-15','管理员' from "
        "n"));
    ASSERT_TRUE(h.homeSafe.ReadHomeSafeBalance().isOk());
    EntryPanel panel(h.household, EntryPanelConfig::income());
    panel.resize(900, 520);
    panel.show();
    panel.broughtToFront();
    ASSERT_TRUE(writeFromOutside(h.database.path(),
                                 QStringLiteral("insert into tixing (neirong) values ('outside')")));

    QTest::mouseClick(panel.findChild<QToolButton*>(QStringLiteral("SpeedButton10")), Qt::LeftButton);
    panel.findChild<QComboBox*>(QStringLiteral("DBComboBox1"))->setEditText(QStringLiteral("工资"));
    panel.findChild<QLineEdit*>(QStringLiteral("DBEdit1"))->setText(QStringLiteral("50"));
    QTest::mouseClick(panel.findChild<QToolButton*>(QStringLiteral("SpeedButton12")), Qt::LeftButton);

    EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(panel.state(), EntryPanel::State::Browsing);
    EXPECT_EQ(h.homeSafe.balance(), Money::fromYuan(550));
    EXPECT_EQ(h.scalar(QStringLiteral("select jine from zhangwubiao")).toLongLong(), 5500000);
    EXPECT_EQ(h.scalar(QStringLiteral("select count(*) from shouzhibiao")).toInt(), 601);
}

// The income panel on a server household whose connection was ended under it: the first 保存 says so in
// Chinese and keeps the entry in its boxes, the second saves it once.
#include "kit/DataGrid.h"
#include "ledger/EntryPanel.h"
#include "support/FindChild.h"
#include "support/ScriptedPrompt.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTest>
#include <QThread>
#include <QToolButton>

namespace {

class LostConnectionPanel : public ::testing::TestWithParam<TestEngine> {
  protected:
    template <typename T>
    T* find(const char* name) {
        return child<T>(panel.get(), name);
    }
    void click(const char* name) { QTest::mouseClick(find<QToolButton>(name), Qt::LeftButton); }
    qint64 scalar(const QString& sql) {
        Database look;
        EXPECT_TRUE(look.openServer(th.place.connection()).isOk());
        QSqlQuery q(look.connection());
        EXPECT_TRUE(q.exec(sql) && q.next()) << sql.toStdString();
        return q.value(0).toLongLong();
    }

    TestHousehold th;
    ScriptedPrompt prompt;
    std::unique_ptr<EntryPanel> panel;
};

TEST_P(LostConnectionPanel, TheFirstSaveSaysTheConnectionWasLostAndTheSecondSavesOnce) {
    th.exec(QStringLiteral("update zhangwubiao set jine=%1").arg(500 * Money::kUnitsPerYuan));
    ASSERT_TRUE(th.homeSafe.ReadHomeSafeBalance().isOk());
    panel = std::make_unique<EntryPanel>(th.household, EntryPanelConfig::income());
    panel->resize(900, 520);
    panel->show();
    panel->broughtToFront();

    click("SpeedButton10");
    find<QComboBox>("DBComboBox1")->setEditText(QStringLiteral("工资"));
    QTest::keyClicks(find<QLineEdit>("DBEdit1"), QStringLiteral("3000"));
    const qint64 backend = th.scalar(QStringLiteral("select pg_backend_pid()")).toLongLong();
    ASSERT_TRUE(
        ScratchServerDatabase::admin(QStringLiteral("select pg_terminate_backend(%1)").arg(backend)).isOk());
    QThread::msleep(300);

    click("SpeedButton12");
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_TRUE(prompt.texts().first().startsWith(QStringLiteral("与数据库服务器的连接已断开")))
        << prompt.texts().first().toStdString();
    EXPECT_TRUE(prompt.texts().first().contains(QStringLiteral("请再试一次")));
    EXPECT_EQ(panel->state(), EntryPanel::State::Adding);
    EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(500));

    prompt.clear();
    click("SpeedButton12");
    EXPECT_TRUE(prompt.boxes().isEmpty()) << prompt.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(panel->state(), EntryPanel::State::Browsing);
    EXPECT_EQ(th.homeSafe.balance(), Money::fromYuan(3500));
    EXPECT_EQ(scalar(QStringLiteral("select jine from zhangwubiao")), 3500 * Money::kUnitsPerYuan);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from shouzhibiao")), 1);
    EXPECT_EQ(find<DataGrid>("DBGridEh1")->model()->rowCount(), 1);
}

// The household on the server only: the file has no connection to lose.
INSTANTIATE_TEST_SUITE_P(Engines, LostConnectionPanel, ::testing::Values(TestEngine::Server), EngineTestName);

}  // namespace

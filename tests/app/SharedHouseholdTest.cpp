// The main window on a household that other computers use too, and on a server that cannot be used.
#include "access/MainWindowFixture.h"
#include "data/EngineVariants.h"
#include "kit/DataGrid.h"
#include "ledger/EntryBook.h"

#include <QLabel>
#include <QToolButton>

namespace {

class SharedHousehold : public MainWindowFixture {};

// What another computer saved shows on 刷新帐务 and when a panel is brought up.
TEST_P(SharedHousehold, RefreshAndPanelsShowWhatAnotherComputerSaved) {
    startAs(QStringLiteral("001"), QStringLiteral("123"));
    ASSERT_TRUE(form->database().isOpen());
    EXPECT_EQ(form->database().isServer(), GetParam() == TestEngine::Server);
    if (GetParam() == TestEngine::File)
        return;  // one program per file: nothing else writes it

    Database other;
    ASSERT_TRUE(other.openServer(place.connection()).isOk());
    HomeSafe otherSafe(other);
    ASSERT_TRUE(otherSafe.ReadHomeSafeBalance().isOk());
    EntryBook otherIncome(other, otherSafe, EntryType::Income);
    const EntryText salary{QStringLiteral("工资"), Money::fromYuan(3500), QStringLiteral("2007-01-15"),
                           QStringLiteral("管理员"), QString()};
    ASSERT_TRUE(otherIncome.save(std::nullopt, salary).isOk());

    child<QToolButton>("SpeedButton19")->click();
    EXPECT_EQ(child<QLabel>("Label6")->text(), QStringLiteral("￥3500.00"));
    EXPECT_EQ(form->homeSafe().balance(), Money::fromYuan(3500));

    child<QToolButton>("SpeedButton3")->click();
    auto* grid = child<DataGrid>("DBGridEh1");
    ASSERT_NE(grid->model(), nullptr);
    EXPECT_EQ(grid->model()->rowCount(), 1);
}

TAMBERLO_ON_BOTH_ENGINES(SharedHousehold);

// A server that cannot be reached: the message names it and the reason, the program ends before its
// window shows, and no local file is made in its place.
TEST(SharedHouseholdStart, AnUnreachableServerEndsTheProgramWithoutTouchingAnything) {
    TempHome home;
    ScriptedPrompt prompt;
    home.writeIni(
        "[ysxuanze]\nyangshi=3\n[shujuku]\nleixing=postgresql\nlianjie=host=/nonexistent/pg dbname=jia\n");
    TForm1 form(home.path());
    EXPECT_TRUE(form.startFailed());
    EXPECT_FALSE(form.database().isOpen());
    ASSERT_EQ(prompt.texts().size(), 1);
    EXPECT_TRUE(prompt.texts().first().contains(
        QStringLiteral("无法连接数据库服务器（host=/nonexistent/pg dbname=jia）")))
        << prompt.texts().first().toStdString();
    EXPECT_FALSE(QFileInfo::exists(home.databasePath()));
}

}  // namespace

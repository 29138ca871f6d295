#include "household/Folders.h"
#include "household/HouseholdLock.h"
#include "support/ScriptedPrompt.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

// A real program holding the household's lock, killed without warning by the test.
struct Holder {
    QProcess process;
    explicit Holder(const QString& databasePath) {
        process.start(QStringLiteral(TAMBERLO_LOCK_HOLDER), {databasePath});
        process.waitForReadyRead(10000);
        line = QString::fromLatin1(process.readLine()).trimmed();
    }
    ~Holder() {
        process.kill();
        process.waitForFinished();
    }
    void killHard() {
        process.kill();  // SIGKILL: nothing of the program's own clean-up runs
        process.waitForFinished();
    }
    QString line;
};

TEST(HouseholdLock, ASecondCopyIsRefusedWhileTheFirstRunsAndAKilledOneNeverBlocks) {
    TempHome home;
    const QString db = home.databasePath();
    Holder first(db);
    ASSERT_EQ(first.line, QStringLiteral("locked"));

    HouseholdLock second(db);
    EXPECT_EQ(second.tryLock(), HouseholdLock::State::HeldElsewhere);
    EXPECT_TRUE(second.holder().contains(QString::number(first.process.processId())));
    EXPECT_TRUE(HouseholdLock::heldByAnother(db));
    // A third real program is refused as well.
    Holder third(db);
    EXPECT_EQ(third.line, QStringLiteral("refused"));

    first.killHard();
    ASSERT_TRUE(QFile::exists(second.lockPath()));  // the killed program's lock is left behind
    EXPECT_FALSE(HouseholdLock::heldByAnother(db));
    EXPECT_EQ(second.tryLock(), HouseholdLock::State::Held);
    Holder fourth(db);
    EXPECT_EQ(fourth.line, QStringLiteral("refused"));
    second.unlock();
    EXPECT_FALSE(QFile::exists(second.lockPath()));
}

TEST(HouseholdLock, TheStartRuleSaysWhichHouseholdIsOpenAndTouchesNothing) {
    TempHome home;
    const QString db = home.databasePath();
    Holder first(db);
    ASSERT_EQ(first.line, QStringLiteral("locked"));
    ScriptedPrompt prompt;
    HouseholdLock lock(db);
    EXPECT_FALSE(ClaimHousehold(lock, QStringLiteral("Tamberlo")));
    ASSERT_EQ(prompt.boxes().size(), 1);
    const QString text = prompt.boxes().first().text;
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(home.path()))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("另一个窗口"))) << text.toStdString();
    EXPECT_FALSE(QFile::exists(db));

    // A folder that cannot hold a lock file does not stop the start.
    TempHome readOnly;
    QDir().mkpath(QFileInfo(readOnly.databasePath()).absolutePath());
    QFile::setPermissions(QFileInfo(readOnly.databasePath()).absolutePath(),
                          QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    HouseholdLock unavailable(readOnly.databasePath());
    if (unavailable.tryLock() == HouseholdLock::State::Unavailable) {  // root writes anyway
        EXPECT_TRUE(ClaimHousehold(unavailable, QStringLiteral("Tamberlo")));
    }
    QFile::setPermissions(QFileInfo(readOnly.databasePath()).absolutePath(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(prompt.boxes().size(), 1);
}

}  // namespace

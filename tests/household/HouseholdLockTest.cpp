#include "household/Folders.h"
#include "household/HouseholdLock.h"
#include "support/ScriptedPrompt.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QProcess>
#include <QSysInfo>
#include <QTextLayout>
#include <QtMath>

#include <atomic>
#include <thread>

namespace {

// A real program holding the household's lock, killed without warning by the test.
struct Holder {
    QProcess process;
    explicit Holder(const QString& databasePath,
                    const QString& program = QStringLiteral(TAMBERLO_LOCK_HOLDER)) {
        process.start(program, {databasePath});
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

// The refusal of a second copy names the copy that holds the household in brackets; however narrow the
// box, its lines break before or after the brackets, never inside them.
TEST(HouseholdLock, TheHolderInTheSecondCopysRefusalStaysOnOneLine) {
    TempHome home;
    Holder first(home.databasePath());
    ASSERT_EQ(first.line, QStringLiteral("locked"));
    const HouseholdLock second(home.databasePath());
    const QString text = HouseholdInUseText(second).section(QLatin1Char('\n'), 0, 0);
    const qsizetype open = text.indexOf(QStringLiteral("（Tamberlo"));
    const qsizetype close = text.indexOf(QStringLiteral("）"), open);
    ASSERT_GE(open, 0) << text.toStdString();
    ASSERT_GT(close, open);
    // Any width the bracket itself fits in.
    const int least =
        qCeil(QFontMetricsF(QGuiApplication::font()).horizontalAdvance(text.mid(open, close - open + 1)));
    for (int width = least + 4; width <= least + 400; width += 8) {
        QTextLayout layout(text);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            EXPECT_FALSE(line.textStart() > open && line.textStart() <= close)
                << "width " << width << ": " << text.mid(line.textStart()).toStdString();
        }
        layout.endLayout();
    }
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

TEST(HouseholdLock, AStartWhileAnotherProgramWatchesTheLockIsNeverRefused) {
    TempHome home;
    const QString db = home.databasePath();
    std::atomic<bool> watching{true};
    std::atomic<int> looks{0};
    // kopira's window asks over and over whether the household is held, as fast as it can here.
    std::thread watcher([&] {
        while (watching) {
            (void)HouseholdLock::heldByAnother(db);
            ++looks;
        }
    });
    int refused = 0;
    for (int i = 0; i < 120; ++i) {
        Holder start(
            db);  // a real program starting on the household (its killed forerunner's lock left behind)
        if (start.line != QStringLiteral("locked"))
            ++refused;
        start.killHard();
    }
    watching = false;
    watcher.join();
    EXPECT_GT(looks.load(), 120);
    EXPECT_EQ(refused, 0);
    // The watch still tells a running holder from a killed one.
    Holder running(db);
    ASSERT_EQ(running.line, QStringLiteral("locked"));
    EXPECT_TRUE(HouseholdLock::heldByAnother(db));
    running.killHard();
    EXPECT_FALSE(HouseholdLock::heldByAnother(db));
}

TEST(HouseholdLock, AKopiraHoldingTheLockIsNamedAsKopira) {
    TempHome home;
    const QString db = home.databasePath();
    Holder kopira(db, QStringLiteral(TAMBERLO_LOCK_HOLDER_AS_KOPIRA));
    ASSERT_EQ(kopira.line, QStringLiteral("locked"));
    HouseholdLock second(db);
    ASSERT_EQ(second.tryLock(), HouseholdLock::State::HeldElsewhere);
    EXPECT_EQ(second.holderProgram(), QStringLiteral("kopira"));
    const QString text = HouseholdInUseText(second);
    EXPECT_TRUE(text.contains(QStringLiteral("kopira"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Tamberlo"))) << text.toStdString();
}

TEST(HouseholdLock, ALockLeftOnAnotherComputerIsTakenOverOnlyWhenTheUserSaysSo) {
    TempHome home;
    const QString db = home.databasePath();
    // What a program on the laptop left when it crashed nine days ago.
    ASSERT_NE(QSysInfo::machineHostName(), QStringLiteral("laptop"));
    const QString lockPath = home.writeLockOfAnotherComputer(
        QStringLiteral("laptop"), QDateTime::currentDateTime().addDays(-9).addSecs(-3 * 3600));
    EXPECT_TRUE(HouseholdLock::heldByAnother(db));

    HouseholdLock lock(db);
    ScriptedPrompt prompt;  // answers nothing: the safe answer
    EXPECT_FALSE(ClaimHousehold(lock, QStringLiteral("Tamberlo")));
    ASSERT_EQ(prompt.boxes().size(), 1);
    const ScriptedPrompt::Box box = prompt.boxes().first();
    EXPECT_EQ(box.buttons, Prompt::Buttons::YesNoDefaultNo);
    for (const QString& part : {QStringLiteral("laptop"), QStringLiteral("4242"),
                                QStringLiteral("9 天 3 小时"), QDir::toNativeSeparators(lockPath)})
        EXPECT_TRUE(box.text.contains(part)) << part.toStdString() << "\n" << box.text.toStdString();
    EXPECT_FALSE(lock.isHeld());
    EXPECT_TRUE(QFile::exists(lockPath));

    prompt.answerNext(Prompt::Answer::Yes);
    EXPECT_TRUE(ClaimHousehold(lock, QStringLiteral("Tamberlo")));
    EXPECT_TRUE(lock.isHeld());
    EXPECT_EQ(prompt.boxes().size(), 2);
    EXPECT_FALSE(lock.holder().contains(QStringLiteral("laptop")));
    lock.unlock();
    EXPECT_FALSE(QFile::exists(lockPath));
}

TEST(HouseholdLock, AnEmptyLockFileLeftByAPowerCutNeverBlocks) {
    TempHome home;
    const QString db = home.databasePath();
    HouseholdLock lock(db);
    QDir().mkpath(QFileInfo(db).absolutePath());
    {
        QFile empty(lock.lockPath());  // created, its line never reached the disk
        ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
        empty.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
    }
    EXPECT_FALSE(HouseholdLock::heldByAnother(db));
    Holder start(db);
    EXPECT_EQ(start.line, QStringLiteral("locked"));
}

}  // namespace

#include "ReminderRows.h"
#include "data/Database.h"
#include "household/HouseholdLock.h"
#include "kopira/BackupSecretStore.h"
#include "kopira/CommandLine.h"
#include "kopira/KopiraStore.h"
#include "kopira/KopiraWindow.h"
#include "support/FindChild.h"
#include "support/ScriptedPrompt.h"
#include "support/TempHome.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QTreeWidget>

namespace {

// Lets the window's background work end, the window's thread staying free meanwhile.
void settle(KopiraWindow& window) {
    QElapsedTimer timer;
    timer.start();
    do {
        QTest::qWait(20);
    } while (window.isBusy() && timer.elapsed() < 60000);
    ASSERT_FALSE(window.isBusy());
}

TEST(KopiraWindow, ListsBackupsNewestFirstAndRestoresTheChosenOneAfterShowingWhatItHolds) {
    TempHome home;
    ScriptedPrompt prompt;
    addReminders(home.databasePath(), 1);
    const QString folder = Kopira::DefaultBackupFolder(home.path());
    const QString older =
        Kopira::Backup(home.databasePath(), folder, QDateTime(QDate(2007, 1, 1), QTime(8, 0))).value();
    addReminders(home.databasePath(), 1);
    Kopira::Backup(home.databasePath(), folder, QDateTime(QDate(2007, 1, 2), QTime(8, 0)),
                   Kopira::AutomaticBackupFileName(QDateTime(QDate(2007, 1, 2), QTime(8, 0))));
    addReminders(home.databasePath(), 5);

    KopiraWindow window(home.path(), QString());
    window.show();
    settle(window);
    auto* list = child<QTreeWidget>(&window, "backupList");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("2007-01-02 08:00:00"));
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("自动备份"));
    EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("手动备份"));
    EXPECT_EQ(list->topLevelItem(1)->text(3), QStringLiteral("0"));
    auto* restore = child<QPushButton>(&window, "restoreButton");
    EXPECT_FALSE(restore->isEnabled());  // nothing chosen yet

    // Two clicks: the backup, then 恢复所选备份; the question shows what it holds.
    list->setCurrentItem(list->topLevelItem(1));
    ASSERT_TRUE(restore->isEnabled());
    prompt.answerNext(Prompt::Answer::Ok);
    QTest::mouseClick(restore, Qt::LeftButton);
    settle(window);
    settle(window);
    ASSERT_GE(prompt.boxes().size(), 2);
    EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("备份时间：2007-01-01 08:00:00")))
        << prompt.boxes()[0].text.toStdString();
    EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("家庭保险柜余额")));
    EXPECT_TRUE(prompt.boxes()[1].text.startsWith(QStringLiteral("恢复完成")))
        << prompt.boxes()[1].text.toStdString();
    EXPECT_EQ(reminders(home.databasePath()), 1);
    EXPECT_EQ(reminders(older), 1);
    settle(window);
    EXPECT_EQ(list->topLevelItemCount(), 3);  // the safety copy joined them
}

TEST(KopiraWindow, WaitsForTheProgramThroughItsLockAndRemembersTheFolder) {
    TempHome home;
    ScriptedPrompt prompt;
    addReminders(home.databasePath(), 2);
    HouseholdLock program(home.databasePath());
    ASSERT_EQ(program.tryLock(), HouseholdLock::State::Held);

    const QString elsewhere = QDir(home.path()).filePath(QStringLiteral("U盘"));
    {
        KopiraWindow window(home.path(), QString());
        window.show();
        settle(window);
        EXPECT_TRUE(child<QLabel>(&window, "status")->text().contains(QStringLiteral("正在使用")));
        EXPECT_FALSE(child<QPushButton>(&window, "restoreFileButton")->isEnabled());
        // A backup goes ahead at once.
        child<QLineEdit>(&window, "folder")->setText(elsewhere);
        auto* backup = child<QPushButton>(&window, "backupButton");
        ASSERT_TRUE(backup->isEnabled());
        ASSERT_TRUE(backup->isVisible());
        backup->click();
        settle(window);
        settle(window);
        EXPECT_EQ(QDir(elsewhere).entryList({QStringLiteral("*.mdb")}).size(), 1);
        // Starting a second copy is refused as the program refuses it.
        prompt.clear();
        window.startTamberlo();
        ASSERT_EQ(prompt.boxes().size(), 1);
        EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("另一个窗口")));
        EXPECT_TRUE(window.isVisible());

        program.unlock();
        QTest::qWait(1200);
        EXPECT_TRUE(child<QPushButton>(&window, "restoreFileButton")->isEnabled());
        EXPECT_EQ(child<QTreeWidget>(&window, "backupList")->topLevelItemCount(), 1);
    }
    EXPECT_EQ(Kopira::RememberedBackupFolder(home.path()), elsewhere);
    KopiraWindow again(home.path(), QString());
    EXPECT_EQ(child<QLineEdit>(&again, "folder")->text(), elsewhere);
    settle(again);
}

// A lock left on another computer does not make the window wait for ever: it shows the lock and the
// restore asks (否 the default) whether to take it over.
TEST(KopiraWindow, ALockLeftOnAnotherComputerIsTakenOverForARestoreOnlyWhenConfirmed) {
    TempHome home;
    ScriptedPrompt prompt;
    addReminders(home.databasePath(), 2);
    const QString backup = Kopira::Backup(home.databasePath(), Kopira::DefaultBackupFolder(home.path()),
                                          QDateTime(QDate(2007, 1, 1), QTime(8, 0)))
                               .value();
    addReminders(home.databasePath(), 1);
    const QString lock =
        home.writeLockOfAnotherComputer(QStringLiteral("laptop"), QDateTime::currentDateTime().addDays(-1));
    KopiraWindow window(home.path(), QString());
    window.pickBackup = [&backup](const QString&) { return backup; };
    window.show();
    settle(window);
    EXPECT_TRUE(child<QLabel>(&window, "status")->text().contains(QStringLiteral("laptop")));
    ASSERT_TRUE(child<QPushButton>(&window, "restoreFileButton")->isEnabled());

    window.restoreFromFile();  // the safe answer: 否
    settle(window);
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_EQ(prompt.boxes()[0].buttons, Prompt::Buttons::YesNoDefaultNo);
    EXPECT_TRUE(QFile::exists(lock));
    EXPECT_EQ(reminders(home.databasePath()), 3);

    prompt.answerNext(Prompt::Answer::Yes);
    prompt.answerNext(Prompt::Answer::Ok);
    window.restoreFromFile();
    settle(window);
    settle(window);
    EXPECT_EQ(reminders(home.databasePath()), 2);
    EXPECT_FALSE(QFile::exists(lock));
}

// With lomu.ini naming a server the window says so, backs the server's books up into a file, and the
// family moves in by restoring its local lomu.mdb onto the server after the same question.
TEST(KopiraWindow, WorksOnTheServerHouseholdThatTheSettingsName) {
    TempHome home;
    ScriptedPrompt prompt;
    addReminders(home.databasePath(), 2);
    ScratchServerDatabase scratch;
    ASSERT_FALSE(scratch.connection().isEmpty()) << scratch.error().toStdString();
    home.writeIni(
        QStringLiteral("[shujuku]\nleixing=postgresql\nlianjie=%1\n").arg(scratch.connection()).toUtf8());

    KopiraWindow window(home.path(), QString());
    window.show();
    settle(window);
    const QString shown = child<QLabel>(&window, "database")->text();
    EXPECT_TRUE(shown.contains(QStringLiteral("数据库服务器"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("dbname=%1").arg(scratch.name()))) << shown.toStdString();

    window.pickBackup = [&home](const QString&) { return home.databasePath(); };
    prompt.answerNext(Prompt::Answer::Ok);
    child<QPushButton>(&window, "restoreFileButton")->click();
    settle(window);
    settle(window);
    ASSERT_EQ(prompt.boxes().size(), 2);
    EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("替换数据库服务器上的帐本")))
        << prompt.boxes()[0].text.toStdString();
    EXPECT_TRUE(prompt.boxes()[1].text.startsWith(QStringLiteral("恢复完成")))
        << prompt.boxes()[1].text.toStdString();
    {
        Database server;
        ASSERT_TRUE(server.openServer(scratch.connection()).isOk());
        QSqlQuery q(server.connection());
        ASSERT_TRUE(q.exec(QStringLiteral("select count(*) from tixing")) && q.next());
        EXPECT_EQ(q.value(0).toLongLong(), 2);
    }

    const QString elsewhere = QDir(home.path()).filePath(QStringLiteral("U盘"));
    child<QLineEdit>(&window, "folder")->setText(elsewhere);
    prompt.clear();
    child<QPushButton>(&window, "backupButton")->click();
    settle(window);
    settle(window);
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_TRUE(prompt.boxes()[0].text.startsWith(QStringLiteral("备份完成")))
        << prompt.boxes()[0].text.toStdString();
    const QStringList made = QDir(elsewhere).entryList({QStringLiteral("*.mdb")});
    ASSERT_EQ(made.size(), 1);
    EXPECT_EQ(reminders(QDir(elsewhere).filePath(made.first())), 2);
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The desktop's secret store as a test sets it up.
class FakeSecretStore : public Kopira::BackupSecretStore {
  public:
    bool running = false;
    QMap<QString, QString> kept;
    bool available() override { return running; }
    std::optional<QString> lookup(const QString& key) override {
        return kept.contains(key) ? std::optional<QString>(kept[key]) : std::nullopt;
    }
    bool store(const QString& key, const QString& passphrase) override {
        if (running)
            kept[key] = passphrase;
        return running;
    }
    bool clear(const QString& key) override { return kept.remove(key) > 0; }
};

TEST(KopiraWindow, MarksEncryptedBackupsAndRestoresOneOnlyWithItsPassphrase) {
    TempHome home;
    ScriptedPrompt prompt;
    FakeSecretStore store;
    Kopira::InstallSecretStore(&store);
    addReminders(home.databasePath(), 1);
    const QString folder = Kopira::DefaultBackupFolder(home.path());
    Kopira::Backup(home.databasePath(), folder, QDateTime(QDate(2007, 1, 1), QTime(8, 0)));
    addReminders(home.databasePath(), 1);
    {
        KopiraWindow window(home.path(), QString());
        window.now = [] { return QDateTime(QDate(2007, 1, 2), QTime(8, 0)); };
        std::optional<QString> typed = QStringLiteral("口令 two");
        window.askNewPassphrase = [&typed](const QString&) { return typed; };
        window.askPassphrase = [&typed](const QString&) { return typed; };
        window.show();
        settle(window);
        // No secret service: the daily backups stay plain, and the window says so.
        EXPECT_FALSE(child<QCheckBox>(&window, "autoEncryptBox")->isEnabled());
        EXPECT_EQ(child<QLabel>(&window, "autoEncryptStatus")->text(),
                  QStringLiteral("没有找到桌面的密码保管服务，自动备份仍以不加密的方式保存。"));

        child<QCheckBox>(&window, "encryptBox")->setChecked(true);
        child<QPushButton>(&window, "backupButton")->click();
        settle(window);
        settle(window);
        ASSERT_FALSE(prompt.boxes().isEmpty());
        EXPECT_TRUE(prompt.boxes().last().text.contains(QStringLiteral("口令丢失后")))
            << prompt.boxes().last().text.toStdString();
        auto* list = child<QTreeWidget>(&window, "backupList");
        ASSERT_EQ(list->topLevelItemCount(), 2);
        EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("手动备份（已加密）"));
        EXPECT_EQ(list->topLevelItem(0)->text(3), QStringLiteral("需要口令"));
        EXPECT_TRUE(list->topLevelItem(0)->text(4).endsWith(QStringLiteral(".mdb.tbk")));
        EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("手动备份"));

        addReminders(home.databasePath(), 3);
        const QByteArray before = bytesOf(home.databasePath());
        list->setCurrentItem(list->topLevelItem(0));
        typed = QStringLiteral("口令 Two");
        prompt.clear();
        child<QPushButton>(&window, "restoreButton")->click();
        settle(window);
        settle(window);
        ASSERT_EQ(prompt.boxes().size(), 1);
        EXPECT_TRUE(prompt.boxes()[0].text.startsWith(
            QStringLiteral("备份口令不对，或者备份文件已被改动或不完整：没有恢复任何内容。")))
            << prompt.boxes()[0].text.toStdString();
        EXPECT_EQ(bytesOf(home.databasePath()), before);

        typed = QStringLiteral("口令 two");
        prompt.clear();
        prompt.answerNext(Prompt::Answer::Ok);
        child<QPushButton>(&window, "restoreButton")->click();
        settle(window);
        settle(window);
        ASSERT_GE(prompt.boxes().size(), 2);
        EXPECT_TRUE(prompt.boxes()[0].text.contains(QStringLiteral("加密：已用口令加密")));
        EXPECT_TRUE(prompt.boxes()[1].text.startsWith(QStringLiteral("恢复完成")))
            << prompt.boxes()[1].text.toStdString();
        EXPECT_EQ(reminders(home.databasePath()), 2);
        settle(window);
    }
    // With a secret service the daily backups' passphrase is kept there.
    store.running = true;
    {
        KopiraWindow window(home.path(), QString());
        window.askNewPassphrase = [](const QString&) {
            return std::optional<QString>(QStringLiteral("每日"));
        };
        settle(window);
        auto* daily = child<QCheckBox>(&window, "autoEncryptBox");
        ASSERT_TRUE(daily->isEnabled());
        daily->click();
        EXPECT_TRUE(daily->isChecked());
        EXPECT_EQ(store.kept.value(Kopira::SecretStoreKey(Kopira::HouseholdOf(home.path()))),
                  QStringLiteral("每日"));
        EXPECT_TRUE(
            child<QLabel>(&window, "autoEncryptStatus")->text().contains(QStringLiteral("口令丢失后")));
        daily->click();
        EXPECT_TRUE(store.kept.isEmpty());
        settle(window);
    }
    Kopira::InstallSecretStore(nullptr);
}

}  // namespace

// kopira on the command line, run as a real program without a display.
#include "ReminderRows.h"
#include "data/Database.h"
#include "data/Version.h"
#include "kopira/KopiraStore.h"
#include "support/TempHome.h"
#include "support/TestEngine.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

// No display and no platform named: a window (a QApplication) could not even start.
Outcome kopira(const QString& home, const QStringList& args, const QByteArray& input = QByteArray()) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("TAMBERLO_HOME"), home);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KOPIRA_PROGRAM), args);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// kopira in a session of its own (no terminal), reading the passphrase through a real pipe on
// descriptor 3 when one is given.
Outcome kopiraWithPassphrase(const QString& home, const QStringList& args, const QByteArray& passphrase) {
    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return {};
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAMBERLO_HOME"), home);
    process.setProcessEnvironment(env);
    const int readEnd = ends[0];
    const bool piped = !passphrase.isNull();
    process.setChildProcessModifier([readEnd, piped] {
        ::setsid();
        if (piped)
            ::dup2(readEnd, 3);
    });
    process.start(QStringLiteral(KOPIRA_PROGRAM), args);
    ::close(ends[0]);
    if (piped)
        (void)!::write(ends[1], passphrase.constData(), static_cast<size_t>(passphrase.size()));
    ::close(ends[1]);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(KopiraCommandLine, HelpVersionAndUnknownArguments) {
    TempHome home;
    const Outcome help = kopira(home.path(), {QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains(QStringLiteral("用法：kopira"))) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains(QDir::toNativeSeparators(home.path())));
    const Outcome version = kopira(home.path(), {QStringLiteral("--version")});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.trimmed(),
              QStringLiteral("kopira (Tamberlo) ") + QString::fromLatin1(kTamberloVersion));
    // Each wrong call names what was wrong before the usage.
    const std::pair<QStringList, QString> wrongs[] = {
        {{QStringLiteral("--bogus")}, QStringLiteral("不认识的选项：--bogus")},
        {{QStringLiteral("--yes")}, QStringLiteral("只能和 --restore 一起用")},
        {{QStringLiteral("--restore")}, QStringLiteral("--restore 后面要写备份文件的路径")},
        {{QStringLiteral("--backup"), QStringLiteral("--version")},
         QStringLiteral("选项 --version 不能和前面")},
        {{QStringLiteral("extra")}, QStringLiteral("多余的参数：extra")},
        {{QStringLiteral("--backup"), QStringLiteral("--passphrase=Kq9-Nie")},
         QStringLiteral("不认识的选项：--passphrase。口令不能写在命令行上")}};
    for (const auto& [wrong, said] : wrongs) {
        const Outcome run = kopira(home.path(), wrong);
        EXPECT_FALSE(run.err.contains(QStringLiteral("Kq9-Nie"))) << "a passphrase typed is never repeated";
        EXPECT_EQ(run.code, 2) << wrong.join(' ').toStdString();
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("kopira：")) && run.err.contains(said))
            << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("用法："))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_FALSE(QFileInfo::exists(QDir(home.path()).filePath(QStringLiteral("database"))));
}

TEST(KopiraCommandLine, BackupAndRestoreWithTheQuestionAndWithout) {
    TempHome home;
    const Outcome nothing = kopira(home.path(), {QStringLiteral("--backup")});
    EXPECT_EQ(nothing.code, 1);
    EXPECT_TRUE(nothing.err.contains(QStringLiteral("找不到数据库文件"))) << nothing.err.toStdString();

    addReminders(home.databasePath(), 2);
    const QString folder = QDir(home.path()).filePath(QStringLiteral("外部备份"));
    const Outcome backup = kopira(home.path(), {QStringLiteral("--backup"), folder});
    ASSERT_EQ(backup.code, 0) << backup.err.toStdString();
    const QStringList made = QDir(folder).entryList({QStringLiteral("*.mdb")});
    ASSERT_EQ(made.size(), 1);
    const QString file = QDir(folder).filePath(made.first());
    EXPECT_TRUE(backup.out.contains(QDir::toNativeSeparators(file)));
    EXPECT_TRUE(Kopira::CheckBackup(file).isOk());
    EXPECT_EQ(kopira(home.path(), {QStringLiteral("--backup")}).code, 0);
    EXPECT_EQ(QDir(Kopira::DefaultBackupFolder(home.path())).entryList({QStringLiteral("*.mdb")}).size(), 1);

    addReminders(home.databasePath(), 3);
    const QByteArray before = bytesOf(home.databasePath());
    const Outcome declined = kopira(home.path(), {QStringLiteral("--restore"), file}, "n\n");
    EXPECT_EQ(declined.code, 1);
    EXPECT_TRUE(declined.out.contains(QStringLiteral("收支记录：0 条"))) << declined.out.toStdString();
    EXPECT_TRUE(declined.err.contains(QStringLiteral("未作任何改动")));
    EXPECT_EQ(bytesOf(home.databasePath()), before);
    EXPECT_EQ(kopira(home.path(), {QStringLiteral("--restore"), file}).code, 1);  // no answer: no

    const Outcome restored = kopira(home.path(), {QStringLiteral("--restore"), file}, "y\n");
    EXPECT_EQ(restored.code, 0) << restored.err.toStdString();
    EXPECT_EQ(reminders(home.databasePath()), 2);
    addReminders(home.databasePath(), 1);
    EXPECT_EQ(kopira(home.path(), {QStringLiteral("--yes"), QStringLiteral("--restore"), file}).code, 0);
    EXPECT_EQ(reminders(home.databasePath()), 2);

    // A new computer: the program never ran there.
    TempHome fresh;
    const Outcome onNew = kopira(fresh.path(), {QStringLiteral("--restore"), file, QStringLiteral("--yes")});
    EXPECT_EQ(onNew.code, 0) << onNew.err.toStdString();
    EXPECT_EQ(reminders(fresh.databasePath()), 2);

    // A backup of a newer program and a file that is no backup: refused, nothing changed.
    const QString newer = QDir(home.path()).filePath(QStringLiteral("newer.mdb"));
    QFile::copy(file, newer);
    Kopira::WithConnection(newer, [](QSqlDatabase& db) {
        QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion + 1));
        return Status::ok();
    });
    const QByteArray now = bytesOf(home.databasePath());
    const Outcome refused =
        kopira(home.path(), {QStringLiteral("--restore"), newer, QStringLiteral("--yes")});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("较新版本"))) << refused.err.toStdString();
    const Outcome missing = kopira(
        home.path(), {QStringLiteral("--restore"), newer + QStringLiteral("x"), QStringLiteral("--yes")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(bytesOf(home.databasePath()), now);
}

// The real program holds the household: a backup goes through at once, a restore is refused until the
// program is gone, even when it was killed and left its lock behind.
TEST(KopiraCommandLine, WhileTheProgramRunsBackupGoesAheadAndRestoreWaitsForIt) {
    TempHome home;
    addReminders(home.databasePath(), 4);
    const QString file = Kopira::Backup(home.databasePath(), QDir(home.path()).filePath(QStringLiteral("b")),
                                        QDateTime::currentDateTime())
                             .value();
    addReminders(home.databasePath(), 1);

    QProcess tamberlo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAMBERLO_HOME"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    tamberlo.setProcessEnvironment(env);
    tamberlo.start(QStringLiteral(TAMBERLO_PROGRAM), QStringList());
    ASSERT_TRUE(tamberlo.waitForStarted());
    const QString lock = QDir(home.path()).filePath(QStringLiteral("database/lomu.lock"));
    for (int i = 0; i < 200 && !QFile::exists(lock); ++i)
        QThread::msleep(50);
    ASSERT_TRUE(QFile::exists(lock));
    QThread::msleep(500);  // the program has its database open

    const Outcome live = kopira(home.path(), {QStringLiteral("--backup")});
    EXPECT_EQ(live.code, 0) << live.err.toStdString();
    const Outcome refused = kopira(home.path(), {QStringLiteral("--restore"), file, QStringLiteral("--yes")});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("另一个窗口"))) << refused.err.toStdString();
    EXPECT_EQ(reminders(home.databasePath()), 5);

    tamberlo.kill();
    tamberlo.waitForFinished();
    ASSERT_TRUE(QFile::exists(lock));  // left behind by the killed program
    const Outcome restored =
        kopira(home.path(), {QStringLiteral("--restore"), file, QStringLiteral("--yes")});
    EXPECT_EQ(restored.code, 0) << restored.err.toStdString();
    EXPECT_EQ(reminders(home.databasePath()), 4);
}

// A lock left by a crash on another computer (a household on a USB stick) refuses a restore with who
// holds it, since when and where the lock file is, until --take-over-lock says to take it over.
TEST(KopiraCommandLine, ALockLeftOnAnotherComputerIsTakenOverOnlyWhenAsked) {
    TempHome home;
    addReminders(home.databasePath(), 4);
    const QString file = Kopira::Backup(home.databasePath(), QDir(home.path()).filePath(QStringLiteral("b")),
                                        QDateTime::currentDateTime())
                             .value();
    addReminders(home.databasePath(), 1);
    const QString lock =
        home.writeLockOfAnotherComputer(QStringLiteral("laptop"), QDateTime::currentDateTime().addDays(-2));

    const Outcome refused = kopira(home.path(), {QStringLiteral("--restore"), file, QStringLiteral("--yes")});
    EXPECT_EQ(refused.code, 1);
    for (const QString& part : {QStringLiteral("laptop"), QStringLiteral("2 天"),
                                QDir::toNativeSeparators(lock), QStringLiteral("--take-over-lock")})
        EXPECT_TRUE(refused.err.contains(part)) << part.toStdString() << "\n" << refused.err.toStdString();
    EXPECT_EQ(reminders(home.databasePath()), 5);
    EXPECT_TRUE(
        kopira(home.path(), {QStringLiteral("--help")}).out.contains(QStringLiteral("--take-over-lock")));

    const Outcome taken = kopira(home.path(), {QStringLiteral("--restore"), file, QStringLiteral("--yes"),
                                               QStringLiteral("--take-over-lock")});
    EXPECT_EQ(taken.code, 0) << taken.err.toStdString();
    EXPECT_EQ(reminders(home.databasePath()), 4);
    EXPECT_FALSE(QFile::exists(lock));
}

// The household on a server: the family moves in by restoring its local lomu.mdb onto the empty server
// database named in lomu.ini, then backs the server up; the question names the server.
TEST(KopiraCommandLine, MovesALocalHouseholdOntoTheServerAndBacksTheServerUp) {
    TempHome home;
    addReminders(home.databasePath(), 3);
    ScratchServerDatabase scratch;
    ASSERT_FALSE(scratch.connection().isEmpty()) << scratch.error().toStdString();
    home.writeIni(
        QStringLiteral("[shujuku]\nleixing=postgresql\nlianjie=%1\n").arg(scratch.connection()).toUtf8());
    const auto onServer = [&scratch] {
        Database server;
        EXPECT_TRUE(server.openServer(scratch.connection()).isOk());
        QSqlQuery q(server.connection());
        return q.exec(QStringLiteral("select count(*) from tixing")) && q.next() ? q.value(0).toLongLong()
                                                                                 : -1;
    };

    const Outcome declined = kopira(home.path(), {QStringLiteral("--restore"), home.databasePath()}, "n\n");
    EXPECT_EQ(declined.code, 1);
    EXPECT_TRUE(declined.out.contains(QStringLiteral("数据库服务器"))) << declined.out.toStdString();
    EXPECT_TRUE(declined.out.contains(QStringLiteral("dbname=%1").arg(scratch.name())));
    EXPECT_EQ(onServer(), 0);

    const Outcome movedIn = kopira(home.path(), {QStringLiteral("--restore"), home.databasePath()}, "y\n");
    ASSERT_EQ(movedIn.code, 0) << movedIn.err.toStdString();
    EXPECT_TRUE(movedIn.out.contains(QStringLiteral("恢复完成：数据库服务器"))) << movedIn.out.toStdString();
    EXPECT_EQ(onServer(), 3);

    const QString folder = QDir(home.path()).filePath(QStringLiteral("外部备份"));
    const Outcome backup = kopira(home.path(), {QStringLiteral("--backup"), folder});
    ASSERT_EQ(backup.code, 0) << backup.err.toStdString();
    const QStringList made = QDir(folder).entryList({QStringLiteral("*.mdb")});
    ASSERT_EQ(made.size(), 1);
    EXPECT_EQ(reminders(QDir(folder).filePath(made.first())), 3);

    // A server that cannot be reached: said on standard error, exit status 1, no file left.
    home.writeIni("[shujuku]\nleixing=postgresql\nlianjie=host=/nonexistent-socket-folder dbname=x\n");
    const QString other = QDir(home.path()).filePath(QStringLiteral("另一个文件夹"));
    const Outcome unreachable = kopira(home.path(), {QStringLiteral("--backup"), other});
    EXPECT_EQ(unreachable.code, 1);
    EXPECT_TRUE(unreachable.err.contains(QStringLiteral("无法连接"))) << unreachable.err.toStdString();
    EXPECT_TRUE(QDir(other).entryList(QDir::Files).isEmpty());

    // A password slipped in with ';' is refused and shown nowhere, neither in the question nor an error.
    home.writeIni(
        "[shujuku]\nleixing=postgresql\nlianjie=host=/nonexistent-socket-folder;password=topsecret\n");
    for (const QStringList& args : {QStringList{QStringLiteral("--backup"), other},
                                    QStringList{QStringLiteral("--restore"), home.databasePath()}}) {
        const Outcome refused = kopira(home.path(), args, "y\n");
        EXPECT_EQ(refused.code, 1);
        EXPECT_TRUE(refused.err.contains(QStringLiteral("~/.pgpass"))) << refused.err.toStdString();
        EXPECT_FALSE((refused.out + refused.err).contains(QStringLiteral("topsecret")))
            << (refused.out + refused.err).toStdString();
    }
}

TEST(KopiraCommandLine, EncryptedBackupAndRestoreTakeThePassphraseFromADescriptor) {
    TempHome home;
    addReminders(home.databasePath(), 2);
    const QString folder = QDir(home.path()).filePath(QStringLiteral("U盘"));
    const QStringList backUp = {QStringLiteral("--backup"), folder, QStringLiteral("--passphrase-fd"),
                                QStringLiteral("3")};
    const Outcome backup = kopiraWithPassphrase(home.path(), backUp, "口令 one\n");
    ASSERT_EQ(backup.code, 0) << backup.err.toStdString();
    EXPECT_TRUE(backup.out.contains(QStringLiteral("口令丢失后"))) << backup.out.toStdString();
    const QStringList made = QDir(folder).entryList({QStringLiteral("*.mdb.tbk")});
    ASSERT_EQ(made.size(), 1);
    EXPECT_TRUE(QDir(folder).entryList({QStringLiteral("*.mdb")}).isEmpty());
    const QString file = QDir(folder).filePath(made.first());
    // Without a terminal and without a descriptor nobody can type one: no backup, no wait.
    const Outcome noTerminal = kopiraWithPassphrase(
        home.path(), {QStringLiteral("--backup"), folder, QStringLiteral("--encrypt")}, {});
    EXPECT_EQ(noTerminal.code, 1);
    EXPECT_TRUE(noTerminal.err.contains(QStringLiteral("--passphrase-fd"))) << noTerminal.err.toStdString();

    addReminders(home.databasePath(), 3);
    const QByteArray before = bytesOf(home.databasePath());
    const QStringList restore = {QStringLiteral("--restore"), file, QStringLiteral("--yes"),
                                 QStringLiteral("--passphrase-fd"), QStringLiteral("3")};
    const Outcome wrong = kopiraWithPassphrase(home.path(), restore, "口令 One\n");
    EXPECT_EQ(wrong.code, 1);
    EXPECT_TRUE(wrong.err.contains(QStringLiteral("备份口令不对"))) << wrong.err.toStdString();
    EXPECT_EQ(bytesOf(home.databasePath()), before);
    const Outcome asked =
        kopiraWithPassphrase(home.path(), {QStringLiteral("--restore"), file, QStringLiteral("--yes")}, {});
    EXPECT_EQ(asked.code, 1);
    EXPECT_TRUE(asked.err.contains(QStringLiteral("没有终端"))) << asked.err.toStdString();
    EXPECT_EQ(bytesOf(home.databasePath()), before);

    const Outcome right = kopiraWithPassphrase(home.path(), restore, "口令 one\n");
    EXPECT_EQ(right.code, 0) << right.err.toStdString();
    EXPECT_TRUE(right.out.contains(QStringLiteral("加密：已用口令加密"))) << right.out.toStdString();
    EXPECT_EQ(reminders(home.databasePath()), 2);
    EXPECT_TRUE(QDir(QFileInfo(home.databasePath()).absolutePath())
                    .entryList({QStringLiteral("lomu-*.part")})
                    .isEmpty());
}

}  // namespace

#include "household/Folders.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace {

void touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(Folders, EnvironmentWinsThenPortableCopyThenUserData) {
    TempHome program;
    TempHome user;
    EXPECT_EQ(ResolveHomeFolder(QStringLiteral("/srv/household"), program.path(), user.path()),
              QStringLiteral("/srv/household"));
    EXPECT_EQ(ResolveHomeFolder(QString(), program.path(), user.path()), user.path());
    QDir(program.path()).mkdir(QStringLiteral("database"));
    EXPECT_EQ(ResolveHomeFolder(QString(), program.path(), user.path()), program.path());
    EXPECT_EQ(DatabasePath(QStringLiteral("/h")), QStringLiteral("/h/database/lomu.mdb"));
    EXPECT_EQ(IniPath(QStringLiteral("/h")), QStringLiteral("/h/database/lomu.ini"));
}

// A copy installed in <prefix>/bin with its files in <prefix>/share/tamberlo.
struct Installed {
    TempHome prefix;
    TempHome user;
    QString bin = QDir(prefix.path()).filePath(QStringLiteral("bin"));
    QString shared = QDir(prefix.path()).filePath(QStringLiteral("share/tamberlo"));
    Installed() {
        QDir().mkpath(bin);
        QDir().mkpath(shared);
    }
};

TEST(Folders, InstalledProgramKeepsItsDataInTheUserFolderEvenBesideADatabaseFolder) {
    Installed installed;
    EXPECT_TRUE(IsInstalledProgram(installed.bin));
    EXPECT_EQ(InstalledFilesFolder(installed.bin), installed.shared);
    EXPECT_EQ(ResolveHomeFolder(QString(), installed.bin, installed.user.path()), installed.user.path());
    // A stray database folder in the system's bin folder does not turn it into a portable copy.
    QDir(installed.bin).mkdir(QStringLiteral("database"));
    EXPECT_EQ(ResolveHomeFolder(QString(), installed.bin, installed.user.path()), installed.user.path());
    EXPECT_EQ(ResolveHomeFolder(QStringLiteral("/srv/h"), installed.bin, installed.user.path()),
              QStringLiteral("/srv/h"));
}

TEST(Folders, ReadOnlyFilesAreFoundBesideTheProgramFirstThenAmongTheInstalledFiles) {
    Installed installed;
    const QString help = QStringLiteral("help/index.htm");
    EXPECT_TRUE(ReadOnlyFile(installed.bin, help).isEmpty());
    EXPECT_TRUE(ReadOnlyFile(QString(), help).isEmpty());

    touch(QDir(installed.shared).filePath(help));
    EXPECT_EQ(ReadOnlyFile(installed.bin, help), QDir(installed.shared).filePath(help));

    touch(QDir(installed.bin).filePath(help));
    EXPECT_EQ(ReadOnlyFile(installed.bin, help), QDir(installed.bin).filePath(help));

    // A folder of that name is not the file.
    TempHome other;
    QDir().mkpath(QDir(other.path()).filePath(help));
    EXPECT_TRUE(ReadOnlyFile(other.path(), help).isEmpty());
}

}  // namespace

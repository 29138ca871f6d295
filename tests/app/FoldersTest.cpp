#include "app/Folders.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

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

}  // namespace

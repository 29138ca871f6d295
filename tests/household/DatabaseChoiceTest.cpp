#include "household/DatabaseChoice.h"
#include "household/IniFile.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {

Result<DatabaseChoice> choiceOf(const QByteArray& ini) {
    TempHome home;
    home.writeIni(ini);
    return ReadDatabaseChoice(IniFile(home.iniPath()));
}

TEST(DatabaseChoice, NoSectionOrSqliteIsTheLocalFileAndPostgresqlTakesTheConnectionString) {
    for (const QByteArray& ini :
         {QByteArray("[ysxuanze]\nyangshi=2\n"), QByteArray("[shujuku]\nleixing=sqlite\n"),
          QByteArray("[shujuku]\nleixing=\n")}) {
        const Result<DatabaseChoice> choice = choiceOf(ini);
        ASSERT_TRUE(choice.isOk()) << ini.toStdString();
        EXPECT_FALSE(choice->server);
    }
    const Result<DatabaseChoice> server = choiceOf(
        "[ysxuanze]\nyangshi=2\n[shujuku]\nleixing=PostgreSQL\nlianjie=host=jia.lan port=5432 dbname=zhang "
        "user=mama sslmode=verify-full\n");
    ASSERT_TRUE(server.isOk());
    EXPECT_TRUE(server->server);
    EXPECT_EQ(server->connection,
              QStringLiteral("host=jia.lan port=5432 dbname=zhang user=mama sslmode=verify-full"));
    const Result<DatabaseChoice> service = choiceOf("[shujuku]\nleixing=postgresql\nlianjie=service=jia\n");
    ASSERT_TRUE(service.isOk());
    EXPECT_EQ(service->connection, QStringLiteral("service=jia"));
}

TEST(DatabaseChoice, UnknownEnginesMissingConnectionsAndPasswordsAreRefusedWithWhatToWrite) {
    const Result<DatabaseChoice> unknown = choiceOf("[shujuku]\nleixing=mysql\n");
    ASSERT_FALSE(unknown.isOk());
    EXPECT_TRUE(unknown.error().contains(QStringLiteral("leixing=mysql 无法识别")));
    const Result<DatabaseChoice> missing = choiceOf("[shujuku]\nleixing=postgresql\n");
    ASSERT_FALSE(missing.isOk());
    EXPECT_TRUE(missing.error().contains(QStringLiteral("没有 lianjie")));
    for (const QByteArray& ini :
         {QByteArray("[shujuku]\nleixing=postgresql\nlianjie=host=a password=secret\n"),
          QByteArray("[shujuku]\nleixing=postgresql\nlianjie=PASSWORD = x host=a\n")}) {
        const Result<DatabaseChoice> password = choiceOf(ini);
        ASSERT_FALSE(password.isOk()) << ini.toStdString();
        EXPECT_TRUE(password.error().contains(QStringLiteral("~/.pgpass")));
    }
    // A user called "password" is no password.
    EXPECT_TRUE(choiceOf("[shujuku]\nleixing=postgresql\nlianjie=host=a user=passwordless\n").isOk());
}

}  // namespace

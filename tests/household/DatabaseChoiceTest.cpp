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
    // However the pairs are separated (Qt's driver hands libpq a ';' as a blank), in an address, in
    // capitals, or as the key's password: refused, and the message does not repeat it.
    for (const char* lianjie :
         {"host=a password=secret", "PASSWORD = secret host=a", "host=a;password=secret",
          "host=a;PASSWORD=secret", "host=a\tpassword=secret", "host=a\rpassword=secret",
          "host=a dbname=b;sslpassword=secret", "postgresql://jia:secret@a/b"}) {
        const Result<DatabaseChoice> password =
            choiceOf(QByteArray("[shujuku]\nleixing=postgresql\nlianjie=") + lianjie + "\n");
        ASSERT_FALSE(password.isOk()) << lianjie;
        EXPECT_TRUE(password.error().contains(QStringLiteral("~/.pgpass"))) << lianjie;
        EXPECT_FALSE(password.error().contains(QStringLiteral("secret"))) << password.error().toStdString();
    }
    // What libpq cannot read is refused with its reason, before anything connects.
    const Result<DatabaseChoice> garbled = choiceOf("[shujuku]\nleixing=postgresql\nlianjie=host=a dbname\n");
    ASSERT_FALSE(garbled.isOk());
    EXPECT_TRUE(garbled.error().contains(QStringLiteral("写法不对"))) << garbled.error().toStdString();
    // A user called "password" is no password.
    EXPECT_TRUE(choiceOf("[shujuku]\nleixing=postgresql\nlianjie=host=a user=passwordless\n").isOk());
}

}  // namespace

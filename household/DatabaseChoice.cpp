#include "household/DatabaseChoice.h"

#include "data/Database.h"
#include "data/ServerConnection.h"
#include "household/Folders.h"
#include "household/IniFile.h"

Result<DatabaseChoice> ReadDatabaseChoice(const IniFile& settings) {
    const QString engine =
        settings.readString(Settings::kDatabaseSection, Settings::kEngineKey).value_or(QString()).trimmed();
    if (engine.isEmpty() || engine.compare(QLatin1String("sqlite"), Qt::CaseInsensitive) == 0)
        return DatabaseChoice{};
    if (engine.compare(QLatin1String("postgresql"), Qt::CaseInsensitive) != 0) {
        return Result<DatabaseChoice>::failure(
            QStringLiteral("%1 中 [shujuku] 的 leixing=%2 无法识别。请写 leixing=sqlite（本机的帐本文件）"
                           "或 leixing=postgresql（数据库服务器）。程序没有打开帐本。")
                .arg(settings.path(), engine));
    }
    const QString connection = settings.readString(Settings::kDatabaseSection, Settings::kConnectionKey)
                                   .value_or(QString())
                                   .trimmed();
    if (connection.isEmpty()) {
        return Result<DatabaseChoice>::failure(
            QStringLiteral("%1 中 [shujuku] 写了 leixing=postgresql，却没有 lianjie。请写上服务器的连接串，"
                           "例如 lianjie=host=192.168.1.10 dbname=tamberlo user=jia sslmode=verify-full。"
                           "程序没有打开帐本。")
                .arg(settings.path()));
    }
    // The string is read as libpq will read it, so that no way of writing it (a ';' between the pairs,
    // a postgresql:// address) slips a password past this check. libpq refuses a keyword in capitals
    // itself, but a password written so would still lie in lomu.ini: the keywords are also looked for
    // in any case, to say where the password belongs.
    const Result<QList<ConnectionSetting>> asWritten = ReadConnectionSettings(connection);
    const Result<QList<ConnectionSetting>> anyCase = ReadConnectionSettings(connection.toLower());
    for (const ConnectionSetting& setting : anyCase.isOk() ? anyCase.value() : QList<ConnectionSetting>()) {
        // A password in the settings file would lie readable beside the program: it belongs in ~/.pgpass.
        if (!setting.secret)
            continue;
        return Result<DatabaseChoice>::failure(
            QStringLiteral(
                "%1 中 [shujuku] 的 lianjie 写了密码（%2）。密码不可写在 lomu.ini 里：请删去 %2=…，"
                "把密码写进 ~/.pgpass（或 pg_service.conf 所指的密码文件）。程序没有连接服务器。")
                .arg(settings.path(), setting.keyword));
    }
    if (!asWritten) {
        return Result<DatabaseChoice>::failure(
            QStringLiteral("%1 中 [shujuku] 的 lianjie 无法使用：%2程序没有连接服务器。")
                .arg(settings.path(), asWritten.error()));
    }
    return DatabaseChoice{true, connection};
}

HouseholdOpening OpenHouseholdDatabase(Database& database, const IniFile& settings,
                                       const QString& homeFolder) {
    const Result<DatabaseChoice> choice = ReadDatabaseChoice(settings);
    if (!choice)
        return {choice.status(), true};
    if (choice->server)
        return {database.openServer(choice->connection), true};
    return {database.open(DatabasePath(homeFolder)), false};
}

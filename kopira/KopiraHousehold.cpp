#include "kopira/KopiraHousehold.h"

#include "data/ServerConnection.h"
#include "household/DatabaseChoice.h"
#include "household/Folders.h"
#include "household/HouseholdLock.h"
#include "household/IniFile.h"
#include "kopira/KopiraStore.h"
#include "kopira/ServerKopira.h"

#include <QDir>

namespace Kopira {

QString Household::name() const {
    if (!problem.isEmpty())
        return QStringLiteral("无法确定（lomu.ini 的 [shujuku] 设置需要改正）");
    if (onServer())
        return QStringLiteral("数据库服务器上的帐本（%1）").arg(ShownConnection(server));
    return QDir::toNativeSeparators(file);
}

Household HouseholdOf(const QString& homeFolder) {
    Household household;
    household.file = DatabasePath(homeFolder);
    const Result<DatabaseChoice> choice = ReadDatabaseChoice(IniFile(IniPath(homeFolder)));
    if (!choice)
        household.problem = choice.error();
    else if (choice->server)
        household.server = choice->connection;
    return household;
}

Result<QString> BackUpHousehold(const Household& household, const QString& folder, const QDateTime& when,
                                const QString& fileName) {
    if (!household.problem.isEmpty())
        return Result<QString>::failure(household.problem);
    if (household.onServer())
        return BackupServer(household.server, folder, when, fileName);
    return Backup(household.file, folder, when, fileName);
}

Result<QString> RestoreHousehold(const Household& household, const QString& backupFile,
                                 const QString& safetyFolder, const QDateTime& when) {
    if (!household.problem.isEmpty())
        return Result<QString>::failure(household.problem);
    if (!household.onServer())
        return Restore(household.file, backupFile, safetyFolder, when);
    // The server's books are replaced under the household's write lock, so other computers' saves wait
    // and then go on from the restored balances; Tamberlo on this computer must have ended first, as
    // for the local file, since it would go on showing the books it read before.
    HouseholdLock lock(household.file);
    if (lock.tryLock() == HouseholdLock::State::HeldElsewhere)
        return Result<QString>::failure(RestoreRefusal(lock));
    return RestoreOntoServer(household.server, backupFile, safetyFolder, when);
}

}  // namespace Kopira

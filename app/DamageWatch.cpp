#include "app/DamageWatch.h"

#include "data/DamageCheck.h"
#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "kit/Prompt.h"
#include "tools/Launcher.h"

void WatchForDamage(QObject* owner, Database& database, const QString& programFolder,
                    const std::function<void()>& end) {
    if (!database.isOpen())
        return;
    auto* check = new DamageCheck(owner);
    QObject::connect(check, &DamageCheck::finished, owner,
                     [check, &database, programFolder, end](bool damaged, const QString& detail) {
                         check->deleteLater();
                         if (!damaged || !database.isOpen())
                             return;
                         database.refuseWrites();
                         if (Prompt::current().show(
                                 Captions::kApplication, DatabaseErrors::DamageFound(database.path(), detail),
                                 Prompt::Buttons::YesNo, Prompt::Icon::Critical) == Prompt::Answer::Yes) {
                             end();
                             StartKopiraAtExit(programFolder);
                         }
                     });
    check->start(database.path());
}

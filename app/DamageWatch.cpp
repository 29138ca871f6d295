#include "app/DamageWatch.h"

#include "data/DamageCheck.h"
#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "kit/Prompt.h"
#include "tools/Launcher.h"

#include <memory>

namespace {

// Offers the rebuild of the indexes of a file whose only damage is there. True when the file is sound
// again; false when the user declined or the rebuild did not mend it (then said).
bool offerIndexRebuild(Database& database, const QString& detail) {
    if (Prompt::current().show(Captions::kApplication,
                               DatabaseErrors::IndexesDisagree(database.path(), detail),
                               Prompt::Buttons::YesNo, Prompt::Icon::Warning) != Prompt::Answer::Yes)
        return false;
    const Result<DamageCheck::Verdict> after = database.rebuildIndexes();
    if (after && !after->damaged) {
        Notify(DatabaseErrors::IndexesRebuilt(database.path()));
        return true;
    }
    ReportError(DatabaseErrors::IndexesNotMended(database.path(), after ? after->detail : after.error(),
                                                 after.isOk()));
    return false;
}

}  // namespace

void WatchForDamage(QObject* owner, Database& database, const QString& programFolder,
                    const std::function<void()>& end) {
    if (!database.isOpen())
        return;
    // The user hears of the damage once, whichever finds it first: the check, or a query of a window.
    const auto told = std::make_shared<bool>(false);
    const auto offerRestore = [&database, programFolder, end, told](const QString& detail) {
        *told = true;
        if (Prompt::current().show(Captions::kApplication,
                                   DatabaseErrors::DamageFound(database.path(), detail),
                                   Prompt::Buttons::YesNo, Prompt::Icon::Critical) == Prompt::Answer::Yes) {
            end();
            StartKopiraAtExit(programFolder);
        }
    };
    // The writes are already refused; the action that met the damage reports its own failure first.
    database.setDamageHandler([owner, told, offerRestore](const QString& detail) {
        QMetaObject::invokeMethod(
            owner,
            [told, offerRestore, detail] {
                if (!*told)
                    offerRestore(detail);
            },
            Qt::QueuedConnection);
    });
    auto* check = new DamageCheck(owner);
    QObject::connect(
        check, &DamageCheck::finished, owner,
        [check, &database, told, offerRestore](bool damaged, const QString& detail, bool indexOnly) {
            check->deleteLater();
            if (!damaged || !database.isOpen() || *told)
                return;
            *told = true;
            database.refuseWrites();
            if (indexOnly && offerIndexRebuild(database, detail))
                return;
            offerRestore(detail);
        });
    check->start(database.path());
}

#include "app/DamageWatch.h"

#include "data/DamageCheck.h"
#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "kit/Prompt.h"
#include "tools/Launcher.h"

#include <memory>

namespace {

// Asks whether to rebuild the indexes of a file whose only damage is there.
bool rebuildWanted(const Database& database, const QString& detail) {
    return Prompt::current().showWithDetails(Captions::kApplication,
                                             DatabaseErrors::IndexesDisagree(database.path()),
                                             DatabaseErrors::DamageDetails(detail), Prompt::Buttons::YesNo,
                                             Prompt::Icon::Warning) == Prompt::Answer::Yes;
}

}  // namespace

void WatchForDamage(QObject* owner, Database& database, const QString& programFolder,
                    const std::function<void()>& end, const std::function<void()>& mended) {
    if (!database.isOpen())
        return;
    // The user hears of the damage once, whichever finds it first: the check, or a query of a window.
    const auto told = std::make_shared<bool>(false);
    const auto offerRestore = [&database, programFolder, end, told](const QString& detail) {
        *told = true;
        if (Prompt::current().showWithDetails(Captions::kApplication,
                                              DatabaseErrors::DamageFound(database.path()),
                                              DatabaseErrors::DamageDetails(detail), Prompt::Buttons::YesNo,
                                              Prompt::Icon::Critical) == Prompt::Answer::Yes) {
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
    // The rebuild reads every row: off the window's thread, the writes refused until the whole check
    // passes again.
    const auto rebuildIndexes = [owner, &database, offerRestore, mended] {
        auto* rebuild = new DamageCheck(owner);
        QObject::connect(
            rebuild, &DamageCheck::rebuilt, owner,
            [rebuild, &database, offerRestore, mended](bool done, bool damaged, const QString& after) {
                rebuild->deleteLater();
                if (!database.isOpen())
                    return;
                if (done && !damaged) {
                    database.allowWrites();
                    if (mended)
                        mended();
                    Notify(DatabaseErrors::IndexesRebuilt(database.path()));
                    return;
                }
                ReportError(DatabaseErrors::IndexesNotMended(database.path(), done),
                            DatabaseErrors::DamageDetails(after));
                offerRestore(after);
            });
        rebuild->startRebuild(database.path());
    };
    auto* check = new DamageCheck(owner);
    QObject::connect(check, &DamageCheck::finished, owner,
                     [check, &database, told, offerRestore, rebuildIndexes](
                         bool damaged, const QString& detail, bool indexOnly) {
                         check->deleteLater();
                         if (!damaged || !database.isOpen() || *told)
                             return;
                         *told = true;
                         database.refuseWrites();
                         if (indexOnly && rebuildWanted(database, detail))
                             rebuildIndexes();
                         else
                             offerRestore(detail);
                     });
    check->start(database.path());
}

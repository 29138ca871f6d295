#include "plans/CatchUp.h"

#include "data/Database.h"
#include "data/DateText.h"
#include "data/HomeSafe.h"

#include <QHash>

CatchUpList DueOccurrences(const QList<RegularEntry>& entries, const QDate& today, const QDate& lastRun,
                           const std::function<bool(EntryType)>& mayBook) {
    CatchUpList list;
    list.entries = entries;
    for (int i = 0; i < entries.size(); ++i) {
        const RegularEntry& entry = entries[i];
        if (mayBook && !mayBook(entry.type))
            continue;
        const QList<QDate> dates = OccurrencesBetween(entry.schedule, entry.lastDone, today);
        if (dates.isEmpty())
            continue;
        const bool enters = entry.automatic && (!lastRun.isValid() || dates.first() > lastRun);
        for (const QDate& date : dates) {
            list.items.append({i,
                               date,
                               entry.amount,
                               enters ? DueOccurrence::State::Entered : DueOccurrence::State::Proposed,
                               {}});
        }
    }
    return list;
}

Status BookOccurrence(Database& database, HomeSafe& homeSafe, const RegularEntry& entry, const QDate& date,
                      Money amount, const QString& registrar) {
    EntryBook book(database, homeSafe, entry.type);
    const Result<qint64> saved = book.save(
        std::nullopt, {entry.detail, amount, ShortDate(date), registrar, entry.remarks, entry.place}, {},
        [&] { return MarkDone(database.connection(), entry.id, entry.lastDone, date); });
    return saved.status();
}

Status SkipOccurrence(Database& database, const RegularEntry& entry, const QDate& date) {
    return database.transaction(
        [&] { return MarkDone(database.connection(), entry.id, entry.lastDone, date); });
}

namespace {

// Writes the items in `states` (the others are left as they are), in order, per regular entry.
int Apply(Database& database, HomeSafe& homeSafe, CatchUpList& list, const QString& registrar,
          bool automaticOnly) {
    int written = 0;
    QHash<int, bool> held;  // regular entries whose later occurrences wait for the next time
    for (DueOccurrence& item : list.items) {
        RegularEntry& entry = list.entries[item.entry];
        if (item.done || (automaticOnly && item.state != DueOccurrence::State::Entered))
            continue;
        if (held.value(item.entry)) {
            item.state = DueOccurrence::State::Postponed;
            continue;
        }
        Status done = Status::ok();
        switch (item.state) {
            case DueOccurrence::State::Entered:
                done = BookOccurrence(database, homeSafe, entry, item.date, item.amount, registrar);
                break;
            case DueOccurrence::State::Skipped:
                done = SkipOccurrence(database, entry, item.date);
                break;
            default:
                held.insert(item.entry, true);
                item.state = DueOccurrence::State::Postponed;
                continue;
        }
        if (!done) {
            item.state = DueOccurrence::State::Failed;
            item.message = done.error();
            held.insert(item.entry, true);
            continue;
        }
        entry.lastDone = item.date;
        item.done = true;
        ++written;
    }
    return written;
}

}  // namespace

int ApplyDecisions(Database& database, HomeSafe& homeSafe, CatchUpList& list, const QString& registrar) {
    return Apply(database, homeSafe, list, registrar, false);
}

int EnterAutomatic(Database& database, HomeSafe& homeSafe, CatchUpList& list, const QString& registrar) {
    return Apply(database, homeSafe, list, registrar, true);
}

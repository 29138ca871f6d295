#pragma once

#include "data/Money.h"
#include "data/Result.h"
#include "plans/RegularEntries.h"

#include <QDate>
#include <QList>
#include <QString>

#include <functional>

class Database;
class HomeSafe;

// One occurrence due: of which regular entry (its index in the list's entries), on which day, for which
// amount (a proposal's amount may be changed for this time), and what became of it.
struct DueOccurrence {
    enum class State { Proposed, Entered, Skipped, Postponed, Failed };
    int entry = 0;
    QDate date;
    Money amount;
    State state = State::Proposed;
    QString message;    // why it failed
    bool done = false;  // written: entered or skipped in the database
};

// The occurrences due since the last run, oldest first within each regular entry.
struct CatchUpList {
    QList<RegularEntry> entries;
    QList<DueOccurrence> items;
};

// Every occurrence due after each entry's last date done up to `today`, of the entries `mayBook` allows
// (the user's rights). A regular entry that enters itself has its occurrences entered only when all of
// them fall after `lastRun`, the last day this computer caught up (invalid: never): an occurrence that
// should have been entered then and is not done is a sign of an older file (a backup restored) and is
// proposed with the others of its entry, never entered silently. A clock set back finds nothing: what
// lies on or before the last date done is never listed again.
CatchUpList DueOccurrences(const QList<RegularEntry>& entries, const QDate& today, const QDate& lastRun,
                           const std::function<bool(EntryType)>& mayBook = {});

// Enters one occurrence as an ordinary saved entry of its type (its place's balance moves in the same
// transaction) and moves the entry's last date done from `entry.lastDone` to `date` there too; refused,
// with nothing written, when another computer or window did it first.
Status BookOccurrence(Database& database, HomeSafe& homeSafe, const RegularEntry& entry, const QDate& date,
                      Money amount, const QString& registrar);
// Passes over one occurrence: only the last date done moves, under the same condition.
Status SkipOccurrence(Database& database, const RegularEntry& entry, const QDate& date);

// Carries out the states of the items not done yet, in order: Entered books,
// Skipped skips, Postponed leaves the occurrence and every later one of its entry for the next time (the
// last date done can only move forward). An item whose write fails becomes Failed with the reason, and
// the later ones of its entry are left as postponed. Each regular entry's last date done in the list
// follows the commits. Returns the number of items written.
int ApplyDecisions(Database& database, HomeSafe& homeSafe, CatchUpList& list, const QString& registrar);

// Enters the occurrences of the entries that enter themselves (the items marked Entered by
// DueOccurrences), leaving the proposals to the user.
int EnterAutomatic(Database& database, HomeSafe& homeSafe, CatchUpList& list, const QString& registrar);

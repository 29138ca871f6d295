#pragma once

#include <QSqlError>
#include <QString>

#include <functional>

// What a database failure means for the household, said in Chinese with what to do. The engine's English
// detail follows in brackets for whoever helps; the Qt driver's own words ("Unable to fetch row" and its
// translation) are dropped, as they only mislead.
namespace DatabaseErrors {

// The classes of failure a household can meet.
enum class Kind {
    ReadOnly,    // the file or its folder cannot be written
    Full,        // the disk (or the file's size limit) is full
    Io,          // the disk failed to read or write
    CannotOpen,  // the file or its folder is missing or not reachable
    Damaged,     // the file is damaged or is no database at all
    Busy,        // another program held the file too long
    ServerBusy,  // another computer held the shared household's write lock too long
    ServerLost,  // the connection to the household's server was lost
    Duplicate,   // a name that must be unique is taken
    Other,       // anything else the engine reports
};

// The class of an engine error, from its SQLite result code (primary or extended) or the server's
// SQLSTATE.
Kind Classify(const QSqlError& error);

// The message for an engine error. `path`, when given, is named where the file matters.
QString Describe(const QSqlError& error, const QString& path = QString());

// The program's own refusals.
QString NotAHousehold(const QString& path);
QString AmountTooLarge();
// Writes are refused once the file was found damaged.
QString WritesRefused(const QString& path);
// Remembers that writes to the file at `path` are refused (empty: none are), so that the engine's
// refusal of a write (a read-only error) is described as that refusal.
void SetWritesRefused(const QString& path);
// The connection to the server was lost during an action: nothing of it was applied (the server rolls
// back what the connection left open), the next action reconnects.
QString ServerLost();
// Lost while the commit was on its way: whether it was saved cannot be known here.
QString ServerLostAtCommit();
// A lost connection could not be opened again.
QString ServerNotBack(const QString& where, const QString& detail);
// Whether a message is one of the two above.
bool SaysServerLost(const QString& message);
bool SaysServerNotBack(const QString& message);
// The household could not be opened, so nobody can log in; `reason` says why.
QString NotOpened(const QString& path, const QString& reason);
// The messages of a damaged file say in Chinese what it means and what to do; what the engine's check
// reported goes beside them, behind the box's 详细信息 button (DamageDetails).
// A damaged file found while it was being opened: not opened, nothing written.
QString DamagedAtOpen(const QString& path);
// The one notice that a damaged file was found.
QString DamageFound(const QString& path);
// Only the indexes disagree with the rows: the question whether to rebuild them.
QString IndexesDisagree(const QString& path);
// The indexes were rebuilt and the file passed the check again.
QString IndexesRebuilt(const QString& path);
// The rebuild failed (`rebuilt` false) or the check still finds damage after it.
QString IndexesNotMended(const QString& path, bool rebuilt);
// The text behind the 详细信息 button: the engine's lines, under a heading that says what they are.
QString DamageDetails(const QString& engineLines);

// Who hears of a failure of the damaged class (a query that met a damaged page, from any window): the
// household's connection, so that writes stop at once. Only failures described on the thread that set
// the listener count, and only those of its file or of no named file, so that the checks of other files
// (backups, copies) made elsewhere never touch the household. One listener at a time; `owner` clears it.
void SetDamageListener(const void* owner, const QString& path,
                       const std::function<void(const QString& detail)>& listener);
void ClearDamageListener(const void* owner);

}  // namespace DatabaseErrors

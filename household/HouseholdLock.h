#pragma once

#include <QString>

#include <memory>

class QLockFile;

// One running copy per household: a lock file "lomu.lock" in the household's database folder, held by
// the program for its whole run and by the backup tool while it replaces the database. The file records
// the holder's process id and computer; a lock left by a program that was killed is recognised as stale
// and taken over, so it never blocks the next start. Where the folder cannot hold a lock file (read-only,
// a network folder without locking) nobody is refused: the database's own transactions keep two copies
// from losing money.
class HouseholdLock {
  public:
    enum class State { Held, HeldElsewhere, Unavailable };

    // The lock of the household whose database is `databasePath` (<home>/database/lomu.mdb).
    explicit HouseholdLock(const QString& databasePath);
    ~HouseholdLock();
    HouseholdLock(const HouseholdLock&) = delete;
    HouseholdLock& operator=(const HouseholdLock&) = delete;

    // Takes the lock without waiting; makes the database folder when it is missing.
    State tryLock();
    void unlock();
    bool isHeld() const { return held_; }

    // The folder the household lives in (the database folder's parent) and the lock file.
    QString householdFolder() const;
    QString lockPath() const { return lockPath_; }
    // Who holds the lock now, as "进程 1234，计算机 name"; empty when that cannot be read.
    QString holder() const;

    // Whether another program holds the household now (takes the lock for a moment and lets it go).
    static bool heldByAnother(const QString& databasePath);

  private:
    QString lockPath_;
    std::unique_ptr<QLockFile> file_;
    bool held_ = false;
};

// What the user reads when the household is already open in another window.
QString HouseholdInUseText(const HouseholdLock& lock);

// The start-up rule of both programs: takes the lock, or tells the user (through the installed Prompt)
// that the household is open in another window and gives false. A folder that cannot hold a lock does
// not stop the start.
bool ClaimHousehold(HouseholdLock& lock, const QString& caption);
// The same, for a lock already tried (on another thread): `lock` is the lock that gave `state`.
bool ClaimHousehold(const HouseholdLock& lock, HouseholdLock::State state, const QString& caption);

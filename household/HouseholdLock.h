#pragma once

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>

class QLockFile;

// One running copy per household: a lock file "lomu.lock" in the household's database folder, held by
// the program for its whole run and by the backup tool while it replaces the database. The file records
// the holder's process id, program and computer; a lock left by a program that was killed on this
// computer, or left without its line by a power cut, is recognised as stale and taken over, so it never
// blocks the next start. A lock written on
// another computer (a portable copy on a USB stick, a network folder) cannot be judged from here: it is
// shown with its age and taken over only when the user confirms. Where the folder cannot hold a lock file
// (read-only, a network folder without locking) nobody is refused: the database's own transactions keep
// two copies from losing money.
class HouseholdLock {
  public:
    enum class State { Held, HeldElsewhere, Unavailable };

    // What the lock file says of the program that holds it.
    struct Holder {
        qint64 pid = 0;
        QString program;  // "Tamberlo" or "kopira"
        QString computer;
        QDateTime since;  // when the lock was taken (the file's time)
        bool otherComputer = false;
        QString application;  // the name the program ran under, as the lock file records it
    };

    // The lock of the household whose database is `databasePath` (<home>/database/lomu.mdb).
    explicit HouseholdLock(const QString& databasePath);
    ~HouseholdLock();
    HouseholdLock(const HouseholdLock&) = delete;
    HouseholdLock& operator=(const HouseholdLock&) = delete;

    // Takes the lock without waiting; makes the database folder when it is missing.
    State tryLock();
    // Removes a lock written on another computer and takes it; the user has confirmed that the program
    // there no longer runs. A lock held on this computer is never taken over.
    State takeOver();
    void unlock();
    bool isHeld() const { return held_; }

    // The folder the household lives in (the database folder's parent) and the lock file.
    QString householdFolder() const;
    QString lockPath() const { return lockPath_; }
    // What the lock file says; nothing when it cannot be read.
    std::optional<Holder> holderInfo() const;
    // Who holds the lock now, as "进程 1234，计算机 name"; empty when that cannot be read.
    QString holder() const;
    // The program that holds the lock, "Tamberlo" or "kopira", as messages name it.
    QString holderProgram() const;

    // Whether another program holds the household now. Only reads the lock file, never takes the lock,
    // so that asking again and again never stands in the way of a program that starts meanwhile.
    static bool heldByAnother(const QString& databasePath);

  private:
    QString lockPath_;
    std::unique_ptr<QLockFile> file_;
    bool held_ = false;
};

// What the user reads when the household is already open in another window, or locked on another
// computer (then with the lock's age and file).
QString HouseholdInUseText(const HouseholdLock& lock);
// Asks (否 the default) whether to take over a lock left on another computer and does so on 是; false
// when the user said no or the takeover failed (which is reported).
bool OfferTakeOver(HouseholdLock& lock, const QString& caption);
// Why a confirmed takeover did not succeed, and what to do.
QString TakeOverFailedText(const HouseholdLock& lock);
// "3 天 2 小时": how long ago, in the two largest units.
QString LockAgeText(const QDateTime& since, const QDateTime& now);

// The start-up rule of both programs: takes the lock, or tells the user (through the installed Prompt)
// that the household is open in another window and gives false. A lock left on another computer is
// taken over when the user confirms (否 is the default). A folder that cannot hold a lock does not stop
// the start.
bool ClaimHousehold(HouseholdLock& lock, const QString& caption);
// The same, for a lock already tried (on another thread): `lock` is the lock that gave `state`.
bool ClaimHousehold(HouseholdLock& lock, HouseholdLock::State state, const QString& caption);

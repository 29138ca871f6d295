#pragma once

#include "data/Result.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QString>

#include <functional>

// The one connection to the household's database file. Opening a missing file creates it with the
// schema and the rows a first start needs; a file that exists but is not this program's database is
// reported and left untouched.
class Database {
  public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    Status open(const QString& path);
    // Opens the household on a PostgreSQL server through a libpq connection string; an empty database
    // is set up as a new file is, one that is not a Tamberlo household is refused untouched.
    Status openServer(const QString& connectionString);
    void close();
    bool isOpen() const;
    const QString& path() const { return path_; }
    bool isServer() const { return !server_.isEmpty(); }
    const QString& server() const { return server_; }
    // The file's path or the server, as messages name them (a server by host, port, dbname and user).
    QString where() const;

    // Why the last open failed (empty when it succeeded).
    const QString& openError() const { return openError_; }
    // The engine's own report of that failure, where it gave more than the message says (the lines of
    // its check of a damaged file).
    const QString& openErrorDetails() const { return openErrorDetails_; }

    // Refuses every further write to the file, for a file found damaged: transactions fail with a
    // message that says so, and the engine itself refuses any other write on the connection
    // (PRAGMA query_only). Reading goes on. Ends with close() or the next open().
    void refuseWrites();
    bool writesRefused() const { return writesRefused_; }

    // A query of any window on the file that meets a damaged page refuses the writes at once (as
    // refuseWrites) and then tells `handler`, on the connection's thread, with the engine's words; once,
    // until writes are allowed again.
    void setDamageHandler(std::function<void(const QString& detail)> handler);

    // What shows that an older file is being upgraded while the window's thread waits for it: called as
    // the upgrade starts, with the text to show; the function it returns is called once the upgrade has
    // ended. The program installs a progress window here at its start (this layer has no windows);
    // without one (the tools, tests) nothing is shown and the calling thread simply waits.
    using UpgradeNotice = std::function<std::function<void()>(const QString& text)>;
    static void setUpgradeNotice(UpgradeNotice notice);

    // Takes writes again after refuseWrites, for a file mended meanwhile (its indexes rebuilt and the
    // whole check passed).
    void allowWrites();

    // The connection every query of every window uses. A server connection found lost (the server
    // restarted, the connection ended) is opened again here, outside a transaction, once per action.
    QSqlDatabase connection() const;

    // Runs the work in one transaction: commits when it succeeds, rolls back when it fails or when the
    // commit fails. The failure's message is returned. A server connection lost on the way is never
    // worked around by repeating anything: the work fails with a message that says so, and the next
    // action opens the connection again.
    Status transaction(const std::function<Status()>& work);

  private:
    // A query met damage: writes stop, the handler is told.
    void damageMet(const QString& detail);
    Status connect(bool isNew);
    // Makes sure that a file the open is about to write to is sound; a damaged one is refused untouched.
    Status recognise(QSqlDatabase& db, int fileVersion);
    // Takes an older file to the newest version after the quick look for damage and a safety copy beside
    // it, on a thread and connection of their own while `db` stays closed; the calling thread waits,
    // running its events without user input when an upgrade notice is installed.
    Status upgrade(QSqlDatabase& db, int fileVersion);
    Status connectServer();
    Status setUpServer(QSqlDatabase& db);
    // The settings every server session starts with.
    static Status startServerSession(QSqlDatabase& db);
    // A transaction's failure as the user reads it when the server connection was lost on the way.
    Status lostOnTheWay(const Status& result, bool committing) const;
    // Whether the server connection was lost: Qt closed it, or libpq knows it broken.
    bool serverConnectionLost() const;
    // Opens a lost server connection again; a failed attempt is not repeated for a moment, so that the
    // many uses of one action try once.
    Status reopenLostServer() const;

    QString connectionName_;
    QString path_;
    QString openError_;
    QString openErrorDetails_;
    bool writesRefused_ = false;
    std::function<void(const QString&)> damageHandler_;
    QString server_;
    QString serverShown_;   // host, port, dbname and user of server_: never a password
    bool writing_ = false;  // inside transaction(): a lost connection is never swapped under the work
    mutable QElapsedTimer failedReopen_;
    mutable QString reopenFailure_;
};

// Creates an empty file (and its folder) readable and writable by its owner only, so that a household
// file never starts out readable by others; an existing file is emptied.
Status CreatePrivateFile(const QString& path);

// The identity a Tamberlo database carries in its header.
inline constexpr int kTamberloApplicationId = 0x54424C4F;  // "TBLO"
// The newest version of the tables this program writes and reads (PRAGMA user_version); older files are
// upgraded when opened (data/Upgrade.h), newer ones refused.
inline constexpr int kSchemaVersion = 7;

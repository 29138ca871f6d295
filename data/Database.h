#pragma once

#include "data/Result.h"

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
    // The file's path or the server, as messages name them.
    QString where() const;

    // Why the last open failed (empty when it succeeded).
    const QString& openError() const { return openError_; }

    // Refuses every further write to the file, for a file found damaged: transactions fail with a
    // message that says so, and the engine itself refuses any other write on the connection
    // (PRAGMA query_only). Reading goes on. Ends with close() or the next open().
    void refuseWrites();
    bool writesRefused() const { return writesRefused_; }

    // The connection every query of every window uses.
    QSqlDatabase connection() const;

    // Runs the work in one transaction: commits when it succeeds, rolls back when it fails or when the
    // commit fails. The failure's message is returned.
    Status transaction(const std::function<Status()>& work);

  private:
    Status connect(bool isNew);
    // Makes sure that a file the open is about to write to is sound; a damaged one is refused untouched.
    Status recognise(QSqlDatabase& db, int fileVersion);
    // Takes an older file to the newest version after keeping a safety copy beside it.
    Status upgrade(QSqlDatabase& db, int fileVersion);
    Status connectServer();
    Status setUpServer(QSqlDatabase& db);

    QString connectionName_;
    QString path_;
    QString openError_;
    bool writesRefused_ = false;
    QString server_;
};

// The identity a Tamberlo database carries in its header.
inline constexpr int kTamberloApplicationId = 0x54424C4F;  // "TBLO"
// The newest version of the tables this program writes and reads (PRAGMA user_version); older files are
// upgraded when opened (data/Upgrade.h), newer ones refused.
inline constexpr int kSchemaVersion = 3;

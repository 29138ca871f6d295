// The household on a PostgreSQL server: connecting, recognising the household and setting up an empty
// database. The rest of Database (transactions, the connection) serves both engines.
#include "data/Database.h"
#include "data/EngineVariants.h"
#include "data/Schema.h"
#include "data/SecretUpgrade.h"
#include "data/ServerConnection.h"
#include "data/Upgrade.h"

#include "data/DatabaseErrors.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QtGlobal>

namespace {

// How long a write waits for another computer's write to finish before it gives up.
constexpr int kLockWaitMilliseconds = 10000;
// After a failed attempt to reopen a lost connection, the uses of the same action do not try again.
constexpr int kReopenPauseMilliseconds = 2000;

// The engine's words on a failed connection; libpq quotes a connection string it cannot read, a
// password in it is masked.
QString engineText(const QSqlError& error) {
    const QString text = error.databaseText().trimmed();
    return MaskConnectionPasswords(text.isEmpty() ? error.text().trimmed() : text);
}

// Counts the tables of the connection's schema, to tell an empty database from somebody else's.
Result<qint64> tableCount(QSqlDatabase& db) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("select count(*) from information_schema.tables where table_schema = "
                                   "current_schema()")) ||
        !query.next()) {
        return Result<qint64>::failure(DatabaseErrors::Describe(query.lastError()));
    }
    return query.value(0).toLongLong();
}

}  // namespace

QString Database::where() const {
    if (isServer())
        return QStringLiteral("数据库服务器（%1）").arg(serverShown_);
    return path_;
}

Status Database::openServer(const QString& connectionString) {
    close();
    path_.clear();
    server_ = connectionString.simplified();
    serverShown_ = ShownConnection(server_);
    failedReopen_.invalidate();
    const Status opened = connectServer();
    if (!opened)
        close();
    return opened;
}

Status Database::connectServer() {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName_);
    if (!db.isValid()) {
        return Status::failure(QStringLiteral("本程序缺少 PostgreSQL 数据库驱动（QPSQL），无法连接%1。"
                                              "请安装软件包 libqt6sql6-psql 后再启动。")
                                   .arg(where()));
    }
    // The whole libpq connection string goes through; the password comes from ~/.pgpass or the
    // service file, as for every PostgreSQL client.
    db.setConnectOptions(server_);
    // Sums of 64-bit money columns arrive as exact decimal text, never as a floating-point number.
    db.setNumericalPrecisionPolicy(QSql::HighPrecision);
    if (!db.open()) {
        return Status::failure(QStringLiteral("无法连接%1，程序没有打开帐本，也没有作任何改动。"
                                              "请检查服务器是否开着、网络是否通，以及 lomu.ini 中 [shujuku] "
                                              "的 lianjie 设置和 ~/.pgpass 中的密码。（%2）")
                                   .arg(where(), engineText(db.lastError())));
    }
    if (Status s = startServerSession(db); !s)
        return s;

    const Result<HouseholdMark> mark = ReadHouseholdMark(db);
    if (!mark)
        return mark.status();
    if (mark->applicationId == 0 && mark->schemaVersion == 0)
        return setUpServer(db);
    if (mark->applicationId != kTamberloApplicationId) {
        return Status::failure(
            QStringLiteral("%1 不是 Tamberlo 的帐本，未打开，也未作任何改动。请检查 lomu.ini 中 lianjie 的 "
                           "dbname。")
                .arg(where()));
    }
    if (mark->schemaVersion > kSchemaVersion)
        return Status::failure(NewerFileRefusal(where(), mark->schemaVersion, kSchemaVersion));
    if (mark->schemaVersion < kSchemaVersion) {
        const int from = mark->schemaVersion;
        // The server changes its tables inside the transaction: a failure leaves them as they were.
        if (Status s = transaction([&db, from] { return UpgradeSchema(db, from); }); !s) {
            return Status::failure(QStringLiteral("%1 无法从数据版本 %2 升级到版本 %3：%4\n帐本保持原样。")
                                       .arg(where())
                                       .arg(from)
                                       .arg(kSchemaVersion)
                                       .arg(s.error()));
        }
        if (from < kSecretsHiddenVersion) {
            // Best effort: the household is upgraded whatever the sweep comes to. Its text names the
            // tables, never a row's content.
            if (const Status swept = SweepServerSecretTables(db); !swept)
                qWarning("%s", qUtf8Printable(QStringLiteral("%1：%2").arg(where(), swept.error())));
            if (Status s = startServerSession(db); !s)
                return s;
        }
    }
    // The index of a place's lists; it only speeds up reading, so a server that refuses it still opens.
    (void)transaction([&db] { return EnsurePlaceListIndex(db); });
    return Status::ok();
}

Status Database::startServerSession(QSqlDatabase& db) {
    if (Status s = Exec(db, QStringLiteral("SET lock_timeout = %1").arg(kLockWaitMilliseconds)); !s)
        return s;
    // The server's notices (a table that exists already, at set-up) are for its log, not the terminal.
    return Exec(db, QStringLiteral("SET client_min_messages = warning"));
}

bool Database::serverConnectionLost() const {
    if (server_.isEmpty() || !QSqlDatabase::contains(connectionName_))
        return false;
    const QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    // Qt closes the connection after some failures, libpq alone knows about others.
    if (!db.isOpen())
        return true;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "PGconn*") != 0)
        return false;
    const void* connection = *static_cast<const void* const*>(handle.constData());
    // libpq is asked through the copy Qt's PostgreSQL driver has loaded already, so that the program
    // does not load it (and the libraries it needs) on every start, for a household on a file too.
    // PQstatus and CONNECTION_BAD (1) are libpq's documented interface.
    using StatusOf = int (*)(const void*);
    static const auto statusOf = reinterpret_cast<StatusOf>(LoadedLibpqFunction("PQstatus"));
    constexpr int kConnectionBad = 1;
    return connection && statusOf && statusOf(connection) == kConnectionBad;
}

Status Database::reopenLostServer() const {
    if (!serverConnectionLost())
        return Status::ok();
    if (failedReopen_.isValid() && failedReopen_.elapsed() < kReopenPauseMilliseconds)
        return Status::failure(reopenFailure_);
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    db.close();
    Status reopened =
        db.open() ? startServerSession(db)
                  : Status::failure(DatabaseErrors::ServerNotBack(where(), engineText(db.lastError())));
    if (reopened) {
        failedReopen_.invalidate();
        return reopened;
    }
    db.close();
    if (!DatabaseErrors::SaysServerNotBack(reopened.error()))
        reopened = Status::failure(DatabaseErrors::ServerNotBack(where(), reopened.error()));
    reopenFailure_ = reopened.error();
    failedReopen_.start();
    return reopened;
}

Status Database::setUpServer(QSqlDatabase& db) {
    const Result<qint64> tables = tableCount(db);
    if (!tables)
        return tables.status();
    if (tables.value() > 0) {
        return Status::failure(QStringLiteral("%1 里已有别的数据表，不是 Tamberlo 的帐本，未打开，也未作任何"
                                              "改动。请为 Tamberlo 建一个空的数据库。")
                                   .arg(where()));
    }
    // Two computers starting at once on the empty database: the second waits for the write lock and
    // then finds the household already set up.
    return transaction([&db]() -> Status {
        const Result<HouseholdMark> again = ReadHouseholdMark(db);
        if (!again)
            return again.status();
        if (again->applicationId == kTamberloApplicationId)
            return Status::ok();
        if (Status s = CreateSchema(db); !s)
            return s;
        return UpgradeSchema(db, kFirstSchemaVersion);
    });
}

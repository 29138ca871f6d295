#include "data/Database.h"

#include "data/DamageCheck.h"
#include "data/DatabaseErrors.h"
#include "data/EngineVariants.h"
#include "data/OpenReads.h"
#include "data/Schema.h"
#include "data/SecretUpgrade.h"
#include "data/Upgrade.h"

#include <QAtomicInt>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <memory>

namespace {

QAtomicInt connectionCounter;

Result<int> readPragma(QSqlDatabase& db, const char* pragma) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA %1").arg(QString::fromLatin1(pragma)))) {
        return Result<int>::failure(DatabaseErrors::Describe(query.lastError(), db.databaseName()));
    }
    if (!query.next())
        return Result<int>::failure(DatabaseErrors::NotAHousehold(db.databaseName()));
    return query.value(0).toInt();
}

// SQLITE_BUSY and its extended codes (a stale read's BUSY_SNAPSHOT among them).
bool isBusy(const QSqlError& error) {
    bool number = false;
    const int code = error.nativeErrorCode().toInt(&number);
    return number && (code & 0xFF) == 5;
}

const QString kConnectOptions = QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000");

// What every connection that writes to a household file sets first: a committed save must survive a
// power cut.
Status startWriting(QSqlDatabase& db) {
    // secure_delete: what a change or deletion removes is overwritten, not left in free space, so that
    // no old password or deleted entry can be read from the file's free pages.
    for (const char* pragma : {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = FULL",
                               "PRAGMA foreign_keys = ON", "PRAGMA secure_delete = ON"}) {
        if (Status s = Exec(db, QString::fromLatin1(pragma)); !s)
            return s;
    }
    return Status::ok();
}

// The safety copy and the upgrade of an older file on the open connection `db`.
Status upgradeOn(QSqlDatabase& db, const QString& path, int fileVersion) {
    if (Status s = startWriting(db); !s)
        return s;
    const Result<QString> copy = KeepSafetyCopy(db, path, fileVersion);
    if (!copy)
        return copy.status();
    // One transaction: a failure leaves the file exactly as the older program wrote it.
    const QSqlError busy = BeginWrite(db);
    Status upgraded = busy.isValid() ? Status::failure(DatabaseErrors::Describe(busy, path))
                                     : UpgradeSchema(db, fileVersion);
    if (upgraded)
        upgraded = Exec(db, QStringLiteral("COMMIT"));
    if (upgraded) {
        // The log's pages from before the upgrade held the plain passwords: emptied. The safety copy
        // keeps the household as it was, but not its passwords.
        (void)Exec(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        if (fileVersion < 6)
            return HidePlainSecretsInCopy(copy.value());
        return upgraded;
    }
    if (!busy.isValid())
        (void)Exec(db, QStringLiteral("ROLLBACK"));
    return Status::failure(QStringLiteral("数据库文件 %1 无法从数据版本 %2 升级到版本 %3：%4\n文件保持原样，"
                                          "升级前的安全副本在 %5。")
                               .arg(path)
                               .arg(fileVersion)
                               .arg(kSchemaVersion)
                               .arg(upgraded.error(), copy.value()));
}

// The whole upgrade of an older file, run on a thread of its own with a connection made there: the
// engine's quick look for damage first (a damaged file is refused untouched), then the copy and the
// upgrade.
Status upgradeFile(const QString& path, const QString& connectionName, int fileVersion) {
    const DamageCheck::Verdict verdict = DamageCheck::Run(path, DamageCheck::Depth::Quick);
    if (verdict.damaged)
        return Status::failure(DatabaseErrors::DamagedAtOpen(path),
                               DatabaseErrors::DamageDetails(verdict.detail));
    Status result = Status::ok();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(path);
        db.setConnectOptions(kConnectOptions);
        result = db.open() ? upgradeOn(db, path, fileVersion)
                           : Status::failure(DatabaseErrors::Describe(db.lastError(), path));
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
    return result;
}

Database::UpgradeNotice& upgradeNotice() {
    static Database::UpgradeNotice notice;
    return notice;
}

}  // namespace

void Database::setUpgradeNotice(UpgradeNotice notice) {
    upgradeNotice() = std::move(notice);
}

Status CreatePrivateFile(const QString& path) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return Status::failure(QStringLiteral("无法创建文件夹 %1").arg(QFileInfo(path).absolutePath()));
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return Status::failure(QStringLiteral("无法创建数据库文件 %1：%2").arg(path, file.errorString()));
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return Status::ok();
}

Database::Database()
    : connectionName_(QStringLiteral("tamberlo-%1").arg(connectionCounter.fetchAndAddRelaxed(1))) {}

Database::~Database() {
    close();
}

QSqlDatabase Database::connection() const {
    if (!server_.isEmpty() && !writing_)
        (void)reopenLostServer();
    return QSqlDatabase::database(connectionName_, false);
}

bool Database::isOpen() const {
    return QSqlDatabase::contains(connectionName_) && connection().isOpen();
}

void Database::refuseWrites() {
    writesRefused_ = true;
    DatabaseErrors::SetWritesRefused(path_);
    if (isOpen()) {
        QSqlDatabase db = connection();
        (void)Exec(db, QStringLiteral("PRAGMA query_only = 1"));
    }
}

void Database::setDamageHandler(std::function<void(const QString& detail)> handler) {
    damageHandler_ = std::move(handler);
}

void Database::damageMet(const QString& detail) {
    if (writesRefused_)
        return;
    refuseWrites();
    if (damageHandler_)
        damageHandler_(detail);
}

void Database::allowWrites() {
    if (!writesRefused_)
        return;
    writesRefused_ = false;
    DatabaseErrors::SetWritesRefused(QString());
    if (isOpen()) {
        QSqlDatabase db = connection();
        (void)Exec(db, QStringLiteral("PRAGMA query_only = 0"));
    }
}

void Database::close() {
    DatabaseErrors::ClearDamageListener(this);
    if (writesRefused_)
        DatabaseErrors::SetWritesRefused(QString());
    writesRefused_ = false;
    if (!QSqlDatabase::contains(connectionName_))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
}

Status Database::open(const QString& path) {
    close();
    path_ = path;
    server_.clear();
    const QFileInfo info(path);
    // An empty file holds nothing to lose: it is treated like a missing one.
    const bool isNew = !info.exists() || (info.isFile() && info.size() == 0);
    if (isNew) {
        if (Status s = CreatePrivateFile(path); !s)
            return s;
    }
    const Status opened = connect(isNew);
    openError_ = opened ? QString() : opened.error();
    openErrorDetails_ = opened ? QString() : opened.details();
    if (opened)
        DatabaseErrors::SetDamageListener(this, path_, [this](const QString& detail) { damageMet(detail); });
    if (!opened) {
        close();
        // Only a file this call created is removed, so that the next start tries again from nothing.
        if (isNew)
            QFile::remove(path);
    }
    return opened;
}

Status Database::connect(bool isNew) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
    db.setDatabaseName(path_);
    db.setConnectOptions(kConnectOptions);
    if (!db.open())
        return Status::failure(DatabaseErrors::Describe(db.lastError(), path_));

    int fileVersion = kSchemaVersion;
    if (!isNew) {
        const Result<int> id = readPragma(db, "application_id");
        if (!id)
            return id.status();
        if (id.value() != kTamberloApplicationId) {
            return Status::failure(DatabaseErrors::NotAHousehold(path_));
        }
        // A file from a newer program may hold what this one does not know how to keep: it is not touched.
        const Result<int> version = readPragma(db, "user_version");
        if (!version)
            return version.status();
        if (version.value() > kSchemaVersion)
            return Status::failure(NewerFileRefusal(path_, version.value(), kSchemaVersion));
        fileVersion = version.value();
        const Status ready =
            fileVersion < kSchemaVersion ? upgrade(db, fileVersion) : recognise(db, fileVersion);
        if (!ready)
            return ready;
    }
    if (Status s = startWriting(db); !s)
        return s;
    if (isNew) {
        return transaction([&db] {
            if (Status s = CreateSchema(db); !s)
                return s;
            return UpgradeSchema(db, kFirstSchemaVersion);
        });
    }
    // A household made before the summary's covering indexes existed gets them now. They only speed up
    // reading: a file that cannot take them (read-only, busy) still opens.
    (void)transaction([&db] { return EnsureSummaryIndexes(db); });
    return Status::ok();
}

Status Database::recognise(QSqlDatabase& db, int fileVersion) {
    // What the open would write: the journal mode, the summary's indexes, an upgrade. A household this
    // program wrote last needs none of them, and its check for damage runs later, off the window's
    // thread. Anything else is checked now, before the first byte is written.
    QSqlQuery mode(db);
    if (!mode.exec(QStringLiteral("PRAGMA journal_mode")) || !mode.next())
        return Status::failure(DatabaseErrors::Describe(mode.lastError(), path_));
    const bool wal = mode.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
    mode.finish();
    const Result<bool> indexes = SummaryIndexesPresent(db);
    if (!indexes)
        return indexes.status();
    if (wal && indexes.value() && fileVersion == kSchemaVersion)
        return Status::ok();
    // The window waits for this one: the engine's quick look. The whole check follows off its thread.
    const DamageCheck::Verdict verdict = DamageCheck::Run(path_, DamageCheck::Depth::Quick);
    if (verdict.damaged)
        return Status::failure(DatabaseErrors::DamagedAtOpen(path_),
                               DatabaseErrors::DamageDetails(verdict.detail));
    return Status::ok();
}

Status Database::upgrade(QSqlDatabase& db, int fileVersion) {
    // A connection may only be used on the thread that made it: the upgrade makes its own on its thread,
    // and the window's connection is opened again once it has ended.
    db.close();
    Status result = Status::ok();
    const QString path = path_;
    const QString name = connectionName_ + QStringLiteral("-upgrade");
    const std::unique_ptr<QThread> worker(QThread::create(
        [&result, path, name, fileVersion] { result = upgradeFile(path, name, fileVersion); }));
    if (const UpgradeNotice& notice = upgradeNotice()) {
        QEventLoop loop;
        QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
        const std::function<void()> ended =
            notice(QStringLiteral("正在升级家庭数据库（数据版本 %1 → %2），请稍候…")
                       .arg(fileVersion)
                       .arg(kSchemaVersion));
        worker->start();
        // Nothing the user does reaches a window meanwhile; the notice's own window is painted.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        if (ended)
            ended();
    } else {
        worker->start();
    }
    worker->wait();
    if (!db.open())
        return Status::failure(DatabaseErrors::Describe(db.lastError(), path_));
    return result;
}

Status Database::transaction(const std::function<Status()>& work) {
    if (isServer()) {
        if (Status back = reopenLostServer(); !back)
            return back;
    }
    QSqlDatabase db = connection();
    if (!db.isOpen()) {
        return Status::failure(openError_.isEmpty() ? QStringLiteral("家庭的数据库没有打开，改动没有保存。")
                                                    : DatabaseErrors::NotOpened(path_, openError_));
    }
    if (writesRefused_)
        return Status::failure(DatabaseErrors::WritesRefused(path_));
    const bool outerWriting = writing_;
    writing_ = true;
    const auto done = qScopeGuard([this, outerWriting] { writing_ = outerWriting; });
    // The write lock is taken at the start: a transaction that read first and then wanted to write
    // would fail at once, without waiting, when another program wrote in between. A list still reading
    // lazily holds such a read open: when that makes the start fail, the lists' reads are finished and
    // the start is tried once more, now waiting for the lock as usual.
    QSqlError busy = BeginWrite(db);
    if (busy.isValid() && isBusy(busy) && OpenReads::finishAll())
        busy = BeginWrite(db);
    if (busy.isValid())
        return lostOnTheWay(Status::failure(DatabaseErrors::Describe(busy, path_)), false);
    Status result = work();
    const bool committing = result.isOk();
    if (result)
        result = Exec(db, QStringLiteral("COMMIT"));
    if (!result)
        Exec(db, QStringLiteral("ROLLBACK"));
    return lostOnTheWay(result, committing);
}

Status Database::lostOnTheWay(const Status& result, bool committing) const {
    if (result || !serverConnectionLost())
        return result;
    // The server ends a transaction whose connection is gone by rolling it back: nothing of the work
    // stands, unless the connection broke while the commit was on its way, when nobody here can know.
    if (committing)
        return Status::failure(DatabaseErrors::ServerLostAtCommit());
    if (DatabaseErrors::SaysServerLost(result.error()))
        return result;
    return Status::failure(DatabaseErrors::ServerLost());
}

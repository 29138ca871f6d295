#include "data/DamageCheck.h"

#include "data/DatabaseErrors.h"

#include <QAtomicInt>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QThread>

#include <algorithm>

namespace {

QAtomicInt checkCounter;

}  // namespace

DamageCheck::DamageCheck(QObject* parent) : QObject(parent) {}

DamageCheck::~DamageCheck() {
    if (thread_) {
        thread_->wait();
        delete thread_;
    }
}

void DamageCheck::runInThread(const std::function<void()>& work) {
    if (thread_)
        return;
    thread_ = QThread::create(work);
    thread_->start(QThread::LowPriority);
}

void DamageCheck::start(const QString& path) {
    runInThread([this, path] {
        const Verdict verdict = Run(path);
        QMetaObject::invokeMethod(
            this, [this, verdict] { Q_EMIT finished(verdict.damaged, verdict.detail, verdict.indexOnly); },
            Qt::QueuedConnection);
    });
}

void DamageCheck::startRebuild(const QString& path) {
    runInThread([this, path] {
        const Result<Verdict> after = RebuildIndexes(path);
        const bool done = after.isOk();
        const bool damaged = done && after->damaged;
        const QString detail = done ? after->detail : after.error();
        QMetaObject::invokeMethod(
            this, [this, done, damaged, detail] { Q_EMIT rebuilt(done, damaged, detail); },
            Qt::QueuedConnection);
    });
}

Result<DamageCheck::Verdict> DamageCheck::RebuildIndexes(const QString& path) {
    const QString name = QStringLiteral("tamberlo-reindex-%1").arg(checkCounter.fetchAndAddRelaxed(1));
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            QSqlQuery query(db);
            for (const char* step : {"BEGIN IMMEDIATE", "REINDEX", "COMMIT"}) {
                if (!query.exec(QString::fromLatin1(step))) {
                    failure = query.lastError().text();
                    query.exec(QStringLiteral("ROLLBACK"));
                    break;
                }
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty())
        return Result<Verdict>::failure(failure);
    return Run(path);
}

bool DamageCheck::IndexOnly(const QStringList& lines) {
    static const QRegularExpression aboutAnIndex(
        QStringLiteral("^(row \\d+ missing from index \\S+|wrong # of entries in index \\S+)$"));
    return !lines.isEmpty() && std::all_of(lines.begin(), lines.end(), [](const QString& line) {
        return aboutAnIndex.match(line).hasMatch();
    });
}

DamageCheck::Verdict DamageCheck::Run(const QString& path, Depth depth) {
    const QString name = QStringLiteral("tamberlo-check-%1").arg(checkCounter.fetchAndAddRelaxed(1));
    Verdict verdict;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(depth == Depth::Whole ? QStringLiteral("PRAGMA integrity_check")
                                                 : QStringLiteral("PRAGMA quick_check"))) {
                // The engine stops after a hundred lines.
                QStringList found;
                while (query.next())
                    found.append(query.value(0).toString());
                verdict.damaged = found != QStringList{QStringLiteral("ok")};
                verdict.detail = found.mid(0, 20).join(QLatin1Char('\n'));
                if (found.isEmpty())
                    verdict.detail = query.lastError().databaseText();
                verdict.indexOnly = verdict.damaged && IndexOnly(found);
            } else if (DatabaseErrors::Classify(query.lastError()) == DatabaseErrors::Kind::Damaged) {
                verdict.damaged = true;
                verdict.detail = query.lastError().databaseText();
            }
            query.finish();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return verdict;
}

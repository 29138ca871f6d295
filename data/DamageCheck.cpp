#include "data/DamageCheck.h"

#include "data/DatabaseErrors.h"

#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QThread>

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

void DamageCheck::start(const QString& path) {
    if (thread_)
        return;
    thread_ = QThread::create([this, path] {
        const Verdict verdict = Run(path);
        QMetaObject::invokeMethod(
            this, [this, verdict] { Q_EMIT finished(verdict.damaged, verdict.detail); },
            Qt::QueuedConnection);
    });
    thread_->start(QThread::LowPriority);
}

DamageCheck::Verdict DamageCheck::Run(const QString& path) {
    const QString name = QStringLiteral("tamberlo-check-%1").arg(checkCounter.fetchAndAddRelaxed(1));
    Verdict verdict;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("PRAGMA quick_check"))) {
                QStringList found;
                while (query.next() && found.size() < 5)
                    found.append(query.value(0).toString());
                verdict.damaged = found != QStringList{QStringLiteral("ok")};
                verdict.detail = found.join(QStringLiteral("; "));
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

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

void DamageCheck::start(const QString& path) {
    if (thread_)
        return;
    thread_ = QThread::create([this, path] {
        const Verdict verdict = Run(path);
        QMetaObject::invokeMethod(
            this, [this, verdict] { Q_EMIT finished(verdict.damaged, verdict.detail, verdict.indexOnly); },
            Qt::QueuedConnection);
    });
    thread_->start(QThread::LowPriority);
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
                verdict.detail = found.mid(0, 5).join(QStringLiteral("; "));
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

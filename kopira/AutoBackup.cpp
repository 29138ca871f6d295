#include "kopira/AutoBackup.h"

#include "data/Secrets.h"
#include "kit/Today.h"
#include "kopira/BackupRotation.h"
#include "kopira/BackupSecretStore.h"

#include <QThread>

AutoBackup::AutoBackup(const QString& databasePath, const QString& folder, QObject* parent)
    : AutoBackup(Kopira::Household{databasePath, QString(), QString()}, folder, parent) {}

AutoBackup::AutoBackup(const Kopira::Household& household, const QString& folder, QObject* parent)
    : QObject(parent), household_(household), folder_(folder) {}

AutoBackup::~AutoBackup() {
    wait();
}

bool AutoBackup::isRunning() const {
    return thread_ && thread_->isRunning();
}

void AutoBackup::wait() {
    if (thread_)
        thread_->wait();
}

void AutoBackup::start() {
    if (thread_)
        return;
    const QDateTime now(Today(), QTime::currentTime());
    thread_ = QThread::create([this, now] {
        // The passphrase the user chose for the daily backups, kept in the desktop's secret store; without
        // one, or without a store, they stay plain.
        QString passphrase = Kopira::AutomaticBackupPassphrase(household_);
        const Result<Kopira::AutomaticBackupOutcome> outcome =
            Kopira::RunAutomaticBackup(household_, folder_, now, passphrase);
        WipeText(passphrase);
        const QString written = outcome ? outcome->written : QString();
        const QString failure = outcome ? QString() : outcome.error();
        const qint64 ms = outcome ? outcome->milliseconds : 0;
        const QString overdue =
            written.isEmpty() ? Kopira::OverdueBackupNotice(household_, folder_, now) : QString();
        QMetaObject::invokeMethod(
            this, [this, written, failure, ms, overdue] { Q_EMIT finished(written, failure, ms, overdue); },
            Qt::QueuedConnection);
    });
    thread_->setParent(this);
    thread_->setObjectName(QStringLiteral("AutoBackup"));
    thread_->start(QThread::LowPriority);
}

#include "household/HouseholdLock.h"

#include "kit/Prompt.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

HouseholdLock::HouseholdLock(const QString& databasePath)
    : lockPath_(QDir(QFileInfo(databasePath).absolutePath()).filePath(QStringLiteral("lomu.lock"))),
      file_(std::make_unique<QLockFile>(lockPath_)) {
    // Held for a whole run: only a holder that no longer runs makes the lock stale, never its age.
    file_->setStaleLockTime(0);
}

HouseholdLock::~HouseholdLock() {
    unlock();
}

HouseholdLock::State HouseholdLock::tryLock() {
    if (held_)
        return State::Held;
    QDir().mkpath(QFileInfo(lockPath_).absolutePath());
    if (file_->tryLock(0)) {
        held_ = true;
        return State::Held;
    }
    return file_->error() == QLockFile::LockFailedError ? State::HeldElsewhere : State::Unavailable;
}

void HouseholdLock::unlock() {
    if (held_)
        file_->unlock();
    held_ = false;
}

QString HouseholdLock::householdFolder() const {
    return QDir::cleanPath(QFileInfo(lockPath_).absolutePath() + QStringLiteral("/.."));
}

QString HouseholdLock::holder() const {
    qint64 pid = 0;
    QString host;
    QString program;
    if (!file_->getLockInfo(&pid, &host, &program))
        return QString();
    return QStringLiteral("进程 %1，计算机 %2").arg(pid).arg(host);
}

bool HouseholdLock::heldByAnother(const QString& databasePath) {
    if (!QFileInfo::exists(
            QDir(QFileInfo(databasePath).absolutePath()).filePath(QStringLiteral("lomu.lock"))))
        return false;
    HouseholdLock probe(databasePath);
    return probe.tryLock() == State::HeldElsewhere;
}

QString HouseholdInUseText(const HouseholdLock& lock) {
    const QString holder = lock.holder();
    return QStringLiteral(
               "家庭账本 %1 已在另一个窗口中打开%2。\n同一个账本同一时间只能在一个窗口中使用："
               "请切换到那个窗口继续记账，或先把它关闭再启动。本次启动没有打开、也没有改动账本。")
        .arg(QDir::toNativeSeparators(lock.householdFolder()),
             holder.isEmpty() ? QString() : QStringLiteral("（%1）").arg(holder));
}

bool ClaimHousehold(HouseholdLock& lock, const QString& caption) {
    const HouseholdLock::State state = lock.tryLock();
    return ClaimHousehold(lock, state, caption);
}

bool ClaimHousehold(const HouseholdLock& lock, HouseholdLock::State state, const QString& caption) {
    if (state != HouseholdLock::State::HeldElsewhere)
        return true;
    Prompt::current().show(caption, HouseholdInUseText(lock), Prompt::Buttons::Ok, Prompt::Icon::Warning);
    return false;
}

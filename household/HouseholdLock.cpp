#include "household/HouseholdLock.h"

#include "kit/Prompt.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#endif

namespace {

// Whether the process the lock file names still runs on this computer: it exists, and (where the system
// tells) it runs the program that took the lock, not another one that got its number later.
bool stillRunning(qint64 pid, const QString& application) {
#ifdef Q_OS_UNIX
    if (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH))
        return false;
#endif
#ifdef Q_OS_LINUX
    QString running = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    running.remove(QStringLiteral(" (deleted)"));  // the program file was replaced by an update
    if (!running.isEmpty() && !application.isEmpty() &&
        QFileInfo(running).fileName() != QFileInfo(application).fileName())
        return false;
#else
    Q_UNUSED(application);
#endif
    return true;
}

// A program writes its line into the lock file right after making it. A file still without one after
// this long was left by a power cut before the line reached the disk: nobody holds it.
constexpr qint64 kUnwrittenLockSeconds = 10;

bool leftUnwritten(const QString& lockPath) {
    const QFileInfo info(lockPath);
    return info.exists() && info.lastModified().secsTo(QDateTime::currentDateTime()) > kUnwrittenLockSeconds;
}

}  // namespace

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
    if (file_->error() == QLockFile::LockFailedError && !holderInfo() && leftUnwritten(lockPath_) &&
        file_->removeStaleLockFile() && file_->tryLock(0)) {
        held_ = true;
        return State::Held;
    }
    return file_->error() == QLockFile::LockFailedError ? State::HeldElsewhere : State::Unavailable;
}

HouseholdLock::State HouseholdLock::takeOver() {
    if (held_)
        return State::Held;
    const std::optional<Holder> holder = holderInfo();
    if (holder && holder->otherComputer && !file_->removeStaleLockFile())
        return State::HeldElsewhere;
    return tryLock();
}

void HouseholdLock::unlock() {
    if (held_)
        file_->unlock();
    held_ = false;
}

QString HouseholdLock::householdFolder() const {
    return QDir::cleanPath(QFileInfo(lockPath_).absolutePath() + QStringLiteral("/.."));
}

std::optional<HouseholdLock::Holder> HouseholdLock::holderInfo() const {
    Holder holder;
    if (!file_->getLockInfo(&holder.pid, &holder.computer, &holder.application))
        return std::nullopt;
    holder.program = holder.application.compare(QLatin1String("kopira"), Qt::CaseInsensitive) == 0
                         ? QStringLiteral("kopira")
                         : QStringLiteral("Tamberlo");
    holder.since = QFileInfo(lockPath_).lastModified();
    holder.otherComputer = !holder.computer.isEmpty() && holder.computer != QSysInfo::machineHostName();
    return holder;
}

namespace {

// Text that a message box keeps on one line: Chinese text may break between any two characters and at
// a space, so spaces become no-break spaces and a word joiner (U+2060, drawn as nothing) holds each
// character beside its neighbour wherever one of them is not Latin.
QString unbroken(const QString& text) {
    QString kept;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i] == QLatin1Char(' ') ? QChar(QChar::Nbsp) : text[i];
        if (i > 0 && (c.unicode() > 0x7F || text[i - 1].unicode() > 0x7F) && c != QChar(QChar::Nbsp) &&
            kept.back() != QChar(QChar::Nbsp))
            kept += QChar(0x2060);
        kept += c;
    }
    return kept;
}

}  // namespace

QString HouseholdLock::holder() const {
    const std::optional<Holder> holder = holderInfo();
    if (!holder)
        return QString();
    // Said in the refusal's brackets, which must not break across two lines.
    return unbroken(
        QStringLiteral("%1，进程 %2，计算机 %3").arg(holder->program).arg(holder->pid).arg(holder->computer));
}

QString HouseholdLock::holderProgram() const {
    const std::optional<Holder> holder = holderInfo();
    return holder ? holder->program : QStringLiteral("Tamberlo");
}

bool HouseholdLock::heldByAnother(const QString& databasePath) {
    const HouseholdLock probe(databasePath);
    if (!QFileInfo::exists(probe.lockPath()))
        return false;
    const std::optional<Holder> holder = probe.holderInfo();
    // A lock file that cannot be read is being written by a program that starts at this moment, or was
    // left empty by a power cut.
    if (!holder)
        return QFileInfo::exists(probe.lockPath()) && !leftUnwritten(probe.lockPath());
    return holder->otherComputer || stillRunning(holder->pid, holder->application);
}

QString LockAgeText(const QDateTime& since, const QDateTime& now) {
    const qint64 seconds = qMax<qint64>(0, since.secsTo(now));
    const qint64 days = seconds / 86400;
    const qint64 hours = seconds % 86400 / 3600;
    const qint64 minutes = seconds % 3600 / 60;
    if (days > 0)
        return QStringLiteral("%1 天 %2 小时").arg(days).arg(hours);
    if (hours > 0)
        return QStringLiteral("%1 小时 %2 分钟").arg(hours).arg(minutes);
    return QStringLiteral("%1 分钟").arg(minutes);
}

QString HouseholdInUseText(const HouseholdLock& lock) {
    const QString folder = QDir::toNativeSeparators(lock.householdFolder());
    const std::optional<HouseholdLock::Holder> holder = lock.holderInfo();
    if (holder && holder->otherComputer) {
        return QStringLiteral(
                   "家庭帐本 %1 被另一台电脑“%2”上的 %3 锁定（进程 %4，锁定于 %5，到现在 %6）。\n"
                   "锁文件：%7\n如果那台电脑上的 %3 还开着，请先在那里把它关闭；如果它已经不在运行"
                   "（死机、断电，或 U 盘没有安全弹出就拔下），这个锁是遗留下来的，可以接管。")
            .arg(folder, holder->computer, holder->program)
            .arg(holder->pid)
            .arg(holder->since.toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                 LockAgeText(holder->since, QDateTime::currentDateTime()),
                 QDir::toNativeSeparators(lock.lockPath()));
    }
    if (holder && holder->program == QStringLiteral("kopira")) {
        return QStringLiteral(
                   "家庭帐本 %1 正在由备份工具 kopira 恢复（%2）。\n请等恢复完成、关闭 kopira 之后再试。"
                   "本次没有打开、也没有改动帐本。")
            .arg(folder, lock.holder());
    }
    const QString who = lock.holder();
    return QStringLiteral(
               "家庭帐本 %1 已在另一个窗口中打开%2。\n同一个帐本同一时间只能在一个窗口中使用："
               "请切换到那个窗口继续记帐，或先把它关闭再启动。本次启动没有打开、也没有改动帐本。")
        .arg(folder, who.isEmpty() ? QString() : QStringLiteral("（%1）").arg(who));
}

bool ClaimHousehold(HouseholdLock& lock, const QString& caption) {
    const HouseholdLock::State state = lock.tryLock();
    return ClaimHousehold(lock, state, caption);
}

bool ClaimHousehold(HouseholdLock& lock, HouseholdLock::State state, const QString& caption) {
    if (state != HouseholdLock::State::HeldElsewhere)
        return true;
    const std::optional<HouseholdLock::Holder> holder = lock.holderInfo();
    if (holder && holder->otherComputer)
        return OfferTakeOver(lock, caption);
    Prompt::current().show(caption, HouseholdInUseText(lock), Prompt::Buttons::Ok, Prompt::Icon::Warning);
    return false;
}

bool OfferTakeOver(HouseholdLock& lock, const QString& caption) {
    const QString question =
        HouseholdInUseText(lock) +
        QStringLiteral(
            "\n\n要接管这个锁吗？只有确定那台电脑上已经没有程序在使用这个帐本时才选“是”："
            "两边同时使用会互相覆盖。选“否”什么也不做。");
    if (Prompt::current().show(caption, question, Prompt::Buttons::YesNoDefaultNo, Prompt::Icon::Warning) !=
        Prompt::Answer::Yes)
        return false;
    if (lock.takeOver() != HouseholdLock::State::HeldElsewhere)
        return true;
    Prompt::current().show(caption, TakeOverFailedText(lock), Prompt::Buttons::Ok, Prompt::Icon::Warning);
    return false;
}

QString TakeOverFailedText(const HouseholdLock& lock) {
    return QStringLiteral(
               "无法接管锁文件 %1：它仍被占用，或者无法删除。\n请确认那台电脑上的程序已经关闭；"
               "如果确实已经关闭，可以手动删除这个文件，然后再试。帐本没有改动。")
        .arg(QDir::toNativeSeparators(lock.lockPath()));
}

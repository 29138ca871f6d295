#include "data/DatabaseErrors.h"

#include <QMutex>
#include <QMutexLocker>
#include <QThread>

#include <optional>

namespace DatabaseErrors {

namespace {

// SQLite's primary result codes (the low byte of an extended code).
enum Code {
    kPerm = 3,
    kBusy = 5,
    kLocked = 6,
    kReadOnly = 8,
    kIoErr = 10,
    kCorrupt = 11,
    kFull = 13,
    kCantOpen = 14,
    kConstraint = 19,
    kNotADb = 26,
};

// SQLITE_CONSTRAINT_UNIQUE and SQLITE_CONSTRAINT_PRIMARYKEY.
constexpr int kConstraintUnique = kConstraint | (8 << 8);
constexpr int kConstraintPrimaryKey = kConstraint | (6 << 8);

// The engine's own words: its message when it gave one, else the driver's.
QString detail(const QSqlError& error) {
    const QString engine = error.databaseText().trimmed();
    return engine.isEmpty() ? error.driverText().trimmed() : engine;
}

QString withDetail(const QString& message, const QString& english) {
    return english.isEmpty() ? message : QStringLiteral("%1（%2）").arg(message, english);
}

QString refusedPath;

struct DamageListener {
    QMutex mutex;
    const void* owner = nullptr;
    QThread* thread = nullptr;
    QString path;
    std::function<void(const QString&)> tell;
};

DamageListener& damageListener() {
    static DamageListener listener;
    return listener;
}

void tellOfDamage(const QString& path, const QString& detail) {
    DamageListener& listener = damageListener();
    std::function<void(const QString&)> tell;
    {
        QMutexLocker lock(&listener.mutex);
        if (!listener.tell || listener.thread != QThread::currentThread() ||
            (!path.isEmpty() && path != listener.path))
            return;
        tell = listener.tell;
    }
    tell(detail);
}

QString inFile(const QString& path) {
    return path.isEmpty() ? QStringLiteral("数据库文件") : QStringLiteral("数据库文件 %1 ").arg(path);
}

}  // namespace

// A server names its failures by SQLSTATE, always five characters; the file's codes have four digits at
// most.
std::optional<Kind> classifyServer(const QString& state) {
    if (state.size() != 5)
        return std::nullopt;
    if (state == QLatin1String("23505"))
        return Kind::Duplicate;
    if (state == QLatin1String("53100"))
        return Kind::Full;
    if (state == QLatin1String("25006") || state == QLatin1String("42501"))
        return Kind::ReadOnly;
    if (state == QLatin1String("55P03") || state == QLatin1String("40P01") || state == QLatin1String("40001"))
        return Kind::ServerBusy;
    // The session ended by the server (shut down, restarted, ended by an administrator) or the
    // connection broken.
    if (state.startsWith(QLatin1String("08")) || state.startsWith(QLatin1String("57P")))
        return Kind::ServerLost;
    if (state == QLatin1String("XX001") || state == QLatin1String("XX002"))
        return Kind::Damaged;
    return Kind::Other;
}

Kind Classify(const QSqlError& error) {
    if (const std::optional<Kind> server = classifyServer(error.nativeErrorCode()))
        return *server;
    bool number = false;
    const int code = error.nativeErrorCode().toInt(&number);
    const QString text = detail(error);
    if (!number) {
        // libpq says so itself when it finds the server gone, without a code.
        for (const char* gone : {"no connection to the server", "server closed the connection unexpectedly",
                                 "connection to server was lost", "could not receive data from server",
                                 "could not send data to server"}) {
            if (text.contains(QLatin1String(gone)))
                return Kind::ServerLost;
        }
        // Failures before the engine answers (a driver that could not open the file) carry no code.
        return error.type() == QSqlError::ConnectionError ? Kind::CannotOpen : Kind::Other;
    }
    switch (code & 0xFF) {
        case kReadOnly:
        case kPerm:
            return Kind::ReadOnly;
        case kFull:
            return Kind::Full;
        case kIoErr:
            return Kind::Io;
        case kCantOpen:
            return Kind::CannotOpen;
        case kCorrupt:
        case kNotADb:
            return Kind::Damaged;
        case kBusy:
        case kLocked:
            return Kind::Busy;
        case kConstraint:
            // Older drivers give the primary code only: the engine's text then tells a unique key apart.
            if (code == kConstraintUnique || code == kConstraintPrimaryKey ||
                text.startsWith(QLatin1String("UNIQUE constraint failed"))) {
                return Kind::Duplicate;
            }
            return Kind::Other;
        default:
            return Kind::Other;
    }
}

QString Describe(const QSqlError& error, const QString& path) {
    const QString english = detail(error);
    QString message;
    switch (Classify(error)) {
        case Kind::ReadOnly:
            message = QStringLiteral(
                          "%1是只读的，改动没有保存。请检查这个文件和它所在文件夹的写入权限"
                          "（或它是否在只读的磁盘上），然后再试。")
                          .arg(inFile(path));
            break;
        case Kind::Full:
            message = QStringLiteral("磁盘已满，改动没有保存。请清理出一些磁盘空间，然后再试。");
            break;
        case Kind::Io:
            message = QStringLiteral(
                          "读写%1时磁盘出错，改动没有保存。请检查磁盘或存储设备是否正常，然后再试；"
                          "问题持续时请用备份工具 kopira 恢复最近的备份。")
                          .arg(inFile(path));
            break;
        case Kind::CannotOpen:
            message = QStringLiteral("无法打开%1。请确认它所在的文件夹存在并且可以写入，然后重新启动程序。")
                          .arg(inFile(path));
            break;
        case Kind::Damaged:
            tellOfDamage(path, english);
            message = QStringLiteral(
                          "%1已损坏或不是数据库，无法读取。请不要再用它记帐，用备份工具 kopira "
                          "恢复最近的完好备份。")
                          .arg(inFile(path));
            break;
        case Kind::Busy:
            message = QStringLiteral(
                          "%1正被另一个程序（备份工具或另一个 Tamberlo 窗口）占用，等待太久，改动没有保存。"
                          "请等它完成或关闭它，然后再试。")
                          .arg(inFile(path));
            break;
        case Kind::ServerBusy:
            message = QStringLiteral("另一台电脑正在写入帐本，等候超时，这次改动没有保存，请稍后再试。");
            break;
        case Kind::ServerLost:
            message = ServerLost();
            // libpq explains a broken connection over several lines; the first says what happened.
            return withDetail(message, english.section(QLatin1Char('\n'), 0, 0).trimmed());
        case Kind::Duplicate:
            message = english.contains(QLatin1String("zhangwubiao.mingcheng")) ||
                              english.contains(QLatin1String("zhangwubiao_mingcheng"))
                          ? QStringLiteral("该银行名称已存在，请换一个名称。")
                          : QStringLiteral("这个名称已经存在，请换一个名称。");
            break;
        case Kind::Other:
            message = QStringLiteral(
                "数据库操作失败，改动没有保存。请再试一次；问题持续时请用备份工具 kopira "
                "恢复最近的备份。");
            break;
    }
    return withDetail(message, english);
}

namespace {
const QString kServerLost = QStringLiteral("与数据库服务器的连接已断开");
const QString kServerNotBack = QStringLiteral("与数据库服务器的连接已断开，重新连接没有成功");
}  // namespace

QString ServerLost() {
    return kServerLost + QStringLiteral(
                             "，这次的操作没有完成，改动没有保存（服务器已把它撤销）。请再试一次，"
                             "程序会重新连接服务器；仍然不行时请检查网络和服务器是否开着。");
}

QString ServerLostAtCommit() {
    return QStringLiteral(
        "与数据库服务器的连接在保存的最后一步断开，无法确定这次改动是否已经保存。"
        "请按“刷新帐务”或重新打开这个窗口看一看，确认没有保存之后再重做，以免记两次。");
}

QString ServerNotBack(const QString& where, const QString& detail) {
    return withDetail(kServerNotBack + QStringLiteral("（%1），这次的操作没有进行，也没有保存任何改动。"
                                                      "请检查网络和服务器是否开着，稍后再试一次。")
                                           .arg(where),
                      detail);
}

bool SaysServerLost(const QString& message) {
    return message.startsWith(kServerLost);
}

bool SaysServerNotBack(const QString& message) {
    return message.startsWith(kServerNotBack);
}

QString NotAHousehold(const QString& path) {
    return QStringLiteral(
               "文件 %1 不是 Tamberlo 的数据库，未打开，也未作任何改动。"
               "请确认家庭文件夹选得对，或用备份工具 kopira 恢复备份。")
        .arg(path);
}

QString AmountTooLarge() {
    return QStringLiteral("金额超出范围，无法记帐。请检查输入的金额。");
}

QString WritesRefused(const QString& path) {
    return QStringLiteral(
               "数据库文件 %1 已损坏，为保护其中的数据，程序不再向它写入任何改动。"
               "请用备份工具 kopira 恢复最近的完好备份。")
        .arg(path);
}

void SetWritesRefused(const QString& path) {
    refusedPath = path;
}

QString NotOpened(const QString& path, const QString& reason) {
    return QStringLiteral("家庭的数据库 %1 没有打开，所以无法登录。\n%2").arg(path, reason);
}

QString DamagedAtOpen(const QString& path) {
    return QStringLiteral(
               "数据库文件 %1 已损坏，程序没有打开它，也没有作任何改动，请用备份工具 kopira 恢复最近的完好"
               "备份。")
        .arg(path);
}

QString DamageFound(const QString& path) {
    return QStringLiteral(
               "数据库文件 %1 "
               "已损坏，程序不会再向这个文件写入任何改动（能读出的内容仍可查看）；要现在关闭程序，"
               "打开备份工具 kopira 恢复最近的完好备份吗？")
        .arg(path);
}

QString IndexesDisagree(const QString& path) {
    return QStringLiteral(
               "数据库文件 %1 的索引与表里的记录对不上。\n表里的记录本身通过了检查，出错的只是索引（合计和"
               "列表靠它查找），所以合计可能与明细不符。在修好之前，程序不会再向这个文件写入任何改动。\n\n"
               "要现在重建索引吗？重建按表里的记录重写全部索引，不改动任何记录；大的帐本要等一会儿。")
        .arg(path);
}

QString IndexesRebuilt(const QString& path) {
    return QStringLiteral(
               "已按表里的记录重建了数据库文件 %1 的全部索引（REINDEX），没有改动任何记录。\n"
               "重新做完整性检查的结果：完好（ok）。合计和列表又与表里的记录一致，可以照常记帐。")
        .arg(path);
}

QString IndexesNotMended(const QString& path, bool rebuilt) {
    const QString what = rebuilt
                             ? QStringLiteral(
                                   "已按表里的记录重建了数据库文件 %1 的全部索引（REINDEX），"
                                   "但重新做完整性检查仍发现损坏")
                                   .arg(path)
                             : QStringLiteral("重建数据库文件 %1 的索引没有成功，没有改动任何记录").arg(path);
    return what + QStringLiteral("。程序不会再向这个文件写入任何改动。");
}

QString DamageDetails(const QString& engineLines) {
    if (engineLines.isEmpty())
        return QString();
    return QStringLiteral("数据库引擎的检查结果：\n") + engineLines;
}

void SetDamageListener(const void* owner, const QString& path,
                       const std::function<void(const QString& detail)>& listener) {
    DamageListener& current = damageListener();
    QMutexLocker lock(&current.mutex);
    current.owner = owner;
    current.thread = QThread::currentThread();
    current.path = path;
    current.tell = listener;
}

void ClearDamageListener(const void* owner) {
    DamageListener& current = damageListener();
    QMutexLocker lock(&current.mutex);
    if (current.owner != owner)
        return;
    current.owner = nullptr;
    current.thread = nullptr;
    current.path.clear();
    current.tell = nullptr;
}

}  // namespace DatabaseErrors

#include "data/ServerConnection.h"

#include <QAtomicInt>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QStringList>

#include <dlfcn.h>

namespace {

// libpq's documented description of one connection option (PQconninfoOption).
struct LibpqOption {
    char* keyword;
    char* envvar;
    char* compiled;
    char* val;
    char* label;
    char* dispchar;  // "*" for a value libpq itself hides, such as a password
    int dispsize;
};

using ParseFunction = LibpqOption* (*)(const char* conninfo, char** errmsg);
using FreeOptions = void (*)(LibpqOption* options);
using FreeMemory = void (*)(void* memory);

const QString kDriver = QStringLiteral("QPSQL");
QAtomicInt readers;

// Loads Qt's PostgreSQL driver, and with it libpq, for as long as it lives.
class DriverLoaded {
  public:
    DriverLoaded() {
        if (!QSqlDatabase::isDriverAvailable(kDriver))
            return;
        valid_ = QSqlDatabase::addDatabase(kDriver, name_).isValid();
    }
    ~DriverLoaded() { QSqlDatabase::removeDatabase(name_); }
    DriverLoaded(const DriverLoaded&) = delete;
    DriverLoaded& operator=(const DriverLoaded&) = delete;
    bool valid() const { return valid_; }

  private:
    // A name of its own, so that two threads reading at once do not share one connection entry.
    const QString name_ = QStringLiteral("tamberlo-connection-reader-%1").arg(readers.fetchAndAddRelaxed(1));
    bool valid_ = false;
};

}  // namespace

void* LoadedLibpqFunction(const char* name) {
    void* libpq = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
    if (!libpq)
        return nullptr;
    void* function = dlsym(libpq, name);
    // The handle only counted one more use of the library the driver holds.
    dlclose(libpq);
    return function;
}

QString MaskConnectionPasswords(const QString& text) {
    static const QRegularExpression inUri(QStringLiteral("(postgres(?:ql)?://[^:/@\\s\"]*:)[^@\\s\"]*@"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression inQuery(QStringLiteral("([?&](?:ssl)?password=)[^&\\s\"]*"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression asPair(
        QStringLiteral("\\b((?:ssl)?password\\s*=\\s*)(?:'(?:[^'\\\\]|\\\\.)*'?|[^\\s\"]*)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString hidden = QStringLiteral("\\1●●●");
    QString masked = text;
    masked.replace(inUri, QStringLiteral("\\1●●●@"));
    masked.replace(inQuery, hidden);
    masked.replace(asPair, hidden);
    return masked;
}

QString AsLibpqReceives(const QString& connection) {
    return QString(connection).replace(QLatin1Char(';'), QLatin1Char(' '));
}

Result<QList<ConnectionSetting>> ReadConnectionSettings(const QString& connection) {
    const DriverLoaded driver;
    const auto parse = reinterpret_cast<ParseFunction>(LoadedLibpqFunction("PQconninfoParse"));
    const auto freeOptions = reinterpret_cast<FreeOptions>(LoadedLibpqFunction("PQconninfoFree"));
    const auto freeMemory = reinterpret_cast<FreeMemory>(LoadedLibpqFunction("PQfreemem"));
    if (!driver.valid() || !parse || !freeOptions || !freeMemory) {
        return Result<QList<ConnectionSetting>>::failure(
            QStringLiteral("本程序缺少 PostgreSQL 数据库驱动（QPSQL），读不了服务器的连接串。"
                           "请安装软件包 libqt6sql6-psql 后再启动。"));
    }
    char* why = nullptr;
    LibpqOption* options = parse(AsLibpqReceives(connection).toUtf8().constData(), &why);
    if (!options) {
        // libpq quotes the string, a URI whole, in some of its reasons: a password in it is masked.
        const QString reason = why ? MaskConnectionPasswords(QString::fromUtf8(why).trimmed()) : QString();
        if (why)
            freeMemory(why);
        return Result<QList<ConnectionSetting>>::failure(
            QStringLiteral(
                "连接串的写法不对，请写成 host=… port=… dbname=… user=… 这样以空格分开的几项。（%1）")
                .arg(reason));
    }
    QList<ConnectionSetting> settings;
    for (const LibpqOption* option = options; option->keyword; ++option) {
        if (!option->val)
            continue;
        settings.append({QString::fromUtf8(option->keyword), QString::fromUtf8(option->val),
                         option->dispchar && option->dispchar[0] == '*'});
    }
    freeOptions(options);
    return settings;
}

QString ShownConnection(const QString& connection) {
    const Result<QList<ConnectionSetting>> settings = ReadConnectionSettings(connection);
    if (!settings)
        return QStringLiteral("lomu.ini 中 lianjie 所写的服务器");
    QStringList shown;
    for (const char* keyword : {"service", "host", "port", "dbname", "user"}) {
        for (const ConnectionSetting& s : settings.value()) {
            if (s.keyword == QLatin1String(keyword) && !s.value.isEmpty())
                shown.append(s.keyword + QLatin1Char('=') + s.value);
        }
    }
    // Nothing of these written: libpq goes to its defaults (the local server, the login name).
    return shown.isEmpty() ? QStringLiteral("libpq 的默认连接") : shown.join(QLatin1Char(' '));
}

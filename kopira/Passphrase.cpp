#include "kopira/Passphrase.h"

#include <QByteArray>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kLongest = 4096;

// Reads one line from the descriptor, byte by byte so that nothing after the line is taken.
Result<QString> readLine(int fd, const QString& source) {
    QByteArray line;
    line.reserve(kLongest);
    for (;;) {
        char c = 0;
        const ssize_t got = ::read(fd, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const QString why = QString::fromLocal8Bit(std::strerror(errno));
            line.fill('\0');
            return Result<QString>::failure(QStringLiteral("无法从%1读入口令（%2）。").arg(source, why));
        }
        if (got == 0 || c == '\n')
            break;
        if (line.size() >= kLongest) {
            line.fill('\0');
            return Result<QString>::failure(
                QStringLiteral("从%1读入的口令太长（超过 %2 字节）。").arg(source).arg(kLongest));
        }
        line.append(c);
    }
    if (line.endsWith('\r'))
        line.chop(1);
    QString passphrase = QString::fromUtf8(line);
    line.fill('\0');
    if (passphrase.isEmpty())
        return Result<QString>::failure(QStringLiteral("从%1读到的口令是空的，请输入口令。").arg(source));
    return passphrase;
}

}  // namespace

namespace Kopira {

Result<QString> ReadPassphraseFromTerminal(const QString& prompt) {
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0)
        return Result<QString>::failure(QStringLiteral(
            "没有终端可以输入口令：请在终端里运行，或用 --passphrase-fd N 从文件描述符 N 读入口令。"));
    const QByteArray text = prompt.toUtf8();
    (void)!::write(tty, text.constData(), static_cast<size_t>(text.size()));
    termios before{};
    const bool quiet = ::tcgetattr(tty, &before) == 0;
    if (quiet) {
        termios hidden = before;
        hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        hidden.c_lflag |= ECHONL;
        ::tcsetattr(tty, TCSAFLUSH, &hidden);
    }
    Result<QString> read = readLine(tty, QStringLiteral("终端"));
    if (quiet)
        ::tcsetattr(tty, TCSAFLUSH, &before);
    ::close(tty);
    return read;
}

Result<QString> ReadPassphraseFromDescriptor(int fd) {
    Result<QString> read = readLine(fd, QStringLiteral("文件描述符 %1 ").arg(fd));
    ::close(fd);
    return read;
}

}  // namespace Kopira

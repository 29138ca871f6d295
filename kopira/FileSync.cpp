#include "kopira/FileSync.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

namespace Kopira {

Status SyncFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return Status::failure(
            QStringLiteral("无法把文件 %1 写到磁盘上（%2）。").arg(path, file.errorString()));
#ifdef Q_OS_WIN
    const bool synced = _commit(file.handle()) == 0;
#else
    const bool synced = ::fsync(file.handle()) == 0;
#endif
    if (!synced) {
        return Status::failure(QStringLiteral("无法把文件 %1 写到磁盘上，请检查磁盘（%2）。")
                                   .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    return Status::ok();
}

Status SyncFolder(const QString& folder) {
#ifdef Q_OS_WIN
    (void)folder;  // NTFS commits directory entries with its own journal
    return Status::ok();
#else
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0 || ::fsync(fd) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        if (fd >= 0)
            ::close(fd);
        return Status::failure(
            QStringLiteral("无法把文件夹 %1 的改动写到磁盘上，请检查磁盘（%2）。").arg(folder, why));
    }
    ::close(fd);
    return Status::ok();
#endif
}

}  // namespace Kopira

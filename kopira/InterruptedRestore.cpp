#include "kopira/InterruptedRestore.h"

#include "household/Folders.h"
#include "household/HouseholdLock.h"
#include "kit/Prompt.h"
#include "kopira/BackupInfo.h"
#include "kopira/CommandLine.h"
#include "kopira/KopiraStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>

namespace Kopira {

bool LooksCutShort(const QString& databasePath) {
    const QFileInfo info(databasePath);
    if (!info.isFile())
        return false;
    if (info.size() == 0)
        return true;
    const QFileInfo log(databasePath + QStringLiteral("-wal"));
    if (log.exists() && log.size() > 0)
        return false;  // the log may still hold what the file lacks
    QFile file(databasePath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(100);
    if (!header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return false;  // not an SQLite file at all: the open path reports it
    if (header.size() < 100)
        return true;
    const auto* bytes = reinterpret_cast<const uchar*>(header.constData());
    qint64 pageSize = qFromBigEndian<quint16>(bytes + 16);
    if (pageSize == 1)
        pageSize = 65536;
    const quint32 pages = qFromBigEndian<quint32>(bytes + 28);
    const bool pagesValid =
        pages > 0 && qFromBigEndian<quint32>(bytes + 24) == qFromBigEndian<quint32>(bytes + 92);
    if (pageSize < 512 || info.size() % pageSize != 0)
        return true;
    return pagesValid && info.size() < pageSize * static_cast<qint64>(pages);
}

namespace {

// The files of the folders matching the patterns, newest first by the time in their names (else the
// files' own), the database itself left out.
QStringList copiesNewestFirst(const QString& databasePath, const QStringList& folders,
                              const QStringList& patterns) {
    QList<QPair<QDateTime, QString>> candidates;
    QStringList seen{QFileInfo(databasePath).absoluteFilePath()};
    for (const QString& folder : folders) {
        for (const QFileInfo& file : QDir(folder).entryInfoList(patterns, QDir::Files)) {
            if (seen.contains(file.absoluteFilePath()))
                continue;
            seen.append(file.absoluteFilePath());
            const QDateTime named = TimeInName(file.fileName());
            candidates.append({named.isValid() ? named : file.lastModified(), file.absoluteFilePath()});
        }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    QStringList paths;
    for (const auto& [made, path] : candidates)
        paths.append(path);
    return paths;
}

QString firstSound(const QStringList& copies) {
    for (const QString& path : copies) {
        if (CheckBackup(path))
            return path;
    }
    return QString();
}

// Every copy of the household kept beside it: backups, safety copies, copies kept before an upgrade.
QStringList copiesBeside(const QString& databasePath) {
    const QString databaseFolder = QFileInfo(databasePath).absolutePath();
    const QString homeFolder = QFileInfo(databaseFolder).absolutePath();
    return copiesNewestFirst(
        databasePath, {databaseFolder, DefaultBackupFolder(homeFolder), RememberedBackupFolder(homeFolder)},
        {QStringLiteral("*.mdb")});
}

}  // namespace

QString NewestSafetyCopy(const QString& databasePath) {
    const QString databaseFolder = QFileInfo(databasePath).absolutePath();
    return firstSound(copiesNewestFirst(
        databasePath, {databaseFolder, QDir(databaseFolder).filePath(QStringLiteral("backup"))},
        {QStringLiteral("lomu-恢复前-*.mdb")}));
}

QString NewestSoundCopy(const QString& databasePath) {
    return firstSound(copiesBeside(databasePath));
}

bool OfferSafetyCopy(const QString& databasePath, const QDateTime& now) {
    if (!LooksCutShort(databasePath))
        return true;
    const QStringList copies = copiesBeside(databasePath);
    if (copies.isEmpty())
        return true;
    const QString copy = firstSound(copies);
    if (copy.isEmpty()) {
        Prompt::current().show(
            Captions::kApplication,
            QStringLiteral(
                "数据库文件 %1 是空的或不完整（只有 %2 字节）。旁边有 %3 个备份，程序不会把它当作新帐本；"
                "但这些备份都没有通过完整性检查，无法自动恢复。\n请用 kopira 选择一个备份恢复；"
                "如果确实要从头开始一个新帐本，请先把这个文件移走，再启动 Tamberlo。"
                "帐本没有打开，也没有改动。")
                .arg(QDir::toNativeSeparators(databasePath))
                .arg(QFileInfo(databasePath).size())
                .arg(copies.size()),
            Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return false;
    }
    const QString question =
        QStringLiteral(
            "数据库文件 %1 是空的或不完整（只有 %2 字节），可能是恢复数据时断电、磁盘出错、程序崩溃"
            "或误操作造成的。程序不会把它当作新帐本。\n\n找到的最新的一份完好的副本：\n%3\n\n"
            "选“是”用这份副本恢复帐本%4；"
            "选“否”不打开帐本，也不作任何改动，之后可以用 kopira 恢复别的备份。")
            .arg(QDir::toNativeSeparators(databasePath))
            .arg(QFileInfo(databasePath).size())
            .arg(DescribeBackup(Summarize(copy)),
                 // An empty file holds nothing to keep; a cut-short one is kept as a safety copy.
                 QFileInfo(databasePath).size() > 0 ? QStringLiteral("（不完整的文件另存在备份文件夹中）")
                                                    : QString());
    if (Prompt::current().show(Captions::kApplication, question, Prompt::Buttons::YesNo,
                               Prompt::Icon::Warning) != Prompt::Answer::Yes) {
        return false;
    }
    const QString backupFolder =
        QDir(QFileInfo(databasePath).absolutePath()).filePath(QStringLiteral("backup"));
    const Result<QString> restored = RestoreHoldingLock(databasePath, copy, backupFolder, now);
    if (!restored) {
        ReportError(restored.error());
        return false;
    }
    Notify(QStringLiteral("已用副本 %1 恢复帐本。").arg(QDir::toNativeSeparators(copy)));
    return true;
}

void RemoveLeftovers(const QString& homeFolder, const QDateTime& now, bool holdingLock) {
    const QString databasePath = DatabasePath(homeFolder);
    const QString staging = databasePath + QStringLiteral(".restoring");
    if (QFileInfo::exists(staging)) {
        HouseholdLock lock(databasePath);
        if (holdingLock || lock.tryLock() == HouseholdLock::State::Held)
            QFile::remove(staging);
    }
    // The database folder holds the plain copies an encrypted backup or restore passes through.
    for (const QString& folder : {DefaultBackupFolder(homeFolder), RememberedBackupFolder(homeFolder),
                                  QFileInfo(databasePath).absolutePath()}) {
        for (const QFileInfo& part :
             QDir(folder).entryInfoList({QStringLiteral("lomu-*.part")}, QDir::Files | QDir::Hidden)) {
            if (part.lastModified().secsTo(now) > 3600)
                QFile::remove(part.absoluteFilePath());
        }
    }
}

}  // namespace Kopira

#include "kopira/BackupInfo.h"

#include "data/HomeSafe.h"
#include "data/Statements.h"
#include "kopira/EncryptedBackup.h"
#include "kopira/KopiraStore.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlQuery>

#include <algorithm>

namespace Kopira {

BackupKind KindOfBackup(const QString& fileName) {
    // Only the exact names the program writes are its automatic backups, the ones the rotation removes:
    // a copy the user named after one ("lomu-自动-20261101-080000 - 搬家前留底.mdb") is the user's own.
    static const QRegularExpression automatic(QStringLiteral("^lomu-自动-\\d{8}-\\d{6}\\.mdb(?:\\.tbk)?$"));
    if (automatic.match(fileName).hasMatch() && TimeInName(fileName).isValid())
        return BackupKind::Automatic;
    if (fileName.startsWith(QStringLiteral("lomu-恢复前-")))
        return BackupKind::SafetyCopy;
    if (TimeInName(fileName).isValid())
        return BackupKind::Manual;
    return BackupKind::Other;
}

QDateTime TimeInName(const QString& fileName) {
    static const QRegularExpression stamp(QStringLiteral("(\\d{8}-\\d{6})(?:-\\d+)?\\.mdb(?:\\.tbk)?$"));
    const QRegularExpressionMatch match = stamp.match(fileName);
    if (!match.hasMatch())
        return QDateTime();
    return QDateTime::fromString(match.captured(1), QStringLiteral("yyyyMMdd-HHmmss"));
}

BackupSummary Summarize(const QString& file, bool thorough) {
    const QFileInfo info(file);
    BackupSummary summary;
    summary.path = info.absoluteFilePath();
    summary.kind = KindOfBackup(info.fileName());
    summary.made = TimeInName(info.fileName());
    if (!summary.made.isValid())
        summary.made = info.lastModified();
    summary.size = info.size();
    // What an encrypted backup holds is known once its passphrase is given.
    summary.encrypted = IsEncryptedBackup(file);
    if (summary.encrypted)
        return summary;
    if (Status checked = thorough ? CheckBackup(file) : CheckIdentity(file); !checked) {
        summary.problem = checked.error();
        return summary;
    }
    const Status read = WithConnection(file, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("select count(*) from shouzhibiao")) || !query.next())
            return Status::failure(QStringLiteral("无法读取收支记录"));
        summary.entries = query.value(0).toLongLong();
        // Each half through its index, so a large household is not read row by row.
        if (query.exec(QStringLiteral(
                "select max(d) from (select max(shururiqi) as d from shouzhibiao where leixing='shouru' "
                "union all select max(shururiqi) from shouzhibiao where leixing='zhichu')")) &&
            query.next()) {
            summary.lastEntryDate = query.value(0).toString();
        }
        // Places have a kind and a closing mark from version 4 on, imports are kept from version 5 on,
        // regular entries from version 7 on.
        const int version =
            query.exec(QStringLiteral("PRAGMA user_version")) && query.next() ? query.value(0).toInt() : 0;
        const bool kinds = version >= 4;
        if (version >= 5) {
            if (!query.exec(QStringLiteral("select count(*), coalesce(sum(chexiao), 0) from daorujilu")) ||
                !query.next())
                return Status::failure(QStringLiteral("无法读取导入记录"));
            summary.imports = query.value(0).toLongLong();
            summary.undoneImports = query.value(1).toLongLong();
        }
        if (version >= 7) {
            if (!query.exec(QStringLiteral("select count(*) from dingqishouzhi")) || !query.next())
                return Status::failure(QStringLiteral("无法读取定期收支"));
            summary.regularEntries = query.value(0).toLongLong();
        }
        if (!query.exec(
                kinds ? QStringLiteral("select mingcheng, jine, leibie, guanbi from zhangwubiao order by id")
                      : QStringLiteral("select mingcheng, jine from zhangwubiao order by id")))
            return Status::failure(QStringLiteral("无法读取帐户"));
        while (query.next()) {
            const QString name = query.value(0).toString();
            const Money balance = Money::fromUnits(query.value(1).toLongLong());
            if (name == QString::fromUtf8(Codes::kHomeSafe))
                summary.homeSafe = balance;
            else if (kinds)
                summary.banks.append({name, balance, query.value(2).toString(), query.value(3).toInt() != 0});
            else
                summary.banks.append({name, balance});
        }
        return Status::ok();
    });
    if (!read)
        summary.problem = QStringLiteral("无法读取备份 %1（%2）").arg(file, read.error());
    return summary;
}

QStringList BackupNameFilters() {
    return {QStringLiteral("*.mdb"), QStringLiteral("*.mdb") + EncryptedSuffix()};
}

QList<BackupSummary> ListBackups(const QString& folder) {
    QList<BackupSummary> found;
    const QFileInfoList files =
        QDir(folder).entryInfoList(BackupNameFilters(), QDir::Files | QDir::Readable, QDir::Name);
    for (const QFileInfo& file : files)
        found.append(Summarize(file.absoluteFilePath(), false));
    std::stable_sort(found.begin(), found.end(),
                     [](const BackupSummary& a, const BackupSummary& b) { return a.made > b.made; });
    return found;
}

QString KindText(BackupKind kind) {
    switch (kind) {
        case BackupKind::Manual:
            return QStringLiteral("手动备份");
        case BackupKind::Automatic:
            return QStringLiteral("自动备份");
        case BackupKind::SafetyCopy:
            return QStringLiteral("恢复前的安全副本");
        case BackupKind::Other:
            break;
    }
    return QStringLiteral("其他文件");
}

QString SizeText(qint64 bytes) {
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
    return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

QString DescribeBackup(const BackupSummary& summary) {
    QStringList lines;
    lines << QStringLiteral("备份文件：%1").arg(QDir::toNativeSeparators(summary.path));
    lines << QStringLiteral("备份时间：%1（%2）")
                 .arg(summary.made.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), KindText(summary.kind));
    if (summary.encrypted)
        lines << QStringLiteral("加密：已用口令加密");
    lines << QStringLiteral("收支记录：%1 条，最后一条的日期：%2")
                 .arg(summary.entries)
                 .arg(summary.lastEntryDate.isEmpty() ? QStringLiteral("（没有记录）")
                                                      : summary.lastEntryDate);
    if (summary.imports >= 0) {
        lines << QStringLiteral("导入：%1 次").arg(summary.imports) +
                     (summary.undoneImports > 0
                          ? QStringLiteral("（其中 %1 次已撤销）").arg(summary.undoneImports)
                          : QString());
    }
    // What fell due after the backup was made is listed at the next start for a decision, never
    // entered unasked.
    if (summary.regularEntries >= 0) {
        lines << QStringLiteral("定期收支：%1 条").arg(summary.regularEntries) +
                     (summary.regularEntries > 0
                          ? QStringLiteral("（恢复后，备份之后到期的各笔会在启动时列出，由您决定是否入帐）")
                          : QString());
    }
    lines << QStringLiteral("家庭保险柜余额：%1").arg(summary.homeSafe.format());
    if (summary.banks.isEmpty()) {
        lines << QStringLiteral("银行：（没有）");
    } else {
        QStringList banks;
        bool kinds = false;
        for (const BackupPlace& place : summary.banks) {
            if (place.kind.isEmpty()) {
                banks << QStringLiteral("%1 %2").arg(place.name, place.balance.format());
                continue;
            }
            kinds = true;
            const QString label = PlaceLabel({0, place.name, place.kind, place.closed});
            // A credit card below zero is what the household owes on it.
            if (place.kind == QLatin1String(Codes::kCreditCard) && place.balance.isNegative())
                banks << QStringLiteral("%1欠%2").arg(label,
                                                      Money::fromUnits(-place.balance.units()).format());
            else
                banks << label + place.balance.format();
        }
        lines << (kinds ? QStringLiteral("其他帐户：%1") : QStringLiteral("银行：%1"))
                     .arg(banks.join(QStringLiteral("，")));
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace Kopira

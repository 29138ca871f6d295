#include "data/Upgrade.h"

#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/EngineVariants.h"
#include "data/Schema.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <initializer_list>

namespace {

struct UpgradeStep {
    int version;  // the version a file has once the step has run
    std::initializer_list<const char*> statements;
};

// One step per version after the first, in order. A step must be safe on a file that was created with
// the newest schema's tables (IF NOT EXISTS), as new files are taken through every step too. To add a
// version: append a step here and raise kSchemaVersion to its number.
const UpgradeStep kSteps[] = {
    // 2: the indexes the fixed statements filter by. Files written before some of them existed get them
    // now; the statements then never read every entry.
    {2,
     {
         "CREATE INDEX IF NOT EXISTS shouzhibiao_leixing_riqi ON shouzhibiao (leixing, shururiqi)",
         "CREATE INDEX IF NOT EXISTS shouzhibiao_leixing_mingxi ON shouzhibiao (leixing, mingxi)",
         "CREATE INDEX IF NOT EXISTS quanxiangbiao_yonghuID ON quanxiangbiao (yonghuID)",
         "CREATE INDEX IF NOT EXISTS yzbh_shengfen_diqu ON yzbh (省份, 地区)",
     }},
    // 3: the bin of deleted income and expense entries.
    {3, {kBinTable, kBinIndex}},
};

}  // namespace

Status UpgradeSchema(QSqlDatabase& db, int fromVersion) {
    for (const UpgradeStep& step : kSteps) {
        if (step.version <= fromVersion)
            continue;
        for (const char* statement : step.statements) {
            if (Status s = ExecDefinition(db, statement); !s)
                return s;
        }
    }
    return WriteHouseholdMark(db, kSchemaVersion);
}

Result<QString> KeepSafetyCopy(QSqlDatabase& db, const QString& path, int version) {
    const QFileInfo info(path);
    const QString stem = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
                         QStringLiteral("-v%1").arg(version);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString copy = stem + suffix;
    for (int n = 2; QFileInfo::exists(copy); ++n)
        copy = stem + QStringLiteral("-%1").arg(n) + suffix;

    // The copy holds the household as the file does: it is made readable by its owner only before
    // anything is written into it (VACUUM INTO fills an empty file and keeps its permissions).
    if (Status s = CreatePrivateFile(copy); !s)
        return Result<QString>::failure(
            QStringLiteral("无法在升级前保存数据库的安全副本：%1").arg(s.error()));
    // VACUUM INTO writes the committed state of the whole file, including what still sits in the
    // write-ahead log, which a plain file copy would miss.
    QSqlQuery query(db);
    if (!query.prepare(QStringLiteral("VACUUM INTO :copy")))
        return Result<QString>::failure(DatabaseErrors::Describe(query.lastError()));
    query.bindValue(QStringLiteral(":copy"), copy);
    if (!query.exec()) {
        QFile::remove(copy);
        return Result<QString>::failure(QStringLiteral("无法在升级前保存数据库的安全副本 %1：%2")
                                            .arg(copy, DatabaseErrors::Describe(query.lastError())));
    }
    return copy;
}

QString NewerFileRefusal(const QString& path, int fileVersion, int knownVersion) {
    return QStringLiteral(
               "数据库文件 %1 由较新版本的 Tamberlo 写成（数据版本 %2，本程序只认识到版本 %3）。"
               "请使用较新版本的 Tamberlo 打开它。文件未打开，也未作任何改动。")
        .arg(path)
        .arg(fileVersion)
        .arg(knownVersion);
}

#include "data/Upgrade.h"

#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/EngineVariants.h"
#include "data/Schema.h"
#include "data/SecretUpgrade.h"
#include "data/Statements.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <initializer_list>

namespace {

struct UpgradeStep {
    int version;  // the version a file has once the step has run
    std::initializer_list<const char*> statements;
    Status (*alsoRun)(QSqlDatabase&) = nullptr;  // run after the statements
};

// 4: places of four kinds. Every place so far is a bank card but the home safe, which is the cash; every
// entry, and every entry in the bin, was paid from or into the home safe. Each column comes with a
// constant default, which neither engine writes into the rows: the step takes the same short time at a
// million entries as at ten.
Status addPlaces(QSqlDatabase& db) {
    QSqlQuery safe(db);
    safe.prepare(QStringLiteral("SELECT id FROM zhangwubiao WHERE mingcheng=:name"));
    safe.bindValue(QStringLiteral(":name"), QString::fromUtf8(Codes::kHomeSafe));
    if (!safe.exec())
        return Status::failure(DatabaseErrors::Describe(safe.lastError()));
    if (!safe.next())
        return Status::failure(
            QStringLiteral("表 zhangwubiao 里没有“家庭保险柜”这一行，已有的收支无法记到它上面"));
    const qint64 homeSafe = safe.value(0).toLongLong();
    safe.finish();

    const QString onHomeSafe = QStringLiteral("INTEGER NOT NULL DEFAULT %1").arg(homeSafe);
    const struct {
        const char* table;
        const char* column;
        QString definition;
    } columns[] = {
        {"zhangwubiao", "leibie",
         QStringLiteral("TEXT NOT NULL DEFAULT '%1'").arg(QLatin1String(Codes::kBankCard))},
        {"zhangwubiao", "edu", QStringLiteral("INTEGER NOT NULL DEFAULT 0")},
        {"zhangwubiao", "guanbi", QStringLiteral("INTEGER NOT NULL DEFAULT 0")},
        {"shouzhibiao", "zhanghu", onHomeSafe},
        {"huishouzhan", "zhanghu", onHomeSafe},
        {"yinghanbiao", "zhuanchu", QStringLiteral("TEXT")},
        {"yinghanbiao", "shouxufei", QStringLiteral("INTEGER NOT NULL DEFAULT 0")},
    };
    for (const auto& column : columns) {
        if (Status s = AddColumnIfMissing(db, column.table, column.column, column.definition); !s)
            return s;
    }
    QSqlQuery cash(db);
    cash.prepare(QStringLiteral("UPDATE zhangwubiao SET leibie=:cash, edu=0 WHERE id=:id"));
    cash.bindValue(QStringLiteral(":cash"), QString::fromLatin1(Codes::kCash));
    cash.bindValue(QStringLiteral(":id"), homeSafe);
    if (!cash.exec())
        return Status::failure(DatabaseErrors::Describe(cash.lastError()));
    return Status::ok();
}

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
    // 4: the kind, credit limit and closing of places; the place of every entry; the transfer's paying
    // place and fee in the records.
    {4, {}, addPlaces},
    // 5: what bill imports keep: each import, the key of every line imported (unique per source and
    // place, so that no line is ever counted twice, also when two computers import at once), the rules
    // that suggest a 明细, the place each payment method of a bill stands for, the saved column mappings.
    {5,
     {
         "CREATE TABLE IF NOT EXISTS daorujilu (id INTEGER PRIMARY KEY, shijian TEXT NOT NULL, wenjian TEXT, "
         "laiyuan TEXT NOT NULL, hangshu INTEGER NOT NULL DEFAULT 0, caozuoren TEXT, chexiao INTEGER NOT "
         "NULL "
         "DEFAULT 0)",
         "CREATE TABLE IF NOT EXISTS zhangdanhao (id INTEGER PRIMARY KEY, laiyuan TEXT NOT NULL, zhanghu "
         "INTEGER NOT NULL, jiaoyihao TEXT NOT NULL, shouzhi INTEGER, yinghan INTEGER, chuangjian INTEGER "
         "NOT "
         "NULL DEFAULT 1, daoru INTEGER NOT NULL, riqi TEXT, jine INTEGER)",
         "CREATE UNIQUE INDEX IF NOT EXISTS zhangdanhao_laiyuan_zhanghu_jiaoyihao ON zhangdanhao (laiyuan, "
         "zhanghu, jiaoyihao)",
         "CREATE INDEX IF NOT EXISTS zhangdanhao_shouzhi ON zhangdanhao (shouzhi)",
         "CREATE INDEX IF NOT EXISTS zhangdanhao_daoru ON zhangdanhao (daoru)",
         "CREATE TABLE IF NOT EXISTS mingxiguize (id INTEGER PRIMARY KEY, guanjianci TEXT NOT NULL, leixing "
         "TEXT NOT NULL, mingxi TEXT NOT NULL)",
         "CREATE UNIQUE INDEX IF NOT EXISTS mingxiguize_guanjianci_leixing ON mingxiguize (guanjianci, "
         "leixing)",
         "CREATE TABLE IF NOT EXISTS zhifufangshi (id INTEGER PRIMARY KEY, laiyuan TEXT NOT NULL, fangshi "
         "TEXT "
         "NOT NULL, zhanghu INTEGER NOT NULL)",
         "CREATE UNIQUE INDEX IF NOT EXISTS zhifufangshi_laiyuan_fangshi ON zhifufangshi (laiyuan, fangshi)",
         "CREATE TABLE IF NOT EXISTS lieyingshe (id INTEGER PRIMARY KEY, mingcheng TEXT NOT NULL UNIQUE, "
         "peizhi TEXT NOT NULL)",
     }},
    // 6: no password kept as plain text: login passwords become Argon2id hashes, every user gets a key
    // pair, the bank passwords are encrypted under a household key sealed to the users who may read them.
    {kSecretsHiddenVersion, {}, HidePlainSecrets},
    // 7: plans. Regular entries: what each enters (type, 明细, amount, place, remark), how it repeats (every
    // jiange days, weeks, months or years, on day ri of the month; from kaishi to jieshu or cishu times),
    // whether it enters itself, and the last date done (yizuo), moved in the transaction of the entry it
    // makes. Monthly budgets per expense 明细 or for the whole month's spending ('' as 明细), the amounts
    // of single months that differ from the usual one, and the budget alerts already said. The index gives
    // one 明细's spending over any months without reading the others' (about 1 s at 10^6 entries, once); it
    // starts with the 明细 so that the totals per 明细 of a period keep reading only that period.
    {7,
     {
         "CREATE TABLE IF NOT EXISTS dingqishouzhi (id INTEGER PRIMARY KEY, leixing TEXT NOT NULL, mingxi "
         "TEXT NOT NULL, jine INTEGER NOT NULL, zhanghu INTEGER NOT NULL, beizhu TEXT, jiange INTEGER NOT "
         "NULL, danwei TEXT NOT NULL, ri INTEGER NOT NULL DEFAULT 0, kaishi TEXT NOT NULL, jieshu TEXT, "
         "cishu INTEGER, zidong INTEGER NOT NULL DEFAULT 0, yizuo TEXT)",
         "CREATE INDEX IF NOT EXISTS shouzhibiao_mingxi_leixing_riqi_feiyong "
         "ON shouzhibiao (mingxi, leixing, shururiqi, feiyong)",
         "CREATE TABLE IF NOT EXISTS yusuan (id INTEGER PRIMARY KEY, mingxi TEXT NOT NULL, "
         "meiyue INTEGER, jiezhuan INTEGER NOT NULL DEFAULT 0, qishi TEXT NOT NULL)",
         "CREATE UNIQUE INDEX IF NOT EXISTS yusuan_mingxi ON yusuan (mingxi)",
         "CREATE TABLE IF NOT EXISTS yusuanyue (id INTEGER PRIMARY KEY, yusuan INTEGER NOT NULL, "
         "yuefen TEXT NOT NULL, jine INTEGER NOT NULL)",
         "CREATE UNIQUE INDEX IF NOT EXISTS yusuanyue_yusuan_yuefen ON yusuanyue (yusuan, yuefen)",
         "CREATE TABLE IF NOT EXISTS yusuan_tixing (id INTEGER PRIMARY KEY, mingxi TEXT NOT NULL, "
         "yuefen TEXT NOT NULL, jibie INTEGER NOT NULL)",
         "CREATE UNIQUE INDEX IF NOT EXISTS yusuan_tixing_mingxi_yuefen_jibie "
         "ON yusuan_tixing (mingxi, yuefen, jibie)",
     }},
};

}  // namespace

Result<bool> HasColumn(QSqlDatabase& db, const char* table, const char* column) {
    QSqlQuery query(db);
    const bool prepared = query.prepare(
        EngineOf(db) == Engine::File
            ? QStringLiteral("SELECT count(*) FROM pragma_table_info(:t) WHERE name=:c")
            : QStringLiteral(
                  "SELECT count(*) FROM information_schema.columns WHERE table_schema=current_schema() "
                  "AND table_name=:t AND column_name=:c"));
    if (!prepared)
        return Result<bool>::failure(DatabaseErrors::Describe(query.lastError()));
    query.bindValue(QStringLiteral(":t"), QString::fromUtf8(table));
    query.bindValue(QStringLiteral(":c"), QString::fromUtf8(column));
    if (!query.exec() || !query.next())
        return Result<bool>::failure(DatabaseErrors::Describe(query.lastError()));
    return query.value(0).toInt() > 0;
}

Status AddColumnIfMissing(QSqlDatabase& db, const char* table, const char* column,
                          const QString& definition) {
    const Result<bool> present = HasColumn(db, table, column);
    if (!present || present.value())
        return present.status();
    const QByteArray statement = QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                                     .arg(QString::fromUtf8(table), QString::fromUtf8(column), definition)
                                     .toUtf8();
    return ExecDefinition(db, statement.constData());
}

Status UpgradeSchema(QSqlDatabase& db, int fromVersion) {
    for (const UpgradeStep& step : kSteps) {
        if (step.version <= fromVersion)
            continue;
        for (const char* statement : step.statements) {
            if (Status s = ExecDefinition(db, statement); !s)
                return s;
        }
        if (step.alsoRun) {
            if (Status s = step.alsoRun(db); !s)
                return s;
        }
    }
    if (Status s = EnsurePlaceListIndex(db); !s)
        return s;
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

#include "data/Schema.h"

#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/EngineVariants.h"
#include "data/PostalRows.h"
#include "data/Statements.h"
#include "data/Upgrade.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

#include <initializer_list>
#include <utility>

// The bin: an income or expense entry as it stood when it was deleted, who deleted it (shanchuren) and
// when (shanchushijian, "yyyy-MM-dd HH:mm:ss"). Deleting an entry writes its row here in the same
// transaction; restoring saves it back as a new entry. The index serves the newest-first list and the
// removal of entries deleted more than a year ago.
const char kBinTable[] =
    "CREATE TABLE IF NOT EXISTS huishouzhan (id INTEGER PRIMARY KEY, leixing TEXT NOT NULL, mingxi TEXT, "
    "feiyong INTEGER, shururiqi TEXT, dengjiren TEXT, beizhu TEXT, shanchuren TEXT, shanchushijian TEXT "
    "NOT NULL)";
const char kBinIndex[] =
    "CREATE INDEX IF NOT EXISTS huishouzhan_shanchushijian ON huishouzhan (shanchushijian)";

namespace {

const char kPeriodTotalsIndex[] =
    "CREATE INDEX shouzhibiao_riqi_feiyong_leixing ON shouzhibiao (shururiqi, feiyong, leixing)";
const char kDetailTotalsIndex[] =
    "CREATE INDEX shouzhibiao_leixing_riqi_mingxi_feiyong ON shouzhibiao (leixing, shururiqi, mingxi, "
    "feiyong)";
const char kDetailsIndex[] = "CREATE INDEX shouzhibiao_leixing_mingxi ON shouzhibiao (leixing, mingxi)";
// 全部 limited to one place, in the order of the details: without it each page of a place holding few of
// the entries would walk the entries of every place.
const char kPlaceListIndex[] =
    "CREATE INDEX shouzhibiao_zhanghu_leixing_mingxi ON shouzhibiao (zhanghu, leixing, mingxi)";
// A list sorted by its amounts (a click on 金额) reads them in order from this one, as it reads the dates
// from (leixing, shururiqi) and the details from (leixing, mingxi).
const char kAmountListIndex[] = "CREATE INDEX shouzhibiao_leixing_feiyong ON shouzhibiao (leixing, feiyong)";
// The records window sorted by date or amount streams its rows from these instead of sorting every record
// before showing the first.
const char kRecordDateIndex[] = "CREATE INDEX yinghanbiao_riqi ON yinghanbiao (riqi)";
const char kRecordAmountIndex[] = "CREATE INDEX yinghanbiao_jine ON yinghanbiao (jine)";

// Money columns hold ten-thousandths of a yuan as integers, dates the text yyyy-MM-dd.
const char* const kTables[] = {
    "CREATE TABLE shouzhibiao (id INTEGER PRIMARY KEY, leixing TEXT NOT NULL, mingxi TEXT, feiyong INTEGER, "
    "shururiqi TEXT, dengjiren TEXT, beizhu TEXT)",
    // The summary reads its totals from these two alone, never from the rows.
    kPeriodTotalsIndex,
    kDetailTotalsIndex,
    // Today's lists come in the order of entry within the day through the first, 全部 in the order of
    // the details through the second. Made after the summary's indexes, these are the ones the engine
    // picks for the lists when two would serve as well.
    "CREATE INDEX shouzhibiao_leixing_riqi ON shouzhibiao (leixing, shururiqi)",
    // The detail choices filled at start are read from this index alone, not from every entry.
    kDetailsIndex,
    "CREATE TABLE zhangwubiao (id INTEGER PRIMARY KEY, mingcheng TEXT NOT NULL UNIQUE, yonghuming TEXT, "
    "zhanghao TEXT, mima TEXT, jine INTEGER DEFAULT 0)",
    "CREATE TABLE yinghanbiao (id INTEGER PRIMARY KEY, mingcheng TEXT, jine INTEGER, leixing TEXT, riqi "
    "TEXT, "
    "caozuoren TEXT)",
    "CREATE TABLE tixing (id INTEGER PRIMARY KEY, riqi TEXT, fanwei TEXT, neirong TEXT)",
    "CREATE TABLE quanxiangbiao (id INTEGER PRIMARY KEY, yonghuID TEXT COLLATE NOCASE, xingming TEXT, "
    "mima TEXT COLLATE NOCASE, quangxian TEXT)",
    "CREATE INDEX quanxiangbiao_yonghuID ON quanxiangbiao (yonghuID)",
    "CREATE TABLE yzbh (id INTEGER PRIMARY KEY, 省份 TEXT, 地区 TEXT, 区号 TEXT, 邮编 TEXT)",
    "CREATE INDEX yzbh_shengfen_diqu ON yzbh (省份, 地区)",
    kBinTable,
    kBinIndex,
};

// The columns every household has had since the first version; the bin's came with version 3, the
// places' kinds and every entry's place with version 4, the bill imports' tables with version 5.
struct TableColumns {
    const char* table;
    int since;
    std::initializer_list<const char*> columns;
};
const TableColumns kColumns[] = {
    {"shouzhibiao", 1, {"id", "leixing", "mingxi", "feiyong", "shururiqi", "dengjiren", "beizhu"}},
    {"zhangwubiao", 1, {"id", "mingcheng", "yonghuming", "zhanghao", "mima", "jine"}},
    {"yinghanbiao", 1, {"id", "mingcheng", "jine", "leixing", "riqi", "caozuoren"}},
    {"tixing", 1, {"id", "riqi", "fanwei", "neirong"}},
    {"quanxiangbiao", 1, {"id", "yonghuID", "xingming", "mima", "quangxian"}},
    {"yzbh", 1, {"id", "省份", "地区", "区号", "邮编"}},
    {"huishouzhan",
     3,
     {"id", "leixing", "mingxi", "feiyong", "shururiqi", "dengjiren", "beizhu", "shanchuren",
      "shanchushijian"}},
    {"zhangwubiao", 4, {"leibie", "edu", "guanbi"}},
    {"shouzhibiao", 4, {"zhanghu"}},
    {"huishouzhan", 4, {"zhanghu"}},
    {"yinghanbiao", 4, {"zhuanchu", "shouxufei"}},
    {"daorujilu", 5, {"id", "shijian", "wenjian", "laiyuan", "hangshu", "caozuoren", "chexiao"}},
    {"zhangdanhao",
     5,
     {"id", "laiyuan", "zhanghu", "jiaoyihao", "shouzhi", "yinghan", "chuangjian", "daoru", "riqi", "jine"}},
    {"mingxiguize", 5, {"id", "guanjianci", "leixing", "mingxi"}},
    {"zhifufangshi", 5, {"id", "laiyuan", "fangshi", "zhanghu"}},
    {"lieyingshe", 5, {"id", "mingcheng", "peizhi"}},
    {"quanxiangbiao", 6, {"mimasanlie", "gongyao", "siyao", "jiayao"}},
    {"zhangwubiao", 6, {"mimami"}},
    {"dingqishouzhi",
     7,
     {"id", "leixing", "mingxi", "jine", "zhanghu", "beizhu", "jiange", "danwei", "ri", "kaishi", "jieshu",
      "cishu", "zidong", "yizuo"}},
    {"yusuan", 7, {"id", "mingxi", "meiyue", "jiezhuan", "qishi"}},
    {"yusuanyue", 7, {"id", "yusuan", "yuefen", "jine"}},
    {"yusuan_tixing", 7, {"id", "mingxi", "yuefen", "jibie"}},
};

}  // namespace

Status CheckHouseholdShape(QSqlDatabase& db, int version) {
    for (const TableColumns& table : kColumns) {
        if (table.since > version)
            continue;
        const QString name = QString::fromUtf8(table.table);
        QSqlQuery info(db);
        if (!info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(name)))
            return Status::failure(DatabaseErrors::Describe(info.lastError()));
        QStringList present;
        while (info.next())
            present.append(info.value(1).toString());
        if (present.isEmpty())
            return Status::failure(QStringLiteral("没有表 %1").arg(name));
        for (const char* column : table.columns) {
            if (!present.contains(QString::fromUtf8(column), Qt::CaseInsensitive))
                return Status::failure(
                    QStringLiteral("表 %1 缺少列 %2").arg(name, QString::fromUtf8(column)));
        }
    }
    QSqlQuery safe(db);
    safe.prepare(
        QStringLiteral("select count(*) from zhangwubiao where mingcheng = :name and jine is not null"));
    safe.bindValue(QStringLiteral(":name"), QString::fromUtf8(Codes::kHomeSafe));
    if (!safe.exec() || !safe.next())
        return Status::failure(DatabaseErrors::Describe(safe.lastError()));
    if (safe.value(0).toInt() != 1)
        return Status::failure(QStringLiteral("表 zhangwubiao 里没有“家庭保险柜”这一行，或它没有余额"));
    return Status::ok();
}

namespace {

Result<int> fileIndexesNamed(QSqlDatabase& db, const QString& names) {
    QSqlQuery present(db);
    if (!present.exec(QStringLiteral("select count(*) from sqlite_master where type='index' and name in (%1)")
                          .arg(names)) ||
        !present.next()) {
        return Result<int>::failure(DatabaseErrors::Describe(present.lastError()));
    }
    return present.value(0).toInt();
}

const QString kSummaryIndexNames =
    QStringLiteral("'shouzhibiao_riqi_feiyong_leixing', 'shouzhibiao_leixing_riqi_mingxi_feiyong'");
const QString kPlaceListIndexName = QStringLiteral("'shouzhibiao_zhanghu_leixing_mingxi'");
const QString kAmountListIndexName = QStringLiteral("'shouzhibiao_leixing_feiyong'");
const QString kRecordDateIndexName = QStringLiteral("'yinghanbiao_riqi'");
const QString kRecordAmountIndexName = QStringLiteral("'yinghanbiao_jine'");

// Makes an index of the lists unless it is there; it only speeds up reading.
Status ensureIndex(QSqlDatabase& db, const QString& name, const char* definition) {
    QSqlQuery present(db);
    // Looked up first: on the server a definition that exists already would still wait for the table.
    if (!present.exec(
            EngineOf(db) == Engine::File
                ? QStringLiteral("select count(*) from sqlite_master where type='index' and name=%1")
                      .arg(name)
                : QStringLiteral("select count(*) from pg_indexes where schemaname=current_schema() "
                                 "and indexname=%1")
                      .arg(name)) ||
        !present.next()) {
        return Status::failure(DatabaseErrors::Describe(present.lastError()));
    }
    if (present.value(0).toInt() > 0)
        return Status::ok();
    present.finish();
    return ExecDefinition(db, definition);
}

}  // namespace

Result<bool> SummaryIndexesPresent(QSqlDatabase& db) {
    const Result<int> present =
        fileIndexesNamed(db, QStringList{kSummaryIndexNames, kPlaceListIndexName, kAmountListIndexName,
                                         kRecordDateIndexName, kRecordAmountIndexName}
                                 .join(QStringLiteral(", ")));
    if (!present)
        return present.status();
    return present.value() == 6;
}

Status EnsurePlaceListIndex(QSqlDatabase& db) {
    const Result<int> amounts = EngineOf(db) == Engine::File ? fileIndexesNamed(db, kAmountListIndexName) : 1;
    if (!amounts)
        return amounts.status();
    for (const auto& [name, definition] :
         {std::pair{kPlaceListIndexName, kPlaceListIndex}, std::pair{kAmountListIndexName, kAmountListIndex},
          std::pair{kRecordDateIndexName, kRecordDateIndex},
          std::pair{kRecordAmountIndexName, kRecordAmountIndex}}) {
        if (Status s = ensureIndex(db, name, definition); !s)
            return s;
    }
    // Of two indexes that serve a statement as well, the file's engine takes the one made last: the detail
    // index is made again after the amounts' one, so that 全部 read without an order keeps its order by
    // detail.
    if (amounts.value() == 0) {
        for (const char* statement : {"DROP INDEX IF EXISTS shouzhibiao_leixing_mingxi", kDetailsIndex}) {
            if (Status s = Exec(db, QString::fromUtf8(statement)); !s)
                return s;
        }
    }
    return Status::ok();
}

Status EnsureSummaryIndexes(QSqlDatabase& db) {
    const Result<bool> present = SummaryIndexesPresent(db);
    if (!present || present.value())
        return present.status();
    const Result<int> summary = fileIndexesNamed(db, kSummaryIndexNames);
    if (!summary)
        return summary.status();
    if (summary.value() == 2)
        return EnsurePlaceListIndex(db);
    // The detail index is made again after the summary's, so that 全部 keeps its order by detail; the
    // date index of the first households serves nothing any more.
    for (const char* statement :
         {"DROP INDEX IF EXISTS shouzhibiao_riqi_feiyong_leixing",
          "DROP INDEX IF EXISTS shouzhibiao_leixing_riqi_mingxi_feiyong", kPeriodTotalsIndex,
          kDetailTotalsIndex, "DROP INDEX IF EXISTS shouzhibiao_leixing_mingxi", kDetailsIndex,
          "DROP INDEX IF EXISTS shouzhibiao_riqi"}) {
        if (Status s = Exec(db, QString::fromUtf8(statement)); !s)
            return s;
    }
    return EnsurePlaceListIndex(db);
}

Status Exec(QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    if (!query.exec(statement))
        return Status::failure(DatabaseErrors::Describe(query.lastError()));
    return Status::ok();
}

Status CreateSchema(QSqlDatabase& db) {
    for (const char* statement : kTables) {
        if (Status s = ExecDefinition(db, statement); !s)
            return s;
    }

    QSqlQuery safe(db);
    safe.prepare(QStringLiteral("INSERT INTO zhangwubiao (mingcheng, jine) VALUES (:name, 0)"));
    safe.bindValue(QStringLiteral(":name"), QString::fromUtf8(Codes::kHomeSafe));
    if (!safe.exec())
        return Status::failure(DatabaseErrors::Describe(safe.lastError()));

    QSqlQuery user(db);
    user.prepare(QStringLiteral(
        "INSERT INTO quanxiangbiao (yonghuID, xingming, mima, quangxian) VALUES (:id, :name, :pw, "
        ":rights)"));
    user.bindValue(QStringLiteral(":id"), QString::fromUtf8(InitialUser::kId));
    user.bindValue(QStringLiteral(":name"), QString::fromUtf8(InitialUser::kName));
    user.bindValue(QStringLiteral(":pw"), QString::fromUtf8(InitialUser::kPassword));
    user.bindValue(QStringLiteral(":rights"), QString::fromUtf8(InitialUser::kRights));
    if (!user.exec())
        return Status::failure(DatabaseErrors::Describe(user.lastError()));

    if (Status s = LoadPostalRows(db); !s)
        return s;

    return WriteHouseholdMark(db, kFirstSchemaVersion);
}

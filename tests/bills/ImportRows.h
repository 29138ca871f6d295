#pragma once

// The rows an import leaves behind, written directly as CommitImport writes them: the import's row in
// daorujilu, each entry or transfer record it made, and the key of each line in zhangdanhao.
#include "support/TestHousehold.h"

#include <QString>

struct ImportRows {
    TestHousehold& th;
    qint64 import = 0;

    ImportRows(TestHousehold& household, const QString& file, const QString& source, const QString& when,
               int added)
        : th(household) {
        th.exec(QStringLiteral("insert into daorujilu (shijian,wenjian,laiyuan,hangshu,caozuoren) values "
                               "('%1','%2','%3',%4,'管理员')")
                    .arg(when, file, source)
                    .arg(added));
        import = lastId("daorujilu");
    }

    qint64 lastId(const char* table) {
        return th.scalar(QStringLiteral("select max(id) from %1").arg(QLatin1String(table))).toLongLong();
    }

    // An entry of `units` on `place` and its key; `made` false for a line matched to an existing entry.
    qint64 entry(const char* type, const QString& detail, qint64 units, qint64 place) {
        th.exec(QStringLiteral("insert into shouzhibiao (leixing,mingxi,feiyong,shururiqi,dengjiren,beizhu,"
                               "zhanghu) values ('%1','%2',%3,'2007-01-10','管理员','',%4)")
                    .arg(QLatin1String(type), detail)
                    .arg(units)
                    .arg(place));
        const qint64 id = lastId("shouzhibiao");
        key(id, 0, true);
        return id;
    }

    // A transfer record from one place to another, with its fee entry when `feeEntry` is not 0.
    qint64 transfer(const QString& from, const QString& to, qint64 units, qint64 feeEntry) {
        th.exec(QStringLiteral("insert into yinghanbiao (mingcheng,zhuanchu,jine,shouxufei,leixing,riqi,"
                               "caozuoren) values ('%1','%2',%3,0,'zhuanzhang','2007-01-10','管理员')")
                    .arg(to, from)
                    .arg(units));
        const qint64 id = lastId("yinghanbiao");
        key(feeEntry, id, true);
        return id;
    }

    void key(qint64 entry, qint64 record, bool made) {
        ++keys;
        th.exec(
            QStringLiteral("insert into zhangdanhao (laiyuan,zhanghu,jiaoyihao,shouzhi,yinghan,chuangjian,"
                           "daoru) values ('zhifubao',1,'%1-%2',%3,%4,%5,%6)")
                .arg(import)
                .arg(keys)
                .arg(entry != 0 ? QString::number(entry) : QStringLiteral("NULL"),
                     record != 0 ? QString::number(record) : QStringLiteral("NULL"))
                .arg(made ? 1 : 0)
                .arg(import));
    }

    int keys = 0;
};

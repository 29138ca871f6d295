#include "data/HouseholdCopy.h"

#include "data/EngineVariants.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariantList>

namespace {

// The household's tables, each copied whole in the order of its keys.
const char* const kHouseholdTables[] = {"shouzhibiao",   "zhangwubiao", "yinghanbiao",  "tixing",
                                        "quanxiangbiao", "yzbh",        "huishouzhan",  "daorujilu",
                                        "zhangdanhao",   "mingxiguize", "zhifufangshi", "lieyingshe",
                                        "yusuan",        "yusuanyue",   "yusuan_tixing", "dingqishouzhi"};

// Rows per insert: on the server many, to save round trips (well under its limit on bound values); on
// the file few, as its driver looks each bound value up among all of the statement's, which grows with
// their number.
int rowsPerInsert(const QSqlDatabase& to) {
    return EngineOf(to) == Engine::Server ? 400 : 16;
}

Status fail(const QString& table, const QSqlError& error) {
    return Status::failure(QStringLiteral("复制数据表 %1 时出错：%2").arg(table, error.text()));
}

Status insertRows(QSqlDatabase& to, const QString& table, const QStringList& columns,
                  const QVariantList& values, int rows) {
    const QString one = QLatin1Char('(') +
                        QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')) +
                        QLatin1Char(')');
    QSqlQuery insert(to);
    if (!insert.prepare(
            QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                .arg(table, columns.join(QLatin1Char(',')), QStringList(rows, one).join(QLatin1Char(',')))))
        return fail(table, insert.lastError());
    for (int i = 0; i < values.size(); ++i)
        insert.bindValue(i, values[i]);
    if (!insert.exec())
        return fail(table, insert.lastError());
    return Status::ok();
}

Status copyTable(QSqlDatabase& from, QSqlDatabase& to, const QString& table) {
    QSqlQuery read(from);
    read.setForwardOnly(true);
    if (!read.exec(QStringLiteral("SELECT * FROM %1 ORDER BY id").arg(table)))
        return fail(table, read.lastError());
    const QSqlRecord record = read.record();
    QStringList columns;
    for (int i = 0; i < record.count(); ++i)
        columns.append(record.fieldName(i).toLower());

    QSqlQuery clear(to);
    if (!clear.exec(QStringLiteral("DELETE FROM %1").arg(table)))
        return fail(table, clear.lastError());
    QVariantList values;
    int rows = 0;
    while (read.next()) {
        for (int i = 0; i < record.count(); ++i) {
            const QVariant value = read.value(i);
            // A null keeps its null; every other value goes across as text or a 64-bit integer.
            values.append(value.isNull() || value.typeId() == QMetaType::QString
                              ? value
                              : QVariant(value.toLongLong()));
        }
        if (++rows == rowsPerInsert(to)) {
            if (Status s = insertRows(to, table, columns, values, rows); !s)
                return s;
            values.clear();
            rows = 0;
        }
    }
    if (read.lastError().isValid())
        return fail(table, read.lastError());
    if (rows > 0) {
        if (Status s = insertRows(to, table, columns, values, rows); !s)
            return s;
    }
    if (EngineOf(to) == Engine::Server) {
        QSqlQuery numbering(to);
        if (!numbering.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'id'), "
                                           "coalesce(max(id), 0) + 1, false) FROM %1")
                                .arg(table)))
            return fail(table, numbering.lastError());
    }
    return Status::ok();
}

}  // namespace

Status CopyHouseholdRows(QSqlDatabase from, QSqlDatabase to) {
    const Result<HouseholdMark> source = ReadHouseholdMark(from);
    if (!source)
        return source.status();
    const Result<HouseholdMark> target = ReadHouseholdMark(to);
    if (!target)
        return target.status();
    if (source->applicationId != target->applicationId || source->schemaVersion != target->schemaVersion) {
        return Status::failure(QStringLiteral("两个帐本的数据版本不同（%1 与 %2），没有复制。")
                                   .arg(source->schemaVersion)
                                   .arg(target->schemaVersion));
    }
    for (const char* table : kHouseholdTables) {
        if (Status s = copyTable(from, to, QString::fromLatin1(table)); !s)
            return s;
    }
    return Status::ok();
}

#include "data/PostalRows.h"

#include "data/DatabaseErrors.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

// The rows are compiled into the library; a static library needs its resources named once.
static void initPostalResources() {
    Q_INIT_RESOURCE(postal);
}

Result<QList<PostalRow>> ParsePostalRows(const QString& text) {
    QList<PostalRow> rows;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() != 4)
            return Result<QList<PostalRow>>::failure(
                QStringLiteral("邮政编码数据第 %1 行不是四栏").arg(i + 1));
        rows.append({fields[0].trimmed(), fields[1].trimmed(), fields[2].trimmed(), fields[3].trimmed()});
    }
    return rows;
}

Result<QList<PostalRow>> BuiltInPostalRows() {
    initPostalResources();
    QFile file(QStringLiteral(":/postal/yzbh.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return Result<QList<PostalRow>>::failure(QStringLiteral("找不到邮政编码数据"));
    return ParsePostalRows(QString::fromUtf8(file.readAll()));
}

Status LoadPostalRows(QSqlDatabase& db) {
    const Result<QList<PostalRow>> rows = BuiltInPostalRows();
    if (!rows)
        return rows.status();
    QSqlQuery insert(db);
    if (!insert.prepare(QStringLiteral("INSERT INTO yzbh (省份, 地区, 区号, 邮编) VALUES (?, ?, ?, ?)")))
        return Status::failure(DatabaseErrors::Describe(insert.lastError()));
    for (const PostalRow& row : rows.value()) {
        insert.bindValue(0, row.province);
        insert.bindValue(1, row.region);
        insert.bindValue(2, row.areaCode);
        insert.bindValue(3, row.postCode);
        if (!insert.exec())
            return Status::failure(DatabaseErrors::Describe(insert.lastError()));
    }
    return Status::ok();
}

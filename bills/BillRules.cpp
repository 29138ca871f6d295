#include "bills/BillRules.h"

#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/Statements.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace {

Status failed(const QSqlQuery& query) {
    return Status::failure(DatabaseErrors::Describe(query.lastError()));
}

// The mapping's fields under the names its stored text uses.
struct MappingField {
    const char* key;
    QString ColumnMapping::*field;
};
const MappingField kMappingFields[] = {
    {"date", &ColumnMapping::date},
    {"amount", &ColumnMapping::amount},
    {"income", &ColumnMapping::income},
    {"expense", &ColumnMapping::expense},
    {"description", &ColumnMapping::description},
    {"counterparty", &ColumnMapping::counterparty},
    {"number", &ColumnMapping::number},
};

}  // namespace

Result<QList<DetailRule>> ReadRules(QSqlDatabase db) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT id,guanjianci,leixing,mingxi FROM mingxiguize ORDER BY id")))
        return failed(query);
    QList<DetailRule> rules;
    while (query.next()) {
        rules.append({query.value(0).toLongLong(), query.value(1).toString(),
                      query.value(2).toString() == QLatin1String(Codes::kIncome) ? EntryType::Income
                                                                                 : EntryType::Expense,
                      query.value(3).toString()});
    }
    if (query.lastError().isValid())
        return failed(query);
    std::stable_sort(rules.begin(), rules.end(), [](const DetailRule& a, const DetailRule& b) {
        return a.keyword.size() > b.keyword.size();
    });
    return rules;
}

QString DetailByRules(const QList<DetailRule>& rules, EntryType type, const QString& counterparty,
                      const QString& description) {
    for (const DetailRule& rule : rules) {
        if (rule.type == type && (counterparty.contains(rule.keyword, Qt::CaseInsensitive) ||
                                  description.contains(rule.keyword, Qt::CaseInsensitive)))
            return rule.detail;
    }
    return {};
}

Result<qint64> SaveRule(Database& database, const DetailRule& rule) {
    const QString keyword = rule.keyword.trimmed();
    const QString detail = rule.detail.trimmed();
    if (keyword.isEmpty())
        return Result<qint64>::failure(
            QStringLiteral("请填写关键词：帐单的交易对方或商品说明里含有它时，才用这条规则。"));
    if (detail.isEmpty())
        return Result<qint64>::failure(QStringLiteral("请填写这条规则给出的明细，例如“餐饮”。"));
    qint64 id = rule.id;
    const Status written = database.transaction([&]() -> Status {
        QSqlDatabase db = database.connection();
        QSqlQuery same(db);
        same.prepare(
            QStringLiteral("SELECT count(*) FROM mingxiguize WHERE guanjianci=:guanjianci AND "
                           "leixing=:leixing AND id<>:id"));
        same.bindValue(QStringLiteral(":guanjianci"), keyword);
        same.bindValue(QStringLiteral(":leixing"), EntryTypeCode(rule.type));
        same.bindValue(QStringLiteral(":id"), rule.id);
        if (!same.exec() || !same.next())
            return failed(same);
        if (same.value(0).toLongLong() > 0) {
            return Status::failure(QStringLiteral("关键词“%1”已有一条%2规则，请修改那一条，或换一个关键词。")
                                       .arg(keyword, rule.type == EntryType::Income
                                                         ? QStringLiteral("收入")
                                                         : QStringLiteral("支出")));
        }
        QSqlQuery write(db);
        write.prepare(rule.id == 0
                          ? QStringLiteral("INSERT INTO mingxiguize (guanjianci,leixing,mingxi) VALUES "
                                           "(:guanjianci,:leixing,:mingxi)")
                          : QStringLiteral("UPDATE mingxiguize SET guanjianci=:guanjianci,"
                                           "leixing=:leixing,mingxi=:mingxi WHERE id=:id"));
        write.bindValue(QStringLiteral(":guanjianci"), keyword);
        write.bindValue(QStringLiteral(":leixing"), EntryTypeCode(rule.type));
        write.bindValue(QStringLiteral(":mingxi"), detail);
        if (rule.id != 0)
            write.bindValue(QStringLiteral(":id"), rule.id);
        if (!write.exec())
            return failed(write);
        if (rule.id == 0) {
            id = write.lastInsertId().toLongLong();
        } else if (write.numRowsAffected() != 1) {
            return Status::failure(
                QStringLiteral("这条规则已被删除（可能是在另一台电脑上删的），修改没有保存。"));
        }
        return Status::ok();
    });
    if (!written)
        return written;
    return id;
}

Status DeleteRule(Database& database, qint64 id) {
    return database.transaction([&]() -> Status {
        QSqlQuery remove(database.connection());
        remove.prepare(QStringLiteral("DELETE FROM mingxiguize WHERE id=:id"));
        remove.bindValue(QStringLiteral(":id"), id);
        return remove.exec() ? Status::ok() : failed(remove);
    });
}

Result<QList<ColumnMapping>> ReadMappings(QSqlDatabase db) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT mingcheng,peizhi FROM lieyingshe ORDER BY mingcheng")))
        return failed(query);
    QList<ColumnMapping> mappings;
    while (query.next()) {
        const QJsonObject stored = QJsonDocument::fromJson(query.value(1).toString().toUtf8()).object();
        ColumnMapping mapping;
        mapping.name = query.value(0).toString();
        mapping.headerLine = stored.value(QStringLiteral("headerLine")).toInt();
        for (const MappingField& field : kMappingFields)
            mapping.*field.field = stored.value(QLatin1String(field.key)).toString();
        mappings.append(mapping);
    }
    if (query.lastError().isValid())
        return failed(query);
    return mappings;
}

Status SaveMapping(Database& database, const ColumnMapping& mapping) {
    const QString name = mapping.name.trimmed();
    if (name.isEmpty())
        return Status::failure(QStringLiteral("请给这个列对应关系起个名字，下次导入同样的文件时好选用它。"));
    if (mapping.date.isEmpty())
        return Status::failure(QStringLiteral("请选出日期所在的列。"));
    if (mapping.amount.isEmpty() && (mapping.income.isEmpty() || mapping.expense.isEmpty()))
        return Status::failure(QStringLiteral("请选出金额所在的列：一列有正负的金额，或收入、支出各一列。"));
    QJsonObject stored;
    stored.insert(QStringLiteral("headerLine"), mapping.headerLine);
    for (const MappingField& field : kMappingFields)
        stored.insert(QLatin1String(field.key), mapping.*field.field);
    return database.transaction([&]() -> Status {
        QSqlQuery write(database.connection());
        write.prepare(
            QStringLiteral("INSERT INTO lieyingshe (mingcheng,peizhi) VALUES (:mingcheng,:peizhi) "
                           "ON CONFLICT (mingcheng) DO UPDATE SET peizhi=excluded.peizhi"));
        write.bindValue(QStringLiteral(":mingcheng"), name);
        write.bindValue(QStringLiteral(":peizhi"),
                        QString::fromUtf8(QJsonDocument(stored).toJson(QJsonDocument::Compact)));
        return write.exec() ? Status::ok() : failed(write);
    });
}

Result<QHash<QString, qint64>> ReadMethodPlaces(QSqlDatabase db, const QString& sourceCode) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT fangshi,zhanghu FROM zhifufangshi WHERE laiyuan=:laiyuan"));
    query.bindValue(QStringLiteral(":laiyuan"), sourceCode);
    if (!query.exec())
        return failed(query);
    QHash<QString, qint64> places;
    while (query.next())
        places.insert(query.value(0).toString(), query.value(1).toLongLong());
    if (query.lastError().isValid())
        return failed(query);
    return places;
}

Status SaveMethodPlace(Database& database, const QString& sourceCode, const QString& method, qint64 place) {
    return database.transaction([&]() -> Status {
        QSqlQuery write(database.connection());
        write.prepare(
            QStringLiteral("INSERT INTO zhifufangshi (laiyuan,fangshi,zhanghu) VALUES "
                           "(:laiyuan,:fangshi,:zhanghu) ON CONFLICT (laiyuan,fangshi) DO UPDATE SET "
                           "zhanghu=excluded.zhanghu"));
        write.bindValue(QStringLiteral(":laiyuan"), sourceCode);
        write.bindValue(QStringLiteral(":fangshi"), method);
        write.bindValue(QStringLiteral(":zhanghu"), place);
        return write.exec() ? Status::ok() : failed(write);
    });
}

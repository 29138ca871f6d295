#include "plans/RegularEntries.h"

#include "data/AmountText.h"
#include "data/Database.h"
#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

constexpr int kLargestEvery = 999;

struct UnitRow {
    Schedule::Unit unit;
    const char* code;
    const char* name;
};
const UnitRow kUnits[] = {
    {Schedule::Unit::Day, "day", "天"},
    {Schedule::Unit::Week, "week", "周"},
    {Schedule::Unit::Month, "month", "个月"},
    {Schedule::Unit::Year, "year", "年"},
};

Schedule::Unit UnitOf(const QString& code) {
    for (const UnitRow& row : kUnits) {
        if (code == QLatin1String(row.code))
            return row.unit;
    }
    return Schedule::Unit::Month;
}

QVariant DateOrNull(const std::optional<QDate>& date) {
    return date ? QVariant(ShortDate(*date)) : QVariant(QMetaType(QMetaType::QString));
}

Status Failed(const QSqlQuery& query) {
    return Status::failure(DatabaseErrors::Describe(query.lastError()));
}

}  // namespace

QString UnitCode(Schedule::Unit unit) {
    for (const UnitRow& row : kUnits) {
        if (row.unit == unit)
            return QString::fromLatin1(row.code);
    }
    return {};
}

QString UnitName(Schedule::Unit unit) {
    for (const UnitRow& row : kUnits) {
        if (row.unit == unit)
            return QString::fromUtf8(row.name);
    }
    return {};
}

QString RepetitionText(const Schedule& schedule) {
    QString text = QStringLiteral("每%1%2").arg(schedule.every).arg(UnitName(schedule.unit));
    if (schedule.unit == Schedule::Unit::Month || schedule.unit == Schedule::Unit::Year)
        text += schedule.day == 31 ? QStringLiteral("，月末") : QStringLiteral("，%1日").arg(schedule.day);
    if (schedule.times)
        text += QStringLiteral("，共%1次").arg(*schedule.times);
    return text;
}

Status CheckRegularEntry(const RegularEntry& entry) {
    if (entry.detail.trimmed().isEmpty())
        return Status::failure(QStringLiteral("请填写明细。"));
    if (entry.amount.isZero() || entry.amount.isNegative())
        return Status::failure(QStringLiteral("金额必须大于零，请重新输入。"));
    if (entry.amount.units() > kLargestAmount.units())
        return Status::failure(QStringLiteral("金额不能超过 %1，请重新输入。").arg(LargestAmountText()));
    if (entry.place <= 0)
        return Status::failure(QStringLiteral("请选择帐户。"));
    const Schedule& s = entry.schedule;
    if (s.every < 1 || s.every > kLargestEvery)
        return Status::failure(QStringLiteral("间隔必须在 1 到 %1 之间（每0%2不会重复），请重新输入。")
                                   .arg(kLargestEvery)
                                   .arg(UnitName(s.unit)));
    if ((s.unit == Schedule::Unit::Month || s.unit == Schedule::Unit::Year) && (s.day < 1 || s.day > 31))
        return Status::failure(QStringLiteral("每月的日子必须在 1 到 31 之间（31 表示月末），请重新输入。"));
    if (!s.start.isValid())
        return Status::failure(QStringLiteral("请填写开始日期。"));
    if (s.end && (!s.end->isValid() || *s.end < s.start))
        return Status::failure(QStringLiteral("结束日期早于开始日期，请重新输入。"));
    if (s.times && *s.times < 1)
        return Status::failure(QStringLiteral("次数必须至少为 1，请重新输入。"));
    return Status::ok();
}

namespace {

const QString kColumns = QStringLiteral(
    "id, leixing, mingxi, jine, zhanghu, beizhu, jiange, danwei, ri, kaishi, jieshu, cishu, zidong, yizuo");

RegularEntry RowOf(const QSqlQuery& query) {
    RegularEntry e;
    e.id = query.value(0).toLongLong();
    e.type =
        query.value(1).toString() == QLatin1String(Codes::kIncome) ? EntryType::Income : EntryType::Expense;
    e.detail = query.value(2).toString();
    e.amount = Money::fromUnits(query.value(3).toLongLong());
    e.place = query.value(4).toLongLong();
    e.remarks = query.value(5).toString();
    e.schedule.every = query.value(6).toInt();
    e.schedule.unit = UnitOf(query.value(7).toString());
    e.schedule.day = query.value(8).toInt();
    e.schedule.start = QDate::fromString(query.value(9).toString(), Qt::ISODate);
    if (!query.value(10).isNull() && !query.value(10).toString().isEmpty())
        e.schedule.end = QDate::fromString(query.value(10).toString(), Qt::ISODate);
    if (!query.value(11).isNull())
        e.schedule.times = query.value(11).toInt();
    e.automatic = query.value(12).toInt() != 0;
    e.lastDone = QDate::fromString(query.value(13).toString(), Qt::ISODate);
    return e;
}

// Whether two regular entries enter the same and repeat the same (the last date done aside, which the
// catch-up moves).
bool SameTerms(const RegularEntry& a, const RegularEntry& b) {
    const Schedule& x = a.schedule;
    const Schedule& y = b.schedule;
    return a.type == b.type && a.detail == b.detail && a.amount == b.amount && a.place == b.place &&
           a.remarks == b.remarks && a.automatic == b.automatic && x.unit == y.unit && x.every == y.every &&
           x.day == y.day && x.start == y.start && x.end == y.end && x.times == y.times;
}

// Inside the open transaction: fails unless the stored row is still the one read.
Status StillAsRead(QSqlDatabase db, const RegularEntry& asRead) {
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT %1 FROM dingqishouzhi WHERE id=:id").arg(kColumns));
    query.bindValue(QStringLiteral(":id"), asRead.id);
    if (!query.exec())
        return Failed(query);
    if (!query.next())
        return Status::failure(QStringLiteral("这条定期收支已不存在，可能已被删除。"));
    if (!SameTerms(RowOf(query), asRead))
        return Status::failure(QStringLiteral(
            "这条定期收支已在另一台电脑或另一个窗口改动过，没有保存。请看过它现在的内容后再改。"));
    return Status::ok();
}

}  // namespace

Result<QList<RegularEntry>> ReadRegularEntries(QSqlDatabase db) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT %1 FROM dingqishouzhi ORDER BY id").arg(kColumns)))
        return Failed(query);
    QList<RegularEntry> entries;
    while (query.next())
        entries.append(RowOf(query));
    return entries;
}

Result<qint64> CountRegularEntries(QSqlDatabase db) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM dingqishouzhi")) || !query.next())
        return Failed(query);
    return query.value(0).toLongLong();
}

Result<qint64> SaveRegularEntry(Database& database, const RegularEntry& entry, const RegularEntry& asRead) {
    if (Status checked = CheckRegularEntry(entry); !checked)
        return checked;
    qint64 id = entry.id;
    const Status written = database.transaction([&]() -> Status {
        if (id != 0) {
            if (Status same = StillAsRead(database.connection(), asRead); !same)
                return same;
        }
        QSqlQuery query(database.connection());
        query.prepare(
            id == 0
                ? QStringLiteral(
                      "INSERT INTO dingqishouzhi (leixing, mingxi, jine, zhanghu, beizhu, jiange, danwei, "
                      "ri, kaishi, jieshu, cishu, zidong) VALUES (:leixing, :mingxi, :jine, :zhanghu, "
                      ":beizhu, :jiange, :danwei, :ri, :kaishi, :jieshu, :cishu, :zidong)")
                : QStringLiteral(
                      "UPDATE dingqishouzhi SET leixing=:leixing, mingxi=:mingxi, jine=:jine, "
                      "zhanghu=:zhanghu, beizhu=:beizhu, jiange=:jiange, danwei=:danwei, ri=:ri, "
                      "kaishi=:kaishi, jieshu=:jieshu, cishu=:cishu, zidong=:zidong WHERE id=:id"));
        const Schedule& s = entry.schedule;
        query.bindValue(QStringLiteral(":leixing"), EntryTypeCode(entry.type));
        query.bindValue(QStringLiteral(":mingxi"), entry.detail.trimmed());
        query.bindValue(QStringLiteral(":jine"), entry.amount.units());
        query.bindValue(QStringLiteral(":zhanghu"), entry.place);
        query.bindValue(QStringLiteral(":beizhu"), entry.remarks);
        query.bindValue(QStringLiteral(":jiange"), s.every);
        query.bindValue(QStringLiteral(":danwei"), UnitCode(s.unit));
        query.bindValue(QStringLiteral(":ri"), s.day);
        query.bindValue(QStringLiteral(":kaishi"), ShortDate(s.start));
        query.bindValue(QStringLiteral(":jieshu"), DateOrNull(s.end));
        query.bindValue(QStringLiteral(":cishu"),
                        s.times ? QVariant(*s.times) : QVariant(QMetaType(QMetaType::Int)));
        query.bindValue(QStringLiteral(":zidong"), entry.automatic ? 1 : 0);
        if (id != 0)
            query.bindValue(QStringLiteral(":id"), id);
        if (!query.exec())
            return Failed(query);
        if (id != 0 && query.numRowsAffected() != 1)
            return Status::failure(QStringLiteral("这条定期收支已不存在，可能已被删除。"));
        if (id == 0)
            id = query.lastInsertId().toLongLong();
        return Status::ok();
    });
    if (!written)
        return written;
    return id;
}

Status DeleteRegularEntry(Database& database, const RegularEntry& asRead) {
    return database.transaction([&]() -> Status {
        if (Status same = StillAsRead(database.connection(), asRead); !same)
            return same;
        QSqlQuery query(database.connection());
        query.prepare(QStringLiteral("DELETE FROM dingqishouzhi WHERE id=:id"));
        query.bindValue(QStringLiteral(":id"), asRead.id);
        if (!query.exec())
            return Failed(query);
        return Status::ok();
    });
}

Status MarkDone(QSqlDatabase db, qint64 id, const QDate& asRead, const QDate& done) {
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("UPDATE dingqishouzhi SET yizuo=:done WHERE id=:id AND coalesce(yizuo, '')=:asRead"));
    query.bindValue(QStringLiteral(":done"), ShortDate(done));
    query.bindValue(QStringLiteral(":id"), id);
    query.bindValue(QStringLiteral(":asRead"), asRead.isValid() ? ShortDate(asRead) : QStringLiteral(""));
    if (!query.exec())
        return Failed(query);
    if (query.numRowsAffected() != 1)
        return Status::failure(
            QStringLiteral("这笔定期收支已在另一台电脑或另一个窗口处理过（或已被删除），这次没有再入帐。"));
    return Status::ok();
}

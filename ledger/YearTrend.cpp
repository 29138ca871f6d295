#include "ledger/YearTrend.h"

#include "data/DateText.h"
#include "data/Statements.h"
#include "ledger/LedgerTotals.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

Result<YearTrend> TrendOfYear(QSqlDatabase db, int year) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(QString::fromUtf8(Sql::kMonthTotals)))
        return Result<YearTrend>::failure(query.lastError().text());
    query.bindValue(QStringLiteral(":qishi"), ShortDate(QDate(year, 1, 1)));
    query.bindValue(QStringLiteral(":jishu"), ShortDate(QDate(year, 12, 31)));
    if (!query.exec())
        return Result<YearTrend>::failure(query.lastError().text());
    const int yue = query.record().indexOf(QStringLiteral("yue"));
    const int leixing = query.record().indexOf(QStringLiteral("leixing"));
    const int zonge = query.record().indexOf(QStringLiteral("zonge"));

    YearTrend trend;
    trend.year = year;
    while (query.next()) {
        bool ok = false;
        const int month = query.value(yue).toInt(&ok);
        // A date text outside the stored form (yyyy-MM-dd) names no month of this year: it is left out.
        if (!ok || month < 1 || month > 12)
            continue;
        const Result<Money> sum = MoneyFromColumn(query.value(zonge));
        if (!sum)
            return sum.status();
        const bool income = query.value(leixing).toString() == QLatin1String(Codes::kIncome);
        Money& slot = (income ? trend.income : trend.expense)[month - 1];
        Money& total = income ? trend.incomeTotal : trend.expenseTotal;
        // Any type but income counts as expense, as the summary counts it, so two rows may meet here.
        const Result<Money> added = slot.plus(sum.value());
        const Result<Money> totalled = total.plus(sum.value());
        if (!added || !totalled)
            return Result<YearTrend>::failure(
                QStringLiteral("金额合计超出了可记录的范围。请检查是否有录入错误的巨额记录。"));
        slot = added.value();
        total = totalled.value();
    }
    const Result<Money> balance = trend.incomeTotal.minus(trend.expenseTotal);
    if (!balance)
        return Result<YearTrend>::failure(
            QStringLiteral("结余超出了可记录的范围。请检查是否有录入错误的巨额记录。"));
    trend.balance = balance.value();
    return trend;
}

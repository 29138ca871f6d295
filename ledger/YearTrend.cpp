#include "ledger/YearTrend.h"

#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/Statements.h"
#include "ledger/LedgerTotals.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const QString kOutOfRange = QStringLiteral("金额合计超出了可记录的范围。请检查是否有录入错误的巨额记录。");

// Adds a day's sum to its month and to the year; false when a total would overflow.
bool add(Money& month, Money& year, Money day) {
    const Result<Money> m = month.plus(day);
    const Result<Money> y = year.plus(day);
    if (!m || !y)
        return false;
    month = m.value();
    year = y.value();
    return true;
}

}  // namespace

Result<YearTrend> TrendOfYear(QSqlDatabase db, int year) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(QString::fromUtf8(Sql::kDayTotals)))
        return Result<YearTrend>::failure(DatabaseErrors::Describe(query.lastError()));
    query.bindValue(QStringLiteral(":mxlx"), QString::fromLatin1(Codes::kIncome));
    query.bindValue(QStringLiteral(":qishi"), ShortDate(QDate(year, 1, 1)));
    query.bindValue(QStringLiteral(":jishu"), ShortDate(QDate(year, 12, 31)));
    if (!query.exec())
        return Result<YearTrend>::failure(DatabaseErrors::Describe(query.lastError()));
    const int shururiqi = query.record().indexOf(QStringLiteral("shururiqi"));
    const int shouru = query.record().indexOf(QStringLiteral("shouru"));
    const int zhichu = query.record().indexOf(QStringLiteral("zhichu"));

    YearTrend trend;
    trend.year = year;
    while (query.next()) {
        // The stored form is yyyy-MM-dd; a text in another shape names no month and is left out.
        bool ok = false;
        const int month = query.value(shururiqi).toString().mid(5, 2).toInt(&ok);
        if (!ok || month < 1 || month > 12)
            continue;
        const Result<Money> income = MoneyFromColumn(query.value(shouru));
        const Result<Money> expense = MoneyFromColumn(query.value(zhichu));
        if (!income)
            return income.status();
        if (!expense)
            return expense.status();
        if (!add(trend.income[month - 1], trend.incomeTotal, income.value()) ||
            !add(trend.expense[month - 1], trend.expenseTotal, expense.value()))
            return Result<YearTrend>::failure(kOutOfRange);
    }
    const Result<Money> balance = trend.incomeTotal.minus(trend.expenseTotal);
    if (!balance)
        return Result<YearTrend>::failure(kOutOfRange);
    trend.balance = balance.value();
    return trend;
}

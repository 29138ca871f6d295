#include "ledger/YearTrend.h"

#include "data/DatabaseErrors.h"
#include "data/DateText.h"
#include "data/Statements.h"
#include "ledger/LedgerTotals.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace {

// Wide enough for a difference of two amounts times a thousand.
__extension__ typedef __int128 Wide;

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
    query.bindValue(QStringLiteral(":qishi"), ShortDate(QDate(year - 1, 1, 1)));
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
        bool yearOk = false;
        const QString day = query.value(shururiqi).toString();
        const int month = day.mid(5, 2).toInt(&ok);
        const int dayYear = day.left(4).toInt(&yearOk);
        if (!ok || !yearOk || month < 1 || month > 12)
            continue;
        const Result<Money> income = MoneyFromColumn(query.value(shouru));
        const Result<Money> expense = MoneyFromColumn(query.value(zhichu));
        if (!income)
            return income.status();
        if (!expense)
            return expense.status();
        if (dayYear != year) {
            // The year before: its months only, no totals. A sum too large to hold has no change to show.
            Money ignored;
            if (!add(trend.incomeYearBefore[month - 1], ignored, income.value()) ||
                !add(trend.expenseYearBefore[month - 1], ignored, expense.value()))
                return Result<YearTrend>::failure(kOutOfRange);
            continue;
        }
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

QString ChangeText(Money now, Money before) {
    if (before.isZero())
        return QStringLiteral("—");
    // Tenths of a per cent, exact: (now - before) * 1000 / |before|, rounded half away from zero.
    const Wide difference = Wide(now.units()) - before.units();
    const Wide base = before.units() < 0 ? -Wide(before.units()) : Wide(before.units());
    const Wide scaled = difference * 1000;
    const Wide magnitude = scaled < 0 ? -scaled : scaled;
    // Held to what the text can say; a change of a million-fold is as good as any larger.
    const Wide tenths = std::min<Wide>((magnitude * 2 + base) / (2 * base), 10000000000);
    const QString number = QString::number(static_cast<qint64>(tenths / 10)) + QLatin1Char('.') +
                           QString::number(static_cast<int>(tenths % 10)) + QLatin1Char('%');
    if (tenths == 0)
        return number;
    return (scaled < 0 ? QLatin1Char('-') : QLatin1Char('+')) + number;
}

Money MonthBefore(const std::array<Money, 12>& months, const std::array<Money, 12>& yearBefore, int m) {
    return m > 0 ? months[m - 1] : yearBefore[11];
}

MonthChanges ChangesOfMonth(const YearTrend& trend, int m) {
    const Money incomeBefore = MonthBefore(trend.income, trend.incomeYearBefore, m);
    const Money expenseBefore = MonthBefore(trend.expense, trend.expenseYearBefore, m);
    return {ChangeText(trend.income[m], trend.incomeYearBefore[m]), ChangeText(trend.income[m], incomeBefore),
            ChangeText(trend.expense[m], trend.expenseYearBefore[m]),
            ChangeText(trend.expense[m], expenseBefore)};
}

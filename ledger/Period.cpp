#include "ledger/Period.h"

#include "data/DateText.h"

namespace {

QString yearStart(int year) {
    return QStringLiteral("%1-01-01").arg(year);
}

}  // namespace

QString AnyPeriodHeading() {
    return QStringLiteral("帐务信息");
}

PeriodTexts PeriodFor(PeriodChoice choice, const QDate& today) {
    switch (choice) {
        case PeriodChoice::Today:
            return {ShortDate(today), ShortDate(today), QStringLiteral("今日帐务信息")};
        case PeriodChoice::Yesterday: {
            const QString day = ShortDate(today.addDays(-1));
            return {day, day, QStringLiteral("昨日帐务信息")};
        }
        case PeriodChoice::ThisMonth:
            return {MonthStartText(today), ShortDate(today), QStringLiteral("本月帐务信息")};
        case PeriodChoice::LastMonth: {
            // The day before the first of this month is the last day of the previous one.
            const QDate lastDay = today.addDays(-today.day());
            return {MonthStartText(lastDay), ShortDate(lastDay), QStringLiteral("上月帐务信息")};
        }
        case PeriodChoice::ThisYear:
            return {yearStart(today.year()), ShortDate(today), QStringLiteral("本年帐务信息")};
        case PeriodChoice::LastYear:
            return {yearStart(today.year() - 1), QStringLiteral("%1-12-31").arg(today.year() - 1),
                    QStringLiteral("去年帐务信息")};
        case PeriodChoice::Any:
            break;
    }
    return {ShortDate(today), ShortDate(today), AnyPeriodHeading()};
}

Result<PeriodBounds> ReadPeriod(const QString& firstText, const QString& lastText, const QDate& today) {
    const Result<QDate> first = ParseDate(firstText, today);
    if (!first)
        return first.status();
    const Result<QDate> last = ParseDate(lastText, today);
    if (!last)
        return last.status();
    return PeriodBounds{first.value(), last.value()};
}

#include "data/DateText.h"

#include <QRegularExpression>

QString ShortDate(const QDate& date) {
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString LongDate(const QDate& date) {
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

int YearInCenturyWindow(int shortYear, const QDate& today) {
    // The earliest year of the window, then the first year at or after it that ends in those digits.
    const int earliest = today.year() - 50;
    const int offset = ((shortYear - earliest) % 100 + 100) % 100;
    return earliest + offset;
}

namespace {

// Reads the text; `today` is null where only full years are taken.
Result<QDate> readDate(const QString& text, const QDate& today) {
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,4})-([0-9]{1,2})-([0-9]{1,2})$"));
    const QRegularExpressionMatch m = pattern.match(text.trimmed());
    if (m.hasMatch()) {
        const qsizetype yearDigits = m.capturedLength(1);
        int year = m.captured(1).toInt();
        bool readable = yearDigits == 4;
        if (yearDigits <= 2 && today.isValid()) {
            year = YearInCenturyWindow(year, today);
            readable = true;
        }
        const QDate date(year, m.captured(2).toInt(), m.captured(3).toInt());
        if (readable && date.isValid() && date.year() > 0)
            return date;
    }
    return Result<QDate>::failure(QStringLiteral("'%1' is not a valid date").arg(text));
}

}  // namespace

Result<QDate> ParseDate(const QString& text, const QDate& today) {
    return readDate(text, today);
}

Result<QDate> ParseDate(const QString& text) {
    return readDate(text, QDate());
}

QString MonthStartText(const QDate& date) {
    return QStringLiteral("%1-%2-01").arg(date.year()).arg(date.month());
}

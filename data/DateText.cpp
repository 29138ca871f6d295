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
    // Year, month and day joined by "-", "/" or "." (the same mark twice), or written 2026年12月5日; a
    // typed 12月5日 is a day of today's year.
    static const QRegularExpression marked(
        QStringLiteral("^([0-9]{1,4})([-/.])([0-9]{1,2})\\2([0-9]{1,2})$"));
    static const QRegularExpression written(
        QStringLiteral("^(?:([0-9]{1,4}) *年)? *([0-9]{1,2}) *月 *([0-9]{1,2}) *日$"));
    const QString trimmed = text.trimmed();
    QString yearText;
    int month = 0;
    int day = 0;
    if (const QRegularExpressionMatch m = marked.match(trimmed); m.hasMatch()) {
        yearText = m.captured(1);
        month = m.captured(3).toInt();
        day = m.captured(4).toInt();
    } else if (const QRegularExpressionMatch w = written.match(trimmed); w.hasMatch()) {
        yearText = w.captured(1);
        month = w.captured(2).toInt();
        day = w.captured(3).toInt();
        if (yearText.isEmpty() && today.isValid())
            yearText = QString::number(today.year());
    }
    if (!yearText.isEmpty()) {
        int year = yearText.toInt();
        bool readable = yearText.size() == 4;
        if (yearText.size() <= 2 && today.isValid()) {
            year = YearInCenturyWindow(year, today);
            readable = true;
        }
        const QDate date(year, month, day);
        if (readable && date.isValid() && date.year() > 0)
            return date;
    }
    return Result<QDate>::failure(InvalidDateMessage(text));
}

}  // namespace

QString InvalidDateMessage(const QString& text) {
    return QStringLiteral(
               "日期“%1”无法识别，请按 2026-12-05 或 2026年12月5日 的样子输入。（'%1' is not a valid date）")
        .arg(text);
}

Result<QDate> ParseDate(const QString& text, const QDate& today) {
    return readDate(text, today);
}

Result<QDate> ParseDate(const QString& text) {
    return readDate(text, QDate());
}

QString MonthStartText(const QDate& date) {
    return QStringLiteral("%1-%2-01").arg(date.year()).arg(date.month());
}

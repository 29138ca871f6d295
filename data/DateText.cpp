#include "data/DateText.h"

#include <QRegularExpression>

QString ShortDate(const QDate& date) {
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString LongDate(const QDate& date) {
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

Result<QDate> ParseDate(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,4})-([0-9]{1,2})-([0-9]{1,2})$"));
    const QRegularExpressionMatch m = pattern.match(text.trimmed());
    if (m.hasMatch()) {
        const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (date.isValid() && date.year() > 0)
            return date;
    }
    return Result<QDate>::failure(QStringLiteral("'%1' is not a valid date").arg(text));
}

QString MonthStartText(const QDate& date) {
    return QStringLiteral("%1-%2-01").arg(date.year()).arg(date.month());
}

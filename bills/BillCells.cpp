#include "bills/BillCells.h"

#include <QRegularExpression>

#include <cmath>

namespace {

bool IsPad(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c.isSpace();
}

// A number of one to `most` digits, or -1.
int Digits(QStringView text, int least, int most) {
    if (text.size() < least || text.size() > most)
        return -1;
    int value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

QDate DayOf(QStringView text) {
    if (text.size() == 8 && Digits(text, 8, 8) >= 0)
        return QDate(Digits(text.left(4), 4, 4), Digits(text.mid(4, 2), 2, 2), Digits(text.mid(6, 2), 2, 2));
    // Year, month and day separated by "-", "/" or ".", the same mark twice.
    if (text.size() < 5)
        return {};
    const QChar mark = text[4];
    if (mark != QLatin1Char('-') && mark != QLatin1Char('/') && mark != QLatin1Char('.'))
        return {};
    const QList<QStringView> parts = text.split(mark);
    if (parts.size() != 3)
        return {};
    const int year = Digits(parts[0], 4, 4);
    const int month = Digits(parts[1], 1, 2);
    const int day = Digits(parts[2], 1, 2);
    if (year < 0 || month < 0 || day < 0)
        return {};
    return QDate(year, month, day);
}

// "9:05", "12:30:01"; an invalid time when it is anything else.
QTime TimeOf(QStringView text) {
    const QList<QStringView> parts = text.split(QLatin1Char(':'));
    if (parts.size() < 2 || parts.size() > 3)
        return {};
    const int hour = Digits(parts[0], 1, 2);
    const int minute = Digits(parts[1], 2, 2);
    const int second = parts.size() == 3 ? Digits(parts[2], 2, 2) : 0;
    if (hour < 0 || minute < 0 || second < 0)
        return {};
    return QTime(hour, minute, second);
}

// A sheet's day number: whole days since 1899-12-30, the fraction the time of day.
bool SheetMoment(const QString& text, BillMoment* moment) {
    static const QRegularExpression number(QStringLiteral("^(\\d{5})(\\.\\d+)?$"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return false;
    moment->day = QDate(1899, 12, 30).addDays(match.captured(1).toInt());
    if (match.hasCaptured(2)) {
        // The fraction of a day is a time, not money: a double is exact enough to the second.
        const int seconds = static_cast<int>(std::lround(match.captured(2).toDouble() * 86400.0));
        moment->time = QTime(0, 0).addSecs(std::min(seconds, 86399));
    }
    return moment->day.isValid();
}

}  // namespace

QStringList SplitCsvLine(QStringView line) {
    QStringList cells;
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (true) {
        while (i < n && IsPad(line[i]))
            ++i;
        QString cell;
        if (i < n && line[i] == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (line[i] == QLatin1Char('"')) {
                    if (i + 1 < n && line[i + 1] == QLatin1Char('"')) {
                        cell += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                cell += line[i++];
            }
            // Anything after the closing quote up to the comma belongs to the cell as written.
            const qsizetype rest = line.indexOf(QLatin1Char(','), i);
            cell += line.mid(i, (rest < 0 ? n : rest) - i);
            i = rest < 0 ? n : rest;
        } else {
            const qsizetype end = line.indexOf(QLatin1Char(','), i);
            cell = line.mid(i, (end < 0 ? n : end) - i).toString();
            i = end < 0 ? n : end;
        }
        cells.append(cell.trimmed());
        if (i >= n)
            break;
        ++i;  // the comma
        if (i == n) {
            cells.append(QString());  // a line ending in a comma has an empty last cell
            break;
        }
    }
    return cells;
}

Result<Money> ReadBillAmount(const QString& text) {
    QString plain;
    plain.reserve(text.size());
    for (QChar c : text) {
        if (c == QChar(0x00A5) || c == QChar(0xFFE5) || c == QLatin1Char(',') || IsPad(c))
            continue;
        plain += c;
    }
    if (plain.isEmpty())
        return Money();
    const Result<Money> money = Money::parse(plain);
    if (!money)
        return Result<Money>::failure(QStringLiteral("金额“%1”不是数字").arg(text.trimmed()));
    return money;
}

QString BadDateReason(const QString& text) {
    return QStringLiteral("日期“%1”无法识别").arg(text.trimmed());
}

Result<BillMoment> ReadBillMoment(const QString& text) {
    const QString trimmed = text.trimmed();
    BillMoment moment;
    if (SheetMoment(trimmed, &moment))
        return moment;
    qsizetype split = trimmed.indexOf(QLatin1Char(' '));
    if (split < 0)
        split = trimmed.indexOf(QLatin1Char('T'));
    const QStringView whole(trimmed);
    moment.day = DayOf(split < 0 ? whole : whole.left(split));
    if (split >= 0) {
        moment.time = TimeOf(whole.mid(split + 1).trimmed());
        if (!moment.time.isValid())
            return Result<BillMoment>::failure(BadDateReason(text));
    }
    if (!moment.day.isValid())
        return Result<BillMoment>::failure(BadDateReason(text));
    return moment;
}

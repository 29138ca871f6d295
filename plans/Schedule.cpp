#include "plans/Schedule.h"

#include <algorithm>

namespace {

// The day `day` of a month, or the month's last day when the month is shorter.
QDate DayOfMonth(int year, int month, int day) {
    const QDate first(year, month, 1);
    return QDate(year, month, std::min(day, first.daysInMonth()));
}

// The k-th candidate date of the schedule (k from 0), before the start is taken into account.
QDate Candidate(const Schedule& s, qint64 k) {
    switch (s.unit) {
        case Schedule::Unit::Day:
            return s.start.addDays(k * s.every);
        case Schedule::Unit::Week:
            return s.start.addDays(k * 7 * s.every);
        case Schedule::Unit::Month: {
            const qint64 months = s.start.month() - 1 + k * s.every;
            return DayOfMonth(s.start.year() + static_cast<int>(months / 12),
                              static_cast<int>(months % 12) + 1, s.day);
        }
        case Schedule::Unit::Year:
            return DayOfMonth(s.start.year() + static_cast<int>(k * s.every), s.start.month(), s.day);
    }
    return {};
}

// A candidate index at or before the first candidate after `date` (never past it), so that a long
// schedule is not walked from its start.
qint64 IndexNear(const Schedule& s, const QDate& date) {
    if (!date.isValid() || date < s.start)
        return 0;
    qint64 k = 0;
    switch (s.unit) {
        case Schedule::Unit::Day:
            k = s.start.daysTo(date) / s.every;
            break;
        case Schedule::Unit::Week:
            k = s.start.daysTo(date) / (7 * s.every);
            break;
        case Schedule::Unit::Month:
            k = ((date.year() - s.start.year()) * 12 + date.month() - s.start.month()) / s.every;
            break;
        case Schedule::Unit::Year:
            k = (date.year() - s.start.year()) / s.every;
            break;
    }
    return std::max<qint64>(0, k - 1);
}

}  // namespace

QList<QDate> OccurrencesBetween(const Schedule& schedule, const QDate& after, const QDate& upTo, int limit) {
    QList<QDate> dates;
    if (!schedule.start.isValid() || schedule.every < 1 || !upTo.isValid())
        return dates;
    // The first candidate falls before the start when the day of the month lies before the start's
    // day; it is no occurrence, and the count begins with the next one.
    const qint64 skipped = Candidate(schedule, 0) < schedule.start ? 1 : 0;
    for (qint64 k = std::max(IndexNear(schedule, after), skipped); dates.size() < limit; ++k) {
        if (schedule.times && k - skipped >= *schedule.times)
            break;
        const QDate date = Candidate(schedule, k);
        if (!date.isValid() || date > upTo || (schedule.end && date > *schedule.end))
            break;
        if (after.isValid() && date <= after)
            continue;
        dates.append(date);
    }
    return dates;
}

std::optional<QDate> NextOccurrence(const Schedule& schedule, const QDate& after) {
    const QList<QDate> next = OccurrencesBetween(schedule, after, QDate(9999, 12, 31), 1);
    if (next.isEmpty())
        return std::nullopt;
    return next.first();
}

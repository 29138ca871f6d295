#pragma once

#include <QDate>
#include <QList>

#include <optional>

// How a regular entry repeats: every `every` days, weeks, months or years from `start`; months and years
// fall on `day` of the month (31 stands for the month's last day, and 29 and 30 fall on the last day of a
// shorter month), days and weeks on the start's weekday rhythm. The schedule ends at `end` (included) or
// after `times` occurrences, whichever comes first; without either it goes on.
struct Schedule {
    enum class Unit { Day, Week, Month, Year };
    Unit unit = Unit::Month;
    int every = 1;
    int day = 1;  // 1 to 31, for months and years
    QDate start;
    std::optional<QDate> end;
    std::optional<int> times;
};

// The occurrences of the schedule after `after` (not included; an invalid date means from the start) up
// to `upTo` (included), in order. At most `limit` are given.
QList<QDate> OccurrencesBetween(const Schedule& schedule, const QDate& after, const QDate& upTo,
                                int limit = 100000);

// The first occurrence after `after` (from the start when invalid), or none when the schedule has ended.
std::optional<QDate> NextOccurrence(const Schedule& schedule, const QDate& after);

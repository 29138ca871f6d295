#include "plans/Schedule.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

struct ScheduleCase {
    const char* name;
    Schedule schedule;
    QDate after;
    QDate upTo;
    QStringList expected;
};

void PrintTo(const ScheduleCase& c, std::ostream* out) {
    *out << c.name;
}

QDate d(const char* text) {
    return QDate::fromString(QString::fromLatin1(text), Qt::ISODate);
}

Schedule monthly(int every, int day, const char* start) {
    Schedule s;
    s.unit = Schedule::Unit::Month;
    s.every = every;
    s.day = day;
    s.start = d(start);
    return s;
}

Schedule every(Schedule::Unit unit, int n, const char* start) {
    Schedule s;
    s.unit = unit;
    s.every = n;
    s.start = d(start);
    return s;
}

Schedule limited(Schedule s, std::optional<int> times, std::optional<QDate> end) {
    s.times = times;
    s.end = end;
    return s;
}

Schedule yearly(int day, const char* start) {
    Schedule s = every(Schedule::Unit::Year, 1, start);
    s.day = day;
    return s;
}

class ScheduleArithmetic : public ::testing::TestWithParam<ScheduleCase> {};

TEST_P(ScheduleArithmetic, GivesTheOccurrencesInOrder) {
    const ScheduleCase& c = GetParam();
    QStringList got;
    for (const QDate& date : OccurrencesBetween(c.schedule, c.after, c.upTo))
        got.append(date.toString(Qt::ISODate));
    EXPECT_EQ(got, c.expected);
}

const ScheduleCase kCases[] = {
    {"LastDayThroughFebruary",
     monthly(1, 31, "2027-01-01"),
     {},
     d("2027-04-30"),
     {"2027-01-31", "2027-02-28", "2027-03-31", "2027-04-30"}},
    {"LeapFebruary",
     monthly(1, 31, "2028-01-31"),
     {},
     d("2028-03-31"),
     {"2028-01-31", "2028-02-29", "2028-03-31"}},
    {"ThirtiethClampsInFebruary",
     monthly(1, 30, "2027-01-30"),
     {},
     d("2027-03-30"),
     {"2027-01-30", "2027-02-28", "2027-03-30"}},
    {"EveryThreeMonthsFromJanuary31",
     monthly(3, 31, "2027-01-31"),
     {},
     d("2028-01-31"),
     {"2027-01-31", "2027-04-30", "2027-07-31", "2027-10-31", "2028-01-31"}},
    {"DayBeforeTheStartBeginsNextMonth",
     monthly(1, 5, "2027-01-20"),
     {},
     d("2027-03-31"),
     {"2027-02-05", "2027-03-05"}},
    {"AfterTheLastDoneOnly",
     monthly(1, 10, "2020-01-10"),
     d("2027-01-10"),
     d("2027-03-10"),
     {"2027-02-10", "2027-03-10"}},
    {"Weekly",
     every(Schedule::Unit::Week, 1, "2027-01-04"),
     {},
     d("2027-01-25"),
     {"2027-01-04", "2027-01-11", "2027-01-18", "2027-01-25"}},
    {"EveryTenDaysAcrossTheYearEnd",
     every(Schedule::Unit::Day, 10, "2026-12-15"),
     d("2026-12-15"),
     d("2027-01-15"),
     {"2026-12-25", "2027-01-04", "2027-01-14"}},
    {"CountLimit",
     limited(monthly(1, 1, "2027-01-01"), 3, std::nullopt),
     {},
     d("2027-12-31"),
     {"2027-01-01", "2027-02-01", "2027-03-01"}},
    {"CountLimitAfterLastDone",
     limited(monthly(1, 1, "2027-01-01"), 3, std::nullopt),
     d("2027-02-01"),
     d("2027-12-31"),
     {"2027-03-01"}},
    {"CountStartsAtTheFirstOccurrence",
     limited(monthly(1, 5, "2027-01-20"), 2, std::nullopt),
     {},
     d("2027-12-31"),
     {"2027-02-05", "2027-03-05"}},
    {"EndDateIncluded",
     limited(every(Schedule::Unit::Week, 2, "2027-01-01"), std::nullopt, d("2027-01-29")),
     {},
     d("2027-12-31"),
     {"2027-01-01", "2027-01-15", "2027-01-29"}},
    {"YearlyOnFebruary29",
     yearly(29, "2028-02-29"),
     {},
     d("2032-03-01"),
     {"2028-02-29", "2029-02-28", "2030-02-28", "2031-02-28", "2032-02-29"}},
    {"NothingBeforeTheStart", monthly(1, 1, "2027-05-01"), {}, d("2027-04-30"), {}},
    {"ClockBeforeTheLastDone", monthly(1, 1, "2027-01-01"), d("2027-06-01"), d("2027-03-01"), {}},
};

INSTANTIATE_TEST_SUITE_P(Cases, ScheduleArithmetic, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ScheduleCase>& row) {
                             return std::string(row.param.name);
                         });

}  // namespace

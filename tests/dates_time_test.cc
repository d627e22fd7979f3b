// Calendar arithmetic on date values, checked against a day count computed
// here independently (the Julian day number of the proleptic Gregorian
// calendar), and time handles: creation checks, the canonical format read and
// printed, parts, comparison, moving and calendar differences. The zone is
// fixed, and so is the clock where a test needs today.
#include <ORVCommonKit/dt.h>
#include <ORVCommonKit/orvtime.h>
#include <ORVCommonKit/tr.h>

#include "dates/dt_calendar.h"
#include "platform/objects.h"
#include "platform/pool.h"
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

namespace {

// Julian day number, integer formula of Fliegel and Van Flandern.
long jdn(int y, int m, int d) {
    long a = (14 - m) / 12;
    long yy = y + 4800 - a;
    long mm = m + 12 * a - 3;
    return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}
long jdn(int date) { return jdn(date / 10000, date / 100 % 100, date % 100); }
int lengthOf(int y, int m) { return static_cast<int>(m == 12 ? jdn(y + 1, 1, 1) - jdn(y, 12, 1) : jdn(y, m + 1, 1) - jdn(y, m, 1)); }

class TimeHandleTest : public ::testing::Test {
protected:
    void SetUp() override {
        tzset();
        capture_.start();
    }
    void TearDown() override {
        orv::dates::setClock(nullptr);
        tzset();
    }
    // The clock of the tests that depend on now.
    static std::time_t fixedNoon() { return Fixed; }
    static inline std::time_t Fixed = 0;
    orvtest::ScopedEnv tz_{"TZ", "Europe/Berlin"};
    orvtest::TraceCapture capture_;
    orv::PoolScope pool_;
};
using CalendarTest = TimeHandleTest;

TEST_F(CalendarTest, WorkedExamples) {
    struct Row { const char *what; int got, want; };
    const Row rows[] = {
        {"jan 31 + 1 month, leap", dt_plus_months(20160131, 1), 20160229},
        {"feb 29 + 1 year", dt_plus_years(20160229, 1), 20170228},
        {"1799 refused", validate_date(1799, 12, 31), -4},
        {"month 13 refused", validate_date(2017, 13, 1), -3},
        {"day 0 refused", validate_date(2017, 2, 0), -2},
        {"minus years stops at year 1", dt_minus_years(20170615, 5000), 10615},
        {"months beyond the last year stop at its last day", dt_plus_months(20261206, 400000), 327671231},
        {"months before the first year stop at its first day", dt_minus_months(20261206, 40000), 10101},
        {"cmp", [] { int a = 20170102, b = 20170101; return dt_cmp(&a, &b); }(), 1},
        {"parts", dt_year(20170506) * 10000 + dt_month(20170506) * 100 + dt_day(20170506), 20170506},
    };
    for (const Row &r : rows) EXPECT_EQ(r.got, r.want) << r.what;
}

TEST_F(CalendarTest, MonthLengthsAndValidityAgreeWithDayNumbers) {
    for (int y : {1800, 1900, 2000, 2023, 2024, 2100, 2400}) {
        for (int m = 1; m <= 12; ++m) {
            int len = lengthOf(y, m);
            EXPECT_EQ(get_month_days(m, y), len) << y << "-" << m;
            EXPECT_EQ(validate_date(static_cast<int16_t>(y), static_cast<uint8_t>(m), static_cast<uint8_t>(len)), 0);
            EXPECT_EQ(validate_date(static_cast<int16_t>(y), static_cast<uint8_t>(m), static_cast<uint8_t>(len + 1)), -2);
        }
    }
}

// Walks dates over four centuries with irregular steps and compares the
// arithmetic with day numbers.
TEST_F(CalendarTest, ArithmeticAgreesWithDayNumbers) {
    int date = 18991225;
    for (int i = 0; i < 3000; ++i) {
        int step = (i * 37) % 97 - 20;  // forward and backward, across month ends
        int next = dt_plus_days(date, step);
        ASSERT_EQ(jdn(next) - jdn(date), step) << date << " + " << step;
        ASSERT_EQ(dt_days_diff(&next, &date), step);
        ASSERT_EQ(dt_minus_days(next, step), date);
        int y = date / 10000, m = date / 100 % 100, d = date % 100;
        for (int months : {1, 13, -1, -25}) {
            long total = y * 12L + (m - 1) + months;
            int ny = static_cast<int>(total / 12), nm = static_cast<int>(total % 12) + 1;
            int want = ny * 10000 + nm * 100 + std::min(d, lengthOf(ny, nm));
            ASSERT_EQ(dt_plus_months(date, months), want) << date << " + " << months << " months";
            ASSERT_EQ(dt_minus_months(date, -months), want) << date << " - " << -months << " months";
        }
        int years = i % 7 - 3;
        int want = (y + years) * 10000 + m * 100 + std::min(d, lengthOf(y + years, m));
        ASSERT_EQ(dt_plus_years(date, years), want);
        ASSERT_EQ(dt_minus_years(date, -years), want);
        date = dt_plus_days(next, 53);
        if (date > 23000101) date = dt_plus_days(18991225, i % 28);
    }
}

TEST_F(CalendarTest, TodayYesterdayTomorrowFollowTheClockInTheLocalZone) {
    std::tm tm{};
    tm.tm_year = 2024 - 1900, tm.tm_mon = 2, tm.tm_mday = 1, tm.tm_hour = 0, tm.tm_min = 30;
    tm.tm_isdst = -1;
    Fixed = mktime(&tm);  // half past midnight in Berlin: still February in UTC
    orv::dates::setClock(fixedNoon);
    EXPECT_EQ(dt_today(), 20240301);
    EXPECT_EQ(dt_yesterday(), 20240229);
    EXPECT_EQ(dt_tomorrow(), 20240302);
    EXPECT_EQ(dt_from_unix(dt_to_unix(20240331)), 20240331);  // the day clocks go forward
    EXPECT_EQ(dt_to_unix(20240302) - dt_to_unix(20240301), 86400);
}

TEST_F(CalendarTest, CalendarDateTakesTheDayOfOneAndTheTimeOfTheOther) {
    std::time_t at = dt_to_unix(20000101) + 13 * 3600 + 45 * 60 + 7;
    ORVCalendarDate *d = dt_calendar_date_time(20170506, at);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->calendarText(), "2017-05-06 13:45:07 +0200");
    EXPECT_EQ(d->zoneName, "CEST");
    tr_ignore_traces_below_level_quietly(tr_LOW);
    EXPECT_EQ(dt_calendar_date_time(0, at), nullptr);
    EXPECT_TRUE(capture_.traced("Date_val passed to dt_calendar_date_time() is 0.  Invalid date.  Returning nil."));
}


// A handle released at the end of the scope.
struct Handle {
    explicit Handle(orv_time_t h) : h(h) {}
    ~Handle() { orv_time_free(h); }
    orv_time_t h;
};

TEST_F(TimeHandleTest, ComponentsOutOfRangeAreReportedOneByOne) {
    struct Row { int y, mo, d, h, mi, s; const char *message; };
    const Row rows[] = {
        {0, 1, 1, 0, 0, 0, "Invalid year argument (0) in orv_time_create().  Value must be greater than zero"},
        {2017, 13, 1, 0, 0, 0, "Invalid month argument (13) in orv_time_create().  Value must be between 1 and 12"},
        {2017, 1, 32, 0, 0, 0, "Invalid day argument (32) in orv_time_create().  Value must be between 1 and 31"},
        {2017, 1, 1, 24, 0, 0, "Invalid hour argument (24) in orv_time_create().  Value must be between 0 and 23"},
        {2017, 1, 1, 0, 60, 0, "Invalid minute argument (60) in orv_time_create().  Value must be between 0 and 59"},
        {2017, 13, 1, 0, 60, -1, "Invalid month argument (13) in orv_time_create().  Value must be between 1 and 12"},
    };
    for (const Row &r : rows) {
        capture_.clear();
        EXPECT_EQ(orv_time_create(r.y, r.mo, r.d, r.h, r.mi, r.s), nullptr);
        using namespace ::testing;
        EXPECT_THAT(capture_.errors(), ElementsAre(AllOf(HasSubstr(r.message), HasSubstr("Invalid Argument"))));
    }
}

TEST_F(TimeHandleTest, PartsAndDateValue) {
    Handle t(orv_time_create(1999, 1, 31, 23, 59, 58));
    ASSERT_NE(t.h, nullptr);
    const std::vector<int> parts{orv_time_year(t.h), orv_time_month(t.h), orv_time_day(t.h), orv_time_day_of_week(t.h),
                                 orv_time_hour(t.h), orv_time_minutes(t.h), orv_time_seconds(t.h), orv_time_date(t.h)};
    EXPECT_EQ(parts, (std::vector<int>{1999, 1, 31, 0 /* Sunday */, 23, 59, 58, 19990131}));
    // The day the month lacks runs on, as the calendar makes of it.
    Handle feb29(orv_time_create(2017, 2, 29, 0, 0, 0));
    EXPECT_EQ(orv_time_date(feb29.h), 20170301);
    Handle fromDate(orv_time_create_from_date(20240229));
    EXPECT_STREQ(orv_time_string(fromDate.h), "29-Feb-2024 00:00:00 CET");
}

TEST_F(TimeHandleTest, CanonicalTextsReadAndPrint) {
    struct Row { const char *text; const char *printed; long long utc; };
    const Row rows[] = {
        {"31-Jan-1999 13:45:00 CET", "31-Jan-1999 13:45:00 CET", 917786700},
        {"01-Jul-2017 08:00:00 CEST", "01-Jul-2017 08:00:00 CEST", 1498888800},
        {"31-Jan-1999 13:45:00 GMT", "31-Jan-1999 13:45:00 GMT", 917790300},
        {"5-jan-1999 13:45:00 -0500", "05-Jan-1999 13:45:00 -0500", 915561900},
        {"31-Jan-1999 13:45:00", nullptr, 0},        // no zone
        {"31-Jan-1999 13:45:00 XYZ", nullptr, 0},    // unknown zone
        {"1999-01-31 13:45:00 CET", nullptr, 0},     // another form
        {"31-Foo-1999 13:45:00 CET", nullptr, 0},
        {"31-Jan-1999 24:00:00 CET", nullptr, 0},
        // The largest day, time and offset read; one beyond each does not.
        {"31-Dec-1999 23:59:59 +2359", "31-Dec-1999 23:59:59 +2359", 946598459},
        {"1-Dec-1999 23:59:59 +0530", "01-Dec-1999 23:59:59 +0530", 944072999},
        {"1-Jan-2000 00:00:00 +0000", "01-Jan-2000 00:00:00 GMT", 946684800},  // no offset is GMT
        {"31-Jan-1999 13:45:00 Z", "31-Jan-1999 13:45:00 GMT", 917790300},
        {"0-Jan-1999 13:45:00 CET", nullptr, 0},   {"32-Jan-1999 13:45:00 CET", nullptr, 0},
        {"31-Jan-1999 13:60:00 CET", nullptr, 0},  {"31-Jan-1999 13:45:60 CET", nullptr, 0},
        {"31-Jan-1999 13:45:00 +0060", nullptr, 0}, {"31-Jan-1999 13:45:00 +05300", nullptr, 0},
        {"31-Jan-99 13:45:00 CET", nullptr, 0},
    };
    for (const Row &r : rows) {
        Handle t(orv_time_create_from_string(r.text));
        if (!r.printed) {
            EXPECT_EQ(t.h, nullptr) << r.text;
            continue;
        }
        ASSERT_NE(t.h, nullptr) << r.text;
        EXPECT_EQ(t.h->seconds, r.utc) << r.text;
        EXPECT_STREQ(orv_time_string(t.h), r.printed);
    }
    EXPECT_TRUE(capture_.errors().empty());
    Handle t(orv_time_create(2017, 5, 6, 7, 8, 9));
    EXPECT_STREQ(orv_time_string_format(t.h, "%Y%m%d %A"), "20170506 Saturday");
    // A pattern that prints twelve times its own length is printed whole.
    std::string tenTimes;
    for (int i = 0; i < 10; ++i) tenTimes += "Sat May  6 07:08:09 2017";
    EXPECT_EQ(orv_time_string_format(t.h, "%c%c%c%c%c%c%c%c%c%c"), tenTimes);
    EXPECT_EQ(orv_time_string_format(nullptr, "%Y"), nullptr);
}

TEST_F(TimeHandleTest, ComparisonAndReferences) {
    Handle a(orv_time_create(2017, 5, 6, 7, 8, 9));
    Handle b(orv_time_create_from_string("06-May-2017 05:08:09 GMT"));  // the same moment
    Handle later(orv_time_create_from_reference(a.h, 0, 0, 0, 0, 0, 1));
    struct Row { orv_time_t x, y; int want; };
    const Row rows[] = {{nullptr, nullptr, 0}, {nullptr, a.h, -1}, {a.h, nullptr, 1},
                        {a.h, b.h, 0}, {a.h, later.h, -1}, {later.h, a.h, 1}};
    for (const Row &r : rows) {
        EXPECT_EQ(orv_time_compare(r.x, r.y), r.want);
        EXPECT_EQ(orv_time_reverse_compare(r.x, r.y), -r.want);
    }
    long before = a.h->retainCount();
    orv_time_t copy = orv_time_copy(a.h);
    EXPECT_EQ(copy, a.h);
    EXPECT_EQ(a.h->retainCount(), before + 1);
    orv_time_free(copy);
    orv_time_t wrapped = orv_time_create_from_object(orv_time_object(a.h));
    EXPECT_EQ(wrapped, a.h);
    orv_time_free(wrapped);
}

TEST_F(TimeHandleTest, MovingAndDifferencesFollowTheCalendar) {
    struct Row { int y, mo, d, h, mi, s; const char *moved; };
    Handle start(orv_time_create(2024, 1, 31, 22, 30, 0));
    const Row rows[] = {
        {0, 1, 0, 0, 0, 0, "02-Mar-2024 22:30:00 CET"},  // February 31st runs on
        {0, 2, 0, 0, 0, 0, "31-Mar-2024 22:30:00 CEST"},
        {1, 0, 0, 2, 0, 0, "01-Feb-2025 00:30:00 CET"},
        {0, 0, -31, 0, 0, -1, "31-Dec-2023 22:29:59 CET"},
    };
    for (const Row &r : rows) {
        Handle m(orv_time_create_from_reference(start.h, r.y, r.mo, r.d, r.h, r.mi, r.s));
        EXPECT_STREQ(orv_time_string(m.h), r.moved);
    }
    Handle later(orv_time_create(2026, 4, 2, 1, 2, 3));
    int y, mo, d, h, mi, s;
    orv_time_diff(later.h, start.h, &y, &mo, &d, &h, &mi, &s);
    EXPECT_EQ((std::vector<int>{y, mo, d, h, mi, s}), (std::vector<int>{2, 2, 1, 2, 32, 3}));
    orv_time_diff(start.h, later.h, &y, &mo, &d, &h, &mi, &s);
    EXPECT_EQ((std::vector<int>{y, mo, d, h, mi, s}), (std::vector<int>{-2, -2, -1, -2, -32, -3}));
}

}  // namespace

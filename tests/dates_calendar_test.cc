// Calendar arithmetic on date values, checked against a day count computed
// here independently (the Julian day number of the proleptic Gregorian
// calendar).
#include <ORVCommonKit/dt.h>
#include <ORVCommonKit/tr.h>

#include "dates/dt_calendar.h"
#include "platform/objects.h"
#include "platform/pool.h"
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

using orvtest::ScopedEnv;

// Julian day number, integer formula of Fliegel and Van Flandern.
long jdn(int y, int m, int d) {
    long a = (14 - m) / 12;
    long yy = y + 4800 - a;
    long mm = m + 12 * a - 3;
    return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
}
long jdn(int date) { return jdn(date / 10000, date / 100 % 100, date % 100); }
int lengthOf(int y, int m) { return static_cast<int>(m == 12 ? jdn(y + 1, 1, 1) - jdn(y, 12, 1) : jdn(y, m + 1, 1) - jdn(y, m, 1)); }

// A fixed clock and zone for the dates that depend on now.
class CalendarTest : public ::testing::Test {
protected:
    void SetUp() override { tzset(); }
    void TearDown() override {
        orv::dates::setClock(nullptr);
        tzset();
    }
    static std::time_t fixedNoon() { return Fixed; }
    static inline std::time_t Fixed = 0;
    ScopedEnv tz_{"TZ", "Europe/Berlin"};
};

TEST_F(CalendarTest, WorkedExamples) {
    struct Row { const char *what; int got, want; };
    const Row rows[] = {
        {"jan 31 + 1 month, leap", dt_plus_months(20160131, 1), 20160229},
        {"feb 29 + 1 year", dt_plus_years(20160229, 1), 20170228},
        {"1799 refused", validate_date(1799, 12, 31), -4},
        {"month 13 refused", validate_date(2017, 13, 1), -3},
        {"day 0 refused", validate_date(2017, 2, 0), -2},
        {"minus years stops at year 1", dt_minus_years(20170615, 5000), 10615},
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
    orv::PoolScope pool;
    std::time_t at = dt_to_unix(20000101) + 13 * 3600 + 45 * 60 + 7;
    ORVCalendarDate *d = dt_calendar_date_time(20170506, at);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->calendarText(), "2017-05-06 13:45:07 +0200");
    EXPECT_EQ(d->zoneName, "CEST");

    orvtest::TraceCapture capture;
    capture.start();
    tr_ignore_traces_below_level_quietly(tr_LOW);
    EXPECT_EQ(dt_calendar_date_time(0, at), nullptr);
    EXPECT_TRUE(capture.traced("Date_val passed to dt_calendar_date_time() is 0.  Invalid date.  Returning nil."));
}

}  // namespace

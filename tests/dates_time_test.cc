// Time handles in a fixed zone: creation checks, the canonical format read
// and printed, parts, comparison, moving and calendar differences.
#include <ORVCommonKit/dt.h>
#include <ORVCommonKit/orvtime.h>
#include <ORVCommonKit/tr.h>

#include "platform/objects.h"
#include "platform/pool.h"
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include <gmock/gmock.h>

#include <ctime>
#include <string>
#include <vector>

namespace {

class TimeHandleTest : public ::testing::Test {
protected:
    void SetUp() override {
        tzset();
        capture_.start();
    }
    void TearDown() override { tzset(); }
    orvtest::ScopedEnv tz_{"TZ", "Europe/Berlin"};
    orvtest::TraceCapture capture_;
    orv::PoolScope pool_;
};

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

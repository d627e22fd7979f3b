// The exported orv_time_ functions: handles are the calendar date objects
// themselves, so a copy is one more reference to the same object.
#include <ORVCommonKit/dt.h>
#include <ORVCommonKit/orvtime.h>
#include <ORVCommonKit/tr.h>

#include "dates/dt_calendar.h"
#include "dates/orv_time.h"
#include "platform/pool.h"

#include <exception>
#include <typeinfo>

namespace {

constexpr const char *kModule = "ORVCommonKit";

bool checkArgument(const char *name, int value, int low, int high, const char *rule) {
    if (value >= low && value <= high) return true;
    tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "Invalid Argument", kModule,
             "Invalid %s argument (%d) in orv_time_create().  Value must be %s", name, value, rule);
    return false;
}

// Runs a creation, turning anything thrown into the creation report.
template <class F>
orv_time_t guarded(F &&create) {
    try {
        return create();
    } catch (const std::exception &e) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "Date/Time Creation Exception", kModule,
                 "%s: %s", typeid(e).name(), e.what());
        return nullptr;
    }
}

int part(orv_time_t h, int std::tm::*field, int offset = 0) {
    if (!h) return 0;
    return orv::dates::breakDown(*h).*field + offset;
}

}  // namespace

extern "C" {

orv_time_t orv_time_now(void) {
    return guarded([] {
        std::time_t t = orv::dates::now();
        std::tm tm{};
        if (!localtime_r(&t, &tm)) return static_cast<orv_time_t>(nullptr);
        return orv::dates::localDate(tm).leak();
    });
}

orv_time_t orv_time_create(int year, int month, int day, int hour, int minute, int second) {
    if (!checkArgument("year", year, 1, 2147483647, "greater than zero") ||
        !checkArgument("month", month, 1, 12, "between 1 and 12") ||
        !checkArgument("day", day, 1, 31, "between 1 and 31") ||
        !checkArgument("hour", hour, 0, 23, "between 0 and 23") ||
        !checkArgument("minute", minute, 0, 59, "between 0 and 59") ||
        !checkArgument("second", second, 0, 59, "between 0 and 59"))
        return nullptr;
    return guarded([&] {
        std::tm tm{};
        tm.tm_year = year - 1900;
        tm.tm_mon = month - 1;
        tm.tm_mday = day;
        tm.tm_hour = hour;
        tm.tm_min = minute;
        tm.tm_sec = second;
        return orv::dates::localDate(tm).leak();
    });
}

orv_time_t orv_time_create_from_date(int date) {
    return orv_time_create(dt_year(date), dt_month(date), dt_day(date), 0, 0, 0);
}

orv_time_t orv_time_create_from_string(const char *text) {
    if (!text) return nullptr;
    return guarded([&] {
        orv::PoolScope pool;
        return orv::dates::parseCanonical(text).leak();
    });
}

orv_time_t orv_time_create_from_reference(orv_time_t reference, int years, int months, int days,
                                          int hours, int minutes, int seconds) {
    if (!reference) return nullptr;
    return guarded([&] {
        return orv::dates::moved(*reference, years, months, days, hours, minutes, seconds).leak();
    });
}

orv_time_t orv_time_create_from_object(ORVCalendarDate *date) {
    if (date) date->retain();
    return date;
}

ORVCalendarDate *orv_time_object(orv_time_t handle) {
    if (!handle) return nullptr;
    handle->retain();
    handle->autorelease();
    return handle;
}

orv_time_t orv_time_copy(orv_time_t handle) {
    if (handle) handle->retain();
    return handle;
}

void orv_time_free(orv_time_t handle) {
    if (handle) handle->release();
}

int orv_time_year(orv_time_t h) { return part(h, &std::tm::tm_year, 1900); }
int orv_time_month(orv_time_t h) { return part(h, &std::tm::tm_mon, 1); }
int orv_time_day(orv_time_t h) { return part(h, &std::tm::tm_mday); }
int orv_time_day_of_week(orv_time_t h) { return part(h, &std::tm::tm_wday); }
int orv_time_hour(orv_time_t h) { return part(h, &std::tm::tm_hour); }
int orv_time_minutes(orv_time_t h) { return part(h, &std::tm::tm_min); }
int orv_time_seconds(orv_time_t h) { return part(h, &std::tm::tm_sec); }

int orv_time_date(orv_time_t h) {
    if (!h) return 0;
    std::tm tm = orv::dates::breakDown(*h);
    return dt_create(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

int orv_time_compare(orv_time_t a, orv_time_t b) {
    if (a == b) return 0;
    if (!a) return -1;
    if (!b) return 1;
    return a->seconds < b->seconds ? -1 : a->seconds > b->seconds ? 1 : 0;
}

int orv_time_reverse_compare(orv_time_t a, orv_time_t b) { return -orv_time_compare(a, b); }

void orv_time_diff(orv_time_t handle, orv_time_t earlier, int *years, int *months, int *days,
                   int *hours, int *minutes, int *seconds) {
    orv::dates::CalendarSpan s;
    if (handle && earlier) s = orv::dates::difference(*handle, *earlier);
    if (years) *years = s.years;
    if (months) *months = s.months;
    if (days) *days = s.days;
    if (hours) *hours = s.hours;
    if (minutes) *minutes = s.minutes;
    if (seconds) *seconds = s.seconds;
}

const char *orv_time_string(orv_time_t handle) { return orv_time_string_format(handle, nullptr); }

const char *orv_time_string_format(orv_time_t handle, const char *format) {
    if (!handle) return nullptr;
    std::string text;
    {
        orv::PoolScope pool;
        text = orv::dates::format(*handle, format ? format : ORV_TIME_CANONICAL_FORMAT);
    }
    return ORVString::temporary(text)->cString();
}

}  // extern "C"

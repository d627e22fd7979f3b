// The exported calendar functions of the dt_ family.
#include <ORVCommonKit/dt.h>
#include <ORVCommonKit/tr.h>

#include "dates/dt_calendar.h"
#include "dates/orv_time.h"

namespace {
constexpr const char *kModule = "ORVCommonKit";
}

using namespace orv::dates;

extern "C" {

int dt_create(int year, int month, int day) { return join(year, month, day); }

void dt_get_components(int date, int *year, int *month, int *day) {
    Ymd d = split(date);
    if (year) *year = d.year;
    if (month) *month = d.month;
    if (day) *day = d.day;
}

int dt_year(int date) { return split(date).year; }
int dt_month(int date) { return split(date).month; }
int dt_day(int date) { return split(date).day; }

int validate_date(int16_t year, uint8_t month, uint8_t day) { return validate(year, month, day); }

int get_month_days(int month, int year) { return monthDays(month, year); }

int dt_cmp(const int *a, const int *b) {
    if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
    return static_cast<int>(static_cast<long long>(*a) - *b);
}

int dt_days_diff(const int *a, const int *b) {
    if (!a || !b) return 0;
    return daysBetween(*a, *b);
}

int dt_plus_days(int date, int count) { return plusDays(date, count); }
int dt_minus_days(int date, int count) { return plusDays(date, -static_cast<long long>(count)); }
int dt_plus_months(int date, int count) { return plusMonths(date, count); }
int dt_minus_months(int date, int count) { return plusMonths(date, -static_cast<long long>(count)); }
int dt_plus_years(int date, int count) { return plusYears(date, count); }
int dt_minus_years(int date, int count) { return minusYears(date, count); }

int dt_today(void) { return todayPlusSeconds(0); }
int dt_yesterday(void) { return todayPlusSeconds(-86400); }
int dt_tomorrow(void) { return todayPlusSeconds(86400); }

int dt_from_unix(time_t when) { return fromUnix(when); }
time_t dt_to_unix(int date) { return toUnix(date); }

ORVCalendarDate *dt_calendar_date_time(int date, time_t when) {
    if (date == 0) {
        tr_trace(__FILE__, __LINE__, tr_LOW,
                 "Date_val passed to dt_calendar_date_time() is 0.  Invalid date.  Returning nil.");
        return nullptr;
    }
    time_t midnight = toUnix(date);
    std::tm day{};
    if (midnight == static_cast<time_t>(-1) || !localtime_r(&midnight, &day)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "INVALID DATE", kModule,
                 "Could not convert date_val to ts structure.");
        return nullptr;
    }
    std::tm time{};
    if (!localtime_r(&when, &time)) {
        tr_warning(__FILE__, __LINE__, tr_HIGH,
                   "time_val:%d conversion to local time resulted in nil value."
                   "The default of 12:00 am is used.",
                   static_cast<int>(when));
        time = std::tm{};
    }
    std::tm both = day;
    both.tm_hour = time.tm_hour;
    both.tm_min = time.tm_min;
    both.tm_sec = time.tm_sec;
    auto result = localDate(both);
    if (!result) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "INVALID DATE", kModule,
                 "Could not convert date_val to ts structure.");
        return nullptr;
    }
    return result.autorelease();
}

}  // extern "C"

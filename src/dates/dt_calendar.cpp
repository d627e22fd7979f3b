// Calendar arithmetic on date values with the standard calendar types.
//
// Arithmetic never checks its input: a date with a month of 0 or 14 counts
// as the month before January or after December, and results are kept within
// the years 1 to 32767 so that no value overflows.
#include "dates/dt_calendar.h"

#include <algorithm>
#include <atomic>
#include <chrono>

namespace orv::dates {

namespace {

using namespace std::chrono;

constexpr long long kFirstYear = 1;
constexpr long long kLastYear = 32767;

// Written by setClock (tests only); read by now().
std::atomic<ClockFunction> Clock_function{nullptr};

long long floorDiv(long long a, long long b) noexcept { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Year and month from a count of months since January of year 0.
Ymd fromMonthCount(long long months, int day) noexcept {
    long long year = floorDiv(months, 12);
    int month = static_cast<int>(months - year * 12) + 1;
    if (year < kFirstYear) return {static_cast<int>(kFirstYear), 1, 1};
    if (year > kLastYear) return {static_cast<int>(kLastYear), 12, 31};
    return {static_cast<int>(year), month, day};
}

long long monthCount(const Ymd &d) noexcept { return static_cast<long long>(d.year) * 12 + d.month - 1; }

// The day number of a date, the day counted on from the first of its month
// (so a day 0 or 32 is the day before or after the month).
long long dayNumber(const Ymd &d) noexcept {
    Ymd first = fromMonthCount(monthCount(d), 1);
    sys_days start{year{first.year} / month{static_cast<unsigned>(first.month)} / 1};
    return start.time_since_epoch().count() + d.day - 1;
}

int fromDayNumber(long long n) noexcept {
    static const long long lo = sys_days{year{kFirstYear} / January / 1}.time_since_epoch().count();
    static const long long hi = sys_days{year{kLastYear} / December / 31}.time_since_epoch().count();
    year_month_day ymd{sys_days{days{std::clamp(n, lo, hi)}}};
    return join(static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
                static_cast<int>(static_cast<unsigned>(ymd.day())));
}

int clampDay(const Ymd &d) noexcept {
    int last = monthDays(d.month, d.year);
    return join(d.year, d.month, std::min(d.day, last));
}

int localDate(std::time_t when) noexcept {
    std::tm tm{};
    if (!localtime_r(&when, &tm)) return 0;
    return join(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

}  // namespace

bool isLeapYear(int y) noexcept { return year{y}.is_leap(); }

int monthDays(int m, int y) noexcept {
    if (m < 1 || m > 12) return 0;
    year_month_day_last last{year{y}, month_day_last{month{static_cast<unsigned>(m)}}};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

int validate(int year, int month, int day) noexcept {
    if (year < 1800) return -4;
    if (month < 1 || month > 12) return -3;
    if (day < 1 || day > monthDays(month, year)) return -2;
    return 0;
}

int daysBetween(int a, int b) noexcept {
    return static_cast<int>(dayNumber(split(a)) - dayNumber(split(b)));
}

int plusDays(int date, long long count) noexcept {
    // Beyond the clamp range anyway; keeps the sum from overflowing.
    count = std::clamp(count, -20000000LL, 20000000LL);
    return fromDayNumber(dayNumber(split(date)) + count);
}

int plusMonths(int date, long long count) noexcept {
    Ymd d = split(date);
    count = std::clamp(count, -1000000LL, 1000000LL);
    Ymd moved = fromMonthCount(monthCount(d) + count, d.day);
    return clampDay(moved);
}

int plusYears(int date, long long count) noexcept {
    Ymd d = fromMonthCount(monthCount(split(date)), split(date).day);
    long long y = std::clamp(d.year + std::clamp(count, -100000LL, 100000LL), kFirstYear, kLastYear);
    return clampDay({static_cast<int>(y), d.month, d.day});
}

int minusYears(int date, long long count) noexcept {
    return plusYears(date, -count);
}

int fromUnix(std::time_t when) noexcept { return localDate(when); }

std::time_t toUnix(int date) noexcept {
    Ymd d = split(date);
    std::tm tm{};
    tm.tm_year = d.year - 1900;
    tm.tm_mon = d.month - 1;
    tm.tm_mday = d.day;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

void setClock(ClockFunction clock) noexcept { Clock_function.store(clock); }

std::time_t now() noexcept {
    ClockFunction f = Clock_function.load();
    return f ? f() : std::time(nullptr);
}

int todayPlusSeconds(long offset) noexcept { return localDate(now() + offset); }

}  // namespace orv::dates

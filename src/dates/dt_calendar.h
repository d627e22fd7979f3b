// Calendar arithmetic on date values (year * 10000 + month * 100 + day) and
// the clock that today, yesterday and tomorrow read.
#pragma once

#include <climits>
#include <cstdint>
#include <ctime>

namespace orv::dates {

struct Ymd {
    int year = 0;
    int month = 0;
    int day = 0;
};

// The parts of a date value, as plain division gives them.
inline Ymd split(int date) noexcept { return {date / 10000, date % 10000 / 100, date % 100}; }
// Unchecked: parts that do not fit wrap around instead of overflowing.
inline int join(int year, int month, int day) noexcept {
    std::int64_t v = static_cast<std::int64_t>(year) * 10000 + static_cast<std::int64_t>(month) * 100 + day;
    return static_cast<int>(static_cast<std::uint32_t>(v));
}

bool isLeapYear(int year) noexcept;
// 28..31, or 0 for a month outside 1..12.
int monthDays(int month, int year) noexcept;
// 0, or -4 / -3 / -2 for a bad year, month or day.
int validate(int year, int month, int day) noexcept;

// Days from b to a.
int daysBetween(int a, int b) noexcept;
int plusDays(int date, long long count) noexcept;
int plusMonths(int date, long long count) noexcept;
int plusYears(int date, long long count) noexcept;
// Years taken off stop at year 1.
int minusYears(int date, long long count) noexcept;

// The local date of a calendar time, or 0.
int fromUnix(std::time_t when) noexcept;
std::time_t toUnix(int date) noexcept;

// The clock behind today, yesterday and tomorrow. Tests install a fixed
// one; null returns to the system clock.
using ClockFunction = std::time_t (*)();
void setClock(ClockFunction clock) noexcept;
std::time_t now() noexcept;
// The local date now plus offset seconds, or 0.
int todayPlusSeconds(long offset) noexcept;

}  // namespace orv::dates

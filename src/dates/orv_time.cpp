// Moments in a time zone on the C library's local time and tz database.
//
// A calendar date made here is either in the local zone (the zone of TZ), or
// in a fixed offset from UTC when it was read with one ("GMT", "UTC",
// "+0100"). Calendar amounts are added field by field and normalised the way
// mktime does, so a day the month lacks runs on into the next month.
#include "dates/orv_time.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <vector>

namespace orv::dates {

namespace {

constexpr std::array<const char *, 12> kMonthAbbreviations = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool isFixedZone(std::string_view zone) {
    return zone == "GMT" || zone == "UTC" ||
           (!zone.empty() && (zone[0] == '+' || zone[0] == '-'));
}

std::string offsetName(long offset) {
    if (offset == 0) return "GMT";
    char buf[16];
    long off = offset < 0 ? -offset : offset;
    std::snprintf(buf, sizeof buf, "%c%02ld%02ld", offset < 0 ? '-' : '+', off / 3600 % 100,
                  off / 60 % 60);
    return buf;
}

Ref<ORVCalendarDate> fixedDate(std::tm tm, long offset, std::string zone) {
    tm.tm_isdst = 0;
    std::time_t t = timegm(&tm);
    if (t == static_cast<std::time_t>(-1) && tm.tm_year != 69) return nullptr;
    return make<ORVCalendarDate>(static_cast<std::int64_t>(t) - offset,
                                 static_cast<std::int32_t>(offset), std::move(zone));
}

// Reads n digits at most (at least one) as a number.
bool digits(std::string_view &s, int minCount, int maxCount, int &out) {
    int n = 0;
    out = 0;
    while (n < maxCount && n < static_cast<int>(s.size()) && std::isdigit(static_cast<unsigned char>(s[n]))) {
        out = out * 10 + (s[n] - '0');
        ++n;
    }
    s.remove_prefix(n);
    return n >= minCount;
}

bool literal(std::string_view &s, char c) {
    if (s.empty() || s[0] != c) return false;
    s.remove_prefix(1);
    return true;
}

}  // namespace

std::tm breakDown(const ORVCalendarDate &date) {
    std::time_t t = static_cast<std::time_t>(date.seconds + date.gmtOffset);
    std::tm tm{};
    gmtime_r(&t, &tm);
    tm.tm_gmtoff = date.gmtOffset;
    tm.tm_zone = date.zoneName.c_str();
    return tm;
}

Ref<ORVCalendarDate> localDate(std::tm tm) {
    tm.tm_isdst = -1;
    std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1) && tm.tm_year != 69) return nullptr;
    return make<ORVCalendarDate>(static_cast<std::int64_t>(t), static_cast<std::int32_t>(tm.tm_gmtoff),
                                 tm.tm_zone ? tm.tm_zone : "");
}

Ref<ORVCalendarDate> moved(const ORVCalendarDate &date, int years, int months, int days, int hours,
                           int minutes, int seconds) {
    std::tm tm = breakDown(date);
    // Field sums are made in 64 bits and refused when they leave int.
    auto add = [](int &field, long long amount) {
        long long sum = field + amount;
        if (sum < -2000000000LL || sum > 2000000000LL) return false;
        field = static_cast<int>(sum);
        return true;
    };
    if (!add(tm.tm_year, years) || !add(tm.tm_mon, months) || !add(tm.tm_mday, days) ||
        !add(tm.tm_hour, hours) || !add(tm.tm_min, minutes) || !add(tm.tm_sec, seconds))
        return nullptr;
    if (isFixedZone(date.zoneName)) return fixedDate(tm, date.gmtOffset, date.zoneName);
    return localDate(tm);
}

Ref<ORVCalendarDate> parseCanonical(std::string_view s) {
    std::tm tm{};
    int day, year, hour, minute, second;
    if (!digits(s, 1, 2, day) || !literal(s, '-') || s.size() < 3) return nullptr;
    int month = -1;
    for (int i = 0; i < 12; ++i)
        if (strncasecmp(s.data(), kMonthAbbreviations[i], 3) == 0) month = i;
    if (month < 0) return nullptr;
    s.remove_prefix(3);
    if (!literal(s, '-') || !digits(s, 4, 4, year) || !literal(s, ' ') ||
        !digits(s, 1, 2, hour) || !literal(s, ':') || !digits(s, 2, 2, minute) ||
        !literal(s, ':') || !digits(s, 2, 2, second) || !literal(s, ' '))
        return nullptr;
    if (day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59) return nullptr;
    std::string zone(s);
    if (zone.empty() || zone.find_first_of(" \t") != std::string::npos) return nullptr;
    tm.tm_year = year - 1900;
    tm.tm_mon = month;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    if (zone == "GMT" || zone == "UTC" || zone == "Z") return fixedDate(tm, 0, zone == "Z" ? "GMT" : zone);
    if (zone[0] == '+' || zone[0] == '-') {
        std::string_view rest(zone);
        rest.remove_prefix(1);
        int hh, mm;
        if (!digits(rest, 2, 2, hh) || !digits(rest, 2, 2, mm) || !rest.empty() || mm > 59) return nullptr;
        long offset = (zone[0] == '-' ? -1L : 1L) * (hh * 3600L + mm * 60L);
        return fixedDate(tm, offset, offsetName(offset));
    }
    // A name of the local zone: standard or daylight time, whichever names it.
    for (int isdst : {-1, 0, 1}) {
        std::tm probe = tm;
        probe.tm_isdst = isdst;
        std::time_t t = std::mktime(&probe);
        if (t == static_cast<std::time_t>(-1)) continue;
        if (probe.tm_zone && zone == probe.tm_zone)
            return make<ORVCalendarDate>(static_cast<std::int64_t>(t), static_cast<std::int32_t>(probe.tm_gmtoff),
                                         zone);
    }
    return nullptr;
}

std::string format(const ORVCalendarDate &date, const char *pattern) {
    if (!pattern || !*pattern) return {};
    std::tm tm = breakDown(date);
    std::vector<char> buf(64 + std::strlen(pattern) * 4);
    for (;;) {
        std::size_t n = std::strftime(buf.data(), buf.size(), pattern, &tm);
        if (n > 0) return std::string(buf.data(), n);
        if (buf.size() > (1u << 22)) return {};  // a pattern that prints nothing
        buf.resize(buf.size() * 4);
    }
}

CalendarSpan difference(const ORVCalendarDate &later, const ORVCalendarDate &earlier) {
    if (later.seconds < earlier.seconds) {
        CalendarSpan s = difference(earlier, later);
        return {-s.years, -s.months, -s.days, -s.hours, -s.minutes, -s.seconds};
    }
    // The earlier moment seen in the later one's zone.
    ORVCalendarDate start(earlier.seconds, later.gmtOffset, later.zoneName);
    if (!isFixedZone(later.zoneName)) {
        std::time_t t = static_cast<std::time_t>(earlier.seconds);
        std::tm local{};
        if (localtime_r(&t, &local)) {
            start.gmtOffset = static_cast<std::int32_t>(local.tm_gmtoff);
            if (local.tm_zone) start.zoneName = local.tm_zone;
        }
    }
    std::tm a = breakDown(start), b = breakDown(later);
    auto after = [&](int y, int m, int d) {
        auto r = moved(start, y, m, d, 0, 0, 0);
        return !r || r->seconds > later.seconds;
    };
    CalendarSpan s;
    s.years = b.tm_year - a.tm_year;
    while (s.years > 0 && after(s.years, 0, 0)) --s.years;
    s.months = (b.tm_year - a.tm_year - s.years) * 12 + b.tm_mon - a.tm_mon;
    while (s.months > 0 && after(s.years, s.months, 0)) --s.months;
    auto base = moved(start, s.years, s.months, 0, 0, 0, 0);
    std::int64_t rest = base ? later.seconds - base->seconds : 0;
    s.days = static_cast<int>(rest / 86400) + 1;
    while (s.days > 0 && after(s.years, s.months, s.days)) --s.days;
    auto dayBase = moved(start, s.years, s.months, s.days, 0, 0, 0);
    rest = dayBase ? later.seconds - dayBase->seconds : 0;
    s.hours = static_cast<int>(rest / 3600);
    s.minutes = static_cast<int>(rest / 60 % 60);
    s.seconds = static_cast<int>(rest % 60);
    return s;
}

}  // namespace orv::dates

// What the handle readers make of stored values, and the dates the setters
// store.
#include "handles/orv_handle_values.h"

#include "platform/pool.h"

#include <charconv>
#include <chrono>
#include <climits>
#include <cstdio>
#include <ctime>

namespace orv::handles {

std::string text_of(const ORVObject *value) {
    if (!value) return {};
    if (const auto *s = orv::as<ORVString>(value)) return s->value;
    if (const auto *n = orv::as<ORVNumber>(value)) {
        char buf[40];
        if (n->type == ORVNumber::Type::Floating)
            std::snprintf(buf, sizeof buf, "%.17g", n->floating);
        else
            std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(n->integer));
        return buf;
    }
    if (const auto *d = orv::as<ORVCalendarDate>(value)) return d->calendarText();
    return value->description();
}

const char *temporary_text_of(ORVObject *value) {
    if (!value) return nullptr;
    if (value->kind() == ORV_KIND_STRING) {
        auto *s = static_cast<ORVString *>(value);
        // The pool's reference keeps the characters valid even when the
        // container drops or replaces the value before the pool goes.
        s->retain();
        ORVAutoreleasePool::autoreleaseObject(s);
        return s->cString();
    }
    return ORVString::temporary(text_of(value))->cString();
}

int int_of_text(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\f' || text[i] == '\v'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Digits alone (a second sign reads as no number); too many digits for
    // the magnitude clamp like any other number beyond int.
    unsigned long long magnitude = 0;
    const bool beyond =
        std::from_chars(text.data() + i, text.data() + text.size(), magnitude).ec == std::errc::result_out_of_range;
    if (beyond || magnitude > INT_MAX) return negative ? INT_MIN : INT_MAX;
    const int v = static_cast<int>(magnitude);
    return negative ? -v : v;
}

namespace {

// Reads between min and max digits at pos; false when there are fewer.
bool read_digits(std::string_view text, std::size_t &pos, std::size_t min, std::size_t max,
                 int &out) {
    std::size_t n = 0;
    out = 0;
    while (pos < text.size() && n < max && text[pos] >= '0' && text[pos] <= '9') {
        out = out * 10 + (text[pos++] - '0');
        ++n;
    }
    return n >= min;
}

bool read_char(std::string_view text, std::size_t &pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

std::int64_t days_since_epoch(int year, int month, int day) {
    using namespace std::chrono;
    const sys_days d{std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                     std::chrono::day{static_cast<unsigned>(day)}};
    return d.time_since_epoch().count();
}

}  // namespace

bool is_valid_day(int year, int month, int day) {
    if (year < -32767 || year > 32767 || month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    return std::chrono::year_month_day{std::chrono::year{year},
                                       std::chrono::month{static_cast<unsigned>(month)},
                                       std::chrono::day{static_cast<unsigned>(day)}}
        .ok();
}

std::optional<DateFields> parse_date_text(std::string_view text) {
    DateFields f{};
    std::size_t p = 0;
    int oh = 0, om = 0;
    if (!read_digits(text, p, 4, 4, f.year) || !read_char(text, p, '-') ||
        !read_digits(text, p, 1, 2, f.month) || !read_char(text, p, '-') ||
        !read_digits(text, p, 1, 2, f.day) || !read_char(text, p, ' ') ||
        !read_digits(text, p, 1, 2, f.hour) || !read_char(text, p, ':') ||
        !read_digits(text, p, 1, 2, f.minute) || !read_char(text, p, ':') ||
        !read_digits(text, p, 1, 2, f.second) || !read_char(text, p, ' '))
        return std::nullopt;
    if (p >= text.size() || (text[p] != '+' && text[p] != '-')) return std::nullopt;
    const bool west = text[p++] == '-';
    if (!read_digits(text, p, 2, 2, oh) || !read_digits(text, p, 2, 2, om)) return std::nullopt;
    while (p < text.size() && text[p] == ' ') ++p;
    if (p != text.size()) return std::nullopt;
    if (!is_valid_day(f.year, f.month, f.day) || f.hour > 23 || f.minute > 59 || f.second > 60 ||
        oh > 23 || om > 59)
        return std::nullopt;
    f.offset = (west ? -1 : 1) * (oh * 3600 + om * 60);
    f.seconds = days_since_epoch(f.year, f.month, f.day) * 86400 + f.hour * 3600 +
                f.minute * 60 + f.second - f.offset;
    return f;
}

std::optional<DateFields> date_fields_of(const ORVObject *value) {
    if (const auto *s = orv::as<ORVString>(value)) return parse_date_text(s->value);
    if (const auto *d = orv::as<ORVCalendarDate>(value)) {
        auto f = parse_date_text(d->calendarText());
        if (f) f->seconds = d->seconds;
        return f;
    }
    return std::nullopt;
}

orv::Ref<ORVCalendarDate> local_date_at(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    tzset();  // localtime_r need not look at TZ again by itself
    if (!localtime_r(&t, &tm)) return orv::make<ORVCalendarDate>(seconds, 0, "UTC");
    return orv::make<ORVCalendarDate>(seconds, static_cast<std::int32_t>(tm.tm_gmtoff),
                                      tm.tm_zone ? tm.tm_zone : "");
}

orv::Ref<ORVCalendarDate> local_date_of_day(int year, int month, int day, int hour) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_isdst = -1;
    // In a gap of the local clock the C library takes the hour as it would
    // have been before the change, which is the first moment after the gap.
    const std::time_t t = std::mktime(&tm);
    return local_date_at(static_cast<std::int64_t>(t));
}

}  // namespace orv::handles

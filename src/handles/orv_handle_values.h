// What the handle readers make of stored values: their text, that text read
// as a decimal integer, date texts, and the dates the setters store.
#pragma once

#include "platform/objects.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv::handles {

// The text of a value: a string's own bytes, a number in decimal, a date as
// its date text, anything else as its property-list description.
std::string text_of(const ORVObject *value);
// Characters of a temporary holding the text of value; null for null. A
// string value is itself kept alive by the pool rather than copied.
const char *temporary_text_of(ORVObject *value);

// The text read as a decimal integer: leading blanks, an optional sign, then
// digits up to the first other character; 0 when there are none. Values
// beyond the int range stop at INT_MAX or INT_MIN.
int int_of_text(std::string_view text);

// The fields of a date text "YYYY-MM-DD hh:mm:ss +hhmm" and the instant it
// names.
struct DateFields {
    int year, month, day, hour, minute, second;
    int offset;             // seconds east of UTC
    std::int64_t seconds;   // since 1970-01-01 00:00:00 UTC
};
std::optional<DateFields> parse_date_text(std::string_view text);
// The date fields of a value: a date object, or a text of the form above.
std::optional<DateFields> date_fields_of(const ORVObject *value);

// True for a day that exists in the proleptic Gregorian calendar.
bool is_valid_day(int year, int month, int day);
// A date for the instant, seen in the local time zone.
orv::Ref<ORVCalendarDate> local_date_at(std::int64_t seconds);
// A date for hour:00:00 local time of the day (which must be valid). When the
// hour does not exist that day, the first local time after the gap.
orv::Ref<ORVCalendarDate> local_date_of_day(int year, int month, int day, int hour);

}  // namespace orv::handles

// Moments seen in a time zone: building calendar dates from local or fixed
// zone components, breaking them down, moving them by calendar amounts,
// reading and printing the canonical format.
#pragma once

#include "platform/objects.h"

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace orv::dates {

// The date's moment broken down in its own zone (tm_gmtoff and tm_zone set).
std::tm breakDown(const ORVCalendarDate &date);
// A calendar date for the fields of tm (which may run over) in the local
// zone, or null when the system cannot place them.
Ref<ORVCalendarDate> localDate(std::tm tm);
// tm's fields moved by the amounts, in the zone of date.
Ref<ORVCalendarDate> moved(const ORVCalendarDate &date, int years, int months, int days,
                           int hours, int minutes, int seconds);
// The text in the canonical format, or null when it does not match.
Ref<ORVCalendarDate> parseCanonical(std::string_view text);
// strftime of the date in its zone.
std::string format(const ORVCalendarDate &date, const char *pattern);

struct CalendarSpan {
    int years = 0, months = 0, days = 0, hours = 0, minutes = 0, seconds = 0;
};
// The span from earlier to later, largest units first, all of one sign.
CalendarSpan difference(const ORVCalendarDate &later, const ORVCalendarDate &earlier);

}  // namespace orv::dates

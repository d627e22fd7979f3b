// Printing date values in the sixteen formats.
#pragma once

#include "dates/dt_words.h"

namespace orv::dates {

enum class MonthStyle {
    Table,   // short names from the table's short names; format 14 uses the
             // short name and a point when the full name is 5 or more long
    Record,  // every name is the full name; format 14 cuts it to 3 and a point
};

// Writes the date (with a terminator) into out, which holds at least a
// month name plus 10 bytes; returns a result code, out empty on failure.
int printDate(char *out, int date, int format, char separator, const DateWords &words,
              MonthStyle style = MonthStyle::Table);

}  // namespace orv::dates

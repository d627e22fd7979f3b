// The dtlocale module's keyword record, hint patterns and example date, read
// once from the user's settings and the library's bundle.
#pragma once

#include "dates/dt_words.h"

#include <array>
#include <optional>
#include <string>

struct dtlocale_keywords;

namespace orv::dates {

// The four values a user's settings give: month names and the words for the
// day before, this day and the day after.
struct UserDateSettings {
    std::array<std::string, 12> months;
    std::string priorDay, thisDay, nextDay;
};

// The settings of the user running the process: month names of the LC_TIME
// locale (English in the C locale) and the day words of the dt_ module's
// language.
UserDateSettings userDateSettings();

struct ModuleKeywords {
    std::array<std::string, 17> slots;  // the record, slot by slot
    DateWords words;                    // the same words for the parser
    std::string dayMonthYear, yearMonthDay, monthDayYear;  // hint patterns
};

// The module's record and patterns, read on first use (Initialized).
const ModuleKeywords &moduleKeywords();
// Tests: replace the user's settings (nullopt: the real ones) and read the
// record again on next use.
void setUserDateSettingsForTesting(std::optional<UserDateSettings> settings);

// The parser's words from a caller's record.
DateWords wordsOfRecord(const dtlocale_keywords &record);

}  // namespace orv::dates

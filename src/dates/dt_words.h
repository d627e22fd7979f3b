// The words a date text is compared with and printed in: the word for an
// unknown date, the day words, and the month names of one language.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace orv::dates {

struct DateWords {
    std::string code;       // language code, "" for a caller's own record
    std::string unknown;    // each word "" when its language has none
    std::string today;
    std::string now;        // a second word for today
    std::string yesterday;
    std::string tomorrow;
    std::array<std::string, 12> months;       // full names, January first
    std::array<std::string, 12> shortMonths;  // "" where missing
};

// The words of the supported language with this id, read once from the
// bundle's "dt" tables and kept; null when no supported language has that
// id. The pointer stays valid for the life of the process.
const DateWords *wordsForLanguage(int languageId);
// Forgets the words read so far (after the supported languages changed).
void forgetLanguageWords();

// Equal ignoring case over at most limit characters of both.
bool equalsIgnoringCase(std::string_view a, std::string_view b, std::size_t limit = std::string_view::npos);

}  // namespace orv::dates

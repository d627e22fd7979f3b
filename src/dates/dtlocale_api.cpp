// The exported dtlocale_ functions: parsing and printing with the user's
// keyword record, hints and examples for a date field.
#include <ORVCommonKit/dt.h>
#include <ORVCommonKit/dtlocale.h>
#include <ORVCommonKit/tr.h>

#include "dates/dt_print.h"
#include "dates/dt_state.h"
#include "dates/dtlocale_keywords.h"

#include <cstring>

using namespace orv::dates;

namespace {

constexpr int kExampleDate = 19990131;  // ExampleDate

// Module buffers, overwritten by each call.
char Hint_str_buffer[6];
char Example_str_buffer[64];

int parseWith(int *date, const char *text, int format, const DateWords &words, int tense) {
    if (!date) return -5;
    *date = 0;
    if (!validFormat(format)) return -5;
    int value = 0;
    int code = parseText(&value, text, format, tense, words, reparseInCurrentLanguage, nullptr);
    if (code == 0) *date = value;
    return code;
}

int printWith(char *buffer, int date, int format, char separator, const DateWords &words) {
    if (!buffer) return -5;
    if (date == 0) {  // the unknown word, at most 18 characters
        std::size_t n = std::min<std::size_t>(words.unknown.size(), 18);
        std::memcpy(buffer, words.unknown.data(), n);
        buffer[n] = '\0';
        return 0;
    }
    return printDate(buffer, date, format, separator, words, MonthStyle::Record);
}

int currentFormat() {
    int format = 0;
    dt_get_str_fmt(&format);
    return format;
}

char currentSeparator() {
    char separator = '-';
    dt_get_str_sep(&separator);
    return separator;
}

}  // namespace

extern "C" {

int dtlocale_str_to_date(int *date, const char *text) {
    return parseWith(date, text, currentFormat(), moduleKeywords().words, -1);
}
int dtlocale_str_to_date_tense(int *date, const char *text, int tense) {
    return parseWith(date, text, currentFormat(), moduleKeywords().words, tense);
}
int dtlocale_str_to_date_format(int *date, const char *text, int format) {
    return parseWith(date, text, format, moduleKeywords().words, -1);
}
int dtlocale_str_to_date_format_tense(int *date, const char *text, int format, int tense) {
    return parseWith(date, text, format, moduleKeywords().words, tense);
}
int dtlocale_dt_str_to_date_format_keys_tense(int *date, const char *text, int format,
                                              const dtlocale_keywords *keys, int tense) {
    if (!keys) {
        if (date) *date = 0;
        return -5;
    }
    return parseWith(date, text, format, wordsOfRecord(*keys), tense);
}

int dtlocale_date_to_str(char *buffer, int date) {
    return printWith(buffer, date, currentFormat(), currentSeparator(), moduleKeywords().words);
}
int dtlocale_date_to_str_format(char *buffer, int date, int format, char separator) {
    return printWith(buffer, date, format, separator, moduleKeywords().words);
}
int dtlocale_dt_date_to_str_format_keys(char *buffer, int date, int format, char separator,
                                        const dtlocale_keywords *keys) {
    if (!keys) {
        if (buffer) buffer[0] = '\0';
        return -5;
    }
    return printWith(buffer, date, format, separator, wordsOfRecord(*keys));
}

const char *dtlocale_hint_str(void) {
    return dtlocale_hint_str_for_fmt_sep(currentFormat(), currentSeparator());
}
const char *dtlocale_hint_str_for_fmt(int format) {
    return dtlocale_hint_str_for_fmt_sep(format, currentSeparator());
}
const char *dtlocale_hint_str_for_fmt_sep(int format, char separator) {
    const ModuleKeywords &k = moduleKeywords();
    const std::string *pattern = nullptr;
    switch (format) {
    case 0: case 1: case 6: case 7: case 12: case 13: pattern = &k.dayMonthYear; break;
    case 2: case 3: case 4: case 5: case 14: case 15: pattern = &k.monthDayYear; break;
    case 8: case 9: case 10: case 11: pattern = &k.yearMonthDay; break;
    default:
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Unrecognized Date Format", "ORVCommonKit",
                 "An unrecoginized format value (%d) was passed to dtlocale_hint_str_for_fmt_sep.",
                 format);
        Hint_str_buffer[0] = '\0';
        return Hint_str_buffer;
    }
    // The pattern's two %c take the separator; nothing else in it is special.
    std::size_t n = 0;
    for (std::size_t i = 0; i < pattern->size() && n < sizeof Hint_str_buffer - 1; ++i) {
        if ((*pattern)[i] == '%' && i + 1 < pattern->size() && (*pattern)[i + 1] == 'c') {
            Hint_str_buffer[n++] = separator;
            ++i;
        } else {
            Hint_str_buffer[n++] = (*pattern)[i];
        }
    }
    Hint_str_buffer[n] = '\0';
    return Hint_str_buffer;
}

const char *dtlocale_example_str(void) {
    return dtlocale_example_str_for_fmt_sep(currentFormat(), currentSeparator());
}
const char *dtlocale_example_str_for_fmt(int format) {
    return dtlocale_example_str_for_fmt_sep(format, currentSeparator());
}
const char *dtlocale_example_str_for_fmt_sep(int format, char separator) {
    const DateWords &words = moduleKeywords().words;
    char text[sizeof Example_str_buffer + 16];
    bool fits = true;
    for (const std::string &m : words.months) fits = fits && m.size() < sizeof Example_str_buffer - 12;
    if (!fits || printWith(text, kExampleDate, format, separator, words) != 0) text[0] = '\0';
    std::memcpy(Example_str_buffer, text, std::strlen(text) + 1);
    return Example_str_buffer;
}

}  // extern "C"

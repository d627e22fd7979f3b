// The exported dt_ functions for date texts: settings, parsing, printing and
// the formats in other notations.
#include <ORVCommonKit/dt.h>
#include <ORVCommonKit/tr.h>

#include "dates/dt_calendar.h"
#include "dates/dt_print.h"
#include "dates/dt_state.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace orv::dates {

int Str_format = 4;
char Separator = '-';
int Str_time_format = 0;
int Current_lang_id = 1;
char Current_language[16] = "ENU";

const DateWords *wordsOrReport(int languageId, const char *title) {
    const DateWords *words = wordsForLanguage(languageId);
    if (!words)
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, title, "ORVCommonKit", "LanguageID %d is invalid",
                 languageId);
    return words;
}

int parseInLanguage(int *date, const char *text, int format, int languageId, int tense,
                    const char *title, Explanation *why) {
    if (!date) return -5;
    *date = 0;
    const DateWords *words = wordsOrReport(languageId, title);
    if (!words) return -1;
    if (!validFormat(format)) {
        if (why) why->add(text ? text : "", "date", "the format number is not 0 to 15");
        return -5;
    }
    int value = 0;
    int code = parseText(&value, text, format, tense, *words, reparseInCurrentLanguage, why);
    if (code == 0) *date = value;
    return code;
}

int reparseInCurrentLanguage(int *date, const char *text, int format, int tense, Explanation *why) {
    return parseInLanguage(date, text, format, Current_lang_id, tense,
                           "dt_str_to_date_format_language_tense", why);
}

}  // namespace orv::dates

using namespace orv::dates;

namespace {

constexpr const char *kParseTitle = "dt_str_to_date_format_language_tense";

constexpr const char *kUnixFormats[kFormatCount] = {
    "%d-%b-%y", "%d-%b-%Y", "%b-%d-%y", "%b-%d-%Y", "%m-%d-%y", "%m-%d-%Y", "%d-%m-%y", "%d-%m-%Y",
    "%y-%m-%d", "%Y-%m-%d", "%y%m%d",   "%Y%m%d",   "%d-%B-%y", "%d-%B-%Y", "%B %d/%y", "%B %d, %Y"};
constexpr const char *kPickerFormats[kFormatCount] = {
    "dd'-'MMM'-'yy",  "dd'-'MMM'-'yyy",  "MMM'-'dd'-'yy",  "MMM'-'dd'-'yyy",
    "MM'-'dd'-'yy",   "MM'-'dd'-'yyy",   "dd'-'MM'-'yy",   "dd'-'MM'-'yyy",
    "yy'-'MM'-'dd",   "yyy'-'MM'-'dd",   "yyMMdd",         "yyyMMdd",
    "dd'-'MMMM'-'yy", "dd'-'MMMM'-'yyy", "MMMM dd'/'yy",   "MMMM dd',' yyy"};
constexpr const char *kTimeFormats[5] = {"%H:%M", "%I:%M %p", "%H:%M:%S", "%I:%M:%S %p", "%X"};

// Module buffers of the three pattern functions, each overwritten by its next call.
char Unix_format_buffer[19];
char Picker_format_buffer[19];
char Time_format_buffer[14];

const char *patternWithSeparator(char *buffer, std::size_t max, const char *pattern, char separator) {
    std::size_t i = 0;
    for (; pattern[i] && i < max; ++i) buffer[i] = pattern[i] == '-' ? separator : pattern[i];
    buffer[i] = '\0';
    return buffer;
}

int print(char *buffer, int date, int format, char separator, int languageId, const char *title) {
    if (!buffer) return -5;
    buffer[0] = '\0';
    const DateWords *words = wordsOrReport(languageId, title);
    if (!words) return -1;
    return printDate(buffer, date, format, separator, *words);
}

}  // namespace

extern "C" {

int dt_set_str_fmt(int format) {
    if (!validFormat(format)) return -5;
    Str_format = format;
    return 0;
}
void dt_get_str_fmt(int *format) {
    if (format) *format = Str_format;
}
int dt_set_str_sep(char separator) {
    Separator = separator;
    return 0;
}
void dt_get_str_sep(char *separator) {
    if (separator) *separator = Separator;
}
int dt_set_str_time_fmt(int time_format) {
    if (time_format < 0 || time_format > 4) return -5;
    Str_time_format = time_format;
    return 0;
}
void dt_get_str_time_fmt(int *time_format) {
    if (time_format) *time_format = Str_time_format;
}

int dt_set_language(int language_id) {
    const DateWords *words = wordsOrReport(language_id, "dt_set_language");
    if (!words) return -1;
    Current_lang_id = language_id;
    std::snprintf(Current_language, sizeof Current_language, "%s", words->code.c_str());
    for (char *c = Current_language; *c; ++c)
        if (*c >= 'a' && *c <= 'z') *c = static_cast<char>(*c - 'a' + 'A');
    return 0;
}

int dt_str_to_date(int *date, const char *text) {
    return parseInLanguage(date, text, Str_format, Current_lang_id, -1, kParseTitle, nullptr);
}
int dt_str_to_date_tense(int *date, const char *text, int tense) {
    return parseInLanguage(date, text, Str_format, Current_lang_id, tense, kParseTitle, nullptr);
}
int dt_str_to_date_format(int *date, const char *text, int format) {
    return parseInLanguage(date, text, format, Current_lang_id, -1, kParseTitle, nullptr);
}
int dt_str_to_date_format_tense(int *date, const char *text, int format, int tense) {
    return parseInLanguage(date, text, format, Current_lang_id, tense, kParseTitle, nullptr);
}
int dt_str_to_date_format_language(int *date, const char *text, int format, int language_id) {
    return parseInLanguage(date, text, format, language_id, -1, kParseTitle, nullptr);
}
int dt_str_to_date_format_language_tense(int *date, const char *text, int format, int language_id,
                                         int tense) {
    return parseInLanguage(date, text, format, language_id, tense, kParseTitle, nullptr);
}

void find_date_pieces(const char *text, int *count, int *numeric_count, char *pieces[3],
                      int numeric[3]) {
    Pieces p;
    cutPieces(text, p);
    if (count) *count = p.count;
    if (numeric_count) *numeric_count = p.numeric;
    for (int i = 0; i < 3; ++i) {
        bool cut = i < p.count;
        if (pieces && pieces[i]) std::strcpy(pieces[i], cut ? p.text[i] : "");
        if (numeric) numeric[i] = cut && p.isNumber[i] ? 1 : 0;
    }
}

int parse_single_number(int *date, const char *digits, int format, int tense) {
    if (!date) return -5;
    *date = 0;
    int value = 0;
    int code = parseSingleNumber(&value, digits, format, tense, reparseInCurrentLanguage, nullptr);
    if (code == 0) *date = value;
    return code;
}

int parse_two_pieces(int *date, const char *word, const char *number, int format, int tense) {
    if (!date) return -5;
    *date = 0;
    int value = 0;
    int code = parseTwoPieces(&value, word, number, format, tense, reparseInCurrentLanguage, nullptr);
    if (code == 0) *date = value;
    return code;
}

int dt_date_to_str(char *buffer, int date) {
    return print(buffer, date, Str_format, Separator, Current_lang_id, "dt_date_to_str_format_language");
}
int dt_date_to_str_format(char *buffer, int date, int format, char separator) {
    return print(buffer, date, format, separator, Current_lang_id, "dt_date_to_str_format_language");
}
int dt_date_to_str_format_language(char *buffer, int date, int format, char separator,
                                   int language_id) {
    return print(buffer, date, format, separator, language_id, "dt_date_to_str_format_language");
}

int dt_get_date(char *buffer) { return dt_date_to_str(buffer, dt_today()); }

int dt_time_to_str(char *buffer, int date) {
    if (!buffer) return -5;
    buffer[0] = '\0';
    if (date == 0) {
        const DateWords *words = wordsOrReport(Current_lang_id, "dt_time_to_str");
        if (!words || words->unknown.empty()) return -1;
        std::snprintf(buffer, 19, "%s", words->unknown.c_str());
        return 0;
    }
    std::time_t midnight = toUnix(date);
    std::tm tm{};
    if (!localtime_r(&midnight, &tm)) return -1;
    char text[64];
    std::size_t n = std::strftime(text, sizeof text, kTimeFormats[Str_time_format], &tm);
    text[std::min<std::size_t>(n, 11)] = '\0';
    std::memcpy(buffer, text, std::strlen(text) + 1);
    return 0;
}

const char *dt_fmt_to_unix_str(int format, char separator) {
    if (!validFormat(format)) return nullptr;
    return patternWithSeparator(Unix_format_buffer, 18, kUnixFormats[format], separator);
}
const char *dt_fmt_to_dtp_str(int format, char separator) {
    if (!validFormat(format)) return nullptr;
    return patternWithSeparator(Picker_format_buffer, 18, kPickerFormats[format], separator);
}
const char *dt_time_fmt_to_unix_str(int time_format) {
    if (time_format < 0 || time_format > 4) return nullptr;
    return patternWithSeparator(Time_format_buffer, 13, kTimeFormats[time_format], '-');
}

}  // extern "C"

// The date printer: the sixteen formats written digit by digit (no printf in
// the common path), month names from the caller's words.
#include "dates/dt_print.h"

#include "dates/dt_calendar.h"
#include "dates/dt_parse.h"

#include <cstring>

namespace orv::dates {

namespace {

char *put2(char *p, int v) {
    p[0] = static_cast<char>('0' + v / 10 % 10);
    p[1] = static_cast<char>('0' + v % 10);
    return p + 2;
}

// At least four digits (a year of 1800..32767).
char *putYear(char *p, int v) {
    if (v >= 10000) *p++ = static_cast<char>('0' + v / 10000);
    p = put2(p, v / 100 % 100);
    return put2(p, v % 100);
}

char *putText(char *p, const std::string &s, std::size_t max = std::string::npos) {
    std::size_t n = std::min(s.size(), max);
    std::memcpy(p, s.data(), n);
    return p + n;
}

char *putNumber(char *p, int v) {  // %d of a day 1..31
    if (v >= 10) *p++ = static_cast<char>('0' + v / 10);
    *p++ = static_cast<char>('0' + v % 10);
    return p;
}

}  // namespace

int printDate(char *out, int date, int format, char sep, const DateWords &w, MonthStyle style) {
    out[0] = '\0';
    if (date == 0) {
        if (w.unknown.empty()) return -1;
        std::memcpy(out, w.unknown.c_str(), w.unknown.size() + 1);
        return 0;
    }
    Ymd d = split(date);
    if (int code = validate(d.year, d.month, d.day)) return code;
    if (!validFormat(format)) return -5;
    const std::string &full = w.months[static_cast<std::size_t>(d.month - 1)];
    const std::string &shortName =
        style == MonthStyle::Record ? full : w.shortMonths[static_cast<std::size_t>(d.month - 1)];
    bool needsShort = format <= 3, needsFull = format >= 12;
    if ((needsShort && shortName.empty()) || (needsFull && full.empty())) return -1;
    int yy = d.year % 100;
    char *p = out;
    switch (format) {
    case 0: case 1:
        p = put2(p, d.day), *p++ = sep, p = putText(p, shortName), *p++ = sep;
        p = format == 0 ? put2(p, yy) : putYear(p, d.year);
        break;
    case 2: case 3:
        p = putText(p, shortName), *p++ = sep, p = put2(p, d.day), *p++ = sep;
        p = format == 2 ? put2(p, yy) : putYear(p, d.year);
        break;
    case 4: case 5:
        p = put2(p, d.month), *p++ = sep, p = put2(p, d.day), *p++ = sep;
        p = format == 4 ? put2(p, yy) : putYear(p, d.year);
        break;
    case 6: case 7:
        p = put2(p, d.day), *p++ = sep, p = put2(p, d.month), *p++ = sep;
        p = format == 6 ? put2(p, yy) : putYear(p, d.year);
        break;
    case 8: case 9:
        p = format == 8 ? put2(p, yy) : putYear(p, d.year);
        *p++ = sep, p = put2(p, d.month), *p++ = sep, p = put2(p, d.day);
        break;
    case 10: case 11:
        p = format == 10 ? put2(p, yy) : putYear(p, d.year);
        p = put2(p, d.month), p = put2(p, d.day);
        break;
    case 12: case 13:
        p = put2(p, d.day), *p++ = sep, p = putText(p, full), *p++ = sep;
        p = format == 12 ? put2(p, yy) : putYear(p, d.year);
        break;
    case 14:
        if (full.size() < 5) {
            p = putText(p, full);
        } else if (style == MonthStyle::Record) {
            p = putText(p, full, 3), *p++ = '.';
        } else {
            if (shortName.empty()) return -1;
            p = putText(p, shortName), *p++ = '.';
        }
        *p++ = ' ', p = putNumber(p, d.day), *p++ = '/', p = put2(p, yy);
        break;
    default:  // 15
        p = putText(p, full), *p++ = ' ', p = putNumber(p, d.day), *p++ = ',', *p++ = ' ';
        p = putYear(p, d.year);
        break;
    }
    *p = '\0';
    return 0;
}

}  // namespace orv::dates

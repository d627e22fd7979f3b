// orvkit date: reading, printing and moving dates with the library's date
// rules, and why a text became the date it did.
#include "cmdline.h"
#include "json.h"
#include "orvkit.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include "dates/dt_state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void to_stderr(const char *text, int kind) {
    if (kind == tr_KIND_ERROR) std::fprintf(stderr, "%s\n", text);
}

int run_date(int argc, char **argv);

const char *const kDateUsage =
    "usage: orvkit date parse TEXT [--format N] [--tense past|future|nearest] [--lang CODE]\n"
    "                         [--explain] [--json]\n"
    "       orvkit date print YYYYMMDD [--format N] [--separator C] [--lang CODE] [--json]\n"
    "       orvkit date add YYYYMMDD [--days N] [--months N] [--years N] [--json]\n"
    "       orvkit date formats [--separator C] [--lang CODE] [--json]\n"
    "\n"
    "parse    reads TEXT as an operator would type it, in date format N (0..15,\n"
    "         default 4, MM-DD-YY); a two-digit year is placed in a century by the\n"
    "         tense (default past). --explain names the rule that decided each piece.\n"
    "         Exit status 1 when TEXT is not a date.\n"
    "print    prints the date value YYYYMMDD in format N with the separator (\"-\").\n"
    "add      moves YYYYMMDD by years, then months, then days (each may be\n"
    "         negative); a day the new month lacks becomes its last day.\n"
    "formats  lists the sixteen formats with an example, the hint of a date field,\n"
    "         and the strftime and date-picker patterns.\n"
    "\n"
    "  -f, --format N      date format number 0..15\n"
    "  -t, --tense T       past (default), future or nearest (also: none)\n"
    "  -l, --lang CODE     language code of the dt tables, e.g. enu or deu (default enu)\n"
    "  -s, --separator C   separator character for print and formats\n"
    "  -e, --explain       with parse: each piece, its role and the rule that gave it\n"
    "  -d, --days N / -m, --months N / -y, --years N   amounts for add\n"
    "  -j, --json          print one JSON document; keys:\n"
    "                      parse:   text, format, tense, language, status, date, printed,\n"
    "                               explanation [{piece, role, rule}]\n"
    "                      print:   date, format, language, status, text\n"
    "                      add:     date, years, months, days, result, days_between\n"
    "                      formats: formats [{format, example, hint, strftime, picker}]\n";

const orvkit::Command kDate{"date", "Parse, print and move dates; list the date formats",
                            kDateUsage, run_date};
const orvkit::Registrar registrar(kDate);

const orvkit::Command kParse{"date parse", "", kDateUsage, nullptr};
const orvkit::Command kPrint{"date print", "", kDateUsage, nullptr};
const orvkit::Command kAdd{"date add", "", kDateUsage, nullptr};
const orvkit::Command kFormats{"date formats", "", kDateUsage, nullptr};

// Makes the language of code the dt_ module's; false after a message.
bool use_language(const char *code) {
    if (!orvlocale_is_this_language_supported(code)) {
        std::fprintf(stderr, "orvkit date: language \"%s\" is not supported\n", code);
        return false;
    }
    std::string name = std::string(code) + ".LanguageID";
    int level = 0, id = 0;
    if (cf_get_simple(cf_DOMAIN_SYS, "interface", name.c_str(), &level, &id, cf_TYPE_INT, 0) != 0 ||
        dt_set_language(id) != 0) {
        std::fprintf(stderr, "orvkit date: language \"%s\" has no usable identifier\n", code);
        return false;
    }
    return true;
}

bool read_format(const orvkit::Command &command, long format, int *out) {
    if (format < 0 || format > 15) {
        orvkit::usage_error(command, "format %ld is not 0..15", format);
        return false;
    }
    *out = static_cast<int>(format);
    return true;
}

bool read_separator(const orvkit::Command &command, const char *text, char *out) {
    if (std::strlen(text) != 1) {
        orvkit::usage_error(command, "the separator is one character, not \"%s\"", text);
        return false;
    }
    *out = text[0];
    return true;
}

// A date value given as YYYYMMDD that passes the calendar check.
bool read_date(const orvkit::Command &command, const char *text, int *out) {
    char *end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (!*text || *end || value <= 0 || value > 327671231 ||
        validate_date(static_cast<int16_t>(value / 10000), static_cast<uint8_t>(value / 100 % 100),
                      static_cast<uint8_t>(value % 100)) != 0) {
        orvkit::usage_error(command, "\"%s\" is not a valid date YYYYMMDD", text);
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

// The library reads Windows-1252; a command line in UTF-8 is converted (a
// text that is not UTF-8 is taken as it is).
std::string from_utf8(const char *text) {
    std::string out;
    for (const unsigned char *s = reinterpret_cast<const unsigned char *>(text); *s;) {
        unsigned cp = *s;
        int extra = cp < 0x80 ? 0 : (cp & 0xE0) == 0xC0 ? 1 : (cp & 0xF0) == 0xE0 ? 2 : (cp & 0xF8) == 0xF0 ? 3 : -1;
        if (extra < 0) return text;
        cp &= extra == 0 ? 0x7F : 0x3F >> extra;
        for (int i = 1; i <= extra; ++i) {
            if ((s[i] & 0xC0) != 0x80) return text;
            cp = cp << 6 | (s[i] & 0x3F);
        }
        s += extra + 1;
        static const unsigned kHigh[32] = {0x20AC, 0, 0x201A, 0x192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x2C6, 0x2030, 0x160, 0x2039, 0x152, 0, 0x17D, 0,
                                           0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x2DC, 0x2122, 0x161, 0x203A, 0x153, 0, 0x17E, 0x178};
        char c = '?';
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) c = static_cast<char>(cp);
        for (int i = 0; i < 32; ++i)
            if (kHigh[i] && kHigh[i] == cp) c = static_cast<char>(0x80 + i);
        out.push_back(c);
    }
    return out;
}

const char *status_text(int code) {
    switch (code) {
    case 0: return "ok";
    case -1: return "invalid language or missing localized text";
    case -2: return "the month has no such day";
    case -3: return "the month is not 1 to 12";
    case -4: return "the year is below 1800";
    default: return "not a date";
    }
}

int run_parse(int argc, char **argv) {
    long format = 4;
    const char *tense_text = "past", *lang = "enu";
    bool explain = false, json = false;
    orvkit::CommandLine line(kParse);
    line.number('f', "format", &format).text('t', "tense", &tense_text).text('l', "lang", &lang)
        .flag('e', "explain", &explain).flag('j', "json", &json);
    if (int status = line.parse(argc, argv, 1, 1)) return status;
    int fmt = 0, tense = -1;
    if (!read_format(kParse, format, &fmt)) return orvkit::kUsage;
    if (!std::strcmp(tense_text, "future")) tense = 1;
    else if (!std::strcmp(tense_text, "nearest") || !std::strcmp(tense_text, "none")) tense = 0;
    else if (std::strcmp(tense_text, "past") != 0)
        return orvkit::usage_error(kParse, "unknown tense \"%s\" (past, future or nearest)", tense_text);
    if (!use_language(lang)) return orvkit::kFailed;

    const std::string input = from_utf8(line.operand(0));
    const char *text = input.c_str();
    orv::dates::Explanation why;
    int date = 0;
    int code = orv::dates::parseInLanguage(&date, text, fmt, orv::dates::Current_lang_id, tense,
                                           "dt_str_to_date_format_language_tense",
                                           explain ? &why : nullptr);
    char printed[64] = "";
    if (code == 0) dt_date_to_str_format(printed, date, fmt, '-');
    if (json) {
        orvkit::Json doc = orvkit::Json::object();
        doc["text"] = orvkit::text(text);
        doc["format"] = fmt;
        doc["tense"] = tense == 1 ? "future" : tense == 0 ? "nearest" : "past";
        doc["language"] = lang;
        doc["status"] = code;
        doc["date"] = date;
        doc["printed"] = orvkit::text(printed);
        if (explain) {
            orvkit::Json steps = orvkit::Json::array();
            for (const auto &s : why.steps)
                steps.push_back({{"piece", orvkit::utf8(s.piece)}, {"role", s.role}, {"rule", s.rule}});
            doc["explanation"] = steps;
        }
        return orvkit::print_json(doc, code == 0 ? orvkit::kOk : orvkit::kFailed);
    }
    if (code == 0) std::printf("%d\t%s\n", date, orvkit::utf8(printed).c_str());
    else std::printf("%s: %s (%d)\n", orvkit::utf8(text).c_str(), status_text(code), code);
    for (const auto &s : why.steps)
        std::printf("  %-18s %-6s %s\n", orvkit::utf8(s.piece).c_str(), s.role.c_str(), s.rule.c_str());
    return code == 0 ? orvkit::kOk : orvkit::kFailed;
}

int run_print(int argc, char **argv) {
    long format = 4;
    const char *lang = "enu", *sep_text = "-";
    bool json = false;
    orvkit::CommandLine line(kPrint);
    line.number('f', "format", &format).text('s', "separator", &sep_text).text('l', "lang", &lang)
        .flag('j', "json", &json);
    if (int status = line.parse(argc, argv, 1, 1)) return status;
    int fmt = 0, date = 0;
    char sep = '-';
    if (!read_format(kPrint, format, &fmt) || !read_separator(kPrint, sep_text, &sep))
        return orvkit::kUsage;
    char *end = nullptr;
    long value = std::strtol(line.operand(0), &end, 10);
    if (*end || value < 0 || value > 327671231)
        return orvkit::usage_error(kPrint, "\"%s\" is not a date value YYYYMMDD", line.operand(0));
    date = static_cast<int>(value);
    if (!use_language(lang)) return orvkit::kFailed;
    char text[64] = "";
    int code = dt_date_to_str_format(text, date, fmt, sep);
    if (json) {
        orvkit::Json doc = orvkit::Json::object();
        doc["date"] = date;
        doc["format"] = fmt;
        doc["language"] = lang;
        doc["status"] = code;
        doc["text"] = orvkit::text(text);
        return orvkit::print_json(doc, code == 0 ? orvkit::kOk : orvkit::kFailed);
    }
    if (code != 0) {
        std::fprintf(stderr, "orvkit date print: %d: %s (%d)\n", date, status_text(code), code);
        return orvkit::kFailed;
    }
    std::printf("%s\n", orvkit::utf8(text).c_str());
    return orvkit::kOk;
}

int run_add(int argc, char **argv) {
    long days = 0, months = 0, years = 0;
    bool json = false;
    orvkit::CommandLine line(kAdd);
    line.number('d', "days", &days).number('m', "months", &months).number('y', "years", &years)
        .flag('j', "json", &json);
    if (int status = line.parse(argc, argv, 1, 1)) return status;
    int date = 0;
    if (!read_date(kAdd, line.operand(0), &date)) return orvkit::kUsage;
    for (long v : {days, months, years})
        if (v < -10000000 || v > 10000000) return orvkit::usage_error(kAdd, "amount %ld is too large", v);
    int result = dt_plus_days(dt_plus_months(dt_plus_years(date, static_cast<int>(years)),
                                             static_cast<int>(months)),
                              static_cast<int>(days));
    int between = dt_days_diff(&result, &date);
    if (json) {
        orvkit::Json doc = orvkit::Json::object();
        doc["date"] = date;
        doc["years"] = years;
        doc["months"] = months;
        doc["days"] = days;
        doc["result"] = result;
        doc["days_between"] = between;
        return orvkit::print_json(doc);
    }
    std::printf("%d\t(%+d days)\n", result, between);
    return orvkit::kOk;
}

int run_formats(int argc, char **argv) {
    const char *lang = "enu", *sep_text = "-";
    bool json = false;
    orvkit::CommandLine line(kFormats);
    line.text('s', "separator", &sep_text).text('l', "lang", &lang).flag('j', "json", &json);
    if (int status = line.parse(argc, argv, 0, 0)) return status;
    char sep = '-';
    if (!read_separator(kFormats, sep_text, &sep)) return orvkit::kUsage;
    if (!use_language(lang)) return orvkit::kFailed;
    orvkit::Json list = orvkit::Json::array();
    if (!json) std::printf("%-3s %-20s %-6s %-12s %s\n", "No.", "Example", "Hint", "strftime", "Picker");
    for (int f = 0; f < 16; ++f) {
        char example[64] = "";
        dt_date_to_str_format(example, 19990131, f, sep);
        std::string hint = dtlocale_hint_str_for_fmt_sep(f, sep);
        std::string unix_pattern = dt_fmt_to_unix_str(f, sep);
        std::string picker = dt_fmt_to_dtp_str(f, sep);
        if (json)
            list.push_back({{"format", f}, {"example", orvkit::utf8(example)}, {"hint", orvkit::utf8(hint)},
                            {"strftime", orvkit::utf8(unix_pattern)}, {"picker", orvkit::utf8(picker)}});
        else
            std::printf("%-3d %-20s %-6s %-12s %s\n", f, orvkit::utf8(example).c_str(),
                        orvkit::utf8(hint).c_str(), orvkit::utf8(unix_pattern).c_str(),
                        orvkit::utf8(picker).c_str());
    }
    if (json) {
        orvkit::Json doc = orvkit::Json::object();
        doc["formats"] = list;
        return orvkit::print_json(doc);
    }
    return orvkit::kOk;
}

int run_date(int argc, char **argv) {
    if (argc < 2) return orvkit::usage_error(kDate, "expected parse, print, add or formats");
    if (orvkit::wants_help(argc, argv)) return orvkit::print_usage(kDate);
    tr_init_with_call_back(to_stderr);
    if (!std::strcmp(argv[1], "parse")) return run_parse(argc - 1, argv + 1);
    if (!std::strcmp(argv[1], "print")) return run_print(argc - 1, argv + 1);
    if (!std::strcmp(argv[1], "add")) return run_add(argc - 1, argv + 1);
    if (!std::strcmp(argv[1], "formats")) return run_formats(argc - 1, argv + 1);
    return orvkit::usage_error(kDate, "unknown subcommand \"%s\" (parse, print, add or formats)", argv[1]);
}

}  // namespace

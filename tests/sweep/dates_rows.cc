// Sweep rows of dates: hostile date values, counts, formats, separators,
// languages and tenses, hostile texts to parse, and printing into buffers
// that end against an unreadable page.
#include "sweep.h"

#include <ORVCommonKit/dt.h>
#include <ORVCommonKit/dtlocale.h>
#include <ORVCommonKit/orvobjects.h>
#include <ORVCommonKit/orvstd.h>
#include <ORVCommonKit/orvtime.h>

#include <climits>
#include <cstdint>
#include <ctime>

namespace {

// Dates that are not dates, or at the ends of the range.
const int Dates[] = {INT_MIN, -1, 0, 18000101, 20240229, 20230229, 99991231, 20241399, INT_MAX};
// The longest date printed is a full month name and 9 characters.
constexpr int kPrintRoom = 48;

}  // namespace

SWEEP_ROWS(dates) {
    for (int date : Dates) {
        const std::string d = "date " + std::to_string(date);
        rows.add("dt_get_components", d, [date] { int y, m, x; dt_get_components(date, &y, &m, &x); dt_get_components(date, nullptr, nullptr, nullptr); return 0L; });
        rows.add("dt_year", d, [date] { return long(dt_year(date) < INT_MIN); }, 0);
        rows.add("dt_month", d, [date] { dt_month(date); return 0L; });
        rows.add("dt_day", d, [date] { dt_day(date); return 0L; });
        rows.add("dt_to_unix", d, [date] { dt_to_unix(date); return 0L; });
        rows.add("dt_calendar_date_time", d, [date] { orvstd_init(); dt_calendar_date_time(date, static_cast<time_t>(date)); return 0L; });
        rows.add("orv_time_create_from_date", d, [date] { orv_time_t t = orv_time_create_from_date(date); orv_time_string(t); orv_time_free(t); return 0L; });
        for (int count : {INT_MIN, -1, 1, 400000, INT_MAX}) {
            const std::string dc = d + ", count " + std::to_string(count);
            rows.add("dt_plus_days", dc, [date, count] { dt_plus_days(date, count); return 0L; });
            rows.add("dt_minus_days", dc, [date, count] { dt_minus_days(date, count); return 0L; });
            rows.add("dt_plus_months", dc, [date, count] { dt_plus_months(date, count); return 0L; });
            rows.add("dt_minus_months", dc, [date, count] { dt_minus_months(date, count); return 0L; });
            rows.add("dt_plus_years", dc, [date, count] { dt_plus_years(date, count); return 0L; });
            rows.add("dt_minus_years", dc, [date, count] { dt_minus_years(date, count); return 0L; });
        }
        for (int format : {INT_MIN, -1, 0, 1, 14, 15, 16, INT_MAX}) {
            const std::string df = d + ", format " + std::to_string(format);
            rows.add("dt_date_to_str_format", df, [date, format] { dt_date_to_str_format(sweep::guarded_buffer(kPrintRoom), date, format, '\xFF'); return 0L; });
            rows.add("dt_date_to_str_format_language", df, [date, format] { dt_date_to_str_format_language(sweep::guarded_buffer(kPrintRoom), date, format, '/', format); return 0L; });
            rows.add("dtlocale_date_to_str_format", df, [date, format] { dtlocale_date_to_str_format(sweep::guarded_buffer(kPrintRoom), date, format, '-'); return 0L; });
            rows.add("dtlocale_dt_date_to_str_format_keys", df, [date, format] {
                const dtlocale_keywords keys{};
                dtlocale_dt_date_to_str_format_keys(sweep::guarded_buffer(kPrintRoom), date, format, '.', &keys);
                dtlocale_dt_date_to_str_format_keys(sweep::guarded_buffer(kPrintRoom), date, format, '.', nullptr);
                return 0L;
            });
        }
        rows.add("dt_date_to_str", d, [date] { dt_date_to_str(sweep::guarded_buffer(kPrintRoom), date); return 0L; });
        rows.add("dtlocale_date_to_str", d, [date] { dtlocale_date_to_str(sweep::guarded_buffer(kPrintRoom), date); return 0L; });
        rows.add("dt_time_to_str", d, [date] { dt_time_to_str(sweep::guarded_buffer(12), date); return 0L; });
        rows.add("dt_cmp", d, [date] { const int other = 20240101; dt_cmp(&date, &other); return long(dt_cmp(nullptr, nullptr) * 0); });
        rows.add("dt_days_diff", d, [date] { const int other = 20240101; dt_days_diff(&date, &other); dt_days_diff(nullptr, &other); return 0L; });
    }
    rows.add("dt_create", "hostile parts", [] { for (int v : sweep::ints()) dt_create(v, v, v); return 0L; });
    rows.add("validate_date", "hostile parts", [] { for (int v : {-32768, -1, 0, 32767}) validate_date(static_cast<int16_t>(v), static_cast<uint8_t>(v), static_cast<uint8_t>(v)); return 0L; });
    rows.integer("get_month_days", [](int v) { get_month_days(v, v); return 0L; });
    rows.add("dt_today", "any day", [] { return long(dt_today() < 0); }, 0);
    rows.add("dt_yesterday", "any day", [] { return long(dt_yesterday() < 0); }, 0);
    rows.add("dt_tomorrow", "any day", [] { return long(dt_tomorrow() < 0); }, 0);
    for (long long when : {LLONG_MIN, -1LL, 0LL, 253402300800LL, LLONG_MAX})
        rows.add("dt_from_unix", "time " + std::to_string(when), [when] { dt_from_unix(static_cast<time_t>(when)); return 0L; });
    rows.integer("dt_set_str_fmt", [](int v) { dt_set_str_fmt(v); dt_date_to_str(sweep::guarded_buffer(kPrintRoom), 20240229); return 0L; });
    rows.add("dt_get_str_fmt", "null", [] { dt_get_str_fmt(nullptr); return 0L; });
    rows.add("dt_set_str_sep", "every byte", [] { for (int c = 0; c < 256; ++c) dt_set_str_sep(static_cast<char>(c)); dt_date_to_str(sweep::guarded_buffer(kPrintRoom), 20240229); return 0L; });
    rows.add("dt_get_str_sep", "null", [] { dt_get_str_sep(nullptr); return 0L; });
    rows.integer("dt_set_str_time_fmt", [](int v) { dt_set_str_time_fmt(v); dt_time_to_str(sweep::guarded_buffer(12), 20240229); return 0L; });
    rows.add("dt_get_str_time_fmt", "null", [] { dt_get_str_time_fmt(nullptr); return 0L; });
    rows.integer("dt_set_language", [](int v) { dt_set_language(v); dt_date_to_str(sweep::guarded_buffer(kPrintRoom), 20240229); return 0L; });
    rows.add("dt_get_date", "buffer against an unreadable page", [] { dt_get_date(sweep::guarded_buffer(kPrintRoom)); return 0L; });
    rows.integer("dt_fmt_to_unix_str", [](int v) { dt_fmt_to_unix_str(v, '%'); return 0L; });
    rows.integer("dt_fmt_to_dtp_str", [](int v) { dt_fmt_to_dtp_str(v, '%'); return 0L; });
    rows.integer("dt_time_fmt_to_unix_str", [](int v) { dt_time_fmt_to_unix_str(v); return 0L; });
    rows.add("dtlocale_hint_str", "default", [] { dtlocale_hint_str(); return 0L; });
    rows.add("dtlocale_example_str", "default", [] { dtlocale_example_str(); return 0L; });
    rows.integer("dtlocale_hint_str_for_fmt", [](int v) { dtlocale_hint_str_for_fmt(v); return 0L; });
    rows.integer("dtlocale_hint_str_for_fmt_sep", [](int v) { dtlocale_hint_str_for_fmt_sep(v, '\0'); return 0L; });
    rows.integer("dtlocale_example_str_for_fmt", [](int v) { dtlocale_example_str_for_fmt(v); return 0L; });
    rows.integer("dtlocale_example_str_for_fmt_sep", [](int v) { dtlocale_example_str_for_fmt_sep(v, '\0'); return 0L; });

    // Parsing hostile texts; the output is 0 on failure.
    rows.text("dt_str_to_date", [](const char *t) { int d = 7; dt_str_to_date(nullptr, t); dt_str_to_date(&d, t); return 0L; });
    rows.text("dt_str_to_date_tense", [](const char *t) { int d; for (int v : sweep::ints()) dt_str_to_date_tense(&d, t, v); return 0L; });
    rows.text("dt_str_to_date_format", [](const char *t) { int d; for (int v : sweep::ints()) dt_str_to_date_format(&d, t, v); return 0L; });
    rows.text("dt_str_to_date_format_tense", [](const char *t) { int d; for (int v : sweep::ints()) dt_str_to_date_format_tense(&d, t, v, v); return 0L; });
    rows.text("dt_str_to_date_format_language", [](const char *t) { int d; for (int v : sweep::ints()) dt_str_to_date_format_language(&d, t, v, v); return 0L; });
    rows.text("dt_str_to_date_format_language_tense", [](const char *t) { int d; for (int v : sweep::ints()) dt_str_to_date_format_language_tense(&d, t, 1, v, v); return 0L; });
    rows.text("dtlocale_str_to_date", [](const char *t) { int d; dtlocale_str_to_date(&d, t); dtlocale_str_to_date(nullptr, t); return 0L; });
    rows.text("dtlocale_str_to_date_tense", [](const char *t) { int d; for (int v : sweep::ints()) dtlocale_str_to_date_tense(&d, t, v); return 0L; });
    rows.text("dtlocale_str_to_date_format", [](const char *t) { int d; for (int v : sweep::ints()) dtlocale_str_to_date_format(&d, t, v); return 0L; });
    rows.text("dtlocale_str_to_date_format_tense", [](const char *t) { int d; for (int v : sweep::ints()) dtlocale_str_to_date_format_tense(&d, t, v, v); return 0L; });
    rows.text("dtlocale_dt_str_to_date_format_keys_tense", [](const char *t) {
        int d;
        dtlocale_keywords keys{};
        for (auto &slot : keys.text) slot = t;
        dtlocale_dt_str_to_date_format_keys_tense(&d, t, 1, &keys, 0);
        return long(dtlocale_dt_str_to_date_format_keys_tense(&d, t, 1, nullptr, 0));
    }, {-5, -5});
    rows.text("find_date_pieces", [](const char *t) {
        char a[19], b[19], c[19];
        char *pieces[3] = {a, b, c};
        int numeric[3];
        int count = 0, n = 0;
        find_date_pieces(t, &count, &n, pieces, numeric);
        return 0L;
    });
    rows.text("parse_single_number", [](const char *t) { int d; for (int v : sweep::ints()) parse_single_number(&d, t, v, v); return 0L; });
    rows.text("parse_two_pieces", [](const char *t) { int d; for (int v : sweep::ints()) { parse_two_pieces(&d, t, "2024", v, v); parse_two_pieces(&d, "May", t, v, v); } return 0L; });

    // Time handles: null handles and hostile parts.
    rows.add("orv_time_now", "twice", [] { orv_time_t a = orv_time_now(); orv_time_t b = orv_time_now(); orv_time_compare(a, b); orv_time_free(a); orv_time_free(b); return 0L; });
    rows.add("orv_time_create", "hostile parts", [] { for (int v : sweep::ints()) orv_time_free(orv_time_create(v, v, v, v, v, v)); return 0L; });
    rows.text("orv_time_create_from_string", [](const char *t) { orv_time_free(orv_time_create_from_string(t)); return 0L; });
    rows.add("orv_time_create_from_reference", "null reference, hostile steps", [] { for (int v : sweep::ints()) orv_time_free(orv_time_create_from_reference(nullptr, v, v, v, v, v, v)); return 0L; });
    rows.add("orv_time_create_from_reference", "huge steps", [] { orv_time_t now = orv_time_now(); for (int v : sweep::ints()) orv_time_free(orv_time_create_from_reference(now, v, v, v, v, v, v)); orv_time_free(now); return 0L; });
    rows.add("orv_time_create_from_object", "null", [] { return long(orv_time_create_from_object(nullptr) != nullptr); }, 0);
    rows.add("orv_time_object", "null", [] { return long(orv_time_object(nullptr) != nullptr); }, 0);
    rows.add("orv_time_copy", "null", [] { return long(orv_time_copy(nullptr) != nullptr); }, 0);
    rows.add("orv_time_free", "null", [] { orv_time_free(nullptr); return 0L; });
    rows.add("orv_time_year", "null", [] { orv_time_year(nullptr); return 0L; });
    rows.add("orv_time_month", "null", [] { orv_time_month(nullptr); return 0L; });
    rows.add("orv_time_day", "null", [] { orv_time_day(nullptr); return 0L; });
    rows.add("orv_time_day_of_week", "null", [] { orv_time_day_of_week(nullptr); return 0L; });
    rows.add("orv_time_hour", "null", [] { orv_time_hour(nullptr); return 0L; });
    rows.add("orv_time_minutes", "null", [] { orv_time_minutes(nullptr); return 0L; });
    rows.add("orv_time_seconds", "null", [] { orv_time_seconds(nullptr); return 0L; });
    rows.add("orv_time_date", "null", [] { orv_time_date(nullptr); return 0L; });
    rows.add("orv_time_compare", "null", [] { orv_time_compare(nullptr, nullptr); return 0L; });
    rows.add("orv_time_reverse_compare", "null", [] { orv_time_reverse_compare(nullptr, nullptr); return 0L; });
    rows.add("orv_time_diff", "null handles and outputs", [] { orv_time_diff(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); int a, b, c, d, e, f; orv_time_diff(nullptr, nullptr, &a, &b, &c, &d, &e, &f); return 0L; });
    rows.add("orv_time_string", "null", [] { orv_time_string(nullptr); return 0L; });
    rows.text("orv_time_string_format", [](const char *t) { orv_time_t now = orv_time_now(); orv_time_string_format(now, t); orv_time_string_format(nullptr, t); orv_time_free(now); return 0L; });
}

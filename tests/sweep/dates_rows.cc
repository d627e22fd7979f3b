// Sweep rows of the date families: date values and calendar arithmetic with
// hostile numbers, date texts through every parser and printer, the user's
// words, and time handles (null handles, components out of range, hostile
// texts and formats).
#include "sweep.h"

namespace {

// A parser's result: the date it wrote when it succeeded, else its code.
long parsed(int code, const int *date) { return code == 0 ? *date : code; }

// Whether a time handle was made; it is released.
long made(orv_time_t t) {
    orv_time_free(t);
    return t != nullptr;
}

// A parser called with the hostile text and the other arguments: the date it
// gives, or its error code.
#define PARSED(function, ...) \
    sweep::TextCall{#function, [](const char *t) { int d = -1; return parsed(function(&d, t __VA_OPT__(, ) __VA_ARGS__), &d); }}

}  // namespace

SWEEP_ROWS(dates) {
    // ---- Date values and arithmetic ----
    rows.integers(std::nullopt, {SWEEP_INT(dt_create, v, v, v)});
    for (auto [name, part] : {std::pair{"dt_year", &dt_year}, {"dt_month", &dt_month}, {"dt_day", &dt_day}})
        rows.integer(name, [part](int v) { return long(part(v)); });
    rows.add("dt_get_components", "null outputs", [] { dt_get_components(20170506, nullptr, nullptr, nullptr); return 0L; });
    rows.integer("validate_date", [](int v) { return long(validate_date(static_cast<int16_t>(v), static_cast<uint8_t>(v), static_cast<uint8_t>(v))); });
    rows.integers(std::nullopt, {SWEEP_INT(get_month_days, v, v)});
    rows.add("get_month_days", "month 13", [] { return long(get_month_days(13, 2017)); }, 0);
    rows.add("dt_cmp", "null dates", [] { return long(dt_cmp(nullptr, nullptr)); });
    rows.add("dt_days_diff", "null dates", [] { return long(dt_days_diff(nullptr, nullptr)); }, 0);
    rows.integer("dt_days_diff", [](int v) { int a = v, b = 20170101; return long(dt_days_diff(&a, &b)); });
    using Move = int (*)(int, int);
    const std::pair<const char *, Move> moves[] = {
        {"dt_plus_days", dt_plus_days},     {"dt_minus_days", dt_minus_days},
        {"dt_plus_months", dt_plus_months}, {"dt_minus_months", dt_minus_months},
        {"dt_plus_years", dt_plus_years},   {"dt_minus_years", dt_minus_years}};
    // Any count from a valid date stays within the years 1 to 32767; garbage
    // dates are not checked.
    for (const auto &[name, move] : moves) {
        rows.integer(name, [move](int v) { const int r = move(20170131, v); return long(r >= 10101 && r <= 327671231); }, 1);
        rows.integer(name, [move](int v) { return long(move(v, v)); });
    }
    for (auto [name, day] : {std::pair{"dt_today", &dt_today}, {"dt_yesterday", &dt_yesterday}, {"dt_tomorrow", &dt_tomorrow}})
        rows.add(name, "no arguments", [day] { return long(day() > 0); }, 1);
    rows.integers(std::nullopt, {SWEEP_INT(dt_from_unix, v), SWEEP_INT(dt_to_unix, v), SWEEP_INT(dt_calendar_date_time, v, v)});

    // ---- Settings ----
    rows.integers(std::nullopt, {SWEEP_INT(dt_set_str_fmt, v), SWEEP_INT(dt_set_str_time_fmt, v), SWEEP_INT(dt_set_language, v)});
    rows.add("dt_set_str_fmt", "format 16", [] { return long(dt_set_str_fmt(16)); }, -5);
    rows.add("dt_set_str_time_fmt", "time format 5", [] { return long(dt_set_str_time_fmt(5)); }, -5);
    rows.add("dt_set_str_sep", "NUL separator", [] { return long(dt_set_str_sep('\0')); }, 0);
    rows.each("null output", std::nullopt, {SWEEP_CALL(dt_get_str_fmt, nullptr), SWEEP_CALL(dt_get_str_sep, nullptr), SWEEP_CALL(dt_get_str_time_fmt, nullptr)});

    // ---- Parsing and printing in the supported languages ----
    rows.start(sweep::Start::Localized);
    // A null output gives -5; a null or empty text no date, another hostile text -5.
    rows.add("dt_str_to_date", "null output", [] { return long(dt_str_to_date(nullptr, "5/6/2017")); }, -5);
    rows.add("dt_str_to_date_format_language_tense", "null output",
             [] { return long(dt_str_to_date_format_language_tense(nullptr, "5/6/2017", 4, 1, 0)); }, -5);
    for (const auto &[name, call] : {PARSED(dt_str_to_date), PARSED(dt_str_to_date_tense, 1), PARSED(dt_str_to_date_format, 9),
                                     PARSED(dt_str_to_date_format_tense, 0, 0), PARSED(dt_str_to_date_format_language, 13, 1),
                                     PARSED(dt_str_to_date_format_language_tense, 4, 1, -1), PARSED(dtlocale_str_to_date),
                                     PARSED(dtlocale_str_to_date_tense, 7), PARSED(dtlocale_str_to_date_format, 1),
                                     PARSED(dtlocale_str_to_date_format_tense, 15, 1)})
        rows.text(name, call, {0, 0, -5});
    rows.integer("dt_str_to_date_format_language_tense", [](int v) { int d = -1; return parsed(dt_str_to_date_format_language_tense(&d, "5/6/2017", v, v, v), &d); });
    rows.text("find_date_pieces", [](const char *t) {
        char a[19], b[19], c[19], *pieces[3] = {a, b, c};
        int count = 0, numeric = 0, flags[3];
        find_date_pieces(t, &count, &numeric, pieces, flags);
        find_date_pieces(t, nullptr, nullptr, nullptr, nullptr);
        return long(count);
    }, {0, 0});
    rows.text("parse_single_number", [](const char *t) { int d = -1; return parsed(parse_single_number(&d, t, 4, -1), &d); }, {-5, -5});
    rows.integer("parse_single_number", [](int v) { int d = -1; return parsed(parse_single_number(&d, "050617", v, v), &d); });
    rows.add("parse_single_number", "null output", [] { return long(parse_single_number(nullptr, "050617", 4, -1)); }, -5);
    rows.text2("parse_two_pieces", [](const char *a, const char *b) { int d = -1; return parsed(parse_two_pieces(&d, a, b, 4, -1), &d); }, "0517", {-5, {}});
    rows.integer("parse_two_pieces", [](int v) { int d = -1; return parsed(parse_two_pieces(&d, "May", "0517", v, v), &d); });

    // ---- Printing into a buffer that ends against an unreadable page ----
    rows.each("null buffer", -5, {SWEEP_CALL(dt_date_to_str, nullptr, 20170506), SWEEP_CALL(dt_time_to_str, nullptr, 20170506)});
    rows.integers(std::nullopt, {SWEEP_INT(dt_date_to_str, sweep::guarded_buffer(40), v), SWEEP_INT(dt_time_to_str, sweep::guarded_buffer(20), v),
                                 SWEEP_INT(dt_fmt_to_unix_str, v, 'x'), SWEEP_INT(dt_fmt_to_dtp_str, v, 'x'), SWEEP_INT(dt_time_fmt_to_unix_str, v),
                                 SWEEP_INT(dt_date_to_str_format, sweep::guarded_buffer(40), 20170506, v, static_cast<char>(v)),
                                 SWEEP_INT(dt_date_to_str_format_language, sweep::guarded_buffer(40), v, 15, '-', v),
                                 SWEEP_INT(dtlocale_date_to_str, sweep::guarded_buffer(40), v),
                                 SWEEP_INT(dtlocale_date_to_str_format, sweep::guarded_buffer(40), 19990131, v, static_cast<char>(v))});
    rows.add("dt_get_date", "buffer of 40", [] { dt_get_date(sweep::guarded_buffer(40)); return 0L; });
    rows.add("dt_fmt_to_unix_str", "format 16", [] { return long(dt_fmt_to_unix_str(16, '-') != nullptr); }, 0);

    // ---- The user's words ----
    rows.add("dtlocale_str_to_date_format", "null output, format 16",
             [] { return long(dtlocale_str_to_date_format(nullptr, "1/2/2017", 16)); }, -5);
    rows.text("dtlocale_dt_str_to_date_format_keys_tense", [](const char *t) {
        dtlocale_keywords keys = {{t, t, nullptr, t, t, t, t, t, t, t, t, t, t, t, nullptr, t, t}};
        int d = -1;
        return parsed(dtlocale_dt_str_to_date_format_keys_tense(&d, t, 2, &keys, 0), &d);
    });
    rows.add("dtlocale_dt_str_to_date_format_keys_tense", "null record",
             [] { int d = -1; return long(dtlocale_dt_str_to_date_format_keys_tense(&d, "x", 4, nullptr, 0)); }, -5);
    rows.text("dtlocale_dt_date_to_str_format_keys", [](const char *t) {
        dtlocale_keywords keys = {{t, t, "February", t, t, t, t, t, t, t, t, t, t, t, t, t, t}};
        char buffer[32];
        dtlocale_dt_date_to_str_format_keys(buffer, 0, 4, '-', &keys);  // slot 0: at most 18
        return long(dtlocale_dt_date_to_str_format_keys(sweep::guarded_buffer(40), 20170206, 14, '-', &keys));
    });
    rows.add("dtlocale_dt_date_to_str_format_keys", "null record and buffer",
             [] { return long(dtlocale_dt_date_to_str_format_keys(nullptr, 20170101, 4, '-', nullptr)); }, -5);
    rows.each("no arguments", 1, {SWEEP_CALL(dtlocale_hint_str), SWEEP_CALL(dtlocale_example_str)});
    for (auto [name, text] : {std::pair{"dtlocale_hint_str_for_fmt", &dtlocale_hint_str_for_fmt}, {"dtlocale_example_str_for_fmt", &dtlocale_example_str_for_fmt}})
        rows.integer(name, [text](int v) { return long(text(v) != nullptr); }, 1);
    for (auto [name, text] : {std::pair{"dtlocale_hint_str_for_fmt_sep", &dtlocale_hint_str_for_fmt_sep}, {"dtlocale_example_str_for_fmt_sep", &dtlocale_example_str_for_fmt_sep}})
        rows.integer(name, [text](int v) { return long(text(v, static_cast<char>(v)) != nullptr); }, 1);

    rows.start(sweep::Start::Bare);

    // ---- Time handles ----
    rows.add("orv_time_now", "no arguments", [] { return made(orv_time_now()); }, 1);
    for (int at = 0; at < 6; ++at) {
        rows.integer("orv_time_create", [at](int v) { int a[6] = {2017, 5, 6, 7, 8, 9}; a[at] = v; return made(orv_time_create(a[0], a[1], a[2], a[3], a[4], a[5])) * 0; });
    }
    rows.integer("orv_time_create_from_date", [](int v) { return made(orv_time_create_from_date(v)) * 0; });
    rows.text("orv_time_create_from_string", [](const char *t) { return made(orv_time_create_from_string(t)); }, {0, 0});
    rows.add("orv_time_create_from_reference", "null reference", [] { return made(orv_time_create_from_reference(nullptr, 1, 1, 1, 1, 1, 1)); }, 0);
    rows.integer("orv_time_create_from_reference", [](int v) { orv_time_t base = orv_time_create(2017, 1, 31, 0, 0, 0); made(orv_time_create_from_reference(base, v, v, v, v, v, v)); return made(base) * 0; });
    rows.add("orv_time_free", "null handle", [] { orv_time_free(nullptr); return 0L; });
    rows.each("null handles", 0, {SWEEP_CALL(orv_time_create_from_object, nullptr), SWEEP_CALL(orv_time_object, nullptr), SWEEP_CALL(orv_time_copy, nullptr),
                                  SWEEP_CALL(orv_time_year, nullptr), SWEEP_CALL(orv_time_month, nullptr), SWEEP_CALL(orv_time_day, nullptr),
                                  SWEEP_CALL(orv_time_day_of_week, nullptr), SWEEP_CALL(orv_time_hour, nullptr), SWEEP_CALL(orv_time_minutes, nullptr),
                                  SWEEP_CALL(orv_time_seconds, nullptr), SWEEP_CALL(orv_time_date, nullptr), SWEEP_CALL(orv_time_compare, nullptr, nullptr),
                                  SWEEP_CALL(orv_time_string, nullptr)});
    rows.add("orv_time_diff", "null handles and outputs", [] { orv_time_diff(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); return 0L; });
    rows.add("orv_time_reverse_compare", "null and a handle", [] { orv_time_t t = orv_time_create(2017, 1, 1, 0, 0, 0); const long r = orv_time_reverse_compare(nullptr, t); made(t); return r; }, 1);
    rows.text("orv_time_string_format", [](const char *t) {
        orv_time_t h = orv_time_create(2017, 5, 6, 7, 8, 9);
        const long printed = orv_time_string_format(h, t) != nullptr;
        made(h);
        return printed;
    }, {1, 1});
}

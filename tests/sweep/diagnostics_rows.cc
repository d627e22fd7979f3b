// Sweep rows of logs, memory dumps, result records, quick timers, the
// trace-level chooser and the localized strings: null handles, hostile
// paths, texts, levels, sizes and formats.
#include "sweep.h"

#include <ORVCommonKit/input.h>
#include <ORVCommonKit/orvlocale.h>
#include <ORVCommonKit/orvobjects.h>
#include <ORVCommonKit/orvqtimer.h>
#include <ORVCommonKit/orvresult.h>
#include <ORVCommonKit/orvstd.h>
#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/trlog.h>

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <ctime>

#pragma GCC diagnostic ignored "-Wformat-security"
#pragma GCC diagnostic ignored "-Wformat-nonliteral"

namespace {

const char *const NoFormat = nullptr;

void log_va(tr_log_t *log, unsigned char end, const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    tr_log_va_with_linefeed(log, end, fmt, args);
    va_end(args);
}

}  // namespace

SWEEP_ROWS(diagnostics) {
    // Permanent logs.
    for (unsigned cap : {0u, 1u, 0xFFFFFFFFu}) {
        rows.path("tr_open_log", [cap](const char *t) {
            tr_log_t *log = tr_open_log(t, cap);
            for (const sweep::Text &x : sweep::texts()) tr_log(log, "%s\n", x.value ? x.value : "-");
            tr_close_log(log);
            return long(log != nullptr);
        }, {0, 0});
    }
    auto with_log = [](auto use) {
        return [use] {
            tr_log_t *log = tr_open_log(sweep::scratch("log").c_str(), 10);
            use(log);
            use(nullptr);
            tr_close_log(log);
            return 0L;
        };
    };
    rows.add("tr_log", "null format", with_log([](tr_log_t *l) { tr_log(l, NoFormat); }));
    rows.add("tr_log_with_linefeed", "every line end byte", with_log([](tr_log_t *l) { for (int c = 0; c < 256; ++c) tr_log_with_linefeed(l, static_cast<unsigned char>(c), "%s", sweep::texts()[3].value); tr_log_with_linefeed(l, 1, NoFormat); }));
    rows.add("tr_log_va_with_linefeed", "long and null texts", with_log([](tr_log_t *l) { log_va(l, 1, "%s", sweep::texts()[2].value); log_va(l, 0, NoFormat); }));
    rows.add("tr_log_enable_time_stamp", "null and open", with_log([](tr_log_t *l) { tr_log_enable_time_stamp(l); tr_log(l, "x\n"); }));
    rows.add("tr_log_disable_time_stamp", "null and open", with_log([](tr_log_t *l) { tr_log_disable_time_stamp(l); tr_log(l, "x\n"); }));
    rows.add("tr_flush_log", "null and open", with_log([](tr_log_t *l) { tr_flush_log(l); }));
    rows.add("tr_close_log", "null", [] { tr_close_log(nullptr); return 0L; });
    for (int format : {INT_MIN, 0, 300, 301, 302, INT_MAX}) {
        rows.add("tr_mem", "format " + std::to_string(format), [format] {
            char *bytes = sweep::guarded_buffer(33);
            for (int i = 0; i < 33; ++i) bytes[i] = static_cast<char>(i * 37);
            tr_mem("f", 1, tr_APP, bytes, 33, format, "dump %d", format);
            tr_mem(nullptr, 1, tr_APP, nullptr, 100, format, NoFormat);
            tr_mem("f", 1, tr_APP, bytes, 0, format, "%s", "none");
            return 0L;
        });
    }
    rows.integer("tr_mem", [](int level) { char b[4] = "abc"; tr_mem("f", level, level, b, 4, 300, "x"); return 0L; });

    // The trace-level chooser reads its answer; standard input is empty.
    rows.may_exit(100);
    rows.text("tr_choose_trace_level", [](const char *t) { input_playback_tokens_in_buffer(t); for (int v : sweep::ints()) tr_choose_trace_level(t, v); return 0L; });
    rows.add("tr_menu_choose_trace_level", "empty input", [] { tr_menu_choose_trace_level(); return 0L; });
    rows.may_exit(0);
    rows.integer("tr_menu_format_trace_entry", [](int level) { tr_ignore_traces_below_level_quietly(level); return long(tr_menu_format_trace_entry() == nullptr); }, 0);

    // Result records.
    rows.text("orv_result_create", [](const char *t) { orv_result_t *r = orv_result_create(t, -1, INT_MIN, nullptr, "%s", t ? t : "-"); orv_result_t *s = orv_result_create(t, 1, 1, r, NoFormat); orv_result_stack_string(s); orv_result_free(s); return 0L; });
    rows.text("orv_result_error", [](const char *t) { orv_result_free(orv_result_error(t, 1, INT_MAX, t, t, -1, nullptr, "%s", t ? t : "-")); return 0L; });
    rows.text("orv_result_warning", [](const char *t) { for (int v : sweep::ints()) orv_result_free(orv_result_warning(t, v, v, v, nullptr, "%s", t ? t : "-")); return 0L; });
    rows.text("orv_result_trace", [](const char *t) { for (int v : sweep::ints()) orv_result_free(orv_result_trace(t, v, v, v, nullptr, "%s", t ? t : "-")); return 0L; });
    rows.text("orv_result_new", [](const char *t) {
        const time_t when = -1;
        orv_result_t *r = orv_result_new(t, 1, &when, INT_MIN, INT_MAX, t, t, 0, nullptr, t);
        orv_result_t *s = orv_result_new(t, 1, nullptr, 0, 0, nullptr, nullptr, 0, r, nullptr);
        orv_result_log(s);
        orv_result_time_string(s);
        orv_result_stack_string(s);
        orv_result_print_stack(stdout, s);
        orv_result_print_stack(nullptr, s);
        orv_result_free(s);
        return 0L;
    });
    rows.add("orv_result_free", "null", [] { orv_result_free(nullptr); return 0L; });
    for (unsigned char flag : {0, 1, 255})
        rows.add("orv_result_enable_trace_in_place", "flag " + std::to_string(flag), [flag] { orv_result_enable_trace_in_place(flag); orv_result_get_trace_in_place(); orv_result_free(orv_result_create("f", 1, 1, nullptr, "x")); return 0L; });
    rows.add("orv_result_get_trace_in_place", "fresh", [] { return long(orv_result_get_trace_in_place() > 1); }, 0);
    rows.add("orv_result_log", "null", [] { orv_result_log(nullptr); return 0L; });
    rows.add("orv_result_filename", "null", [] { orv_result_filename(nullptr); return 0L; });
    rows.add("orv_result_line", "null", [] { orv_result_line(nullptr); return 0L; });
    rows.add("orv_result_time", "null", [] { orv_result_time(nullptr); return 0L; });
    rows.add("orv_result_timep", "null", [] { return long(orv_result_timep(nullptr) != nullptr); }, 0);
    rows.add("orv_result_level", "null", [] { orv_result_level(nullptr); return 0L; });
    rows.add("orv_result_inform", "null", [] { orv_result_inform(nullptr); return 0L; });
    rows.add("orv_result_title", "null", [] { orv_result_title(nullptr); return 0L; });
    rows.add("orv_result_module", "null", [] { orv_result_module(nullptr); return 0L; });
    rows.add("orv_result_code", "null", [] { orv_result_code(nullptr); return 0L; });
    rows.add("orv_result_cause", "null", [] { return long(orv_result_cause(nullptr) != nullptr); }, 0);
    rows.add("orv_result_desc", "null", [] { orv_result_desc(nullptr); return 0L; });
    rows.add("orv_result_time_string", "null", [] { orv_result_time_string(nullptr); return 0L; });
    rows.add("orv_result_stack_string", "null", [] { orv_result_stack_string(nullptr); return 0L; });
    rows.add("orv_result_print_stack", "null stream and record", [] { orv_result_print_stack(nullptr, nullptr); orv_result_print_stack(stdout, nullptr); return 0L; });

    // Quick timers.
    rows.add("orvqtimer_init", "null", [] { return long(orvqtimer_init(nullptr, 1)); }, -1);
    rows.add("orvqtimer_start", "null, and twice", [] { orvqtimer_start(nullptr); orvqtimer_t t; orvqtimer_init(&t, 0); orvqtimer_start(&t); orvqtimer_start(&t); return 0L; });
    rows.add("orvqtimer_stop", "null, never started, twice", [] { orvqtimer_stop(nullptr); orvqtimer_t t; orvqtimer_init(&t, 0); orvqtimer_stop(&t); orvqtimer_stop(&t); orvqtimer_elapsed_seconds(&t); return 0L; });
    rows.add("orvqtimer_elapsed_seconds", "null", [] { orvqtimer_elapsed_seconds(nullptr); return 0L; });
    rows.add("orvqtimer_elapsed_full_seconds", "null", [] { orvqtimer_elapsed_full_seconds(nullptr); return 0L; });
    rows.add("orvqtimer_elapsed_milliseconds", "null", [] { orvqtimer_elapsed_milliseconds(nullptr); return 0L; });
    rows.add("orvqtimer_elapsed_and_rate", "null timer and outputs, zero count", [] { float e, r; orvqtimer_elapsed_and_rate(nullptr, 0, &e, &r); orvqtimer_t t; orvqtimer_init(&t, 1); orvqtimer_elapsed_and_rate(&t, 0, nullptr, nullptr); orvqtimer_elapsed_and_rate(&t, -1e38f, &e, &r); return 0L; });
    rows.add("orvqtimer_rate", "null and zero count", [] { orvqtimer_rate(nullptr, 1); orvqtimer_t t; orvqtimer_init(&t, 1); orvqtimer_rate(&t, 0); orvqtimer_rate(&t, 1e38f); return 0L; });
    rows.path("orvqtimer_log_set_filename", [](const char *t) {
        orvqtimer_log_set_filename(t, sweep::texts()[2].value, 1);
        orvqtimer_log("%s", sweep::texts()[2].value);
        orvqtimer_log_set_filename(nullptr, nullptr, 0);
        return 0L;
    });
    rows.add("orvqtimer_log", "no log open, null format", [] { orvqtimer_log(NoFormat); orvqtimer_log("%s", "x"); return 0L; });
    rows.text("orvqtimer_log_elapsed_and_rate", [](const char *t) { orvqtimer_log_set_filename(sweep::scratch("q").c_str(), t, 0); orvqtimer_t q; orvqtimer_init(&q, 1); orvqtimer_log_elapsed_and_rate(t, -1, &q, t, 0, "%s", t ? t : "-"); orvqtimer_log_elapsed_and_rate(t, 1, nullptr, nullptr, 1, NoFormat); orvqtimer_log_flush(); return 0L; });
    rows.text("orvqtimer_log_elapsed_seconds", [](const char *t) { orvqtimer_log_set_filename(sweep::scratch("q").c_str(), "u", 0); orvqtimer_t q; orvqtimer_init(&q, 1); orvqtimer_log_elapsed_seconds(t, -1, &q, "%s", t ? t : "-"); orvqtimer_log_elapsed_seconds(t, 1, nullptr, NoFormat); return 0L; });
    rows.add("orvqtimer_log_flush", "no log open", [] { orvqtimer_log_flush(); return 0L; });

    // Localized strings and languages.
    rows.add("orvlocale_init", "twice, then term twice", [] { orvlocale_init(); orvlocale_init(); orvlocale_term(); orvlocale_term(); return 0L; });
    rows.add("orvlocale_term", "without init", [] { orvlocale_term(); return 0L; });
    rows.text("orvlocale_string_from_table_in_language", [](const char *t) {
        orvstd_init();
        ORVString *s = orv_string_create(t);
        orvlocale_string_from_table_in_language(nullptr, s, s, s, s);
        orvlocale_string_from_table_in_language(ORVCommonBundle(), nullptr, s, nullptr, nullptr);
        orvlocale_string_from_table_in_language(nullptr, s, nullptr, s, nullptr);
        orv_object_release(reinterpret_cast<ORVObject *>(s));
        return 0L;
    });
    rows.add("orvlocale_get_all_supported_languages", "null count and a count", [] { orvstd_init(); int n = 0; char **all = orvlocale_get_all_supported_languages(&n); orvlocale_free_array(all, n); orvlocale_free_array(orvlocale_get_all_supported_languages(nullptr), 0); return 0L; });
    for (int n : {INT_MIN, -1, 0, 5})
        rows.add("orvlocale_free_array", "null array, count " + std::to_string(n), [n] { orvlocale_free_array(nullptr, n); return 0L; });
    rows.integer("orvlocale_get_language_name", [](int v) { orvstd_init(); orvlocale_get_language_name(v); return 0L; });
    rows.text("orvlocale_is_this_language_supported", [](const char *t) { orvstd_init(); return long(orvlocale_is_this_language_supported(t) > 1); }, {0, 0});
}

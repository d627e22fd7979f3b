// Sweep rows of the permanent logs, memory dumps, trace-level chooser, result
// records and quick timers: hostile paths, texts, handles, sizes, levels,
// formats and counts.
#include "sweep.h"

namespace {

tr_log_t *scratch_log(unsigned int size = 0) { return tr_open_log(sweep::scratch("l.log").c_str(), size); }

void log_va(tr_log_t *log, unsigned char end, const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    tr_log_va_with_linefeed(log, end, fmt, args);
    va_end(args);
}

// Makes the console read the answers typed.
void answer(const char *typed) {
    const std::string path = sweep::scratch("answers");
    std::FILE *file = std::fopen(path.c_str(), "w");
    std::fputs(typed, file);
    std::fclose(file);
    if (!std::freopen(path.c_str(), "r", stdin)) std::_Exit(6);
}

// Writes, prints and frees a record.
long use(orv_result_t *r) {
    orv_result_log(r);
    orv_result_print_stack(stdout, r);
    const long ok = orv_result_stack_string(r) != nullptr && orv_result_time_string(r) != nullptr;
    orv_result_free(r);
    return ok;
}

}  // namespace

SWEEP_ROWS(diag) {
    // Permanent logs.
    rows.path("tr_open_log", [](const char *t) { tr_log_t *h = tr_open_log(t, 0); tr_log(h, "x"); tr_close_log(h); return long(h != nullptr); }, {0, 0});
    rows.integer("tr_open_log", [](int v) {
        tr_log_t *h = scratch_log(static_cast<unsigned int>(v));
        const long ok = h && h->max_size >= 10240 && h->max_size <= 104857600;
        tr_close_log(h);
        return ok;
    }, 1);
    rows.text("tr_log", [](const char *t) { tr_log_t *h = scratch_log(); tr_log(h, "%s", sweep::shown(t)); tr_close_log(h); return 0L; });
    rows.text("tr_log_with_linefeed", [](const char *t) {
        tr_log_t *h = scratch_log();
        tr_log_with_linefeed(h, 0, "%s", sweep::shown(t));
        tr_log_with_linefeed(h, 255, "%s", sweep::shown(t));
        tr_close_log(h);
        return 0L;
    });
    rows.text("tr_log_va_with_linefeed", [](const char *t) { tr_log_t *h = scratch_log(); log_va(h, 1, "%s", sweep::shown(t)); tr_close_log(h); return 0L; });
    rows.add("tr_log", "null handle, null format", [] { tr_log(nullptr, sweep::NoFormat); tr_log_t *h = scratch_log(); tr_log(h, sweep::NoFormat); tr_close_log(h); return 0L; });
    rows.add("tr_log_with_linefeed", "null handle", [] { tr_log_with_linefeed(nullptr, 1, "x"); return 0L; });
    rows.add("tr_log_va_with_linefeed", "null handle", [] { log_va(nullptr, 1, "x"); return 0L; });
    rows.add("tr_log", "past the smallest cap, date lines every line", [] {
        tr_log_t *h = scratch_log(1);
        tr_set_time_log_interval(0);
        tr_log_enable_time_stamp(h);
        const std::string line(400, 'x');
        for (int i = 0; i < 120; ++i) tr_log(h, "%s", line.c_str());
        tr_close_log(h);
        return 0L;
    });
    rows.add("tr_flush_log", "null and open", [] { tr_flush_log(nullptr); tr_log_t *h = scratch_log(); tr_flush_log(h); tr_close_log(h); return 0L; });

    // Memory dumps: the text's own bytes, hostile places, levels and formats.
    rows.text("tr_mem", [](const char *t) {
        for (int format : {tr_FORMAT_HEX, tr_FORMAT_ASCII, tr_FORMAT_DECIMAL})
            tr_mem(t, 1, tr_APP, t, t ? std::strlen(t) : 0, format, "%s", sweep::shown(t));
        return 0L;
    });
    for (int v : sweep::ints()) {
        const std::string args = "level, line and format " + std::to_string(v);
        rows.add("tr_mem", args, [v] { tr_mem("f", v, v, "abc", 3, v, "x"); return 0L; });
    }
    rows.add("tr_mem", "null address with bytes, null format", [] { tr_mem("f", 1, tr_APP, nullptr, 64, tr_FORMAT_HEX, sweep::NoFormat); return 0L; });
    rows.add("tr_mem", "null address, no bytes", [] { tr_mem("f", 1, tr_APP, nullptr, 0, tr_FORMAT_ASCII, "x"); return 0L; });

    // The chooser, answering from a file; at the end of the answers the
    // console engine ends the process with status 100.
    rows.may_exit(100);
    rows.text("tr_choose_trace_level", [](const char *t) { answer("q\n"); return long(tr_choose_trace_level(t, tr_HIGH)); }, {-1, -1});
    rows.integer("tr_choose_trace_level", [](int v) { answer("\nbogus\nh\n"); return long(tr_choose_trace_level("P", v)); });
    rows.add("tr_menu_choose_trace_level", "end of input", [] { answer(""); return long(tr_menu_choose_trace_level()); });
    rows.add("tr_menu_choose_trace_level", "none", [] { answer("n\n"); tr_menu_choose_trace_level(); return long(tr_current_trace_level()); }, tr_NONE);
    rows.may_exit(0);
    rows.add("tr_menu_format_trace_entry", "fresh", [] { return long(std::strlen(tr_menu_format_trace_entry()) < 80); }, 1);

    // Result records: hostile texts as file, title, module and description,
    // written, printed and freed; trace in place on for half of them.
    for (unsigned char in_place : {0, 1}) {
        rows.text("orv_result_create", [in_place](const char *t) { orv_result_enable_trace_in_place(in_place); return use(orv_result_create(t, 1, 2, nullptr, "%s", sweep::shown(t))); }, {1, 1});
        rows.text("orv_result_error", [in_place](const char *t) { orv_result_enable_trace_in_place(in_place); return use(orv_result_error(t, -1, 999, t, t, 0, orv_result_create(t, 0, 0, nullptr, sweep::NoFormat), "%s", sweep::shown(t))); }, {1, 1});
        rows.text("orv_result_warning", [in_place](const char *t) { orv_result_enable_trace_in_place(in_place); return use(orv_result_warning(t, 1, 5, 0, nullptr, "%s", sweep::shown(t))); }, {1, 1});
        rows.text("orv_result_trace", [in_place](const char *t) { orv_result_enable_trace_in_place(in_place); return use(orv_result_trace(t, 1, 104, 0, nullptr, "%s", sweep::shown(t))); }, {1, 1});
    }
    rows.text("orv_result_new", [](const char *t) { return use(orv_result_new(t, 1, nullptr, 0, 0, t, t, 0, nullptr, t)); }, {1, 1});
    rows.add("orv_result_new", "extreme time", [] { const time_t when = std::numeric_limits<time_t>::max(); return use(orv_result_new("f", 1, &when, 0, 0, nullptr, nullptr, 0, nullptr, nullptr)); }, 1);
    rows.add("orv_result_create", "null format", [] { return use(orv_result_create("f", 1, 0, nullptr, sweep::NoFormat)); }, 1);
    rows.add("orv_result_free", "a chain of 100,000", [] {
        orv_result_t *chain = nullptr;
        for (int i = 0; i < 100000; ++i) chain = orv_result_new("f", i, nullptr, 0, 0, nullptr, nullptr, i, chain, "x");
        orv_result_free(chain);
        orv_result_free(nullptr);
        return 0L;
    });
    rows.integer("orv_result_enable_trace_in_place", [](int v) { orv_result_enable_trace_in_place(static_cast<unsigned char>(v)); return long(orv_result_get_trace_in_place() > 1); }, 0);
    rows.add("orv_result_get_trace_in_place", "fresh", [] { return long(orv_result_get_trace_in_place()); }, 0);
    rows.each("null", 0, {SWEEP_CALL(orv_result_filename, nullptr), SWEEP_CALL(orv_result_line, nullptr), SWEEP_CALL(orv_result_time, nullptr),
                          SWEEP_CALL(orv_result_timep, nullptr), SWEEP_CALL(orv_result_level, nullptr), SWEEP_CALL(orv_result_inform, nullptr),
                          SWEEP_CALL(orv_result_title, nullptr), SWEEP_CALL(orv_result_module, nullptr), SWEEP_CALL(orv_result_code, nullptr),
                          SWEEP_CALL(orv_result_cause, nullptr), SWEEP_CALL(orv_result_desc, nullptr), SWEEP_CALL(orv_result_stack_string, nullptr),
                          SWEEP_CALL(orv_result_time_string, nullptr), SWEEP_CALL(orvqtimer_elapsed_full_seconds, nullptr),
                          SWEEP_CALL(orvqtimer_elapsed_milliseconds, nullptr)});
    rows.each("null", std::nullopt, {SWEEP_CALL(tr_log_enable_time_stamp, nullptr), SWEEP_CALL(tr_log_disable_time_stamp, nullptr),
                                     SWEEP_CALL(tr_close_log, nullptr), SWEEP_CALL(orv_result_log, nullptr), SWEEP_CALL(orvqtimer_start, nullptr),
                                     SWEEP_CALL(orvqtimer_stop, nullptr), SWEEP_CALL(orv_result_print_stack, stdout, nullptr)});

    // Quick timers.
    rows.add("orvqtimer_init", "null", [] { return long(orvqtimer_init(nullptr, 1)); }, -1);
    rows.integer("orvqtimer_init", [](int v) { orvqtimer_t t{7, 7}; return long(orvqtimer_init(&t, v) + (v == 0 ? t.start : 0)); }, 0);
    rows.add("orvqtimer_elapsed_seconds", "null", [] { return long(orvqtimer_elapsed_seconds(nullptr) != 0); }, 0);
    rows.add("orvqtimer_elapsed_and_rate", "null timer and outputs", [] { orvqtimer_elapsed_and_rate(nullptr, 1, nullptr, nullptr); return 0L; });
    rows.add("orvqtimer_rate", "null, NaN and infinite counts", [] {
        orvqtimer_t t{1, 2};
        orvqtimer_rate(&t, std::nanf(""));
        orvqtimer_rate(&t, std::numeric_limits<float>::infinity());
        return long(orvqtimer_rate(nullptr, 5) != 0);
    }, 0);
    rows.path("orvqtimer_log_set_filename", [](const char *t) { const long r = orvqtimer_log_set_filename(t, "KB", 0); orvqtimer_log("x"); orvqtimer_log_set_filename(nullptr, nullptr, 0); return r; }, {0, 0});
    rows.text("orvqtimer_log_set_filename", [](const char *t) { const long r = orvqtimer_log_set_filename(sweep::scratch("t.log").c_str(), t, 0); orvqtimer_log_set_filename("", t, 0); return r; }, {0, 0});
    rows.integer("orvqtimer_log_set_filename", [](int v) { const long r = orvqtimer_log_set_filename(sweep::scratch("t.log").c_str(), "s", static_cast<unsigned int>(v)); orvqtimer_log_set_filename("", "", 0); return r; }, 0);
    rows.text("orvqtimer_log", [](const char *t) { orvqtimer_log("%s", sweep::shown(t)); orvqtimer_log_set_filename(sweep::scratch("t.log").c_str(), "KB", 0); orvqtimer_log("%s", sweep::shown(t)); orvqtimer_log(sweep::NoFormat); return 0L; });
    rows.text("orvqtimer_log_elapsed_and_rate", [](const char *t) {
        orvqtimer_t timer{5, 6};
        orvqtimer_log_set_filename(sweep::scratch("t.log").c_str(), "KB", 0);
        orvqtimer_log_elapsed_and_rate(t, 1, &timer, t, 1e30F, "%s", sweep::shown(t));
        orvqtimer_log_elapsed_and_rate(t, 1, nullptr, "KB", -1, sweep::NoFormat);
        return 0L;
    });
    rows.text("orvqtimer_log_elapsed_seconds", [](const char *t) {
        orvqtimer_t timer{5, 0};
        orvqtimer_log_set_filename(sweep::scratch("t.log").c_str(), "KB", 0);
        orvqtimer_log_elapsed_seconds(t, 1, &timer, "%s", sweep::shown(t));
        orvqtimer_log_elapsed_seconds(t, 1, nullptr, sweep::NoFormat);
        return 0L;
    });
    rows.add("orvqtimer_log_flush", "no log", [] { orvqtimer_log_flush(); return 0L; });
}

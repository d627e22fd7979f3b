// Sweep rows of the trace facility: hostile places, levels, titles, modules
// and message texts in every report call, and the facility's settings.
#include "sweep.h"

namespace {

void error_va(const char *file, int line, int inform, const char *title, const char *module,
              const char *fmt2, const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    tr_error_va(file, line, inform, title, module, fmt, args, fmt2, "second");
    va_end(args);
}

void handler(int, const char *, const char *, const char *) {}
void call_back(const char *, int) {}

}  // namespace

SWEEP_ROWS(trace) {
    // Report calls: each hostile text as the place, the title, the module and
    // the %s argument of the message.
    rows.texts({}, {SWEEP_TEXT(tr_trace, t, 1, tr_APP, "%s", t ? t : "-"), SWEEP_TEXT(tr_tracep, t, 1, tr_APP, ~0UL, "%s", t ? t : "-"),
                    SWEEP_TEXT(tr_warning, t, 1, tr_APP, "%s", t ? t : "-"), SWEEP_TEXT(tr_msg, t, 1, "%s", t ? t : "-"),
                    SWEEP_TEXT(tr_error, t, 1, 200, t, t, "%s", t ? t : "-"), SWEEP_TEXT(tr_sys_error, t, 1, 2, 200, t, t, "%s", t ? t : "-")});
    rows.text("tr_error_va", [](const char *t) { error_va(t, 1, 201, t, t, "%s", "%s", t ? t : "-"); return 0L; });
    rows.each("null format", std::nullopt, {SWEEP_CALL(tr_trace, "f", 1, tr_APP, sweep::NoFormat), SWEEP_CALL(tr_tracep, "f", 1, tr_APP, 0, sweep::NoFormat),
                                            SWEEP_CALL(tr_warning, "f", 1, tr_APP, sweep::NoFormat), SWEEP_CALL(tr_msg, "f", 1, sweep::NoFormat),
                                            SWEEP_CALL(tr_error, "f", 1, 200, "T", "M", sweep::NoFormat), SWEEP_CALL(tr_sys_error, "f", 1, 2, 200, "T", "M", sweep::NoFormat),
                                            sweep::Call{"tr_error_va", [] { error_va("f", 1, 200, "T", "M", sweep::NoFormat, sweep::NoFormat); return 0L; }}});
    for (int v : sweep::ints()) {
        rows.each("level, line and code " + std::to_string(v), std::nullopt,
                  {sweep::Call{"tr_trace", [v] { tr_trace("f", v, v, "x"); return 0L; }}, sweep::Call{"tr_tracep", [v] { tr_tracep("f", v, v, 0, "x"); return 0L; }},
                   sweep::Call{"tr_warning", [v] { tr_warning("f", v, v, "x"); return 0L; }}, sweep::Call{"tr_msg", [v] { tr_msg("f", v, "x"); return 0L; }},
                   sweep::Call{"tr_error", [v] { tr_error("f", v, v, "T", "M", "x"); return 0L; }}, sweep::Call{"tr_sys_error", [v] { tr_sys_error("f", v, v, v, "T", "M", "x"); return 0L; }},
                   sweep::Call{"tr_error_va", [v] { error_va("f", v, v, "T", "M", "y", "x"); return 0L; }}});
    }
    rows.add("tr_time_stamp", "twice", [] { tr_time_stamp(); tr_time_stamp(); return 0L; });

    // Settings.
    rows.integer("tr_ignore_traces_below_level", [](int v) { tr_ignore_traces_below_level(v); tr_trace("f", 1, tr_HIGH, "x"); return 0L; });
    rows.integer("tr_ignore_traces_below_level_quietly", [](int v) { tr_ignore_traces_below_level_quietly(v); return long(tr_current_trace_level() != v) * 0; });
    rows.integer("tr_ignore_warnings_below_level", [](int v) { tr_ignore_warnings_below_level(v); tr_warning("f", 1, tr_HIGH, "x"); return 0L; });
    rows.integers(std::nullopt, {SWEEP_INT(tr_ignore_warnings_below_level_quietly, v), SWEEP_INT(tr_level_to_string, v)});
    rows.texts({}, {SWEEP_TEXT(tr_level_from_string, t)});
    rows.integer("tr_set_time_log_interval", [](int v) { tr_set_time_log_interval(v); for (int i = 0; i < 3; ++i) tr_trace("f", 1, tr_APP, "x"); return 0L; });
    for (unsigned char flag : {0, 1, 255}) {
        const std::string args = "flag " + std::to_string(flag);
        rows.add("tr_set_message_tag_display", args, [flag] { tr_set_message_tag_display(flag); tr_trace("f", 1, tr_APP, "x"); return 0L; });
        rows.add("tr_option_enable_print_thread_id", args, [flag] { tr_option_enable_print_thread_id(flag); tr_trace("f", 1, tr_APP, "x"); return 0L; });
    }
    rows.add("tr_current_trace_level", "fresh", [] { return long(tr_current_trace_level() < 0); }, 0);
    rows.add("tr_current_warning_level", "fresh", [] { return long(tr_current_warning_level() < 0); }, 0);
    rows.add("tr_set_error_handler", "null", [] { tr_set_error_handler(nullptr); tr_error("f", 1, 200, nullptr, nullptr, "x"); return 0L; });
    rows.add("tr_set_error_handler", "a handler, null title and module", [] { tr_set_error_handler(handler); tr_error("f", 1, 200, nullptr, nullptr, "x"); return 0L; });
    for (unsigned long size : {0UL, 1UL, ULONG_MAX}) {
        rows.add("tr_set_trace_file_size", "size " + std::to_string(size), [size] {
            tr_set_trace_file_size(size);
            for (const sweep::Text &t : sweep::texts()) tr_trace("f", 1, tr_APP, "%s", t.value ? t.value : "-");
            return 0L;
        });
    }
    rows.add("tr_max_file_size", "fresh", [] { tr_max_file_size(); return 0L; });
    rows.add("tr_trace_file_name", "in any mode", [] { tr_trace_file_name(); return 0L; });
    rows.add("tr_is_initialized", "in any mode", [] { return long(tr_is_initialized() > 1); }, 0);

    // Start and stop, in a process of their own.
    rows.start(sweep::Start::Untraced);
    // A trace file that cannot be created ends the process with status 102.
    rows.may_exit(102);
    rows.text("tr_init", [](const char *t) { const long r = tr_init(t); tr_term(); return r; }, {-4998, -4998});
    rows.add("tr_init", "absolute name", [] { return long(tr_init("/etc/passwd")); }, -4998);
    rows.add("tr_init", "twice", [] { tr_init("sweep-twice"); return long(tr_init("sweep-twice")); }, 0);
    rows.may_exit(0);
    rows.add("tr_init_with_call_back", "null", [] { return long(tr_init_with_call_back(nullptr) > 0); }, 0);
    rows.add("tr_init_with_call_back", "after tr_init", [] { tr_init("sweep-cb"); tr_init_with_call_back(call_back); tr_trace("f", 1, tr_APP, "x"); return 0L; });
    rows.add("tr_term", "not started, twice", [] { return long(tr_term() + tr_term()); }, 0);
    rows.add("tr_term", "then report", [] { tr_init("sweep-term"); tr_term(); tr_error("f", 1, 200, "T", "M", "after"); return 0L; });
}

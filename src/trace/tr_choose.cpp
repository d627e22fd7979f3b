// The trace-level chooser of console menus, on the library's choices, and
// the menu entry text that shows the current level.
#include <ORVCommonKit/choose.h>
#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/trlog.h>

#include "trace/tr_state.h"

#include <cstdio>

namespace {

// The menu entry text, rebuilt by tr_menu_format_trace_entry.
char Menu_entry[80];

}  // namespace

extern "C" {

int tr_choose_trace_level(const char *prompt, int default_level) {
    return choose_from_enum(prompt && *prompt ? prompt : "Choose a trace level", default_level,
                            "ahmlnq", "tr_APP  - Application", tr_APP, "tr_HIGH - High", tr_HIGH,
                            "tr_MID  - Medium", tr_MID, "tr_LOW  - Low", tr_LOW,
                            "tr_NONE - No tracing", tr_NONE, "Quit    - Don't change", -1);
}

int tr_menu_choose_trace_level(void) {
    const int level = tr_choose_trace_level(nullptr, orvtrace::Trace_level);
    if (level != -1) {
        tr_ignore_traces_below_level(level);
        tr_ignore_warnings_below_level(level);
        tr_menu_format_trace_entry();
    }
    return 0;
}

const char *tr_menu_format_trace_entry(void) {
    std::snprintf(Menu_entry, sizeof Menu_entry, "Trace (%s)",
                  tr_level_to_string(orvtrace::Trace_level));
    return Menu_entry;
}

}  // extern "C"

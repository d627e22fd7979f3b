// The C interface of the trace facility: start in call-back mode, settings,
// level setters and the message calls.
#include "trace/tr_internal.h"

#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tr.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace orvtrace;

namespace {

const char *inform_word(int inform) {
    switch (inform) {
    case tr_INFORM_LOG: return "log";
    case tr_INFORM_PROGRAMMER: return "programmer";
    case tr_INFORM_USER: return "user";
    default: return nullptr;
    }
}

// Adds the error prefix "ERROR AT [...] ON ... IN '...' INFORM ... TITLE '...': ".
void add_error_prefix(Line &out, const char *file, int line, int inform, const char *title,
                      const char *module) {
    const char *mod = module ? module : "<unknown module>";
    const char *stamp = time_stamp();
    const char *tag = thread_tag();
    if (const char *word = inform_word(inform))
        out.add("ERROR AT [%s,%d] ON %s%s IN '%s' INFORM '%s' TITLE '%s': ", base_name(file), line,
                stamp, tag, mod, word, title);
    else
        out.add("ERROR AT [%s,%d] ON %s%s IN '%s' INFORM <unknown %d> TITLE '%s': ",
                base_name(file), line, stamp, tag, mod, inform, title);
}

// Formats fmt with args into a heap text for the error handler; null when
// memory is short.
char *format_for_handler(const char *fmt, va_list args, const char *suffix) {
    va_list sizing;
    va_copy(sizing, args);
    const int n = std::vsnprintf(nullptr, 0, fmt, sizing);
    va_end(sizing);
    if (n < 0) return nullptr;
    const std::size_t extra = suffix ? std::strlen(suffix) : 0;
    auto *text = static_cast<char *>(std::malloc(static_cast<std::size_t>(n) + extra + 1));
    if (!text) return nullptr;
    std::vsnprintf(text, static_cast<std::size_t>(n) + 1, fmt, args);
    if (suffix) std::memcpy(text + n, suffix, extra + 1);
    return text;
}

void call_handler(int inform, const char *title, const char *module, const char *fmt,
                  va_list args, const char *suffix = nullptr) {
    if (classExternalLoggerFunction || !Error_handlerp) return;
    char *text = format_for_handler(fmt, args, suffix);
    Error_handlerp(inform, title, module, text ? text : fmt);
    std::free(text);
}

// The common body of the four level setters.
void set_level(int &slot, int level, const char *name, const char *function, bool quiet) {
    const int old = slot;
    if (level < tr_LOW || level > tr_NONE) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "INVALID PARAMETER", "ORVCommonKit",
                 "%s() was called with a trace level of %d, which is outside the valid range of "
                 "%d to %d inclusive.  %s level remains at %s.",
                 function, level, tr_LOW, tr_NONE, name, tr_level_to_string(old));
        return;
    }
    slot = level;
    if (quiet && !Initialized) return;
    if (old == tr_NONE && level == tr_NONE) return;
    if (classExternalLoggerFunction) {
        if (Show_message_tag == 1)
            std::snprintf(classTempStringp, kBufferSize, "[%s,%d]  %s level has been set to %s.",
                          ORV_TRACE_HERE, name, tr_level_to_string(level));
        else
            classTempStringp[0] = '\0';
        classExternalLoggerFunction(classTempStringp, tr_KIND_MESSAGE);
    } else if (Trace_file) {
        std::fprintf(Trace_file, "[%s,%d]  %s level has been set to %s.\n", ORV_TRACE_HERE, name,
                     tr_level_to_string(level));
        std::fflush(Trace_file);
    }
}

}  // namespace

extern "C" {

int tr_init_with_call_back(tr_call_back_t call_back) {
    if (!classOutputStringp) classOutputStringp = static_cast<char *>(std::calloc(kBufferSize, 1));
    if (!classTempStringp) classTempStringp = static_cast<char *>(std::calloc(kBufferSize, 1));
    // Without both buffers the facility stays in its file or standard-output mode.
    if (classOutputStringp && classTempStringp) classExternalLoggerFunction = call_back;
    Initialized = true;
    return 0;
}

int tr_is_initialized(void) { return Initialized ? 1 : 0; }

void tr_set_error_handler(tr_error_handler_t handler) { Error_handlerp = handler; }

void tr_ignore_traces_below_level(int level) {
    set_level(Trace_level, level, "Trace", "tr_ignore_traces_below_level", false);
}

void tr_ignore_traces_below_level_quietly(int level) {
    set_level(Trace_level, level, "Trace", "tr_ignore_traces_below_level_quietly", true);
}

void tr_ignore_warnings_below_level(int level) {
    set_level(Warning_level, level, "Warning", "tr_ignore_warnings_below_level", false);
}

void tr_ignore_warnings_below_level_quietly(int level) {
    set_level(Warning_level, level, "Warning", "tr_ignore_warnings_below_level_quietly", true);
}

int tr_level_from_string(const char *text) {
    if (!orvstr_icmp(text, "none") || !orvstr_icmp(text, "tr_NONE")) return tr_NONE;
    if (!orvstr_icmp(text, "low") || !orvstr_icmp(text, "tr_LOW")) return tr_LOW;
    if (!orvstr_icmp(text, "medium") || !orvstr_icmp(text, "mid") || !orvstr_icmp(text, "tr_MID"))
        return tr_MID;
    if (!orvstr_icmp(text, "app") || !orvstr_icmp(text, "tr_APP")) return tr_APP;
    return tr_HIGH;
}

const char *tr_level_to_string(int level) {
    switch (level) {
    case tr_LOW: return "tr_LOW";
    case tr_MID: return "tr_MID";
    case tr_HIGH: return "tr_HIGH";
    case tr_APP: return "tr_APP";
    case tr_NONE: return "tr_NONE";
    default: return "UNKNOWN";
    }
}

void tr_set_message_tag_display(unsigned char flag) { Show_message_tag = flag; }

void tr_set_time_log_interval(int count) { Time_log_interval = count; }

void tr_option_enable_print_thread_id(unsigned char flag) { OptionPrintThreadID = flag != 0; }

int tr_current_trace_level(void) { return Trace_level; }

int tr_current_warning_level(void) { return Warning_level; }

void tr_trace(const char *file, int line, int level, const char *fmt, ...) {
    if (drops_quickly(level, Trace_level)) return;
    if (!passes_filter(file, line, level, Trace_level)) return;
    Line out(tr_KIND_MESSAGE);
    if (Show_message_tag == 1) {
        char prefix[kPrefixSize];
        out.add_text(prefix, compose_stamped_prefix(prefix, file, line));
    }
    va_list args;
    va_start(args, fmt);
    out.add_v(fmt ? fmt : "NULL Message passed to tr_trace", args);
    va_end(args);
    out.finish();
}

void tr_tracep(const char *file, int line, int level, unsigned long pointer, const char *fmt,
               ...) {
    if (drops_quickly(level, Trace_level)) return;
    if (!passes_filter(file, line, level, Trace_level)) return;
    Line out(tr_KIND_MESSAGE);
    if (Show_message_tag == 1)
        out.add("[0x%lx,%s,%ld] ", pointer, base_name(file), static_cast<long>(line));
    va_list args;
    va_start(args, fmt);
    out.add_v(fmt ? fmt : "NULL Message passed to tr_tracep", args);
    va_end(args);
    out.finish();
}

void tr_warning(const char *file, int line, int level, const char *fmt, ...) {
    if (drops_quickly(level, Warning_level)) return;
    if (!passes_filter(file, line, level, Warning_level)) return;
    Line out(tr_KIND_WARNING);
    char prefix[kPrefixSize];
    out.add_text("WARNING ", 8);
    out.add_text(prefix, compose_stamped_prefix(prefix, file, line));
    va_list args;
    va_start(args, fmt);
    out.add_v(fmt ? fmt : "NULL Message passed to tr_warning", args);
    va_end(args);
    out.finish();
}

void tr_msg(const char *file, int line, const char *fmt, ...) {
    Line out(tr_KIND_MESSAGE);
    if (Show_message_tag == 1) out.add("[%s,%d]  ", base_name(file), line);
    va_list args;
    va_start(args, fmt);
    out.add_v(fmt ? fmt : "NULL Message passed to tr_msg", args);
    va_end(args);
    out.finish();
}

void tr_error(const char *file, int line, int inform, const char *title, const char *module,
              const char *fmt, ...) {
    const char *text = fmt ? fmt : "NULL Message passed to tr_error";
    Line out(tr_KIND_ERROR);
    add_error_prefix(out, file, line, inform, title ? title : "Generic Error", module);
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    out.add_v(text, args);
    va_end(args);
    out.finish();
    call_handler(inform, title, module, text, again);
    va_end(again);
}

void tr_error_va(const char *file, int line, int inform, const char *title, const char *module,
                 const char *fmt, va_list args, const char *fmt2, ...) {
    const char *text2 = fmt2 ? fmt2 : "NULL Message passed to tr_error";
    va_list args2;
    va_start(args2, fmt2);
    va_list again;
    va_copy(again, args2);
    Line out(tr_KIND_ERROR);
    add_error_prefix(out, file, line, inform, title ? title : "Generic Error", module);
    out.add_v(text2, args2);
    va_end(args2);
    if (classExternalLoggerFunction) {
        out.finish();
        if (fmt)
            std::vsnprintf(classTempStringp, kBufferSize, fmt, args);
        else
            classTempStringp[0] = '\0';
        classExternalLoggerFunction(classTempStringp, tr_KIND_ERROR);
    } else {
        if (fmt) out.add_v(fmt, args);
        out.finish();
    }
    call_handler(inform, title, module, text2, again);
    va_end(again);
}

void tr_sys_error(const char *file, int line, int system_error, int inform, const char *title,
                  const char *module, const char *fmt, ...) {
    const char *text = fmt ? fmt : "NULL Message passed to tr_sys_error";
    const bool call_back = classExternalLoggerFunction != nullptr;
    Line out(tr_KIND_ERROR);
    add_error_prefix(out, file, line, inform,
                     title ? title : (call_back ? "Generic Error" : "Generic System Error"),
                     module);
    va_list args;
    va_start(args, fmt);
    va_list again;
    va_copy(again, args);
    out.add_v(text, args);
    va_end(args);
    if (call_back) {
        out.finish();
        va_end(again);
        return;
    }
    char buffer[256];
    char suffix[300];
    std::snprintf(suffix, sizeof suffix, "  (%s)",
                  system_error_text(system_error, buffer, sizeof buffer));
    out.add("%s", suffix);
    out.finish();
    call_handler(inform, title, module, text, again, suffix);
    va_end(again);
}

void tr_time_stamp(void) {
    char date[64];
    calendar_date(date, sizeof date);
    if (classExternalLoggerFunction) {
        if (Show_message_tag == 1)
            std::snprintf(classTempStringp, kBufferSize, "[%s,%d]  ** Time of this message: %s\n",
                          ORV_TRACE_HERE, date);
        else
            classTempStringp[0] = '\0';
        classExternalLoggerFunction(classTempStringp, tr_KIND_MESSAGE);
    } else if (Trace_file) {
        std::fprintf(Trace_file, "** Time of this message: %s\n", date);
        std::fflush(Trace_file);
    }
}

}  // extern "C"

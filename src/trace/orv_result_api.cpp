// The C interface of the result records.
#include "trace/orv_result.h"

#include "platform/objects.h"
#include "trace/tr_internal.h"

#include <cstdarg>
#include <cstdlib>

using namespace orvtrace;

extern "C" {

orv_result_t *orv_result_create(const char *file, int line, int code, orv_result_t *cause,
                                const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    orv_result_t *result = make_formatted_result(file, line, 0, tr_INFORM_LOG, "Generic Error",
                                                 "UnknownModule", code, cause, log_as_error, fmt,
                                                 args);
    va_end(args);
    return result;
}

orv_result_t *orv_result_error(const char *file, int line, int inform, const char *title,
                               const char *module, int code, orv_result_t *cause,
                               const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    orv_result_t *result = make_formatted_result(file, line, 0, inform, title, module, code,
                                                 cause, log_as_error, fmt, args);
    va_end(args);
    return result;
}

orv_result_t *orv_result_warning(const char *file, int line, int level, int code,
                                 orv_result_t *cause, const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    orv_result_t *result = make_formatted_result(file, line, level, 0, nullptr, nullptr, code,
                                                 cause, log_as_warning, fmt, args);
    va_end(args);
    return result;
}

orv_result_t *orv_result_trace(const char *file, int line, int level, int code,
                               orv_result_t *cause, const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    orv_result_t *result = make_formatted_result(file, line, level, 0, nullptr, nullptr, code,
                                                 cause, log_as_trace, fmt, args);
    va_end(args);
    return result;
}

orv_result_t *orv_result_new(const char *file, int line, const time_t *time, int level,
                             int inform, const char *title, const char *module, int code,
                             orv_result_t *cause, const char *description) {
    return make_result(file, line, time, level, inform, title, module, code, cause, description,
                       nullptr);
}

void orv_result_free(orv_result_t *result) {
    // Iterative, so that a long chain cannot exhaust the stack.
    while (result) {
        orv_result_t *cause = result->cause;
        std::free(result->desc);
        std::free(result->title);
        std::free(result);
        result = cause;
    }
}

unsigned char orv_result_enable_trace_in_place(unsigned char flag) {
    const unsigned char previous = ourTraceInPlaceIsEnabled ? 1 : 0;
    ourTraceInPlaceIsEnabled = flag != 0;
    return previous;
}

unsigned char orv_result_get_trace_in_place(void) { return ourTraceInPlaceIsEnabled ? 1 : 0; }

void orv_result_log(orv_result_t *result) {
    if (result && result->log_function) result->log_function(result);
}

const char *orv_result_filename(const orv_result_t *r) { return r ? r->filename : nullptr; }
int orv_result_line(const orv_result_t *r) { return r ? r->line : 0; }
time_t orv_result_time(const orv_result_t *r) { return r ? r->time : 0; }
time_t *orv_result_timep(orv_result_t *r) { return r ? &r->time : nullptr; }
int orv_result_level(const orv_result_t *r) { return r ? r->level : 0; }
int orv_result_inform(const orv_result_t *r) { return r ? r->inform : 0; }
const char *orv_result_title(const orv_result_t *r) { return r ? r->title : nullptr; }
const char *orv_result_module(const orv_result_t *r) { return r ? r->module : nullptr; }
int orv_result_code(const orv_result_t *r) { return r ? r->code : 0; }
orv_result_t *orv_result_cause(const orv_result_t *r) { return r ? r->cause : nullptr; }
const char *orv_result_desc(const orv_result_t *r) { return r ? r->desc : nullptr; }

const char *orv_result_time_string(const orv_result_t *result) {
    if (!result) return nullptr;
    return ORVString::temporary(result_time_text(result->time))->cString();
}

const char *orv_result_stack_string(const orv_result_t *result) {
    if (!result) return nullptr;
    const std::string text =
        "Created on " + result_time_text(result->time) + "\n" + result_chain_text(result);
    return ORVString::temporary(text)->cString();
}

void orv_result_print_stack(FILE *stream, const orv_result_t *result) {
    if (!result) return;
    if (!stream) {
        std::fprintf(stderr, "Invalid file pointer passed in File: %s Line: %d\n",
                     ORV_TRACE_HERE);
        return;
    }
    const std::string text = result_chain_text(result);
    std::fwrite(text.data(), 1, text.size(), stream);
}

}  // extern "C"

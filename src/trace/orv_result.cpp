// Result records: making them, writing them as errors, warnings or traces,
// and the texts of their times and cause chains.
#include "trace/orv_result.h"

#include "platform/objects.h"
#include "trace/tr_internal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace orvtrace {

bool ourTraceInPlaceIsEnabled = false;

namespace {

const char *const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

char *copy_text(const char *text, bool &failed) {
    if (!text) return nullptr;
    const std::size_t n = std::strlen(text) + 1;
    auto *copy = static_cast<char *>(std::malloc(n));
    if (!copy) {
        failed = true;
        return nullptr;
    }
    std::memcpy(copy, text, n);
    return copy;
}

}  // namespace

void log_as_error(orv_result_t *result) {
    tr_error(result->filename, result->line, result->inform, result->title, result->module, "%s",
             result->desc ? result->desc : "");
}

void log_as_warning(orv_result_t *result) {
    tr_warning(result->filename, result->line, result->level, "%s",
               result->desc ? result->desc : "");
}

void log_as_trace(orv_result_t *result) {
    tr_trace(result->filename, result->line, result->level, "%s",
             result->desc ? result->desc : "");
}

orv_result_t *make_result(const char *file, int line, const time_t *time, int level, int inform,
                          const char *title, const char *module, int code, orv_result_t *cause,
                          const char *description, ResultLogFunction log) {
    auto *result = static_cast<orv_result_t *>(std::calloc(1, sizeof(orv_result_t)));
    bool failed = result == nullptr;
    if (result) {
        result->title = copy_text(title, failed);
        result->desc = copy_text(description, failed);
    }
    if (failed) {
        const int error = errno;
        char buffer[256];
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "Allocation Error", "ORVCommonKit",
                 "Failed to calloc() %d bytes fro orv_result_t structure.  errno=%d %s.",
                 static_cast<int>(sizeof(orv_result_t)), error,
                 system_error_text(error, buffer, sizeof buffer));
        if (result) {
            std::free(result->title);
            std::free(result->desc);
            std::free(result);
        }
        orv_result_free(cause);
        return nullptr;
    }
    result->filename = file ? file : "<unknown file>";
    result->line = line;
    if (time) {
        result->time = *time;
    } else {
        timespec now{};
        Clock(&now);
        result->time = now.tv_sec;
    }
    result->level = level;
    result->inform = inform;
    result->module = module ? module : "<unknown module>";
    result->code = code;
    result->cause = cause;
    result->log_function = log;
    return result;
}

orv_result_t *make_formatted_result(const char *file, int line, int level, int inform,
                                    const char *title, const char *module, int code,
                                    orv_result_t *cause, ResultLogFunction log, const char *fmt,
                                    va_list args) {
    orv::Ref<ORVString> text = ORVString::vformat(fmt ? fmt : "", args);
    orv_result_t *result = make_result(file, line, nullptr, level, inform, title, module, code,
                                       cause, text.get() ? text->cString() : "", log);
    if (result && ourTraceInPlaceIsEnabled) result->log_function(result);
    return result;
}

std::string result_time_text(time_t time) {
    tm local{};
    char text[64] = "";
    if (localtime_r(&time, &local) && local.tm_mon >= 0 && local.tm_mon < 12)
        std::snprintf(text, sizeof text, "%04d-%s-%02d %02d:%02d:%02d", local.tm_year + 1900,
                      kMonths[local.tm_mon], local.tm_mday, local.tm_hour, local.tm_min,
                      local.tm_sec);
    return text;
}

std::string result_chain_text(const orv_result_t *result) {
    std::string text;
    char number[48];
    for (; result; result = result->cause) {
        text += result->filename;
        std::snprintf(number, sizeof number, ":%d\t%d\t", result->line, result->code);
        text += number;
        text += result->desc ? result->desc : "(null)";
        text += '\n';
    }
    return text;
}

}  // namespace orvtrace

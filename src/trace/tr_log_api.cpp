// The C interface of the permanent log files.
#include "trace/tr_log.h"

#include <ORVCommonKit/tr.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace orvtrace;

extern "C" {

tr_log_t *tr_open_log(const char *path, unsigned int max_size) {
    if (!path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "INVALID PARAMETER", "ORVCommonKit",
                 "tr_open_log() called with a NULL path.");
        return nullptr;
    }
    auto *handle = static_cast<tr_log_t *>(std::calloc(1, sizeof(tr_log_t)));
    if (!handle) return nullptr;
    // "e": child processes never inherit the descriptor.
    handle->fp = std::fopen(path, "ae");
    if (!handle->fp) {
        std::free(handle);
        return nullptr;
    }
    handle->max_size = log_cap(max_size);
    std::snprintf(handle->path, sizeof handle->path, "%s", path);
    return handle;
}

void tr_log(tr_log_t *handle, const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    write_log(handle, true, "tr_log", fmt, args);
    va_end(args);
}

void tr_log_with_linefeed(tr_log_t *handle, unsigned char line_end, const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    write_log(handle, line_end != 0, "tr_logn", fmt, args);
    va_end(args);
}

void tr_log_va_with_linefeed(tr_log_t *handle, unsigned char line_end, const char *fmt,
                             va_list args) {
    write_log(handle, line_end != 0, "tr_log_va", fmt, args);
}

void tr_log_enable_time_stamp(tr_log_t *handle) {
    if (handle) handle->time_stamp = 1;
}

void tr_log_disable_time_stamp(tr_log_t *handle) {
    if (handle) handle->time_stamp = 0;
}

void tr_flush_log(tr_log_t *handle) {
    if (handle && handle->fp) std::fflush(handle->fp);
}

void tr_close_log(tr_log_t *handle) {
    if (!handle) return;
    if (handle->fp) std::fclose(handle->fp);
    std::free(handle);
}

}  // extern "C"

// Permanent log files: writing lines with their optional date line, the size
// check every 50 lines and capping, which moves the file to its backup name
// through the switch the trace file uses too.
#include "trace/tr_log.h"

#include "trace/tr_capped.h"
#include "trace/tr_internal.h"

#include <cstdio>
#include <cstring>

namespace orvtrace {

namespace {

void rename_failed(const char *path, const char *backup, const char *why) {
    std::printf("Unable to rename file \"%s\" to \"%s\".  %s.\nUnable to create backup log file",
                path, backup, why);
    std::fflush(stdout);
}

void open_failed(const char *path, const char *mode, int error) {
    char buffer[256];
    std::printf("Failed to fopen(\"%s\", \"%s\").  errno=%d (%s)\n", path, mode, error,
                system_error_text(error, buffer, sizeof buffer));
    std::fflush(stdout);
}

const SwitchRules kLogRules = {rename_failed, open_failed};

void cap_log(tr_log_t *handle, unsigned long size) {
    std::fprintf(handle->fp,
                 "\n# Trace file \"%s\" has reached \n# %lu bytes and is being capped (>= %lu "
                 "bytes).\n",
                 handle->path, size, static_cast<unsigned long>(handle->max_size));
    char backup[256];
    std::snprintf(backup, sizeof backup, "%.254s-", handle->path);
    const SwitchOutcome outcome = switch_capped_file(handle->fp, handle->path, backup, kLogRules);
    if (outcome != SwitchOutcome::Switched) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "CAPPING ERROR", "ORVCommonKit",
                 "Failed to cap permanent log file: \"%s\".", handle->path);
        return;
    }
    std::fprintf(handle->fp,
                 "#\n# This file has already been capped.  Previous trace messages can be\n"
                 "# found in \"%s-\".\n\n",
                 handle->path);
    std::fflush(handle->fp);
}

void end_line(tr_log_t *handle) {
    std::FILE *out = handle->fp;
    std::fputc('\n', out);
    ++handle->line_count;
    if (handle->time_stamp && handle->line_count >= static_cast<unsigned int>(Time_log_interval)) {
        char date[64];
        calendar_date(date, sizeof date);
        std::fprintf(out, "** Time of this message: %s\n", date);
        handle->line_count = 0;
    }
    // The size check below must see every line.
    std::fflush(out);
    if (handle->line_count % kLogSizeCheckInterval != 0) return;
    const unsigned long size = capped_file_size(handle->path);
    if (size >= handle->max_size) cap_log(handle, size);
}

}  // namespace

unsigned int log_cap(unsigned int requested) {
    if (requested == 0) return kDefaultLogSize;
    if (requested < kSmallestLogSize) return kSmallestLogSize;
    if (requested > kLargestLogSize) return kLargestLogSize;
    return requested;
}

void write_log(tr_log_t *handle, bool line_end, const char *function, const char *fmt,
               va_list args) {
    if (!handle || !handle->fp) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "INVALID HANDLE", "ORVCommonKit",
                 "%s() called with invalid handle.  %s is NULL.  fmt=\"%s\".", function,
                 handle ? "handlep->fp" : "handle", fmt ? fmt : "(null)");
        return;
    }
    if (fmt) std::vfprintf(handle->fp, fmt, args);
    // What a call writes is in the file when it returns, in one write.
    if (line_end)
        end_line(handle);
    else
        std::fflush(handle->fp);
}

}  // namespace orvtrace

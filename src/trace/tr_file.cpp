// The trace file: naming in the log directory, the switch to a fresh file with
// the old one kept as the single backup, the size check after ended messages,
// capping with its generation notes, and the file header.
#include "trace/tr_file.h"

#include "trace/tr_capped.h"
#include "trace/tr_internal.h"

#include <ORVCommonKit/orvstd.h>
#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/ut.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orvtrace {

namespace {

bool is_absolute(const char *name) {
    if (name[0] == '/' || name[0] == '\\') return true;
    return ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')) &&
           name[1] == ':';
}

char *concat(const char *a, const char *b, const char *c, const char *d) {
    const std::size_t n = std::strlen(a) + std::strlen(b) + std::strlen(c) + std::strlen(d);
    auto *out = static_cast<char *>(std::malloc(n + 1));
    if (!out) return nullptr;
    std::snprintf(out, n + 1, "%s%s%s%s", a, b, c, d);
    return out;
}

// Major, minor and build number of the running kernel.
void os_version(long &major, long &minor, long &build) {
    major = minor = build = 0;
    utsname names{};
    if (uname(&names) == 0) std::sscanf(names.release, "%ld.%ld.%ld", &major, &minor, &build);
}

void rename_failed(const char *path, const char *backup, const char *why) {
    std::printf("WARNING [%s, %d]: rename failed: Unable to rename trace file \"%s\" to "
                "\"%s\".  %s.\nBackup log will not be created.\n",
                ORV_TRACE_HERE, path, backup, why);
    std::fflush(stdout);
}

[[noreturn]] void open_failed(const char *path, const char *mode, int error) {
    char buffer[256];
    std::printf("FATAL ERROR AT [%s,%d]: fopen (\"%s\", \"%s\") failed.  errno=%d (%s)\n",
                ORV_TRACE_HERE, path, mode, error, system_error_text(error, buffer, sizeof buffer));
    std::fflush(stdout);
    std::exit(102);
}

const SwitchRules kTraceFileRules = {rename_failed, open_failed};

}  // namespace

void forget_file_names() {
    std::free(TraceFilename);
    std::free(TraceBackup);
    TraceFilename = nullptr;
    TraceBackup = nullptr;
}

int build_file_names(const char *program) {
    forget_file_names();
    if (!program || !*program || is_absolute(program)) return 0;
    const char *dir = ut_orv_log_dir();
    if (!dir || !*dir) return -1;
    char *lower = orvstr_dup(program);
    if (!lower) return -1;
    orvstr_lwr(lower);
    const char last = dir[std::strlen(dir) - 1];
    const char *separator = (last == '/' || last == '\\') ? "" : "/";
    TraceFilename = concat(dir, separator, lower, ".log");
    orvstr_free(lower);
    if (TraceFilename) TraceBackup = concat(TraceFilename, "-", "", "");
    if (!TraceFilename || !TraceBackup) {
        forget_file_names();
        return -1;
    }
    return 0;
}

SwitchOutcome switch_files() {
    if (!TraceFilename || !TraceBackup) return SwitchOutcome::Failed;
    const SwitchOutcome outcome = switch_capped_file(Trace_file, TraceFilename, TraceBackup,
                                                     kTraceFileRules);
    if (outcome == SwitchOutcome::Failed) return outcome;
    if (chmod(TraceFilename, 0664) != 0)
        tr_warning(__FILE__, __LINE__, tr_HIGH, "Failed to change file attributes of \"%s\".\n",
                   TraceFilename);
    return outcome;
}

void write_file_header(bool capped) {
    Time_log_line_count = 0;
    if (!Trace_file) return;
    char date[64];
    calendar_date(date, sizeof date);
    char host[256] = "";
    if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
    host[sizeof host - 1] = '\0';
    long major, minor, build;
    os_version(major, minor, build);
    std::fprintf(Trace_file,
                 "# Generation %lu trace file \"%s\" was started\n# on %s.\tHostname: %s, "
                 "Process ID: %d, OS Version: %li.%li.%li\n",
                 Cap_count, TraceFilename, date, host, static_cast<int>(getpid()), major, minor,
                 build);
    if (!capped)
        std::fputs("\n", Trace_file);
    else
        std::fprintf(Trace_file,
                     "# This file will be capped every %ld bytes.\n"
                     "# The tracing level is currently %s.\n",
                     static_cast<long>(Max_file_size), tr_level_to_string(Trace_level));
    std::fflush(Trace_file);
}

void cap_file(unsigned long size) {
    if (!Trace_file) return;
    std::fprintf(Trace_file,
                 "\n# Generation %lu trace file \"%s\" has reached \n# %lu bytes and is being "
                 "capped as \"%s\".\n",
                 Cap_count, TraceFilename, size, TraceBackup);
    std::fflush(Trace_file);
    // A file that could not be moved aside keeps growing; its note says so.
    const bool switched = switch_files() == SwitchOutcome::Switched;
    ++Cap_count;
    write_file_header(true);
    if (!Trace_file) return;
    if (switched)
        std::fprintf(Trace_file,
                     "#\n# This file has already been capped.  Previous trace messages can be\n"
                     "# found in \"%s\".\n\n",
                     TraceBackup);
    else
        std::fprintf(Trace_file,
                     "#\n# An attempt has been made to cap this file but capping failed.\n"
                     "# The trace messages found in \"%s\" may not\n"
                     "# represent a true sequence of events.\n\n",
                     TraceBackup);
    std::fflush(Trace_file);
}

void check_file_size() {
    if (!Initialized || Max_file_size == 0) return;
    if (++Check_size_line_count <= kSizeCheckInterval) return;
    Check_size_line_count = 0;
    const unsigned long size = capped_file_size(TraceFilename);
    if (size >= Max_file_size) cap_file(size);
}

}  // namespace orvtrace

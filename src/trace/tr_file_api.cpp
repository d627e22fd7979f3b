// The C interface of the trace file: start and stop with the program's trace
// file, the cap size and the file name.
#include "trace/tr_file.h"
#include "trace/tr_internal.h"

#include <ORVCommonKit/tr.h>

using namespace orvtrace;

extern "C" {

int tr_init(const char *program_name) {
    if (Initialized) return 0;
    if (build_file_names(program_name) != 0) return -4999;
    Max_file_size = kDefaultMaxFileSize;
    if (switch_files() == SwitchOutcome::Failed) return -4998;
    write_file_header(false);
    Initialized = true;
    return 0;
}

int tr_term(void) {
    if (!Initialized || classExternalLoggerFunction) return 0;
    tr_trace(__FILE__, __LINE__, tr_LOW, "tr_term() called");
    int result = 0;
    if (Trace_file) {
        char date[64];
        calendar_date(date, sizeof date);
        std::fprintf(Trace_file, "\n# Generation %lu trace file \"%s\" will be closed.\n",
                     Cap_count, TraceFilename);
        std::fprintf(Trace_file, "# Tracing terminated on %s.\n\n", date);
        if (std::fclose(Trace_file) != 0) result = -4996;
    }
    Trace_file = nullptr;
    forget_file_names();
    Trace_level = tr_LOW;
    Warning_level = tr_LOW;
    Max_file_size = kDefaultMaxFileSize;
    Time_log_interval = kDefaultTimeLogInterval;
    Error_handlerp = nullptr;
    Cap_count = 0;
    Check_size_line_count = 0;
    Initialized = false;
    return result;
}

void tr_set_trace_file_size(unsigned long size) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "tr_set_trace_file_size (%lu) called", size);
    Max_file_size = size;
    Check_size_line_count = kSizeCheckInterval;
    tr_trace(__FILE__, __LINE__, tr_HIGH, "This file will be capped every %ld bytes.\n",
             static_cast<long>(size));
}

const char *tr_trace_file_name(void) { return TraceFilename; }

unsigned long tr_max_file_size(void) { return Max_file_size; }

}  // extern "C"

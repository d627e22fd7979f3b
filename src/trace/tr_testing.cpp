// Test hooks of the trace facility: reset to the start state and a fixed clock.
#include "trace/tr_testing.h"

#include "trace/tr_file.h"
#include "trace/tr_internal.h"

#include <cstdlib>

namespace {

timespec Fixed_time{};

void fixed_clock(timespec *now) { *now = Fixed_time; }
void system_clock(timespec *now) { clock_gettime(CLOCK_REALTIME, now); }

}  // namespace

extern "C" void orv_tr_testing_reset(void) {
    using namespace orvtrace;
    if (Trace_file) std::fclose(Trace_file);
    Trace_file = nullptr;
    forget_file_names();
    std::free(classOutputStringp);
    std::free(classTempStringp);
    classOutputStringp = nullptr;
    classTempStringp = nullptr;
    classExternalLoggerFunction = nullptr;
    Initialized = false;
    Trace_level = tr_HIGH;
    Warning_level = tr_LOW;
    Show_message_tag = 1;
    Time_log_interval = kDefaultTimeLogInterval;
    OptionPrintThreadID = false;
    Error_handlerp = nullptr;
    Time_log_line_count = 0;
    Max_file_size = kDefaultMaxFileSize;
    Cap_count = 0;
    Check_size_line_count = 0;
    Clock = system_clock;
    Time_stamp_date_valid = false;
}

extern "C" void orv_tr_testing_fix_clock(long long seconds, long nanoseconds) {
    Fixed_time.tv_sec = static_cast<time_t>(seconds);
    Fixed_time.tv_nsec = nanoseconds;
    orvtrace::Clock = fixed_clock;
    orvtrace::Time_stamp_date_valid = false;
}

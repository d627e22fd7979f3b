// The one copy of the trace facility's process-wide state.
#include "trace/tr_state.h"

namespace orvtrace {

namespace {
void system_clock(timespec *now) { clock_gettime(CLOCK_REALTIME, now); }
}  // namespace

bool Initialized = false;
int Trace_level = tr_HIGH;
int Warning_level = tr_LOW;
int Show_message_tag = 1;
int Time_log_interval = kDefaultTimeLogInterval;
bool OptionPrintThreadID = false;
tr_call_back_t classExternalLoggerFunction = nullptr;
char *classOutputStringp = nullptr;
char *classTempStringp = nullptr;
tr_error_handler_t Error_handlerp = nullptr;
std::FILE *Trace_file = nullptr;
int Time_log_line_count = 0;

unsigned long Max_file_size = kDefaultMaxFileSize;
unsigned long Cap_count = 0;
char *TraceFilename = nullptr;
char *TraceBackup = nullptr;
int Check_size_line_count = 0;

ClockFunction Clock = system_clock;

}  // namespace orvtrace

namespace orvtrace {

char Time_stamp_text[32] = "";
char Thread_tag_text[32] = "";
char Time_stamp_date_part[24] = "";
time_t Time_stamp_second = 0;
bool Time_stamp_date_valid = false;

}  // namespace orvtrace

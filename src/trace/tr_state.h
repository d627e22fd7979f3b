// Process-wide state of the trace facility and its trace file. Every item lives
// in tr_state.cpp; the facility keeps no lock, so one thread at a time.
#pragma once

#include <ORVCommonKit/tr.h>

#include <cstdio>
#include <ctime>

namespace orvtrace {

// Size of each composition buffer of call-back mode: a composed message holds
// at most kMaxMessage characters and its terminator.
inline constexpr int kMaxMessage = 8192;
inline constexpr int kBufferSize = kMaxMessage + 1;

inline constexpr unsigned long kDefaultMaxFileSize = 5000000UL;
inline constexpr int kDefaultTimeLogInterval = 50;
// Messages between two size checks of the trace file.
inline constexpr int kSizeCheckInterval = 50;

// Written by tr_init / tr_init_with_call_back, cleared by tr_term.
extern bool Initialized;
// Written by the level setters (and tr_term).
extern int Trace_level;
extern int Warning_level;
// Written by tr_set_message_tag_display.
extern int Show_message_tag;
// Written by tr_set_time_log_interval (and tr_term).
extern int Time_log_interval;
// Written by tr_option_enable_print_thread_id.
extern bool OptionPrintThreadID;
// Written by tr_init_with_call_back: set means call-back mode.
extern tr_call_back_t classExternalLoggerFunction;
// The two composition buffers of call-back mode, kBufferSize bytes each.
extern char *classOutputStringp;
extern char *classTempStringp;
// Written by tr_set_error_handler (and tr_term).
extern tr_error_handler_t Error_handlerp;
// The open trace file stream, null while none is open; written by the file
// switch (null while it switches) and tr_term.
extern std::FILE *Trace_file;
// Messages ended since the last date line or file header.
extern int Time_log_line_count;

// Trace file settings and names.
extern unsigned long Max_file_size;
extern unsigned long Cap_count;
extern char *TraceFilename;
extern char *TraceBackup;
extern int Check_size_line_count;

// Source of the current time; clock_gettime(CLOCK_REALTIME) unless a test
// fixed it.
using ClockFunction = void (*)(timespec *now);
extern ClockFunction Clock;

}  // namespace orvtrace

namespace orvtrace {

// The shared texts of the line prefixes: the time stamp of the last composed
// line ("yyyyMMdd HH:mm:ss,mmm" or "UNKNOWN") and the thread tag (" <TID=n>" or
// empty). The date part of the stamp is kept for the second it was made in.
extern char Time_stamp_text[32];
extern char Thread_tag_text[32];
extern char Time_stamp_date_part[24];
extern time_t Time_stamp_second;
extern bool Time_stamp_date_valid;

}  // namespace orvtrace

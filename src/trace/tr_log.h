// Internal pieces of the permanent log files, shared with the quick timers.
#pragma once

#include <ORVCommonKit/trlog.h>

#include <cstdarg>

namespace orvtrace {

inline constexpr unsigned int kDefaultLogSize = 512000;
inline constexpr unsigned int kSmallestLogSize = 10240;
inline constexpr unsigned int kLargestLogSize = 104857600;
// Lines between two size checks of a log.
inline constexpr unsigned int kLogSizeCheckInterval = 50;

// The cap that a requested size gives.
unsigned int log_cap(unsigned int requested);

// Writes fmt with args and, when line_end is set, ends the line. function
// names the caller in the invalid-handle report ("tr_log", "tr_logn", ...).
void write_log(tr_log_t *handle, bool line_end, const char *function, const char *fmt,
               va_list args);

}  // namespace orvtrace

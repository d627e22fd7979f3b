// Internal pieces of the quick timers: the tick source and the timer log.
#pragma once

#include <ORVCommonKit/orvqtimer.h>
#include <ORVCommonKit/trlog.h>

namespace orvtrace {

// The millisecond tick: CLOCK_MONOTONIC truncated to 32 bits, unless a test
// replaced it. Written only by tests.
using TickFunction = unsigned int (*)();
extern TickFunction Tick;
unsigned int monotonic_tick();

// The timer log (written by orvqtimer_log_set_filename) and its default unit
// word of at most 8 characters.
extern tr_log_t *Our_log_handle;
extern char Our_default_units[9];

}  // namespace orvtrace

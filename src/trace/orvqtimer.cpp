// State of the quick timers: the millisecond tick and the timer log.
#include "trace/orvqtimer.h"

#include "trace/orvqtimer_testing.h"

#include <ctime>

namespace orvtrace {

unsigned int monotonic_tick() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Truncated to 32 bits: differences are taken modulo 2^32.
    return static_cast<unsigned int>(static_cast<unsigned long long>(now.tv_sec) * 1000U +
                                     static_cast<unsigned long long>(now.tv_nsec) / 1000000U);
}

TickFunction Tick = monotonic_tick;
tr_log_t *Our_log_handle = nullptr;
char Our_default_units[9] = "";

}  // namespace orvtrace

extern "C" void orv_qtimer_testing_set_tick(unsigned int (*tick)(void)) {
    orvtrace::Tick = tick ? tick : orvtrace::monotonic_tick;
}

extern "C" void orv_qtimer_testing_reset(void) {
    tr_close_log(orvtrace::Our_log_handle);
    orvtrace::Our_log_handle = nullptr;
    orvtrace::Our_default_units[0] = '\0';
    orvtrace::Tick = orvtrace::monotonic_tick;
}

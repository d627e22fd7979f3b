// Test hooks of the quick timers. Not part of the published interface.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Makes the timers read their ticks from the function (null: the monotonic
// clock again).
void orv_qtimer_testing_set_tick(unsigned int (*tick)(void));
// Closes the timer log and forgets its unit word.
void orv_qtimer_testing_reset(void);

#ifdef __cplusplus
}
#endif

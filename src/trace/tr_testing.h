// Test hooks of the trace facility. Not part of the published interface: no
// public header declares them. The state is process-wide, so each test returns
// it to the state of a fresh process first.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Closes an open trace file, frees the names and buffers, leaves call-back
// mode and restores every setting and counter to its start value.
void orv_tr_testing_reset(void);
// Makes the facility read a fixed time (seconds since 1970 and nanoseconds);
// orv_tr_testing_reset returns to the system clock.
void orv_tr_testing_fix_clock(long long seconds,
                                                                     long nanoseconds);

#ifdef __cplusplus
}
#endif

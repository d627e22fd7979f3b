// Seams of the console engine for tests and the fuzzer: replace the process
// services (exit, sleep, running commands) and put the module back to the
// state of a freshly loaded library.
#pragma once

#include "console/input_state.h"

namespace orv::console {

// Closes any playback file and resets every module variable (prompt, modes,
// file names, counters) to its start value; keeps the services.
void reset_for_testing();

}  // namespace orv::console

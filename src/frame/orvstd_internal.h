// Library-internal view of the start-up module's state.
#pragma once

namespace orv {
// The process error mode orvstd_init set (0x8003), or 0 before it or for
// windowed clients started with orvstd_gui_init.
unsigned processErrorMode();
}  // namespace orv

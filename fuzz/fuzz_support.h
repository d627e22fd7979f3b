// Pieces the fuzz targets share.
#pragma once

#include <ORVCommonKit/tr.h>

namespace orvfuzz {

inline void discard_trace(const char *, int) {}

// Puts the trace facility into call-back mode with every report dropped and
// no trace level passing, once per process: failures the input provokes are
// reported, and the reports would only slow the run down.
inline void quiet_trace() {
    static const bool started =
        (tr_init_with_call_back(discard_trace), tr_ignore_traces_below_level_quietly(tr_NONE),
         true);
    (void)started;
}

}  // namespace orvfuzz

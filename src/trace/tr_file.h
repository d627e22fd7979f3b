// Internal pieces of the trace file, used by its C interface and by tests.
#pragma once

#include "trace/tr_capped.h"

namespace orvtrace {

// Builds TraceFilename and TraceBackup from the program name. 0 on success,
// also for a null, empty or absolute name, which leaves both unset; -1 when
// the log directory is unknown or memory is short.
int build_file_names(const char *program);
void forget_file_names();
// Closes the open file, moves an existing file to the backup name and creates
// the file anew; a file that cannot be moved aside is appended to instead.
// Fails without names or when the close failed. Ends the process with status
// 102 when the file cannot be opened.
SwitchOutcome switch_files();
// The generation header; the capped form adds the cap size and level lines.
void write_file_header(bool capped);
// Moves a file of `size` bytes aside and starts the next generation.
void cap_file(unsigned long size);

}  // namespace orvtrace

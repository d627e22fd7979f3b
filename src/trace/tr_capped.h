// The capping machinery that the trace file and the permanent log files share:
// measuring a capped file the way the size check does, and switching to a
// fresh file with the old one moved to its single backup name.
#pragma once

#include <cstdio>

namespace orvtrace {

// The size of the file at path as the size check sees it: the file is opened
// for appending (which recreates a file removed behind our back) and closed,
// then its size is asked of the file system. When that fails, the warning
// "could not get attributes" goes to standard output and the size counts as
// the largest possible, so that the caller caps the file.
unsigned long capped_file_size(const char *path);

enum class SwitchOutcome {
    Switched,     // the old file is the backup now; stream writes a fresh file
    KeptInPlace,  // the old file could not be moved aside; stream appends to it
    Failed,       // stream is null
};

// What differs between the trace file and a log when switching.
struct SwitchRules {
    // Tells that the existing file could not be moved to the backup name
    // (why: the file manager's last error text, never null).
    void (*rename_failed)(const char *path, const char *backup, const char *why);
    // Tells that the file could not be opened for writing; may end the process.
    void (*open_failed)(const char *path, const char *mode, int error);
};

// Closes stream (when open), moves an existing file at path to backup
// (replacing an older backup) and opens path afresh, close-on-exec. A failed
// close is reported as a "CAPPING ERROR" and fails. A failed move never costs
// a line: the file is reopened for appending instead of being truncated, and
// the outcome says so. stream is null after a failure.
SwitchOutcome switch_capped_file(std::FILE *&stream, const char *path, const char *backup,
                                 const SwitchRules &rules);

}  // namespace orvtrace

// The globally unique strings of the library (names of temporary directories,
// the base of a process's DICOM UIDs) and the random bytes of GUIDs.
//
// A unique string joins the host name, the process id, a per-process counter
// and the real-time clock with a 128-bit number: 128 bits from getrandom,
// combined with a 128-bit hash of the host, process id and clock.
// The number is written last, in decimal, so that the digits kept when a DICOM
// UID base is cut to its last 40 characters carry all of it: two processes
// differ there when their random bits differ (the normal case) and also when
// a cloned machine or container repeats the random bits but not the host,
// process id and clock.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <ctime>
#include <string>

namespace orv::files {

// Where the parts of a unique string come from. Tests replace entries (for
// example to give two processes the same host, process id and clock) with
// ScopedUniqueSources.
struct UniqueSources {
    std::string (*host)();
    pid_t (*pid)();
    struct timespec (*clock)();
    // Fills n bytes from the system's random source; false on failure.
    bool (*random)(unsigned char *bytes, std::size_t n);
};

// The table in force, and the real one. Visible outside the shared library so
// that test programs can reach them.
UniqueSources &unique_sources();
const UniqueSources &real_unique_sources();

class ScopedUniqueSources {
public:
    explicit ScopedUniqueSources(const UniqueSources &sources);
    ~ScopedUniqueSources();
    ScopedUniqueSources(const ScopedUniqueSources &) = delete;
    ScopedUniqueSources &operator=(const ScopedUniqueSources &) = delete;

private:
    UniqueSources saved_;
};

// A string unique across hosts, processes and calls, made of letters, digits,
// "-" and "_" (safe as a file name).
std::string unique_string();

// n bytes (at most 256) of random data for a GUID, taken from a per-thread
// supply that is refilled from the random source and dropped in a forked
// child, so parent and child never hand out the same bytes. False when the
// random source fails.
bool guid_random_bytes(unsigned char *bytes, std::size_t n);

}  // namespace orv::files

// The system calls of the files family whose failures matter (rename, open,
// read, write, unlink, copy_file_range, readdir), reached through one replaceable table so
// that tests can make them fail on purpose. Library code calls sys().rename(...) and so on; tests
// swap entries with ScopedSysCalls and the previous table comes back when the
// scope ends.
#pragma once

#include <dirent.h>
#include <sys/types.h>

namespace orv::files {

struct SysCalls {
    int (*rename)(const char *from, const char *to);
    int (*open)(const char *path, int flags, mode_t mode);
    ssize_t (*read)(int fd, void *buffer, size_t count);
    ssize_t (*write)(int fd, const void *buffer, size_t count);
    int (*unlink)(const char *path);
    ssize_t (*copy_file_range)(int in, off_t *in_at, int out, off_t *out_at, size_t count, unsigned flags);
    struct dirent *(*readdir)(DIR *d);
};

// The table in force (the real calls unless a test replaced some). Visible
// outside the shared library so that test programs can reach it.
SysCalls &sys();
// The real system calls.
const SysCalls &real_sys();

// Replaces the table for the lifetime of the object.
class ScopedSysCalls {
public:
    explicit ScopedSysCalls(const SysCalls &calls) : saved_(sys()) { sys() = calls; }
    ~ScopedSysCalls() { sys() = saved_; }
    ScopedSysCalls(const ScopedSysCalls &) = delete;
    ScopedSysCalls &operator=(const ScopedSysCalls &) = delete;

private:
    SysCalls saved_;
};

}  // namespace orv::files

// The real system calls behind the files family's seam, and the table in force.
#include "files/sys_seam.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace orv::files {

namespace {

int real_rename(const char *from, const char *to) { return ::rename(from, to); }
int real_open(const char *path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t real_read(int fd, void *buffer, size_t count) { return ::read(fd, buffer, count); }
ssize_t real_write(int fd, const void *buffer, size_t count) { return ::write(fd, buffer, count); }
int real_unlink(const char *path) { return ::unlink(path); }
ssize_t real_copy_file_range(int in, off_t *in_at, int out, off_t *out_at, size_t count, unsigned flags) {
    return ::copy_file_range(in, in_at, out, out_at, count, flags);
}
struct dirent *real_readdir(DIR *d) { return ::readdir(d); }

const SysCalls Real_sys_calls{real_rename, real_open, real_read, real_write, real_unlink,
                              real_copy_file_range, real_readdir};

// Written only by tests, through ScopedSysCalls.
SysCalls Sys_calls = Real_sys_calls;

}  // namespace

SysCalls &sys() { return Sys_calls; }
const SysCalls &real_sys() { return Real_sys_calls; }

}  // namespace orv::files

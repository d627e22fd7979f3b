// The lock that serializes the writers of one domain file across processes
// and threads, so that no change that returned success is lost.
#pragma once

#include <string>

namespace cf {

// An exclusive lock on a domain file, held from before a writer reads the
// file's current content until its new copy has been renamed into place.
// It is a record lock (fcntl) on the companion "<file>.lock", which is never
// renamed or removed, so the lock stays meaningful across the renames it
// protects; the kernel releases it when its holder dies. Readers never take
// it. A writer waits for it up to the lock wait (10 s by default), then gives
// the rewrite's write failure with a report naming the file and the holder's
// process id. A thread that holds the lock of a file may lock it again.
class DomainFileLock {
public:
    explicit DomainFileLock(const std::string &path);
    ~DomainFileLock();
    DomainFileLock(const DomainFileLock &) = delete;
    DomainFileLock &operator=(const DomainFileLock &) = delete;

    // 0 while held; cf_FILE_NWRITE (reported) when it could not be taken.
    int status() const noexcept { return status_; }

private:
    std::string path_;
    int fd_ = -1;
    int status_ = 0;
};

// The companion file that carries the lock of a domain file.
std::string lock_path(const std::string &path);
// How long a writer waits for the lock, in milliseconds (10,000 at start).
int lock_wait_ms() noexcept;
void set_lock_wait_ms(int milliseconds) noexcept;

}  // namespace cf

// The writers' lock of a domain file: an open-file-description record lock
// on a companion file, taken with a bounded wait, and the table of locks the
// calling thread holds (so that a rewrite started from inside another one of
// the same file does not wait for itself).
#include "config/cf_file_lock.h"

#include "files/fsutil.h"

#include <ORVCommonKit/cfdefs.h>
#include <ORVCommonKit/tr.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace cf {

namespace {

// The lock wait; written by set_lock_wait_ms (tests), read by every writer.
std::atomic<int> Lock_wait_ms{10000};

// The files whose lock the calling thread holds, with the nesting depth.
thread_local std::vector<std::pair<std::string, int>> Held;

#ifdef F_OFD_SETLK
// Locks of open file descriptions exclude the threads of one process too,
// and closing another descriptor of the file never drops them.
constexpr int kTryLock = F_OFD_SETLK;
#else
constexpr int kTryLock = F_SETLK;
#endif

struct flock whole_file(short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    return lock;
}

// Opens (creating it when needed) the companion without following a link; a
// link planted under its name is removed. A new companion gets the domain
// file's permission bits, so every account that may write the file may lock
// it. The descriptor, or -1 with errno set.
int open_companion(const std::string &companion, const std::string &path) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        int fd = ::open(companion.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            struct stat own {};
            if (::fstat(fd, &own) == 0 && S_ISREG(own.st_mode)) return fd;
            ::close(fd);
            errno = EINVAL;
            return -1;
        }
        if (errno == ELOOP) {
            // A symbolic link is nobody's lock: it goes, and the companion is
            // made anew.
            if (::unlink(companion.c_str()) != 0 && errno != ENOENT) return -1;
        } else if (errno != ENOENT) {
            return -1;
        }
        mode_t mode = 0664;
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) mode = st.st_mode & 0666;
        fd = ::open(companion.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            ::fchmod(fd, mode);
            return fd;
        }
        // Another writer made it first (or planted a link): open it again.
        if (errno != EEXIST) return -1;
    }
    errno = EAGAIN;
    return -1;
}

// The process that holds the lock, as the system or the holder's note in the
// companion tells it; 0 when unknown.
long holder_of(int fd) {
    struct flock probe = whole_file(F_WRLCK);
#ifdef F_OFD_GETLK
    const int query = F_OFD_GETLK;
#else
    const int query = F_GETLK;
#endif
    if (::fcntl(fd, query, &probe) == 0 && probe.l_type != F_UNLCK && probe.l_pid > 0)
        return probe.l_pid;
    char note[32] = {};
    const ssize_t n = ::pread(fd, note, sizeof note - 1, 0);
    return n > 0 ? std::strtol(note, nullptr, 10) : 0;
}

void pause_for(long microseconds) {
    const struct timespec pause {0, microseconds * 1000};
    ::nanosleep(&pause, nullptr);
}

}  // namespace

std::string lock_path(const std::string &path) { return path + ".lock"; }
int lock_wait_ms() noexcept { return Lock_wait_ms.load(std::memory_order_relaxed); }
void set_lock_wait_ms(int milliseconds) noexcept {
    Lock_wait_ms.store(milliseconds < 0 ? 0 : milliseconds, std::memory_order_relaxed);
}

DomainFileLock::DomainFileLock(const std::string &path) : path_(path) {
    for (auto &held : Held) {
        if (held.first == path) {
            ++held.second;
            return;
        }
    }
    const std::string companion = lock_path(path);
    fd_ = open_companion(companion, path);
    if (fd_ < 0) {
        const int err = errno;
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "FILE_NWRITE", "cf",
                 "Unable to open the lock file \"%s\" of configuration file \"%s\": %s",
                 companion.c_str(), path.c_str(), orv::files::errno_text(err).c_str());
        status_ = cf_FILE_NWRITE;
        return;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(lock_wait_ms());
    long pause = 50;
    for (;;) {
        struct flock lock = whole_file(F_WRLCK);
        if (::fcntl(fd_, kTryLock, &lock) == 0) break;
        const int err = errno;
        if ((err != EAGAIN && err != EACCES && err != EINTR) ||
            std::chrono::steady_clock::now() >= deadline) {
            const long holder = err == EAGAIN || err == EACCES ? holder_of(fd_) : 0;
            if (holder > 0)
                tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "FILE_NWRITE", "cf",
                         "Configuration file \"%s\" is being changed by process %ld, which held "
                         "its lock for more than %d ms",
                         path.c_str(), holder, lock_wait_ms());
            else
                tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "FILE_NWRITE", "cf",
                         "Unable to lock configuration file \"%s\" within %d ms: %s",
                         path.c_str(), lock_wait_ms(), orv::files::errno_text(err).c_str());
            ::close(fd_);
            fd_ = -1;
            status_ = cf_FILE_NWRITE;
            return;
        }
        pause_for(pause);
        pause = std::min(pause * 2, 1000L);
    }
    // A note of the holder for the report of a writer that waits in vain
    // (the system does not name the holders of these locks). Fixed width and
    // written only when it changes: the file is never truncated, which on
    // some file systems would force its data to the disk at every close.
    char note[24];
    const int n = std::snprintf(note, sizeof note, "%20ld\n", static_cast<long>(::getpid()));
    char old[24] = {};
    if (::pread(fd_, old, static_cast<size_t>(n), 0) != n || std::memcmp(old, note, static_cast<size_t>(n)) != 0) {
        if (::pwrite(fd_, note, static_cast<size_t>(n), 0) != n)
            tr_trace(__FILE__, __LINE__, tr_MID, "Unable to note the holder of \"%s\"", companion.c_str());
    }
    Held.emplace_back(path, 1);
}

DomainFileLock::~DomainFileLock() {
    if (status_ != 0) return;
    auto it = std::find_if(Held.begin(), Held.end(), [&](const auto &h) { return h.first == path_; });
    if (it != Held.end() && --it->second > 0) return;
    if (it != Held.end()) Held.erase(it);
    if (fd_ >= 0) ::close(fd_);  // closing the description releases its lock
}

}  // namespace cf

// Shared helpers of the files family: error texts, copying file data and
// links, moves through the seam, unique names.
#include "files/fsutil.h"

#include "files/path_rules.h"
#include "files/sys_seam.h"

#include <ORVCommonKit/orvstd.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <vector>

namespace orv::files {

const char *missing_word(const char *path) { return path ? "\"\"" : "NULL"; }

const char *shown(const char *path) { return path ? path : "<NULL>"; }

std::string errno_text(int err) {
    std::string text = orvstd_GetLastErrorText(static_cast<unsigned>(err));
    const size_t end = text.find_first_of("\r\n");
    if (end != std::string::npos) text.erase(end);
    return text;
}

int not_found_code(const char *path, int err) {
    if (err == ENOTDIR) return 3;
    if (err != ENOENT) return err;
    const std::string parent = delete_last_path_component(path);
    if (parent.empty()) return 2;
    struct stat st;
    return ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? 2 : 3;
}

bool lexists(const char *path) {
    struct stat st;
    return ::lstat(path, &st) == 0;
}

int open_new_file(const char *path, int flags, mode_t mode) {
    struct stat st;
    if (::lstat(path, &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            errno = EISDIR;
            return -1;
        }
        if (sys().unlink(path) != 0 && errno != ENOENT) return -1;
    }
    return sys().open(path, flags | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
}

int write_all(int fd, const void *data, size_t size) {
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = sys().write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;  // a device that takes nothing would loop for ever
        p += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

namespace {

// Copies the rest of in to out: copy_file_range while the kernel takes it
// (until it reports the end, so a file that grew is copied whole), else plain
// reads and writes through a buffer made only then.
bool copy_contents(int in, int out, off_t size) {
    const size_t step = static_cast<size_t>(std::max<off_t>(size, 1 << 20));
    for (;;) {
        const ssize_t n = sys().copy_file_range(in, nullptr, out, nullptr, step, 0);
        if (n > 0) continue;
        if (n == 0) return true;
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EBADF) break;
        return false;
    }
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t r = ::read(in, buffer.data(), buffer.size());
        if (r == 0) return true;
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (const int err = write_all(out, buffer.data(), static_cast<size_t>(r))) {
            errno = err;
            return false;
        }
    }
}

}  // namespace

int copy_file_data(const char *from, const char *to, bool fail_if_exists) {
    const int in = sys().open(from, O_RDONLY | O_CLOEXEC, 0);
    if (in < 0) return errno;
    struct stat st;
    if (::fstat(in, &st) != 0) {
        const int err = errno;
        ::close(in);
        return err;
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(in);
        return EISDIR;
    }
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (fail_if_exists ? O_EXCL : O_TRUNC);
    const int out = sys().open(to, flags, st.st_mode & 07777);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        return err;
    }
    int err = 0;
    if (!copy_contents(in, out, st.st_size)) err = errno ? errno : EIO;
    if (!err) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out, times);
        if (!fail_if_exists) ::fchmod(out, st.st_mode & 07777);
    }
    if (::close(out) != 0 && !err) err = errno;
    ::close(in);
    if (err) ::unlink(to);
    return err;
}

int copy_symlink(const char *from, const char *to) {
    std::vector<char> target(256);
    for (;;) {
        const ssize_t n = ::readlink(from, target.data(), target.size());
        if (n < 0) return errno;
        if (static_cast<size_t>(n) < target.size()) {
            target[static_cast<size_t>(n)] = '\0';
            break;
        }
        target.resize(target.size() * 2);
    }
    return ::symlink(target.data(), to) == 0 ? 0 : errno;
}

bool move_path(const char *from, const char *to, orv::FileHandler *handler) {
    orv::FileManager &manager = orv::FileManager::defaultManager();
    if (handler) handler->willProcessPath(manager, from);
    if (sys().rename(from, to) == 0) return true;
    const int err = errno;
    if (err == EXDEV) return manager.movePath(from, to, handler);
    if (handler) {
        orv::Ref<ORVDictionary> info = orv::fileErrorInfo(from, err, to);
        handler->shouldProceedAfterError(manager, info.get());
    }
    return false;
}

bool remove_with_handler(const char *path, orv::FileHandler *handler) {
    return orv::FileManager::defaultManager().removeFileAtPath(path, handler);
}

void pause_millis(int millis) {
    // A pause of zero or less returns at once: nanosleep refuses the latter.
    struct timespec ts{millis / 1000, static_cast<long>(millis % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

namespace {

template <class Buffer>
int read_whole(const char *path, Buffer &out, struct stat *status, bool regular_only) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat st{};
    int err = ::fstat(fd, &st) != 0      ? errno
              : S_ISDIR(st.st_mode)      ? EISDIR
              : regular_only && !S_ISREG(st.st_mode) ? EINVAL
                                         : 0;
    out.clear();
    if (!err && st.st_size > 0) out.reserve(static_cast<std::size_t>(st.st_size));
    char chunk[65536];
    while (!err) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n == 0) break;
        if (n > 0)
            out.insert(out.end(), chunk, chunk + n);
        else if (errno != EINTR)
            err = errno;
    }
    ::close(fd);
    if (!err && status) *status = st;
    return err;
}

}  // namespace

int read_whole_file(const char *path, std::string &out, struct stat *st, bool regular_only) {
    return read_whole(path, out, st, regular_only);
}

int read_whole_file(const char *path, std::vector<std::uint8_t> &out, struct stat *st, bool regular_only) {
    return read_whole(path, out, st, regular_only);
}

}  // namespace orv::files

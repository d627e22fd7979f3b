// File operations: copy, the retrying rename with its backup and recovery,
// empty files, permissions, whole-file locks, reading into a buffer, existence,
// sizes of files and trees, last write times. Holds the rename policy.
#include "files/fsutil.h"
#include "files/path_rules.h"
#include "files/sys_seam.h"
#include "frame/ORVStdHandler.h"
#include "platform/pool.h"

#include <ORVCommonKit/orvstd.h>
#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/ut.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <string>

using namespace orv::files;

namespace {

// The rename policy, written only by ut_set_file_rename_retry.
int classFileRenameNumRetry = 10;
int classFileRenameMilliSecBetweenRetry = 100;

constexpr const char *kBackupExtension = "utbak";
constexpr const char *kModule = "ORVCommonKit";

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

const char *last_error() {
    const char *text = ORVStdHandler_last_error_cString();
    return text ? text : "";
}

// Up to attempts tries of op, pausing after each failed one.
template <class Op>
bool with_retries(int attempts, int pause, Op op) {
    for (int i = 0; i < attempts; ++i) {
        if (op()) return true;
        pause_millis(pause);
    }
    return false;
}

// Sums the sizes of every non-directory entry below dir (links by their own
// size). 0 or -1 (reported).
int tree_size(const std::string &dir, long long &total) {
    DIR *d = ::opendir(dir.c_str());
    if (!d) {
        const int err = errno;
        if (err == ENOENT)
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                     "File/directory '%s' does not exists.  Cannot get size.", dir.c_str());
        else
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                     "Failed to obtain search handle for '%s' with ERROR code: %lu", dir.c_str(),
                     static_cast<unsigned long>(err));
        return -1;
    }
    const int fd = ::dirfd(d);
    int result = 0;
    for (;;) {
        errno = 0;
        const struct dirent *e = ::readdir(d);
        if (!e) {
            if (errno != 0) {
                tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                         "Failed to obtain next file when iterating through '%s' with ERROR code: %lu",
                         dir.c_str(), static_cast<unsigned long>(errno));
                result = -1;
            }
            break;
        }
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        bool is_dir = e->d_type == DT_DIR;
        struct stat st{};
        if (e->d_type != DT_DIR) {
            if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone meanwhile
            is_dir = S_ISDIR(st.st_mode);
        }
        if (is_dir) {
            result = tree_size(dir + "/" + e->d_name, total);
            if (result != 0) break;
        } else {
            total += st.st_size;
        }
    }
    ::closedir(d);
    return result;
}

}  // namespace

extern "C" {

int ut_file_copy(const char *source, const char *destination) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "ut_file_copy (s=\"%s\", d=\"%s\") called", shown(source),
             shown(destination));
    if (!source || !*source || !destination || !*destination) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                 "The old or new path is not specified!");
        return -1;
    }
    struct stat st;
    if (::stat(source, &st) == 0 && S_ISDIR(st.st_mode)) {
        if (lexists(destination)) {
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                     "Source is not a file and Destination already exists.");
            return -1;
        }
        tr_trace(__FILE__, __LINE__, tr_LOW, "Source is not a file.  Calling ut_dir_copy()");
        return ut_dir_copy(source, destination);
    }
    const int err = copy_file_data(source, destination, false);
    tr_trace(__FILE__, __LINE__, tr_LOW, "Copied %s to %s", source, destination);
    if (err) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_file_copy", "CopyFile ERROR",
                 "Unable to copy from %s to %s; reason (%d): %s", source, destination, err,
                 errno_text(err).c_str());
        return -1;
    }
    return 0;
}

void ut_set_file_rename_retry(int num_retry, int millisec_between_retry) {
    classFileRenameNumRetry = num_retry;
    classFileRenameMilliSecBetweenRetry = millisec_between_retry;
}

int ut_file_rename(const char *source, const char *destination) {
    orv::PoolScope pool;
    const int retries = classFileRenameNumRetry;
    const int pause = classFileRenameMilliSecBetweenRetry;
    const int attempts = retries + 1;
    tr_trace(__FILE__, __LINE__, tr_LOW, "ut_file_rename (s=\"%s\", d=\"%s\") called", shown(source),
             shown(destination));

    std::string backup;
    bool backup_made = false;
    bool move_tried = false;
    auto report = [](int line, const char *fmt, auto... args) {
        tr_error(__FILE__, line, tr_INFORM_PROGRAMMER, "Utility", kModule, fmt, args...);
    };
    auto exists = [](const char *path) { return ut_does_file_exist(path) != 0; };
    auto handler = [](const char *op) { return ORVStdHandler::handlerWithFile(__FILE__, __LINE__, op); };

    do {
        if (!source || !*source) {
            report(__LINE__, "Cannot atomically rename.  Source filename is %s.", missing_word(source));
            break;
        }
        if (!destination || !*destination) {
            report(__LINE__, "Cannot atomically rename.  Destination filename is %s.",
                   missing_word(destination));
            break;
        }
        if (orvstr_equ(source, destination)) {
            tr_warning(__FILE__, __LINE__, tr_LOW,
                       "Source file and destination file have the same name \"%s\".  Not bothering to rename.",
                       source);
            return 0;
        }
        bool source_there = exists(source);
        for (int i = 0; !source_there && i < retries; ++i) {
            pause_millis(pause);
            source_there = exists(source);
        }
        if (!source_there) {
            report(__LINE__, "Cannot rename.  Source file \"%s\" does not exist.", source);
            break;
        }
        backup = std::string(destination) + "." + kBackupExtension;
        if (exists(backup.c_str())) {
            tr_warning(__FILE__, __LINE__, tr_LOW,
                       "The backup of the destination file \"%s\" already exists.  Trying to delete.",
                       backup.c_str());
            if (!with_retries(attempts, pause,
                              [&] { return remove_with_handler(backup.c_str(), handler("remove")); })) {
                report(__LINE__, "Failed to delete backup of destination file \"%s\".  %s.", backup.c_str(),
                       last_error());
                break;
            }
        }
        if (exists(destination)) {
            tr_trace(__FILE__, __LINE__, tr_LOW, "Backing up \"%s\" to \"%s\" during atomic rename.",
                     destination, backup.c_str());
            if (!with_retries(attempts, pause,
                              [&] { return move_path(destination, backup.c_str(), handler("rename")); })) {
                report(__LINE__, "Failed to rename \"%s\" to \"%s\".  %s.", destination, backup.c_str(),
                       last_error());
                break;
            }
            backup_made = true;
        }
        move_tried = true;
        if (!with_retries(attempts, pause, [&] { return move_path(source, destination, handler("rename")); })) {
            report(__LINE__, "Failed to move \"%s\" to \"%s\".  %s.", source, destination, last_error());
            break;
        }
        if (backup_made) {
            tr_trace(__FILE__, __LINE__, tr_LOW, "Removing backup \"%s\" of clobbered file \"%s\"",
                     backup.c_str(), destination);
            if (!remove_with_handler(backup.c_str(), handler("remove"))) {
                report(__LINE__, "Failed to remove destination file backup \"%s\".  %s.", backup.c_str(),
                       last_error());
                break;
            }
        }
        tr_trace(__FILE__, __LINE__, tr_LOW, "Successfully renamed \"%s\" to \"%s\".", source, destination);
        return 0;
    } while (false);

    // Recovery: put things back the way they were, as far as they can be.
    tr_trace(__FILE__, __LINE__, tr_MID, "There was an error renaming \"%s\" to \"%s\".", shown(source),
             shown(destination));
    if (move_tried) {
        tr_trace(__FILE__, __LINE__, tr_LOW, "We tried movePath:toPath:.  Lets see what happened.");
        if (exists(destination)) {
            tr_trace(__FILE__, __LINE__, tr_LOW, "Destination file \"%s\" exists.", destination);
            if (exists(source)) {
                tr_trace(__FILE__, __LINE__, tr_LOW,
                         "Source file \"%s\" exists.  Simply remove destination file", source);
                if (!remove_with_handler(destination, handler("remove")))
                    report(__LINE__,
                           "Rename from \"%s\" to \"%s\" failed but both files exist and we failed to remove "
                           "\"%s\"!  This should not happen.  %s.",
                           source, destination, destination, last_error());
            } else {
                tr_trace(__FILE__, __LINE__, tr_LOW,
                         "Source file \"%s\" does not exists.  Rename dest. to source.", source);
                if (!move_path(destination, source, handler("rename")))
                    report(__LINE__,
                           "Rename from \"%s\" to \"%s\" failed.  Only \"%s\" exists and we failed to rename "
                           "it back to \"%s\".  %s.",
                           source, destination, destination, source, last_error());
            }
        } else {
            tr_trace(__FILE__, __LINE__, tr_LOW, "Destination file \"%s\" does not exists.", destination);
            if (!exists(source))
                report(__LINE__,
                       "Rename from \"%s\" to \"%s\" failed and neither of those files exist any more.  WE "
                       "LOST THE FILE!",
                       source, destination);
            else
                tr_trace(__FILE__, __LINE__, tr_LOW, "Source file \"%s\" exists.  Phew!", source);
        }
    } else {
        tr_trace(__FILE__, __LINE__, tr_LOW, "We didn't even try to rename \"%s\".", shown(source));
    }
    if (backup_made) {
        tr_trace(__FILE__, __LINE__, tr_MID, "Restoring destination file \"%s\" from backup file \"%s\".",
                 destination, backup.c_str());
        if (!move_path(backup.c_str(), destination, handler("rename")))
            report(__LINE__, "Failed to restore destination file \"%s\" from destination backup file \"%s\".  %s.",
                   destination, backup.c_str(), last_error());
    }
    return -1;
}

int ut_create_empty_file(const char *path) {
    if (!path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_create_empty_file", kModule, "fname argument is NULL");
        return -1;
    }
    const int fd = sys().open(path, O_WRONLY | O_CREAT | O_EXCL | O_SYNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "Failed to create the empty file %s.", path);
        return -1;
    }
    if (::close(fd) != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_create_empty_file", kModule, "Unable to CloseFile() at %s",
                 path);
        return -1;
    }
    tr_trace(__FILE__, __LINE__, tr_MID, "Successfully create empty file %s using native Win32 API", path);
    return 0;
}

ORVDictionary *ut_file_create_permissions(unsigned short bits) {
    orv::Ref<ORVNumber> number = orv::make<ORVNumber>(static_cast<int>(static_cast<short>(bits)));
    if (!number) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Utility", kModule,
                 "Failed to create NSNumber containing permissions '0x%04X.", bits);
        return nullptr;
    }
    orv::Ref<ORVDictionary> dict = orv::make<ORVDictionary>();
    if (!dict) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Utility", kModule,
                 "Failed to create NSDictionary of NSFilePosixPermissions.");
        return nullptr;
    }
    dict->setObject(number.get(), orv::kFilePosixPermissions);
    return dict.autorelease();
}

int ut_file_set_permissions(const char *path, unsigned short bits) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "ut_file_set_permissions (\"%s\", 0x%04X) called", shown(path), bits);
    if (!path || !*path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Utility", kModule,
                 "uf_file_set_permissions called with %s filename.", missing_word(path));
        return -1;
    }
    orv::PoolScope pool;
    ORVDictionary *attributes = ut_file_create_permissions(bits);
    if (!attributes) return -1;
    if (!orv::FileManager::defaultManager().changeFileAttributes(attributes, path)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Utility", kModule,
                 "Failed to change file attributes of \"%s\".", path);
        return -1;
    }
    return 0;
}

int ut_file_try_lock(int fd) {
    const off_t position = ::lseek(fd, 0, SEEK_CUR);
    if (position < 0) return -9999;
    if (::lseek(fd, 0, SEEK_SET) < 0) return -9999;
    struct flock lock{};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0x7FFFFFFF;
    int result = 0;
    if (::fcntl(fd, F_SETLK, &lock) != 0) {
        if (errno == EACCES || errno == EAGAIN) {
            result = -10000;
        } else if (errno == EBADF) {
            // A descriptor opened read-only cannot take a write lock: try a
            // shared one, which still keeps other lockers out of writing.
            lock.l_type = F_RDLCK;
            if (::fcntl(fd, F_SETLK, &lock) != 0) {
                if (errno == EACCES || errno == EAGAIN)
                    result = -10000;
                else
                    return errno == EBADF ? -9999 : -1;
            }
        } else {
            return -1;
        }
    }
    if (::lseek(fd, position, SEEK_SET) < 0) result = -1;
    return result;
}

int ut_file_unlock(int fd) {
    const off_t position = ::lseek(fd, 0, SEEK_CUR);
    if (position < 0) return -9999;
    if (::lseek(fd, 0, SEEK_SET) < 0) return -9999;
    struct flock lock{};
    lock.l_type = F_UNLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0x7FFFFFFF;
    if (::fcntl(fd, F_SETLK, &lock) != 0 && errno != EACCES && errno != EAGAIN)
        return errno == EBADF ? -9999 : -1;
    if (::lseek(fd, position, SEEK_SET) < 0) return -9999;
    return 0;
}

int ut_read_file_into_memory(void *buffer, size_t size, size_t *bytes_read, const char *path) {
    if (bytes_read) *bytes_read = 0;
    if (!buffer) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Invalid Buffer Pointer", kModule,
                 "The Buffer Pointer was NULL");
        return -1;
    }
    const int fd = path ? sys().open(path, O_RDONLY | O_CLOEXEC, 0) : -1;
    if (fd < 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Failed to Open file", kModule,
                 "The file %s could not be opened.  Error %d", shown(path), path ? errno : EINVAL);
        return -1;
    }
    ssize_t n;
    do {
        n = ::read(fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        const int err = errno;
        ::close(fd);
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Failed to Read file", kModule,
                 "The file %s could not be read.  Error %d", path, err);
        return -1;
    }
    if (bytes_read) *bytes_read = static_cast<size_t>(n);
    ::close(fd);
    return 0;
}

int ut_does_file_or_directory_exist_ex(const char *path, unsigned char *exists, unsigned char *is_directory) {
    if (!path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_does_file_exist_ex", kModule, "fname argument is NULL");
        return -1;
    }
    if (!exists) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_does_file_exist_ex", kModule, "bExist argument is NULL");
        return -1;
    }
    *exists = 0;
    const auto start = std::chrono::steady_clock::now();
    struct stat st;
    int rc = ::stat(path, &st);
    if (rc != 0 && errno == ENOENT) rc = ::lstat(path, &st);  // a dangling link still exists
    const double took = seconds_since(start);
    const bool traced = tr_is_initialized() != 0;
    if (rc != 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR || *path == '\0') {
            if (traced)
                tr_trace(__FILE__, __LINE__, tr_MID, "The specified file (%s) does not exist. Took %2.3fs  to check",
                         path, took);
            return 0;
        }
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                 "Failed to check the file existency - Took %2.3fs to check. Reason (%d): %s", took, err,
                 errno_text(err).c_str());
        return -1;
    }
    *exists = 1;
    if (S_ISDIR(st.st_mode)) {
        if (is_directory) *is_directory = 1;
        if (traced)
            tr_trace(__FILE__, __LINE__, tr_MID, "The specified path (%s) is a directory. Took %2.3fs to check", path,
                     took);
    } else {
        if (is_directory) *is_directory = 0;
        if (traced)
            tr_trace(__FILE__, __LINE__, tr_MID, "The specified file (%s) exists. Took %2.3fs to check", path, took);
    }
    return 0;
}

int ut_does_file_exist_ex(const char *path, unsigned char *exists) {
    return ut_does_file_or_directory_exist_ex(path, exists, nullptr);
}

unsigned char ut_does_file_exist(const char *path) {
    if (tr_is_initialized())
        tr_trace(__FILE__, __LINE__, tr_LOW, "Redirecting ut_does_file_exist(%s) to ut_does_file_exist_ex()",
                 shown(path));
    unsigned char exists = 0;
    if (ut_does_file_exist_ex(path, &exists) != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "NSFileManagerOverwritten", kModule,
                 "ut_does_file_exist failed to redirect to ut_does_file_exist_ex");
        return 0;
    }
    return exists;
}

int ut_get_longlong_path_size(const char *path, long long *size) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "ut_get_longlong_path_size (\"%s\", %p) called", shown(path),
             static_cast<void *>(size));
    if (!path || !*path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, nullptr, kModule, "The path is not specified!");
        return -1;
    }
    if (!size) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, nullptr, kModule, "The pathSize is not specified!");
        return -1;
    }
    *size = 0;
    struct stat st;
    if (::lstat(path, &st) != 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR)
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                     "File/directory '%s' does not exists.  Cannot get size.", path);
        else
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                     "Failed to obtain search handle for '%s' with ERROR code: %lu", path,
                     static_cast<unsigned long>(err));
        return -1;
    }
    long long total = 0;
    int result = 0;
    if (S_ISDIR(st.st_mode)) {
        tr_trace(__FILE__, __LINE__, tr_LOW, "\"%s\" is a Directory.", path);
        result = tree_size(path, total);
    } else {
        tr_trace(__FILE__, __LINE__, tr_LOW, "\"%s\" is not a Directory.", path);
        total = st.st_size;
    }
    if (result == 0) {
        *size = total;
        const auto bits = static_cast<unsigned long long>(total);
        tr_trace(__FILE__, __LINE__, tr_LOW, "ut_get_longlong_path_size (\"%s\", [%#.8x,%#.8x] = %.0f) returned", path,
                 static_cast<unsigned>(bits >> 32), static_cast<unsigned>(bits & 0xFFFFFFFFu),
                 static_cast<double>(total));
    }
    return result;
}

int ut_get_path_size(const char *path, unsigned int *size) {
    if (!path || !*path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, nullptr, kModule, "The path is not specified!");
        return -1;
    }
    if (!size) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, nullptr, kModule, "The pathSizep is not specified!");
        return -1;
    }
    tr_trace(__FILE__, __LINE__, tr_LOW, "ut_get_path_size called. Redirect to ut_get_longlong_path_size.");
    long long total = 0;
    const int result = ut_get_longlong_path_size(path, &total);
    *size = static_cast<unsigned int>(static_cast<unsigned long long>(total) & 0xFFFFFFFFu);
    if (result == 0 && total > 0xFFFFFFFFLL) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                 "ut_get_longlong_path returned a size greater than the maximum value of unsigned long!");
        *size = 0;
        return -1;
    }
    return result;
}

int ut_get_path_lastwrite_time(const char *path, int *time) {
    if (!path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_get_path_lastwrite_time", "INVALID INPUT",
                 "pathName passed in is NULL");
        return -1;
    }
    if (!time) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_get_path_lastwrite_time", "INVALID INPUT",
                 "lastModifiedTimep passed in is NULL");
        return -1;
    }
    *time = 0;
    struct stat st;
    if (::stat(path, &st) != 0) {
        const int err = errno;
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, "GetFileAttributesEx ERROR",
                 "Unable to get the last write time of path %s; reason (%d): %s", path, err, errno_text(err).c_str());
        return err == ENOENT || err == ENOTDIR ? 3 : -1;
    }
    struct tm local{};
    const time_t seconds = st.st_mtim.tv_sec;
    if (!::localtime_r(&seconds, &local)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, "INVALID LAST-WRITE TIMESTAMP",
                 "Unable to get the last write time of path %s with %04d-%02d-%02d %02d:%02d:%02d", path, 0, 0, 0, 0,
                 0, 0);
        return -1;
    }
    char description[64];
    std::strftime(description, sizeof description, "%Y-%m-%d %H:%M:%S %z", &local);
    tr_trace(__FILE__, __LINE__, tr_MID, "LastWrite time of path %s = %s", path, description);
    *time = static_cast<int>(seconds);
    return 0;
}

int ut_file_last_modified_time(const char *path, int *time) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "ut_file_last_modified_time called. Redirect to ut_get_path_lastwrite_time.");
    return ut_get_path_lastwrite_time(path, time);
}

}  // extern "C"

// Directory operations: removal of files and trees with the handler
// protocol, emptying, temporary directories, creation with parents, tree copy
// with a per-file callback, listing handles, counting, clearing read-only
// flags and the "holds any data" test. Holds the copy callback.
//
// Tree walks never follow a symbolic link: a link inside a tree is removed or
// copied as a link, so nothing outside the tree is ever touched.
#include "files/fsutil.h"
#include "files/path_rules.h"
#include "files/sys_seam.h"
#include "files/unique_string.h"
#include "files/utdir_internal.h"
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

#include <algorithm>
#include <cerrno>
#include <climits>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

using namespace orv::files;

struct ut_native_dir {
    int next_index = 0;
    std::vector<std::string> entries;
    char name[256] = {};
};

namespace {

constexpr const char *kModule = "ORVCommonKit";

// The callback of every tree copy; written by ut_set_callback and swapped by
// ut_dir_copy_with_callback.
ut_callback_function ut_callback = nullptr;

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The entry names of a directory, without "." and "..", or false with errno.
bool list_names(const char *dir, std::vector<std::string> &names) {
    DIR *d = ::opendir(dir);
    if (!d) return false;
    const int err = for_each_entry(d, [&](const struct dirent &e) {
        names.emplace_back(e.d_name);
        return true;
    });
    ::closedir(d);
    errno = err;
    return err == 0;
}

// Makes a directory enterable and writable for its owner, so that its
// entries can be removed; POSIX deletion depends on the directory, not on the
// file's own read-only state. 0 or errno.
int make_owner_writable(const char *dir) {
    struct stat st;
    if (::lstat(dir, &st) != 0) return errno;
    if (!S_ISDIR(st.st_mode) || (st.st_mode & S_IRWXU) == S_IRWXU) return 0;
    return ::chmod(dir, st.st_mode | S_IRWXU) == 0 ? 0 : errno;
}

orv::FileManager &manager() { return orv::FileManager::defaultManager(); }

bool ask_to_proceed(orv::FileHandler *handler, const std::string &path, int err) {
    if (!handler) return false;
    orv::Ref<ORVDictionary> info = orv::fileErrorInfo(path.c_str(), err);
    return handler->shouldProceedAfterError(manager(), info.get());
}

// Removes the tree at dir; returns the last error number, or 0.
int remove_tree(const std::string &dir, orv::FileHandler *handler) {
    int result = 0;
    if (const int err = make_owner_writable(dir.c_str())) result = err;
    DIR *d = ::opendir(dir.c_str());
    if (!d) return errno;
    const bool traced = tr_is_initialized() != 0;
    bool stopped = false;  // the handler said to stop
    const int enum_error = for_each_entry(d, [&](const struct dirent &e) {
        const std::string path = dir + "/" + e.d_name;
        const Kind kind = entry_kind(path, e.d_type);
        if (kind == Kind::Missing) return true;
        if (kind == Kind::Directory) {
            const int err = remove_tree(path, handler);
            if (err == 0) return true;
            result = err;
            if (ask_to_proceed(handler, path, err)) {
                if (traced)
                    tr_trace(__FILE__, __LINE__, tr_HIGH,
                             "Cannot removing directory %s. Handler suggests to proceed.", path.c_str());
                return true;
            }
            if (traced)
                tr_trace(__FILE__, __LINE__, tr_HIGH,
                         "Cannot removing directory %s. Handler suggests to stop here.", path.c_str());
            stopped = true;
            return false;
        }
        if (handler) handler->willProcessPath(manager(), path.c_str());
        if (sys().unlink(path.c_str()) == 0) return true;
        const int err = errno;
        result = err;
        if (ask_to_proceed(handler, path, err)) {
            if (traced)
                tr_trace(__FILE__, __LINE__, tr_HIGH, "Cannot removing file %s. Handler suggests to proceed.",
                         path.c_str());
            return true;
        }
        if (traced)
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "_ut_remove_directory_with_handler", kModule,
                     "Cannot removing file %s. Handler suggests to stop here.", path.c_str());
        stopped = true;
        return false;
    });
    ::closedir(d);
    if (stopped) return result;
    if (enum_error != 0) return enum_error;
    if (handler) handler->willProcessPath(manager(), dir.c_str());
    if (::rmdir(dir.c_str()) != 0) result = errno;
    return result;
}

// Copies the tree below source into destination (see ut_dir_copy).
int copy_tree(const std::string &source, const std::string &destination) {
    tr_trace(__FILE__, __LINE__, tr_MID, "ut_dir_copy_helper (s=\"%s\", d=\"%s\") called", source.c_str(),
             destination.c_str());
    if (ut_force_dir_with_native(destination.c_str()) != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                 "The destination directory '%s' could not be created.", destination.c_str());
        return -1;
    }
    DIR *d = ::opendir(source.c_str());
    if (!d) {
        const int err = errno;
        if (err == ENOENT)
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "File/directory '%s' does not exist.",
                     source.c_str());
        else
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                     "Failed to obtain search handle for '%s' with ERROR code: %lu", source.c_str(),
                     static_cast<unsigned long>(err));
        return -1;
    }
    int result = 0;
    const int read_error = for_each_entry(d, [&](const struct dirent &e) {
        const std::string from = source + "/" + e.d_name;
        const std::string to = destination + "/" + e.d_name;
        const Kind kind = entry_kind(from, e.d_type);
        if (kind == Kind::Missing) return true;
        if (kind == Kind::Directory) {
            tr_trace(__FILE__, __LINE__, tr_LOW, "Copy subdirectory %s to %s", from.c_str(), to.c_str());
            result = copy_tree(from, to);
        } else if (kind == Kind::Other) {
            tr_warning(__FILE__, __LINE__, tr_MID, "Skipping %s: neither a file, a link nor a directory.",
                       from.c_str());
        } else {
            const int err = kind == Kind::Link ? copy_symlink(from.c_str(), to.c_str())
                                               : copy_file_data(from.c_str(), to.c_str(), true);
            if (err != 0) {
                tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_dir_copy_helper", "CopyFile ERROR",
                         "Unable to copy file %s to %s; reason (%d): %s", from.c_str(), to.c_str(), err,
                         errno_text(err).c_str());
                result = -1;
            } else {
                tr_trace(__FILE__, __LINE__, tr_LOW, "Copied file %s to %s", from.c_str(), to.c_str());
                if (ut_callback) {
                    char name[256];
                    orvstr_cpy(name, e.d_name, 255);
                    ut_callback(name);
                }
            }
        }
        return result == 0;
    });
    if (read_error != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "FindNextFile ERROR", kModule,
                 "Unable to find next file in %s; reason (%d): %s", source.c_str(), read_error,
                 errno_text(read_error).c_str());
        result = -1;
    }
    ::closedir(d);
    return result;
}

// Walks the tree clearing the read-only state of its files (see
// ut_dir_set_writeable).
int set_writeable(const char *dir) {
    const auto start = std::chrono::steady_clock::now();
    tr_trace(__FILE__, __LINE__, tr_HIGH, "ut_dir_set_writeable (\"%s\") called.", shown(dir));
    if (!dir || !*dir) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ERR", kModule, "dir_name parameter must not be NULL or EOS");
        return -1;
    }
    DIR *d = ::opendir(dir);
    if (!d) {
        const int err = errno;
        if (err == ENOENT)
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                     "File/directory '%s' does not exists.  Cannot set file attributes.", dir);
        else
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                     "Failed to obtain search handle for '%s' with ERROR code: %d - %s", dir, err,
                     errno_text(err).c_str());
        return -1;
    }
    int result = 0, changed = 0, counted = 0;
    const int read_error = for_each_entry(d, [&](const struct dirent &e) {
        char path[260];
        ut_file_build_full_path(path, dir, e.d_name, 259);
        const Kind kind = entry_kind(path, e.d_type);
        if (kind == Kind::Directory) {
            if (set_writeable(path) == 0) return true;
            result = -1;
            return false;
        }
        if (kind != Kind::File) return true;  // a link's target is not ours to change
        ++counted;
        struct stat st;
        if (::lstat(path, &st) != 0 || (st.st_mode & S_IWUSR)) return true;
        if (::chmod(path, (st.st_mode & 07777) | S_IWUSR) != 0) {
            const int err = errno;
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "SetFileAttributes ERROR", "ut_dir_set_writeable()",
                     "Unable to make file writable of path %s; reason (%d): %s", path, err, errno_text(err).c_str());
            result = -1;
            return false;
        }
        ++changed;
        return true;
    });
    if (read_error != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "FindNextFile ERROR", "ut_dir_set_writeable()",
                 "Unable to find next file in %s; reason (%d): %s", dir, read_error,
                 errno_text(read_error).c_str());
        result = -1;
    }
    ::closedir(d);
    const double elapsed = seconds_since(start) * 1000.0;
    tr_trace(__FILE__, __LINE__, tr_HIGH,
             "ut_dir_set_writeable ( \"%s\" ) completed with %s in %.1lf seconds. Removed read-only flag from %d "
             "out of %d files in the directory.",
             dir, result == 0 ? "OK" : "ERR", elapsed / 1000.0, changed, counted);
    return result;
}

// The walk of ut_dir_is_empty.
int dir_is_empty(const char *dir, unsigned char *is_empty) {
    tr_trace(__FILE__, __LINE__, tr_HIGH, "ut_dir_is_empty (\"%s\") called.", shown(dir));
    *is_empty = 1;
    int result = 0;
    DIR *d = nullptr;
    if (!dir || !*dir) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ERR", kModule, "dir_name parameter must not be NULL or EOS");
        result = -1;
    } else if (!(d = ::opendir(dir))) {
        const int err = errno;
        if (err == ENOENT)
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "File/directory '%s' does not exists.",
                     dir);
        else
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                     "Failed to obtain search handle for '%s' with ERROR code: %d - %s", dir, err,
                     errno_text(err).c_str());
        result = -1;
    }
    const int read_error = !d ? 0 : for_each_entry(d, [&](const struct dirent &e) {
        char path[260];
        ut_file_build_full_path(path, dir, e.d_name, 259);
        const Kind kind = entry_kind(path, e.d_type);
        if (kind == Kind::Directory) {
            unsigned char sub_empty = 1;
            if (dir_is_empty(path, &sub_empty) != 0) {
                result = -1;
                return false;
            }
            if (!sub_empty) *is_empty = 0;
            return sub_empty != 0;
        }
        if (kind != Kind::File) return true;
        struct stat st;
        if (::lstat(path, &st) != 0) return true;
        if (st.st_size > 0) {
            *is_empty = 0;
            return false;
        }
        tr_warning(__FILE__, __LINE__, tr_HIGH, "ZERO length file: %s", path);
        return true;
    });
    if (read_error != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "FindNextFile ERROR", "ut_dir_is_empty()",
                 "Unable to find next file in %s; reason (%d): %s", dir, read_error,
                 errno_text(read_error).c_str());
        result = -1;
    }
    if (d) ::closedir(d);
    tr_trace(__FILE__, __LINE__, tr_HIGH, "ut_dir_is_empty ( \"%s\" ) returns flag IsDirEmpty = %s with return code = %s",
             shown(dir), *is_empty ? "TRUE" : "FALSE", result == 0 ? "OK" : "ERR");
    return result;
}

// Creates the missing directories of a standardized path, parents first,
// working on the one copy it is given (each level is terminated in place for
// its system call): every level that exists must be a directory, and from the
// first missing one down create(level, is_last) makes each. A path the system
// could never hold (PATH_MAX bytes or more, or a component longer than
// NAME_MAX) fails at once with ENAMETOOLONG, so a hostile path costs neither
// time nor memory. Returns false with errno set at the first failure.
template <typename Create>
bool create_missing_levels(std::string &path, Create &&create) {
    if (path.size() >= PATH_MAX) {
        errno = ENAMETOOLONG;
        return false;
    }
    size_t component = 0;
    for (char c : path) {
        component = c == '/' ? 0 : component + 1;
        if (component > NAME_MAX) {
            errno = ENAMETOOLONG;
            return false;
        }
    }
    bool missing = false;
    for (size_t end = 1; end <= path.size(); ++end) {
        if (end < path.size() && (path[end] != '/' || path[end - 1] == '/')) continue;
        const char saved = path[end];  // the terminator itself at the end
        path[end] = '\0';
        bool ok = true;
        if (!missing) {
            struct stat st;
            if (::stat(path.c_str(), &st) == 0) {
                if (!S_ISDIR(st.st_mode)) {
                    errno = ENOTDIR;
                    ok = false;
                }
            } else if (errno == ENOENT) {
                missing = true;
            } else {
                ok = false;
            }
        }
        if (ok && missing) ok = create(path.c_str(), end == path.size());
        path[end] = saved;
        if (!ok) return false;
    }
    return true;
}

}  // namespace

namespace orv::files {

int remove_path_with_handler(const char *path, orv::FileHandler *handler) {
    tr_trace(__FILE__, __LINE__, tr_MID, "ut_remove_path_ex_with_handler (\"%s\") called", shown(path));
    if (!path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_remove_path_ex_with_handler", kModule, "path argument is NULL");
        return -9998;
    }
    if (!*path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "InvalidDirectory", kModule, "Cannot cannot remove %s path.",
                 "\"\"");
        return -9998;
    }
    if (is_root_path(path)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "DangerousOperation", kModule,
                 "ut_remove_path_ex_with_handler (\"%s\") refuses to remove the root directory.", path);
        return -9998;
    }
    auto start = std::chrono::steady_clock::now();
    struct stat st;
    if (::lstat(path, &st) != 0) {
        const int code = not_found_code(path, errno);
        const double took = seconds_since(start);
        if (is_not_found(code))
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "removeFileAtPath", kModule,
                     "The specified file (%s) does not exist. Took %2.3fs  to check", path, took);
        else
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "removeFileAtPath", kModule,
                     "Failed to check the file existency - Took %2.3fs to check. Reason (%d): %s", took, code,
                     errno_text(code).c_str());
        return code;
    }
    const bool traced = tr_is_initialized() != 0;
    start = std::chrono::steady_clock::now();
    if (S_ISDIR(st.st_mode)) {
        // "/x/.." and the like name a root through the back door.
        const std::string standard = standardize_path(path);
        char real[PATH_MAX];
        if (is_root_path(standard) || (::realpath(path, real) && std::strcmp(real, "/") == 0)) {
            tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "DangerousOperation", kModule,
                     "ut_remove_path_ex_with_handler (\"%s\") refuses to remove the root directory.", path);
            return -9998;
        }
        const int result = remove_tree(path, handler);
        if (traced)
            tr_trace(__FILE__, __LINE__, tr_HIGH, "The specified path (%s) is a directory. Took %2.3fs to delete", path,
                     seconds_since(start));
        if (result != 0)
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "Failed to remove the directory %s", path);
        return result;
    }
    if (handler) handler->willProcessPath(manager(), path);
    if (sys().unlink(path) != 0) {
        const int err = errno;
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "Unable to delete file %s; reason (%d): %s", path,
                 err, errno_text(err).c_str());
        return err;
    }
    if (traced)
        tr_trace(__FILE__, __LINE__, tr_HIGH, "The specified file (%s) exists. Took %2.3fs to delete", path,
                 seconds_since(start));
    return 0;
}

}  // namespace orv::files

extern "C" {

int ut_remove_path_ex_with_handler(const char *path, ORVObject *handler) {
    return remove_path_with_handler(path, handler ? dynamic_cast<orv::FileHandler *>(handler) : nullptr);
}

int ut_remove_path_ex(const char *path) { return remove_path_with_handler(path, nullptr); }

int ut_remove_path(const char *path) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "ut_remove_path(\"%s\") redirected to ut_remove_path_ex", shown(path));
    return ut_remove_path_ex(path);
}

int ut_empty_dir(const char *dir) {
    tr_trace(__FILE__, __LINE__, tr_MID, "ut_empty_dir (\"%s\")", shown(dir));
    if (!dir || !*dir) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "InvalidDirectory", kModule,
                 "Cannot cannot empty the %s directory.", missing_word(dir));
        return -9998;
    }
    if (is_root_path(dir)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "DangerousOperation", kModule,
                 "ut_empty_dir (\"%s\") refuses to empty the root directory.", dir);
        return -9998;
    }
    orv::PoolScope pool;
    std::vector<std::string> names;
    if (!list_names(dir, names)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "InvalidDirectory", kModule,
                 "Cannot get a list of contents.  Cannot empty \"%s\".", dir);
        return -9998;
    }
    int result = 0;
    for (const std::string &name : names) {
        const std::string path = append_path_component(dir, name);
        ORVStdHandler *handler = ORVStdHandler::handlerWithFile(__FILE__, __LINE__, "remove");
        if (!remove_with_handler(path.c_str(), handler)) {
            const char *text = ORVStdHandler_last_error_cString();
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "Remove", kModule,
                     "Failed to remove \"%s\".  Cannot empty \"%s\".  %s.", path.c_str(), dir, text ? text : "");
            result = -1;
        }
    }
    return result;
}

int ut_make_temp_dir(char *buffer, const char *sub_dir) {
    orv::PoolScope pool;
    tr_trace(__FILE__, __LINE__, tr_MID, "ut_make_temp_dir ( \"%s\" ) called", shown(sub_dir));
    if (!buffer) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "The newTmpDirName is not specified!");
        return -1;
    }
    const char *temp = ut_orv_temp_dir();
    if (!temp) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "Failed to allocate NSString for filename");
        return -1;
    }
    std::string path = temp;
    if (sub_dir && *sub_dir) path = append_path_component(path, sub_dir);
    path = append_path_component(path, unique_string());
    if (path.size() > 255) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                 "Failed to convert directory name \"%s\" to native representation.", path.c_str());
        return -1;
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    if (!ut_ensure_directory_at_path(path.c_str(), nullptr)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "Failed to make directory as path for path:%s",
                 path.c_str());
        return -1;
    }
    return 0;
}

int ut_remove_temp_path(const char *name) {
    tr_trace(__FILE__, __LINE__, tr_MID, "ut_remove_temp_path (\"%s\") called", shown(name));
    if (!name || !*name) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "InvalidDirectory", kModule, "Cannot cannot remove %s path.",
                 missing_word(name));
        return -9998;
    }
    if (ut_is_root_directory(name)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "DangerousOperation", kModule,
                 "ut_remove_temp_path (\"%s\") refuses to remove the temp directory.", name);
        return -9998;
    }
    orv::PoolScope pool;
    const char *temp = ut_orv_temp_dir();
    if (!temp) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "Failed to allocate NSString for filename");
        return -1;
    }
    const std::string path = append_path_component(temp, name);
    if (!remove_with_handler(path.c_str(), ORVStdHandler::handlerWithFile(__FILE__, __LINE__, "remove"))) {
        const char *text = ORVStdHandler_last_error_cString();
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "Failed to remove all files or directory in %s.  %s.",
                 path.c_str(), text ? text : "");
        return -1;
    }
    return 0;
}

unsigned char ut_ensure_directory_at_path(const char *path, ORVDictionary *attributes) {
    if (!path) return 0;
    std::string standard = standardize_path(path);
    if (standard.empty()) return 0;
    struct stat st;
    if (::stat(standard.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 1 : 0;
    orv::FileManager &fm = manager();
    const bool made = create_missing_levels(standard, [&](const char *level, bool) {
        struct stat now;
        if (!fm.createDirectoryAtPath(level))
            return errno == EEXIST && ::stat(level, &now) == 0 && S_ISDIR(now.st_mode);
        if (attributes && attributes->objectForKey(orv::kFilePosixPermissions))
            return fm.changeFileAttributes(attributes, level);
        return true;
    });
    return made ? 1 : 0;
}

int ut_force_dir_with_perm(const char *path, unsigned short bits) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "ut_force_dir_with_perm (%s, 0x%04x%s)", shown(path), bits,
             bits == 0 ? "=default" : "");
    orv::PoolScope pool;
    if (!path || !*path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "EmptyPath", kModule, "Cannot create directory with name: %s",
                 missing_word(path));
        return -9998;
    }
    ORVDictionary *attributes = bits != 0 ? ut_file_create_permissions(bits) : nullptr;
    if (!ut_ensure_directory_at_path(path, attributes)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "FailedForce", kModule, "Failed to create directory \"%s\".", path);
        return -1;
    }
    return 0;
}

int ut_force_dir(const char *path) { return ut_force_dir_with_perm(path, 0); }

unsigned char ut_create_directory_with_native_with_option(const char *path, unsigned char existing_is_fine) {
    if (!path) return 0;
    std::string standard = standardize_path(path);
    if (standard.empty()) return 0;
    struct stat st;
    if (::stat(standard.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        if (existing_is_fine) {
            tr_trace(__FILE__, __LINE__, tr_LOW, "Directory at path %s already exist but that is ok.", standard.c_str());
            return 1;
        }
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_create_directory_with_native_with_option",
                 "Director Exists ERROR", "Directory at path %s already exist.", standard.c_str());
        return 0;
    }
    std::string failed;
    const bool made = create_missing_levels(standard, [&](const char *level, bool last) {
        tr_trace(__FILE__, __LINE__, tr_LOW, "Create directory %s", level);
        if (::mkdir(level, 0777) == 0) return true;
        struct stat now;
        if (errno == EEXIST && (existing_is_fine || !last) && ::stat(level, &now) == 0 && S_ISDIR(now.st_mode)) {
            tr_trace(__FILE__, __LINE__, tr_HIGH, "Directory at path %s already exist but that is ok.", level);
            return true;
        }
        failed = level;
        return false;
    });
    if (made) return 1;
    const int err = errno;
    tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, "CreateDirectory ERROR",
             "Unable to create the directory at path %s; reason (%d): %s",
             failed.empty() ? standard.c_str() : failed.c_str(), err, errno_text(err).c_str());
    return 0;
}

unsigned char ut_create_directory_with_native(const char *path) {
    return ut_create_directory_with_native_with_option(path, 1);
}

int ut_force_dir_with_native(const char *path) {
    tr_trace(__FILE__, __LINE__, tr_HIGH, "ut_force_dir_with_native (%s)", shown(path));
    orv::PoolScope pool;
    if (!path || !*path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "EmptyPath", kModule, "Cannot create directory with name: %s",
                 missing_word(path));
        return -9998;
    }
    if (!ut_create_directory_with_native(path)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "FailedForce", kModule, "Failed to create directory \"%s\".", path);
        return -1;
    }
    return 0;
}

int ut_does_dir_exist(const char *path) {
    if (!path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_does_dir_exist", "", "dirName argument is NULL");
        return 0;
    }
    struct stat st;
    if (::stat(path, &st) != 0) {
        const int err = errno;
        tr_trace(__FILE__, __LINE__, tr_LOW, "Could not get attributes for '%s' (result code=%d)", path, err);
        if (err != ENOENT && err != ENOTDIR)
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                     "Error occured while trying to retrieve information on %s.", path);
        return 0;
    }
    if (S_ISDIR(st.st_mode)) return 1;
    tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "%s exists but is not a directory.", path);
    return 0;
}

void ut_set_callback(ut_callback_function callback) { ut_callback = callback; }

int ut_dir_copy(const char *source, const char *destination) {
    tr_trace(__FILE__, __LINE__, tr_MID, "ut_dir_copy (s=\"%s\", d=\"%s\") called", shown(source), shown(destination));
    const char *problem = nullptr;
    struct stat st;
    if (!source || !*source) {
        problem = "The source directory is not specified.";
    } else if (!destination || !*destination) {
        problem = "The destination directory is not specified.";
    }
    if (problem) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "%s", problem);
        return -1;
    }
    if (::stat(source, &st) != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule, "The source directory '%s' does not exist.", source);
        return -1;
    }
    if (!S_ISDIR(st.st_mode)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                 "The source directory path '%s' does not specify a directory.", source);
        return -1;
    }
    if (::stat(destination, &st) == 0 && !S_ISDIR(st.st_mode)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, nullptr, kModule,
                 "The destination directory path '%s' specifies an existing file.", destination);
        return -1;
    }
    return copy_tree(source, destination);
}

int ut_dir_copy_with_callback(const char *source, const char *destination, ut_callback_function callback) {
    if (!callback) tr_warning(__FILE__, __LINE__, tr_LOW, "cbfunc is NULL.");
    const ut_callback_function saved = ut_callback;
    ut_callback = callback;
    const int result = ut_dir_copy(source, destination);
    ut_callback = saved;
    return result;
}

ut_native_dir *ut_native_opendir(const char *path) {
    auto *handle = new (std::nothrow) ut_native_dir;
    if (!handle) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_native_opendir() memory error", kModule,
                 "Error opening directory: %s. No mem for dir handle.", shown(path));
        return nullptr;
    }
    if (!path || !list_names(path, handle->entries)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_native_opendir() error", kModule, "Error opening directory: %s.",
                 shown(path));
        delete handle;
        return nullptr;
    }
    return handle;
}

const char *ut_native_readdir(ut_native_dir *handle) {
    if (!handle) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_native_readdir() handle error", kModule,
                 "Directory handle is NULL.  Cannot read.");
        return nullptr;
    }
    if (handle->next_index < 0 || static_cast<size_t>(handle->next_index) >= handle->entries.size()) return nullptr;
    orvstr_cpy(handle->name, handle->entries[static_cast<size_t>(handle->next_index)].c_str(), 255);
    ++handle->next_index;
    return handle->name;
}

int ut_native_closedir(ut_native_dir *handle) {
    if (!handle) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_native_closedir() handle error", kModule,
                 "Directory handle is NULL.  Cannot close.");
        return -1;
    }
    delete handle;
    return 0;
}

int ut_native_list_entries(ut_native_dir *handle, ORVArray **names, int *count) {
    if (!handle) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_native_list_entries() handle error", kModule,
                 "Directory handle is NULL. Cannot list entries.");
        return -1;
    }
    if (!names || !count) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "ut_native_list_entries() parameters error", kModule,
                 "Invalid out-parameter passed to ut_native_list_entries()!");
        return -1;
    }
    *names = nullptr;
    *count = 0;
    std::vector<std::string> sorted = handle->entries;
    std::sort(sorted.begin(), sorted.end());
    orv::Ref<ORVArray> list = orv::make<ORVArray>();
    for (const std::string &name : sorted) list->add(name);
    *count = static_cast<int>(sorted.size());
    *names = list.leak();
    return 0;
}

int ut_file_count_for_dir(const char *dir, unsigned char count_directories) {
    if (!dir) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "Invalid Parameter", kModule, "NULL value given for dir_name param");
        return -1;
    }
    DIR *d = ::opendir(dir);
    if (!d) return -1;
    int count = 0;
    const int read_error = for_each_entry(d, [&](const struct dirent &e) {
        const Kind kind = entry_kind(std::string(dir) + "/" + e.d_name, e.d_type);
        if (kind != Kind::Missing && (kind != Kind::Directory || count_directories)) ++count;
        return true;
    });
    ::closedir(d);
    return read_error ? -1 : count;
}

int ut_dir_set_writeable(const char *dir) { return set_writeable(dir); }

int ut_dir_is_empty(const char *dir, unsigned char *is_empty) {
    unsigned char ignored = 1;
    return dir_is_empty(dir, is_empty ? is_empty : &ignored);
}

}  // extern "C"

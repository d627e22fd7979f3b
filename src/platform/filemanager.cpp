// The file manager on POSIX calls, and the table of replaceable answers.
#include "platform/filemanager.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

FileManagerOverrides g_overrides;  // written by installOverrides (files family)

// strerror_r comes in two flavours; both end up here.
[[maybe_unused]] const char *errorText(int result, const char *buf) { return result == 0 ? buf : ""; }
[[maybe_unused]] const char *errorText(const char *result, const char *) { return result; }

std::string systemErrorText(int err) {
    char buf[256] = "";
    return errorText(::strerror_r(err, buf, sizeof buf), buf);
}

// Reports a failure to the handler; true when the operation should go on.
bool askHandler(FileManager &fm, FileHandler *handler, const char *path, int err,
                const char *to = nullptr) {
    if (!handler) return false;
    auto info = fileErrorInfo(path, err, to);
    return handler->shouldProceedAfterError(fm, info.get());
}

bool copyFileContents(const char *from, const char *to, mode_t mode, int &err) {
    int in = ::open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        err = errno;
        return false;
    }
    int out = ::open(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 07777);
    if (out < 0) {
        err = errno;
        ::close(in);
        return false;
    }
    bool ok = true;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(in, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            ok = false;
            break;
        }
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(out, buf + done, static_cast<std::size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR) continue;
                err = errno;
                ok = false;
                break;
            }
            done += w;
        }
        if (!ok) break;
    }
    if (::close(out) != 0 && ok) {
        err = errno;
        ok = false;
    }
    ::close(in);
    if (ok) ::chmod(to, mode & 07777);  // the umask may have narrowed the mode
    return ok;
}

std::vector<std::string> directoryEntries(const char *path, int &err) {
    std::vector<std::string> names;
    DIR *dir = ::opendir(path);
    if (!dir) {
        err = errno;
        return names;
    }
    err = 0;
    while (struct dirent *entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

// Copies a tree; false once the handler says stop. failed is set when
// anything could not be copied.
bool copyTree(FileManager &fm, const std::string &from, const std::string &to, FileHandler *handler,
              bool &failed) {
    if (handler) handler->willProcessPath(fm, from.c_str());
    struct stat st;
    if (::lstat(from.c_str(), &st) != 0) return (failed = true), askHandler(fm, handler, from.c_str(), errno, to.c_str());
    if (S_ISLNK(st.st_mode)) {
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
        ssize_t n = ::readlink(from.c_str(), target.data(), target.size());
        if (n < 0 || ::symlink(target.substr(0, static_cast<std::size_t>(n)).c_str(), to.c_str()) != 0)
            return (failed = true), askHandler(fm, handler, from.c_str(), errno, to.c_str());
        return true;
    }
    if (!S_ISDIR(st.st_mode)) {
        int err = 0;
        if (!copyFileContents(from.c_str(), to.c_str(), st.st_mode, err))
            return (failed = true), askHandler(fm, handler, from.c_str(), err, to.c_str());
        return true;
    }
    if (::mkdir(to.c_str(), (st.st_mode & 07777) | S_IRWXU) != 0)
        return (failed = true), askHandler(fm, handler, from.c_str(), errno, to.c_str());
    int err = 0;
    auto names = directoryEntries(from.c_str(), err);
    if (err) {
        failed = true;
        if (!askHandler(fm, handler, from.c_str(), err, to.c_str())) return false;
    }
    bool ok = true;
    for (const auto &name : names) {
        if (!copyTree(fm, from + "/" + name, to + "/" + name, handler, failed)) {
            ok = false;
            break;
        }
    }
    ::chmod(to.c_str(), st.st_mode & 07777);
    return ok;
}

// Removes a tree depth first; false once the handler says stop. failed is
// set when anything could not be removed.
bool removeTree(FileManager &fm, const std::string &path, FileHandler *handler, bool &failed) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        failed = true;
        return askHandler(fm, handler, path.c_str(), errno);
    }
    if (S_ISDIR(st.st_mode)) {
        int err = 0;
        auto names = directoryEntries(path.c_str(), err);
        if (err) {
            failed = true;
            if (!askHandler(fm, handler, path.c_str(), err)) return false;
        }
        for (const auto &name : names)
            if (!removeTree(fm, path + "/" + name, handler, failed)) return false;
        if (handler) handler->willProcessPath(fm, path.c_str());
        if (::rmdir(path.c_str()) != 0) {
            failed = true;
            return askHandler(fm, handler, path.c_str(), errno);
        }
        return true;
    }
    if (handler) handler->willProcessPath(fm, path.c_str());
    if (::unlink(path.c_str()) != 0) {
        failed = true;
        return askHandler(fm, handler, path.c_str(), errno);
    }
    return true;
}

}  // namespace

Ref<ORVDictionary> fileErrorInfo(const char *path, int errno_value, const char *to_path) {
    auto info = make<ORVDictionary>();
    info->setString(path ? path : "", "Path");
    info->setString(systemErrorText(errno_value), "Error");
    if (to_path) info->setString(to_path, "ToPath");
    return info;
}

FileManager &FileManager::defaultManager() {
    static FileManager manager;
    return manager;
}

FileManagerOverrides FileManager::installOverrides(const FileManagerOverrides &overrides) {
    FileManagerOverrides previous = g_overrides;
    g_overrides = overrides;
    return previous;
}

FileManagerOverrides FileManager::overrides() { return g_overrides; }

bool FileManager::defaultFileExists(const char *path, bool *isDirectory) {
    struct stat st;
    if (!path || ::stat(path, &st) != 0) {
        if (isDirectory) *isDirectory = false;
        return false;
    }
    if (isDirectory) *isDirectory = S_ISDIR(st.st_mode);
    return true;
}

bool FileManager::defaultRemove(const char *path, FileHandler *handler) {
    FileManager &fm = defaultManager();
    if (!path || !*path) {
        askHandler(fm, handler, path, ENOENT);
        return false;
    }
    bool failed = false;
    removeTree(fm, path, handler, failed);
    return !failed;
}

bool FileManager::fileExistsAtPath(const char *path) {
    if (g_overrides.fileExistsAtPath) return g_overrides.fileExistsAtPath(path);
    return defaultFileExists(path, nullptr);
}

bool FileManager::fileExistsAtPath(const char *path, bool *isDirectory) {
    if (g_overrides.fileExistsAtPathIsDirectory)
        return g_overrides.fileExistsAtPathIsDirectory(path, isDirectory);
    return defaultFileExists(path, isDirectory);
}

bool FileManager::removeFileAtPath(const char *path, FileHandler *handler) {
    if (g_overrides.removeFileAtPath) return g_overrides.removeFileAtPath(path, handler);
    return defaultRemove(path, handler);
}

bool FileManager::isReadableFileAtPath(const char *path) {
    if (g_overrides.isReadableFileAtPath) return g_overrides.isReadableFileAtPath(path);
    struct stat st;
    return path && ::stat(path, &st) == 0 && (st.st_mode & S_IRUSR);
}

bool FileManager::isWritableFileAtPath(const char *path) {
    if (g_overrides.isWritableFileAtPath) return g_overrides.isWritableFileAtPath(path);
    struct stat st;
    return path && ::stat(path, &st) == 0 && (st.st_mode & S_IWUSR);
}

bool FileManager::movePath(const char *from, const char *to, FileHandler *handler) {
    if (!from || !to || !*from || !*to) {
        askHandler(*this, handler, from, EINVAL, to ? to : "");
        return false;
    }
    if (handler) handler->willProcessPath(*this, from);
    struct stat st;
    if (::lstat(to, &st) == 0) {
        askHandler(*this, handler, from, EEXIST, to);
        return false;
    }
    if (::rename(from, to) == 0) return true;
    if (errno != EXDEV) {
        askHandler(*this, handler, from, errno, to);
        return false;
    }
    // Another file system: copy, then remove the original.
    bool failed = false;
    copyTree(*this, from, to, handler, failed);
    if (failed) return false;
    return removeFileAtPath(from, handler);
}

bool FileManager::copyPath(const char *from, const char *to, FileHandler *handler) {
    if (!from || !to || !*from || !*to) {
        askHandler(*this, handler, from, EINVAL, to ? to : "");
        return false;
    }
    struct stat st;
    if (::lstat(to, &st) == 0) {
        askHandler(*this, handler, from, EEXIST, to);
        return false;
    }
    bool failed = false;
    copyTree(*this, from, to, handler, failed);
    return !failed;
}

bool FileManager::createDirectoryAtPath(const char *path, unsigned mode) {
    if (!path || !*path) return false;
    return ::mkdir(path, static_cast<mode_t>(mode)) == 0;
}

bool FileManager::setPosixPermissions(const char *path, unsigned mode) {
    if (!path || !*path) return false;
    return ::chmod(path, static_cast<mode_t>(mode & 07777)) == 0;
}

bool FileManager::changeFileAttributes(const ORVDictionary *attributes, const char *path) {
    if (!attributes || !path) return false;
    const auto *bits = as<ORVNumber>(attributes->objectForKey(kFilePosixPermissions));
    if (!bits) return true;  // nothing we know how to change
    return setPosixPermissions(path, static_cast<unsigned>(bits->intValue()) & 0xFFFF);
}

}  // namespace orv

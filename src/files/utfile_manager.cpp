// The library's own answers to five file-manager questions (existence, with
// and without the directory flag, removal, readability, writability). They
// are installed for the whole process when the library is loaded, so every
// existence test and removal through the file manager uses the same checks
// and the same removal code as the ut_ functions.
#include "files/fsutil.h"
#include "files/utdir_internal.h"
#include "platform/filemanager.h"

#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/ut.h>

#include <sys/stat.h>

#include <cerrno>

using namespace orv::files;

namespace {

constexpr const char *kModule = "ORVCommonKit";

bool file_exists(const char *path) {
    if (tr_is_initialized())
        tr_trace(__FILE__, __LINE__, tr_LOW, "Redirecting fileExistsAtPath(%s) to ut_does_file_exist_ex()",
                 shown(path));
    unsigned char exists = 0;
    if (ut_does_file_exist_ex(path, &exists) != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "NSFileManagerOverwritten", kModule,
                 "fileExistsAtPath failed to redirect to ut_does_file_exist_ex");
        return false;
    }
    return exists != 0;
}

bool file_exists_is_directory(const char *path, bool *is_directory) {
    if (tr_is_initialized())
        tr_trace(__FILE__, __LINE__, tr_LOW,
                 "Redirecting fileExistsAtPath(%s) to ut_does_file_or_directory_exist()", shown(path));
    unsigned char exists = 0;
    unsigned char dir = is_directory && *is_directory ? 1 : 0;
    if (ut_does_file_or_directory_exist_ex(path, &exists, is_directory ? &dir : nullptr) != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "NSFileManagerOverwritten", kModule,
                 "fileExistsAtPath failed to redirect to ut_does_file_exist_ex");
        return false;
    }
    if (is_directory) *is_directory = dir != 0;
    return exists != 0;
}

bool remove_file(const char *path, orv::FileHandler *handler) {
    if (tr_is_initialized())
        tr_trace(__FILE__, __LINE__, tr_LOW, "Redirecting removeFileAtPath(%s) to ut_remove_path_ex_with_handler()",
                 shown(path));
    const int err = remove_path_with_handler(path, handler);
    if (err == 0) return true;
    if (!handler) return false;
    orv::Ref<ORVDictionary> info = err > 0 ? orv::fileErrorInfo(path, err) : nullptr;
    return handler->shouldProceedAfterError(orv::FileManager::defaultManager(), info.get());
}

// Owner-read or owner-write bit of the path's mode.
bool has_mode_bit(const char *path, mode_t bit, const char *title, const char *failure) {
    if (!path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, title, kModule, "path argument is nil");
        return false;
    }
    struct stat st;
    if (::stat(path, &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            tr_trace(__FILE__, __LINE__, tr_LOW, "The specified path (%s) does not exist.", path);
        else
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, title, kModule, failure, path);
        return false;
    }
    return (st.st_mode & bit) != 0;
}

bool is_readable(const char *path) {
    if (tr_is_initialized())
        tr_trace(__FILE__, __LINE__, tr_LOW, "Redirecting isReadableFileAtPath(%s) to use windows API", shown(path));
    return has_mode_bit(path, 0x0100, "isReadableFileAtPath",
                        "Unable to use stat to get read access permission for (%s).");
}

bool is_writable(const char *path) {
    if (tr_is_initialized())
        tr_trace(__FILE__, __LINE__, tr_LOW, "Redirecting isWritableFileAtPath(%s) to use windows API", shown(path));
    return has_mode_bit(path, 0x0080, "isWritableFileAtPath",
                        "Unable to use stat to get write access permission for (%s).");
}

// Installs the answers when the library is loaded.
struct InstallOverrides {
    InstallOverrides() {
        orv::FileManagerOverrides table;
        table.fileExistsAtPath = file_exists;
        table.fileExistsAtPathIsDirectory = file_exists_is_directory;
        table.removeFileAtPath = remove_file;
        table.isReadableFileAtPath = is_readable;
        table.isWritableFileAtPath = is_writable;
        orv::FileManager::installOverrides(table);
    }
};
const InstallOverrides Install_overrides;

}  // namespace

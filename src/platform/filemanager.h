// The file manager: moving, copying, removing and creating paths, changing
// permissions and testing existence, with a handler that is told about each
// path and asked what to do after a failure.
//
// A failing operation builds an error dictionary with "Path", "Error" (the
// system's text) and, for two-path operations, "ToPath", and asks the
// handler's shouldProceedAfterError; no handler counts as answering no.
//
// Five answers can be replaced for the whole process (the files family
// installs its own): existence, existence with the directory flag, removal,
// readability and writability. installOverrides sets them; a null entry
// keeps the built-in answer.
#pragma once

#include "platform/objects.h"

#include <string>

namespace orv {

class FileManager;

// What a file operation tells and asks its caller.
class FileHandler {
public:
    // Told before a path is processed.
    virtual void willProcessPath(FileManager &manager, const char *path) = 0;
    // Asked after a failure; errorInfo may be null. True goes on.
    virtual bool shouldProceedAfterError(FileManager &manager, const ORVDictionary *errorInfo) = 0;

protected:
    ~FileHandler() = default;
};

// The replaceable answers; each takes the same arguments as the method of
// the same name.
struct FileManagerOverrides {
    bool (*fileExistsAtPath)(const char *path) = nullptr;
    bool (*fileExistsAtPathIsDirectory)(const char *path, bool *isDirectory) = nullptr;
    bool (*removeFileAtPath)(const char *path, FileHandler *handler) = nullptr;
    bool (*isReadableFileAtPath)(const char *path) = nullptr;
    bool (*isWritableFileAtPath)(const char *path) = nullptr;
};

class FileManager {
public:
    // The process-wide file manager.
    static FileManager &defaultManager();

    // Sets the replaceable answers; returns the previous table.
    static FileManagerOverrides installOverrides(const FileManagerOverrides &overrides);
    static FileManagerOverrides overrides();

    bool fileExistsAtPath(const char *path);
    bool fileExistsAtPath(const char *path, bool *isDirectory);
    // Removes a file, a symbolic link or a whole directory tree.
    bool removeFileAtPath(const char *path, FileHandler *handler);
    // Owner-read / owner-write bit of the path's mode; false when missing.
    bool isReadableFileAtPath(const char *path);
    bool isWritableFileAtPath(const char *path);

    // Moves (renames) from to to; to must not exist. Across file systems the
    // tree is copied and the original removed.
    bool movePath(const char *from, const char *to, FileHandler *handler);
    // Copies a file (contents and permission bits) or a directory tree; to
    // must not exist.
    bool copyPath(const char *from, const char *to, FileHandler *handler);
    // Creates one directory (not its parents) with the given mode.
    bool createDirectoryAtPath(const char *path, unsigned mode = 0777);
    // Applies "NSFilePosixPermissions" (a number) from attributes.
    bool changeFileAttributes(const ORVDictionary *attributes, const char *path);
    bool setPosixPermissions(const char *path, unsigned mode);

    // The built-in answers, for overrides that fall back on them.
    static bool defaultFileExists(const char *path, bool *isDirectory);
    static bool defaultRemove(const char *path, FileHandler *handler);

private:
    FileManager() = default;
};

// Key of the permission bits in an attribute dictionary.
inline constexpr const char *kFilePosixPermissions = "NSFilePosixPermissions";

// Builds the error dictionary of a failure: "Path", "Error" = the text of
// errno_value, and "ToPath" when to_path is non-null.
Ref<ORVDictionary> fileErrorInfo(const char *path, int errno_value, const char *to_path = nullptr);

}  // namespace orv

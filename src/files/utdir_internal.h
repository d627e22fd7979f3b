// Directory operations used across the files family's translation units: the
// one entry walker that every directory walk goes through, and the removal
// with the handler protocol.
#pragma once

#include "files/sys_seam.h"
#include "platform/filemanager.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

namespace orv::files {

// ut_remove_path_ex_with_handler for a handler of the C++ protocol (null: stop
// at the first failure). 0, -9998 or an errno value. Visible outside the
// shared library for the tests of the handler protocol.
int remove_path_with_handler(const char *path, orv::FileHandler *handler);

inline bool is_dot(const char *name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The kind of a directory entry without following links.
enum class Kind { Missing, Directory, Link, File, Other };

// The kind from the entry's d_type, or from lstat when the file system does
// not fill it in.
inline Kind entry_kind(const std::string &path, unsigned char d_type) {
    switch (d_type) {
    case DT_DIR: return Kind::Directory;
    case DT_LNK: return Kind::Link;
    case DT_REG: return Kind::File;
    case DT_UNKNOWN: break;
    default: return Kind::Other;
    }
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return Kind::Missing;
    if (S_ISDIR(st.st_mode)) return Kind::Directory;
    if (S_ISLNK(st.st_mode)) return Kind::Link;
    if (S_ISREG(st.st_mode)) return Kind::File;
    return Kind::Other;
}

// Gives visit every entry of the open directory d but "." and "..", in the
// directory's order, until visit returns false. Returns 0, or the error
// number of a failed read. Leaves d open.
template <class Visit>
int for_each_entry(DIR *d, Visit &&visit) {
    for (;;) {
        errno = 0;
        const struct dirent *e = sys().readdir(d);
        if (!e) return errno;
        if (is_dot(e->d_name)) continue;
        if (!visit(*e)) return 0;
    }
}

}  // namespace orv::files

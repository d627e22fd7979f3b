// Helpers shared by the file and directory operations: report wording for
// missing paths, system error texts, the data copy, moves and removals that
// go through the handler protocol, and unique names.
#pragma once

#include "platform/filemanager.h"

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orv::files {

// The word a report shows for a missing path: "NULL" or "\"\"".
const char *missing_word(const char *path);
// The path itself, or "<NULL>".
const char *shown(const char *path);
// The system's text for an errno value, cut at its first line end.
std::string errno_text(int err);
// The code a failed query of path reports: 3 ("path not found") when the
// parent directory is missing too, else the errno value itself.
int not_found_code(const char *path, int err);
inline bool is_not_found(int err) { return err == 2 || err == 3; }

// True when something (a link included) is at path.
bool lexists(const char *path);

// Creates a file under a name that others can predict (a temporary copy, a
// backup, a trace or log file) and opens it: whatever is at the name first
// (a stale file or a planted symbolic link, never a directory) is removed
// without being followed, and the file is then created new with
// O_CREAT | O_EXCL | O_NOFOLLOW, so that no link is followed and no file that
// appears meanwhile is taken over. flags adds the access mode and other
// flags (O_CLOEXEC is always set). The descriptor, or -1 with errno set.
int open_new_file(const char *path, int flags, mode_t mode);

// Copies the contents and permission bits of a regular file, keeping its
// modification time. With fail_if_exists the destination must be new,
// otherwise it is replaced. 0 or the errno of the failure; a partly written
// destination is removed.
int copy_file_data(const char *from, const char *to, bool fail_if_exists);
// Creates at to a symbolic link with the same target as the link at from.
// 0 or errno.
int copy_symlink(const char *from, const char *to);

// Moves from onto a new path to: a rename, or a copy and removal across file
// systems. On failure the handler is asked (and the library's handler keeps
// the error text); false.
bool move_path(const char *from, const char *to, orv::FileHandler *handler);
// The file manager's removal of a file or tree with the handler.
bool remove_with_handler(const char *path, orv::FileHandler *handler);

// Reads the whole file at path into out, replacing what it held: 0, or the
// errno of the failure (EISDIR for a directory; EINVAL for anything but a
// regular file when regular_only is set, before any read). st, when given,
// receives the status of the file as it was opened. Files that report no size
// (those of /proc) and files that grow meanwhile are read to their end.
int read_whole_file(const char *path, std::string &out, struct stat *st = nullptr,
                    bool regular_only = false);
int read_whole_file(const char *path, std::vector<std::uint8_t> &out, struct stat *st = nullptr,
                    bool regular_only = false);

// Writes all of size bytes to fd through the seam, taking short writes in
// turn: 0, or the errno of the failure (EIO for a write that takes nothing).
int write_all(int fd, const void *data, size_t size);

// Milliseconds of pause on the calling thread.
void pause_millis(int millis);

}  // namespace orv::files

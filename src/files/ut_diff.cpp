// Binary comparison of files and directory trees: the graded codes and the
// worst-found rule, the extension filter, chunked reads of both files and the
// poll function called after each pair. Holds the chunk size and the poll
// function.
//
// Speed matters (copies of large image series are verified with this): sizes
// are compared before any byte is read, both files are read sequentially in
// equal chunks with the kernel told to read ahead, chunks are compared with
// memcmp only, and a pair stops at its first differing chunk. Inside a tree
// nothing is followed through a symbolic link.
#include "files/ut_diff.h"

#include "files/fsutil.h"
#include "files/path_rules.h"
#include "files/sys_seam.h"
#include "files/utdir_internal.h"

#include <ORVCommonKit/tk.h>
#include <ORVCommonKit/tr.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace orv::files {

namespace {

constexpr const char *kModule = "ORVCommonKit";
constexpr const char *kTitle = "ERR";
constexpr const char *kRecursively = "<recursively>";

// The chunk size in bytes; written by ut_set_diff_buffer_size_kbytes.
long Max_bytes_to_read = 10240;
// Called after each pair of files; written by ut_set_poll_callback.
ut_poll_callback_function ut_poll_callback_function_ = nullptr;

#define DIFF_ERROR(...) tr_error(__FILE__, __LINE__, tr_INFORM_LOG, kTitle, kModule, __VA_ARGS__)

const char *kind_word(mode_t mode) {
    if (S_ISDIR(mode)) return "directory";
    if (S_ISREG(mode)) return "file";
    if (S_ISLNK(mode)) return "link";
    return "special file";
}

// The state of one comparison: the filter and the account of what was found.
class Comparison {
public:
    Comparison(int ext_count, const char *const *extensions, DiffOutcome *outcome)
        : ext_count_(ext_count), extensions_(extensions), outcome_(outcome ? outcome : &own_) {
        *outcome_ = DiffOutcome{};
    }

    bool filtered() const { return ext_count_ > 0; }
    bool passes(const std::string &name) const {
        const std::string ext = path_extension(name);
        return !ext.empty() && tk_find_key(ext.c_str(), extensions_, ext_count_) >= 0;
    }
    DiffOutcome &outcome() { return *outcome_; }

    // Keeps the first place of the worst code found so far, or the place of
    // the failure.
    DiffOutcome *place(int code, DiffKind kind, const std::string &original, const std::string &copy) {
        DiffOutcome &o = *outcome_;
        if (o.code < 0) return nullptr;
        if (code >= 0 && code <= o.code) return nullptr;
        o.code = code;
        o.kind = kind;
        o.original = original;
        o.copy = copy;
        return &o;
    }
    int failed(const std::string &original, const std::string &copy) {
        place(-1, DiffKind::Failed, original, copy);
        return -1;
    }

    int compare_files(const std::string &original, long long original_size, const std::string &copy,
                      long long copy_size);
    int compare_trees(const std::string &original, const std::string &copy);
    int mismatch(const std::string &original, mode_t original_mode, const std::string &copy, mode_t copy_mode);

private:
    int examine(const std::string &path, struct stat &st, bool follow, int missing_code,
                const std::string &original, const std::string &copy);
    int compare_links(const std::string &original, const std::string &copy);

    int ext_count_;
    const char *const *extensions_;
    DiffOutcome own_;
    DiffOutcome *outcome_;
};

// Reads exactly n bytes unless the file ends or fails first; the count read.
long long read_full(int fd, char *buffer, long long n) {
    long long done = 0;
    while (done < n) {
        const ssize_t r = sys().read(fd, buffer + done, static_cast<size_t>(n - done));
        if (r > 0) {
            done += r;
        } else if (r == 0) {
            errno = 0;
            break;
        } else if (errno != EINTR) {
            break;
        }
    }
    return done;
}

// An open file that closes itself.
struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

int Comparison::examine(const std::string &path, struct stat &st, bool follow, int missing_code,
                        const std::string &original, const std::string &copy) {
    if ((follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) == 0) return 0;
    const int err = errno;
    DIFF_ERROR("Failed to stat (%s ...). errno=%d (%s)", path.c_str(), err, errno_text(err).c_str());
    if (err == ENOENT) {
        place(missing_code, missing_code == 1 ? DiffKind::OriginalMissing : DiffKind::CopyMissing, original, copy);
        return missing_code;
    }
    return failed(original, copy);
}

int Comparison::mismatch(const std::string &original, mode_t original_mode, const std::string &copy,
                         mode_t copy_mode) {
    DIFF_ERROR("Cannot compare!  %s is a %s, but %s is %s.", original.c_str(), kind_word(original_mode),
               copy.c_str(), kind_word(copy_mode));
    if (DiffOutcome *o = place(2, DiffKind::KindDiffers, original, copy)) {
        o->original_kind = kind_word(original_mode);
        o->copy_kind = kind_word(copy_mode);
    }
    return 2;
}

int Comparison::compare_files(const std::string &original, long long original_size, const std::string &copy,
                              long long copy_size) {
    tr_trace(__FILE__, __LINE__, tr_MID, "binary_diff_files (%s %ld Bytes, %s %ld Bytes)", original.c_str(),
             static_cast<long>(original_size), copy.c_str(), static_cast<long>(copy_size));
    struct stat st;
    if (original_size == 0 || copy_size == 0) {
        struct stat cst;
        if (const int code = examine(original, st, true, 1, original, copy)) return code;
        if (const int code = examine(copy, cst, true, 2, original, copy)) return code;
        // A directory or a special file (a pipe would block the read) is no file.
        if (!S_ISREG(st.st_mode) || !S_ISREG(cst.st_mode)) return mismatch(original, st.st_mode, copy, cst.st_mode);
        original_size = st.st_size;
        copy_size = cst.st_size;
    }
    if (original_size != copy_size) {
        DIFF_ERROR("%s files size (%ld) differs from %s file size (%ld)", original.c_str(),
                   static_cast<long>(original_size), copy.c_str(), static_cast<long>(copy_size));
        if (DiffOutcome *o = place(3, DiffKind::SizeDiffers, original, copy)) {
            o->original_size = original_size;
            o->copy_size = copy_size;
        }
        return 3;
    }
    Fd in[2];
    const std::string *names[2] = {&original, &copy};
    for (int i = 0; i < 2; ++i) {
        in[i].fd = ::open(names[i]->c_str(), O_RDONLY | O_CLOEXEC);
        if (in[i].fd < 0) {
            const int err = errno;
            DIFF_ERROR("Failed to fopen (%s, \"rb\"). errno=%d (%s)", names[i]->c_str(), err, errno_text(err).c_str());
            return failed(original, copy);
        }
        ::posix_fadvise(in[i].fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    ++outcome_->files_compared;
    long long remaining = original_size;
    long long chunk = std::min<long long>(Max_bytes_to_read, remaining);
    std::unique_ptr<char[]> buffers[2];
    if (remaining > 0 && chunk > 0) {
        const char *const which[2] = {"original", "verify"};
        for (int i = 0; i < 2; ++i) {
            buffers[i].reset(new (std::nothrow) char[static_cast<size_t>(chunk)]);
            if (!buffers[i]) {
                DIFF_ERROR("Failed to allocate %ld bytes for %s buffer", static_cast<long>(chunk), which[i]);
                return failed(original, copy);
            }
        }
    }
    long long offset = 0;
    while (remaining > 0) {
        for (int i = 0; i < 2; ++i) {
            if (chunk <= 0 || read_full(in[i].fd, buffers[i].get(), chunk) != chunk) {
                const int err = chunk <= 0 ? 0 : errno;
                DIFF_ERROR("Failed to read %ld bytes from %s.  errno=%d (%s)", static_cast<long>(chunk),
                           names[i]->c_str(), err, errno_text(err).c_str());
                return failed(original, copy);
            }
        }
        if (std::memcmp(buffers[0].get(), buffers[1].get(), static_cast<size_t>(chunk)) != 0) {
            DIFF_ERROR("%s data differs from %s", original.c_str(), copy.c_str());
            if (DiffOutcome *o = place(3, DiffKind::ContentDiffers, original, copy)) {
                const char *a = buffers[0].get();
                o->offset = offset + (std::mismatch(a, a + chunk, buffers[1].get()).first - a);
            }
            return 3;
        }
        offset += chunk;
        remaining -= chunk;
        chunk = std::min(chunk, remaining);
    }
    tr_trace(__FILE__, __LINE__, tr_MID, "%s == %s", original.c_str(), copy.c_str());
    return 0;
}

int Comparison::compare_links(const std::string &original, const std::string &copy) {
    std::string targets[2];
    const std::string *names[2] = {&original, &copy};
    for (int i = 0; i < 2; ++i) {
        std::string &target = targets[i];
        target.resize(256);
        for (;;) {
            const ssize_t n = ::readlink(names[i]->c_str(), target.data(), target.size());
            if (n < 0) {
                const int err = errno;
                DIFF_ERROR("Failed to read %ld bytes from %s.  errno=%d (%s)", static_cast<long>(target.size()),
                           names[i]->c_str(), err, errno_text(err).c_str());
                return failed(original, copy);
            }
            if (static_cast<size_t>(n) < target.size()) {
                target.resize(static_cast<size_t>(n));
                break;
            }
            target.resize(target.size() * 2);
        }
    }
    if (targets[0] == targets[1]) return 0;
    DIFF_ERROR("%s data differs from %s", original.c_str(), copy.c_str());
    place(3, DiffKind::ContentDiffers, original, copy);
    return 3;
}

int Comparison::compare_trees(const std::string &original, const std::string &copy) {
    tr_trace(__FILE__, __LINE__, tr_MID, "binary_diff_dirs (%s, %s, %s...)", original.c_str(), copy.c_str(),
             kRecursively);
    DIR *d = ::opendir(original.c_str());
    if (!d) {
        const int err = errno;
        DIFF_ERROR("Failed to ut_native_opendir (%s).  errno=%d (%s)", original.c_str(), err, errno_text(err).c_str());
        return failed(original, copy);
    }
    int worst = 0;
    const int read_error = for_each_entry(d, [&](const struct dirent &e) {
        const std::string o = original + "/" + e.d_name;
        const std::string v = copy + "/" + e.d_name;
        struct stat ost, vst;
        int code = examine(o, ost, false, 1, o, v);
        if (code == 0) code = examine(v, vst, false, 2, o, v);
        if (code == 0) {
            if (S_ISDIR(ost.st_mode) && S_ISDIR(vst.st_mode)) {
                code = compare_trees(o, v);
            } else if (filtered() && !passes(e.d_name)) {
                tr_trace(__FILE__, __LINE__, tr_MID, "Skipping %s (wrong extension)", o.c_str());
                ++outcome_->files_skipped;
            } else if (S_ISREG(ost.st_mode) && S_ISREG(vst.st_mode)) {
                code = compare_files(o, ost.st_size, v, vst.st_size);
                if (ut_poll_callback_function_) ut_poll_callback_function_();
            } else if (S_ISLNK(ost.st_mode) && S_ISLNK(vst.st_mode)) {
                code = compare_links(o, v);
            } else if ((ost.st_mode & S_IFMT) == (vst.st_mode & S_IFMT)) {
                tr_trace(__FILE__, __LINE__, tr_MID, "Skipping %s (neither a file, a link nor a directory)",
                         o.c_str());
            } else {
                code = mismatch(o, ost.st_mode, v, vst.st_mode);
            }
        }
        if (code < 0) {
            worst = -1;
            return false;
        }
        worst = std::max(worst, code);
        return true;
    });
    if (read_error != 0 && worst >= 0) {
        DIFF_ERROR("Failed to ut_native_opendir (%s).  errno=%d (%s)", original.c_str(), read_error,
                   errno_text(read_error).c_str());
        worst = failed(original, copy);
    }
    char handle[32];
    std::snprintf(handle, sizeof handle, "%p", static_cast<void *>(d));
    if (::closedir(d) != 0) {
        const int err = errno;
        DIFF_ERROR("Continuing despite ut_native_closedir(%s) on \"%s\" failure.  errno=%d (%s)", handle,
                   original.c_str(), err, errno_text(err).c_str());
    }
    return worst;
}

// The check of a top-level path: given, examinable. 0 or -1 (reported).
int check_top(const char *path, const char *missing_message, struct stat &st) {
    if (!path || !*path) {
        DIFF_ERROR("%s", missing_message);
        return -1;
    }
    if (::stat(path, &st) != 0) {
        const int err = errno;
        DIFF_ERROR("Failed to stat (%s...).  errno=%d (%s)", path, err, errno_text(err).c_str());
        return -1;
    }
    return 0;
}

const char *shown_or_null(const char *path) { return path ? path : "NULL"; }

}  // namespace

int binary_diff(const char *original, const char *verification, int ext_count, const char *const *extensions,
                DiffOutcome *outcome) {
    tr_trace(__FILE__, __LINE__, tr_MID, "ut_binary_diff (o=%s, v=%s, %s...)", shown_or_null(original),
             shown_or_null(verification), kRecursively);
    Comparison comparison(ext_count, extensions, outcome);
    const std::string o = original ? original : "", v = verification ? verification : "";
    struct stat ost, vst;
    if (check_top(original, "Original path not specified!", ost) != 0 ||
        check_top(verification, "Verification path not specified!", vst) != 0)
        return comparison.failed(o, v);
    if (S_ISDIR(ost.st_mode) && S_ISDIR(vst.st_mode)) {
        if (ext_count > 0) {
            tr_trace(__FILE__, __LINE__, tr_MID, "Comparing files with the following %d extensions only:", ext_count);
            for (int i = 0; i < ext_count && extensions && extensions[i]; ++i)
                tr_trace(__FILE__, __LINE__, tr_MID, "        %2d. \"%s\"", i, extensions[i]);
        }
        return comparison.compare_trees(o, v);
    }
    if (S_ISREG(ost.st_mode) && S_ISREG(vst.st_mode)) {
        const int code = comparison.compare_files(o, ost.st_size, v, vst.st_size);
        if (ut_poll_callback_function_) ut_poll_callback_function_();
        return code;
    }
    return comparison.mismatch(o, ost.st_mode, v, vst.st_mode);
}

int binary_diff_array(const char *original_dir, const char *verification_dir, int ext_count,
                      const char *const *extensions, int file_count, const char *const *files,
                      DiffOutcome *outcome) {
    tr_trace(__FILE__, __LINE__, tr_MID, "ut_binary_diff_array (o=%s, v=%s, %d files...)",
             shown_or_null(original_dir), shown_or_null(verification_dir), file_count);
    Comparison comparison(ext_count, extensions, outcome);
    const std::string od = original_dir ? original_dir : "", vd = verification_dir ? verification_dir : "";
    if (file_count <= 0 || !files) {
        DIFF_ERROR("Invalid number of files: %d", files ? file_count : 0);
        return comparison.failed(od, vd);
    }
    struct stat ost, vst;
    if (check_top(original_dir, "Original path not specified!", ost) != 0 ||
        check_top(verification_dir, "Verification path not specified!", vst) != 0)
        return comparison.failed(od, vd);
    if (!S_ISDIR(ost.st_mode)) {
        DIFF_ERROR("Original path \"%s\" is not a directory", original_dir);
        return comparison.failed(od, vd);
    }
    if (!S_ISDIR(vst.st_mode)) {
        DIFF_ERROR("Verification path \"%s\" is not a directory", verification_dir);
        return comparison.failed(od, vd);
    }
    int worst = 0;
    for (int i = 0; i < file_count; ++i) {
        if (!files[i] || !*files[i]) {
            DIFF_ERROR("Invalid number of files: %d", i);
            return comparison.failed(od, vd);
        }
        const std::string o = append_path_component(od, files[i]);
        if (comparison.filtered() && !comparison.passes(files[i])) {
            tr_trace(__FILE__, __LINE__, tr_MID, "Skipping %s.  (wrong extension)", o.c_str());
            ++comparison.outcome().files_skipped;
            continue;
        }
        const int code = comparison.compare_files(o, 0, append_path_component(vd, files[i]), 0);
        if (code < 0) return -1;
        worst = std::max(worst, code);
    }
    return worst;
}

void set_diff_chunk_bytes(long bytes) { Max_bytes_to_read = bytes; }
long diff_chunk_bytes() { return Max_bytes_to_read; }
void set_diff_poll(ut_poll_callback_function poll) { ut_poll_callback_function_ = poll; }

}  // namespace orv::files

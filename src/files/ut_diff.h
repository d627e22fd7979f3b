// Binary comparison of files and trees, with the account of the worst
// difference that the command-line tool shows.
#pragma once

#include <ORVCommonKit/utdiff.h>

#include <string>

namespace orv::files {

enum class DiffKind {
    None,             // identical
    OriginalMissing,  // code 1
    CopyMissing,      // code 2
    KindDiffers,      // code 2: file against directory or link
    SizeDiffers,      // code 3
    ContentDiffers,   // code 3 (for links: the targets differ)
    Failed            // code -1
};

// What a comparison found: the worst code and, for it, the first place where
// it was found. For a failure, the place where the comparison stopped.
struct DiffOutcome {
    int code = 0;
    DiffKind kind = DiffKind::None;
    std::string original, copy;                 // the pair concerned
    std::string original_kind, copy_kind;       // "file", "directory", ... (KindDiffers)
    long long original_size = -1, copy_size = -1;  // SizeDiffers
    long long offset = -1;                      // ContentDiffers: first differing byte
    long files_compared = 0;                    // pairs of files whose bytes were compared
    long files_skipped = 0;                     // files left out by the extension filter
};

// ut_binary_diff and ut_binary_diff_array; outcome (may be null) is filled in.
int binary_diff(const char *original, const char *verification, int ext_count,
                const char *const *extensions, DiffOutcome *outcome);
int binary_diff_array(const char *original_dir, const char *verification_dir, int ext_count,
                      const char *const *extensions, int file_count, const char *const *files,
                      DiffOutcome *outcome);

// The chunk size in bytes (default 10240) and the poll function.
void set_diff_chunk_bytes(long bytes);
long diff_chunk_bytes();
void set_diff_poll(ut_poll_callback_function poll);

}  // namespace orv::files

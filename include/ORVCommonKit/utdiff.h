/*
 * Byte-for-byte verification that a copy holds the same data as its original:
 * two files, two directory trees, or a list of files in two directories,
 * optionally restricted to file-name extensions.
 *
 * The answer is a graded code, the worst kind of difference found:
 *     0   identical: every compared file has the same size and bytes
 *     1   a file of the original side does not exist
 *     2   a file of the copy (verification) side does not exist, or one side
 *         is a directory (or a symbolic link) where the other is a file
 *     3   a pair of files differs in size or in content
 *    -1   the comparison could not be made (missing or wrong argument, a path
 *         that cannot be examined, opened or read, no memory); reported
 * A tree walk goes on after a positive code and returns the highest one; a
 * failure ends it. Only entries of the original side are visited: extra
 * entries of the copy are not noticed. Inside a tree, symbolic links are
 * compared as links (their target texts), never followed, so a walk never
 * leaves the tree; the two top-level paths themselves may be links.
 *
 * Extension filter: count entries of extensions (without the dot, case
 * ignored); a file passes when its extension is one of them, a file without
 * an extension never passes. A count of 0 compares every file.
 *
 * The chunk size and the poll function are process-wide: set them before
 * comparisons start.
 */
#ifndef ORVCOMMONKIT_UTDIFF_H
#define ORVCOMMONKIT_UTDIFF_H

#include <ORVCommonKit/orvexport.h>

ORV_BEGIN_DECLS

enum {
    ut_DIFF_IDENTICAL = 0,
    ut_DIFF_ORIGINAL_MISSING = 1,
    ut_DIFF_VERIFICATION_MISSING = 2,
    ut_DIFF_DIFFERENT = 3,
    ut_DIFF_FAILED = -1
};

/* Called after each pair of files a comparison has compared. */
typedef void (*ut_poll_callback_function)(void);

/* Compares two files, or two directory trees recursively (the filter applies
 * to the files of trees only). A file against a directory gives 2. */
ORV_API int ut_binary_diff(const char *original, const char *verification, int ext_count,
                           const char *const *extensions);
/* Compares original_dir/name with verification_dir/name for each of the
 * file_count names, in order; the poll function is not called. */
ORV_API int ut_binary_diff_array(const char *original_dir, const char *verification_dir,
                                 int ext_count, const char *const *extensions, int file_count,
                                 const char *const *files);
/* Both files are read in chunks of kbytes KiB (default 10). No check: with 0,
 * every comparison of non-empty files fails. */
ORV_API void ut_set_diff_buffer_size_kbytes(int kbytes);
/* Sets the poll function (null: none). */
ORV_API void ut_set_poll_callback(ut_poll_callback_function poll);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_UTDIFF_H */

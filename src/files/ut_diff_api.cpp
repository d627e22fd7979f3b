// The exported binary comparison calls.
#include "files/ut_diff.h"

extern "C" {

int ut_binary_diff(const char *original, const char *verification, int ext_count, const char *const *extensions) {
    return orv::files::binary_diff(original, verification, ext_count, extensions, nullptr);
}

int ut_binary_diff_array(const char *original_dir, const char *verification_dir, int ext_count,
                         const char *const *extensions, int file_count, const char *const *files) {
    return orv::files::binary_diff_array(original_dir, verification_dir, ext_count, extensions, file_count, files,
                                         nullptr);
}

void ut_set_diff_buffer_size_kbytes(int kbytes) { orv::files::set_diff_chunk_bytes(static_cast<long>(kbytes) * 1024); }

void ut_set_poll_callback(ut_poll_callback_function poll) { orv::files::set_diff_poll(poll); }

}  // extern "C"

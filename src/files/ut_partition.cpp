// Partition capacity: total and free KiB of the file system holding a path.
#include "files/ut_host_seam.h"

#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/ut.h>

#include <cstdint>

using namespace orv::files;

namespace {

constexpr const char *kModule = "ORVCommonKit";

// False, after the report titled after the function, for a null or empty path.
bool path_ok(const char *path, const char *title) {
    if (path && *path) return true;
    tr_error(__FILE__, __LINE__, tr_INFORM_LOG, title, kModule,
             path ? "path parameter is empty" : "path parameter is NULL");
    return false;
}

// Bytes in KiB, rounded down, modulo 2^32.
unsigned int kbytes(unsigned long long units, unsigned long long unit_size) {
    // floor(units * unit_size / 1024) without overflowing the product.
    const std::uint64_t kib = (units / 1024) * unit_size + (units % 1024) * unit_size / 1024;
    return static_cast<unsigned int>(kib);
}

int get_partition_capacity(const char *path, unsigned int *total, unsigned int *free) {
    if (total) *total = 0;
    if (free) *free = 0;
    struct statvfs st;
    if (host_calls().statvfs(path, &st) != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "get_partition_capacity() error", kModule,
                 "GetDiskFreeSpaceEx() function returned FALSE value.  Could not get "
                 "user/total/free space information about partition containing path \"%s\".",
                 path);
        return -1;
    }
    const unsigned long long unit = st.f_frsize ? st.f_frsize : st.f_bsize;
    if (total) *total = kbytes(st.f_blocks, unit);
    if (free) *free = kbytes(st.f_bfree, unit);
    return 0;
}

}  // namespace

extern "C" {

ORV_API unsigned int ut_total_kbytes_on_partition_with_path(const char *path) {
    unsigned int total = 0;
    if (path_ok(path, "ut_total_kbytes_on_partition_with_path() parameter error"))
        get_partition_capacity(path, &total, nullptr);
    return total;
}

ORV_API unsigned int ut_free_kbytes_on_partition_with_path(const char *path) {
    unsigned int free = 0;
    if (path_ok(path, "ut_free_kbytes_on_partition_with_path() parameter error"))
        get_partition_capacity(path, nullptr, &free);
    return free;
}

ORV_API int ut_get_kbytes_on_partition_with_path(const char *path, unsigned int *total_kbytes,
                                                 unsigned int *free_kbytes) {
    if (!path_ok(path, "ut_get_kbytes_on_partion_with_path() parameter error")) return -1;
    return get_partition_capacity(path, total_kbytes, free_kbytes);
}

}  // extern "C"

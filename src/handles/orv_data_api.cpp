// Data handles: byte buffers created from memory, from a file or from a data
// object, with their reference rules.
#include "files/fsutil.h"
#include "platform/objects.h"
#include "platform/pool.h"

#include <ORVCommonKit/orvhandles.h>
#include <ORVCommonKit/tr.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr const char *kModule = "ORVCommonKit";

}  // namespace

extern "C" {

ORV_API ORVData *orv_data_create(void *bytes, unsigned int length, unsigned char copy) {
    if (!bytes && length > 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Invalid Parameter", kModule,
                 "Invalid parameter (NULL bytes of length %u) to orv_data_create().", length);
        return nullptr;
    }
    try {
        auto *data = new ORVData(bytes, length);
        // A buffer handed over is the library's from now on; its bytes now
        // live in the data object.
        if (!copy) std::free(bytes);
        return data;
    } catch (const std::bad_alloc &) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "OUT OF MEMORY", kModule,
                 "Failed to allocate %u bytes for a data handle.", length);
        return nullptr;
    }
}

ORV_API ORVData *orv_data_create_from_file(const char *path) {
    if (!path || !*path) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Invalid Parameter", kModule,
                 "Invalid parameter (%s path) to orv_data_create_from_file().",
                 path ? "empty" : "NULL");
        return nullptr;
    }
    try {
        std::vector<std::uint8_t> bytes;
        if (const int err = orv::files::read_whole_file(path, bytes)) {
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "orv_data_create_from_file()", kModule,
                     "Cannot read file \"%s\": %s", path, std::strerror(err));
            return nullptr;
        }
        return new ORVData(std::move(bytes));
    } catch (const std::bad_alloc &) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "OUT OF MEMORY", kModule,
                 "Failed to allocate memory for the contents of \"%s\".", path);
        return nullptr;
    }
}

ORV_API ORVData *orv_data_copy(ORVData *data) {
    if (data) data->retain();
    return data;
}

ORV_API void orv_data_free(ORVData *data) {
    if (data) data->release();
}

ORV_API const void *orv_data_bytes(ORVData *data) {
    return data ? data->bytes.data() : nullptr;
}

ORV_API unsigned int orv_data_byte_count(ORVData *data) {
    return data ? static_cast<unsigned int>(data->bytes.size()) : 0;
}

ORV_API ORVData *orv_data_object(ORVData *data) {
    if (!data) return nullptr;
    data->retain();
    ORVAutoreleasePool::autoreleaseObject(data);
    return data;
}

ORV_API ORVData *orv_data_create_from_object(ORVObject *object) {
    if (!object) return nullptr;
    auto *data = orv::as<ORVData>(object);
    if (!data) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Invalid Parameter", kModule,
                 "Invalid parameter to orv_data_create_from_object().  Not a data object!");
        return nullptr;
    }
    data->retain();
    return data;
}

}  // extern "C"

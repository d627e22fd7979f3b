// Fuzz target: the archive decoder. Whatever it accepts must encode back to
// the very same bytes (the format has one encoding per graph).
#include "platform/archive.h"
#include "platform/pool.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    orv::PoolScope pool;
    std::string error;
    auto obj = orv::archive::decode(data, size, &error);
    if (!obj) {
        if (error.empty()) std::abort();
        return 0;
    }
    std::vector<std::uint8_t> again;
    if (!orv::archive::encode(obj.get(), again, &error)) std::abort();
    if (again.size() != size || std::memcmp(again.data(), data, size) != 0) std::abort();
    return 0;
}

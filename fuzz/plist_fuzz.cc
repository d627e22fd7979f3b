// Fuzz target: the property-list and strings-table reader. Whatever it
// accepts must write back to text that reads to an equal object.
#include "platform/plist.h"
#include "platform/pool.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    orv::PoolScope pool;
    std::string_view text(reinterpret_cast<const char *>(data), size);
    orv::plist::Error error;
    auto obj = orv::plist::parse(text, &error);
    if (obj) {
        std::string written = orv::plist::write(obj.get());
        auto again = orv::plist::parse(written, &error);
        if (!again || !orv::equal(obj.get(), again.get())) std::abort();
    } else if (error.line < 1 || error.message.empty()) {
        std::abort();
    }
    orv::plist::parseStrings(text, &error);
    return 0;
}

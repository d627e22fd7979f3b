// Fuzz target: the table archive decoder on untrusted bytes. A decoded table
// must be usable and must encode to an archive that decodes to an equal table.
#include "config/ORVConfigurationTable.h"
#include "platform/pool.h"

#include "fuzz_support.h"

#include <ORVCommonKit/tr.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    orvfuzz::quiet_trace();
    orv::PoolScope pool;
    std::string error;
    auto table = ORVConfigurationTable::decode(data, size, &error);
    if (!table) {
        if (error.empty()) std::abort();
        return 0;
    }
    for (const std::string &key : table->allValueKeys()) {
        table->variableForKey(key);
        table->behaviorForName(key);
    }
    table->uniqueValueNamesWithoutHost();
    table->valuesDescription();
    std::vector<std::uint8_t> bytes;
    if (!table->encode(bytes)) std::abort();
    auto again = ORVConfigurationTable::decode(bytes.data(), bytes.size());
    if (!again || !orv::equal(table->archiveObject().get(), again->archiveObject().get()))
        std::abort();
    return 0;
}

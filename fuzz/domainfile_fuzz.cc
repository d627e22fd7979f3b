// Fuzz target: the domain-file reader on arbitrary bytes. Whatever it reads
// must archive and decode back to an equal table, and every key must carry
// the domain it was read under.
#include "config/ORVConfigurationTable.h"
#include "config/cf_domainfile.h"
#include "platform/pool.h"

#include "fuzz_support.h"

#include <ORVCommonKit/tr.h>

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    orvfuzz::quiet_trace();
    orv::PoolScope pool;
    auto table = ORVConfigurationTable::create();
    cf::read_domain_text(std::string_view(reinterpret_cast<const char *>(data), size), *table,
                         cf_DOMAIN_SITE);
    for (const std::string &key : table->allValueKeys())
        if (key.rfind("SITE.", 0) != 0) std::abort();
    std::vector<std::uint8_t> bytes;
    if (!table->encode(bytes)) std::abort();
    auto again = ORVConfigurationTable::decode(bytes.data(), bytes.size());
    if (!again || !orv::equal(table->archiveObject().get(), again->archiveObject().get()))
        std::abort();
    table->uniqueValueNamesWithoutHost();
    table->uniqueValueNamesWithHost();
    return 0;
}

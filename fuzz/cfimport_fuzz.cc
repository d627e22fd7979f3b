// Fuzz target: arbitrary bytes as the content of a shared table region (the
// length field and the archive), read as an importer reads them. Refused
// content must say why; accepted tables must be usable and must export to a
// region that reads back to the same groups.
#include "config/cf_share.h"
#include "platform/objects.h"
#include "platform/pool.h"

#include "fuzz_support.h"

#include <ORVCommonKit/tr.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    orvfuzz::quiet_trace();
    orv::PoolScope pool;
    std::vector<cf::NamedTable> tables;
    std::string error;
    if (cf::decode_share_region(data, size, tables, &error) != cf::ShareRead::Ok) {
        if (error.empty() || !tables.empty()) std::abort();
        return 0;
    }
    for (auto &[group, table] : tables)
        if (group.empty() || !table) std::abort();
    std::vector<std::uint8_t> archive;
    if (!cf::encode_share_archive(tables, archive)) std::abort();
    std::vector<std::uint8_t> region(cf::kShareHeaderSize);
    for (std::size_t i = 0; i < cf::kShareHeaderSize; ++i)
        region[i] = static_cast<std::uint8_t>(archive.size() >> (8 * i));
    region.insert(region.end(), archive.begin(), archive.end());
    std::vector<cf::NamedTable> again;
    if (cf::decode_share_region(region.data(), region.size(), again) != cf::ShareRead::Ok ||
        again.size() != tables.size())
        std::abort();
    for (std::size_t i = 0; i < tables.size(); ++i)
        if (again[i].first != tables[i].first ||
            !orv::equal(again[i].second->archiveObject().get(),
                        tables[i].second->archiveObject().get()))
            std::abort();
    // Only now ask the tables for names: a lookup fills the behavior cache,
    // which travels in the archive too.
    for (auto &[group, table] : tables) {
        for (const std::string &key : table->allValueKeys()) {
            table->variableForKey(key);
            table->behaviorForName(key);
        }
        table->uniqueValueNamesWithHost();
    }
    return 0;
}

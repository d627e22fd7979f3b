// Fuzz target: arbitrary bytes as the content of a shared table region (the
// length field and the archive), read as an importer reads them: checked as a
// whole, then each group built from its bytes. Refused content must say why;
// accepted groups must all build, be usable and export to a region that
// reads back to the same groups.
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
    // The structural check alone decides; every group it accepts must then
    // build from its own byte range.
    std::vector<cf::SharedGroup> groups;
    std::string error;
    if (cf::check_share_region(data, size, groups, &error) != cf::ShareRead::Ok) {
        if (error.empty() || !groups.empty()) std::abort();
        return 0;
    }
    std::vector<cf::NamedTable> tables;
    for (const cf::SharedGroup &group : groups) {
        if (group.name.empty() || group.offset > size || group.size > size - group.offset)
            std::abort();
        auto table = cf::build_shared_table(data + group.offset, group.size);
        if (!table) std::abort();
        tables.emplace_back(group.name, std::move(table));
    }
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

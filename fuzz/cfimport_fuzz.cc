// Fuzz target: arbitrary bytes as the content of a shared table region (the
// length field and the flat tables), read as an importer reads them: checked
// as a whole, then each group made in place from its bytes. Refused content
// must say why; accepted groups must all be made, be usable and export to a
// region that reads back to the same groups.
#include "config/cf_share.h"
#include "platform/objects.h"
#include "platform/pool.h"

#include "fuzz_support.h"

#include <ORVCommonKit/tr.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

bool same(const ORVConfigurationTable &a, const ORVConfigurationTable &b) {
    return orv::equal(a.archiveObject().get(), b.archiveObject().get());
}

// The groups of a region, each table read in place from a copy of the
// bytes; false when the check refuses the region (error then says why).
bool read_region(const std::uint8_t *data, std::size_t size, std::vector<cf::NamedTable> &tables,
                 std::string &error) {
    std::vector<cf::SharedGroup> groups;
    if (cf::check_share_region(data, size, groups, &error) != cf::ShareRead::Ok) {
        if (error.empty() || !groups.empty()) std::abort();
        return false;
    }
    const auto region = std::make_shared<const cf::RegionBytes>(data, data + size);
    for (const cf::SharedGroup &group : groups) {
        if (group.name.empty() || group.offset > size || group.size > size - group.offset)
            std::abort();
        auto table = cf::build_shared_table(region, group.offset, group.size);
        if (!table) std::abort();
        tables.emplace_back(group.name, std::move(table));
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    orvfuzz::quiet_trace();
    orv::PoolScope pool;
    // The structural check alone decides; every group it accepts must then
    // be made from its own byte range.
    std::vector<cf::NamedTable> tables;
    std::string error;
    if (!read_region(data, size, tables, error)) return 0;
    std::vector<std::uint8_t> content;
    if (!cf::encode_share_archive(tables, content)) std::abort();
    std::vector<std::uint8_t> again_region(cf::kShareHeaderSize);
    for (std::size_t i = 0; i < cf::kShareHeaderSize; ++i)
        again_region[i] = static_cast<std::uint8_t>(content.size() >> (8 * i));
    again_region.insert(again_region.end(), content.begin(), content.end());
    std::vector<cf::NamedTable> again;
    if (!read_region(again_region.data(), again_region.size(), again, error) || again.size() != tables.size())
        std::abort();
    for (std::size_t i = 0; i < tables.size(); ++i)
        if (again[i].first != tables[i].first || !same(*again[i].second, *tables[i].second))
            std::abort();
    // Only now ask the tables for names: a lookup fills the behavior cache.
    for (auto &[group, table] : tables) {
        for (const std::string &key : table->allValueKeys()) {
            if (!table->variableForKey(key)) std::abort();
            table->behaviorForName(key);
        }
        table->uniqueValueNamesWithHost();
        table->uniqueValueNamesWithoutHost();
    }
    return 0;
}

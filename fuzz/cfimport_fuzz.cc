// Fuzz target: arbitrary bytes as the content of a shared table region (the
// length field and the flat tables), read as an importer reads them: checked
// as a whole, then each group made from its bytes, in place and as a copy.
// Refused content must say why; accepted groups must all be made, be usable
// and export to a region that reads back to the same groups.
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    orvfuzz::quiet_trace();
    orv::PoolScope pool;
    // The structural check alone decides; every group it accepts must then
    // be made from its own byte range.
    std::vector<cf::SharedGroup> groups;
    std::string error;
    if (cf::check_share_region(data, size, groups, &error) != cf::ShareRead::Ok) {
        if (error.empty() || !groups.empty()) std::abort();
        return 0;
    }
    const auto region = std::make_shared<const cf::RegionBytes>(data, data + size);
    std::vector<cf::NamedTable> tables;
    for (const cf::SharedGroup &group : groups) {
        if (group.name.empty() || group.offset > size || group.size > size - group.offset)
            std::abort();
        auto copied = cf::build_shared_table(data + group.offset, group.size);
        auto in_place = cf::build_shared_table(region, group.offset, group.size);
        if (!copied || !in_place || !same(*copied, *in_place)) std::abort();
        tables.emplace_back(group.name, std::move(in_place));
    }
    std::vector<std::uint8_t> content;
    if (!cf::encode_share_archive(tables, content)) std::abort();
    std::vector<std::uint8_t> again_region(cf::kShareHeaderSize);
    for (std::size_t i = 0; i < cf::kShareHeaderSize; ++i)
        again_region[i] = static_cast<std::uint8_t>(content.size() >> (8 * i));
    again_region.insert(again_region.end(), content.begin(), content.end());
    std::vector<cf::NamedTable> again;
    if (cf::decode_share_region(again_region.data(), again_region.size(), again) !=
            cf::ShareRead::Ok ||
        again.size() != tables.size())
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

// Flat table storage: variables stay right through reads, stores, removals,
// resets and compaction, variable objects are made on request and follow
// changes, and the shared region's flat form is refused when damaged and
// read in place when sound.
#include "support/orv_trace_capture.h"

#include "config/ORVConfigurationTable.h"
#include "config/cf_domainfile.h"
#include "config/cf_lookup.h"
#include "config/cf_share.h"

#include <ORVCommonKit/cfdefs.h>

#include <gtest/gtest.h>

#include <cstring>
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Model = std::map<std::string, std::string>;  // key to "level:v1|v2"

std::string text_of(const ORVConfigurationVariable *v) {
    if (!v) return "absent";
    std::string out = std::to_string(v->permission().value_or(-1)) + ":";
    for (std::size_t i = 0; v->values() && i < v->values()->size(); ++i)
        out += (i ? "|" : "") + (*v->values())[i];
    return out;
}

// Every key of the table with its variable, and every plain lookup of a
// domain key, against the model.
void expect_model(ORVConfigurationTable &table, const Model &model) {
    Model seen;
    const std::vector<std::string> keys = table.allValueKeys();
    for (const std::string &key : keys) seen[key] = text_of(table.variableForKey(key));
    EXPECT_EQ(model, seen);
    EXPECT_EQ(model.size(), keys.size());
    for (const auto &[key, text] : model) {
        const std::size_t dot = key.find('.');
        const int domain = key.starts_with("SYS.") ? 0 : key.starts_with("SITE.") ? 1 : 2;
        cf::LookupResult result;
        ASSERT_EQ(0, cf::lookup_in_domain(table, domain, key.substr(dot + 1).c_str(), 0, result))
            << key;
        std::string got = std::to_string(result.level) + ":";
        bool first = true;
        for (std::string_view v : result.values) got += (first ? "" : "|") + std::string(v), first = false;
        EXPECT_EQ(text, got) << key;
    }
}

orv::Ref<ORVConfigurationVariable> variable(const char *name, int level,
                                            std::vector<std::string> values) {
    return ORVConfigurationVariable::variableWithName(name, level, std::move(values));
}

TEST(FlatTableTest, StorageFollowsReadsStoresRemovalsAndCompaction) {
    auto table = ORVConfigurationTable::create();
    cf::read_domain_text("A USER 1 \"two words\"\nb ADMIN x\nA USER later\n", *table, cf_DOMAIN_SITE);
    cf::read_domain_text("A SYSTEM s\n", *table, cf_DOMAIN_SYS);
    Model model = {{"SITE.A", "0:later"}, {"SITE.B", "1:x"}, {"SYS.A", "3:s"}};
    expect_model(*table, model);
    EXPECT_EQ("b", table->variableForKey("site.b")->name());
    // A variable already made gives way to the one stored over it.
    table->setVariable(variable("A", 1, {"again"}).get(), "site.a");
    model["SITE.A"] = "1:again";

    // Replacing, adding and removing, enough times to compact the storage.
    for (int round = 0; round < 200; ++round) {
        const std::string n = std::to_string(round % 7);
        table->setVariable(variable(("v" + n).c_str(), round % 4, {n, std::to_string(round)}).get(),
                           "user.V" + n);
        model["USER.V" + n] = std::to_string(round % 4) + ":" + n + "|" + std::to_string(round);
        if (round % 5 == 0) {
            EXPECT_TRUE(table->removeVariable("USER.V" + n));
            model.erase("USER.V" + n);
        }
    }
    EXPECT_LT(table->recordCount(), 200u);
    expect_model(*table, model);

    table->resetVariables();
    EXPECT_FALSE(table->hasVariables());
    expect_model(*table, {});
    cf::read_domain_text("A USER again\n", *table, cf_DOMAIN_USER);
    expect_model(*table, {{"USER.A", "0:again"}});

    // Keys without a domain stand beside the others, each once, through a rebuilt index.
    for (const char *key : {"X", "Y", "X"}) table->setVariable(variable(key, 0, {key}).get(), key);
    cf::read_domain_text("C USER c\n", *table, cf_DOMAIN_USER);
    cf::LookupResult found;
    ASSERT_EQ(0, cf::lookup_in_domain(*table, cf_DOMAIN_USER, "C", 0, found));
    std::vector<std::string> keys = table->allValueKeys();
    std::sort(keys.begin(), keys.end());
    EXPECT_EQ((std::vector<std::string>{"USER.A", "USER.C", "X", "Y"}), keys);
}

// ---- The shared region ----

using Bytes = std::vector<std::uint8_t>;

Bytes region_of(const std::vector<cf::NamedTable> &tables) {
    Bytes content;
    EXPECT_TRUE(cf::encode_share_archive(tables, content));
    Bytes region(content.size() + 4);
    const auto length = static_cast<std::uint32_t>(content.size());
    std::memcpy(region.data(), &length, 4);
    if (!content.empty()) std::memcpy(region.data() + 4, content.data(), content.size());
    return region;
}

void put32(Bytes &b, std::size_t at, std::uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

TEST(FlatRegionTest, DamagedRegionsAreRefusedWithAReason) {
    // One group "G" with one record of two values: the content header (16),
    // the directory (16) and the name (4) come first, so the table starts at
    // 40, its records at 72 and its value sizes at 96.
    auto table = ORVConfigurationTable::create();
    cf::read_domain_text("PORT USER 104 205\n", *table, cf_DOMAIN_SITE);
    const Bytes good = region_of({{"G", table}});
    std::vector<cf::SharedGroup> groups;
    ASSERT_EQ(cf::ShareRead::Ok, cf::check_share_region(good.data(), good.size(), groups));
    ASSERT_EQ(40u, groups.at(0).offset);

    struct Damage {
        const char *what;
        std::size_t at;
        std::uint32_t value;
        const char *reason;
    };
    const Damage cases[] = {
        {"previous layout's magic", 4, 0x4156524F, "not a region of this layout"},
        {"next version", 8, 3, "not a region of this layout"},
        {"more groups", 12, 2, "a group name lies outside its place"},
        {"table moved", 28, 44, "a table lies outside its place"},
        {"record count", 40 + 16, 2, "a table's counts do not match its size"},
        {"key past the text", 72, 1000, "a record's key lies outside the text"},
        {"key size past its NUL", 76, 5, "a record's key lies outside the text"},
        {"values past the sizes", 80, 1, "a record's values lie outside the sizes"},
        {"value size past its NUL", 96, 4, "a record's value lies outside the text"},
        {"dead record", 92, 1u << 8, "a record has unknown flags or domain"},
        {"domain 4", 92, 4, "a record has unknown flags or domain"},
        {"lower-case key", 104, 0x54524f70, "a record's key is not as tables store keys"},
        {"lower-case group name", 36, 'g', "a group name is not an upper-case string"},
        {"text without its last NUL", 116, 'A', "a table's text does not end with a NUL"},
    };
    for (const Damage &d : cases) {
        Bytes bytes = good;
        put32(bytes, d.at, d.value);
        std::string error;
        EXPECT_EQ(cf::ShareRead::BadArchive,
                  cf::check_share_region(bytes.data(), bytes.size(), groups, &error))
            << d.what;
        EXPECT_EQ(d.reason, error) << d.what;
        EXPECT_TRUE(groups.empty()) << d.what;
    }
}

TEST(FlatRegionTest, TablesReadTheRegionInPlaceAndCopyItBeforeAChange) {
    auto site = ORVConfigurationTable::create();
    cf::read_domain_text("PORT USER 104\nws12.PORT ADMIN 4104\nLIST USER a b c\n", *site,
                         cf_DOMAIN_SITE);
    cf::BehaviorMap behaviors = {{"PORT_*", 0x30}};
    auto empty = ORVConfigurationTable::create(0x20, &behaviors);
    const Bytes bytes = region_of({{"SITE", site}, {"EMPTY", empty}});
    const auto region = std::make_shared<const cf::RegionBytes>(bytes.begin(), bytes.end());
    std::vector<cf::SharedGroup> groups;
    ASSERT_EQ(cf::ShareRead::Ok, cf::check_share_region(region->data(), region->size(), groups));
    ASSERT_EQ(2u, groups.size());
    auto first = cf::build_shared_table(region, groups[0].offset, groups[0].size);
    auto second = cf::build_shared_table(region, groups[0].offset, groups[0].size);
    auto other = cf::build_shared_table(region, groups[1].offset, groups[1].size);
    ASSERT_TRUE(first && second && other);
    EXPECT_FALSE(other->hasVariables());
    EXPECT_EQ(0x30u, other->behaviorForName("port_a"));

    const Model model = {{"SITE.PORT", "0:104"}, {"SITE.WS12.PORT", "1:4104"}, {"SITE.LIST", "0:a|b|c"}};
    expect_model(*first, model);
    // Values are read where the region holds them.
    cf::LookupResult result;
    ASSERT_EQ(0, cf::lookup_in_domain(*first, cf_DOMAIN_SITE, "LIST", 0, result));
    const auto *at = reinterpret_cast<const std::uint8_t *>(result.values.front().data());
    EXPECT_TRUE(at > region->data() && at < region->data() + region->size());

    first->setVariable(variable("PORT", 0, {"999"}).get(), "SITE.PORT");
    Model changed = model;
    changed["SITE.PORT"] = "0:999";
    expect_model(*first, changed);
    expect_model(*second, model);
}

}  // namespace

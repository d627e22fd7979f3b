// Configuration tables and variables: the behavior pattern matcher and its
// cache, the save rule, keys, the name listings, the archived form (with
// corrupt archives), loading the behavior file, and the flat storage:
// variables stay right through reads, stores, removals, resets and
// compaction, and the shared region's flat form is refused when damaged and
// read in place when sound.
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include "config/ORVConfigurationTable.h"
#include "config/ORVConfigurationTable_testing.h"
#include "config/cf_domainfile.h"
#include "config/cf_lookup.h"
#include "config/cf_share.h"

#include <ORVCommonKit/orvstr.h>

#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/tr.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string Corrupt =
    "\n*** Your installation is corrupt: report to Service and to Engineering. ***";

// Reports caught through the trace call-back.
class CapturedTest : public ::testing::Test {
protected:
    void SetUp() override { trace_.start(); }
    void TearDown() override { trace_.stop(); }

    orvtest::TraceCapture trace_;
};

// A table owned by the test.
struct Table {
    explicit Table(ORVConfigurationTable *t) : t(t) {}
    Table(unsigned group, std::vector<const char *> keys, std::vector<unsigned> behaviors)
        : t(orv_cftest_table_create(group, keys.data(), behaviors.data(),
                                    static_cast<int>(keys.size()))) {}
    ~Table() { cf_free_table(&t); }
    Table(const Table &) = delete;
    Table &operator=(const Table &) = delete;
    operator ORVConfigurationTable *() const { return t; }
    ORVConfigurationTable *t;
};

void set(ORVConfigurationTable *t, const char *key, const char *name, int level,
         std::vector<const char *> values) {
    orv_cftest_set_variable(t, key, name, level, values.data(), static_cast<int>(values.size()), 0);
}

// ---- Pattern matcher ----

TEST(PatternMatchTest, StarsMatchWithoutBacktrackingOrRegardToCase) {
    const struct { const char *pattern, *name; bool match; } cases[] = {
        {"PORT_*", "PORT_A", true}, {"PORT_*", "PORT_", true}, {"PORT_*", "PORT_A.B", true},
        {"PORT_*", "PORT", false}, {"PORT_*", "XPORT_A", false}, {"PORT_*", "port_a", true},
        {"*_PORT", "A_PORT", true}, {"*_PORT", "_PORT", true}, {"*_port", "A_PORT", true},
        // A leading star stops at the first occurrence; text remains.
        {"*_PORT", "A_PORT_B_PORT", false}, {"*_PORT", "A_POR", false},
        {"A*B*C", "AXBYC", true}, {"A*B*C", "ABC", true}, {"A*B*C", "AXBYCZ", false},
        {"A*B*C", "AXYC", false}, {"*", "ANYTHING.AT.ALL", true}, {"**", "", true}, {"*X*", "AXB", true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.match, orv_cftest_pattern_matches(c.pattern, c.name)) << c.pattern << " " << c.name;
}

// ---- Behaviors and the save rule ----

TEST(BehaviorTest, ExactEntriesThenPatternsThenTheGroupAndOnlyMatchesAreCached) {
    Table t(0x20, {"PORT_*", "port_b"}, {0x30, 0x22}), plain(0x20, {"PORT_A"}, {0x30});
    unsigned cached = 0;
    EXPECT_FALSE(orv_cftest_cached_behavior(t, "PORT_A", &cached));
    EXPECT_EQ(orv_cftest_behavior_for_name(t, "port_a"), 0x30u);
    ASSERT_TRUE(orv_cftest_cached_behavior(t, "PORT_A", &cached));
    EXPECT_EQ(cached, 0x30u);
    EXPECT_EQ(orv_cftest_behavior_for_name(t, "Port_B"), 0x22u);
    EXPECT_FALSE(orv_cftest_cached_behavior(t, "PORT_B", &cached));
    EXPECT_EQ(orv_cftest_behavior_for_name(t, "PORTX"), 0x20u);
    EXPECT_FALSE(orv_cftest_cached_behavior(t, "PORTX", &cached));
    // A table without wildcards never consults the matcher.
    EXPECT_FALSE(orv_cftest_has_wildcards(plain));
    EXPECT_EQ(orv_cftest_behavior_for_name(plain, "PORT_B"), 0x20u);
    EXPECT_FALSE(orv_cftest_cached_behavior(plain, "PORT_B", &cached));
}

TEST(BehaviorTest, SaveIsAllowedOnlyWhenEveryBehaviorIsPlainHost) {
    EXPECT_TRUE(orv_cftest_is_save_allowed(Table(0x20, {"A"}, {0x20})));
    EXPECT_FALSE(orv_cftest_is_save_allowed(Table(0x20, {"A"}, {0x22})));
    EXPECT_FALSE(orv_cftest_is_save_allowed(Table(0x30, {"A"}, {0x20})));
    // The flag is decided by every key, not only the first ones walked.
    EXPECT_FALSE(orv_cftest_is_save_allowed(Table(0x20, {"A*", "B", "C"}, {0x20, 0x20, 0x21})));
}

// ---- Variables and keys ----

TEST(TableVariablesTest, SetsKeepMissingFieldsAndRemovalsLeaveTheTableFilled) {
    Table t(orv_cftest_table_create(0x20, nullptr, nullptr, -1));
    EXPECT_FALSE(orv_cftest_has_variables(t));
    // A later set replaces, and missing fields stay missing.
    set(t, "SITE.X", "X", 0, {"1"});
    orv_cftest_set_variable(t, "site.x", "x", -1, nullptr, -1, 1);
    EXPECT_STREQ(orv_cftest_variable_text(t, "SITE.X"), "x - [none] new");
    EXPECT_EQ(orv_cftest_variable_text(t, "USER.X"), nullptr);
    // Removing the only variable leaves a filled but empty table.
    EXPECT_TRUE(orv_cftest_remove_variable(t, "site.x"));
    EXPECT_FALSE(orv_cftest_remove_variable(t, "site.x"));
    EXPECT_TRUE(orv_cftest_has_variables(t));
}

// ---- Name listings ----

TEST(NameListingTest, UniqueNamesWithAndWithoutHostHideDeeperNamesBehindTheirTail) {
    Table t(orv_cftest_table_create(0x20, nullptr, nullptr, -1));
    EXPECT_STREQ(orv_cftest_unique_names(t, 0), "");
    set(t, "SITE.PORT", "Port", 0, {"1"});
    set(t, "USER.PORT", "PORT", 0, {"2"});
    set(t, "SITE.WS12.PORT", "ws12.PORT", 0, {"3"});
    set(t, "SITE.WS12.MODE", "ws12.mode", 0, {"4"});
    set(t, "SITE.$READ.PORT", "$READ.PORT", 0, {"5"});
    set(t, "SITE.$READ.SPEED", "$READ.SPEED", 0, {"6"});  // group-qualified names are never listed
    set(t, "SITE.A.B.C", "a.b.c", 0, {});
    set(t, "SITE.B.C", "b.c", 0, {});
    set(t, "SITE.X.Y.Z", "x.y.z", 0, {});
    EXPECT_STREQ(orv_cftest_unique_names(t, 0), "B.C,PORT,WS12.MODE,X.Y.Z");
    // With hosts every qualified name stays.
    EXPECT_STREQ(orv_cftest_unique_names(t, 1), "A.B.C,B.C,PORT,WS12.MODE,WS12.PORT,X.Y.Z");
}

TEST(NameListingTest, NameSortOrdersByCountThenFromTheLastComponent) {
    const struct { const char *a, *b; int order; } cases[] = {
        {"Z", "A.B", -1}, {"A.B", "Z", 1}, {"Z.A", "A.B", -1}, {"A.B", "B.B", -1},
        {"a.B", "A.B", 1} /* by byte value */, {"A.B", "A.B", 0},
    };
    for (const auto &c : cases) EXPECT_EQ(c.order, orv_cftest_name_sort(c.a, c.b)) << c.a << " " << c.b;
}

// ---- Archived form ----

class TableArchiveTest : public CapturedTest {
protected:
    // A table with every field in use.
    static ORVConfigurationTable *full_table() {
        std::vector<const char *> keys = {"PORT_*", "SERVERS"};
        std::vector<unsigned> behaviors = {0x30, 0x22};
        ORVConfigurationTable *t = orv_cftest_table_create(0x20, keys.data(), behaviors.data(), 2);
        set(t, "SITE.PORT_A", "port_a", 1, {"104", "Main viewer", ""});
        set(t, "USER.WS12.SERVERS", "ws12.SERVERS", 3, {});
        orv_cftest_set_variable(t, "SYS.X", "X", -1, nullptr, -1, 1);
        orv_cftest_behavior_for_name(t, "PORT_A");
        return t;
    }

    std::vector<unsigned char> encode(ORVConfigurationTable *t) {
        unsigned char *bytes = nullptr;
        size_t length = 0;
        EXPECT_EQ(orv_cftest_encode(t, &bytes, &length), 0);
        std::vector<unsigned char> out(bytes, bytes + length);
        std::free(bytes);
        return out;
    }
    // The reason an archive built from property-list text is refused, or "accepted".
    std::string refusal(const char *text) {
        unsigned char *bytes = nullptr;
        size_t length = 0;
        EXPECT_EQ(orv_cftest_encode_plist(text, &bytes, &length), 0) << text;
        Table t(orv_cftest_decode(bytes, length));
        std::free(bytes);
        return t.t ? "accepted" : orv_cftest_last_error();
    }
};

TEST_F(TableArchiveTest, RoundTripKeepsEveryField) {
    // A full table, and an empty one that stays unfilled and unsavable.
    for (ORVConfigurationTable *made : {full_table(), orv_cftest_table_create(0, nullptr, nullptr, -1)}) {
        Table original(made);
        const std::string before = orv_cftest_dump(original);
        auto bytes = encode(original);
        Table copy(orv_cftest_decode(bytes.data(), bytes.size()));
        ASSERT_NE(copy.t, nullptr) << orv_cftest_last_error();
        EXPECT_EQ(orv_cftest_dump(copy), before);
        // The copy works: the matcher runs on it.
        EXPECT_EQ(orv_cftest_behavior_for_name(copy, "port_zz"), orv_cftest_group_behavior(copy) ? 0x30u : 0u);
    }
}

TEST_F(TableArchiveTest, EveryTruncationAndEveryFlippedByteIsSafe) {
    Table original(full_table());
    auto bytes = encode(original);
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        Table t(orv_cftest_decode(bytes.data(), n));
        EXPECT_EQ(t.t, nullptr) << "accepted a prefix of " << n << " bytes";
    }
    // A flipped byte must never crash; it may still decode to a table.
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto copy = bytes;
        copy[i] ^= 0xFF;
        Table t(orv_cftest_decode(copy.data(), copy.size()));
    }
    EXPECT_EQ(Table(orv_cftest_decode(nullptr, 0)).t, nullptr);
}

TEST_F(TableArchiveTest, GraphsOfTheWrongShapeAreRefused) {
    // Property-list text carries only strings: a version that is not an
    // integer is refused like a wrong one.
    EXPECT_EQ(refusal("{ class = ORVConfigurationTable; version = 1; }"),
              "unsupported table version");
    EXPECT_EQ(refusal("( a, b )"), "table is not a dictionary");
    EXPECT_EQ(refusal("{ class = Other; version = 1; }"), "not a configuration table");
    EXPECT_EQ(refusal("{ class = ORVConfigurationTable; version = 2; }"),
              "unsupported table version");
}

// ---- Behavior file ----

class BehaviorFileTest : public CapturedTest {};

TEST_F(BehaviorFileTest, ExampleFileGivesTablesWithHostBitAdded) {
    ASSERT_EQ(orv_cftest_load_behaviors_text(
                  "{ viewer = { default = 0x20; variables = { \"PORT_*\" = 0x10; SERVERS = 0x02; "
                  "}; }; plain = { }; group = { default = 0x12; }; }"),
              0);
    EXPECT_TRUE(trace_.errors().empty());
    EXPECT_STREQ(orv_cftest_loaded_groups(), "GROUP,PLAIN,VIEWER");
    ORVConfigurationTable *viewer = orv_cftest_loaded_table("VIEWER");
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(orv_cftest_group_behavior(viewer), 0x20u);
    EXPECT_EQ(orv_cftest_behavior_for_name(viewer, "PORT_A"), 0x30u);
    EXPECT_EQ(orv_cftest_behavior_for_name(viewer, "servers"), 0x22u);
    EXPECT_FALSE(orv_cftest_is_save_allowed(viewer));
    ORVConfigurationTable *plain = orv_cftest_loaded_table("PLAIN");
    EXPECT_EQ(orv_cftest_group_behavior(plain), 0x20u);
    EXPECT_TRUE(orv_cftest_is_save_allowed(plain));
    // Group "group" always has behavior 0, whatever the file says.
    EXPECT_EQ(orv_cftest_group_behavior(orv_cftest_loaded_table("GROUP")), 0u);
    EXPECT_FALSE(orv_cftest_is_save_allowed(orv_cftest_loaded_table("GROUP")));
}

TEST_F(BehaviorFileTest, BadValuesAreReportedAndStopTheLoadUnlessOnlyTheMixIsWrong) {
    const std::string load_error = "IN 'ORVCommonKit' INFORM 'log' TITLE 'CF': ERROR loading configuration behaviors. ";
    const struct {
        const char *text, *groups;
        std::vector<std::string> errors;
    } cases[] = {
        {"{ first = { }; bad = { default = zz; }; after = { }; }", "FIRST",
         {"Cannot parse default value for \"bad\"."}},
        {"{ viewer = { variables = { Port = \"0x\"; }; }; after = { }; }", "",
         {"Cannot parse value for \"Port\" in group \"viewer\"."}},
        {"{ viewer = { default = 0x04; variables = { A = 4; B = 0x14; }; }; }", "GROUP,VIEWER",
         {"Invalid behavior mix in default value for \"viewer\".",
          "Invalid behavior mix in value for \"A\" in group \"viewer\"."}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        trace_.clear();
        EXPECT_EQ(orv_cftest_load_behaviors_text(c.text), cf_BEHAVIOR_FILE);
        EXPECT_STREQ(orv_cftest_loaded_groups(), c.groups);
        std::vector<std::string> expected;
        for (const std::string &e : c.errors) expected.push_back(load_error + e + Corrupt);
        EXPECT_EQ(expected, trace_.errors());
    }
    ORVConfigurationTable *viewer = orv_cftest_loaded_table("VIEWER");
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(orv_cftest_group_behavior(viewer), 0x24u);
    EXPECT_EQ(orv_cftest_behavior_for_name(viewer, "b"), 0x34u);
}

TEST_F(BehaviorFileTest, MissingOrMalformedFileIsReportedOnce) {
    orvtest::TempDir dir;
    tr_ignore_traces_below_level_quietly(tr_LOW);
    for (const char *text : {"", "{ viewer = { default = 0x20; }; ", "( viewer )", "{ viewer = 0x20; }"}) {
        trace_.clear();
        const std::string path = *text ? dir.write("behavior.plist", text) : dir / "none.plist";
        EXPECT_EQ(orv_cftest_load_behaviors_file(path.c_str()), cf_BEHAVIOR_FILE) << text;
        // The trace says why a file that is not there was not read.
        EXPECT_EQ(!*text, trace_.traced("cannot read \"" + path + "\""));
        EXPECT_EQ(trace_.errors(), std::vector<std::string>{"IN 'ORVCommonKit' INFORM 'log' TITLE 'CF': ERROR loading "
                                                            "configuration behaviors." + Corrupt});
        EXPECT_STREQ(orv_cftest_loaded_groups(), "");
    }
}

TEST(BehaviorNumberTest, HexadecimalWithOptionalPrefix) {
    const std::pair<const char *, unsigned> good[] = {{"0x30", 0x30}, {" 1f ", 0x1f}, {"0X0", 0}, {"fFfFfFfF", 0xffffffffu}};
    for (const auto &[text, value] : good) {
        unsigned v = 7;
        EXPECT_TRUE(orv_cftest_parse_behavior(text, &v)) << text;
        EXPECT_EQ(v, value) << text;
    }
    unsigned v = 0;
    for (const char *bad : {"", "0x", "zz", "0x3g", "-1", "100000000", "1 2"})
        EXPECT_FALSE(orv_cftest_parse_behavior(bad, &v)) << bad;
}

// ---- Flat storage ----

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
    // A table's padding after its text (117 to 119) holds zeros only.
    Bytes padded = good;
    padded.at(118) = 1;
    std::string reason;
    EXPECT_EQ(cf::ShareRead::BadArchive, cf::check_share_region(padded.data(), padded.size(), groups, &reason));
    EXPECT_EQ("a table's padding is not zero", reason);
    // A lower-case letter above ASCII among a key's first eight bytes.
    auto wide = ORVConfigurationTable::create();
    cf::read_domain_text("PORTABLE USER 104 205\n", *wide, cf_DOMAIN_SITE);
    Bytes bytes = region_of({{"G", wide}});
    bytes.at(105) = 0xe9;
    EXPECT_EQ(cf::ShareRead::BadArchive, cf::check_share_region(bytes.data(), bytes.size(), groups));
    // The name of a table's only behavior, past its text (a table without
    // records holds its behaviors right after its header, at 72).
    cf::BehaviorMap behaviors = {{"PORT_*", 0x30}};
    bytes = region_of({{"G", ORVConfigurationTable::create(0x20, &behaviors)}});
    put32(bytes, 72, 1000);
    std::string error;
    EXPECT_EQ(cf::ShareRead::BadArchive, cf::check_share_region(bytes.data(), bytes.size(), groups, &error));
    EXPECT_EQ("a behavior name lies outside the text", error);
}

TEST(FlatRegionTest, ARegionHoldingAKeyTwiceAnswersWithTheLaterEntry) {
    // No exporter writes a key twice, but the check does not refuse it.
    auto site = ORVConfigurationTable::create();
    cf::read_domain_text("PORT USER 104\nPORU USER 205\n", *site, cf_DOMAIN_SITE);
    Bytes bytes = region_of({{"SITE", site}});
    const std::string_view text(reinterpret_cast<const char *>(bytes.data()), bytes.size());
    bytes[text.find("PORU") + 3] = 'T';
    const auto region = std::make_shared<const cf::RegionBytes>(bytes.begin(), bytes.end());
    std::vector<cf::SharedGroup> groups;
    ASSERT_EQ(cf::ShareRead::Ok, cf::check_share_region(region->data(), region->size(), groups));
    auto table = cf::build_shared_table(region, groups[0].offset, groups[0].size);
    ASSERT_TRUE(table);
    EXPECT_EQ("0:205", text_of(table->variableForKey("SITE.PORT")));
    EXPECT_EQ(std::vector<std::string>{"SITE.PORT"}, table->allValueKeys());
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

// ---- Refilling a table and its lookup index ----

using VariableRef = orv::Ref<ORVConfigurationVariable>;

class TableRefillTest : public CapturedTest {};

TEST_F(TableRefillTest, VariableHeldElsewhereIsNotReusedByTheNextRead) {
    auto table = ORVConfigurationTable::create();
    cf::read_domain_text("A USER 1 2\nB USER 3\n", *table, cf_DOMAIN_SITE);
    // A variable is made once, whatever the spelling of its key.
    EXPECT_EQ(table->variableForKey("SITE.A"), table->variableForKey("site.a"));
    VariableRef held = VariableRef::retain(table->variableForKey("SITE.A"));
    table->resetVariables();
    EXPECT_FALSE(table->hasVariables());
    cf::read_domain_text("B USER 9\nA ADMIN 7\n", *table, cf_DOMAIN_SITE);
    EXPECT_EQ("0:1|2", text_of(held.get()));
    EXPECT_NE(held.get(), table->variableForKey("SITE.A"));
    EXPECT_EQ("1:7", text_of(table->variableForKey("SITE.A")));
    EXPECT_EQ("0:9", text_of(table->variableForKey("SITE.B")));
}

TEST_F(TableRefillTest, ReadingNoEntryLeavesAResetTableUnfilled) {
    auto table = ORVConfigurationTable::create();
    cf::read_domain_text("A USER 1\n", *table, cf_DOMAIN_SYS);
    table->resetVariables();
    cf::read_domain_text("# nothing\n\n   \nB ROOT x\n", *table, cf_DOMAIN_SYS);
    EXPECT_FALSE(table->hasVariables());
    EXPECT_EQ(0u, table->liveCount());
    cf::read_domain_text("A USER 2\n", *table, cf_DOMAIN_SYS);
    EXPECT_TRUE(table->hasVariables());
    EXPECT_EQ(1u, table->liveCount());
}

TEST_F(TableRefillTest, IndexFollowsStoresRemovalsAndResets) {
    auto table = ORVConfigurationTable::create();
    auto find = [&](std::string_view name) { return table->indexedName(name, cf::hash_name(name)); };
    EXPECT_EQ(nullptr, find("PORT"));
    cf::read_domain_text("PORT USER 1\nws12.lab.MODE USER 2\n", *table, cf_DOMAIN_USER);
    // The variable a domain's record of a name holds, as the table makes it.
    auto stored = [&](std::string_view name, int domain) -> const ORVConfigurationVariable * {
        const cf::IndexedName *e = find(name);
        if (!e || e->records[domain] < 0) return nullptr;
        return table->variableForUpperKey(
            table->key(table->record(static_cast<std::size_t>(e->records[domain]))));
    };
    const cf::IndexedName *port = find("PORT");
    ASSERT_NE(nullptr, port);
    EXPECT_FALSE(port->qualified());
    EXPECT_EQ(cf::IndexedName::kNone, port->records[cf_DOMAIN_SYS]);
    EXPECT_EQ("USER.PORT", table->key(table->record(static_cast<std::size_t>(port->records[cf_DOMAIN_USER]))));
    // Every shorter name behind a full stop is marked as qualified.
    ASSERT_NE(nullptr, find("MODE"));
    EXPECT_TRUE(find("MODE")->qualified());
    EXPECT_EQ(nullptr, stored("MODE", cf_DOMAIN_USER));
    EXPECT_TRUE(find("LAB.MODE")->qualified());
    EXPECT_EQ("0:2", text_of(stored("WS12.LAB.MODE", cf_DOMAIN_USER)));

    // Stored into a current index: updated in place.
    auto sys = variable("ws13.Port", 0, {"3"});
    table->setVariable(sys.get(), "sys.ws13.port");
    EXPECT_TRUE(table->indexCurrent());
    EXPECT_TRUE(find("PORT")->qualified());
    EXPECT_EQ("0:3", text_of(stored("WS13.PORT", cf_DOMAIN_SYS)));
    EXPECT_EQ("ws13.Port", stored("WS13.PORT", cf_DOMAIN_SYS)->name());
    // A key that names no domain can never be asked for.
    table->setVariable(sys.get(), "OTHER.PORT");
    EXPECT_EQ(nullptr, find("OTHER.PORT"));
    EXPECT_EQ("0:3", text_of(table->variableForKey("other.port")));

    EXPECT_TRUE(table->removeVariable("user.port"));
    EXPECT_EQ(nullptr, stored("PORT", cf_DOMAIN_USER));
    table->resetVariables();
    EXPECT_EQ(nullptr, find("PORT"));
    EXPECT_EQ(nullptr, find("WS13.PORT"));
}

TEST_F(TableRefillTest, UpperCopyFoldsEveryLengthLikeTheByteTable) {
    // ASCII, Windows-1252 letters and bytes that fold to nothing, at every
    // length and offset around the eight-byte blocks.
    const std::string text = "ab{z`Az\xe9\xff\xe0-9_ \x9a\x80mixed.Case~1234567890qwertyUIOP@[";
    for (std::size_t start = 0; start < 9; ++start) {
        for (std::size_t size = 0; start + size <= text.size(); ++size) {
            std::string expected = text.substr(start, size);
            for (char &c : expected) c = orvchar_to_upper(c);
            std::string out(size, '?');
            cf::upper_copy(text.data() + start, size, out.data());
            ASSERT_EQ(expected, out) << "start " << start << " size " << size;
            std::string in_place = text.substr(start, size);
            cf::upper_copy(in_place.data(), size, in_place.data());
            ASSERT_EQ(expected, in_place) << "start " << start << " size " << size;
        }
    }
}

}  // namespace

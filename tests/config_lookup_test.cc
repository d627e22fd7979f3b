// Configuration lookups: layering of the three domains, host-qualified names,
// host groups and name groups, value expansion, typed and joined results with
// their defaults, value lists, the search and listing operations, and the
// reports of each, in a temporary installation of its own for every test.
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include "config/ORVConfigurationTable_testing.h"
#include "config/cf_module_testing.h"

#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/orvobjects.h>
#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/orvstr.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using orvtest::TempInstallation;
using orvtest::TraceCapture;

// Behaviors of the groups used below (0x20 is added to each by the loader).
const char *const Behaviors = R"({
    viewer = {
        variables = {
            "PORT_*" = 0x10;
            SPEED = 0x08;
            "*.SPEED" = 0x08;
            MODE = 0x14;
            SERVERS = 0x01;
            HOSTS = 0x03;
        };
    };
    plain = { default = 0x00; };
})";

// Terms: READING holds ws12 and ws13, CT_ROOM holds ws13 and ct1.
const char *const Terms = "LIST_OF_GROUPS USER READING CT_ROOM\n"
                          "READING USER ws12 ws13\n"
                          "CT_ROOM USER ws13 ct1\n";

class ConfigLookupTest : public ::testing::Test {
protected:
    void SetUp() override {
        cf_term();
        trace_.start();
        dir_.write("sys/data/cf/behavior.plist", Behaviors);
        dir_.write("site/config/group.site", Terms);
    }
    void TearDown() override {
        cf_term();
        trace_.stop();
    }

    // Starts as user jdoe in user domain RAD on host ws12.
    void start() {
        ASSERT_EQ(0, cf_init_ex("jdoe", "RAD"));
        orv_cfmodule_testing_set_local_host("ws12");
    }
    void sys(const std::string &text) { dir_.write("sys/config/viewer.base", text); }
    void site(const std::string &text) { dir_.write("site/config/viewer.site", text); }
    void user(const std::string &text) { dir_.write("user/config/viewer.user.jdoe.RAD", text); }

    // The values of a variable of group viewer joined by "|", or the status.
    std::string get(const char *name, int domain = cf_DOMAIN_ALL, const char *host = "ws12") {
        char *values[cf_MAX_VALUES];
        int count = -1;
        const int status =
            cf_get_for_host(domain, "viewer", name, host, nullptr, &count, values);
        if (status != 0) return "status " + std::to_string(status);
        std::string out;
        for (int i = 0; i < count; ++i) out += (i ? "|" : "") + std::string(values[i]);
        cf_free(values, count);
        return out;
    }

    ORVConfigurationTable *table() { return orv_cfmodule_testing_table("viewer"); }

    TempInstallation dir_;
    TraceCapture trace_;
};

// One lookup after the three domain files were written (nothing for a null
// text): the variable's values joined by "|", or the status; the first error
// reported, if any.
struct Lookup {
    const char *sys, *site, *user, *name;
    int domain;
    const char *host, *expected, *error = nullptr;
};

TEST_F(ConfigLookupTest, DomainsHostsGroupsAndExpansionDecideTheValues) {
    const int ALL = cf_DOMAIN_ALL, SITE = cf_DOMAIN_SITE, SYS = cf_DOMAIN_SYS, USER = cf_DOMAIN_USER;
    const char *const layered_site = "PORT USER 104\n", *const hosts = "ws12.PORT USER 4104\nPORT USER 104\n",
                      *const groups = "$READING.PORT_A USER 5104\nPORT_A USER 104\nws13.PORT_A USER 6104\n",
                      *const strict = "$READING.MODE USER fast\n$CT_ROOM.MODE USER slow\n",
                      *const names = "$READING.SPEED USER 10\nct1.SPEED USER 30\n",
                      *const expanding = "SERVERS USER $CT_ROOM:4104 $$HOME alpha\nHOSTS USER $READING $ct_room:1\n"
                                         "PLAIN USER $READING\n",
                      *const dotted = "ws12.lab.PORT USER 1\nlab.PORT USER 2\nPORT USER 3\n.PORT USER 4\n";
    const Lookup lookups[] = {
        // A user entry hides site and sys entries; each domain alone gives its own.
        {"PORT USER 4\n", layered_site, "PORT ADMIN 204\n", "PORT", USER, "ws12", "204"},
        {"PORT USER 4\n", layered_site, "PORT ADMIN 204\n", "PORT", ALL, "ws12", "204"},
        {"PORT USER 4\n", layered_site, "PORT ADMIN 204\n", "PORT", SITE, "ws12", "104"},
        {"PORT USER 4\n", layered_site, "PORT ADMIN 204\n", "PORT", SYS, "ws12", "4"},
        {"PORT USER 4\n", layered_site, "PORT ADMIN 204\n", "PORT", 3, "ws12", "status -4999",
         "IN 'cf' INFORM 'programmer' TITLE 'BAD_DOMAIN': Invalid domain: 3."},
        // An entry without values hides the lower domains.
        {nullptr, layered_site, "PORT USER\n", "PORT", ALL, "ws12", "status -4984"},
        // A host-qualified name wins for its host only, in any case.
        {nullptr, hosts, nullptr, "PORT", ALL, "ws12", "4104"}, {nullptr, hosts, nullptr, "PORT", ALL, "WS12", "4104"},
        {nullptr, hosts, nullptr, "PORT", ALL, "ws13", "104"},
        // A plain user entry hides a host-qualified site entry.
        {"ws12.PORT USER 9\n", "ws12.PORT USER 4104\n", "PORT USER 204\n", "PORT", ALL, "ws12", "204"},
        {"ws12.PORT USER 9\n", "ws12.PORT USER 4104\n", "PORT USER 204\n", "PORT", SITE, "ws12", "4104"},
        {"ws12.PORT USER 9\n", "ws12.PORT USER 4104\n", "PORT USER 204\n", "PORT", SYS, "ws12", "9"},
        // A host-group entry applies to every host of its term, after the host's own name.
        {nullptr, groups, nullptr, "PORT_A", ALL, "ws12", "5104"}, {nullptr, groups, nullptr, "PORT_A", ALL, "ws13", "6104"},
        {nullptr, groups, nullptr, "PORT_A", ALL, "ct1", "104"},
        // Without the host-group behavior the group entry is never tried.
        {nullptr, "$READING.PORT USER 5104\nPORT USER 104\n", nullptr, "PORT", ALL, "ws12", "104"},
        // A strict host-group lookup refuses two matches.
        {nullptr, strict, nullptr, "MODE", ALL, "ws12", "fast"}, {nullptr, strict, nullptr, "MODE", ALL, "ct1", "slow"},
        // Without the strict bit the first term listed for the host wins.
        {nullptr, "$CT_ROOM.PORT_B USER c\n$READING.PORT_B USER r\n", nullptr, "port_b", ALL, "ws13", "r"},
        {nullptr, strict, nullptr, "MODE", ALL, "ws13", "status -4983",
         "IN 'cf' INFORM 'log' TITLE 'GET': ERROR SITE variable \"MODE\" ambiguous multiple matches including "
         "\"SITE.$CT_ROOM.MODE\": -4983."},
        // A name-group entry applies to every element of its term.
        {nullptr, names, nullptr, "ws13.SPEED", ALL, "ws12", "10"}, {nullptr, names, nullptr, "WS12.speed", ALL, "ws12", "10"},
        {nullptr, names, nullptr, "ct1.SPEED", ALL, "ws12", "30"},
        {nullptr, names, nullptr, "ws99.SPEED", ALL, "ws12", "status -5000"},
        {nullptr, names, nullptr, ".SPEED", ALL, "ws12", "status -5000"},
        // Values expand with suffixes and lists.
        {nullptr, expanding, nullptr, "SERVERS", ALL, "ws12", "ws13:4104|ct1:4104|$HOME|alpha"},
        {nullptr, expanding, nullptr, "HOSTS", ALL, "ws12", "ws12|ws13|ws13:1|ct1:1"},
        {nullptr, expanding, nullptr, "PLAIN", ALL, "ws12", "$READING"},
        {nullptr, "SERVERS USER $READING\n", nullptr, "SERVERS", ALL, "ws12", "status -1",
         "IN 'ORVCommonKit' INFORM 'log' TITLE 'EXPAND': Do not know how to expand \"$READING\"."},
        // Host names with full stops find their entries; the key is also host ws12 with the name lab.PORT.
        {nullptr, dotted, nullptr, "PORT", ALL, "ws12.lab", "1"}, {nullptr, dotted, nullptr, "PORT", ALL, "lab", "2"},
        {nullptr, dotted, nullptr, "PORT", ALL, "ws13", "3"}, {nullptr, dotted, nullptr, "PORT", ALL, "", "4"},
        {nullptr, dotted, nullptr, "lab.PORT", ALL, "ws12", "1"}, {nullptr, dotted, nullptr, "lab.PORT", ALL, "ws13", "2"},
        {nullptr, dotted, nullptr, "ws12", ALL, "ws13", "status -5000"},
    };
    for (const Lookup &l : lookups) {
        SCOPED_TRACE(std::string(l.site) + "for " + l.name + " on " + l.host + " in " + std::to_string(l.domain));
        cf_term();
        sys(l.sys ? l.sys : "");
        site(l.site);
        user(l.user ? l.user : "");
        start();
        trace_.clear();
        EXPECT_EQ(l.expected, get(l.name, l.domain, l.host));
        EXPECT_EQ(l.error ? l.error : "", trace_.errors().empty() ? "" : trace_.errors()[0]);
    }
    // The level of the entry found comes back too.
    int level = -1, count = 0;
    char *values[cf_MAX_VALUES];
    cf_term();
    sys("");
    user("PORT ADMIN 204\n");
    start();
    ASSERT_EQ(0, cf_get(cf_DOMAIN_ALL, "viewer", "port", &level, &count, values));
    EXPECT_EQ(cf_ADMIN_PRIV, level);
    EXPECT_EQ(0, cf_free(values, count));
}

// ---- Layering ----

TEST_F(ConfigLookupTest, OneDomainLookupDoesNotDescend) {
    site("PORT USER 104\n");
    start();
    char *values[cf_MAX_VALUES];
    int count = -1;
    EXPECT_EQ(cf_NOT_FOUND, cf_get_from_domain(cf_DOMAIN_SYS, "viewer", "PORT", nullptr, &count,
                                               values));
    EXPECT_EQ(cf_NOT_FOUND, cf_get_from_domain(cf_DOMAIN_USER, "viewer", "PORT", nullptr, &count,
                                               values));
    ASSERT_EQ(0, cf_get_from_domain(cf_DOMAIN_SITE, "viewer", "PORT", nullptr, &count, values));
    EXPECT_STREQ("104", values[0]);
    cf_free(values, count);
    EXPECT_EQ(cf_BAD_DOMAIN, cf_get_from_domain(cf_DOMAIN_ALL, "viewer", "PORT", nullptr, &count,
                                                values));
    ASSERT_EQ(1u, trace_.errors().size());
    EXPECT_EQ("IN 'cf' INFORM 'programmer' TITLE 'BAD_DOMAIN': Invalid domain: 4.",
              trace_.errors()[0]);
    EXPECT_EQ("status -4999", get("PORT", 3));
}

// ---- Host-qualified names, host groups, name groups ----

TEST_F(ConfigLookupTest, PrefixedTableLookupTakesTheHostGiven) {
    site("ws12.PORT USER 4104\nPORT USER 104\n");
    start();
    char *values[cf_MAX_VALUES];
    int count = 0;
    ASSERT_EQ(0, cf_get_from_table_with_prefix(table(), nullptr, cf_DOMAIN_ALL, "PORT", nullptr,
                                               &count, values));
    EXPECT_STREQ("104", values[0]);
    cf_free(values, count);
    ASSERT_EQ(0, cf_get_from_table_with_prefix(table(), "ws12", cf_DOMAIN_ALL, "PORT", nullptr,
                                               &count, values));
    EXPECT_STREQ("4104", values[0]);
    cf_free(values, count);
}

TEST_F(ConfigLookupTest, LocalHostComesBackAfterEveryHostCall) {
    site("PORT USER 104\nws12.PORT USER 4104\nws13.PORT USER 5104\n");
    start();
    char buffer[32];
    EXPECT_EQ(cf_FAILURE, cf_get_string_for_host(cf_DOMAIN_ALL, "nosuch", "PORT", "ws13", nullptr,
                                                 buffer, 31, nullptr));
    EXPECT_STREQ("ws12", orv_cfmodule_testing_current_host());
    EXPECT_EQ("5104", get("PORT", cf_DOMAIN_ALL, "ws13"));
    ASSERT_EQ(0, cf_get_string(cf_DOMAIN_ALL, "viewer", "PORT", nullptr, buffer, 31, nullptr));
    EXPECT_STREQ("4104", buffer);
    EXPECT_EQ("4104", get("PORT", cf_DOMAIN_ALL, nullptr));
    ASSERT_EQ(0, cf_get_string_for_host(cf_DOMAIN_ALL, "viewer", "PORT", "ct1", nullptr, buffer,
                                        31, nullptr));
    EXPECT_STREQ("104", buffer);
    EXPECT_STREQ("ws12", orv_cfmodule_testing_current_host());
}

TEST_F(ConfigLookupTest, BadTermDefinitionFailsTheGroupLookup) {
    dir_.write("site/config/group.site", "LIST_OF_GROUPS USER READING READING\nREADING USER a\n");
    site("$READING.PORT_A USER 5104\nPORT_A USER 104\n");
    start();
    EXPECT_EQ("status -4981", get("PORT_A", cf_DOMAIN_ALL, "ws12"));
    ASSERT_FALSE(trace_.errors().empty());
    EXPECT_EQ("IN 'ORVCommonKit' INFORM 'log' TITLE 'CF Load Expansions': Multiple declaration of "
              "expansion term \"READING\".",
              trace_.errors()[0]);
    // A host-qualified hit in the first domain searched needs no terms; one
    // in a lower domain comes after the host groups of the higher ones.
    site("ws12.PORT_A USER 4104\n");
    ASSERT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    EXPECT_EQ("status -4981", get("PORT_A", cf_DOMAIN_ALL, "ws12"));
    EXPECT_EQ("4104", get("PORT_A", cf_DOMAIN_SITE, "ws12"));
}

// ---- Value expansion ----

// ---- Typed lookups ----

class ConfigTypedTest : public ConfigLookupTest {
protected:
    void SetUp() override {
        ConfigLookupTest::SetUp();
        site("BIG USER 300\nNEG USER -5\nMIN USER -32768\nSMAX USER -32767\nHEX USER 0x10\n"
             "TAIL USER 12abc\nWRAP USER 4294967297\nHUGE USER 99999999999\nONE USER 1.5\n"
             "EXP USER 1e5\nYES USER YES\nFALSE USER False\nMAYBE USER maybe\n"
             "RECT USER \"XYWH 1 2 3 4\"\nLOWER USER \"xywh 1 2 3 4\"\nHALF USER \"XYWH 1 2\"\n"
             "BYTE USER 255 ignored\n");
        start();
    }
    int simple(const char *name, void *storage, int type, float def = 0) {
        return cf_get_simple(cf_DOMAIN_ALL, "viewer", name, nullptr, storage, type, def);
    }
};

// The storage of a typed lookup as text: "untouched", or the value(s) written.
std::string typed_text(const unsigned char *storage, int type) {
    const std::size_t sizes[] = {1, 2, 4, 4, 4, 1, 16};
    const std::size_t size = sizes[type];
    if (std::all_of(storage, storage + size, [](unsigned char b) { return b == 0x77; })) return "untouched";
    auto number = [](float f) {
        std::string text = std::to_string(f);
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
        return text;
    };
    std::string out;
    for (std::size_t at = 0; at < size; at += 4) {
        float f;
        std::int16_t s;
        std::int32_t i;
        if (!out.empty()) out += " ";
        if (type == cf_TYPE_BYTE || type == cf_TYPE_BOOL) return std::to_string(storage[0]);
        if (type == cf_TYPE_SHORT) return std::memcpy(&s, storage, 2), std::to_string(s);
        if (type == cf_TYPE_INT || type == cf_TYPE_LONG) return std::memcpy(&i, storage, 4), std::to_string(i);
        std::memcpy(&f, storage + at, 4);
        out += number(f);
    }
    return out;
}

TEST_F(ConfigTypedTest, ValuesConvertOrAreRefusedAndFailuresGiveTheDefault) {
    const struct {
        const char *name;
        int type;
        float def;
        int status;
        const char *value, *refused;  // the text of the mismatch report
    } cases[] = {
        {"BIG", cf_TYPE_BYTE, 0, cf_TYPE_MISMATCH, "untouched", "\"300\" is not byte"},
        {"NEG", cf_TYPE_BYTE, 0, cf_TYPE_MISMATCH, "untouched", "\"-5\" is not byte"},
        {"BYTE", cf_TYPE_BYTE, 0, 0, "255", nullptr},
        {"MIN", cf_TYPE_SHORT, 0, cf_TYPE_MISMATCH, "untouched", "\"-32768\" is not short"},
        {"SMAX", cf_TYPE_SHORT, 0, 0, "-32767", nullptr},
        {"HEX", cf_TYPE_INT, 0, cf_TYPE_MISMATCH, "untouched", "\"0x10\" is not integer"},
        {"TAIL", cf_TYPE_LONG, 0, cf_TYPE_MISMATCH, "untouched", "\"12abc\" is not long"},
        {"ONE", cf_TYPE_INT, 0, cf_TYPE_MISMATCH, "untouched", "\"1.5\" is not integer"},
        // Beyond their range integers follow the C library.
        {"WRAP", cf_TYPE_INT, 0, 0, "1", nullptr},
        {"HUGE", cf_TYPE_LONG, 0, 0, "2147483647", nullptr},
        {"ONE", cf_TYPE_FLOAT, 0, 0, "1.5", nullptr},
        {"EXP", cf_TYPE_FLOAT, 0, cf_TYPE_MISMATCH, "untouched", "\"1e5\" is not floating-point"},
        {"YES", cf_TYPE_BOOL, 0, 0, "1", nullptr},
        {"FALSE", cf_TYPE_BOOL, 0, 0, "0", nullptr},
        {"MAYBE", cf_TYPE_BOOL, 0, cf_TYPE_MISMATCH, "untouched", "\"maybe\" is not boolean"},
        {"RECT", cf_TYPE_RECT, 0, 0, "1 2 3 4", nullptr},
        {"LOWER", cf_TYPE_RECT, 0, cf_TYPE_MISMATCH, "untouched", "\"xywh 1 2 3 4\" is not NSRect"},
        {"HALF", cf_TYPE_RECT, 0, 0, "1 2 0 0", nullptr},
        // Any failure writes the default, cut to the type.
        {"MISSING", cf_TYPE_INT, 2.9f, cf_NOT_FOUND, "2", nullptr},
        {"MISSING", cf_TYPE_LONG, -2.9f, cf_NOT_FOUND, "-2", nullptr},
        {"MISSING", cf_TYPE_BOOL, 0.5f, cf_NOT_FOUND, "0", nullptr},
        {"MISSING", cf_TYPE_BYTE, 300.0f, cf_NOT_FOUND, "44", nullptr},
        {"MISSING", cf_TYPE_SHORT, 70000.0f, cf_NOT_FOUND, "4464", nullptr},
        {"MISSING", cf_TYPE_RECT, 1.5f, cf_NOT_FOUND, "1.5 1.5 1.5 1.5", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.name) + " as type " + std::to_string(c.type));
        trace_.clear();
        unsigned char storage[16];
        std::memset(storage, 0x77, sizeof storage);
        EXPECT_EQ(c.status, simple(c.name, storage, c.type, c.def));
        EXPECT_EQ(c.value, typed_text(storage, c.type));
        std::vector<std::string> expected;
        if (c.refused) expected.push_back(std::string("IN 'cf' INFORM 'programmer' TITLE 'TYPE_MISMATCH': ") + c.refused);
        EXPECT_EQ(expected, trace_.errors());
    }
    // A failure other than not found gives the default as well.
    site("MODE USER\n$READING.MODE USER a\n$CT_ROOM.MODE USER b\n");
    ASSERT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    orv_cfmodule_testing_set_local_host("ws13");
    std::int32_t i = 7;
    EXPECT_EQ(cf_GROUP_CONFLICT, simple("MODE", &i, cf_TYPE_INT, 5.0f));
    EXPECT_EQ(5, i);
}

TEST_F(ConfigTypedTest, UnknownTypeLeavesStorageAlone) {
    std::int32_t i = 7;
    EXPECT_EQ(cf_BAD_TYPE, simple("BYTE", &i, 7));
    EXPECT_EQ(cf_BAD_TYPE, simple("MISSING", &i, -1));
    EXPECT_EQ(7, i);
    ASSERT_EQ(2u, trace_.errors().size());
    EXPECT_EQ("IN 'cf' INFORM 'log' TITLE 'BAD_TYPE': Invalid type: 7", trace_.errors()[0]);
}

// ---- Joined lookups and value lists ----

TEST_F(ConfigLookupTest, JoinedValuesAreCutAtTheBufferSize) {
    site("ABC USER a b c\nLONG USER abcdef\n");
    start();
    char buffer[16];
    ASSERT_EQ(0, cf_get_string(cf_DOMAIN_ALL, "viewer", "ABC", nullptr, buffer, 3, nullptr));
    EXPECT_STREQ("a\nb", buffer);
    ASSERT_EQ(0, cf_get_string(cf_DOMAIN_ALL, "viewer", "ABC", nullptr, buffer, 4, nullptr));
    EXPECT_STREQ("a\nb\n", buffer);
    ASSERT_EQ(0, cf_get_string(cf_DOMAIN_ALL, "viewer", "LONG", nullptr, buffer, 0, nullptr));
    EXPECT_STREQ("", buffer);
    EXPECT_EQ(cf_NOT_FOUND,
              cf_get_string(cf_DOMAIN_ALL, "viewer", "NONE", nullptr, buffer, 4, "default"));
    EXPECT_STREQ("defa", buffer);
    EXPECT_EQ(cf_NOT_FOUND,
              cf_get_string(cf_DOMAIN_ALL, "viewer", "NONE", nullptr, buffer, 4, nullptr));
    EXPECT_STREQ("", buffer);
}

TEST_F(ConfigLookupTest, MoreThanAThousandValuesAreRefused) {
    std::string line = "MANY USER";
    for (int i = 0; i < 1001; ++i) line += " v" + std::to_string(i);
    site(line + "\n");
    start();
    EXPECT_EQ("status -4990", get("MANY"));
    ASSERT_EQ(1u, trace_.errors().size());
    EXPECT_EQ("IN 'cf' INFORM 'log' TITLE 'NVALUE_OVL': Too many values for configuration "
              "parameter \"MANY\"",
              trace_.errors()[0]);
}

TEST_F(ConfigLookupTest, EveryGroupCallRefusesBeforeStart) {
    char *values[cf_MAX_VALUES];
    int count = 0;
    char buffer[8];
    int i = 0;
    EXPECT_EQ(cf_NOT_INIT, cf_get(cf_DOMAIN_ALL, "viewer", "A", nullptr, &count, values));
    EXPECT_EQ(cf_NOT_INIT,
              cf_get_from_domain(cf_DOMAIN_SYS, "viewer", "A", nullptr, &count, values));
    EXPECT_EQ(cf_NOT_INIT,
              cf_get_simple(cf_DOMAIN_ALL, "viewer", "A", nullptr, &i, cf_TYPE_INT, 0));
    EXPECT_EQ(cf_NOT_INIT,
              cf_get_string(cf_DOMAIN_ALL, "viewer", "A", nullptr, buffer, 7, nullptr));
    EXPECT_EQ(cf_NOT_INIT, cf_free(values, 0));
    const char *functions[] = {"cf_get()", "cf_get_from_domain()", "cf_get_simple()",
                               "cf_get_string()", "cf_free()"};
    ASSERT_EQ(5u, trace_.errors().size());
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(std::string("IN 'cf' INFORM 'programmer' TITLE 'NOT_INIT': Attempt to use "
                              "function ") +
                      functions[k] + " prior to init",
                  trace_.errors()[static_cast<std::size_t>(k)]);
}

TEST_F(ConfigLookupTest, AbsentArgumentsGiveBadParamQuietly) {
    site("A USER b\n");
    start();
    char *values[cf_MAX_VALUES];
    int count = 0;
    EXPECT_EQ(cf_BAD_PARAM, cf_get(cf_DOMAIN_ALL, nullptr, "A", nullptr, &count, values));
    EXPECT_EQ(cf_BAD_PARAM, cf_get(cf_DOMAIN_ALL, "viewer", nullptr, nullptr, &count, values));
    EXPECT_EQ(cf_BAD_PARAM, cf_get(cf_DOMAIN_ALL, "viewer", "A", nullptr, nullptr, values));
    EXPECT_EQ(cf_BAD_PARAM, cf_get(cf_DOMAIN_ALL, "viewer", "A", nullptr, &count, nullptr));
    EXPECT_EQ(cf_BAD_PARAM, cf_get_string(cf_DOMAIN_ALL, "viewer", "A", nullptr, nullptr, 7, ""));
    EXPECT_EQ(cf_BAD_PARAM, cf_get_from_table(nullptr, cf_DOMAIN_ALL, "A", nullptr, &count, values));
    EXPECT_EQ(cf_BAD_PARAM, cf_get_from_domain_with_table(table(), cf_DOMAIN_SITE, nullptr,
                                                          nullptr, &count, values));
    EXPECT_EQ(cf_BAD_PARAM, cf_free(nullptr, 1));
    EXPECT_TRUE(trace_.errors().empty());
}

// ---- Searching and listing a table ----

TEST_F(ConfigLookupTest, FindsTheVariableHoldingAValue) {
    site("PORT USER 104\nws12.PORT USER 4104\nMODE USER Fast slow\nEMPTY USER\n");
    start();
    unsigned char found = 9;
    char name[8];
    ASSERT_EQ(0, cf_find_string_value_in_table_for_host(table(), "SLOW", "ws13", &found, name, 7));
    EXPECT_EQ(1, found);
    EXPECT_STREQ("MODE", name);
    ASSERT_EQ(0, cf_find_string_value_in_table_for_host(table(), "4104", "ws12", &found, name, 7));
    EXPECT_EQ(1, found);
    EXPECT_STREQ("PORT", name);
    ASSERT_EQ(0, cf_find_string_value_in_table_for_host(table(), "4104", "ws13", &found, name, 7));
    EXPECT_EQ(0, found);
    EXPECT_TRUE(trace_.errors().empty());
    EXPECT_EQ(cf_FAILURE, cf_find_string_value_in_table_for_host(table(), "", "ws13", &found,
                                                                 name, 7));
    ASSERT_EQ(1u, trace_.errors().size());
    EXPECT_EQ("IN 'cf_find_string_value_in_table_for_host()' INFORM 'programmer' TITLE 'Invalid "
              "Parameter': Invalid Parameter to cf_find_string_value_in_table_for_host()",
              trace_.errors()[0]);
}

TEST_F(ConfigLookupTest, ListsTheVariablesThatApplyToAText) {
    site("ROUTE USER ws12:4104 ws13:4105\nALWAYS USER everywhere\nOFF USER none\n"
         "OTHER USER ct1:1\nTWO USER a b\n");
    start();
    char **list = nullptr;
    int count = -1;
    ASSERT_EQ(0, cf_get_string_list_for_string_value_from_table(table(), "WS13", &list, &count));
    std::vector<std::string> names(list, list + count);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"ALWAYS", "ROUTE"}), names);
    for (int i = 0; i < count; ++i) orvstr_free(list[i]);
    std::free(list);

    EXPECT_EQ(cf_FAILURE,
              cf_get_string_list_for_string_value_from_table(table(), nullptr, &list, &count));
    ASSERT_EQ(1u, trace_.errors().size());
    EXPECT_EQ("IN 'cf_get_string_list_for_string_value_from_table()' INFORM 'programmer' TITLE "
              "'NULL Parameter': NULL Parameter to cf_get_string_list_for_string_value_from_table()",
              trace_.errors()[0]);
}

TEST_F(ConfigLookupTest, NamesOfATableKeepHostQualifiers) {
    site("PORT USER 1\nws12.PORT USER 2\nws12.MODE USER 3\n$READING.PORT USER 4\n");
    start();
    ORVArray *names = nullptr;
    int count = 0;
    ASSERT_EQ(0, cf_variable_names_for_table(table(), &names, &count));
    ASSERT_EQ(3, count);
    std::string text = orv_object_description(ORV_OBJECT(names));
    EXPECT_NE(std::string::npos, text.find("WS12.PORT"));
    EXPECT_NE(std::string::npos, text.find("WS12.MODE"));
    EXPECT_EQ(std::string::npos, text.find("$READING"));
    orv_object_release(ORV_OBJECT(names));
    EXPECT_EQ(cf_FAILURE, cf_variable_names_for_table(nullptr, &names, &count));
    EXPECT_EQ("IN 'cf_unique_variable_names_for_table()' INFORM 'programmer' TITLE 'Invalid "
              "Parameter': Invalid Parameter to cf_unique_variable_names_for_table()",
              trace_.errors().back());
}

// ---- The lookup index: derived from the variables, never stale ----

std::vector<std::string> Traces;

void capture_traces(const char *text, int kind) {
    if (kind == tr_KIND_MESSAGE) Traces.emplace_back(text);
}

TEST_F(ConfigLookupTest, TracedLookupNamesEveryKeyTriedInOrder) {
    site("ws12.PORT USER 4104\n");
    sys("PORT USER 4\n");
    start();
    ASSERT_EQ("4104", get("PORT"));  // the table is read before tracing
    tr_set_message_tag_display(0);
    tr_init_with_call_back(capture_traces);
    tr_ignore_traces_below_level_quietly(tr_LOW);
    Traces.clear();
    EXPECT_EQ("4", get("PORT", cf_DOMAIN_ALL, "ws13"));
    std::vector<std::string> searches;
    for (const std::string &line : Traces)
        if (line.find("Searching") != std::string::npos || line.find("(as ") != std::string::npos)
            searches.push_back(line.substr(0, line.find_last_not_of('\n') + 1));
    const std::vector<std::string> expected = {
        "Searching domain USER for \"PORT\" ...", "Searching for key \"USER.WS13.PORT\"",
        "Searching for key \"USER.PORT\"",        "Searching domain SITE for \"PORT\" ...",
        "Searching for key \"SITE.WS13.PORT\"",   "Searching for key \"SITE.PORT\"",
        "Searching domain SYS for \"PORT\" ...",  "Searching for key \"SYS.WS13.PORT\"",
        "Searching for key \"SYS.PORT\"",         "Parameter: PORT (as SYS.PORT)"};
    EXPECT_EQ(expected, searches);
}

TEST_F(ConfigLookupTest, StoresAndRemovalsAfterALookupAreSeenByTheNext) {
    site("PORT USER 104\n");
    start();
    ASSERT_EQ("104", get("PORT"));
    const char *const host_value[] = {"4104"};
    orv_cftest_set_variable(table(), "site.ws12.port", "ws12.PORT", 0, host_value, 1, 0);
    EXPECT_EQ("4104", get("PORT"));
    EXPECT_EQ("104", get("PORT", cf_DOMAIN_ALL, "ws13"));
    const char *const user_value[] = {"204", "205"};
    orv_cftest_set_variable(table(), "USER.PORT", "PORT", 0, user_value, 2, 0);
    EXPECT_EQ("204|205", get("PORT"));
    orv_cftest_set_variable(table(), "USER.MODE", "MODE", 0, user_value, 1, 0);
    EXPECT_EQ("204", get("MODE"));

    EXPECT_EQ(1, orv_cftest_remove_variable(table(), "USER.PORT"));
    EXPECT_EQ("4104", get("PORT"));
    EXPECT_EQ(1, orv_cftest_remove_variable(table(), "SITE.WS12.PORT"));
    EXPECT_EQ("104", get("PORT"));
    EXPECT_EQ("204", get("MODE"));
}

TEST_F(ConfigLookupTest, RefreshedGroupHoldsExactlyTheNewEntries) {
    site("PORT USER 1 2 3\nMODE USER a b c\nSPEED USER x y z\nws12.HOST USER h i j\n");
    start();
    ASSERT_EQ("1|2|3", get("PORT"));
    ASSERT_EQ("x|y|z", get("SPEED"));
    ASSERT_EQ("h|i|j", get("HOST"));
    // Entries change name spelling, level and value count (every old entry
    // had more values than any new one); one is written twice, one loses its
    // values, one goes, one comes.
    site("Port ADMIN 9\nport INSTALL 10 11\nSPEED USER\nNEW USER n \\\n  m\n");
    ASSERT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    EXPECT_EQ("10|11", get("PORT"));
    EXPECT_STREQ("port 2 [10|11]", orv_cftest_variable_text(table(), "SITE.PORT"));
    EXPECT_EQ("status -5000", get("MODE"));
    EXPECT_EQ("status -4984", get("SPEED"));
    EXPECT_EQ("status -5000", get("HOST"));
    EXPECT_EQ("n|m", get("NEW"));
    EXPECT_STREQ("SITE.NEW,SITE.PORT,SITE.SPEED", orv_cftest_value_keys(table()));
}

TEST_F(ConfigLookupTest, RestartedModuleReadsTheGroupAgainInAnySpelling) {
    site("PORT USER 104\n");
    start();
    char buffer[32];
    ASSERT_EQ(0, cf_get_string(cf_DOMAIN_ALL, "viewer", "PORT", nullptr, buffer, 31, nullptr));
    EXPECT_STREQ("104", buffer);
    cf_term();
    site("PORT USER 105\n");
    start();
    ASSERT_EQ(0, cf_get_string(cf_DOMAIN_ALL, "viewer", "PORT", nullptr, buffer, 31, nullptr));
    EXPECT_STREQ("105", buffer);
    site("PORT USER 106\n");
    ASSERT_EQ(0, cf_get_string(cf_DOMAIN_ALL, "VIEWER", "port", nullptr, buffer, 31, nullptr));
    EXPECT_STREQ("105", buffer);
}

}  // namespace

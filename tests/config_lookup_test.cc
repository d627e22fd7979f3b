// Configuration lookups: layering of the three domains, host-qualified names,
// host groups and name groups, value expansion, typed and joined results with
// their defaults, value lists, the search and listing operations, and the
// reports of each, in a temporary installation of its own for every test.
#include "support/config_helpers.h"

#include "config/ORVConfigurationTable_testing.h"
#include "config/cf_lookup_origin.h"
#include "config/cf_module_testing.h"

#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/orvobjects.h>
#include <ORVCommonKit/orvstr.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using orvtest::cf_report;

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
})";

// Terms: READING holds ws12 and ws13, CT_ROOM holds ws13 and ct1.
const char *const Terms = "LIST_OF_GROUPS USER READING CT_ROOM\n"
                          "READING USER ws12 ws13\n"
                          "CT_ROOM USER ws13 ct1\n";

class ConfigLookupTest : public orvtest::ConfigTest {
protected:
    ConfigLookupTest() : ConfigTest(Behaviors) {}
    void SetUp() override {
        ConfigTest::SetUp();
        write("site/config/group.site", Terms);
    }

    // Starts as user jdoe in user domain RAD on host ws12.
    void start() {
        ASSERT_EQ(0, cf_init_ex("jdoe", "RAD"));
        orv_cfmodule_testing_set_local_host("ws12");
    }
    void sys(const std::string &text) { write("sys/config/viewer.base", text); }
    void user(const std::string &text) { write("user/config/viewer.user.jdoe.RAD", text); }

    // The values of a variable of group viewer for a host joined by "|", or the status.
    std::string get(const char *name, int domain = cf_DOMAIN_ALL, const char *host = "ws12") {
        return orvtest::cf_values("viewer", name, domain, host);
    }
    ORVConfigurationTable *table() { return orv_cfmodule_testing_table("viewer"); }
};

// Lookups in an installation of the three domain files (nothing for a null
// text): each query's values joined by "|", or the status, and the first
// error reported, if any.
struct Query {
    const char *name;
    int domain;
    const char *host, *expected, *error = nullptr;
};
struct Installation {
    const char *sys, *site, *user;
    std::vector<Query> queries;
    const char *terms = Terms;
};

TEST_F(ConfigLookupTest, DomainsHostsGroupsAndExpansionDecideTheValues) {
    const int ALL = cf_DOMAIN_ALL, SITE = cf_DOMAIN_SITE, SYS = cf_DOMAIN_SYS, USER = cf_DOMAIN_USER;
    const char *bad = "LIST_OF_GROUPS USER READING READING\nREADING USER a\n",
               *twice = "IN 'ORVCommonKit' INFORM 'log' TITLE 'CF Load Expansions': Multiple declaration of expansion "
                        "term \"READING\".";
    const Installation installations[] = {
        // A user entry hides site and sys entries; a lookup descends from its domain, never climbs.
        {"PORT USER 4\n", "PORT USER 104\n", "PORT ADMIN 204\n",
         {{"PORT", USER, "ws12", "204"}, {"PORT", ALL, "ws12", "204"}, {"PORT", SITE, "ws12", "104"},
          {"PORT", SYS, "ws12", "4"},
          {"PORT", 3, "ws12", "status -4999", "IN 'cf' INFORM 'programmer' TITLE 'BAD_DOMAIN': Invalid domain: 3."},
          {"PORT", -1, "ws12", "status -4999", "IN 'cf' INFORM 'programmer' TITLE 'BAD_DOMAIN': Invalid domain: -1."}}},
        {nullptr, "PORT USER 104\n", nullptr, {{"PORT", USER, "ws12", "104"}, {"PORT", SYS, "ws12", "status -5000"}}},
        // An entry without values hides the lower domains.
        {nullptr, "PORT USER 104\n", "PORT USER\n", {{"PORT", ALL, "ws12", "status -4984"}}},
        // A host-qualified name wins for its host only, in any case.
        {nullptr, "ws12.PORT USER 4104\nPORT USER 104\n", nullptr,
         {{"PORT", ALL, "ws12", "4104"}, {"PORT", ALL, "WS12", "4104"}, {"PORT", ALL, "ws13", "104"}}},
        // A plain user entry hides a host-qualified site entry.
        {"ws12.PORT USER 9\n", "ws12.PORT USER 4104\n", "PORT USER 204\n",
         {{"PORT", ALL, "ws12", "204"}, {"PORT", SITE, "ws12", "4104"}, {"PORT", SYS, "ws12", "9"}}},
        // A host-group entry applies to every host of its term, after the host's own name.
        {nullptr, "$READING.PORT_A USER 5104\nPORT_A USER 104\nws13.PORT_A USER 6104\n", nullptr,
         {{"PORT_A", ALL, "ws12", "5104"}, {"PORT_A", ALL, "ws13", "6104"}, {"PORT_A", ALL, "ct1", "104"}}},
        // Without the host-group behavior the group entry is never tried.
        {nullptr, "$READING.PORT USER 5104\nPORT USER 104\n", nullptr, {{"PORT", ALL, "ws12", "104"}}},
        // A strict host-group lookup refuses two matches; without the strict
        // bit the first term listed for the host wins.
        {nullptr, "$READING.MODE USER fast\n$CT_ROOM.MODE USER slow\n$CT_ROOM.PORT_B USER c\n$READING.PORT_B USER r\n",
         nullptr,
         {{"MODE", ALL, "ws12", "fast"}, {"MODE", ALL, "ct1", "slow"}, {"port_b", ALL, "ws13", "r"},
          {"MODE", ALL, "ws13", "status -4983",
           "IN 'cf' INFORM 'log' TITLE 'GET': ERROR SITE variable \"MODE\" ambiguous multiple matches including "
           "\"SITE.$CT_ROOM.MODE\": -4983."}}},
        // A name-group entry applies to every element of its term.
        {nullptr, "$READING.SPEED USER 10\nct1.SPEED USER 30\n", nullptr,
         {{"ws13.SPEED", ALL, "ws12", "10"}, {"WS12.speed", ALL, "ws12", "10"}, {"ct1.SPEED", ALL, "ws12", "30"},
          {"ws99.SPEED", ALL, "ws12", "status -5000"}, {".SPEED", ALL, "ws12", "status -5000"}}},
        // Values expand with suffixes and lists.
        {nullptr, "SERVERS USER $CT_ROOM:4104 $$HOME alpha\nHOSTS USER $READING $ct_room:1\nPLAIN USER $READING\n",
         nullptr,
         {{"SERVERS", ALL, "ws12", "ws13:4104|ct1:4104|$HOME|alpha"}, {"HOSTS", ALL, "ws12", "ws12|ws13|ws13:1|ct1:1"},
          {"PLAIN", ALL, "ws12", "$READING"}}},
        {nullptr, "SERVERS USER $READING\n", nullptr,
         {{"SERVERS", ALL, "ws12", "status -1",
           "IN 'ORVCommonKit' INFORM 'log' TITLE 'EXPAND': Do not know how to expand \"$READING\"."}}},
        // A bad term definition fails every host-group lookup. A host-qualified hit in the first domain
        // searched needs no terms; one in a lower domain comes after the host groups of the higher ones.
        {nullptr, "$READING.PORT_A USER 5104\nPORT_A USER 104\n", nullptr, {{"PORT_A", ALL, "ws12", "status -4981", twice}}, bad},
        {nullptr, "ws12.PORT_A USER 4104\n", nullptr,
         {{"PORT_A", ALL, "ws12", "status -4981", twice}, {"PORT_A", SITE, "ws12", "4104"}}, bad},
        // Host names with full stops find their entries; the key is also host ws12 with the name lab.PORT.
        {nullptr, "ws12.lab.PORT USER 1\nlab.PORT USER 2\nPORT ADMIN 3\n.PORT USER 4\n", nullptr,
         {{"PORT", ALL, "ws12.lab", "1"}, {"PORT", ALL, "lab", "2"}, {"PORT", ALL, "ws13", "3"}, {"PORT", ALL, "", "4"},
          {"lab.PORT", ALL, "ws12", "1"}, {"lab.PORT", ALL, "ws13", "2"}, {"ws12", ALL, "ws13", "status -5000"}}},
    };
    for (const Installation &in : installations) {
        cf_term();
        write("site/config/group.site", in.terms);
        sys(in.sys ? in.sys : "");
        site(in.site);
        user(in.user ? in.user : "");
        start();
        for (const Query &q : in.queries) {
            SCOPED_TRACE(std::string(in.site) + "for " + q.name + " on " + q.host + " in " + std::to_string(q.domain));
            trace_.clear();
            EXPECT_EQ(q.expected, get(q.name, q.domain, q.host));
            EXPECT_EQ(q.error ? q.error : "", trace_.errors().empty() ? "" : trace_.errors()[0]);
        }
    }
    // The level of the entry found comes back too.
    int level = -1, count = 0;
    char *values[cf_MAX_VALUES];
    ASSERT_EQ(0, cf_get(cf_DOMAIN_ALL, "viewer", "port", &level, &count, values));
    EXPECT_EQ(cf_ADMIN_PRIV, level);
    EXPECT_EQ(0, cf_free(values, count));
    for (int i = 0; i < count; ++i) EXPECT_EQ(nullptr, values[i]) << i;  // freed and cleared
}

// ---- One domain, a given host, the local host ----

TEST_F(ConfigLookupTest, OneDomainPrefixedAndHostLookups) {
    site("PORT USER 104\nws12.PORT USER 4104\nws13.PORT USER 5104\n");
    start();
    char *values[cf_MAX_VALUES];
    int count = -1;
    // One domain never descends, and ALL is no domain of its own.
    const std::pair<int, const char *> domains[] = {{cf_DOMAIN_SYS, "status -5000"}, {cf_DOMAIN_USER, "status -5000"},
                                                    {cf_DOMAIN_SITE, "4104"}, {cf_DOMAIN_ALL, "status -4999"}};
    for (const auto &[domain, expected] : domains) {
        const int status = cf_get_from_domain(domain, "viewer", "PORT", nullptr, &count, values);
        EXPECT_EQ(expected, status ? "status " + std::to_string(status) : orvtest::joined(values, count)) << domain;
        if (status == 0) cf_free(values, count);
    }
    EXPECT_EQ(std::vector<std::string>{cf_report("programmer", "BAD_DOMAIN", "Invalid domain: 4.")}, take_errors());
    // A table lookup takes the host given as its prefix, and none without one.
    for (const auto &[prefix, expected] : {std::pair<const char *, const char *>{nullptr, "104"}, {"ws12", "4104"}}) {
        ASSERT_EQ(0, cf_get_from_table_with_prefix(table(), prefix, cf_DOMAIN_ALL, "PORT", nullptr, &count, values));
        EXPECT_EQ(expected, orvtest::joined(values, count));
        cf_free(values, count);
    }
    // The local host comes back after every call for another host, failed or not.
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
    // Where a value comes from: the domain, the key and the file, each cut to its buffer.
    int found = -1;
    std::memset(buffer, 'z', sizeof buffer);
    ASSERT_EQ(0, orv_cf_lookup_origin(cf_DOMAIN_ALL, "viewer", "port", nullptr, &found, buffer, 8, buffer + 16, 0));
    EXPECT_EQ(cf_DOMAIN_SITE, found);
    EXPECT_STREQ("SITE.WS1", buffer);
    EXPECT_STREQ("", buffer + 16);
    std::memset(buffer, 'z', sizeof buffer);
    EXPECT_EQ(cf_NOT_FOUND, orv_cf_lookup_origin(cf_DOMAIN_ALL, "viewer", "none", nullptr, &found, buffer, 0, nullptr, 0));
    EXPECT_EQ(-1, found);
    EXPECT_EQ('\0', buffer[0]);  // a key buffer of size 0 holds its terminator
}

// ---- Typed lookups ----

// The storage of a typed lookup as text: "untouched", or the value(s) written.
std::string typed_text(const unsigned char *storage, int type) {
    if (std::all_of(storage, storage + 16, [](unsigned char b) { return b == 0x77; })) return "untouched";
    std::int16_t s;
    std::int32_t i;
    if (type == cf_TYPE_BYTE || type == cf_TYPE_BOOL) return std::to_string(storage[0]);
    if (type == cf_TYPE_SHORT) return std::memcpy(&s, storage, 2), std::to_string(s);
    if (type == cf_TYPE_INT || type == cf_TYPE_LONG) return std::memcpy(&i, storage, 4), std::to_string(i);
    std::string out;
    for (std::size_t at = 0; at < (type == cf_TYPE_RECT ? 16u : 4u); at += 4) {
        float f;
        std::memcpy(&f, storage + at, 4);
        std::string text = std::to_string(f);
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
        out += (out.empty() ? "" : " ") + text;
    }
    return out;
}

TEST_F(ConfigLookupTest, TypedValuesConvertOrAreRefusedAndFailuresGiveTheDefault) {
    site("BIG USER 256\nNEG USER -5\nMIN USER -32768\nSMAX USER -32767\nHEX USER 0x10\n"
         "TAIL USER 12abc\nWRAP USER 4294967297\nHUGE USER 99999999999\nONE USER 1.5\n"
         "EXP USER 1e5\nYES USER YES\nFALSE USER False\nMAYBE USER maybe\n"
         "RECT USER \"XYWH 1 2 3 4\"\nLOWER USER \"xywh 1 2 3 4\"\nHALF USER \"XYWH 1 2\"\n"
         "BYTE USER 255 ignored\nMODE USER\n$READING.MODE USER a\n$CT_ROOM.MODE USER b\n");
    start();
    const struct {
        const char *name;
        int type;
        float def;
        int status;
        const char *value, *refused;  // the text of the mismatch report
    } cases[] = {
        {"BIG", cf_TYPE_BYTE, 0, cf_TYPE_MISMATCH, "untouched", "\"256\" is not byte"},
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
        // Any failure writes the default, cut to the type; an unknown type writes nothing.
        {"MISSING", cf_TYPE_INT, 2.9f, cf_NOT_FOUND, "2", nullptr},
        {"MISSING", cf_TYPE_LONG, -2.9f, cf_NOT_FOUND, "-2", nullptr},
        {"MISSING", cf_TYPE_BOOL, 0.5f, cf_NOT_FOUND, "0", nullptr},
        {"MISSING", cf_TYPE_BYTE, 300.0f, cf_NOT_FOUND, "44", nullptr},
        {"MISSING", cf_TYPE_SHORT, 70000.0f, cf_NOT_FOUND, "4464", nullptr},
        {"MISSING", cf_TYPE_RECT, 1.5f, cf_NOT_FOUND, "1.5 1.5 1.5 1.5", nullptr},
        {"MODE", cf_TYPE_INT, 5.0f, cf_GROUP_CONFLICT, "5", nullptr},
        {"BYTE", 7, 5.0f, cf_BAD_TYPE, "untouched", nullptr},
        {"MISSING", -1, 1.0f, cf_BAD_TYPE, "untouched", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.name) + " as type " + std::to_string(c.type));
        orv_cfmodule_testing_set_local_host(c.status == cf_GROUP_CONFLICT ? "ws13" : "ws12");
        trace_.clear();
        unsigned char storage[16];
        std::memset(storage, 0x77, sizeof storage);
        EXPECT_EQ(c.status, cf_get_simple(cf_DOMAIN_ALL, "viewer", c.name, nullptr, storage, c.type, c.def));
        EXPECT_EQ(c.value, typed_text(storage, c.type));
        std::vector<std::string> expected;
        if (c.refused) expected.push_back(cf_report("programmer", "TYPE_MISMATCH", c.refused));
        if (c.status == cf_BAD_TYPE) expected.push_back(cf_report("log", "BAD_TYPE", "Invalid type: " + std::to_string(c.type)));
        if (c.status != cf_GROUP_CONFLICT) {
            EXPECT_EQ(expected, trace_.errors());
        }
    }
}

// ---- Joined lookups and value lists ----

TEST_F(ConfigLookupTest, JoinedValuesAreCutAtTheBufferSize) {
    site("ABC USER a b c\nLONG USER abcdef\n");
    start();
    const struct {
        const char *name;
        int size;
        const char *def;
        int status;
        const char *expected;
    } cases[] = {
        {"ABC", 3, nullptr, 0, "a\nb"},         {"ABC", 4, nullptr, 0, "a\nb\n"},
        {"ABC", 5, nullptr, 0, "a\nb\nc"},      {"LONG", 0, nullptr, 0, ""},
        {"NONE", 4, "default", cf_NOT_FOUND, "defa"}, {"NONE", 4, nullptr, cf_NOT_FOUND, ""},
    };
    for (const auto &c : cases) {
        char buffer[16];
        std::memset(buffer, 'z', sizeof buffer);
        EXPECT_EQ(c.status, cf_get_string(cf_DOMAIN_ALL, "viewer", c.name, nullptr, buffer, c.size, c.def));
        EXPECT_STREQ(c.expected, buffer) << c.name << " in " << c.size;
    }
}

TEST_F(ConfigLookupTest, AThousandValuesAreTheMost) {
    std::string line = "MANY USER";
    for (int i = 0; i < 1000; ++i) line += " v" + std::to_string(i);
    site(line + "\nMORE" + line.substr(4) + " v1000\n");
    start();
    const std::string many = get("MANY");
    EXPECT_EQ(999, std::count(many.begin(), many.end(), '|'));
    EXPECT_TRUE(trace_.errors().empty());
    EXPECT_EQ("status -4990", get("MORE"));
    EXPECT_EQ(std::vector<std::string>{cf_report("log", "NVALUE_OVL", "Too many values for configuration parameter \"MORE\"")},
              trace_.errors());
}

TEST_F(ConfigLookupTest, CallsRefuseBeforeStartAndAbsentArgumentsQuietly) {
    char *values[cf_MAX_VALUES];
    int count = 0, i = 0;
    char buffer[8];
    EXPECT_EQ(cf_NOT_INIT, cf_get(cf_DOMAIN_ALL, "viewer", "A", nullptr, &count, values));
    EXPECT_EQ(cf_NOT_INIT, cf_get_from_domain(cf_DOMAIN_SYS, "viewer", "A", nullptr, &count, values));
    EXPECT_EQ(cf_NOT_INIT, cf_get_simple(cf_DOMAIN_ALL, "viewer", "A", nullptr, &i, cf_TYPE_INT, 0));
    EXPECT_EQ(cf_NOT_INIT, cf_get_string(cf_DOMAIN_ALL, "viewer", "A", nullptr, buffer, 7, nullptr));
    EXPECT_EQ(cf_NOT_INIT, cf_free(values, 0));
    std::vector<std::string> expected;
    for (const char *function : {"cf_get()", "cf_get_from_domain()", "cf_get_simple()", "cf_get_string()", "cf_free()"})
        expected.push_back(cf_report("programmer", "NOT_INIT", std::string("Attempt to use function ") + function +
                                                                   " prior to init"));
    EXPECT_EQ(expected, take_errors());

    site("A USER b\n");
    start();
    EXPECT_EQ(cf_BAD_PARAM, cf_get(cf_DOMAIN_ALL, nullptr, "A", nullptr, &count, values));
    EXPECT_EQ(cf_BAD_PARAM, cf_get(cf_DOMAIN_ALL, "viewer", nullptr, nullptr, &count, values));
    EXPECT_EQ(cf_BAD_PARAM, cf_get(cf_DOMAIN_ALL, "viewer", "A", nullptr, nullptr, values));
    EXPECT_EQ(cf_BAD_PARAM, cf_get(cf_DOMAIN_ALL, "viewer", "A", nullptr, &count, nullptr));
    EXPECT_EQ(cf_BAD_PARAM, cf_get_string(cf_DOMAIN_ALL, "viewer", "A", nullptr, nullptr, 7, ""));
    EXPECT_EQ(cf_BAD_PARAM, cf_get_from_table(nullptr, cf_DOMAIN_ALL, "A", nullptr, &count, values));
    EXPECT_EQ(cf_BAD_PARAM, cf_get_from_domain_with_table(table(), cf_DOMAIN_SITE, nullptr, nullptr, &count, values));
    EXPECT_EQ(cf_BAD_PARAM, cf_free(nullptr, 1));
    EXPECT_TRUE(trace_.errors().empty());
    // A lookup that finds nothing gives no values.
    count = 7;
    EXPECT_EQ(cf_NOT_FOUND, cf_get(cf_DOMAIN_ALL, "viewer", "NONE", nullptr, &count, values));
    EXPECT_EQ(0, count);
    count = 7;
    EXPECT_EQ(cf_NOT_FOUND, cf_get_from_domain_with_table(table(), cf_DOMAIN_SITE, "NONE", nullptr, &count, values));
    EXPECT_EQ(0, count);
}

// ---- Searching and listing a table ----

TEST_F(ConfigLookupTest, SearchesAndListingsOfATable) {
    site("PORT USER 104\nws12.PORT USER 4104\nMODE USER Fast slow\nEMPTY USER\nROUTE USER ws12:4104 ws13:4105\n"
         "OTHER USER ct1:1\nOFF USER none\n$READING.PORT USER 4\n");
    start();
    // The variable holding a value, for a host.
    const struct {
        const char *value, *host;
        unsigned char found;
        const char *name;
    } finds[] = {{"SLOW", "ws13", 1, "MODE"}, {"4104", "ws12", 1, "PORT"}, {"4104", "ws13", 0, ""}};
    for (const auto &f : finds) {
        unsigned char found = 9;
        char name[8] = "";
        ASSERT_EQ(0, cf_find_string_value_in_table_for_host(table(), f.value, f.host, &found, name, 7));
        EXPECT_EQ(f.found, found) << f.value << " on " << f.host;
        EXPECT_STREQ(f.name, name);
    }
    // The variables whose values apply to a host: those naming it and those naming none.
    char **list = nullptr;
    int count = -1;
    ASSERT_EQ(0, cf_get_string_list_for_string_value_from_table(table(), "WS13", &list, &count));
    std::vector<std::string> names(list, list + count);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"PORT", "ROUTE"}), names);
    for (int i = 0; i < count; ++i) orvstr_free(list[i]);
    std::free(list);
    // Variable names keep host qualifiers, never host groups.
    ORVArray *array = nullptr;
    ASSERT_EQ(0, cf_variable_names_for_table(table(), &array, &count));
    EXPECT_EQ(7, count);
    const std::string text = orv_object_description(ORV_OBJECT(array));
    EXPECT_NE(std::string::npos, text.find("WS12.PORT"));
    EXPECT_EQ(std::string::npos, text.find("$READING"));
    orv_object_release(ORV_OBJECT(array));
    EXPECT_TRUE(trace_.errors().empty());

    unsigned char found = 0;
    char name[8];
    EXPECT_EQ(cf_FAILURE, cf_find_string_value_in_table_for_host(table(), "", "ws13", &found, name, 7));
    EXPECT_EQ(cf_FAILURE, cf_get_string_list_for_string_value_from_table(table(), nullptr, &list, &count));
    EXPECT_EQ(cf_FAILURE, cf_variable_names_for_table(nullptr, &array, &count));
    const char *const reports[][2] = {{"cf_find_string_value_in_table_for_host()", "Invalid Parameter"},
                                      {"cf_get_string_list_for_string_value_from_table()", "NULL Parameter"},
                                      {"cf_unique_variable_names_for_table()", "Invalid Parameter"}};
    std::vector<std::string> expected;
    for (const auto &[function, title] : reports)
        expected.push_back(std::string("IN '") + function + "' INFORM 'programmer' TITLE '" + title + "': " + title +
                           " to " + function);
    EXPECT_EQ(expected, trace_.errors());
}

// ---- Refreshing: the table holds the new entries only ----

TEST_F(ConfigLookupTest, RefreshedGroupHoldsExactlyTheNewEntries) {
    site("PORT USER 1 2 3\nMODE USER a b c\nSPEED USER x y z\nws12.HOST USER h i j\n");
    start();
    ASSERT_EQ("1|2|3", get("PORT"));
    ASSERT_EQ("x|y|z", get("SPEED"));
    ASSERT_EQ("h|i|j", get("HOST"));
    // Entries change name spelling, level and value count (every old entry
    // had more values than any new one); one is written twice, one loses its
    // values, one goes, one comes.
    ORVConfigurationTable *held = nullptr;
    ASSERT_EQ(0, cf_read_entire_file(cf_DOMAIN_SITE, "viewer", &held));
    site("Port ADMIN 9\nport INSTALL 10 11\nSPEED USER\nNEW USER n \\\n  m\n");
    ASSERT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    // A holder of the table sees the new entries too.
    EXPECT_EQ(held, table());
    cf_free_table(&held);
    EXPECT_EQ("10|11", get("PORT"));
    EXPECT_STREQ("port 2 [10|11]", orv_cftest_variable_text(table(), "SITE.PORT"));
    EXPECT_EQ("status -5000", get("MODE"));
    EXPECT_EQ("status -4984", get("SPEED"));
    EXPECT_EQ("status -5000", get("HOST"));
    EXPECT_EQ("n|m", get("NEW"));
    EXPECT_STREQ("SITE.NEW,SITE.PORT,SITE.SPEED", orv_cftest_value_keys(table()));
}

}  // namespace

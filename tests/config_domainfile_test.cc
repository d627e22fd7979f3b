// Domain files: the reader end to end from real files, file names with user
// and user domain, the format's edge cases (quotes, comments, continuation,
// over-long lines, many values), entry lines built by mk_entry, and the
// expansion terms with value expansion.
#include "support/config_helpers.h"

#include "config/ORVConfigurationTable_testing.h"

#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/tr.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace {

using orvtest::cf_report;

class DomainTextTest : public ::testing::Test {
protected:
    void SetUp() override { trace_.start(); }
    void TearDown() override {
        cf_free_table(&table_);
        trace_.stop();
    }
    // Warnings from after the "] " that ends their place and time.
    std::vector<std::string> warnings() const {
        std::vector<std::string> out;
        for (const std::string &line : trace_.of_kind(tr_KIND_WARNING))
            out.push_back(line.substr(line.find("] ") + 2));
        return out;
    }
    std::string var(const char *key) {
        const char *text = orv_cftest_variable_text(table_, key);
        return text ? text : "(missing)";
    }
    // Reads text into the table (a new one when there is none).
    void read(const std::string &text, int domain = cf_DOMAIN_SITE) {
        if (!table_) table_ = orv_cftest_table_create(0x20, nullptr, nullptr, -1);
        orv_cftest_read_domain_text(table_, domain, text.data(), text.size());
    }

    orvtest::TraceCapture trace_;
    ORVConfigurationTable *table_ = nullptr;
};

// ---- Text format ----

TEST_F(DomainTextTest, EntriesFromTextInEveryShape) {
    const std::string long_value(9000, 'v');
    std::string many = "MANY USER", many_values;
    for (int i = 0; i < 5000; ++i) {
        many += (i % 100 == 99 ? " \\\n" : " ") + std::to_string(i);
        many_values += (i ? "|" : "") + std::to_string(i);
    }
    const auto bad_priv = [](const std::string &word, const std::string &name) {
        return cf_report("log", "BAD_PRIV", "Invalid privilege value (" + word + ") in entry for \"" + name + "\"");
    };
    const struct {
        std::string text;
        std::vector<std::pair<const char *, std::string>> vars;  // key, its text
        std::vector<std::string> errors = {};
    } cases[] = {
        // Comments, blank lines and privilege words in any case; '#' later on a line is a value.
        {"# comment\n\n   \t\nA\tadmin\t1\nB INSTALL 2\nC System 3 # not a comment\n",
         {{"SITE.A", "A 1 [1]"}, {"SITE.B", "B 2 [2]"}, {"SITE.C", "C 3 [3|#|not|a|comment]"}}},
        // Quoted tokens; a trailing quote closes only a token that it opened.
        {"A\tUSER\t\"x y\" z\nB\tUSER\tone two\"\nC\tUSER\ttwo\"\nD\tUSER\t\"\" \"\"\nE\tUSER\tone \"\n",
         {{"SITE.A", "A 0 [x y|z]"}, {"SITE.B", "B 0 [one|two]"}, {"SITE.C", "C 0 [two\"]"}, {"SITE.D", "D 0 [|]"},
          {"SITE.E", "E 0 [one|]"}}},
        // Continuation lines skip blank lines and take everything as values.
        {"S SYSTEM alpha beta \\\n\n  \t \n\tgamma \\\n# delta\\\nepsilon\nT USER 1\n",
         {{"SITE.S", "S 3 [alpha|beta|gamma|#|delta|epsilon]"}, {"SITE.T", "T 0 [1]"}}},
        // A continuation at the end of the file ends the entry.
        {"B\tUSER\tv \\\n", {{"SITE.B", "B 0 [v]"}}},
        {"C\tUSER\tw \\\n  \n\t\n", {{"SITE.C", "C 0 [w]"}}},
        // Carriage returns belong to the line end.
        {"A USER 1 2\r\nB USER x \\\r\n y\r\n", {{"SITE.A", "A 0 [1|2]"}, {"SITE.B", "B 0 [x|y]"}}},
        // The last entry of a name wins.
        {"PORT USER 104\nport ADMIN 105\n", {{"SITE.PORT", "port 1 [105]"}}},
        // A bad or missing privilege word skips only that entry.
        {"A\tROOT\t1\nB\nC USER 3\n", {{"SITE.C", "C 0 [3]"}},
         {bad_priv("ROOT", "A"), bad_priv("non-existent", "B")}},
        // The first 8,191 characters make one line; the rest is a line of its
        // own whose single token has no privilege word.
        {"LONG USER " + long_value + "\nNEXT USER 1\n",
         {{"SITE.LONG", "LONG 0 [" + std::string(8191 - 10, 'v') + "]"}, {"SITE.NEXT", "NEXT 0 [1]"}},
         {bad_priv("non-existent", std::string(9000 - 8181, 'v'))}},
        // Thousands of values are all kept.
        {many + "\n", {{"SITE.MANY", "MANY 0 [" + many_values + "]"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        cf_free_table(&table_);
        trace_.clear();
        read(c.text);
        std::string keys;
        for (const auto &[key, text] : c.vars) {
            EXPECT_EQ(var(key), text);
            keys += (keys.empty() ? "" : ",") + std::string(key);
        }
        EXPECT_STREQ(orv_cftest_value_keys(table_), keys.c_str());
        EXPECT_EQ(c.errors, trace_.errors());
    }
    // A NUL ends the line's text; binary garbage does no harm.
    cf_free_table(&table_);
    read(std::string("A USER x\0y z\n\xff\xfe\x00\x01\"\\\n\n\"", 23));
    EXPECT_STREQ(orv_cftest_value_keys(table_), "SITE.A");
    EXPECT_EQ(var("SITE.A"), "A 0 [x]");
}

// ---- Reading real files through the module ----

class DomainFileTest : public DomainTextTest {
protected:
    void SetUp() override {
        cf_term();
        DomainTextTest::SetUp();
        dir_.write("sys/data/cf/behavior.plist", "{ viewer = { default = 0x20; }; }");
    }
    void TearDown() override {
        DomainTextTest::TearDown();
        cf_term();
    }
    orvtest::TempInstallation dir_;
};

TEST_F(DomainFileTest, AllDomainsGoIntoTheCachedTableAndASiteReadStartsEmpty) {
    dir_.write("sys/config/viewer.base", "PORT USER 1\n");
    dir_.write("site/config/viewer.site", "PORT USER 2\n");
    dir_.write("user/config/viewer.user.jdoe.RAD", "PORT USER 3\n");
    dir_.write("user/config/viewer.user.jdoe", "OTHER USER 4\n");
    ASSERT_EQ(0, cf_init_ex("jdoe", "RAD"));
    ASSERT_EQ(cf_read_entire_file(cf_DOMAIN_USER, "viewer", &table_), 0);
    EXPECT_STREQ(orv_cftest_value_keys(table_), "SITE.PORT,SYS.PORT,USER.PORT");
    EXPECT_EQ("3", orvtest::cf_values("viewer", "PORT"));
    // The same object (the cached table), emptied and filled again.
    dir_.write("site/config/viewer.site", "B USER 2\n");
    ORVConfigurationTable *again = nullptr;
    ASSERT_EQ(cf_read_domain_with_table(&again, cf_DOMAIN_SITE, "viewer"), 0);
    EXPECT_EQ(again, table_);
    EXPECT_STREQ(orv_cftest_value_keys(table_), "SITE.B");
    cf_free_table(&again);
    EXPECT_EQ(again, nullptr);
    cf_free_table(&table_);
    // Another user's file, read without changing the module's user.
    ASSERT_EQ(cf_read_entire_file_with_user("jdoe", nullptr, cf_DOMAIN_USER, "viewer", &table_), 0);
    EXPECT_EQ(var("USER.OTHER"), "OTHER 0 [4]");
    EXPECT_EQ(var("USER.PORT"), "(missing)");
    EXPECT_STREQ(cf_user_domain(), "RAD");
}

TEST_F(DomainFileTest, FailuresOfTheReaders) {
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_EQ(cf_read_entire_file(cf_DOMAIN_ALL, "nowhere", &table_), -1);
    EXPECT_EQ(table_, nullptr);
    EXPECT_EQ(warnings().size(), 3u);
    // A path of the longest length is cut to it, whole buffer used.
    const std::string group(300, 'g');
    EXPECT_EQ(cf_read_domain_with_table(&table_, cf_DOMAIN_SITE, group.c_str()), cf_FILE_NACCESS);
    EXPECT_EQ(warnings().back(), "Failed to find file \"" + (dir_ / "site/config/" + group).substr(0, 255) +
                                     "\" when reading domain SITE for group \"" + group + "\"");
    EXPECT_EQ(cf_read_entire_file(3, "viewer", &table_), cf_BAD_DOMAIN);
    EXPECT_EQ(cf_read_domain_with_table(&table_, -1, "viewer"), cf_BAD_DOMAIN);
    EXPECT_EQ(cf_read_domain_with_table(&table_, cf_DOMAIN_SITE, nullptr), cf_FILE_NACCESS);
    EXPECT_EQ(trace_.errors(), (std::vector<std::string>{cf_report("programmer", "BAD_DOMAIN", "Invalid domain: 3."),
                                                         cf_report("programmer", "BAD_DOMAIN", "Invalid domain: -1."),
                                                         cf_report("programmer", "FILE_NACCESS", "Invalid group: (null)")}));
}

// A trace call-back that reads another group's file at every error.
ORVConfigurationTable *Nested_table = nullptr;
void read_at_error(const char *, int kind) {
    if (kind == tr_KIND_ERROR) cf_read_domain_with_table(&Nested_table, cf_DOMAIN_SITE, "other");
}

TEST_F(DomainFileTest, ReadsFromTheTraceCallBackLeaveTheReadTheyInterruptWhole) {
    // Two reads during the outer one, of a file as long as it.
    dir_.write("site/config/viewer.site", "A ROOT 1\nB ROOT 2\nC USER 3\n");
    dir_.write("site/config/other.site", "Z USER 0\nZ USER 0\nZ USER 0\n");
    ASSERT_EQ(0, cf_init(nullptr));
    tr_init_with_call_back(read_at_error);
    ASSERT_EQ(cf_read_domain_with_table(&table_, cf_DOMAIN_SITE, "viewer"), 0);
    EXPECT_STREQ(orv_cftest_value_keys(table_), "SITE.C");
    EXPECT_STREQ(orv_cftest_value_keys(Nested_table), "SITE.Z");
    cf_free_table(&Nested_table);
}

TEST_F(DomainFileTest, FilesWithoutASizeAreReadToTheEnd) {
    // A pipe has no size and gives its text in short pieces, one byte more
    // than twice the first buffer holds.
    const std::string path = dir_.write("site/config/viewer.site", "");
    ASSERT_EQ(0, unlink(path.c_str()));
    ASSERT_EQ(0, mkfifo(path.c_str(), 0600));
    std::string text;
    for (int i = 0; text.size() < 131000; ++i) text += "NAME" + std::to_string(i) + " USER value" + std::to_string(i) + "\n";
    const std::string last(2 * 65536 + 1 - text.size() - 10, 'z');
    text += "LAST USER " + last;
    std::thread writer([&] {
        const int fd = open(path.c_str(), O_WRONLY);
        for (std::size_t at = 0; fd >= 0 && at < text.size(); at += 1000)
            if (write(fd, text.data() + at, std::min<std::size_t>(1000, text.size() - at)) < 0) break;
        close(fd);
    });
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_EQ(cf_read_entire_file(cf_DOMAIN_SITE, "viewer", &table_), 0);
    writer.join();
    EXPECT_EQ(var("SITE.NAME0"), "NAME0 0 [value0]");
    EXPECT_EQ(var("SITE.LAST"), "LAST 0 [" + last + "]");
}

// ---- Entry lines ----

std::string entry(const char *name, int level, std::vector<const char *> values, int *status = nullptr) {
    char buffer[8192] = "stale";
    const int s = mk_entry(buffer, name, level, static_cast<int>(values.size()), values.data());
    if (status) *status = s;
    return buffer;
}

TEST_F(DomainTextTest, EntryLinesQuoteWrapAndReadBack) {
    const std::string a65(65, 'a'), a66(66, 'a');
    const struct {
        const char *name;
        int level;
        std::vector<const char *> values;
        std::string line;
    } cases[] = {
        {"Window Title", 0, {"Main viewer"}, "\"Window Title\"\tUSER\t\"Main viewer\"\n"},
        {"A", 2, {"", "x\ty", nullptr}, "A\tINSTALL\t\"\" \"x\ty\" \"\"\n"},
        {"B", 1, {}, "B\tADMIN\t\n"},
        // Long entries wrap before column 79.
        {"SERVERS", 3, {"aaaaaaaaaa", "bbbbbbbbbb", "cccccccccc", "dddddddddd", "eeeeeeeeee", "ffffffffff"},
         "SERVERS\tSYSTEM\taaaaaaaaaa bbbbbbbbbb cccccccccc dddddddddd \\\n\teeeeeeeeee ffffffffff\n"},
        // A value that ends at column 79 stays on the line; one more character wraps it.
        {"S", 0, {a65.c_str()}, "S\tUSER\t" + a65 + "\n"},
        {"S", 0, {a66.c_str()}, "S\tUSER\t\\\n\t" + a66 + "\n"},
    };
    for (const auto &c : cases) EXPECT_EQ(c.line, entry(c.name, c.level, c.values)) << c.name;
    int refused = 0;
    EXPECT_EQ("", entry("P", 4, {"v"}, &refused));  // no privilege 4: nothing is written
    EXPECT_EQ(cf_BAD_PRIV, refused);
    trace_.clear();

    // Written entries read back to the same values.
    std::vector<std::string> words;
    std::vector<const char *> values;
    for (int i = 0; i < 40; ++i) words.push_back(i % 7 == 0 ? "two words" : "v" + std::to_string(i));
    words.push_back("");
    for (const auto &w : words) values.push_back(w.c_str());
    int status = -1;
    const std::string line = entry("Round Trip", 1, values, &status);
    ASSERT_EQ(status, 0);
    read(line, cf_DOMAIN_USER);
    std::string joined;
    for (std::size_t i = 0; i < words.size(); ++i) joined += (i ? "|" : "") + words[i];
    EXPECT_EQ(var("USER.ROUND TRIP"), "Round Trip 1 [" + joined + "]");
    EXPECT_TRUE(trace_.errors().empty());
}

TEST_F(DomainTextTest, EntryLineOverflowEmptiesTheBufferAndReports) {
    const std::string big(8180, 'x'), name(8190, 'n'), fits(8180, 'f'), one_more(8181, 'f');
    int status = 0;
    EXPECT_EQ(entry("N", 0, {big.c_str(), "yyyyyyyyyy"}, &status), "");
    EXPECT_EQ(status, cf_BUFFER_OVERFLOW);
    EXPECT_EQ(entry(name.c_str(), 0, {}, &status), "");
    EXPECT_EQ(status, cf_BUFFER_OVERFLOW);
    ASSERT_EQ(trace_.errors().size(), 2u);
    EXPECT_EQ(trace_.errors()[0], "IN '<unknown module>' INFORM 'log' TITLE 'BUFFER OVERFLOW': Unable to format "
                                  "configuration variable \"N\" as the maximum internal buffer size (8192) has been "
                                  "exceeded");
    // The largest entry that fits: 8,191 characters with the line feed. A
    // value this long always goes on a continuation line.
    const std::string line = entry("N", 0, {fits.c_str()}, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(line.substr(0, 10), "N\tUSER\t\\\n\t");
    EXPECT_EQ(line.size(), 8191u);
    EXPECT_EQ(entry("N", 0, {one_more.c_str()}, &status), "");
    EXPECT_EQ(status, cf_BUFFER_OVERFLOW);
}

// ---- Expansion terms ----

class ExpansionTest : public DomainTextTest {
protected:
    void SetUp() override {
        DomainTextTest::SetUp();
        orv_cftest_release_terms();
    }
    void TearDown() override {
        orv_cftest_release_terms();
        DomainTextTest::TearDown();
    }
    // Loads the terms from the text of the group named group's site file.
    int load(const std::string &site) {
        cf_free_table(&table_);
        read(site);
        return orv_cftest_load_terms(table_);
    }
    static constexpr const char *kTerms =
        "LIST_OF_GROUPS USER READING CT_ROOM\nREADING USER ws12 ws13\nCT_ROOM USER ws13 ct1\n";
};

TEST_F(ExpansionTest, TermsAreLoadedFromTheListAndLookedUpBothWays) {
    const struct {
        const char *site;
        bool loaded;
        std::vector<std::pair<const char *, const char *>> terms;  // term, its elements
    } cases[] = {
        // No list, or none, means no terms, and the next load looks again.
        {"OTHER USER 1\n", false, {}},
        {"LIST_OF_GROUPS USER none\n", false, {}},
        {"LIST_OF_GROUPS USER\n", false, {}},
        {kTerms, true, {{"READING", "ws12|ws13"}, {"CT_ROOM", "ws13|ct1"}}},
        {"LIST_OF_GROUPS USER read-room_2 EMPTY\nREAD-ROOM_2 USER a\nEMPTY USER\n", true, {{"READ-ROOM_2", "a"}, {"EMPTY", ""}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.site);
        EXPECT_EQ(load(c.site), 0);
        EXPECT_EQ(c.loaded, orv_cftest_terms_loaded() != 0);
        for (const auto &[term, elements] : c.terms) EXPECT_STREQ(orv_cftest_term_elements(term), elements);
        if (c.loaded) orv_cftest_release_terms();
    }
    ASSERT_EQ(load(kTerms), 0);
    EXPECT_EQ(orv_cftest_load_terms(table_), 0);  // loaded once, kept
    const std::pair<const char *, const char *> reverse[] = {
        {"WS12", "READING"}, {"WS13", "READING|CT_ROOM"}, {"CT1", "CT_ROOM"}, {"ws12", nullptr}};
    for (const auto &[element, terms] : reverse) EXPECT_STREQ(orv_cftest_terms_for_element(element), terms) << element;
    EXPECT_TRUE(trace_.errors().empty());

    // Only the site and system domains count.
    orv_cftest_release_terms();
    cf_free_table(&table_);
    read("LIST_OF_GROUPS USER U\nU USER fromuser\n", cf_DOMAIN_USER);
    read("LIST_OF_GROUPS USER S\nS USER fromsys\n", cf_DOMAIN_SYS);
    ASSERT_EQ(orv_cftest_load_terms(table_), 0);
    EXPECT_STREQ(orv_cftest_term_elements("S"), "fromsys");
    EXPECT_EQ(orv_cftest_term_elements("U"), nullptr);
}

TEST_F(ExpansionTest, ValuesExpandBySuffixAndListOrAreReported) {
    ASSERT_EQ(load(kTerms), 0);
    const struct {
        std::vector<const char *> values;
        unsigned behavior;
        const char *expanded;
        int same;
        const char *error;  // of the EXPAND report
    } cases[] = {
        {{"$READING", "x"}, 0x22, "ws12|ws13|x", 0, nullptr},
        {{"$CT_ROOM:4104"}, 0x21, "ws13:4104|ct1:4104", 0, nullptr},
        {{"$ct_room:a:b"}, 0x23, "ws13:a:b|ct1:a:b", 0, nullptr},
        {{"$$HOME", "$$"}, 0x01, "$HOME|$", 0, nullptr},
        {{"$$HOME"}, 0x02, "$HOME", 0, nullptr},
        {{"$READING", "$$X"}, 0x20, "$READING|$$X", 1, nullptr},
        {{"plain"}, 0x02, "plain", 0, nullptr},
        {{"$READING"}, 0x01, "status -4981", 0, "Do not know how to expand \"$READING\"."},
        {{"x", "$UNKNOWN"}, 0x02, "status -4981", 0, "Referenced expansion \"$UNKNOWN\" not defined."},
        {{"$UNKNOWN:1"}, 0x01, "status -4981", 0, "Referenced expansion \"$UNKNOWN:1\" not defined."},
        {{"$:1"}, 0x01, "status -4981", 0, "Do not know how to expand \"$:1\"."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.values[0]);
        trace_.clear();
        const char *joined = nullptr;
        int same = -1;
        const int status = orv_cftest_expand(c.values.data(), static_cast<int>(c.values.size()), c.behavior, &joined,
                                             &same);
        EXPECT_EQ(c.expanded, status ? "status " + std::to_string(status) : std::string(joined ? joined : "(null)"));
        EXPECT_EQ(c.error ? c.same : same, c.same);
        std::vector<std::string> errors;
        if (c.error) errors.push_back(std::string("IN 'ORVCommonKit' INFORM 'log' TITLE 'EXPAND': ") + c.error);
        EXPECT_EQ(trace_.errors(), errors);
    }
}

TEST_F(ExpansionTest, BadDefinitionsLoadNothing) {
    const std::pair<const char *, const char *> cases[] = {
        {"LIST_OF_GROUPS USER A A\nA USER x\n", "Multiple declaration of expansion term \"A\"."},
        {"LIST_OF_GROUPS USER \"READ ROOM\"\n", "Expansion term \"READ ROOM\" contains invalid character."},
        {"LIST_OF_GROUPS USER R&D\n", "Expansion term \"R&D\" contains invalid character."},
        {"LIST_OF_GROUPS USER A GHOST\nA USER x\n", "Expansion term \"GHOST\" declared but not defined."},
        {"LIST_OF_GROUPS USER Room\nRoom USER ws1 $OTHER\n",
         "Expansion element \"$OTHER\" may not contain leading \"$\" in term \"Room\"."},
    };
    for (const auto &[site, message] : cases) {
        trace_.clear();
        EXPECT_EQ(load(site), cf_EXPAND) << site;
        EXPECT_FALSE(orv_cftest_terms_loaded());
        EXPECT_EQ(orv_cftest_term_elements("A"), nullptr);
        EXPECT_EQ(trace_.errors(), std::vector<std::string>{
                                       std::string("IN 'ORVCommonKit' INFORM 'log' TITLE 'CF Load Expansions': ") + message});
    }
}

}  // namespace

// Domain files: the reader end to end from real files, file names with user
// and user domain, the format's edge cases (quotes, comments, continuation,
// over-long lines, many values), entry lines built by mk_entry, and the
// expansion terms with value expansion.
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include "config/ORVConfigurationTable_testing.h"

#include <ORVCommonKit/cf.h>
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

using orvtest::TempInstallation;
using orvtest::TraceCapture;

class Captured : public ::testing::Test {
protected:
    void SetUp() override { trace_.start(); }
    void TearDown() override { trace_.stop(); }

    // Warnings from after the "] " that ends their place and time.
    std::vector<std::string> warnings() const {
        std::vector<std::string> out;
        for (const std::string &line : trace_.of_kind(tr_KIND_WARNING)) {
            const auto at = line.find("] ");
            out.push_back(at == std::string::npos ? line : line.substr(at + 2));
        }
        return out;
    }

    TraceCapture trace_;
};

// A table read from text under SITE, freed with the test.
class DomainTextTest : public Captured {
protected:
    void TearDown() override {
        cf_free_table(&table_);
        Captured::TearDown();
    }
    void read(const std::string &text, int domain = cf_DOMAIN_SITE) {
        if (!table_) table_ = orv_cftest_table_create(0x20, nullptr, nullptr, -1);
        orv_cftest_read_domain_text(table_, domain, text.data(), text.size());
    }
    std::string var(const char *key) {
        const char *text = orv_cftest_variable_text(table_, key);
        return text ? text : "(missing)";
    }
    ORVConfigurationTable *table_ = nullptr;
};

// ---- Text format ----

TEST_F(DomainTextTest, EntriesFromTextInEveryShape) {
    const struct {
        std::string text;
        std::vector<std::pair<const char *, const char *>> vars;  // key, its text
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
        // A NUL ends the line's text; binary garbage does no harm.
        {std::string("A USER x\0y z\n\xff\xfe\x00\x01\"\\\n\n\"", 23), {{"SITE.A", "A 0 [x]"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        cf_free_table(&table_);
        trace_.clear();
        read(c.text);
        std::string keys;
        for (const auto &[key, text] : c.vars) {
            EXPECT_EQ(var(key), text);
            keys += (keys.empty() ? "" : ",") + std::string(key);
        }
        EXPECT_STREQ(orv_cftest_value_keys(table_), keys.c_str());
        EXPECT_TRUE(trace_.errors().empty() || c.text.find('\xff') != std::string::npos);
    }
}

TEST_F(DomainTextTest, BadPrivilegeSkipsOnlyThatEntry) {
    read("A\tROOT\t1\nB\nC USER 3\n");
    EXPECT_EQ(var("SITE.A"), "(missing)");
    EXPECT_EQ(var("SITE.B"), "(missing)");
    EXPECT_EQ(var("SITE.C"), "C 0 [3]");
    ASSERT_EQ(trace_.errors().size(), 2u);
    EXPECT_EQ(trace_.errors()[0],
              "IN 'cf' INFORM 'log' TITLE 'BAD_PRIV': Invalid privilege value (ROOT) in entry "
              "for \"A\"");
    EXPECT_EQ(trace_.errors()[1],
              "IN 'cf' INFORM 'log' TITLE 'BAD_PRIV': Invalid privilege value (non-existent) in "
              "entry for \"B\"");
}

TEST_F(DomainTextTest, OverLongLinesAreReadInPieces) {
    const std::string value(9000, 'v');
    read("LONG USER " + value + "\nNEXT USER 1\n");
    // The first 8,191 characters make one line; the rest is a line of its own
    // whose single token has no privilege word.
    EXPECT_EQ(var("SITE.LONG"), "LONG 0 [" + std::string(8191 - 10, 'v') + "]");
    EXPECT_EQ(var("SITE.NEXT"), "NEXT 0 [1]");
    ASSERT_EQ(trace_.errors().size(), 1u);
    EXPECT_NE(trace_.errors()[0].find("(non-existent) in entry for \"" +
                                      std::string(9000 - 8181, 'v')),
              std::string::npos);
}

TEST_F(DomainTextTest, ThousandsOfValuesAreAllKept) {
    std::string text = "MANY USER";
    for (int i = 0; i < 5000; ++i) text += (i % 100 == 99 ? " \\\n" : " ") + std::to_string(i);
    read(text + "\n");
    const std::string got = var("SITE.MANY");
    EXPECT_EQ(got.substr(0, 13), "MANY 0 [0|1|2");
    EXPECT_EQ(got.substr(got.size() - 11), "|4998|4999]");
}

// ---- File names ----

TEST(DomainFileNameTest, ExtensionsAndUserSuffixes) {
    EXPECT_STREQ(orv_cftest_domain_file_name(cf_DOMAIN_SYS, "viewer", "jdoe", "RAD"), "viewer.base");
    EXPECT_STREQ(orv_cftest_domain_file_name(cf_DOMAIN_SITE, "viewer", "jdoe", nullptr),
                 "viewer.site");
    EXPECT_STREQ(orv_cftest_domain_file_name(cf_DOMAIN_USER, "viewer", "jdoe", "RADIOLOGY"),
                 "viewer.user.jdoe.RADIOLOGY");
    EXPECT_STREQ(orv_cftest_domain_file_name(cf_DOMAIN_USER, "viewer", "jdoe", nullptr),
                 "viewer.user.jdoe");
    EXPECT_STREQ(orv_cftest_domain_file_name(cf_DOMAIN_USER, "Viewer", nullptr, "RAD"),
                 "Viewer.user");
    EXPECT_EQ(std::string(orv_cftest_domain_file_name(cf_DOMAIN_SITE, std::string(300, 'g').c_str(),
                                                      nullptr, nullptr))
                  .size(),
              255u);
}

// ---- Reading real files through the module ----

class DomainFileTest : public Captured {
protected:
    void SetUp() override {
        cf_term();
        Captured::SetUp();
        dir_.write("sys/data/cf/behavior.plist", behaviors_);
    }
    void TearDown() override {
        cf_free_table(&table_);
        cf_term();
        Captured::TearDown();
    }
    void start(const char *user = nullptr, const char *user_domain = nullptr) {
        ASSERT_EQ(cf_init_ex(user, user_domain), 0);
    }
    std::string var(const char *key) {
        const char *text = orv_cftest_variable_text(table_, key);
        return text ? text : "(missing)";
    }

    std::string behaviors_ = "{ viewer = { default = 0x20; }; }";
    TempInstallation dir_;
    ORVConfigurationTable *table_ = nullptr;
};

TEST_F(DomainFileTest, WorkedExampleReadsAsFiveVariables) {
    dir_.write("site/config/viewer.site",
               "# viewer settings\n"
               "\n"
               "PORT\tUSER\t104\n"
               "ws12.PORT\tadmin\t4104\n"
               "\"Window Title\"\tUSER\t\"Main viewer\"\n"
               "SERVERS\tSYSTEM\talpha beta \\\n"
               "\tgamma\n"
               "$READING.PORT\tUSER\t5104\n");
    start();
    ASSERT_EQ(cf_read_entire_file(cf_DOMAIN_ALL, "viewer", &table_), 0);
    EXPECT_STREQ(orv_cftest_value_keys(table_),
                 "SITE.$READING.PORT,SITE.PORT,SITE.SERVERS,SITE.WINDOW TITLE,SITE.WS12.PORT");
    EXPECT_EQ(var("SITE.PORT"), "PORT 0 [104]");
    EXPECT_EQ(var("SITE.WS12.PORT"), "ws12.PORT 1 [4104]");
    EXPECT_EQ(var("SITE.WINDOW TITLE"), "Window Title 0 [Main viewer]");
    EXPECT_EQ(var("SITE.SERVERS"), "SERVERS 3 [alpha|beta|gamma]");
    EXPECT_EQ(var("SITE.$READING.PORT"), "$READING.PORT 0 [5104]");
    // The missing user and system files only warn.
    EXPECT_TRUE(trace_.errors().empty());
    ASSERT_EQ(warnings().size(), 2u);
    EXPECT_EQ(warnings()[0], "Failed to find file \"" + (dir_ / "user/config/viewer.user") +
                               "\" when reading domain USER for group \"viewer\"");
}

TEST_F(DomainFileTest, AllDomainsGoIntoTheCachedTable) {
    dir_.write("sys/config/viewer.base", "PORT USER 1\n");
    dir_.write("site/config/viewer.site", "PORT USER 2\n");
    dir_.write("user/config/viewer.user.jdoe.RAD", "PORT USER 3\n");
    dir_.write("user/config/viewer.user.jdoe", "OTHER USER 4\n");
    start("jdoe", "RAD");
    ASSERT_EQ(cf_read_entire_file(cf_DOMAIN_USER, "viewer", &table_), 0);
    EXPECT_STREQ(orv_cftest_value_keys(table_), "SITE.PORT,SYS.PORT,USER.PORT");
    char value[256];
    EXPECT_EQ(cf_get_string(cf_DOMAIN_ALL, "viewer", "PORT", nullptr, value, 255, nullptr), 0);
    EXPECT_STREQ(value, "3");
    cf_free_table(&table_);
    // Another user's file, read without changing the module's user.
    ASSERT_EQ(cf_read_entire_file_with_user("jdoe", nullptr, cf_DOMAIN_USER, "viewer", &table_), 0);
    EXPECT_EQ(var("USER.OTHER"), "OTHER 0 [4]");
    EXPECT_EQ(var("USER.PORT"), "(missing)");
    EXPECT_STREQ(cf_user_domain(), "RAD");
}

TEST_F(DomainFileTest, SiteReadStartsFromAnEmptyTable) {
    dir_.write("site/config/viewer.site", "A USER 1\n");
    start();
    ASSERT_EQ(cf_read_entire_file(cf_DOMAIN_SITE, "viewer", &table_), 0);
    dir_.write("site/config/viewer.site", "B USER 2\n");
    ORVConfigurationTable *again = nullptr;
    ASSERT_EQ(cf_read_domain_with_table(&again, cf_DOMAIN_SITE, "viewer"), 0);
    // Same object (the cached table), emptied and filled again.
    EXPECT_EQ(again, table_);
    EXPECT_STREQ(orv_cftest_value_keys(table_), "SITE.B");
    cf_free_table(&again);
    EXPECT_EQ(again, nullptr);
}

TEST_F(DomainFileTest, FailuresOfTheReaders) {
    start();
    EXPECT_EQ(cf_read_entire_file(cf_DOMAIN_ALL, "nowhere", &table_), -1);
    EXPECT_EQ(table_, nullptr);
    EXPECT_EQ(warnings().size(), 3u);
    // A path of the longest length is cut to it, whole buffer used.
    EXPECT_EQ(cf_read_domain_with_table(&table_, cf_DOMAIN_SITE, std::string(300, 'g').c_str()), cf_FILE_NACCESS);
    const std::string path = (dir_ / "site/config/" + std::string(300, 'g')).substr(0, 255);
    EXPECT_EQ(warnings().back(), "Failed to find file \"" + path + "\" when reading domain SITE for group \"" +
                                     std::string(300, 'g') + "\"");
    EXPECT_EQ(cf_read_entire_file(3, "viewer", &table_), cf_BAD_DOMAIN);
    EXPECT_EQ(cf_read_domain_with_table(&table_, -1, "viewer"), cf_BAD_DOMAIN);
    EXPECT_EQ(cf_read_domain_with_table(&table_, cf_DOMAIN_SITE, nullptr), cf_FILE_NACCESS);
    EXPECT_EQ(trace_.errors(), (std::vector<std::string>{
                          "IN 'cf' INFORM 'programmer' TITLE 'BAD_DOMAIN': Invalid domain: 3.",
                          "IN 'cf' INFORM 'programmer' TITLE 'BAD_DOMAIN': Invalid domain: -1.",
                          "IN 'cf' INFORM 'programmer' TITLE 'FILE_NACCESS': Invalid group: (null)"}));
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
    start();
    tr_init_with_call_back(read_at_error);
    ASSERT_EQ(cf_read_domain_with_table(&table_, cf_DOMAIN_SITE, "viewer"), 0);
    EXPECT_STREQ(orv_cftest_value_keys(table_), "SITE.C");
    EXPECT_STREQ(orv_cftest_value_keys(Nested_table), "SITE.Z");
    cf_free_table(&Nested_table);
}

TEST_F(DomainFileTest, FilesWithoutASizeAreReadToTheEnd) {
    // A pipe has no size and gives its text in short pieces, more than the
    // first buffer holds.
    const std::string path = dir_.write("site/config/viewer.site", "");
    ASSERT_EQ(0, unlink(path.c_str()));
    ASSERT_EQ(0, mkfifo(path.c_str(), 0600));
    std::string text;
    for (int i = 0; i < 6000; ++i) text += "NAME" + std::to_string(i) + " USER value" + std::to_string(i) + "\n";
    std::thread writer([&] {
        const int fd = open(path.c_str(), O_WRONLY);
        for (std::size_t at = 0; fd >= 0 && at < text.size(); at += 1000)
            if (write(fd, text.data() + at, std::min<std::size_t>(1000, text.size() - at)) < 0) break;
        close(fd);
    });
    start();
    EXPECT_EQ(cf_read_entire_file(cf_DOMAIN_SITE, "viewer", &table_), 0);
    writer.join();
    EXPECT_GT(text.size(), 65536u + 4096u);
    EXPECT_EQ(var("SITE.NAME0"), "NAME0 0 [value0]");
    EXPECT_EQ(var("SITE.NAME5999"), "NAME5999 0 [value5999]");
}

// ---- Entry lines ----

class EntryLineTest : public Captured {
protected:
    std::string entry(const char *name, int level, std::vector<const char *> values,
                      int *status = nullptr) {
        char buffer[8192];
        int s = mk_entry(buffer, name, level, static_cast<int>(values.size()), values.data());
        if (status) *status = s;
        return buffer;
    }
};

TEST_F(EntryLineTest, QuotesNamesAndValuesWithBlanksOrEmpty) {
    EXPECT_EQ(entry("Window Title", 0, {"Main viewer"}), "\"Window Title\"\tUSER\t\"Main viewer\"\n");
    EXPECT_EQ(entry("A", 2, {"", "x\ty", nullptr}), "A\tINSTALL\t\"\" \"x\ty\" \"\"\n");
    EXPECT_EQ(entry("B", 1, {}), "B\tADMIN\t\n");
}

TEST_F(EntryLineTest, LongEntriesWrapAtColumn79) {
    std::vector<std::string> words;
    std::vector<const char *> values;
    for (char c = 'a'; c < 'a' + 10; ++c) words.emplace_back(10, c);
    for (const auto &w : words) values.push_back(w.c_str());
    EXPECT_EQ(entry("SERVERS", 3, values),
              "SERVERS\tSYSTEM\taaaaaaaaaa bbbbbbbbbb cccccccccc dddddddddd \\\n"
              "\teeeeeeeeee ffffffffff gggggggggg hhhhhhhhhh iiiiiiiiii jjjjjjjjjj\n");
}

TEST_F(EntryLineTest, WrittenEntriesReadBackToTheSameValues) {
    std::vector<std::string> words;
    std::vector<const char *> values;
    for (int i = 0; i < 40; ++i) words.push_back(i % 7 == 0 ? "two words" : "v" + std::to_string(i));
    words.push_back("");
    for (const auto &w : words) values.push_back(w.c_str());
    int status = -1;
    const std::string line = entry("Round Trip", 1, values, &status);
    ASSERT_EQ(status, 0);
    ORVConfigurationTable *t = orv_cftest_table_create(0x20, nullptr, nullptr, -1);
    orv_cftest_read_domain_text(t, cf_DOMAIN_USER, line.data(), line.size());
    std::string joined;
    for (std::size_t i = 0; i < words.size(); ++i) joined += (i ? "|" : "") + words[i];
    EXPECT_STREQ(orv_cftest_variable_text(t, "USER.ROUND TRIP"), ("Round Trip 1 [" + joined + "]").c_str());
    cf_free_table(&t);
}

TEST_F(EntryLineTest, OverflowEmptiesTheBufferAndReports) {
    const std::string big(8180, 'x');
    int status = 0;
    EXPECT_EQ(entry("N", 0, {big.c_str(), "yyyyyyyyyy"}, &status), "");
    EXPECT_EQ(status, cf_BUFFER_OVERFLOW);
    const std::string name(8190, 'n');
    EXPECT_EQ(entry(name.c_str(), 0, {}, &status), "");
    EXPECT_EQ(status, cf_BUFFER_OVERFLOW);
    ASSERT_EQ(trace_.errors().size(), 2u);
    EXPECT_EQ(trace_.errors()[0],
              "IN '<unknown module>' INFORM 'log' TITLE 'BUFFER OVERFLOW': Unable to format "
              "configuration variable \"N\" as the maximum internal buffer size (8192) has been "
              "exceeded");
    // The largest entry that fits: 8,191 characters with the line feed. A
    // value this long always goes on a continuation line.
    const std::string fits(8180, 'f');
    const std::string line = entry("N", 0, {fits.c_str()}, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(line.substr(0, 10), "N\tUSER\t\\\n\t");
    const std::string one_more(8181, 'f');
    EXPECT_EQ(entry("N", 0, {one_more.c_str()}, &status), "");
    EXPECT_EQ(status, cf_BUFFER_OVERFLOW);
    EXPECT_EQ(line.size(), 8191u);
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
        read(site);
        return orv_cftest_load_terms(table_);
    }
    std::string expand(std::vector<const char *> values, unsigned behavior, int *same = nullptr) {
        const char *joined = nullptr;
        int unchanged = 0;
        int status = orv_cftest_expand(values.data(), static_cast<int>(values.size()), behavior,
                                       &joined, &unchanged);
        if (same) *same = unchanged;
        if (status != 0) return "status " + std::to_string(status);
        return joined ? joined : "(null)";
    }
    static constexpr const char *kTerms =
        "LIST_OF_GROUPS USER READING CT_ROOM\nREADING USER ws12 ws13\nCT_ROOM USER ws13 ct1\n";
};

TEST_F(ExpansionTest, ForwardAndReverseLookups) {
    ASSERT_EQ(load(kTerms), 0);
    EXPECT_TRUE(orv_cftest_terms_loaded());
    EXPECT_STREQ(orv_cftest_term_elements("READING"), "ws12|ws13");
    EXPECT_STREQ(orv_cftest_term_elements("CT_ROOM"), "ws13|ct1");
    EXPECT_STREQ(orv_cftest_terms_for_element("WS12"), "READING");
    EXPECT_STREQ(orv_cftest_terms_for_element("WS13"), "READING|CT_ROOM");
    EXPECT_STREQ(orv_cftest_terms_for_element("CT1"), "CT_ROOM");
    EXPECT_EQ(orv_cftest_terms_for_element("ws12"), nullptr);
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
        int same = -1;
        EXPECT_EQ(expand(c.values, c.behavior, &same), c.expanded);
        if (!c.error) {
            EXPECT_EQ(same, c.same);
        }
        std::vector<std::string> errors;
        if (c.error) errors.push_back(std::string("IN 'ORVCommonKit' INFORM 'log' TITLE 'EXPAND': ") + c.error);
        EXPECT_EQ(trace_.errors(), errors);
    }
}

TEST_F(ExpansionTest, NoListOrNoneMeansNoTermsAndLooksAgainLater) {
    EXPECT_EQ(load("OTHER USER 1\n"), 0);
    EXPECT_FALSE(orv_cftest_terms_loaded());
    EXPECT_EQ(load("LIST_OF_GROUPS USER none\n"), 0);
    EXPECT_FALSE(orv_cftest_terms_loaded());
    EXPECT_EQ(load("LIST_OF_GROUPS USER\n"), 0);
    EXPECT_FALSE(orv_cftest_terms_loaded());
    EXPECT_EQ(load(kTerms), 0);
    EXPECT_TRUE(orv_cftest_terms_loaded());
    EXPECT_TRUE(trace_.errors().empty());
}

TEST_F(ExpansionTest, TermNamesAndEmptyTerms) {
    ASSERT_EQ(load("LIST_OF_GROUPS USER read-room_2 EMPTY\nREAD-ROOM_2 USER a\nEMPTY USER\n"), 0);
    EXPECT_STREQ(orv_cftest_term_elements("READ-ROOM_2"), "a");
    EXPECT_STREQ(orv_cftest_term_elements("EMPTY"), "");
}

TEST_F(ExpansionTest, OnlySiteAndSystemDomainsCount) {
    read("LIST_OF_GROUPS USER U\nU USER fromuser\n", cf_DOMAIN_USER);
    read("LIST_OF_GROUPS USER S\nS USER fromsys\n", cf_DOMAIN_SYS);
    ASSERT_EQ(orv_cftest_load_terms(table_), 0);
    EXPECT_STREQ(orv_cftest_term_elements("S"), "fromsys");
    EXPECT_EQ(orv_cftest_term_elements("U"), nullptr);
}

TEST_F(ExpansionTest, BadDefinitionsLoadNothing) {
    struct Case {
        const char *site;
        const char *message;
    } cases[] = {
        {"LIST_OF_GROUPS USER A A\nA USER x\n", "Multiple declaration of expansion term \"A\"."},
        {"LIST_OF_GROUPS USER \"READ ROOM\"\n", "Expansion term \"READ ROOM\" contains invalid character."},
        {"LIST_OF_GROUPS USER R&D\n", "Expansion term \"R&D\" contains invalid character."},
        {"LIST_OF_GROUPS USER A GHOST\nA USER x\n", "Expansion term \"GHOST\" declared but not defined."},
        {"LIST_OF_GROUPS USER Room\nRoom USER ws1 $OTHER\n",
         "Expansion element \"$OTHER\" may not contain leading \"$\" in term \"Room\"."},
    };
    for (const Case &c : cases) {
        cf_free_table(&table_);
        trace_.clear();
        EXPECT_EQ(load(c.site), cf_EXPAND) << c.site;
        EXPECT_FALSE(orv_cftest_terms_loaded());
        EXPECT_EQ(orv_cftest_term_elements("A"), nullptr);
        EXPECT_EQ(trace_.errors(),
                  std::vector<std::string>{
                      std::string("IN 'ORVCommonKit' INFORM 'log' TITLE 'CF Load Expansions': ") +
                      c.message});
    }
}

}  // namespace

// Configuration changes: single-entry edits that keep the rest of the file
// byte for byte, privilege and read-only refusals, whole-table saves, typed
// values, round trips through the lookups, and rewrites that fail half way
// (through the files family's system-call seam) leaving the old file whole.
// Every test runs in a temporary installation of its own.
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include "files/sys_seam.h"

#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/cfset.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/tr.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace {

using orvtest::read_file;
using orvtest::TempInstallation;
using orvtest::TraceCapture;

// Group "locked" looks PORT up through host groups, so it is read-only.
const char *const Behaviors = R"({
    locked = { variables = { PORT = 0x10; }; };
})";

class ConfigSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        cf_term();
        trace_.start();
        dir_.write("sys/data/cf/behavior.plist", Behaviors);
    }
    void TearDown() override {
        cf_term();
        trace_.stop();
    }

    void start() { ASSERT_EQ(0, cf_init("jdoe")); }
    std::string site_path() const { return dir_ / "site/config/viewer.site"; }
    std::string user_path() const { return dir_ / "user/config/viewer.user.jdoe"; }
    void site(const std::string &text) { dir_.write("site/config/viewer.site", text); }
    std::string site_text() const { return read_file(site_path()); }

    int set(int domain, const char *name, std::vector<const char *> values, int level = 0,
            const char *group = "viewer") {
        return cf_set(domain, group, name, level, static_cast<int>(values.size()), values.data());
    }
    // The values of a variable joined by "|", or the status.
    std::string get(const char *name, int domain = cf_DOMAIN_ALL) {
        char *values[cf_MAX_VALUES];
        int count = 0;
        const int status = cf_get(domain, "viewer", name, nullptr, &count, values);
        if (status != 0) return "status " + std::to_string(status);
        std::string out;
        for (int i = 0; i < count; ++i) out += (i ? "|" : "") + std::string(values[i]);
        cf_free(values, count);
        return out;
    }

    TempInstallation dir_;
    TraceCapture trace_;
};

// ---- Single-entry edits keep the rest of the file ----

// One change of the site file: a set (values given) or a removal (none), and
// the file's text afterwards.
struct Edit {
    const char *before, *name;
    std::vector<const char *> values;
    int status;
    const char *after;
    bool remove = false;
    const char *refused_below = nullptr;  // the level named by the refusal
};

TEST_F(ConfigSetTest, SingleEntryEditsKeepEverythingElseByteForByte) {
    const Edit edits[] = {
        // The first entry goes with its continuations; comments, line ends and later entries stay.
        {"# head\r\n\nA USER 1\nPORT USER 104 \\\n\n\t105\n# mid \\\nport ADMIN 7\nZ USER z", "Port", {"200"}, 0,
         "# head\r\n\nA USER 1\nPort\tUSER\t200\n# mid \\\nport ADMIN 7\nZ USER z"},
        // A continuation line named like the variable is not an entry.
        {"SERVERS USER a \\\n\tPORT b\nPORT USER 1\n", "PORT", {"2"}, 0, "SERVERS USER a \\\n\tPORT b\nPORT\tUSER\t2\n"},
        {"SERVERS USER a \\\n\tPORT b\nPORT USER 1\n", "PORT", {}, 0, "SERVERS USER a \\\n\tPORT b\n", true},
        // A new entry comes after one empty line, or after the missing line feed.
        {"A USER 1\n", "Window Title", {"Main viewer", ""}, 0, "A USER 1\n\n\"Window Title\"\tUSER\t\"Main viewer\" \"\"\n"},
        {"A USER 1", "B", {"x"}, 0, "A USER 1\nB\tUSER\tx\n"},
        // Removal takes every entry of the name, with or without values.
        {"A USER 1\nPORT USER 1 \\\n\n\t2\n# c\nport USER 3\nB USER b\nPORT USER\n", "PORT", {}, 0,
         "A USER 1\n# c\nB USER b\n", true},
        {"A USER 1\n# c\n", "PORT", {}, cf_NOT_FOUND, "A USER 1\n# c\n", true},
        {"PORT ADMIN\nB USER b\n", "PORT", {"1"}, cf_INSUF_PRIV, "PORT ADMIN\nB USER b\n", false, "ADMIN"},
        // A file ending inside a continued entry stops the search.
        {"A USER 1\nB USER v \\\n", "A", {"2"}, 0, "A\tUSER\t2\nB USER v \\\n"},
        // The search resumes where the previous one stopped, but a later, lower
        // entry of a name never unlocks the first one.
        {"A SYSTEM 1\nB SYSTEM 2\nA USER 3\n", "B", {"x"}, cf_INSUF_PRIV, "A SYSTEM 1\nB SYSTEM 2\nA USER 3\n", false, "SYS"},
        {"A SYSTEM 1\nB SYSTEM 2\nA USER 3\n", "A", {"x"}, cf_INSUF_PRIV, "A SYSTEM 1\nB SYSTEM 2\nA USER 3\n", false, "SYS"},
        {"A SYSTEM 1\nB SYSTEM 2\nA USER 3\n", "A", {}, cf_INSUF_PRIV, "A SYSTEM 1\nB SYSTEM 2\nA USER 3\n", true, "SYS"},
    };
    start();
    for (const Edit &e : edits) {
        SCOPED_TRACE(e.before);
        if (site_text() != e.before) site(e.before);  // an unchanged file keeps the search where it was
        trace_.clear();
        EXPECT_EQ(e.status, e.remove ? cf_rm(cf_DOMAIN_SITE, "viewer", e.name) : set(cf_DOMAIN_SITE, e.name, e.values));
        EXPECT_EQ(e.after, site_text());
        EXPECT_NE(0, access((site_path() + "+").c_str(), F_OK));
        std::vector<std::string> errors;
        if (e.refused_below)
            errors.push_back(std::string("IN 'cf' INFORM 'log' TITLE 'INSUF_PRIV': Insufficient privilege to change "
                                         "parameter \"") + e.name + (e.remove ? "\"." : "\"") + "\n\t privilege level cf_" +
                             e.refused_below + "_PRIV is required");
        EXPECT_EQ(errors, trace_.errors());
    }
    // The value-less entry is found, and removed by a caller of its level.
    site("PORT ADMIN\nB USER b\n");
    ASSERT_EQ(0, cf_set_perm(cf_ADMIN_PRIV));
    ASSERT_EQ(0, cf_rm(cf_DOMAIN_SITE, "viewer", "PORT"));
    EXPECT_EQ("B USER b\n", site_text());
}

TEST_F(ConfigSetTest, FailuresInTheFileAreReportedWithTheEntry) {
    start();
    site("A USER 1\nB USER v \\\n");
    EXPECT_EQ(cf_UNEX_EOF, set(cf_DOMAIN_SITE, "C", {"3"}));
    EXPECT_EQ("A USER 1\nB USER v \\\n", site_text());
    site("PORT ROOT 1\n");
    EXPECT_EQ(cf_BAD_PRIV, set(cf_DOMAIN_SITE, "PORT", {"2"}));
    EXPECT_EQ("PORT ROOT 1\n", site_text());
    EXPECT_EQ(trace_.errors(), (std::vector<std::string>{
        "IN 'cf' INFORM 'log' TITLE 'UNEX_EOF': Unexpected end of file in file \"" + site_path() +
            "\"\n\t\tentry: B USER v  ",
        "IN 'cf' INFORM 'log' TITLE 'BAD_PRIV': Invalid privilege value (ROOT) in entry for parameter: PORT"}));
    // Nothing to remove in a user file that is not there.
    EXPECT_EQ(cf_FILE_NACCESS, cf_rm(cf_DOMAIN_USER, "viewer", "PORT"));
    EXPECT_NE(0, access(user_path().c_str(), F_OK));
}

TEST_F(ConfigSetTest, SetCreatesMissingDirectoriesAndUserFile) {
    start();
    const mode_t mask = umask(0);
    ASSERT_EQ(0, set(cf_DOMAIN_USER, "PORT", {"1"}));
    umask(mask);
    EXPECT_EQ("\nPORT\tUSER\t1\n", read_file(user_path()));
    struct stat st {};
    ASSERT_EQ(0, stat(user_path().c_str(), &st));
    EXPECT_EQ(0664u, st.st_mode & 07777);  // readable by all, writable by the group
    ASSERT_EQ(0, set(cf_DOMAIN_SYS, "PORT", {"4"}, cf_USER_PRIV));
    EXPECT_EQ("\nPORT\tSYSTEM\t4\n", read_file(dir_ / "sys/config/viewer.base"));
}

TEST_F(ConfigSetTest, ManyValuesAreWrappedOntoContinuationLinesAndReadBack) {
    site("PORT USER 1\n");
    start();
    std::vector<const char *> values(10, "abcdefghij");
    ASSERT_EQ(0, set(cf_DOMAIN_SITE, "SERVERS", values));
    const std::string five = "abcdefghij abcdefghij abcdefghij abcdefghij abcdefghij";
    EXPECT_EQ("PORT USER 1\n\nSERVERS\tUSER\t" + five + " \\\n\t" + five + "\n", site_text());
    ASSERT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    std::string expected = "abcdefghij";
    for (int i = 1; i < 10; ++i) expected += "|abcdefghij";
    EXPECT_EQ(expected, get("SERVERS"));
    // Replacing the wrapped entry removes every continuation line.
    ASSERT_EQ(0, set(cf_DOMAIN_SITE, "servers", {"one"}));
    EXPECT_EQ("PORT USER 1\n\nservers\tUSER\tone\n", site_text());
}

// ---- Privileges ----

TEST_F(ConfigSetTest, EntryOfHigherLevelIsAddedButThenRefused) {
    start();
    ASSERT_EQ(0, set(cf_DOMAIN_SITE, "PORT", {"1"}, cf_SYS_PRIV));
    EXPECT_EQ(cf_INSUF_PRIV, set(cf_DOMAIN_SITE, "PORT", {"2"}));
    EXPECT_EQ(cf_INSUF_PRIV, cf_rm(cf_DOMAIN_SITE, "viewer", "PORT"));
    ASSERT_EQ(2u, trace_.errors().size());
    EXPECT_EQ("IN 'cf' INFORM 'log' TITLE 'INSUF_PRIV': Insufficient privilege to change "
              "parameter \"PORT\"\n\t privilege level cf_SYS_PRIV is required",
              trace_.errors()[0]);
    EXPECT_EQ("IN 'cf' INFORM 'log' TITLE 'INSUF_PRIV': Insufficient privilege to change "
              "parameter \"PORT\".\n\t privilege level cf_SYS_PRIV is required",
              trace_.errors()[1]);
    EXPECT_EQ("\nPORT\tSYSTEM\t1\n", site_text());
    ASSERT_EQ(0, cf_set_perm(cf_SYS_PRIV));
    ASSERT_EQ(0, set(cf_DOMAIN_SITE, "PORT", {"2"}, cf_ADMIN_PRIV));
    EXPECT_EQ("\nPORT\tADMIN\t2\n", site_text());
}

TEST_F(ConfigSetTest, ReadOnlyGroupRefusesEveryChange) {
    dir_.write("site/config/locked.site", "PORT USER 1\n");
    start();
    EXPECT_EQ(cf_READ_ONLY, set(cf_DOMAIN_SITE, "OTHER", {"2"}, 0, "locked"));
    EXPECT_EQ(cf_READ_ONLY, cf_rm(cf_DOMAIN_SITE, "locked", "PORT"));
    EXPECT_EQ(cf_READ_ONLY, set(cf_DOMAIN_USER, "PORT", {"2"}, 0, "locked"));
    ASSERT_EQ(3u, trace_.errors().size());
    EXPECT_EQ("IN 'cf' INFORM 'programmer' TITLE 'READ_ONLY': Attempting to set \"OTHER\" in "
              "group \"locked\" marked read-only.",
              trace_.errors()[0]);
    EXPECT_EQ("IN 'cf' INFORM 'programmer' TITLE 'READ_ONLY': Attempting to remove \"PORT\" in "
              "group \"locked\" marked read-only.",
              trace_.errors()[1]);
    EXPECT_EQ("PORT USER 1\n", read_file(dir_ / "site/config/locked.site"));
    // The refusal comes after the file was made sure of: an empty user file.
    EXPECT_EQ("", read_file(dir_ / "user/config/locked.user.jdoe"));
    EXPECT_EQ(0, access((dir_ / "user/config/locked.user.jdoe").c_str(), F_OK));

    ORVConfigurationTable *table = nullptr;
    ASSERT_EQ(0, cf_read_entire_file(cf_DOMAIN_SITE, "locked", &table));
    EXPECT_EQ(cf_READ_ONLY, cf_set_string_from_table(&table, cf_DOMAIN_SITE, "X", 0, "1"));
    EXPECT_EQ(cf_READ_ONLY, cf_save_domain_with_table(table, cf_DOMAIN_SITE, "locked"));
    EXPECT_EQ("IN 'ORVCommonKit' INFORM 'programmer' TITLE 'READ_ONLY': Attempting to set \"X\" "
              "in group marked read-only.",
              trace_.errors()[3]);
    EXPECT_EQ("IN 'ORVCommonKit' INFORM 'programmer' TITLE 'READ_ONLY': In domain SITE, "
              "attempting to save group \"locked\" marked read-only.",
              trace_.errors()[4]);
    cf_free_table(&table);
}

// ---- Arguments ----

TEST_F(ConfigSetTest, ArgumentsAreCheckedBeforeAnyFileIsTouched) {
    const char *one[] = {"1"};
    EXPECT_EQ(cf_NOT_INIT, cf_set(cf_DOMAIN_SITE, "viewer", "PORT", 0, 1, one));
    EXPECT_EQ(cf_NOT_INIT, cf_rm(cf_DOMAIN_SITE, "viewer", "PORT"));
    start();
    EXPECT_EQ(cf_BAD_PARAM, cf_set(cf_DOMAIN_SITE, nullptr, "PORT", 0, 1, one));
    EXPECT_EQ(cf_BAD_PARAM, cf_set(cf_DOMAIN_SITE, "viewer", nullptr, 0, 1, one));
    EXPECT_EQ(cf_BAD_PARAM, cf_rm(cf_DOMAIN_SITE, "viewer", nullptr));
    EXPECT_EQ(cf_BAD_DOMAIN, cf_set(cf_DOMAIN_ALL, "viewer", "PORT", 0, 1, one));
    EXPECT_EQ(cf_BAD_DOMAIN, cf_rm(-1, "viewer", "PORT"));
    EXPECT_EQ(cf_BAD_PRIV, cf_set(cf_DOMAIN_SITE, "viewer", "PORT", 4, 1, one));
    // In SYS every entry gets cf_SYS_PRIV, so a bad level does not matter.
    EXPECT_EQ(cf_BAD_NVALUES, cf_set(cf_DOMAIN_SYS, "viewer", "PORT", 9, 0, one));
    EXPECT_EQ(cf_BAD_NVALUES, cf_set(cf_DOMAIN_SITE, "viewer", "PORT", 0, 1001, one));
    const int bad_type = 7;
    EXPECT_EQ(cf_BAD_TYPE, cf_set_simple(cf_DOMAIN_SITE, "viewer", "PORT", 0, &bad_type, 7));
    const std::vector<std::string> expected = {
        "IN 'cf' INFORM 'programmer' TITLE 'NOT_INIT': Attempt to use function cf_set() prior "
        "to init",
        "IN 'cf' INFORM 'programmer' TITLE 'NOT_INIT': Attempt to use function cf_rm() prior "
        "to init",
        "IN 'cf' INFORM 'programmer' TITLE 'BAD_DOMAIN': Invalid domain: 4.",
        "IN 'cf' INFORM 'programmer' TITLE 'BAD_DOMAIN': Invalid domain: -1.",
        "IN 'cf' INFORM 'programmer' TITLE 'BAD_PRIV': Invalid permission level: 4",
        "IN 'cf' INFORM 'programmer' TITLE 'BAD_NVALUES': Invalid number of values: 0",
        "IN 'cf' INFORM 'programmer' TITLE 'BAD_NVALUES': Invalid number of values: 1001",
        "IN 'cf' INFORM 'log' TITLE 'BAD_TYPE': Invalid type: 7",
    };
    EXPECT_EQ(expected, trace_.errors());
    EXPECT_NE(0, access((dir_ / "site").c_str(), F_OK));
}

// ---- Typed values and round trips ----

TEST_F(ConfigSetTest, TypedValuesAreWrittenAsTextAndReadBack) {
    start();
    const unsigned char yes = 1, byte = 200;
    const float half = 2.5f;
    const short negative = -5;
    const int whole = -70000;
    const float rect[4] = {1, 2, 3, 4};
    ASSERT_EQ(0, cf_set_simple(cf_DOMAIN_SITE, "viewer", "FLAG", 0, &yes, cf_TYPE_BOOL));
    ASSERT_EQ(0, cf_set_simple(cf_DOMAIN_SITE, "viewer", "SCALE", 0, &half, cf_TYPE_FLOAT));
    ASSERT_EQ(0, cf_set_simple(cf_DOMAIN_SITE, "viewer", "B", 0, &byte, cf_TYPE_BYTE));
    ASSERT_EQ(0, cf_set_simple(cf_DOMAIN_SITE, "viewer", "S", 0, &negative, cf_TYPE_SHORT));
    ASSERT_EQ(0, cf_set_simple(cf_DOMAIN_SITE, "viewer", "L", 0, &whole, cf_TYPE_LONG));
    ASSERT_EQ(0, cf_set_simple(cf_DOMAIN_SITE, "viewer", "R", 0, rect, cf_TYPE_RECT));
    EXPECT_EQ("\nFLAG\tUSER\tyes\n\nSCALE\tUSER\t2.500000\n\nB\tUSER\t200\n\nS\tUSER\t-5\n"
              "\nL\tUSER\t-70000\n\nR\tUSER\t\"XYWH 1.000000 2.000000 3.000000 4.000000\"\n",
              site_text());
    ASSERT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    float back[4] = {};
    ASSERT_EQ(0, cf_get_simple(cf_DOMAIN_ALL, "viewer", "R", nullptr, back, cf_TYPE_RECT, 0));
    EXPECT_EQ(3.0f, back[2]);

    const float huge[4] = {3e38f, 3e38f, 3e38f, 3e38f};
    EXPECT_EQ(cf_BUFFER_OVERFLOW,
              cf_set_simple(cf_DOMAIN_SITE, "viewer", "R", 0, huge, cf_TYPE_RECT));
}

TEST_F(ConfigSetTest, LookupsSeeAChangeOnlyAfterTheGroupIsRefreshed) {
    site("PORT USER 104\n");
    start();
    EXPECT_EQ("104", get("PORT"));
    ASSERT_EQ(0, cf_set_string(cf_DOMAIN_USER, "viewer", "PORT", 0, "204"));
    EXPECT_EQ("104", get("PORT"));
    ASSERT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    EXPECT_EQ("204", get("PORT"));
    ASSERT_EQ(0, cf_rm(cf_DOMAIN_USER, "viewer", "port"));
    ASSERT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    EXPECT_EQ("104", get("PORT"));
}

// ---- Rewrites that fail half way ----

// Writes the first half of what it is given, then finds the disk full.
bool Half_written = false;
ssize_t write_half_then_fail(int fd, const void *buffer, size_t count) {
    if (!Half_written && count > 1) {
        Half_written = true;
        return orv::files::real_sys().write(fd, buffer, count / 2);
    }
    Half_written = false;
    errno = ENOSPC;
    return -1;
}

int rename_fails(const char *, const char *) {
    errno = EIO;
    return -1;
}

int open_fails(const char *, int, mode_t) {
    errno = EACCES;
    return -1;
}

TEST_F(ConfigSetTest, WriteFailingHalfWayLeavesTheOldFileWhole) {
    const std::string text = "# keep me\nPORT USER 104\nB USER b\n";
    site(text);
    start();
    orv::files::SysCalls calls = orv::files::real_sys();
    calls.write = write_half_then_fail;
    {
        orv::files::ScopedSysCalls scoped(calls);
        EXPECT_EQ(cf_FILE_NWRITE, set(cf_DOMAIN_SITE, "PORT", {"205"}));
        EXPECT_EQ(cf_FILE_NWRITE, cf_rm(cf_DOMAIN_SITE, "viewer", "B"));
    }
    EXPECT_EQ(text, site_text());
    EXPECT_NE(0, access((site_path() + "+").c_str(), F_OK));
    ASSERT_EQ(4u, trace_.errors().size());
    EXPECT_EQ("IN '<unknown module>' INFORM 'log' TITLE 'cf': Failed to write line to new file",
              trace_.errors()[0]);
    EXPECT_EQ("IN 'cf' INFORM 'log' TITLE 'FILE_NWRITE': Unable to remove entry and rewrite "
              "file \"" + site_path() + "\".",
              trace_.errors()[1]);
    EXPECT_EQ("IN 'cf' INFORM 'log' TITLE 'FILE_NWRITE': Unable to rewrite file \"" +
                  site_path() + "\".",
              trace_.errors()[3]);
    ASSERT_EQ(0, set(cf_DOMAIN_SITE, "PORT", {"205"}));
    EXPECT_EQ("# keep me\nPORT\tUSER\t205\nB USER b\n", site_text());
}

TEST_F(ConfigSetTest, FailedRenameOrTemporaryCopyLeavesTheOldFileWhole) {
    const std::string text = "PORT USER 104\n";
    site(text);
    start();
    orv::files::SysCalls calls = orv::files::real_sys();
    calls.rename = rename_fails;
    {
        orv::files::ScopedSysCalls scoped(calls);
        EXPECT_EQ(cf_FILE_NWRITE, set(cf_DOMAIN_SITE, "NEW", {"1"}));
    }
    calls = orv::files::real_sys();
    calls.open = open_fails;
    {
        orv::files::ScopedSysCalls scoped(calls);
        EXPECT_EQ(cf_FILE_NWRITE, set(cf_DOMAIN_SITE, "PORT", {"1"}));
    }
    EXPECT_EQ(text, site_text());
    EXPECT_NE(0, access((site_path() + "+").c_str(), F_OK));
    ASSERT_EQ(3u, trace_.errors().size());
    EXPECT_EQ("IN '<unknown module>' INFORM 'log' TITLE 'cf': rename \"" + site_path() +
                  "+\" to \"" + site_path() + "\" failed: Input/output error",
              trace_.errors()[0]);
    EXPECT_EQ("IN 'cf' INFORM 'log' TITLE 'FILE_NWRITE': Unable to remove entry and rewrite "
              "file \"" + site_path() + "\".",
              trace_.errors()[2]);
}

// ---- Table changes and saves ----

class ConfigSaveTest : public ConfigSetTest {
protected:
    ORVConfigurationTable *read_site() {
        ORVConfigurationTable *table = nullptr;
        EXPECT_EQ(0, cf_read_entire_file(cf_DOMAIN_SITE, "viewer", &table));
        return table;
    }
};

TEST_F(ConfigSaveTest, SaveKeepsCommentsOrderAndUnknownEntriesAndAppendsNewOnes) {
    // An entry with the empty name is an entry like any other, and no comment.
    site("# viewer\r\n\nPORT  user   104\n\"Window Title\" USER \"Main viewer\"\n"
         "BAD ROOT 1\nLIST USER a \\\n  b\n# end\n\"\"  USER  e\n");
    start();
    ORVConfigurationTable *table = read_site();
    ASSERT_NE(nullptr, table);
    ASSERT_EQ(0, cf_set_string_from_table(&table, cf_DOMAIN_SITE, "zeta", cf_ADMIN_PRIV, "z z"));
    const char *two[] = {"1", "2"};
    ASSERT_EQ(0, cf_set_from_table(&table, cf_DOMAIN_SITE, "Alpha", 0, 2, two));
    ASSERT_EQ(0, cf_set_from_table(&table, cf_DOMAIN_USER, "Other", 0, 2, two));
    ASSERT_EQ(0, cf_save_domain_with_table(table, cf_DOMAIN_SITE, "viewer"));
    EXPECT_EQ("# viewer\n\nPORT\tUSER\t104\n\"Window Title\"\tUSER\t\"Main viewer\"\n"
              "BAD ROOT 1\nLIST\tUSER\ta b\n# end\n\"\"\tUSER\te\nALPHA\tUSER\t1 2\nZETA\tADMIN\t\"z z\"\n",
              site_text());
    cf_free_table(&table);
}

TEST_F(ConfigSaveTest, UpdatedOnlySaveRewritesOnlyVariablesMarkedNew) {
    site("PORT  USER  104\nMODE USER a\n");
    start();
    ORVConfigurationTable *table = read_site();
    ASSERT_EQ(0, cf_set_string_from_table(&table, cf_DOMAIN_SITE, "mode", 0, "b"));
    ASSERT_EQ(0, cf_save_updated_domain_with_table_and_user(table, nullptr, nullptr,
                                                            cf_DOMAIN_SITE, "viewer"));
    EXPECT_EQ("PORT  USER  104\nMODE\tUSER\tb\n", site_text());
    cf_free_table(&table);
}

TEST_F(ConfigSaveTest, UnchangedTextIsNotWritten) {
    site("PORT\tUSER\t104\n# c\n");
    start();
    struct stat before {}, after {};
    ASSERT_EQ(0, stat(site_path().c_str(), &before));
    ORVConfigurationTable *table = read_site();
    ASSERT_EQ(0, cf_save_domain_with_table(table, cf_DOMAIN_SITE, "viewer"));
    ASSERT_EQ(0, stat(site_path().c_str(), &after));
    EXPECT_EQ(before.st_ino, after.st_ino);
    cf_free_table(&table);
}

TEST_F(ConfigSaveTest, SaveWithUserWritesThatUsersFile) {
    site("");
    start();
    ORVConfigurationTable *fresh = read_site();
    ASSERT_EQ(0, cf_set_string_from_table(&fresh, cf_DOMAIN_USER, "port", 0, "9"));
    ASSERT_EQ(0, cf_save_domain_with_table_and_user(fresh, "asmith", "RAD", cf_DOMAIN_USER,
                                                    "viewer"));
    EXPECT_EQ("PORT\tUSER\t9\n", read_file(dir_ / "user/config/viewer.user.asmith.RAD"));
    EXPECT_STREQ("jdoe", cf_user_name());
    cf_free_table(&fresh);
}

TEST_F(ConfigSaveTest, EntireTableSaveGoesOnAfterAFailureAndReturnsTheLowest) {
    site("PORT USER 1\n");
    dir_.write("sys/config", "not a directory");
    start();
    ORVConfigurationTable *table = read_site();
    ASSERT_EQ(0, cf_set_string_from_table(&table, cf_DOMAIN_USER, "port", 0, "2"));
    ASSERT_EQ(0, cf_set_string_from_table(&table, cf_DOMAIN_SITE, "port", 0, "3"));
    ASSERT_EQ(0, cf_set_string_from_table(&table, cf_DOMAIN_SYS, "port", 0, "4"));
    EXPECT_EQ(cf_FILE_NCREATE, cf_save_entire_table(table, cf_DOMAIN_ALL, "viewer"));
    EXPECT_EQ("PORT\tUSER\t2\n", read_file(user_path()));
    EXPECT_EQ("PORT\tUSER\t3\n", site_text());
    ASSERT_EQ(2u, trace_.errors().size());
    EXPECT_EQ("IN 'Directory Creation Error' INFORM 'log' TITLE 'cf': There is already a "
              "non-directory file with the name: " + (dir_ / "sys/config"),
              trace_.errors()[0]);
    EXPECT_EQ(cf_BAD_DOMAIN, cf_save_entire_table(table, 3, "viewer"));
    EXPECT_EQ(cf_BAD_DOMAIN, cf_save_domain_with_table(table, 3, "viewer"));
    EXPECT_EQ("IN 'cf' INFORM 'programmer' TITLE 'BAD_DOMAIN': Invalid domain: 3.", trace_.errors().back());
    cf_free_table(&table);
}

TEST_F(ConfigSaveTest, EntireTableSaveOfEveryDomainReturnsZero) {
    site("PORT USER 1\n");
    start();
    ORVConfigurationTable *table = read_site();
    ASSERT_EQ(0, cf_set_string_from_table(&table, cf_DOMAIN_USER, "port", 0, "2"));
    EXPECT_EQ(0, cf_save_entire_table(table, cf_DOMAIN_ALL, "viewer"));
    EXPECT_EQ("PORT\tUSER\t2\n", read_file(user_path()));
    EXPECT_EQ("PORT\tUSER\t1\n", site_text());
    cf_free_table(&table);
}

}  // namespace

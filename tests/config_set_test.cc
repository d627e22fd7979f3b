// Configuration changes: single-entry edits that keep the rest of the file
// byte for byte, privilege and read-only refusals, whole-table saves, typed
// values, round trips through the lookups, and rewrites that fail half way
// (through the files family's system-call seam) leaving the old file whole.
// Every test runs in a temporary installation of its own.
#include "support/config_helpers.h"

#include "files/sys_seam.h"

#include <ORVCommonKit/cfset.h>
#include <ORVCommonKit/cftable.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using orvtest::cf_report;
using orvtest::read_file;

class ConfigSetTest : public orvtest::ConfigTest {
protected:
    // Group "locked" looks PORT up through host groups, so it is read-only.
    ConfigSetTest() : ConfigTest("{ locked = { variables = { PORT = 0x10; }; }; }") {}

    void start() { ASSERT_EQ(0, cf_init("jdoe")); }
    std::string user_path() const { return dir_ / "user/config/viewer.user.jdoe"; }
    int set(int domain, const char *name, std::vector<const char *> values, int level = 0,
            const char *group = "viewer") {
        return cf_set(domain, group, name, level, static_cast<int>(values.size()), values.data());
    }
    std::string get(const char *name) { return orvtest::cf_values("viewer", name); }
    ORVConfigurationTable *read_site() {
        ORVConfigurationTable *table = nullptr;
        EXPECT_EQ(0, cf_read_entire_file(cf_DOMAIN_SITE, "viewer", &table));
        return table;
    }
    static std::string refused(const char *name, bool remove, const char *level) {
        return cf_report("log", "INSUF_PRIV", std::string("Insufficient privilege to change parameter \"") + name +
                                                  (remove ? "\"." : "\"") + "\n\t privilege level cf_" + level +
                                                  "_PRIV is required");
    }
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
    int level = cf_USER_PRIV;
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
        // An entry of a higher level than the caller's is added, but then refused.
        {"", "PORT", {"1"}, 0, "\nPORT\tSYSTEM\t1\n", false, nullptr, cf_SYS_PRIV},
        {"\nPORT\tSYSTEM\t1\n", "PORT", {"2"}, cf_INSUF_PRIV, "\nPORT\tSYSTEM\t1\n", false, "SYS"},
        // Many values are wrapped onto continuation lines.
        {"", "S", std::vector<const char *>(6, "abcdefghij"), 0,
         "\nS\tUSER\tabcdefghij abcdefghij abcdefghij abcdefghij abcdefghij \\\n\tabcdefghij\n"},
    };
    start();
    for (const Edit &e : edits) {
        SCOPED_TRACE(e.before);
        if (site_text() != e.before) site(e.before);  // an unchanged file keeps the search where it was
        trace_.clear();
        EXPECT_EQ(e.status, e.remove ? cf_rm(cf_DOMAIN_SITE, "viewer", e.name) : set(cf_DOMAIN_SITE, e.name, e.values, e.level));
        EXPECT_EQ(e.after, site_text());
        EXPECT_NE(0, access((site_path() + "+").c_str(), F_OK));
        std::vector<std::string> errors;
        if (e.refused_below) errors.push_back(refused(e.name, e.remove, e.refused_below));
        EXPECT_EQ(errors, trace_.errors());
    }
    // The value-less entry is found, and removed by a caller of its level;
    // a caller of the highest level may lower an entry's level.
    site("PORT ADMIN\nB SYSTEM b\n");
    ASSERT_EQ(0, cf_set_perm(cf_ADMIN_PRIV));
    ASSERT_EQ(0, cf_rm(cf_DOMAIN_SITE, "viewer", "PORT"));
    EXPECT_EQ("B SYSTEM b\n", site_text());
    ASSERT_EQ(0, cf_set_perm(cf_SYS_PRIV));
    ASSERT_EQ(0, set(cf_DOMAIN_SITE, "B", {"2"}, cf_ADMIN_PRIV));
    EXPECT_EQ("B\tADMIN\t2\n", site_text());
}

TEST_F(ConfigSetTest, FailuresInTheFileAreReportedWithTheEntry) {
    start();
    site("A USER 1\nB USER v \\\n");
    EXPECT_EQ(cf_UNEX_EOF, set(cf_DOMAIN_SITE, "C", {"3"}));
    EXPECT_EQ("A USER 1\nB USER v \\\n", site_text());
    site("PORT ROOT 1\n");
    EXPECT_EQ(cf_BAD_PRIV, set(cf_DOMAIN_SITE, "PORT", {"2"}));
    EXPECT_EQ("PORT ROOT 1\n", site_text());
    EXPECT_EQ(trace_.errors(),
              (std::vector<std::string>{
                  cf_report("log", "UNEX_EOF", "Unexpected end of file in file \"" + site_path() + "\"\n\t\tentry: B USER v  "),
                  cf_report("log", "BAD_PRIV", "Invalid privilege value (ROOT) in entry for parameter: PORT")}));
    // Nothing to remove in a user file that is not there.
    EXPECT_EQ(cf_FILE_NACCESS, cf_rm(cf_DOMAIN_USER, "viewer", "PORT"));
    EXPECT_NE(0, access(user_path().c_str(), F_OK));
}

TEST_F(ConfigSetTest, SetCreatesMissingDirectoriesAndFiles) {
    start();
    const mode_t mask = umask(0);
    ASSERT_EQ(0, set(cf_DOMAIN_USER, "PORT", {"1"}));
    umask(mask);
    EXPECT_EQ("\nPORT\tUSER\t1\n", read_file(user_path()));
    struct stat st {};
    ASSERT_EQ(0, stat(user_path().c_str(), &st));
    EXPECT_EQ(0664u, st.st_mode & 07777);  // readable by all, writable by the group
    // In SYS every entry gets cf_SYS_PRIV.
    ASSERT_EQ(0, set(cf_DOMAIN_SYS, "PORT", {"4"}, cf_USER_PRIV));
    EXPECT_EQ("\nPORT\tSYSTEM\t4\n", read_file(dir_ / "sys/config/viewer.base"));
}

// ---- Privileges ----

TEST_F(ConfigSetTest, ReadOnlyGroupRefusesEveryChange) {
    write("site/config/locked.site", "PORT USER 1\n");
    start();
    EXPECT_EQ(cf_READ_ONLY, set(cf_DOMAIN_SITE, "OTHER", {"2"}, 0, "locked"));
    EXPECT_EQ(cf_READ_ONLY, cf_rm(cf_DOMAIN_SITE, "locked", "PORT"));
    EXPECT_EQ(cf_READ_ONLY, set(cf_DOMAIN_USER, "PORT", {"2"}, 0, "locked"));
    ORVConfigurationTable *table = nullptr;
    ASSERT_EQ(0, cf_read_entire_file(cf_DOMAIN_SITE, "locked", &table));
    EXPECT_EQ(cf_READ_ONLY, cf_set_string_from_table(&table, cf_DOMAIN_SITE, "X", 0, "1"));
    EXPECT_EQ(cf_READ_ONLY, cf_save_domain_with_table(table, cf_DOMAIN_SITE, "locked"));
    cf_free_table(&table);
    const std::string set_refused = "Attempting to set \"OTHER\" in group \"locked\" marked read-only.";
    EXPECT_EQ((std::vector<std::string>{
                  cf_report("programmer", "READ_ONLY", set_refused),
                  cf_report("programmer", "READ_ONLY", "Attempting to remove \"PORT\" in group \"locked\" marked read-only."),
                  cf_report("programmer", "READ_ONLY", "Attempting to set \"PORT\" in group \"locked\" marked read-only."),
                  "IN 'ORVCommonKit' INFORM 'programmer' TITLE 'READ_ONLY': Attempting to set \"X\" in group marked "
                  "read-only.",
                  "IN 'ORVCommonKit' INFORM 'programmer' TITLE 'READ_ONLY': In domain SITE, attempting to save group "
                  "\"locked\" marked read-only."}),
              trace_.errors());
    EXPECT_EQ("PORT USER 1\n", read_file(dir_ / "site/config/locked.site"));
    // The refusal comes after the file was made sure of: an empty user file.
    EXPECT_EQ(0, access((dir_ / "user/config/locked.user.jdoe").c_str(), F_OK));
    EXPECT_EQ("", read_file(dir_ / "user/config/locked.user.jdoe"));
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
    EXPECT_EQ(cf_BAD_PRIV, cf_set(cf_DOMAIN_SITE, "viewer", "PORT", -1, 1, one));
    // In SYS every entry gets cf_SYS_PRIV, so a bad level does not matter.
    EXPECT_EQ(cf_BAD_NVALUES, cf_set(cf_DOMAIN_SYS, "viewer", "PORT", 9, 0, one));
    EXPECT_EQ(cf_BAD_NVALUES, cf_set(cf_DOMAIN_SITE, "viewer", "PORT", 0, 1001, one));
    const int bad_type = 7;
    EXPECT_EQ(cf_BAD_TYPE, cf_set_simple(cf_DOMAIN_SITE, "viewer", "PORT", 0, &bad_type, 7));
    EXPECT_EQ(cf_BAD_TYPE, cf_set_simple(cf_DOMAIN_SITE, "viewer", "PORT", 0, &bad_type, -1));
    const std::vector<std::string> expected = {
        cf_report("programmer", "NOT_INIT", "Attempt to use function cf_set() prior to init"),
        cf_report("programmer", "NOT_INIT", "Attempt to use function cf_rm() prior to init"),
        cf_report("programmer", "BAD_DOMAIN", "Invalid domain: 4."),
        cf_report("programmer", "BAD_DOMAIN", "Invalid domain: -1."),
        cf_report("programmer", "BAD_PRIV", "Invalid permission level: 4"),
        cf_report("programmer", "BAD_PRIV", "Invalid permission level: -1"),
        cf_report("programmer", "BAD_NVALUES", "Invalid number of values: 0"),
        cf_report("programmer", "BAD_NVALUES", "Invalid number of values: 1001"),
        cf_report("log", "BAD_TYPE", "Invalid type: 7"),
        cf_report("log", "BAD_TYPE", "Invalid type: -1"),
    };
    EXPECT_EQ(expected, trace_.errors());
    EXPECT_NE(0, access((dir_ / "site").c_str(), F_OK));
    // The largest count and level are taken.
    const std::vector<const char *> thousand(1000, "v");
    EXPECT_EQ(0, cf_set(cf_DOMAIN_SITE, "viewer", "MANY", cf_SYS_PRIV, 1000, thousand.data()));
    EXPECT_EQ(cf_INSUF_PRIV, cf_rm(cf_DOMAIN_SITE, "viewer", "MANY"));
    EXPECT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    EXPECT_EQ(1999u, get("MANY").size());
}

// ---- Typed values and round trips ----

TEST_F(ConfigSetTest, TypedValuesAreWrittenAsTextAndReadBack) {
    start();
    const unsigned char yes = 1, no = 0, byte = 200;
    const float half = 2.5f;
    const short negative = -5;
    const int whole = -70000;
    const float rect[4] = {1, 2, 3, 4};
    ASSERT_EQ(0, cf_set_simple(cf_DOMAIN_SITE, "viewer", "FLAG", 0, &yes, cf_TYPE_BOOL));
    ASSERT_EQ(0, cf_set_simple(cf_DOMAIN_SITE, "viewer", "OFF", 0, &no, cf_TYPE_BOOL));
    ASSERT_EQ(0, cf_set_simple(cf_DOMAIN_SITE, "viewer", "SCALE", 0, &half, cf_TYPE_FLOAT));
    ASSERT_EQ(0, cf_set_simple(cf_DOMAIN_SITE, "viewer", "B", 0, &byte, cf_TYPE_BYTE));
    ASSERT_EQ(0, cf_set_simple(cf_DOMAIN_SITE, "viewer", "S", 0, &negative, cf_TYPE_SHORT));
    ASSERT_EQ(0, cf_set_simple(cf_DOMAIN_SITE, "viewer", "I", 0, &whole, cf_TYPE_INT));
    ASSERT_EQ(0, cf_set_simple(cf_DOMAIN_SITE, "viewer", "L", 0, &whole, cf_TYPE_LONG));
    ASSERT_EQ(0, cf_set_simple(cf_DOMAIN_SITE, "viewer", "R", 0, rect, cf_TYPE_RECT));
    EXPECT_EQ("\nFLAG\tUSER\tyes\n\nOFF\tUSER\tno\n\nSCALE\tUSER\t2.500000\n\nB\tUSER\t200\n\nS\tUSER\t-5\n"
              "\nI\tUSER\t-70000\n\nL\tUSER\t-70000\n\nR\tUSER\t\"XYWH 1.000000 2.000000 3.000000 4.000000\"\n",
              site_text());
    ASSERT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    float back[4] = {};
    ASSERT_EQ(0, cf_get_simple(cf_DOMAIN_ALL, "viewer", "R", nullptr, back, cf_TYPE_RECT, 0));
    EXPECT_EQ(3.0f, back[2]);
    // Into a table the same way.
    ORVConfigurationTable *table = read_site();
    ASSERT_EQ(0, cf_set_simple_from_table(&table, cf_DOMAIN_SITE, "S", 0, &whole, cf_TYPE_INT));
    int got = 0;
    EXPECT_EQ(0, cf_get_simple_from_table(table, cf_DOMAIN_ALL, "S", nullptr, &got, cf_TYPE_INT, 0));
    EXPECT_EQ(whole, got);
    cf_free_table(&table);

    const float huge[4] = {3e38f, 3e38f, 3e38f, 3e38f};
    EXPECT_EQ(cf_BUFFER_OVERFLOW, cf_set_simple(cf_DOMAIN_SITE, "viewer", "R", 0, huge, cf_TYPE_RECT));
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

TEST_F(ConfigSetTest, RewriteFailingHalfWayLeavesTheOldFileWhole) {
    const std::string text = "# keep me\nPORT USER 104\nB USER b\n";
    site(text);
    start();
    // Replacing an entry removes it first; a removal or an addition only rewrites.
    const std::string replace = cf_report("log", "FILE_NWRITE",
                                          "Unable to remove entry and rewrite file \"" + site_path() + "\"."),
                      rewrite = cf_report("log", "FILE_NWRITE", "Unable to rewrite file \"" + site_path() + "\".");
    const struct {
        const char *what;
        std::function<void(orv::files::SysCalls &)> seam;
        std::vector<std::string> first_errors;  // of the replacement
    } cases[] = {
        {"write", [](orv::files::SysCalls &c) { c.write = write_half_then_fail; },
         {"IN '<unknown module>' INFORM 'log' TITLE 'cf': Failed to write line to new file", replace}},
        {"rename", [](orv::files::SysCalls &c) { c.rename = rename_fails; },
         {"IN '<unknown module>' INFORM 'log' TITLE 'cf': rename \"" + site_path() + "+\" to \"" + site_path() +
              "\" failed: Input/output error",
          replace}},
        {"open", [](orv::files::SysCalls &c) { c.open = open_fails; }, {replace}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        orv::files::SysCalls calls = orv::files::real_sys();
        c.seam(calls);
        {
            const orv::files::ScopedSysCalls scoped(calls);
            EXPECT_EQ(cf_FILE_NWRITE, set(cf_DOMAIN_SITE, "PORT", {"205"}));
            std::vector<std::string> errors = take_errors();
            errors.resize(std::min(errors.size(), c.first_errors.size()));
            EXPECT_EQ(c.first_errors, errors);
            EXPECT_EQ(cf_FILE_NWRITE, cf_rm(cf_DOMAIN_SITE, "viewer", "B"));
            EXPECT_EQ(rewrite, take_errors().back());
            EXPECT_EQ(cf_FILE_NWRITE, set(cf_DOMAIN_SITE, "NEW", {"1"}));
            EXPECT_EQ(rewrite, take_errors().back());
        }
        EXPECT_EQ(text, site_text());
        EXPECT_NE(0, access((site_path() + "+").c_str(), F_OK));
    }
    // Writes that take one byte at a time still write the whole file.
    orv::files::SysCalls calls = orv::files::real_sys();
    calls.write = [](int fd, const void *buffer, size_t) { return orv::files::real_sys().write(fd, buffer, 1); };
    const orv::files::ScopedSysCalls bytewise(calls);
    ASSERT_EQ(0, set(cf_DOMAIN_SITE, "PORT", {"205"}));
    EXPECT_EQ("# keep me\nPORT\tUSER\t205\nB USER b\n", site_text());
}

// ---- Table changes and saves ----

TEST_F(ConfigSetTest, SaveKeepsCommentsOrderAndUnknownEntriesAndAppendsNewOnes) {
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

    // An updated-only save rewrites only the variables marked new.
    site("PORT  USER  104\nMODE USER a\n");
    table = read_site();
    ASSERT_EQ(0, cf_set_string_from_table(&table, cf_DOMAIN_SITE, "mode", 0, "b"));
    ASSERT_EQ(0, cf_save_updated_domain_with_table_and_user(table, nullptr, nullptr, cf_DOMAIN_SITE, "viewer"));
    EXPECT_EQ("PORT  USER  104\nMODE\tUSER\tb\n", site_text());
    cf_free_table(&table);

    // Unchanged text is not written.
    site("PORT\tUSER\t104\n# c\n");
    struct stat before {}, after {};
    ASSERT_EQ(0, stat(site_path().c_str(), &before));
    table = read_site();
    ASSERT_EQ(0, cf_save_domain_with_table(table, cf_DOMAIN_SITE, "viewer"));
    ASSERT_EQ(0, stat(site_path().c_str(), &after));
    EXPECT_EQ(before.st_ino, after.st_ino);

    // A save with a user writes that user's file.
    ASSERT_EQ(0, cf_set_string_from_table(&table, cf_DOMAIN_USER, "port", 0, "9"));
    ASSERT_EQ(0, cf_save_domain_with_table_and_user(table, "asmith", "RAD", cf_DOMAIN_USER, "viewer"));
    EXPECT_EQ("PORT\tUSER\t9\n", read_file(dir_ / "user/config/viewer.user.asmith.RAD"));
    EXPECT_STREQ("jdoe", cf_user_name());
    cf_free_table(&table);
}

TEST_F(ConfigSetTest, EntireTableSaveGoesOnAfterAFailureAndReturnsIt) {
    site("PORT USER 1\n");
    start();
    ORVConfigurationTable *table = read_site();
    ASSERT_EQ(0, cf_set_string_from_table(&table, cf_DOMAIN_USER, "port", 0, "2"));
    EXPECT_EQ(0, cf_save_entire_table(table, cf_DOMAIN_ALL, "viewer"));
    EXPECT_EQ("PORT\tUSER\t2\n", read_file(user_path()));
    EXPECT_EQ("PORT\tUSER\t1\n", site_text());
    // The user domain, saved first, cannot be written now; the others are all the same.
    std::filesystem::remove_all(dir_ / "user/config");
    write("user/config", "not a directory");
    ASSERT_EQ(0, cf_set_string_from_table(&table, cf_DOMAIN_SITE, "port", 0, "3"));
    ASSERT_EQ(0, cf_set_string_from_table(&table, cf_DOMAIN_SYS, "port", 0, "4"));
    EXPECT_EQ(cf_FILE_NCREATE, cf_save_entire_table(table, cf_DOMAIN_ALL, "viewer"));
    EXPECT_EQ("PORT\tUSER\t3\n", site_text());
    EXPECT_EQ("PORT\tSYSTEM\t4\n", read_file(dir_ / "sys/config/viewer.base"));
    ASSERT_EQ(2u, trace_.errors().size());
    EXPECT_EQ("IN 'Directory Creation Error' INFORM 'log' TITLE 'cf': There is already a non-directory file with the "
              "name: " + (dir_ / "user/config"),
              trace_.errors()[0]);
    EXPECT_EQ(cf_BAD_DOMAIN, cf_save_entire_table(table, 3, "viewer"));
    EXPECT_EQ(cf_BAD_DOMAIN, cf_save_domain_with_table(table, 3, "viewer"));
    EXPECT_EQ(cf_report("programmer", "BAD_DOMAIN", "Invalid domain: 3."), trace_.errors().back());
    cf_free_table(&table);
}

}  // namespace

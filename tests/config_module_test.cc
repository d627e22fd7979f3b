// The configuration module: start and end, users and user domains, privilege
// levels, the search path, the table cache and the reports of each, in a
// temporary installation of its own for every test; and what the module
// trusts from its neighbours: group, user and user-domain names never take a
// domain file out of its configuration directory, a missing (null) group reads
// like any other missing group, and world-writable configuration files are
// reported when the module starts.
#include "support/config_helpers.h"

#include <ORVCommonKit/cfset.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/tr.h>

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

using orvtest::cf_report;

class ConfigModuleTest : public orvtest::ConfigTest {
protected:
    // The joined value of a variable of group viewer, or the status.
    static std::string get(const char *name) { return orvtest::cf_values("viewer", name); }
};

std::string text(const char *s) { return s ? s : "(null)"; }

// One call of a start sequence: 'i' cf_init, 'x' cf_init_ex, 'u'
// cf_set_user_name, 't' cf_term; its status, the user and user domain after
// it, and a text traced (or an error reported, for cf_REINIT).
struct Step {
    char call;
    const char *user, *domain;
    int status;
    const char *user_after, *domain_after, *traced = nullptr;
};

TEST_F(ConfigModuleTest, UsersAreSetOnceByTheFirstStartThatNamesThem) {
    const std::string reinit = "Re-initialization of the cf module with ";
    const std::vector<std::vector<Step>> sequences = {
        // The same user twice is accepted; another user, or the same in another user domain, refused.
        {{'x', "jdoe", "RAD", 0, "jdoe", "RAD"},
         {'x', "JDOE", "rad", 0, "jdoe", "RAD", "Re-initialization of the cf module with same user attempted."},
         {'x', "asmith", "RAD", cf_REINIT, "jdoe", "RAD", "different user attempted."},
         {'x', "jdoe", nullptr, cf_REINIT, "jdoe", "RAD"},
         {'i', "asmith", nullptr, cf_REINIT, "jdoe", "RAD"},
         {'t', nullptr, nullptr, 0, nullptr, nullptr},
         {'t', nullptr, nullptr, 0, nullptr, nullptr}},
        // The first user may come with a later start.
        {{'i', nullptr, nullptr, 0, nullptr, nullptr},
         {'i', nullptr, nullptr, 0, nullptr, nullptr},
         {'i', "jdoe", nullptr, 0, "jdoe", nullptr, "(Previous NULL) Set user: jdoe"},
         {'u', "asmith", nullptr, -1, "jdoe", nullptr}},
        {{'x', nullptr, nullptr, 0, nullptr, nullptr},
         {'x', nullptr, "RAD", 0, nullptr, nullptr},
         {'x', "jdoe", "RAD", 0, "jdoe", "RAD", "(Previous NULL) Set user: jdoe, domain: RAD"}},
        // The user name is set only once, and without a start; a start
        // without a user keeps it.
        {{'u', nullptr, nullptr, -1, nullptr, nullptr},
         {'u', "jdoe", nullptr, 0, "jdoe", nullptr},
         {'u', "asmith", nullptr, -1, "jdoe", nullptr},
         {'i', nullptr, nullptr, 0, "jdoe", nullptr}},
    };
    for (const auto &sequence : sequences) {
        cf_term();
        trace_.clear();
        for (const Step &s : sequence) {
            SCOPED_TRACE(std::string(1, s.call) + " " + text(s.user) + " " + text(s.domain));
            const int status = s.call == 'i'   ? cf_init(s.user)
                               : s.call == 'x' ? cf_init_ex(s.user, s.domain)
                               : s.call == 'u' ? cf_set_user_name(s.user)
                                               : cf_term();
            EXPECT_EQ(s.status, status);
            EXPECT_EQ(text(s.user_after), text(cf_user_name()));
            EXPECT_EQ(text(s.domain_after), text(cf_user_domain()));
            if (s.call != 'u') {
                EXPECT_EQ(s.call != 't', cf_is_init() != 0);
            }
            if (s.status == cf_REINIT && s.traced) {
                EXPECT_EQ(cf_report("programmer", "Re-initialization", reinit + s.traced), trace_.errors().back());
            } else if (s.traced) {
                EXPECT_TRUE(trace_.traced(s.traced));
            }
        }
        EXPECT_EQ(std::count_if(sequence.begin(), sequence.end(), [](const Step &s) { return s.status == cf_REINIT; }),
                  static_cast<long>(trace_.errors().size()));
    }
}

TEST_F(ConfigModuleTest, UserFileNameCarriesUserAndUserDomain) {
    write("user/config/viewer.user", "PORT USER 1\n");
    write("user/config/viewer.user.jdoe", "PORT USER 2\n");
    write("user/config/viewer.user.jdoe.RADIOLOGY", "PORT USER 3\n");
    write("user/config/viewer.user.asmith", "PORT USER 4\n");
    const struct {
        const char *user, *domain, *value;
    } cases[] = {{"jdoe", "RADIOLOGY", "3"}, {"jdoe", nullptr, "2"}, {"asmith", nullptr, "4"}, {nullptr, nullptr, "1"},
                 {nullptr, "RAD", "1"}};
    for (const auto &c : cases) {
        cf_term();
        ASSERT_EQ(0, cf_init_ex(c.user, c.domain));
        EXPECT_EQ(c.value, get("PORT")) << text(c.user) << " " << text(c.domain);
    }
}

// A start refused for its behavior file sets no user; a missing file is
// refused too. Repaired files are taken by the next start (below).
TEST_F(ConfigModuleTest, BehaviorFileThatIsMissingOrCannotBeReadFailsTheStart) {
    write("sys/data/cf/behavior.plist", "{ viewer = { default = zz; }; }");
    EXPECT_EQ(cf_BEHAVIOR_FILE, cf_init_ex("jdoe", "RAD"));
    EXPECT_EQ(0, cf_is_init());
    EXPECT_EQ(nullptr, cf_user_name());
    EXPECT_EQ("status -4991", get("PORT"));
    const orvtest::ScopedEnv data("ORV_SYS_DATA_PATH", dir_ / "nowhere");
    EXPECT_EQ(cf_BEHAVIOR_FILE, cf_init(nullptr));
    EXPECT_EQ(0, cf_is_init());
}

// Every start takes the behavior file as it is then: the same text again
// gives the same tables and the same traces, a changed text (even one of the
// same length) its own tables, a broken one its report.
TEST_F(ConfigModuleTest, EveryStartTakesTheBehaviorFileAsItIsThen) {
    struct Start {
        const char *behaviors;
        int status;
        const char *described;
    };
    const Start starts[] = {
        {"{ viewer = { default = 0x01; }; }", 0, "groupBehavior = 0x21;"},
        {"{ viewer = { default = 0x01; }; }", 0, "groupBehavior = 0x21;"},
        {"{ viewer = { default = 0x02; }; }", 0, "groupBehavior = 0x22;"},
        {"{ viewer = { default = 0x02; variables = { PORT = 0x01; }; }; }", 0, "PORT = 0x21;"},
        {"{ viewer = { default = 0x02; variables = { PORT = 0x01; }; }; }", 0, "PORT = 0x21;"},
        {"{ viewer = { default = zz; }; }", cf_BEHAVIOR_FILE, nullptr},
        {"{ viewer = { default = zz; }; }", cf_BEHAVIOR_FILE, nullptr},
        // Tables made, but a report too: every start reports it.
        {"{ viewer = { default = 0x04; }; }", cf_BEHAVIOR_FILE, nullptr},
        {"{ viewer = { default = 0x04; }; }", cf_BEHAVIOR_FILE, nullptr},
        {"{ viewer = { default = 0x01; }; }", 0, "groupBehavior = 0x21;"},
    };
    // The traces with the time left out: "[file,line date time] text".
    auto untimed = [](std::vector<std::string> lines) {
        for (std::string &line : lines) line.erase(line.find(' '), line.find(']') - line.find(' '));
        return lines;
    };
    tr_ignore_traces_below_level_quietly(tr_LOW);
    std::map<std::string, std::vector<std::string>> traces_of;
    for (const Start &start : starts) {
        SCOPED_TRACE(start.behaviors);
        write("sys/data/cf/behavior.plist", start.behaviors);
        trace_.clear();
        ASSERT_EQ(start.status, cf_init(nullptr));
        const auto [first, added] = traces_of.try_emplace(start.behaviors, untimed(trace_.traces()));
        EXPECT_EQ(first->second, untimed(trace_.traces()));
        if (start.described) {
            EXPECT_NE(std::string(describe_cf_table()).find(start.described), std::string::npos);
        }
        cf_term();
    }
    EXPECT_TRUE(trace_.traced("loadBehaviors() creating table for group: VIEWER"));
}

TEST_F(ConfigModuleTest, PrivilegeLevelsAreCheckedAndNamed) {
    EXPECT_EQ(cf_NOT_INIT, cf_set_perm(cf_ADMIN_PRIV));
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_EQ(0, cf_set_perm(cf_SYS_PRIV));
    EXPECT_EQ(0, cf_set_perm(cf_USER_PRIV));
    EXPECT_EQ(cf_BAD_PRIV, cf_set_perm(4));
    EXPECT_EQ(cf_BAD_PRIV, cf_set_perm(-1));
    EXPECT_EQ((std::vector<std::string>{
                  cf_report("programmer", "NOT_INIT", "Attempt to use function cf_set_perm() prior to init"),
                  cf_report("log", "BAD_PRIV", "Invalid permission: 4"), cf_report("log", "BAD_PRIV", "Invalid permission: -1")}),
              trace_.errors());
    const char *const names[] = {"Unknown-Priv-Level", "cf_USER_PRIV", "cf_ADMIN_PRIV", "cf_INST_PRIV", "cf_SYS_PRIV",
                                 "Unknown-Priv-Level"};
    for (int level = -1; level <= 4; ++level) EXPECT_STREQ(names[level + 1], cf_get_perm_description(level)) << level;
}

TEST_F(ConfigModuleTest, SearchPathComesFromTheStandardDirectoriesAndServesGroupsReadLater) {
    EXPECT_EQ(nullptr, cf_path(cf_DOMAIN_SYS));
    EXPECT_EQ(cf_NOT_INIT, cf_set_path(cf_DOMAIN_SYS, "/x"));
    EXPECT_EQ(cf_BAD_PARAM, cf_set_path(cf_DOMAIN_SYS, nullptr));
    ASSERT_EQ(0, cf_init(nullptr));
    for (const auto &[domain, folder] : {std::pair{cf_DOMAIN_SYS, "sys"}, {cf_DOMAIN_SITE, "site"}, {cf_DOMAIN_USER, "user"}})
        EXPECT_STREQ((dir_ / folder + "/config").c_str(), cf_path(domain));
    EXPECT_EQ(nullptr, cf_path(cf_DOMAIN_ALL));
    EXPECT_EQ(nullptr, cf_path(-1));
    EXPECT_EQ(cf_BAD_DOMAIN, cf_set_path(cf_DOMAIN_ALL, "/x"));
    EXPECT_EQ(cf_BAD_DOMAIN, cf_set_path(-1, "/x"));
    const std::vector<std::string> errors = trace_.errors();
    ASSERT_EQ(6u, errors.size());
    EXPECT_EQ(cf_report("programmer", "NOT_INIT", "Attempt to use function cf_path() prior to init"), errors[0]);
    EXPECT_EQ(cf_report("programmer", "BAD_DOMAIN", "Invalid domain: 4."), errors[2]);
    EXPECT_EQ(cf_report("programmer", "BAD_DOMAIN", "Invalid domain: -1."), errors[5]);

    site("PORT USER 104\n");
    write("site/config/other.site", "PORT USER 105\n");
    write("elsewhere/viewer.site", "PORT USER 204\n");
    write("elsewhere/other.site", "PORT USER 205\n");
    EXPECT_EQ("104", get("PORT"));
    ASSERT_EQ(0, cf_set_path(cf_DOMAIN_SITE, (dir_ / "elsewhere").c_str()));
    EXPECT_STREQ((dir_ / "elsewhere").c_str(), cf_path(cf_DOMAIN_SITE));
    EXPECT_EQ("104", get("PORT"));  // cached
    EXPECT_EQ("205", orvtest::cf_values("other", "PORT"));
    EXPECT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    EXPECT_EQ("204", get("PORT"));
}

TEST_F(ConfigModuleTest, CachedTableIsReadOnceInAnySpellingUntilEnded) {
    write("sys/config/viewer.base", "PORT USER 104\n");
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_EQ("104", get("PORT"));
    write("sys/config/viewer.base", "PORT USER 105\nMODE USER fast\n");
    EXPECT_EQ("104", orvtest::cf_values("VIEWER", "port"));
    EXPECT_EQ("status -5000", get("MODE"));
    // Ending the module empties the cache.
    cf_term();
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_EQ("105", get("PORT"));
    const std::string text = describe_cf_table();
    EXPECT_NE(std::string::npos, text.find("VIEWER"));
    EXPECT_NE(std::string::npos, text.find("105"));
}

TEST_F(ConfigModuleTest, UnreadableGroupIsReportedOnEveryAttempt) {
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_EQ(cf_FAILURE, cf_refresh_config_table_for_group("nosuch"));
    char buffer[16] = "x";
    EXPECT_EQ(cf_FAILURE, cf_get_string(cf_DOMAIN_ALL, "nosuch", "A", nullptr, buffer, 15, "d"));
    const std::string unread = "IN 'ORVCommonKit' INFORM 'log' TITLE 'CF Read Table': Failed to read cf table for \"nosuch\"";
    EXPECT_EQ((std::vector<std::string>{unread, unread,
                                        "IN 'ORVCommonKit' INFORM 'log' TITLE 'CF': ERROR finding CF Table for \"nosuch\""}),
              trace_.errors());
    // Not cached: the group is read once it exists.
    write("site/config/nosuch.site", "A USER b\n");
    EXPECT_EQ(0, cf_get_string(cf_DOMAIN_ALL, "nosuch", "A", nullptr, buffer, 15, "d"));
    EXPECT_STREQ("b", buffer);
}

// ---- Names and files from outside ----

class ConfigTrustTest : public orvtest::ConfigTest {
protected:
    void SetUp() override {
        ConfigTest::SetUp();
        site("PORT\tUSER\t104\n");
    }
    bool reported(const std::string &text) const {
        const auto &errors = trace_.errors();
        return std::any_of(errors.begin(), errors.end(), [&](const std::string &e) { return e.find(text) != std::string::npos; });
    }
    // How many warnings contain text.
    long warned(const std::string &text) const {
        const auto warnings = trace_.of_kind(tr_KIND_WARNING);
        return std::count_if(warnings.begin(), warnings.end(),
                             [&](const std::string &w) { return w.find(text) != std::string::npos; });
    }
};

// Every function that turns a group into a file refuses a name that would
// leave the directory, with the status of an unreadable group, a report
// naming it, and no file written anywhere; a null group reads like a missing one.
TEST_F(ConfigTrustTest, GroupNamesThatLeaveTheDirectoryAreRefused) {
    ASSERT_EQ(0, cf_init("jdoe"));
    ORVConfigurationTable *table = nullptr;
    EXPECT_EQ(-1, cf_read_entire_file(cf_DOMAIN_ALL, nullptr, &table));
    EXPECT_EQ(-1, cf_read_entire_file(cf_DOMAIN_ALL, "", &table));
    EXPECT_EQ(nullptr, table);
    EXPECT_TRUE(reported("Invalid group: (null)"));
    write("escaped.site", "PORT\tUSER\t666\n");
    for (const char *group : {"../../escaped", "../escaped", "a/b", "a\\b", "..", ".", "/tmp/x"}) {
        SCOPED_TRACE(group);
        trace_.clear();
        const char *values[] = {"1"};
        EXPECT_EQ(cf_FILE_NACCESS, cf_set(cf_DOMAIN_SITE, group, "NAME", 0, 1, values));
        EXPECT_EQ(cf_FILE_NACCESS, cf_set(cf_DOMAIN_USER, group, "NAME", 0, 1, values));
        EXPECT_EQ(cf_FILE_NACCESS, cf_rm(cf_DOMAIN_SITE, group, "NAME"));
        EXPECT_EQ(cf_FILE_NACCESS, cf_read_domain_with_table(&table, cf_DOMAIN_SITE, group));
        EXPECT_EQ(-1, cf_read_entire_file(cf_DOMAIN_ALL, group, &table));
        EXPECT_NE("666", orvtest::cf_values(group, "PORT"));
        ASSERT_EQ(0, cf_read_entire_file(cf_DOMAIN_ALL, "viewer", &table));
        EXPECT_EQ(cf_FILE_NACCESS, cf_save_domain_with_table(table, cf_DOMAIN_SITE, group));
        cf_free_table(&table);
        EXPECT_TRUE(reported(std::string("Invalid group: \"") + group + "\""));
    }
    EXPECT_EQ("PORT\tUSER\t666\n", orvtest::read_file(dir_ / "escaped.site"));
    EXPECT_EQ(std::string(), orvtest::read_file(dir_ / "escaped.user.jdoe"));
    EXPECT_EQ(std::string(), orvtest::read_file(dir_ / "site/a/b.site"));
}

TEST_F(ConfigTrustTest, UserNamesThatLeaveTheDirectoryAreRefused) {
    const std::pair<const char *, const char *> cases[] = {
        {"../../jdoe", nullptr}, {"jdoe", "../../RAD"}, {"..", nullptr}, {"jdoe", "x/y"}};
    for (const auto &[user, user_domain] : cases) {
        SCOPED_TRACE(std::string(user) + " " + (user_domain ? user_domain : "-"));
        cf_term();
        trace_.clear();
        ASSERT_EQ(0, cf_init_ex(user, user_domain));
        const char *values[] = {"1"};
        EXPECT_EQ(cf_FILE_NACCESS, cf_set(cf_DOMAIN_USER, "viewer", "NAME", 0, 1, values));
        EXPECT_TRUE(reported("would leave the configuration directory"));
        // The site and system files of the group are still read.
        EXPECT_EQ("104", orvtest::cf_values("viewer", "PORT"));
        ORVConfigurationTable *table = nullptr;
        EXPECT_EQ(0, cf_read_entire_file_with_user("../u", nullptr, cf_DOMAIN_USER, "viewer", &table));
        cf_free_table(&table);
    }
    EXPECT_EQ(std::string(), orvtest::read_file(dir_ / "viewer.user.jdoe"));
    EXPECT_EQ(std::string(), orvtest::read_file(dir_ / "user/viewer.user.jdoe"));
}

TEST_F(ConfigTrustTest, WorldWritableConfigurationFilesAreReportedOnceAtStart) {
    const std::string open_site = write("site/config/open.site", "A\tUSER\t1\n"),
                      open_user = write("user/config/open.user.jdoe", "A\tUSER\t1\n"),
                      closed = write("site/config/closed.site", "A\tUSER\t1\n"), other = write("site/config/notes.txt", ""),
                      behaviors = dir_ / "sys/data/cf/behavior.plist";
    for (const std::string &path : {open_site, open_user, other, behaviors}) chmod(path.c_str(), 0666);
    chmod(closed.c_str(), 0664);
    ASSERT_EQ(0, cf_init("jdoe"));
    for (const std::string &path : {open_site, open_user, behaviors})
        EXPECT_EQ(1, warned("\"" + path + "\" can be written by every user (mode 0666)")) << path;
    EXPECT_EQ(0, warned(closed));
    EXPECT_EQ(0, warned(other));
    // Read as usual.
    EXPECT_EQ("1", orvtest::cf_values("open", "A"));
    // A directory that serves two domains is looked through once.
    cf_term();
    trace_.clear();
    const orvtest::ScopedEnv same("ORV_USER_CONFIG_PATH", dir_ / "site/config");
    ASSERT_EQ(0, cf_init("jdoe"));
    EXPECT_EQ(1, warned("\"" + open_site + "\""));
    EXPECT_EQ(0, warned(open_user));
}

}  // namespace

// The configuration module: start and end, users and user domains, privilege
// levels, the search path, the table cache and the reports of each, in a
// temporary installation of its own for every test.
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/tr.h>

#include <map>
#include <string>
#include <vector>

namespace {

using orvtest::ScopedEnv;
using orvtest::TempInstallation;
using orvtest::TraceCapture;

const char *const Behaviors = "{ viewer = { default = 0x20; }; }";

// A fresh installation below a temporary root, with the trace call-back
// catching every report.
class ConfigModuleTest : public ::testing::Test {
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

    void write(const std::string &relative, const std::string &text) { dir_.write(relative, text); }

    // The joined value of a variable of group viewer, or the status.
    std::string get(const char *name, int domain = cf_DOMAIN_ALL) {
        char buffer[256];
        const int status = cf_get_string(domain, "viewer", name, nullptr, buffer, 255, nullptr);
        return status == 0 ? std::string(buffer) : "status " + std::to_string(status);
    }

    TempInstallation dir_;
    TraceCapture trace_;
};

TEST_F(ConfigModuleTest, SameUserTwiceIsAcceptedAndAnotherUserRefused) {
    ASSERT_EQ(0, cf_init_ex("jdoe", "RAD"));
    EXPECT_EQ(0, cf_init_ex("JDOE", "rad"));
    EXPECT_TRUE(trace_.traced("Re-initialization of the cf module with same user attempted."));
    EXPECT_TRUE(trace_.errors().empty());

    EXPECT_EQ(cf_REINIT, cf_init_ex("asmith", "RAD"));
    EXPECT_STREQ("jdoe", cf_user_name());
    ASSERT_EQ(1u, trace_.errors().size());
    EXPECT_EQ("IN 'cf' INFORM 'programmer' TITLE 'Re-initialization': Re-initialization of the "
              "cf module with different user attempted.",
              trace_.errors()[0]);
    // The same user in another user domain is another user too.
    EXPECT_EQ(cf_REINIT, cf_init_ex("jdoe", nullptr));
    EXPECT_EQ(cf_REINIT, cf_init("asmith"));
}

TEST_F(ConfigModuleTest, FirstUserMayComeWithALaterStart) {
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_EQ(nullptr, cf_user_name());
    EXPECT_EQ(0, cf_init(nullptr));
    EXPECT_EQ(0, cf_init("jdoe"));
    EXPECT_STREQ("jdoe", cf_user_name());
    EXPECT_EQ(nullptr, cf_user_domain());
    EXPECT_TRUE(trace_.traced(
        "Re-initialization of the cf module with user attempted. (Previous NULL) Set user: jdoe"));
    EXPECT_EQ(-1, cf_set_user_name("asmith"));
    EXPECT_STREQ("jdoe", cf_user_name());
}

TEST_F(ConfigModuleTest, FirstUserAndDomainMayComeWithALaterStartEx) {
    ASSERT_EQ(0, cf_init_ex(nullptr, nullptr));
    EXPECT_EQ(0, cf_init_ex(nullptr, "RAD"));  // no user given: nothing to set
    EXPECT_EQ(nullptr, cf_user_domain());
    EXPECT_EQ(0, cf_init_ex("jdoe", "RAD"));
    EXPECT_STREQ("jdoe", cf_user_name());
    EXPECT_STREQ("RAD", cf_user_domain());
    EXPECT_TRUE(trace_.traced("(Previous NULL) Set user: jdoe, domain: RAD"));
}

TEST_F(ConfigModuleTest, UserNameIsSetOnlyOnceAndWithoutStart) {
    EXPECT_EQ(-1, cf_set_user_name(nullptr));
    EXPECT_EQ(0, cf_set_user_name("jdoe"));
    EXPECT_EQ(-1, cf_set_user_name("asmith"));
    EXPECT_STREQ("jdoe", cf_user_name());
    // Starting without a user keeps the one already set.
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_STREQ("jdoe", cf_user_name());
    EXPECT_EQ(nullptr, cf_user_domain());
}

TEST_F(ConfigModuleTest, UserFileNameCarriesUserAndUserDomain) {
    write("user/config/viewer.user", "PORT USER 1\n");
    write("user/config/viewer.user.jdoe", "PORT USER 2\n");
    write("user/config/viewer.user.jdoe.RADIOLOGY", "PORT USER 3\n");
    write("user/config/viewer.user.asmith", "PORT USER 4\n");

    ASSERT_EQ(0, cf_init_ex("jdoe", "RADIOLOGY"));
    EXPECT_EQ("3", get("PORT"));
    cf_term();
    ASSERT_EQ(0, cf_init("jdoe"));
    EXPECT_EQ("2", get("PORT"));
    cf_term();
    // A new start with another user reads that user's file, without a domain part.
    ASSERT_EQ(0, cf_init("asmith"));
    EXPECT_EQ(nullptr, cf_user_domain());
    EXPECT_EQ("4", get("PORT"));
    cf_term();
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_EQ("1", get("PORT"));
}

TEST_F(ConfigModuleTest, BehaviorFileThatIsMissingOrCannotBeReadFailsTheStart) {
    write("sys/data/cf/behavior.plist", "{ viewer = { default = zz; }; }");
    EXPECT_EQ(cf_BEHAVIOR_FILE, cf_init_ex("jdoe", "RAD"));
    EXPECT_EQ(0, cf_is_init());
    EXPECT_EQ(nullptr, cf_user_name());
    char *values[cf_MAX_VALUES];
    int count = 0;
    EXPECT_EQ(cf_NOT_INIT, cf_get(cf_DOMAIN_ALL, "viewer", "PORT", nullptr, &count, values));

    {
        ScopedEnv data("ORV_SYS_DATA_PATH", dir_ / "nowhere");
        EXPECT_EQ(cf_BEHAVIOR_FILE, cf_init(nullptr));
        EXPECT_EQ(0, cf_is_init());
    }
    // Once repaired, the next start reads it again.
    write("sys/data/cf/behavior.plist", Behaviors);
    EXPECT_EQ(0, cf_init("jdoe"));
    EXPECT_EQ(1, cf_is_init());
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

TEST_F(ConfigModuleTest, TermEndsEverythingAndIsAlwaysZero) {
    EXPECT_EQ(0, cf_term());
    ASSERT_EQ(0, cf_init_ex("jdoe", "RAD"));
    EXPECT_EQ(1, cf_is_init());
    EXPECT_EQ(0, cf_term());
    EXPECT_EQ(0, cf_is_init());
    EXPECT_EQ(nullptr, cf_user_name());
    EXPECT_EQ(nullptr, cf_user_domain());
    EXPECT_EQ(0, cf_term());
}

TEST_F(ConfigModuleTest, PrivilegeLevelsAreCheckedAndNamed) {
    EXPECT_EQ(cf_NOT_INIT, cf_set_perm(cf_ADMIN_PRIV));
    ASSERT_EQ(1u, trace_.errors().size());
    EXPECT_EQ("IN 'cf' INFORM 'programmer' TITLE 'NOT_INIT': Attempt to use function "
              "cf_set_perm() prior to init",
              trace_.errors()[0]);
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_EQ(0, cf_set_perm(cf_SYS_PRIV));
    EXPECT_EQ(cf_BAD_PRIV, cf_set_perm(4));
    EXPECT_EQ(cf_BAD_PRIV, cf_set_perm(-1));
    ASSERT_EQ(3u, trace_.errors().size());
    EXPECT_EQ("IN 'cf' INFORM 'log' TITLE 'BAD_PRIV': Invalid permission: 4", trace_.errors()[1]);
    EXPECT_EQ("IN 'cf' INFORM 'log' TITLE 'BAD_PRIV': Invalid permission: -1", trace_.errors()[2]);

    const char *const names[] = {"Unknown-Priv-Level", "cf_USER_PRIV", "cf_ADMIN_PRIV", "cf_INST_PRIV", "cf_SYS_PRIV",
                                 "Unknown-Priv-Level"};
    for (int level = -1; level <= 4; ++level) EXPECT_STREQ(names[level + 1], cf_get_perm_description(level)) << level;
}

TEST_F(ConfigModuleTest, SearchPathComesFromTheStandardDirectories) {
    EXPECT_EQ(nullptr, cf_path(cf_DOMAIN_SYS));
    EXPECT_EQ(cf_NOT_INIT, cf_set_path(cf_DOMAIN_SYS, "/x"));
    EXPECT_EQ(cf_BAD_PARAM, cf_set_path(cf_DOMAIN_SYS, nullptr));
    ASSERT_EQ(2u, trace_.errors().size());
    EXPECT_EQ("IN 'cf' INFORM 'programmer' TITLE 'NOT_INIT': Attempt to use function cf_path() "
              "prior to init",
              trace_.errors()[0]);

    ASSERT_EQ(0, cf_init(nullptr));
    for (const auto &[domain, folder] : {std::pair{cf_DOMAIN_SYS, "sys"}, {cf_DOMAIN_SITE, "site"}, {cf_DOMAIN_USER, "user"}})
        EXPECT_STREQ((dir_ / folder + "/config").c_str(), cf_path(domain));
    EXPECT_EQ(nullptr, cf_path(cf_DOMAIN_ALL));
    EXPECT_EQ(cf_BAD_DOMAIN, cf_set_path(cf_DOMAIN_ALL, "/x"));
    EXPECT_EQ(cf_BAD_DOMAIN, cf_set_path(-1, "/x"));
    ASSERT_EQ(5u, trace_.errors().size());
    EXPECT_EQ("IN 'cf' INFORM 'programmer' TITLE 'BAD_DOMAIN': Invalid domain: 4.",
              trace_.errors()[2]);
    EXPECT_EQ("IN 'cf' INFORM 'programmer' TITLE 'BAD_DOMAIN': Invalid domain: -1.",
              trace_.errors()[4]);
}

TEST_F(ConfigModuleTest, NewPathServesGroupsReadAfterwardsOnly) {
    write("site/config/viewer.site", "PORT USER 104\n");
    write("site/config/other.site", "PORT USER 105\n");
    write("elsewhere/viewer.site", "PORT USER 204\n");
    write("elsewhere/other.site", "PORT USER 205\n");
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_EQ("104", get("PORT"));
    ASSERT_EQ(0, cf_set_path(cf_DOMAIN_SITE, (dir_ / "elsewhere").c_str()));
    EXPECT_STREQ((dir_ / "elsewhere").c_str(), cf_path(cf_DOMAIN_SITE));
    EXPECT_EQ("104", get("PORT"));  // cached
    char buffer[64];
    ASSERT_EQ(0, cf_get_string(cf_DOMAIN_ALL, "other", "PORT", nullptr, buffer, 63, nullptr));
    EXPECT_STREQ("205", buffer);
    EXPECT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    EXPECT_EQ("204", get("PORT"));
}

TEST_F(ConfigModuleTest, CachedTableIsReadOnceAndRefreshedInPlace) {
    write("sys/config/viewer.base", "PORT USER 104\n");
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_EQ("104", get("PORT"));
    write("sys/config/viewer.base", "PORT USER 105\nMODE USER fast\n");
    EXPECT_EQ("104", get("PORT"));
    EXPECT_EQ("status -5000", get("MODE"));

    // A holder of the table sees the new variables after the refresh.
    ORVConfigurationTable *held = nullptr;
    ASSERT_EQ(0, cf_read_entire_file(cf_DOMAIN_SYS, "viewer", &held));
    EXPECT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    EXPECT_EQ("105", get("PORT"));
    EXPECT_EQ("fast", get("MODE"));
    char *values[cf_MAX_VALUES];
    int count = 0;
    ASSERT_EQ(0, cf_get_from_table(held, cf_DOMAIN_SYS, "mode", nullptr, &count, values));
    EXPECT_STREQ("fast", values[0]);
    cf_free(values, count);
    cf_free_table(&held);
    EXPECT_EQ(cf_BAD_PARAM, cf_refresh_config_table_for_group(nullptr));
}

TEST_F(ConfigModuleTest, UnreadableGroupIsReportedOnEveryAttempt) {
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_EQ(cf_FAILURE, cf_refresh_config_table_for_group("nosuch"));
    ASSERT_EQ(1u, trace_.errors().size());
    EXPECT_EQ("IN 'ORVCommonKit' INFORM 'log' TITLE 'CF Read Table': Failed to read cf table for "
              "\"nosuch\"",
              trace_.errors()[0]);
    char buffer[16] = "x";
    EXPECT_EQ(cf_FAILURE, cf_get_string(cf_DOMAIN_ALL, "nosuch", "A", nullptr, buffer, 15, "d"));
    ASSERT_EQ(3u, trace_.errors().size());
    EXPECT_EQ(trace_.errors()[0], trace_.errors()[1]);
    EXPECT_EQ("IN 'ORVCommonKit' INFORM 'log' TITLE 'CF': ERROR finding CF Table for \"nosuch\"",
              trace_.errors()[2]);
    // Not cached: the group is read once it exists.
    write("site/config/nosuch.site", "A USER b\n");
    EXPECT_EQ(0, cf_get_string(cf_DOMAIN_ALL, "nosuch", "A", nullptr, buffer, 15, "d"));
    EXPECT_STREQ("b", buffer);
}

TEST_F(ConfigModuleTest, DescriptionNamesEveryCachedGroup) {
    write("site/config/viewer.site", "PORT USER 104\n");
    ASSERT_EQ(0, cf_init(nullptr));
    get("PORT");
    const std::string text = describe_cf_table();
    EXPECT_NE(std::string::npos, text.find("VIEWER"));
    EXPECT_NE(std::string::npos, text.find("GROUP"));
    EXPECT_NE(std::string::npos, text.find("104"));
}

}  // namespace

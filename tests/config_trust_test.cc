// What the configuration trusts from its neighbours: group, user and
// user-domain names never take a domain file out of its configuration
// directory, a missing (null) group reads like any other missing group, and
// world-writable configuration files are reported when the module starts.
#include "support/config_helpers.h"

#include <ORVCommonKit/cfset.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/tr.h>

#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using orvtest::read_file;

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
    EXPECT_EQ("PORT\tUSER\t666\n", read_file(dir_ / "escaped.site"));
    EXPECT_EQ(std::string(), read_file(dir_ / "escaped.user.jdoe"));
    EXPECT_EQ(std::string(), read_file(dir_ / "site/a/b.site"));
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
    EXPECT_EQ(std::string(), read_file(dir_ / "viewer.user.jdoe"));
    EXPECT_EQ(std::string(), read_file(dir_ / "user/viewer.user.jdoe"));
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

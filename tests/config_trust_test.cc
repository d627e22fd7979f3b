// What the configuration trusts from its neighbours: group, user and
// user-domain names never take a domain file out of its configuration
// directory, a missing (null) group reads like any other missing group, a
// shared region is imported only from this user with no access for others,
// and world-writable configuration files are reported when the module starts.
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/cfset.h>
#include <ORVCommonKit/cfshare.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/tr.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using orvtest::read_file;
using orvtest::TempInstallation;
using orvtest::TraceCapture;

class ConfigTrustTest : public ::testing::Test {
protected:
    void SetUp() override {
        cf_close_file_mapping();
        cf_term();
        trace_.start();
        dir_.write("sys/data/cf/behavior.plist", "{ viewer = { default = 0x20; }; }");
        dir_.write("site/config/viewer.site", "PORT\tUSER\t104\n");
    }
    void TearDown() override {
        cf_close_file_mapping();
        for (const auto &share : shares_) shm_unlink(("/" + share).c_str());
        cf_term();
        trace_.stop();
    }

    bool reported(const std::string &text) const {
        const auto &errors = trace_.errors();
        return std::any_of(errors.begin(), errors.end(),
                           [&](const std::string &e) { return e.find(text) != std::string::npos; });
    }
    bool warned(const std::string &text) const {
        const auto warnings = trace_.of_kind(tr_KIND_WARNING);
        return std::any_of(warnings.begin(), warnings.end(),
                           [&](const std::string &w) { return w.find(text) != std::string::npos; });
    }
    std::string share() {
        shares_.push_back("orvcftrust-" + std::to_string(getpid()) + "-" +
                          std::to_string(shares_.size()));
        return shares_.back();
    }

    TempInstallation dir_;
    TraceCapture trace_;
    std::vector<std::string> shares_;
};

TEST_F(ConfigTrustTest, NullGroupReadsLikeAMissingGroup) {
    ASSERT_EQ(0, cf_init(nullptr));
    ORVConfigurationTable *table = nullptr;
    EXPECT_EQ(-1, cf_read_entire_file(cf_DOMAIN_ALL, nullptr, &table));
    EXPECT_EQ(nullptr, table);
    EXPECT_EQ(-1, cf_read_entire_file(cf_DOMAIN_ALL, "", &table));
    EXPECT_TRUE(reported("Invalid group: (null)"));
}

// Every function that turns a group into a file refuses a name that would
// leave the directory, with the status of an unreadable group, a report
// naming it, and no file written anywhere.
TEST_F(ConfigTrustTest, GroupNamesThatLeaveTheDirectoryAreRefused) {
    ASSERT_EQ(0, cf_init("jdoe"));
    dir_.write("escaped.site", "PORT\tUSER\t666\n");
    for (const char *group : {"../../escaped", "../escaped", "a/b", "a\\b", "..", ".", "/tmp/x"}) {
        SCOPED_TRACE(group);
        trace_.clear();
        const char *values[] = {"1"};
        EXPECT_EQ(cf_FILE_NACCESS, cf_set(cf_DOMAIN_SITE, group, "NAME", 0, 1, values));
        EXPECT_EQ(cf_FILE_NACCESS, cf_set(cf_DOMAIN_USER, group, "NAME", 0, 1, values));
        EXPECT_EQ(cf_FILE_NACCESS, cf_rm(cf_DOMAIN_SITE, group, "NAME"));
        ORVConfigurationTable *table = nullptr;
        EXPECT_EQ(cf_FILE_NACCESS, cf_read_domain_with_table(&table, cf_DOMAIN_SITE, group));
        EXPECT_EQ(-1, cf_read_entire_file(cf_DOMAIN_ALL, group, &table));
        char buffer[16];
        EXPECT_NE(0, cf_get_string(cf_DOMAIN_ALL, group, "PORT", nullptr, buffer, 15, nullptr));
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
    struct Case {
        const char *user;
        const char *user_domain;
    };
    for (const Case c : {Case{"../../jdoe", nullptr}, Case{"jdoe", "../../RAD"}, Case{"..", nullptr},
                         Case{"jdoe", "x/y"}}) {
        SCOPED_TRACE(std::string(c.user) + " " + (c.user_domain ? c.user_domain : "-"));
        cf_term();
        trace_.clear();
        ASSERT_EQ(0, cf_init_ex(c.user, c.user_domain));
        const char *values[] = {"1"};
        EXPECT_EQ(cf_FILE_NACCESS, cf_set(cf_DOMAIN_USER, "viewer", "NAME", 0, 1, values));
        EXPECT_TRUE(reported("would leave the configuration directory"));
        // The site and system files of the group are still read.
        char buffer[16];
        EXPECT_EQ(0, cf_get_string(cf_DOMAIN_ALL, "viewer", "PORT", nullptr, buffer, 15, nullptr));
        EXPECT_STREQ("104", buffer);
        ORVConfigurationTable *table = nullptr;
        EXPECT_EQ(0, cf_read_entire_file_with_user("../u", nullptr, cf_DOMAIN_USER, "viewer", &table));
        cf_free_table(&table);
    }
    EXPECT_EQ(std::string(), read_file(dir_ / "viewer.user.jdoe"));
    EXPECT_EQ(std::string(), read_file(dir_ / "user/viewer.user.jdoe"));
}

// A region given to another account, or opened to group or others, is never
// imported: the cache stays as it was and the report names owner and mode.
TEST_F(ConfigTrustTest, ImportRefusesARegionOfAnotherOwnerOrWithOpenMode) {
    ASSERT_EQ(0, cf_init(nullptr));
    const std::string exported = share();
    const char *groups[] = {"viewer"};
    ASSERT_EQ(0, cf_export_config_tables_to_file_mapping(exported.c_str(), groups, 1));
    const int source = shm_open(("/" + exported).c_str(), O_RDONLY, 0);
    ASSERT_GE(source, 0);
    struct stat st {};
    ASSERT_EQ(0, fstat(source, &st));
    std::string bytes(static_cast<size_t>(st.st_size), '\0');
    ASSERT_EQ(st.st_size, pread(source, bytes.data(), bytes.size(), 0));
    close(source);
    cf_close_file_mapping();

    const bool privileged = geteuid() == 0;
    struct Case {
        mode_t mode;
        bool foreign;
        int status;
        const char *report;
    };
    const Case cases[] = {
        {0600, false, 0, nullptr},
        {0666, false, cf_SHARE_FAILED, "with mode 0666"},
        {0640, false, cf_SHARE_FAILED, "with mode 0640"},
        {0604, false, cf_SHARE_FAILED, "with mode 0604"},
        {0600, true, cf_SHARE_FAILED, "owned by nobody"},
    };
    for (const Case &c : cases) {
        if (c.foreign && !privileged) continue;
        SCOPED_TRACE(std::to_string(c.mode) + (c.foreign ? " foreign" : ""));
        const std::string planted = share();
        const int fd = shm_open(("/" + planted).c_str(), O_CREAT | O_EXCL | O_RDWR, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(static_cast<ssize_t>(bytes.size()), pwrite(fd, bytes.data(), bytes.size(), 0));
        ASSERT_EQ(0, fchmod(fd, c.mode));
        if (c.foreign) {
            const struct passwd *nobody = getpwnam("nobody");
            ASSERT_NE(nullptr, nobody);
            ASSERT_EQ(0, fchown(fd, nobody->pw_uid, nobody->pw_gid));
        }
        close(fd);
        trace_.clear();
        dir_.write("site/config/viewer.site", "PORT\tUSER\t105\n");
        cf_term();
        ASSERT_EQ(0, cf_init(nullptr));
        EXPECT_EQ(c.status, cf_import_config_tables_from_file_mapping(planted.c_str()));
        if (c.report) {
            EXPECT_TRUE(reported(c.report));
            EXPECT_TRUE(reported("Refused the File Mapping object '/" + planted + "'"));
        }
        // Refused: the process reads its own files (105); imported: the
        // exported table (104).
        char buffer[16];
        ASSERT_EQ(0, cf_get_string(cf_DOMAIN_ALL, "viewer", "PORT", nullptr, buffer, 15, nullptr));
        EXPECT_STREQ(c.status == 0 ? "104" : "105", buffer);
        dir_.write("site/config/viewer.site", "PORT\tUSER\t104\n");
    }
}

TEST_F(ConfigTrustTest, WorldWritableConfigurationFilesAreReportedOnceAtStart) {
    const std::string open_site = dir_.write("site/config/open.site", "A\tUSER\t1\n");
    const std::string open_user = dir_.write("user/config/open.user.jdoe", "A\tUSER\t1\n");
    const std::string closed = dir_.write("site/config/closed.site", "A\tUSER\t1\n");
    const std::string other = dir_.write("site/config/notes.txt", "");
    const std::string behaviors = dir_ / "sys/data/cf/behavior.plist";
    for (const std::string &path : {open_site, open_user, other, behaviors}) chmod(path.c_str(), 0666);
    chmod(closed.c_str(), 0664);

    ASSERT_EQ(0, cf_init("jdoe"));
    for (const std::string &path : {open_site, open_user, behaviors}) {
        SCOPED_TRACE(path);
        const auto warnings = trace_.of_kind(tr_KIND_WARNING);
        EXPECT_EQ(1, std::count_if(warnings.begin(), warnings.end(), [&](const std::string &w) {
                      return w.find("\"" + path + "\" can be written by every user (mode 0666)") !=
                             std::string::npos;
                  }));
    }
    EXPECT_FALSE(warned(closed));
    EXPECT_FALSE(warned(other));
    // Read as usual.
    char buffer[16];
    EXPECT_EQ(0, cf_get_string(cf_DOMAIN_ALL, "open", "A", nullptr, buffer, 15, nullptr));
}

}  // namespace

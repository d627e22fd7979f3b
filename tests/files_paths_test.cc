// Standard directories (directory map, environment overrides at every level of
// the parent chain) and path-name manipulation.
#include "files/ut_testing.h"
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <gmock/gmock.h>

#include <memory>
#include <string>
#include <vector>

using ::testing::HasSubstr;
using orvtest::ScopedEnv;
using orvtest::TempDir;

namespace {

const char *const kAllKeys[] = {
    "ORV_ROOT_PATH",        "ORV_SITE_PATH",       "ORV_LOG_PATH",          "ORV_TEMP_PATH",
    "ORV_SITE_CONFIG_PATH", "ORV_SITE_DATA_PATH",  "ORV_SYS_PATH",          "ORV_APPS_PATH",
    "ORV_BUNDLE_PATH",      "ORV_SYS_CONFIG_PATH", "ORV_SYS_DATA_PATH",     "ORV_FRAMEWORK_PATH",
    "ORV_SERVER_PATH",      "ORV_UTILITY_PATH",    "ORV_PRIVATE_UTILITY_PATH", "ORV_USER_PATH",
    "ORV_USER_CONFIG_PATH", "ORV_USER_DATA_PATH"};

std::string str(const char *s) { return s ? s : "<null>"; }

// Every test starts with none of the ORV_*_PATH variables set, errors
// captured, and (after the first lookup) the library's own directory map.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char *key : kAllKeys) env_.push_back(std::make_unique<ScopedEnv>(key, std::nullopt));
        trace_.start();
        pool_ = orvstd_create_autorel_pool();
    }
    void TearDown() override {
        orvstd_destroy_autorel_pool(pool_);
        orv_ut_testing_use_bundle("");
        trace_.stop();
    }
    void set(const char *key, const std::string &value) {
        env_.push_back(std::make_unique<ScopedEnv>(key, value));
    }

    std::vector<std::string> errors() const { return trace_.of_kind(tr_KIND_ERROR); }

    orvtest::TraceCapture trace_;
    std::vector<std::unique_ptr<ScopedEnv>> env_;
    ORVAutoreleasePool *pool_ = nullptr;
};

using DirectoryMapTest = FilesTest;

TEST_F(DirectoryMapTest, KeyConstantsAreTheVariableNamesInOrder) {
    const char *const constants[] = {
        ORVRootPathName,        ORVSitePathName,       ORVLogPathName,        ORVTempPathName,
        ORVSiteConfigPathName,  ORVSiteDataPathName,   ORVSysPathName,        ORVAppsPathName,
        ORVBundlePathName,      ORVSysConfigPathName,  ORVSysDataPathName,    ORVFrameworkPathName,
        ORVServerPathName,      ORVUtilityPathName,    ORVPrivateUtilityPathName, ORVUserPathName,
        ORVUserConfigPathName,  ORVUserDataPathName};
    for (size_t i = 0; i < std::size(kAllKeys); ++i) EXPECT_STREQ(constants[i], kAllKeys[i]);
}

TEST_F(DirectoryMapTest, RootVariableMovesEveryLookupAndIsReadEveryTime) {
    EXPECT_EQ(str(ut_orv_path_cstring_with_name(ORVRootPathName)), "d:/b/555/s/orv");
    EXPECT_EQ(str(ut_orv_sys_config_dir()), "d:/b/555/s/orv/sys/config");
    set("ORV_ROOT_PATH", "/r");
    for (const char *key : kAllKeys) {
        const std::string path = str(ut_orv_path_cstring_with_name(key));
        EXPECT_EQ(path.rfind("/r", 0), 0u) << key << " -> " << path;
    }
    set("ORV_ROOT_PATH", "/opt/orv");
    const std::pair<const char *(*)(void), const char *> dirs[] = {
        {ut_orv_log_dir, "/opt/orv/log"}, {ut_orv_temp_dir, "/opt/orv/temp"}, {ut_orv_apps_dir, "/opt/orv/apps"},
        {ut_orv_sys_config_dir, "/opt/orv/sys/config"}, {ut_orv_sys_data_dir, "/opt/orv/sys/data"},
        {ut_orv_site_config_dir, "/opt/orv/site/config"}, {ut_orv_site_data_dir, "/opt/orv/site/data"},
        {ut_orv_user_config_dir, "/opt/orv/user/config"}, {ut_orv_user_data_dir, "/opt/orv/user/data"},
        {ut_orv_server_dir, "/opt/orv/sys/servers"}, {ut_orv_utility_dir, "/opt/orv/sys/utilities"},
        {ut_orv_private_utility_dir, "/opt/orv/sys/utilities/private"}};
    for (const auto &[dir, path] : dirs) EXPECT_EQ(str(dir()), path);
    set("ORV_LOG_PATH", "/logs");
    EXPECT_EQ(str(ut_orv_log_dir()), "/logs");
    EXPECT_TRUE(errors().empty());
}

TEST_F(DirectoryMapTest, VariableAtEachLevelWinsForItsSubtree) {
    set("ORV_ROOT_PATH", "/root/");  // a trailing separator is not doubled
    set("ORV_SYS_PATH", "/elsewhere/sys");
    set("ORV_UTILITY_PATH", "/u");
    EXPECT_EQ(str(ut_orv_sys_config_dir()), "/elsewhere/sys/config");
    EXPECT_EQ(str(ut_orv_utility_dir()), "/u");
    EXPECT_EQ(str(ut_orv_private_utility_dir()), "/u/private");
    EXPECT_EQ(str(ut_orv_user_data_dir()), "/root/user/data");
    // The variable's own value is returned unchanged.
    EXPECT_EQ(str(ut_orv_path_cstring_with_name(ORVRootPathName)), "/root/");
}

TEST_F(DirectoryMapTest, EmptyVariableGivesEmptyPathAndBareLocalChildren) {
    set("ORV_ROOT_PATH", "");
    EXPECT_EQ(str(ut_orv_path_cstring_with_name(ORVRootPathName)), "");
    EXPECT_EQ(str(ut_orv_log_dir()), "log");
    EXPECT_EQ(str(ut_orv_user_config_dir()), "user/config");
    set("ORV_LOG_PATH", "");
    EXPECT_EQ(str(ut_orv_log_dir()), "");
}

TEST_F(DirectoryMapTest, UnknownKeyIsNullEvenWithItsVariableSet) {
    set("ORV_NOT_A_KEY", "/somewhere");
    EXPECT_EQ(ut_orv_path_with_name("ORV_NOT_A_KEY"), nullptr);
    EXPECT_EQ(ut_orv_path_with_name(nullptr), nullptr);
    EXPECT_TRUE(errors().empty());
}

TEST_F(DirectoryMapTest, BundleWithoutMapReportsOnEveryLookup) {
    TempDir bundle;
    orv_ut_testing_use_bundle(bundle.path().c_str());
    set("ORV_LOG_PATH", "/logs");
    EXPECT_EQ(ut_orv_log_dir(), nullptr);
    EXPECT_EQ(ut_orv_path_with_name(ORVRootPathName), nullptr);
    ASSERT_EQ(errors().size(), 2u);
    for (const std::string &e : errors())
        EXPECT_THAT(e, HasSubstr("Library resource corrupt, unable to location path dictionary file."));
    // The map appearing later is picked up: nothing was cached.
    bundle.write("directories.plist", "{ ORV_LOG_PATH = {}; }");
    EXPECT_EQ(str(ut_orv_log_dir()), "/logs");
}

TEST_F(DirectoryMapTest, UnreadableMapNamesItsPath) {
    TempDir bundle;
    const std::string file = bundle.write("directories.plist", "{ ORV_ROOT_PATH = { ;");
    orv_ut_testing_use_bundle(bundle.path().c_str());
    EXPECT_EQ(ut_orv_log_dir(), nullptr);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_THAT(errors()[0], HasSubstr("Unable to load path directory file at \"" + file + "\"."));
}

TEST_F(DirectoryMapTest, BrokenParentChainsGiveNullWithoutReport) {
    TempDir bundle;
    bundle.write("directories.plist",
                 "{ A = { parent = B; local = a; }; B = { parent = A; local = b; };"
                 "  C = { parent = MISSING; local = c; }; D = { parent = C; local = d; };"
                 "  E = { local = e; }; ROOT = {}; F = { parent = ROOT; local = \"x/y\"; }; }");
    orv_ut_testing_use_bundle(bundle.path().c_str());
    EXPECT_EQ(ut_orv_path_with_name("A"), nullptr);
    EXPECT_EQ(ut_orv_path_with_name("D"), nullptr);
    EXPECT_EQ(ut_orv_path_with_name("E"), nullptr);
    EXPECT_EQ(str(ut_orv_path_cstring_with_name("F")), "d:/b/555/s/orv/x/y");
    set("A", "/set");  // a variable cuts the loop short
    EXPECT_EQ(str(ut_orv_path_cstring_with_name("B")), "/set/b");
    EXPECT_TRUE(errors().empty());
}

// ---- Path and file-name manipulation ---------------------------------------

using PathTest = FilesTest;

std::string build(const char *base, const char *local, int max = 255) {
    char buf[256] = "untouched";
    ut_file_build_full_path(buf, base, local, max);
    return buf;
}

TEST_F(PathTest, BuildFullPathAlwaysAddsSeparatorForEmptyName) {
    EXPECT_EQ(build("C:/data", ""), "C:/data/");
    EXPECT_EQ(build("C:/data/", nullptr), "C:/data//");
    EXPECT_EQ(build("C:/data/", "x.txt"), "C:/data/x.txt");
    EXPECT_EQ(build("a\\", "b"), "a/b");
    EXPECT_EQ(build("abc", "def", 5), "abc/d");
    ut_file_build_full_path(nullptr, "a", "b", 5);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_THAT(errors()[0], HasSubstr("The buffer is not specified!"));
}

TEST_F(PathTest, AddSeparatorNeedsRoomForItAndTheNul) {
    char four[4] = "abc";
    ut_file_add_separator(four, 4);
    EXPECT_STREQ(four, "abc");
    char five[5] = "abc";
    ut_file_add_separator(five, 5);
    EXPECT_STREQ(five, "abc/");
    char back[8] = "ab\\";
    ut_file_add_separator(back, 8);
    EXPECT_STREQ(back, "ab\\");
    char empty[8] = "";
    ut_file_add_separator(empty, 8);
    EXPECT_STREQ(empty, "");
    ut_file_add_separator(nullptr, 8);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_THAT(errors()[0], HasSubstr("fullPathBfr is NULL.  Cannot add separator."));
}

TEST_F(PathTest, ExtractionsSplitNameExtensionAndParent) {
    const struct {
        void (*extract)(char *, const char *, int);
        const char *path;
        int size;
        const char *part;
    } cases[] = {
        {ut_file_extract_ext, "a/b.tar.gz", 255, "gz"}, {ut_file_extract_ext, "a.d/b", 255, ""},
        {ut_file_extract_name_sans_ext, "a/b.tar.gz", 255, "b.tar"},
        {ut_file_extract_name, "c:\\dir\\file.txt", 255, "file.txt"}, {ut_file_extract_name, "a/b/", 255, "b"},
        {ut_file_extract_parent_dir, "a/b/c.txt", 255, "a/b"}, {ut_file_extract_parent_dir, "/top", 255, "/"},
        {ut_file_extract_name, "abcdef", 3, "abc"}, {ut_file_extract_name, "abcdef", 1, "a"},
        {ut_file_extract_name, "abcdef", 0, ""}, {ut_file_extract_name, "abcdef", -1, ""},
    };
    for (const auto &c : cases) {
        char buf[256];
        c.extract(buf, c.path, c.size);
        EXPECT_STREQ(buf, c.part) << c.path;
    }
    EXPECT_TRUE(errors().empty());
}

TEST_F(PathTest, ExtractionFailuresLeaveTheBufferAlone) {
    char buf[16] = "keep";
    ut_file_extract_name(buf, "", 15);
    ut_file_extract_parent_dir(buf, nullptr, 15);
    ut_file_extract_name_sans_ext(nullptr, "a/b", 15);
    ut_file_extract_ext(buf, "", 15);  // no report for the extension
    EXPECT_STREQ(buf, "keep");
    ASSERT_EQ(errors().size(), 3u);
    EXPECT_THAT(errors()[0], HasSubstr("The full path is not specified!"));
    EXPECT_THAT(errors()[1], HasSubstr("The full path is not specified!"));
    EXPECT_THAT(errors()[2], HasSubstr("The buffer is not specified!"));
}

TEST_F(PathTest, ImageNumberAndComponentsFollowThePathRules) {
    const std::pair<const char *, int> numbers[] = {
        {"VIEW12.DCM", 12}, {"a/b/view12.dcm", 12}, {"view12.txt", 12}, {"c:\\x\\View7.dcm", 7},
        {"view/12.dcm", -1}, {"xview3.dcm", -1}, {"view.dcm", -1}};
    for (const auto &[name, number] : numbers) EXPECT_EQ(ut_file_extract_image_number(name), number) << name;
    const struct {
        const char *(*operation)(const char *);
        const char *path, *result;
    } components[] = {
        {ut_last_path_component, "/tmp/scratch.tiff", "scratch.tiff"}, {ut_last_path_component, "/tmp/", "tmp"},
        {ut_last_path_component, "/", "/"}, {ut_delete_last_path_component, "/tmp/lock/", "/tmp"},
        {ut_delete_last_path_component, "/tmp", "/"}, {ut_delete_last_path_component, "scratch.tiff", ""},
        {ut_delete_last_path_component, "a\\b", "a"}};
    for (const auto &c : components) EXPECT_STREQ(c.operation(c.path), c.result) << c.path;
    const std::pair<const char *, const char *> appended[] = {{"/tmp/", "/tmp/x"}, {"/", "/x"}, {"", "x"}};
    for (const auto &[path, result] : appended) EXPECT_STREQ(ut_append_path_component(path, "x"), result) << path;
    EXPECT_STREQ(ut_append_path_component("a\\\\", "/b"), "a/b");
    EXPECT_EQ(ut_last_path_component(nullptr), nullptr);
    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(ut_file_extract_image_number(""), -1);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_THAT(errors()[0], HasSubstr("The file name is not specified!"));
}

TEST_F(PathTest, RootDirectoriesAreRecognised) {
    for (const char *root : {"C:", "c:\\", "d:/", "/", "\\"}) EXPECT_TRUE(ut_is_root_directory(root)) << root;
    for (const char *other : {"C:\\x", "CC:", "abcd", "1:", "//x", "c/"})
        EXPECT_FALSE(ut_is_root_directory(other)) << other;
    EXPECT_TRUE(errors().empty());
    EXPECT_TRUE(ut_is_root_directory(""));
    EXPECT_TRUE(ut_is_root_directory(nullptr));
    ASSERT_EQ(errors().size(), 2u);
    EXPECT_THAT(errors()[0], HasSubstr("\"\" is sometimes considered to be the root directory.  It should not be "
                                      "used.  Returning YES... \"\" is a root directroy."));
    EXPECT_THAT(errors()[1], HasSubstr("NULL is sometimes considered"));
}

}  // namespace

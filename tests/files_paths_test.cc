// Standard directories (directory map, environment overrides at every level of
// the parent chain) and path-name manipulation.
#include "files/ut_testing.h"
#include "support/files_helpers.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using orvtest::ScopedEnv;
using orvtest::TempDir;

namespace {

const char *const kAllKeys[] = {
    ORVRootPathName,       ORVSitePathName,      ORVLogPathName,       ORVTempPathName,           ORVSiteConfigPathName,
    ORVSiteDataPathName,   ORVSysPathName,       ORVAppsPathName,      ORVBundlePathName,         ORVSysConfigPathName,
    ORVSysDataPathName,    ORVFrameworkPathName, ORVServerPathName,    ORVUtilityPathName,        ORVPrivateUtilityPathName,
    ORVUserPathName,       ORVUserConfigPathName, ORVUserDataPathName};

std::string str(const char *s) { return s ? s : "<null>"; }

// Every test starts with none of the ORV_*_PATH variables set and (after the
// first lookup) the library's own directory map.
class PathTest : public orvtest::FilesTest {
protected:
    void SetUp() override {
        for (const char *key : kAllKeys) set(key, std::nullopt);
        FilesTest::SetUp();
    }
    void TearDown() override {
        orv_ut_testing_use_bundle("");
        FilesTest::TearDown();
    }
    void set(const char *key, std::optional<std::string> value) {
        env_.push_back(std::make_unique<ScopedEnv>(key, std::move(value)));
    }
    // Points the library at a bundle holding only the map text given.
    void use_map(const char *text) {
        if (text) file_ = bundle_.write("directories.plist", text);
        orv_ut_testing_use_bundle(bundle_.path().c_str());
    }

    std::vector<std::unique_ptr<ScopedEnv>> env_;
    TempDir bundle_;
    std::string file_;
};

// ---- Standard directories ---------------------------------------------------

TEST_F(PathTest, RootVariableMovesEveryLookupAndIsReadEveryTime) {
    EXPECT_EQ(str(ut_orv_path_cstring_with_name(ORVRootPathName)), "d:/b/555/s/orv");
    EXPECT_EQ(str(ut_orv_sys_config_dir()), "d:/b/555/s/orv/sys/config");
    set("ORV_ROOT_PATH", "/r");
    for (const char *key : kAllKeys) EXPECT_EQ(str(ut_orv_path_cstring_with_name(key)).rfind("/r", 0), 0u) << key;
    set("ORV_ROOT_PATH", "/opt/orv");
    const std::pair<const char *(*)(void), const char *> dirs[] = {
        {ut_orv_log_dir, "/opt/orv/log"}, {ut_orv_temp_dir, "/opt/orv/temp"}, {ut_orv_apps_dir, "/opt/orv/apps"},
        {ut_orv_sys_config_dir, "/opt/orv/sys/config"}, {ut_orv_sys_data_dir, "/opt/orv/sys/data"},
        {ut_orv_site_config_dir, "/opt/orv/site/config"}, {ut_orv_site_data_dir, "/opt/orv/site/data"},
        {ut_orv_user_config_dir, "/opt/orv/user/config"}, {ut_orv_user_data_dir, "/opt/orv/user/data"},
        {ut_orv_server_dir, "/opt/orv/sys/servers"}, {ut_orv_utility_dir, "/opt/orv/sys/utilities"},
        {ut_orv_private_utility_dir, "/opt/orv/sys/utilities/private"}};
    for (const auto &[dir, path] : dirs) EXPECT_EQ(str(dir()), path);
    // A variable at any level wins for its subtree and is returned unchanged.
    set("ORV_ROOT_PATH", "/root/");  // a trailing separator is not doubled
    set("ORV_SYS_PATH", "/elsewhere/sys");
    set("ORV_UTILITY_PATH", "/u");
    EXPECT_EQ(str(ut_orv_sys_config_dir()), "/elsewhere/sys/config");
    EXPECT_EQ(str(ut_orv_private_utility_dir()), "/u/private");
    EXPECT_EQ(str(ut_orv_user_data_dir()), "/root/user/data");
    EXPECT_EQ(str(ut_orv_path_cstring_with_name(ORVRootPathName)), "/root/");
    // The empty text is a value too: children become bare local paths.
    set("ORV_ROOT_PATH", "");
    EXPECT_EQ(str(ut_orv_user_config_dir()), "user/config");
    set("ORV_LOG_PATH", "");
    EXPECT_EQ(str(ut_orv_log_dir()), "");
    // A key the map does not know is null even with its variable set.
    set("ORV_NOT_A_KEY", "/somewhere");
    EXPECT_EQ(ut_orv_path_with_name("ORV_NOT_A_KEY"), nullptr);
    EXPECT_TRUE(errors().empty());
}

TEST_F(PathTest, MissingOrUnreadableMapIsReportedOnEveryLookup) {
    use_map(nullptr);
    set("ORV_LOG_PATH", "/logs");
    EXPECT_EQ(ut_orv_log_dir(), nullptr);
    EXPECT_EQ(ut_orv_path_with_name(ORVRootPathName), nullptr);
    use_map("{ ORV_ROOT_PATH = { ;");
    EXPECT_EQ(ut_orv_log_dir(), nullptr);
    EXPECT_THAT(errors(), ElementsAre(HasSubstr("Library resource corrupt, unable to location path dictionary file."),
                                      HasSubstr("Library resource corrupt, unable to location path dictionary file."),
                                      HasSubstr("Unable to load path directory file at \"" + file_ + "\".")));
    // A readable map appearing later is picked up: nothing was cached.
    use_map("{ ORV_LOG_PATH = {}; }");
    EXPECT_EQ(str(ut_orv_log_dir()), "/logs");
}

TEST_F(PathTest, BrokenParentChainsGiveNullWithoutReport) {
    use_map("{ A = { parent = B; local = a; }; B = { parent = A; local = b; };"
            "  C = { parent = MISSING; local = c; }; D = { parent = C; local = d; };"
            "  E = { local = e; }; G = { parent = ROOT; }; ROOT = {}; F = { parent = ROOT; local = \"x/y\"; }; }");
    for (const char *key : {"A", "D", "E", "G"}) EXPECT_EQ(ut_orv_path_with_name(key), nullptr) << key;
    EXPECT_EQ(str(ut_orv_path_cstring_with_name("F")), "d:/b/555/s/orv/x/y");
    set("A", "/set");  // a variable cuts the loop short
    EXPECT_EQ(str(ut_orv_path_cstring_with_name("B")), "/set/b");
    // A chain is followed through 64 parents, not one more.
    std::string chain = "{ ROOT = {}; N0 = { parent = ROOT; local = n; };";
    for (int i = 1; i <= 64; ++i)
        chain += " N" + std::to_string(i) + " = { parent = N" + std::to_string(i - 1) + "; local = n; };";
    use_map((chain + " }").c_str());
    EXPECT_NE(ut_orv_path_with_name("N63"), nullptr);
    EXPECT_EQ(ut_orv_path_with_name("N64"), nullptr);
    EXPECT_TRUE(errors().empty());
}

// ---- Path and file-name manipulation ---------------------------------------

TEST_F(PathTest, BufferOperationsCutAtTheirMaximumAndLeaveTheBufferOnFailure) {
    const struct {
        void (*fill)(char *, const char *, int);
        const char *path;
        int size;
        const char *result;
    } cases[] = {
        {ut_file_extract_ext, "a/b.tar.gz", 255, "gz"}, {ut_file_extract_ext, "a.d/b", 255, ""},
        {ut_file_extract_ext, "", 255, "keep"}, {ut_file_extract_name_sans_ext, "a/b.tar.gz", 255, "b.tar"},
        {ut_file_extract_name_sans_ext, "a/b.tar.gz", 3, "b.t"}, {ut_file_extract_ext, "a/b.tar.gz", 1, "g"},
        {ut_file_extract_name, "c:\\dir\\file.txt", 255, "file.txt"}, {ut_file_extract_name, "a/b/", 255, "b"},
        {ut_file_extract_name, "abcdef", 3, "abc"}, {ut_file_extract_name, "abcdef", 6, "abcdef"},
        {ut_file_extract_name, "abcdef", 0, ""}, {ut_file_extract_name, "abcdef", -1, ""},
        {ut_file_extract_name, "", 15, "keep"}, {ut_file_extract_parent_dir, "a/b/c.txt", 255, "a/b"},
        {ut_file_extract_parent_dir, "/top", 255, "/"}, {ut_file_extract_parent_dir, "a/b/c.txt", 2, "a/"},
        // The separator is always added for no name, whichever way the base ends.
        {[](char *b, const char *p, int n) { ut_file_build_full_path(b, "C:/data", p, n); }, "", 255, "C:/data/"},
        {[](char *b, const char *, int n) { ut_file_build_full_path(b, "C:/data/", nullptr, n); }, "", 255, "C:/data//"},
        {[](char *b, const char *p, int n) { ut_file_build_full_path(b, "C:/data/", p, n); }, "x.txt", 255, "C:/data/x.txt"},
        {[](char *b, const char *p, int n) { ut_file_build_full_path(b, "a\\", p, n); }, "b", 255, "a/b"},
        {[](char *b, const char *p, int n) { ut_file_build_full_path(b, "abc", p, n); }, "def", 5, "abc/d"},
    };
    for (const auto &c : cases) {
        char buf[256] = "keep";
        std::memset(buf + 5, 'x', sizeof buf - 5);
        c.fill(buf, c.path, c.size);
        EXPECT_STREQ(buf, c.result) << (c.path ? c.path : "null") << " " << c.size;
    }
    ut_file_build_full_path(nullptr, "a", "b", 5);
    ut_file_extract_name_sans_ext(nullptr, "a/b", 15);
    // A separator is added only when there is room for it and the NUL.
    const struct { const char *before; int size; const char *after; } separators[] = {
        {"abc", 4, "abc"}, {"abc", 5, "abc/"}, {"a", 3, "a/"}, {"ab\\", 8, "ab\\"}, {"ab/", 8, "ab/"}, {"", 8, ""}};
    for (const auto &c : separators) {
        char buf[8] = {};
        std::strcpy(buf, c.before);
        ut_file_add_separator(buf, c.size);
        EXPECT_STREQ(buf, c.after) << c.before << " " << c.size;
    }
    ut_file_add_separator(nullptr, 8);
    EXPECT_THAT(errors(), ElementsAre(HasSubstr("The full path is not specified!"),
                                      HasSubstr("The buffer is not specified!"), HasSubstr("The buffer is not specified!"),
                                      HasSubstr("fullPathBfr is NULL.  Cannot add separator.")));
}

TEST_F(PathTest, ImageNumberAndComponentsFollowThePathRules) {
    const std::pair<const char *, int> numbers[] = {
        {"VIEW12.DCM", 12}, {"a/b/view12.dcm", 12}, {"view12.txt", 12}, {"c:\\x\\View7.dcm", 7},
        {"view/12.dcm", -1}, {"xview3.dcm", -1},    {"view.dcm", -1}};
    for (const auto &[name, number] : numbers) EXPECT_EQ(ut_file_extract_image_number(name), number) << name;
    const struct { const char *(*operation)(const char *); const char *path, *result; } components[] = {
        {ut_last_path_component, "/tmp/scratch.tiff", "scratch.tiff"}, {ut_last_path_component, "/tmp/", "tmp"},
        {ut_last_path_component, "/", "/"}, {ut_delete_last_path_component, "/tmp/lock/", "/tmp"},
        {ut_delete_last_path_component, "/tmp", "/"}, {ut_delete_last_path_component, "scratch.tiff", ""},
        {ut_delete_last_path_component, "a\\b", "a"}};
    for (const auto &c : components) EXPECT_STREQ(c.operation(c.path), c.result) << c.path;
    const std::pair<const char *, const char *> appended[] = {
        {"/tmp/", "/tmp/x"}, {"/", "/x"}, {"", "x"}, {"a\\\\", "a/x"}};
    for (const auto &[path, result] : appended) EXPECT_STREQ(ut_append_path_component(path, "/x"), result) << path;
    for (const char *root : {"C:", "c:\\", "d:/", "/", "\\"}) EXPECT_TRUE(ut_is_root_directory(root)) << root;
    for (const char *other : {"C:\\x", "CC:", "abcd", "1:", "//x", "c/"})
        EXPECT_FALSE(ut_is_root_directory(other)) << other;
    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(ut_file_extract_image_number(""), -1);
    EXPECT_TRUE(ut_is_root_directory(""));
    EXPECT_TRUE(ut_is_root_directory(nullptr));
    EXPECT_THAT(errors(), ElementsAre(HasSubstr("The file name is not specified!"),
                                      HasSubstr("\"\" is sometimes considered to be the root directory.  It should "
                                                "not be used.  Returning YES... \"\" is a root directroy."),
                                      HasSubstr("NULL is sometimes considered")));
}

}  // namespace

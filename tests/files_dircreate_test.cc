// Creating directories with their parents: every creating function makes a
// deep tree that can exist, level by level with the requested permissions,
// and refuses at once a path that the system could never hold, however many
// components it has, without creating anything.
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <sys/stat.h>

#include <climits>
#include <functional>
#include <string>

namespace {

using orvtest::TempDir;
using orvtest::TraceCapture;

// Each creating function, answering true for success.
struct Creator {
    const char *name;
    std::function<bool(const char *)> create;
};

const Creator Creators[] = {
    {"ut_force_dir", [](const char *p) { return ut_force_dir(p) == 0; }},
    {"ut_force_dir_with_perm", [](const char *p) { return ut_force_dir_with_perm(p, 0700) == 0; }},
    {"ut_force_dir_with_native", [](const char *p) { return ut_force_dir_with_native(p) == 0; }},
    {"ut_create_directory_with_native", [](const char *p) { return ut_create_directory_with_native(p) != 0; }},
    {"ut_create_directory_with_native_with_option",
     [](const char *p) { return ut_create_directory_with_native_with_option(p, 0) != 0; }},
    {"ut_ensure_directory_at_path", [](const char *p) { return ut_ensure_directory_at_path(p, nullptr) != 0; }},
};

bool is_dir(const std::string &path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class DirCreateTest : public ::testing::Test {
protected:
    void SetUp() override {
        orvstd_init();
        trace_.start();
    }
    void TearDown() override { trace_.stop(); }
    TempDir dir_;
    TraceCapture trace_;
};

TEST_F(DirCreateTest, DeepTreesThatCanExistAreCreated) {
    for (const Creator &c : Creators) {
        SCOPED_TRACE(c.name);
        // 60 levels, written with doubled and trailing separators and "."
        // components that standardizing removes.
        std::string path = dir_ / c.name;
        for (int i = 0; i < 60; ++i) path += i % 20 == 0 ? "//./d" : "/d";
        path += "/";
        ASSERT_TRUE(c.create(path.c_str()));
        std::string clean = dir_ / c.name;
        for (int i = 0; i < 60; ++i) clean += "/d";
        EXPECT_TRUE(is_dir(clean));
        // Existing levels are fine for every creator but the one told not to.
        const bool strict = std::string(c.name) == "ut_create_directory_with_native_with_option";
        EXPECT_EQ(!strict, c.create(clean.c_str()));
    }
    std::string perm = dir_ / "perm/a/b";
    ASSERT_EQ(0, ut_force_dir_with_perm(perm.c_str(), 0750));
    struct stat st;
    for (const std::string &level : {dir_ / "perm", dir_ / "perm/a", perm}) {
        ASSERT_EQ(0, ::stat(level.c_str(), &st));
        EXPECT_EQ(0750u, st.st_mode & 07777) << level;
    }
}

// The fault this guards against: each level of a parent-first recursion
// standardized and copied the whole path again, so a 100,000-byte path of
// 50,000 components below a regular file kept each function busy for
// seconds and took gigabytes.
TEST_F(DirCreateTest, PathsTheSystemCannotHoldAreRefusedAtOnce) {
    const std::string file = dir_.write("file", "x");
    std::string below_file = file;
    for (int i = 0; i < 50000; ++i) below_file += "/a";
    const std::string long_component = dir_ / std::string(NAME_MAX + 1, 'n') + "/x";
    std::string too_long = dir_.path();
    while (too_long.size() < PATH_MAX) too_long += "/abcdefgh";
    for (const Creator &c : Creators) {
        for (const std::string &path : {below_file, long_component, too_long}) {
            SCOPED_TRACE(std::string(c.name) + " " + path.substr(0, 60));
            EXPECT_FALSE(c.create(path.c_str()));
        }
    }
    EXPECT_FALSE(is_dir(dir_ / "abcdefgh"));
    // A path below a file whose length the system accepts fails on the file.
    EXPECT_EQ(-1, ut_force_dir_with_native((file + "/a/b").c_str()));
    EXPECT_FALSE(trace_.errors().empty());
}

}  // namespace

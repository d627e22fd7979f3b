// Directory operations: tree removal (never through a link out of the tree),
// the handler protocol, emptying, temporary directories, creation with
// parents, tree copy fidelity, listing, counting and the read-only and
// "holds data" walks.
#include "files/unique_string.h"
#include "files/ut_testing.h"
#include "files/utdir_internal.h"
#include "support/files_helpers.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

using ::testing::HasSubstr;
using orvtest::exists;
using orvtest::mode_of;
using orvtest::read_file;
using orvtest::ScopedEnv;
using orvtest::TempDir;

namespace {

std::string link_target(const std::string &path) {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    return n < 0 ? std::string("<not a link>") : std::string(buf, static_cast<size_t>(n));
}

using DirOpsTest = orvtest::FilesTest;

// ---- Removal ---------------------------------------------------------------------

TEST_F(DirOpsTest, RemovalTakesLinksNotTheirTargetsAndReadOnlyEntries) {
    TempDir outside;
    outside.write("precious/data.txt", "keep me");
    const std::string tree = dir_ / "tree";
    dir_.write("tree/sub/.hidden", "dot file");
    const std::string locked = dir_.write("tree/locked/file", "x");
    ASSERT_EQ(::symlink((outside / "precious").c_str(), (tree + "/dirlink").c_str()), 0);
    ASSERT_EQ(::symlink((outside / "precious/data.txt").c_str(), (tree + "/sub/filelink").c_str()), 0);
    ASSERT_EQ(::symlink((outside / "precious").c_str(), (dir_ / "top").c_str()), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    for (const std::string &d : {tree, tree + "/locked"}) ASSERT_EQ(::chmod(d.c_str(), 0555), 0);
    errno = EACCES;  // an error number left from earlier is no failure of this removal
    EXPECT_EQ(ut_remove_path_ex(tree.c_str()), 0);
    EXPECT_EQ(ut_remove_path((dir_ / "top").c_str()), 0);  // a link given as the path itself
    EXPECT_FALSE(exists(tree));
    EXPECT_FALSE(exists(dir_ / "top"));
    EXPECT_EQ(read_file(outside / "precious/data.txt"), "keep me");
    EXPECT_TRUE(errors().empty());
}

TEST_F(DirOpsTest, RefusedAndMissingPathsGiveTheirCodes) {
    const std::string none = dir_ / "none", nodir = dir_ / "nodir/none";
    const struct { std::function<int(const char *)> remove; const char *path; int code; std::string error; } cases[] = {
        {ut_remove_path, "/", -9998, "ut_remove_path_ex_with_handler (\"/\") refuses to remove the root directory."},
        {ut_remove_path, "C:\\", -9998, "refuses to remove the root directory."},
        {ut_remove_path, "/tmp/..", -9998, "refuses to remove the root directory."},
        {ut_remove_path, "", -9998, "Cannot cannot remove \"\" path."},
        {ut_remove_path, nullptr, -9998, "path argument is NULL"},
        {ut_remove_path, none.c_str(), 2, "The specified file (" + none + ") does not exist."},
        {ut_remove_path, nodir.c_str(), 3, "(" + nodir + ") does not exist."},
        {ut_empty_dir, "/", -9998, "ut_empty_dir (\"/\") refuses to empty the root directory."},
        {ut_empty_dir, nullptr, -9998, "Cannot cannot empty the NULL directory."},
        {ut_empty_dir, "", -9998, "Cannot cannot empty the \"\" directory."},
        {ut_empty_dir, none.c_str(), -9998, "Cannot get a list of contents.  Cannot empty \"" + none + "\"."},
        {ut_remove_temp_path, "/", -9998, "ut_remove_temp_path (\"/\") refuses to remove the temp directory."},
        {ut_remove_temp_path, "", -9998, "Cannot cannot remove \"\" path."},
    };
    for (const auto &c : cases) {
        trace_.clear();
        EXPECT_EQ(c.remove(c.path), c.code) << (c.path ? c.path : "null");
        EXPECT_THAT(errors(), ::testing::ElementsAre(HasSubstr(c.error)));
    }
}

// A handler that records what it is told and answers as configured.
struct RecordingHandler : orv::FileHandler {
    explicit RecordingHandler(bool go_on) : proceed(go_on) {}
    void willProcessPath(orv::FileManager &, const char *path) override { told.push_back(path); }
    bool shouldProceedAfterError(orv::FileManager &, const ORVDictionary *) override { return ++asked, proceed; }
    bool proceed;
    std::vector<std::string> told;
    int asked = 0;
};

// The first entry a walk of dir meets.
std::string first_entry(const std::string &dir) {
    ut_native_dir *listing = ut_native_opendir(dir.c_str());
    const std::string first = dir + "/" + ut_native_readdir(listing);
    ut_native_closedir(listing);
    return first;
}

TEST_F(DirOpsTest, HandlerDecidesWhetherToGoOnAfterAFailure) {
    for (const bool proceed : {false, true}) {
        // The file that stays is the first met in the first directory met,
        // so that going on has other files and directories left to remove.
        TempDir scratch;
        for (int k = 0; k < 8; ++k) scratch.write("t/d" + std::to_string(k % 4) + "/f" + std::to_string(k), "1");
        const std::string stuck = first_entry(first_entry(scratch / "t"));
        orvtest::FailingCalls failing("", stuck);
        RecordingHandler handler(proceed);
        // Going on, the last failure is the directory that could not be
        // emptied; stopping, it is the file itself.
        EXPECT_EQ(orv::files::remove_path_with_handler((scratch / "t").c_str(), &handler),
                  proceed ? ENOTEMPTY : EPERM);
        EXPECT_EQ(handler.asked, 2);  // the file, then its directory
        EXPECT_THAT(handler.told, ::testing::Contains(stuck));
        EXPECT_EQ(ut_file_count_for_dir((scratch / "t").c_str(), 1), proceed ? 1 : 4);
        EXPECT_EQ(ut_file_count_for_dir(ut_delete_last_path_component(stuck.c_str()), 1), proceed ? 1 : 2);
    }
    // Without a handler the first failure stops the removal.
    TempDir scratch;
    orvtest::FailingCalls failing("", scratch.write("t/stuck", "1"));
    EXPECT_EQ(ut_remove_path((scratch / "t").c_str()), EPERM);
    EXPECT_THAT(last_error(), HasSubstr("Failed to remove the directory " + (scratch / "t")));
}

TEST_F(DirOpsTest, EmptyDirKeepsDirectoryAndTriesEveryEntry) {
    dir_.write("d/a", "1");
    dir_.write("d/b/c", "2");
    dir_.write("d/.dot", "3");
    {
        orvtest::FailingCalls failing("", dir_ / "d/a");
        EXPECT_EQ(ut_empty_dir((dir_ / "d").c_str()), -1);
    }
    EXPECT_TRUE(exists(dir_ / "d/a"));
    EXPECT_FALSE(exists(dir_ / "d/b"));
    EXPECT_FALSE(exists(dir_ / "d/.dot"));
    EXPECT_THAT(last_error(), HasSubstr("Failed to remove \"" + (dir_ / "d/a") + "\".  Cannot empty \"" +
                                        (dir_ / "d") + "\".  Operation not permitted."));
    EXPECT_EQ(ut_empty_dir((dir_ / "d").c_str()), 0);
    EXPECT_EQ(ut_file_count_for_dir((dir_ / "d").c_str(), 1), 0);
}

struct dirent *failing_readdir(DIR *) {
    errno = EIO;
    return nullptr;
}

TEST_F(DirOpsTest, AFailedDirectoryReadIsReportedByEveryWalk) {
    dir_.write("t/a", "1");
    orv::files::SysCalls calls = orv::files::real_sys();
    calls.readdir = failing_readdir;
    orv::files::ScopedSysCalls seam(calls);
    unsigned char empty = 0;
    const std::string t = dir_ / "t";
    const struct {
        const char *walk;
        int status, expected;
    } cases[] = {
        {"remove", ut_remove_path_ex(t.c_str()), EIO},
        {"empty", ut_empty_dir(t.c_str()), -9998},
        {"copy", ut_dir_copy(t.c_str(), (dir_ / "c").c_str()), -1},
        {"count", ut_file_count_for_dir(t.c_str(), 1), -1},
        {"writeable", ut_dir_set_writeable(t.c_str()), -1},
        {"is empty", ut_dir_is_empty(t.c_str(), &empty), -1},
    };
    for (const auto &c : cases) EXPECT_EQ(c.status, c.expected) << c.walk;
    EXPECT_TRUE(exists(dir_ / "t/a"));
}

// ---- Temporary directories and creation -----------------------------------------------

TEST_F(DirOpsTest, TempDirsAreUniqueBelowTheTemporaryDirectory) {
    ScopedEnv temp("ORV_TEMP_PATH", dir_ / "tmp");
    char first[256], second[256];
    std::memset(first, 'x', sizeof first);  // the name must come with its own terminator
    std::memset(second, 'x', sizeof second);
    ASSERT_EQ(ut_make_temp_dir(first, "job"), 0);
    ASSERT_EQ(ut_make_temp_dir(second, "job"), 0);
    EXPECT_STRNE(first, second);
    for (const char *made : {first, second}) {
        EXPECT_EQ(std::string(made).rfind(dir_ / "tmp/job/", 0), 0u) << made;
        EXPECT_EQ(ut_does_dir_exist(made), 1);
    }
    EXPECT_EQ(ut_remove_temp_path((std::string("job/") + ut_last_path_component(first)).c_str()), 0);
    EXPECT_FALSE(exists(first));
    EXPECT_TRUE(exists(second));
    EXPECT_EQ(ut_make_temp_dir(nullptr, "job"), -1);
    EXPECT_THAT(last_error(), HasSubstr("The newTmpDirName is not specified!"));
    orvtest::TempDir no_map;  // no temporary directory can be found
    orv_ut_testing_use_bundle(no_map.path().c_str());
    EXPECT_EQ(ut_make_temp_dir(first, "job"), -1);
    EXPECT_EQ(ut_remove_temp_path("job"), -1);
    orv_ut_testing_use_bundle("");
    EXPECT_THAT(last_error(), HasSubstr("Failed to allocate NSString for filename"));
    // A name of 255 characters is made, one of 256 refused. Unique names
    // made from fixed facts differ only in their count, which must keep its
    // number of digits over the next two names.
    const orv::files::UniqueSources fixed{[] { return std::string("h"); }, [] { return pid_t{1}; },
                                          [] { return timespec{1, 0}; },
                                          [](unsigned char *b, size_t n) { return std::fill(b, b + n, 0), true; }};
    orv::files::ScopedUniqueSources same(fixed);
    auto digits = [](unsigned long n) { return std::to_string(n).size(); };
    unsigned long count = 0;
    do {
        ASSERT_EQ(ut_make_temp_dir(first, ""), 0);
        count = std::stoul(std::string(first).substr(std::string(first).rfind("/h_1_") + 5));
    } while (digits(count) != digits(count + 2));
    const std::size_t room = 255 - std::strlen(first) - 1;
    EXPECT_EQ(ut_make_temp_dir(second, std::string(room, 's').c_str()), 0);
    EXPECT_EQ(std::strlen(second), 255u);
    EXPECT_EQ(ut_make_temp_dir(second, std::string(room + 1, 's').c_str()), -1);
    EXPECT_THAT(last_error(), HasSubstr("Failed to convert directory name \""));
}

// Each creating function, answering true for success.
const std::pair<const char *, std::function<bool(const char *)>> kCreators[] = {
    {"ut_force_dir", [](const char *p) { return ut_force_dir(p) == 0; }},
    {"ut_force_dir_with_perm", [](const char *p) { return ut_force_dir_with_perm(p, 0700) == 0; }},
    {"ut_force_dir_with_native", [](const char *p) { return ut_force_dir_with_native(p) == 0; }},
    {"ut_create_directory_with_native", [](const char *p) { return ut_create_directory_with_native(p) != 0; }},
    {"ut_create_directory_with_native_with_option",
     [](const char *p) { return ut_create_directory_with_native_with_option(p, 0) != 0; }},
    {"ut_ensure_directory_at_path", [](const char *p) { return ut_ensure_directory_at_path(p, nullptr) != 0; }},
};

TEST_F(DirOpsTest, CreationMakesDeepTreesWithTheirPermissions) {
    for (const auto &[name, create] : kCreators) {
        SCOPED_TRACE(name);
        // 60 levels, written with doubled and trailing separators and "."
        // components that standardizing removes.
        std::string path = dir_ / name, clean = dir_ / name;
        for (int i = 0; i < 60; ++i) path += i % 20 == 0 ? "//./d" : "/d";
        for (int i = 0; i < 60; ++i) clean += "/d";
        ASSERT_TRUE(create((path + "/").c_str()));
        EXPECT_EQ(ut_does_dir_exist(clean.c_str()), 1);
        // Existing levels are fine for every creator but the one told not to.
        EXPECT_EQ(std::string(name) != "ut_create_directory_with_native_with_option", create(clean.c_str()));
    }
    EXPECT_THAT(last_error(), HasSubstr("already exist."));
    ASSERT_EQ(0, ut_force_dir_with_perm((dir_ / "perm/a/b").c_str(), 0750));
    for (const char *level : {"perm", "perm/a", "perm/a/b"}) EXPECT_EQ(mode_of(dir_ / level), 0750u) << level;
    const std::string file = dir_.write("f", "x");
    EXPECT_EQ(ut_force_dir(file.c_str()), -1);
    EXPECT_THAT(last_error(), HasSubstr("Failed to create directory \"" + file + "\"."));
    EXPECT_EQ(ut_force_dir(""), -9998);
    EXPECT_THAT(last_error(), HasSubstr("Cannot create directory with name: \"\""));
    EXPECT_EQ(ut_force_dir_with_native(nullptr), -9998);
    EXPECT_THAT(last_error(), HasSubstr("Cannot create directory with name: NULL"));
}

// Each level of a parent-first recursion must not copy the whole path again:
// a 100,000-byte path of 50,000 components below a regular file is refused at
// once, as are names and paths longer than the system holds.
TEST_F(DirOpsTest, PathsTheSystemCannotHoldAreRefusedAtOnce) {
    const std::string file = dir_.write("file", "x");
    std::string below_file = file, too_long = dir_.path();
    for (int i = 0; i < 50000; ++i) below_file += "/a";
    while (too_long.size() < PATH_MAX) too_long += "/abcdefgh";
    const std::string long_component = dir_ / std::string(NAME_MAX + 1, 'n') + "/x";
    for (const auto &[name, create] : kCreators) {
        for (const std::string &path : {below_file, long_component, too_long}) {
            SCOPED_TRACE(std::string(name) + " " + path.substr(0, 60));
            EXPECT_FALSE(create(path.c_str()));
        }
    }
    EXPECT_FALSE(exists(dir_ / "abcdefgh"));
    // A path below a file whose length the system accepts fails on the file.
    EXPECT_EQ(-1, ut_force_dir_with_native((file + "/a/b").c_str()));
    EXPECT_THAT(last_error(), HasSubstr("Failed to create directory \"" + file + "/a/b\"."));
}

// ---- Tree copy ------------------------------------------------------------------------

std::vector<std::string> Copied;
void record_copy(const char *name) { Copied.push_back(name); }

TEST_F(DirOpsTest, TreeCopyKeepsContentsEmptyDirectoriesModesAndLinks) {
    TempDir outside;
    const std::string longest(255, 'n');
    const std::size_t lengths[] = {255, 256, 257, 511, 512, 1000};
    dir_.write("src/a.txt", "alpha");
    dir_.write("src/" + longest, "");
    dir_.write("src/sub/b.bin", std::string("\0\1\2binary", 9));
    dir_.write("src/sub/deeper/c", std::string(200000, 'c'));
    ASSERT_EQ(::mkdir((dir_ / "src/empty").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((dir_ / "long").c_str(), 0755), 0);
    ASSERT_EQ(::chmod((dir_ / "src/a.txt").c_str(), 0640), 0);
    ASSERT_EQ(::symlink("sub/b.bin", (dir_ / "src/rel").c_str()), 0);
    ASSERT_EQ(::symlink((outside / "big").c_str(), (dir_ / "src/out").c_str()), 0);
    for (const std::size_t length : lengths)
        ASSERT_EQ(::symlink(std::string(length, 't').c_str(), (dir_ / "long/l" + std::to_string(length)).c_str()), 0);

    Copied.clear();
    EXPECT_EQ(ut_dir_copy_with_callback((dir_ / "src").c_str(), (dir_ / "dst").c_str(), record_copy), 0);
    EXPECT_EQ(read_file(dir_ / "dst/a.txt"), "alpha");
    EXPECT_EQ(mode_of(dir_ / "dst/a.txt"), 0640u);
    EXPECT_EQ(read_file(dir_ / "dst/sub/b.bin"), std::string("\0\1\2binary", 9));
    EXPECT_EQ(read_file(dir_ / "dst/sub/deeper/c"), std::string(200000, 'c'));
    EXPECT_EQ(ut_does_dir_exist((dir_ / "dst/empty").c_str()), 1);
    EXPECT_EQ(link_target(dir_ / "dst/rel"), "sub/b.bin");
    EXPECT_EQ(link_target(dir_ / "dst/out"), outside / "big");
    EXPECT_EQ(std::set<std::string>(Copied.begin(), Copied.end()),
              (std::set<std::string>{"a.txt", "b.bin", "c", "rel", "out", longest}));
    // Link targets of any length come over whole; the callback was only for the one copy.
    Copied.clear();
    EXPECT_EQ(ut_dir_copy((dir_ / "long").c_str(), (dir_ / "long-copy").c_str()), 0);
    for (const std::size_t length : lengths)
        EXPECT_EQ(link_target(dir_ / "long-copy/l" + std::to_string(length)), std::string(length, 't'));
    EXPECT_TRUE(Copied.empty());
    // A file already in the destination tree is neither replaced nor changed.
    dir_.write("dst/sub/deeper/c", "changed");
    EXPECT_EQ(ut_dir_copy_with_callback((dir_ / "src/sub/deeper").c_str(), (dir_ / "dst/sub/deeper").c_str(), record_copy), -1);
    EXPECT_TRUE(Copied.empty());
    EXPECT_EQ(read_file(dir_ / "dst/sub/deeper/c"), "changed");
    EXPECT_THAT(last_error(), HasSubstr("; reason (17): File exists"));
}

TEST_F(DirOpsTest, TreeCopyRefusesBadSourcesAndFileDestination) {
    const std::string file = dir_.write("f", "x");
    dir_.write("src/x", "");
    EXPECT_EQ(ut_dir_copy("", "d"), -1);
    EXPECT_EQ(ut_dir_copy(dir_.path().c_str(), nullptr), -1);
    EXPECT_EQ(ut_dir_copy((dir_ / "none").c_str(), "d"), -1);
    EXPECT_EQ(ut_dir_copy(file.c_str(), "d"), -1);
    EXPECT_EQ(ut_dir_copy((dir_ / "src").c_str(), file.c_str()), -1);
    EXPECT_THAT(errors(), ::testing::ElementsAre(
                              HasSubstr("The source directory is not specified."),
                              HasSubstr("The destination directory is not specified."),
                              HasSubstr("The source directory '" + (dir_ / "none") + "' does not exist."),
                              HasSubstr("The source directory path '" + file + "' does not specify a directory."),
                              HasSubstr("The destination directory path '" + file + "' specifies an existing file.")));
}

// ---- Listing, counting, read-only, holding data -------------------------------------------

TEST_F(DirOpsTest, ListingHandleReadsToTheEndAndListsSorted) {
    const std::string longest = "." + std::string(254, 'n');  // hidden, and as long as a name can be
    for (const std::string &name : {std::string("b"), std::string("a"), std::string("C/x"), longest})
        dir_.write("l/" + name, "");
    ut_native_dir *handle = ut_native_opendir((dir_ / "l").c_str());
    ASSERT_NE(handle, nullptr);
    std::set<std::string> read;
    while (const char *name = ut_native_readdir(handle)) read.insert(name);
    EXPECT_EQ(read, (std::set<std::string>{"C", "a", "b", longest}));
    ORVArray *names = nullptr;
    int count = -1;
    ASSERT_EQ(ut_native_list_entries(handle, &names, &count), 0);
    EXPECT_EQ(count, 4);
    std::string listed;
    for (const char *p = orv_object_description(reinterpret_cast<ORVObject *>(names)); *p; ++p)
        if (*p != ' ' && *p != '\n') listed += *p;
    EXPECT_EQ(listed, "(" + longest + ",C,a,b)");
    orv_object_release(reinterpret_cast<ORVObject *>(names));
    EXPECT_EQ(ut_native_list_entries(handle, nullptr, &count), -1);
    EXPECT_EQ(ut_native_closedir(handle), 0);
    EXPECT_EQ(ut_native_readdir(nullptr), nullptr);
    EXPECT_EQ(ut_native_list_entries(nullptr, &names, &count), -1);
    EXPECT_EQ(ut_native_closedir(nullptr), -1);
    EXPECT_EQ(ut_native_opendir((dir_ / "none").c_str()), nullptr);
    EXPECT_THAT(errors(), ::testing::ElementsAre(HasSubstr("Invalid out-parameter passed to ut_native_list_entries()!"),
                                                 HasSubstr("Directory handle is NULL.  Cannot read."),
                                                 HasSubstr("Directory handle is NULL. Cannot list entries."),
                                                 HasSubstr("Directory handle is NULL.  Cannot close."),
                                                 HasSubstr("Error opening directory: " + (dir_ / "none") + ".")));
}

TEST_F(DirOpsTest, CountingSetWriteableAndHoldingData) {
    ASSERT_EQ(::mkdir((dir_ / "empty").c_str(), 0755), 0);
    const std::string f1 = dir_.write("c/f1", ""), f2 = dir_.write("c/sub/.f2", "");
    const std::pair<std::string, int> counts[] = {{"empty", 0}, {"none", -1}, {"c", 1}, {"c/sub", 1}};
    for (const auto &[path, files] : counts) {
        EXPECT_EQ(ut_file_count_for_dir((dir_ / path).c_str(), 0), files) << path;
        EXPECT_EQ(ut_file_count_for_dir((dir_ / path).c_str(), 1), files + (path == "c")) << path;
    }
    // Read-only files become writeable; what a link points at is left alone.
    TempDir outside;
    const std::string target = outside.write("target", "x");
    ASSERT_EQ(::symlink(target.c_str(), (dir_ / "c/link").c_str()), 0);
    ASSERT_EQ(::chmod(f1.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(f2.c_str(), 0400), 0);
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    EXPECT_EQ(ut_dir_set_writeable((dir_ / "c").c_str()), 0);
    EXPECT_EQ(mode_of(f1), 0644u);
    EXPECT_EQ(mode_of(f2), 0600u);
    EXPECT_EQ(mode_of(target), 0444u);
    EXPECT_EQ(ut_dir_set_writeable((dir_ / "none").c_str()), -1);
    EXPECT_THAT(last_error(), HasSubstr("File/directory '" + (dir_ / "none") + "' does not exists.  Cannot set file"));
    // A tree of empty files, directories and links (not followed) holds no
    // data; one byte is data, wherever the links come in the walk.
    for (int k = 0; k < 8; ++k) ::symlink(target.c_str(), (dir_ / "c/sub/link" + std::to_string(k)).c_str());
    unsigned char empty = 0;
    EXPECT_EQ(ut_dir_is_empty((dir_ / "c").c_str(), &empty), 0);
    EXPECT_EQ(empty, 1);
    int zero_warnings = 0;
    for (const std::string &w : warnings()) zero_warnings += w.find("ZERO length file: ") != std::string::npos;
    EXPECT_EQ(zero_warnings, 2);
    dir_.write("c/sub/data", "1");
    EXPECT_EQ(ut_dir_is_empty((dir_ / "c").c_str(), &empty), 0);
    EXPECT_EQ(empty, 0);
    EXPECT_EQ(ut_dir_is_empty((dir_ / "none").c_str(), &empty), -1);
    EXPECT_THAT(last_error(), HasSubstr("File/directory '" + (dir_ / "none") + "' does not exists."));
}

}  // namespace

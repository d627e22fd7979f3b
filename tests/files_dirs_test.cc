// Directory operations: tree removal (never through a link out of the tree),
// the handler protocol, emptying, temporary directories, tree copy fidelity,
// listing, counting and the read-only and "holds data" walks.
#include "files/sys_seam.h"
#include "files/utdir_internal.h"
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <set>
#include <string>
#include <vector>

using ::testing::HasSubstr;
using orvtest::read_file;
using orvtest::ScopedEnv;
using orvtest::TempDir;

namespace {

bool exists(const std::string &path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

std::string link_target(const std::string &path) {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    return n < 0 ? std::string("<not a link>") : std::string(buf, static_cast<size_t>(n));
}

mode_t mode_of(const std::string &path) {
    struct stat st{};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

class DirOpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        trace_.start();
        tr_ignore_warnings_below_level_quietly(tr_LOW);
        pool_ = orvstd_create_autorel_pool();
    }
    void TearDown() override {
        orvstd_destroy_autorel_pool(pool_);
        trace_.stop();
    }
    std::vector<std::string> errors() const { return trace_.of_kind(tr_KIND_ERROR); }

    TempDir dir_;
    orvtest::TraceCapture trace_;
    ORVAutoreleasePool *pool_ = nullptr;
};

// ---- Removal ---------------------------------------------------------------------

using RemoveTest = DirOpsTest;

TEST_F(RemoveTest, LinksOutOfTheTreeAreRemovedNotFollowed) {
    TempDir outside;
    outside.write("precious/data.txt", "keep me");
    const std::string tree = dir_ / "tree";
    dir_.write("tree/sub/.hidden", "dot file");
    dir_.write("tree/file.txt", "x");
    ASSERT_EQ(::symlink((outside / "precious").c_str(), (tree + "/dirlink").c_str()), 0);
    ASSERT_EQ(::symlink((outside / "precious/data.txt").c_str(), (tree + "/sub/filelink").c_str()), 0);
    EXPECT_EQ(ut_remove_path(tree.c_str()), 0);
    EXPECT_FALSE(exists(tree));
    EXPECT_EQ(read_file(outside / "precious/data.txt"), "keep me");
    // A link given as the path itself is removed as a link too.
    ASSERT_EQ(::symlink((outside / "precious").c_str(), (dir_ / "top").c_str()), 0);
    EXPECT_EQ(ut_remove_path((dir_ / "top").c_str()), 0);
    EXPECT_EQ(read_file(outside / "precious/data.txt"), "keep me");
}

TEST_F(RemoveTest, RootEmptyAndMissingPathsAreRefusedWithTheirCodes) {
    const std::string none = dir_ / "none", nodir = dir_ / "nodir/none";
    const struct {
        const char *path;
        int code;
        std::string error;
    } cases[] = {
        {"/", -9998, "ut_remove_path_ex_with_handler (\"/\") refuses to remove the root directory."},
        {"C:\\", -9998, "refuses to remove the root directory."},
        {"", -9998, "Cannot cannot remove \"\" path."},
        {nullptr, -9998, "path argument is NULL"},
        {"/tmp/..", -9998, "refuses to remove the root directory."},
        {none.c_str(), 2, "The specified file (" + none + ") does not exist."},
        {nodir.c_str(), 3, ""},
    };
    for (const auto &c : cases) {
        trace_.clear();
        EXPECT_EQ(ut_remove_path(c.path), c.code) << (c.path ? c.path : "null");
        ASSERT_EQ(errors().size(), 1u);
        EXPECT_THAT(errors()[0], HasSubstr(c.error));
    }
}

TEST_F(RemoveTest, ReadOnlyFilesAndDirectoriesInsideAreRemoved) {
    const std::string tree = dir_ / "ro";
    const std::string f = dir_.write("ro/locked/file", "x");
    ASSERT_EQ(::chmod(f.c_str(), 0444), 0);
    for (const std::string &d : {tree, tree + "/locked"}) ASSERT_EQ(::chmod(d.c_str(), 0555), 0);
    errno = EACCES;  // an error number left from earlier is no failure of this removal
    EXPECT_EQ(ut_remove_path_ex(tree.c_str()), 0);
    EXPECT_FALSE(exists(tree));
}

// A handler that records what it is told and answers as configured.
class RecordingHandler : public orv::FileHandler {
public:
    explicit RecordingHandler(bool proceed) : proceed_(proceed) {}
    void willProcessPath(orv::FileManager &, const char *path) override { told.push_back(path); }
    bool shouldProceedAfterError(orv::FileManager &, const ORVDictionary *) override {
        ++asked;
        return proceed_;
    }
    std::vector<std::string> told;
    int asked = 0;

private:
    bool proceed_;
};

std::string Undeletable;
int refusing_unlink(const char *path) {
    if (Undeletable == path) {
        errno = EPERM;
        return -1;
    }
    return orv::files::real_sys().unlink(path);
}

TEST_F(RemoveTest, HandlerDecidesWhetherToGoOnAfterAFailure) {
    orv::files::SysCalls calls = orv::files::real_sys();
    calls.unlink = refusing_unlink;
    orv::files::ScopedSysCalls seam(calls);
    for (const bool proceed : {false, true}) {
        TempDir scratch;
        scratch.write("t/a/stuck", "1");
        scratch.write("t/b/free", "2");
        Undeletable = scratch / "t/a/stuck";
        RecordingHandler handler(proceed);
        // Going on, the last failure is the directory that could not be
        // emptied; stopping, it is the file itself.
        EXPECT_EQ(orv::files::remove_path_with_handler((scratch / "t").c_str(), &handler),
                  proceed ? ENOTEMPTY : EPERM);
        EXPECT_EQ(handler.asked, 2);  // the file, then its directory
        EXPECT_TRUE(exists(Undeletable));
        // Entry order is the directory's; only a handler that goes on is sure
        // to reach the other subdirectory.
        if (proceed) {
            EXPECT_FALSE(exists(scratch / "t/b"));
        }
        EXPECT_NE(std::find(handler.told.begin(), handler.told.end(), Undeletable), handler.told.end());
    }
    // Without a handler the first failure stops the removal.
    TempDir scratch;
    Undeletable = scratch.write("t/stuck", "1");
    EXPECT_EQ(ut_remove_path((scratch / "t").c_str()), EPERM);
    EXPECT_THAT(errors().back(), HasSubstr("Failed to remove the directory " + (scratch / "t")));
}

TEST_F(RemoveTest, EmptyDirKeepsDirectoryAndTriesEveryEntry) {
    dir_.write("d/a", "1");
    dir_.write("d/b/c", "2");
    dir_.write("d/.dot", "3");
    Undeletable = dir_ / "d/a";
    orv::files::SysCalls calls = orv::files::real_sys();
    calls.unlink = refusing_unlink;
    {
        orv::files::ScopedSysCalls seam(calls);
        EXPECT_EQ(ut_empty_dir((dir_ / "d").c_str()), -1);
    }
    EXPECT_TRUE(exists(dir_ / "d/a"));
    EXPECT_FALSE(exists(dir_ / "d/b"));
    EXPECT_FALSE(exists(dir_ / "d/.dot"));
    EXPECT_THAT(errors().back(), HasSubstr("Failed to remove \"" + (dir_ / "d/a") + "\".  Cannot empty \"" +
                                           (dir_ / "d") + "\".  Operation not permitted."));
    EXPECT_EQ(ut_empty_dir((dir_ / "d").c_str()), 0);
    EXPECT_EQ(ut_file_count_for_dir((dir_ / "d").c_str(), 1), 0);
    EXPECT_EQ(ut_empty_dir("/"), -9998);
    EXPECT_EQ(ut_empty_dir(nullptr), -9998);
    EXPECT_THAT(errors().back(), HasSubstr("Cannot cannot empty the NULL directory."));
}

struct dirent *failing_readdir(DIR *) {
    errno = EIO;
    return nullptr;
}

TEST_F(RemoveTest, AFailedDirectoryReadIsReportedByEveryWalk) {
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
    const std::string relative = std::string("job/") + ut_last_path_component(first);
    EXPECT_EQ(ut_remove_temp_path(relative.c_str()), 0);
    EXPECT_FALSE(exists(first));
    EXPECT_TRUE(exists(second));
    EXPECT_EQ(ut_remove_temp_path("/"), -9998);
    EXPECT_THAT(errors().back(), HasSubstr("ut_remove_temp_path (\"/\") refuses to remove the temp directory."));
    EXPECT_EQ(ut_make_temp_dir(nullptr, "job"), -1);
    EXPECT_THAT(errors().back(), HasSubstr("The newTmpDirName is not specified!"));
    // A name longer than 255 characters is refused.
    ScopedEnv deep("ORV_TEMP_PATH", dir_ / std::string(250, 'd'));
    EXPECT_EQ(ut_make_temp_dir(first, "job"), -1);
    EXPECT_THAT(errors().back(), HasSubstr("Failed to convert directory name \""));
}

TEST_F(DirOpsTest, ForcedCreationMakesParentsAndRefusesFiles) {
    const std::string deep = dir_ / "a/b/c";
    EXPECT_EQ(ut_force_dir(deep.c_str()), 0);
    EXPECT_EQ(ut_force_dir(deep.c_str()), 0);  // existing is fine
    EXPECT_EQ(ut_force_dir_with_perm((dir_ / "p/q").c_str(), 0700), 0);
    EXPECT_EQ(mode_of(dir_ / "p/q"), 0700u);
    EXPECT_EQ(mode_of(dir_ / "p"), 0700u);
    const std::string file = dir_.write("f", "x");
    EXPECT_EQ(ut_force_dir(file.c_str()), -1);
    EXPECT_THAT(errors().back(), HasSubstr("Failed to create directory \"" + file + "\"."));
    EXPECT_EQ(ut_force_dir_with_native((dir_ / "n1/n2").c_str()), 0);
    EXPECT_EQ(ut_create_directory_with_native_with_option((dir_ / "n1").c_str(), 0), 0);
    EXPECT_THAT(errors().back(), HasSubstr("Directory at path " + (dir_ / "n1") + " already exist."));
    EXPECT_EQ(ut_force_dir(""), -9998);
    EXPECT_THAT(errors().back(), HasSubstr("Cannot create directory with name: \"\""));
}

// ---- Tree copy ------------------------------------------------------------------------

std::vector<std::string> *Copied = nullptr;
void record_copy(const char *name) { Copied->push_back(name); }

TEST_F(DirOpsTest, TreeCopyKeepsContentsEmptyDirectoriesModesAndLinks) {
    TempDir outside;
    outside.write("big/secret", "outside data");
    dir_.write("src/a.txt", "alpha");
    const std::string longest(255, 'n');
    dir_.write("src/" + longest, "");
    dir_.write("src/sub/b.bin", std::string("\0\1\2binary", 9));
    dir_.write("src/sub/deeper/c", std::string(200000, 'c'));
    ASSERT_EQ(::mkdir((dir_ / "src/empty").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((dir_ / "long").c_str(), 0755), 0);
    ASSERT_EQ(::chmod((dir_ / "src/a.txt").c_str(), 0640), 0);
    ASSERT_EQ(::symlink("sub/b.bin", (dir_ / "src/rel").c_str()), 0);
    ASSERT_EQ(::symlink((outside / "big").c_str(), (dir_ / "src/out").c_str()), 0);
    const std::size_t lengths[] = {255, 256, 257, 511, 512, 1000};
    for (const std::size_t length : lengths)
        ASSERT_EQ(::symlink(std::string(length, 't').c_str(), (dir_ / "long/l" + std::to_string(length)).c_str()), 0);

    std::vector<std::string> names;
    Copied = &names;
    EXPECT_EQ(ut_dir_copy_with_callback((dir_ / "src").c_str(), (dir_ / "dst").c_str(), record_copy), 0);
    EXPECT_EQ(read_file(dir_ / "dst/a.txt"), "alpha");
    EXPECT_EQ(mode_of(dir_ / "dst/a.txt"), 0640u);
    EXPECT_EQ(read_file(dir_ / "dst/sub/b.bin"), std::string("\0\1\2binary", 9));
    EXPECT_EQ(read_file(dir_ / "dst/sub/deeper/c"), std::string(200000, 'c'));
    EXPECT_EQ(ut_does_dir_exist((dir_ / "dst/empty").c_str()), 1);
    EXPECT_EQ(link_target(dir_ / "dst/rel"), "sub/b.bin");
    EXPECT_EQ(link_target(dir_ / "dst/out"), outside / "big");
    // Link targets of any length come over whole.
    EXPECT_EQ(ut_dir_copy((dir_ / "long").c_str(), (dir_ / "long-copy").c_str()), 0);
    for (const std::size_t length : lengths)
        EXPECT_EQ(link_target(dir_ / "long-copy/l" + std::to_string(length)), std::string(length, 't'));
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()),
              (std::set<std::string>{"a.txt", "b.bin", "c", "rel", "out", longest}));

    // Copying again into the same tree collides with the first file copied.
    names.clear();
    EXPECT_EQ(ut_dir_copy_with_callback((dir_ / "src").c_str(), (dir_ / "dst").c_str(), record_copy), -1);
    EXPECT_TRUE(names.empty());
    EXPECT_THAT(errors().back(), HasSubstr("; reason (17): File exists"));
    Copied = nullptr;
}

TEST_F(DirOpsTest, TreeCopyRefusesBadSourcesAndFileDestination) {
    const std::string file = dir_.write("f", "x");
    EXPECT_EQ(ut_dir_copy("", "d"), -1);
    EXPECT_EQ(ut_dir_copy(dir_.path().c_str(), nullptr), -1);
    EXPECT_EQ(ut_dir_copy((dir_ / "none").c_str(), "d"), -1);
    EXPECT_EQ(ut_dir_copy(file.c_str(), "d"), -1);
    dir_.write("src/x", "");
    EXPECT_EQ(ut_dir_copy((dir_ / "src").c_str(), file.c_str()), -1);
    const std::vector<std::string> e = errors();
    ASSERT_EQ(e.size(), 5u);
    EXPECT_THAT(e[0], HasSubstr("The source directory is not specified."));
    EXPECT_THAT(e[1], HasSubstr("The destination directory is not specified."));
    EXPECT_THAT(e[2], HasSubstr("The source directory '" + (dir_ / "none") + "' does not exist."));
    EXPECT_THAT(e[3], HasSubstr("The source directory path '" + file + "' does not specify a directory."));
    EXPECT_THAT(e[4], HasSubstr("The destination directory path '" + file + "' specifies an existing file."));
}

// ---- Listing, counting, read-only, holding data -------------------------------------------

TEST_F(DirOpsTest, ListingHandleReadsToTheEndAndListsSorted) {
    dir_.write("l/b", "");
    dir_.write("l/a", "");
    dir_.write("l/C/x", "");
    const std::string longest(255, 'n');  // names of the longest length come back whole
    dir_.write("l/" + longest, "");
    ut_native_dir *handle = ut_native_opendir((dir_ / "l").c_str());
    ASSERT_NE(handle, nullptr);
    std::set<std::string> read;
    while (const char *name = ut_native_readdir(handle)) read.insert(name);
    EXPECT_EQ(read, (std::set<std::string>{"C", "a", "b", longest}));
    EXPECT_EQ(ut_native_readdir(handle), nullptr);
    ORVArray *names = nullptr;
    int count = -1;
    ASSERT_EQ(ut_native_list_entries(handle, &names, &count), 0);
    ASSERT_EQ(count, 4);
    std::string listed;
    for (const char *p = orv_object_description(reinterpret_cast<ORVObject *>(names)); *p; ++p)
        if (*p != ' ' && *p != '\n') listed += *p;
    EXPECT_EQ(listed, "(C,a,b," + longest + ")");
    orv_object_release(reinterpret_cast<ORVObject *>(names));
    EXPECT_EQ(ut_native_closedir(handle), 0);
    EXPECT_EQ(ut_native_closedir(nullptr), -1);
    EXPECT_EQ(ut_native_opendir((dir_ / "none").c_str()), nullptr);
    EXPECT_THAT(errors().back(), HasSubstr("Error opening directory: " + (dir_ / "none") + "."));
}

TEST_F(DirOpsTest, CountingWithAndWithoutDirectories) {
    ASSERT_EQ(::mkdir((dir_ / "empty").c_str(), 0755), 0);
    EXPECT_EQ(ut_file_count_for_dir((dir_ / "empty").c_str(), 1), 0);
    EXPECT_EQ(ut_file_count_for_dir((dir_ / "none").c_str(), 1), -1);
    dir_.write("c/f1", "");
    dir_.write("c/.f2", "");
    dir_.write("c/sub/f3", "");
    EXPECT_EQ(ut_file_count_for_dir((dir_ / "c").c_str(), 0), 2);
    EXPECT_EQ(ut_file_count_for_dir((dir_ / "c").c_str(), 1), 3);
}

TEST_F(DirOpsTest, SetWriteableClearsReadOnlyFilesButNotLinkTargets) {
    TempDir outside;
    const std::string target = outside.write("target", "x");
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    const std::string f1 = dir_.write("w/f1", "x");
    const std::string f2 = dir_.write("w/sub/f2", "x");
    ASSERT_EQ(::chmod(f1.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(f2.c_str(), 0400), 0);
    ASSERT_EQ(::symlink(target.c_str(), (dir_ / "w/link").c_str()), 0);
    EXPECT_EQ(ut_dir_set_writeable((dir_ / "w").c_str()), 0);
    EXPECT_EQ(mode_of(f1), 0644u);
    EXPECT_EQ(mode_of(f2), 0600u);
    EXPECT_EQ(mode_of(target), 0444u);
    EXPECT_EQ(ut_dir_set_writeable(""), -1);
}

TEST_F(DirOpsTest, TreeOfEmptyFilesAndDirectoriesHoldsNoData) {
    dir_.write("e/zero1", "");
    dir_.write("e/sub/zero2", "");
    ASSERT_EQ(::mkdir((dir_ / "e/sub/none").c_str(), 0755), 0);
    unsigned char empty = 0;
    EXPECT_EQ(ut_dir_is_empty((dir_ / "e").c_str(), &empty), 0);
    EXPECT_EQ(empty, 1);
    int zero_warnings = 0;
    for (const std::string &w : trace_.of_kind(tr_KIND_WARNING))
        if (w.find("ZERO length file: ") != std::string::npos) ++zero_warnings;
    EXPECT_EQ(zero_warnings, 2);
    dir_.write("e/sub/data", "1");
    EXPECT_EQ(ut_dir_is_empty((dir_ / "e").c_str(), &empty), 0);
    EXPECT_EQ(empty, 0);
    EXPECT_EQ(ut_dir_is_empty((dir_ / "none").c_str(), &empty), -1);
    EXPECT_THAT(errors().back(), HasSubstr("File/directory '" + (dir_ / "none") + "' does not exists."));
}

}  // namespace

// File operations: the retrying rename with its backup and recovery, locks
// between processes, reading, existence, sizes and times.
#include "files/sys_seam.h"
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using ::testing::HasSubstr;
using orvtest::read_file;
using orvtest::TempDir;

namespace {

bool exists(const std::string &path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

class FileOpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        trace_.start();
        tr_ignore_warnings_below_level_quietly(tr_LOW);
        ut_set_file_rename_retry(2, 1);
        pool_ = orvstd_create_autorel_pool();
    }
    void TearDown() override {
        orvstd_destroy_autorel_pool(pool_);
        ut_set_file_rename_retry(10, 100);
        trace_.stop();
    }
    std::vector<std::string> errors() const { return trace_.of_kind(tr_KIND_ERROR); }
    std::vector<std::string> warnings() const { return trace_.of_kind(tr_KIND_WARNING); }

    TempDir dir_;
    orvtest::TraceCapture trace_;
    ORVAutoreleasePool *pool_ = nullptr;
};

// ---- Rename -------------------------------------------------------------------

using RenameTest = FileOpsTest;

TEST_F(RenameTest, OntoItselfIsANoOpWithWarning) {
    const std::string a = dir_.write("a.txt", "A");
    EXPECT_EQ(ut_file_rename(a.c_str(), a.c_str()), 0);
    EXPECT_EQ(read_file(a), "A");
    ASSERT_EQ(warnings().size(), 1u);
    EXPECT_THAT(warnings()[0], HasSubstr("Source file and destination file have the same name \"" + a +
                                         "\".  Not bothering to rename."));
}

TEST_F(RenameTest, ReplacesDestinationAndLeavesNoBackup) {
    const std::string src = dir_.write("new.txt", "new");
    const std::string dst = dir_.write("report.txt", "old");
    EXPECT_EQ(ut_file_rename(src.c_str(), dst.c_str()), 0);
    EXPECT_EQ(read_file(dst), "new");
    EXPECT_FALSE(exists(src));
    EXPECT_FALSE(exists(dst + ".utbak"));
    EXPECT_TRUE(errors().empty());
}

TEST_F(RenameTest, StaleBackupFromEarlierRunIsRemovedFirst) {
    const std::string src = dir_.write("new.txt", "new");
    const std::string dst = dir_.write("report.txt", "old");
    dir_.write("report.txt.utbak", "stale");
    EXPECT_EQ(ut_file_rename(src.c_str(), dst.c_str()), 0);
    EXPECT_EQ(read_file(dst), "new");
    EXPECT_FALSE(exists(dst + ".utbak"));
    ASSERT_FALSE(warnings().empty());
    EXPECT_THAT(warnings()[0], HasSubstr("The backup of the destination file \"" + dst +
                                         ".utbak\" already exists.  Trying to delete."));
}

TEST_F(RenameTest, SourceAppearingDuringTheWaitIsStillRenamed) {
    ut_set_file_rename_retry(500, 2);
    const std::string src = dir_ / "late.txt";
    const std::string dst = dir_ / "dst.txt";
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const std::string tmp = dir_.write("late.tmp", "late");
        ::rename(tmp.c_str(), src.c_str());
    });
    const int result = ut_file_rename(src.c_str(), dst.c_str());
    writer.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(read_file(dst), "late");
}

TEST_F(RenameTest, MissingSourceAndEmptyNamesFail) {
    ut_set_file_rename_retry(0, 1);
    const std::string src = dir_ / "missing.txt";
    const std::string dst = dir_.write("dst.txt", "keep");
    EXPECT_EQ(ut_file_rename(src.c_str(), dst.c_str()), -1);
    EXPECT_EQ(read_file(dst), "keep");
    EXPECT_EQ(ut_file_rename("", dst.c_str()), -1);
    EXPECT_EQ(ut_file_rename(src.c_str(), nullptr), -1);
    const std::vector<std::string> e = errors();
    ASSERT_EQ(e.size(), 3u);
    EXPECT_THAT(e[0], HasSubstr("Cannot rename.  Source file \"" + src + "\" does not exist."));
    EXPECT_THAT(e[1], HasSubstr("Cannot atomically rename.  Source filename is \"\"."));
    EXPECT_THAT(e[2], HasSubstr("Cannot atomically rename.  Destination filename is NULL."));
}

TEST_F(RenameTest, NegativeRetryCountAllowsNoAttempt) {
    ut_set_file_rename_retry(-1, 1);
    const std::string src = dir_.write("a.txt", "A");
    const std::string dst = dir_ / "b.txt";
    EXPECT_EQ(ut_file_rename(src.c_str(), dst.c_str()), -1);
    EXPECT_EQ(read_file(src), "A");
    EXPECT_FALSE(exists(dst));
}

// Fails every rename whose source is Fail_from.
std::string Fail_from;
int failing_rename(const char *from, const char *to) {
    if (Fail_from == from) {
        errno = EACCES;
        return -1;
    }
    return orv::files::real_sys().rename(from, to);
}
// Fails every unlink of Fail_unlink.
std::string Fail_unlink;
int failing_unlink(const char *path) {
    if (Fail_unlink == path) {
        errno = EBUSY;
        return -1;
    }
    return orv::files::real_sys().unlink(path);
}

TEST_F(RenameTest, FailureAtAnyStepLeavesBothFilesWhereTheyWere) {
    const std::string src = dir_ / "new.txt", dst = dir_ / "report.txt", backup = dst + ".utbak";
    const struct {
        std::string fail_from, fail_unlink, error;
    } cases[] = {
        // The move itself: the destination comes back from its backup.
        {src, "", "Failed to move \"" + src + "\" to \"" + dst + "\".  Permission denied."},
        // The backup cannot be removed: the new file goes back to its source name, the old one to its place.
        {"", backup, "Failed to remove destination file backup \"" + backup + "\"."},
        // The backup cannot be made: nothing moves.
        {dst, "", "Failed to rename \"" + dst + "\" to \"" + backup + "\".  Permission denied."},
    };
    orv::files::SysCalls calls = orv::files::real_sys();
    calls.rename = failing_rename;
    calls.unlink = failing_unlink;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.error);
        trace_.clear();
        dir_.write("new.txt", "new");
        dir_.write("report.txt", "old");
        Fail_from = c.fail_from;
        Fail_unlink = c.fail_unlink;
        {
            orv::files::ScopedSysCalls seam(calls);
            EXPECT_EQ(ut_file_rename(src.c_str(), dst.c_str()), -1);
        }
        EXPECT_EQ(read_file(src), "new");
        EXPECT_EQ(read_file(dst), "old");
        EXPECT_FALSE(exists(backup));
        ASSERT_FALSE(errors().empty());
        EXPECT_THAT(errors().back(), HasSubstr(c.error));
    }
    Fail_from = Fail_unlink = "";
    // Each of the three attempts at the move was handed to the library's handler.
    trace_.clear();
    Fail_from = src;
    {
        orv::files::ScopedSysCalls seam(calls);
        EXPECT_EQ(ut_file_rename(src.c_str(), dst.c_str()), -1);
    }
    Fail_from = "";
    int handler_warnings = 0;
    for (const std::string &w : warnings()) handler_warnings += w.find("NSFileNamanger failed to rename.") != std::string::npos;
    EXPECT_EQ(handler_warnings, 3);
    EXPECT_EQ(errors().size(), 1u);
}

// ---- Locks ----------------------------------------------------------------------

TEST_F(FileOpsTest, LockHeldByAnotherProcessGivesLockedCode) {
    const std::string path = dir_.write("locked.dat", "0123456789");
    int ready[2], done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int fd = ::open(path.c_str(), O_RDWR);
        const char status = fd >= 0 && ut_file_try_lock(fd) == 0 ? 'y' : 'n';
        (void)!::write(ready[1], &status, 1);
        char c;
        (void)!::read(done[0], &c, 1);
        ::_exit(0);
    }
    char status = 0;
    ASSERT_EQ(::read(ready[0], &status, 1), 1);
    ASSERT_EQ(status, 'y');
    const int fd = ::open(path.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::lseek(fd, 4, SEEK_SET), 4);
    EXPECT_EQ(ut_file_try_lock(fd), -10000);
    EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), 4);  // the position is kept
    (void)!::write(done[1], "x", 1);
    int wstatus = 0;
    ::waitpid(child, &wstatus, 0);
    EXPECT_EQ(ut_file_try_lock(fd), 0);
    EXPECT_EQ(ut_file_unlock(fd), 0);
    EXPECT_EQ(ut_file_unlock(fd), 0);  // unlocking what is not locked is fine
    EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), 4);
    ::close(fd);
    for (int p : {ready[0], ready[1], done[0], done[1]}) ::close(p);
    EXPECT_EQ(ut_file_try_lock(fd), -9999);
    EXPECT_EQ(ut_file_unlock(-1), -9999);
}

// ---- Reading, existence, sizes, times ----------------------------------------------

TEST_F(FileOpsTest, ReadStopsAtBufferSizeAndReportsMissingFile) {
    const std::string path = dir_.write("data.bin", "abcdefgh");
    char buffer[8] = {};
    size_t n = 99;
    EXPECT_EQ(ut_read_file_into_memory(buffer, 5, &n, path.c_str()), 0);
    EXPECT_EQ(n, 5u);
    EXPECT_EQ(std::string(buffer, 5), "abcde");
    EXPECT_EQ(buffer[5], '\0');  // nothing appended
    const std::string missing = dir_ / "none";
    EXPECT_EQ(ut_read_file_into_memory(buffer, 5, &n, missing.c_str()), -1);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(ut_read_file_into_memory(nullptr, 5, &n, path.c_str()), -1);
    ASSERT_EQ(errors().size(), 2u);
    EXPECT_THAT(errors()[0], HasSubstr("The file " + missing + " could not be opened.  Error 2"));
    EXPECT_THAT(errors()[1], HasSubstr("The Buffer Pointer was NULL"));
}

TEST_F(FileOpsTest, ExistenceOfFilesDirectoriesAndMissingParents) {
    const std::string file = dir_.write("f.txt", "x");
    unsigned char found = 9, is_dir = 9;
    EXPECT_EQ(ut_does_file_or_directory_exist_ex(dir_.path().c_str(), &found, &is_dir), 0);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(is_dir, 1);
    EXPECT_EQ(ut_does_file_or_directory_exist_ex(file.c_str(), &found, &is_dir), 0);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(is_dir, 0);
    tr_ignore_traces_below_level_quietly(tr_LOW);
    EXPECT_EQ(ut_does_file_exist_ex((dir_ / "no/such/file").c_str(), &found), 0);
    EXPECT_EQ(found, 0);
    EXPECT_TRUE(trace_.traced("The specified file (" + (dir_ / "no/such/file") + ") does not exist."));
    EXPECT_EQ(ut_does_file_exist_ex((file + "/below").c_str(), &found), 0);  // a file as directory part
    EXPECT_EQ(found, 0);
    ASSERT_EQ(::symlink("nowhere", (dir_ / "dangling").c_str()), 0);
    EXPECT_TRUE(ut_does_file_exist((dir_ / "dangling").c_str()));
    EXPECT_TRUE(errors().empty());
    EXPECT_EQ(ut_does_file_exist_ex(nullptr, &found), -1);
    EXPECT_EQ(ut_does_file_exist_ex(file.c_str(), nullptr), -1);
    ASSERT_EQ(errors().size(), 2u);
    EXPECT_THAT(errors()[0], HasSubstr("fname argument is NULL"));
    EXPECT_THAT(errors()[1], HasSubstr("bExist argument is NULL"));
}

TEST_F(FileOpsTest, TreeSizeSumsFilesAndThirtyTwoBitSizeRefusesFourGiB) {
    dir_.write("t/a", std::string(100, 'a'));
    dir_.write("t/sub/b", std::string(23, 'b'));
    dir_.write("t/sub/deeper/empty", "");
    long long size = -1;
    EXPECT_EQ(ut_get_longlong_path_size((dir_ / "t").c_str(), &size), 0);
    EXPECT_EQ(size, 123);
    unsigned int small = 0;
    EXPECT_EQ(ut_get_path_size((dir_ / "t/a").c_str(), &small), 0);
    EXPECT_EQ(small, 100u);

    const std::string big = dir_ / "t/sparse";
    const int fd = ::open(big.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 0x100000000LL), 0);  // sparse: no real disk use
    ::close(fd);
    small = 7;
    EXPECT_EQ(ut_get_path_size((dir_ / "t").c_str(), &small), -1);
    EXPECT_EQ(small, 0u);
    EXPECT_EQ(ut_get_longlong_path_size((dir_ / "t").c_str(), &size), 0);
    EXPECT_EQ(size, 0x100000000LL + 123);
    EXPECT_EQ(ut_get_longlong_path_size((dir_ / "none").c_str(), &size), -1);
    const std::vector<std::string> e = errors();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_THAT(e[0], HasSubstr("ut_get_longlong_path returned a size greater than the maximum value of unsigned long!"));
    EXPECT_THAT(e[1], HasSubstr("File/directory '" + (dir_ / "none") + "' does not exists.  Cannot get size."));
}

TEST_F(FileOpsTest, LastWriteTimeAndMissingPathCode) {
    const std::string file = dir_.write("f.txt", "x");
    const struct timespec times[2] = {{1000000000, 0}, {1234567890, 500}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    int t = 0;
    EXPECT_EQ(ut_file_last_modified_time(file.c_str(), &t), 0);
    EXPECT_EQ(t, 1234567890);
    EXPECT_EQ(ut_get_path_lastwrite_time((dir_ / "none").c_str(), &t), 3);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(ut_get_path_lastwrite_time(nullptr, &t), -1);
}

TEST_F(FileOpsTest, CopyOfDirectoryNeedsNewDestination) {
    dir_.write("src/a.txt", "A");
    const std::string src = dir_ / "src";
    const std::string taken = dir_.write("taken", "");
    EXPECT_EQ(ut_file_copy(src.c_str(), taken.c_str()), -1);
    ASSERT_EQ(errors().size(), 1u);
    EXPECT_THAT(errors()[0], HasSubstr("Source is not a file and Destination already exists."));
    EXPECT_EQ(ut_file_copy(src.c_str(), (dir_ / "copy").c_str()), 0);
    EXPECT_EQ(read_file(dir_ / "copy/a.txt"), "A");
    // A file copy replaces an existing destination.
    EXPECT_EQ(ut_file_copy((dir_ / "src/a.txt").c_str(), taken.c_str()), 0);
    EXPECT_EQ(read_file(taken), "A");
    // Files whose size says nothing are copied to their end: a pipe, and a
    // file of the system that reports no size.
    const std::string pipe = dir_ / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string piped(300000, 'p');
    std::thread writer([&] {
        const int fd = ::open(pipe.c_str(), O_WRONLY);
        for (std::size_t at = 0; fd >= 0 && at < piped.size(); at += 5000)
            if (::write(fd, piped.data() + at, 5000) < 0) break;
        ::close(fd);
    });
    EXPECT_EQ(ut_file_copy(pipe.c_str(), (dir_ / "from-pipe").c_str()), 0);
    writer.join();
    EXPECT_EQ(read_file(dir_ / "from-pipe"), piped);
    EXPECT_EQ(ut_file_copy("/proc/self/cmdline", (dir_ / "cmdline").c_str()), 0);
    EXPECT_EQ(read_file(dir_ / "cmdline"), read_file("/proc/self/cmdline"));
    EXPECT_FALSE(read_file(dir_ / "cmdline").empty());
    // A destination that cannot be created is reported with its own reason.
    EXPECT_EQ(ut_file_copy(taken.c_str(), (dir_ / "no/dir/copy").c_str()), -1);
    EXPECT_THAT(errors().back(), HasSubstr("; reason (2): No such file or directory"));
    EXPECT_EQ(read_file(taken), "A");
    EXPECT_EQ(ut_file_copy((dir_ / "none").c_str(), taken.c_str()), -1);
    EXPECT_THAT(errors().back(), HasSubstr("Unable to copy from " + (dir_ / "none") + " to " + taken +
                                           "; reason (2): No such file or directory"));
}

// The kernel copies the first 1000 bytes, then fails once with Kernel_error.
int Kernel_error = 0, Kernel_calls = 0;
ssize_t failing_kernel_copy(int in, off_t *in_at, int out, off_t *out_at, size_t count, unsigned flags) {
    if (++Kernel_calls == 2) {
        errno = Kernel_error;
        return -1;
    }
    return orv::files::real_sys().copy_file_range(in, in_at, out, out_at, Kernel_calls == 1 ? 1000 : count, flags);
}

TEST_F(FileOpsTest, KernelCopyFailureFallsBackToReadingOrFailsTheCopy) {
    std::string data(200000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>('a' + i % 23);
    const std::string src = dir_.write("big", data), dst = dir_ / "copy";
    orv::files::SysCalls calls = orv::files::real_sys();
    calls.copy_file_range = failing_kernel_copy;
    const struct { int error, result; } cases[] = {
        {EXDEV, 0}, {ENOSYS, 0}, {EINVAL, 0}, {EOPNOTSUPP, 0}, {EBADF, 0}, {EINTR, 0}, {EIO, -1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.error);
        Kernel_error = c.error;
        Kernel_calls = 0;
        {
            orv::files::ScopedSysCalls seam(calls);
            EXPECT_EQ(ut_file_copy(src.c_str(), dst.c_str()), c.result);
        }
        if (c.result == 0) EXPECT_EQ(read_file(dst), data);
        else EXPECT_FALSE(exists(dst));  // no half copy is left behind
    }
    EXPECT_THAT(errors().back(), HasSubstr("; reason (5): Input/output error"));
}

TEST_F(FileOpsTest, EmptyFileCreationIsExclusiveAndPermissionsApply) {
    const std::string path = dir_ / "empty";
    EXPECT_EQ(ut_create_empty_file(path.c_str()), 0);
    EXPECT_EQ(read_file(path), "");
    EXPECT_EQ(ut_create_empty_file(path.c_str()), -1);
    EXPECT_THAT(errors().back(), HasSubstr("Failed to create the empty file " + path + "."));
    EXPECT_EQ(ut_file_set_permissions(path.c_str(), 0640), 0);
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ut_file_set_permissions("", 0640), -1);
    EXPECT_THAT(errors().back(), HasSubstr("uf_file_set_permissions called with \"\" filename."));
}

}  // namespace

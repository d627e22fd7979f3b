// File operations: the retrying rename with its backup and recovery, copies,
// locks between processes, reading, existence, sizes and times, and files
// made under predictable names that never follow a link planted there.
#include "files/fsutil.h"
#include "support/files_helpers.h"
#include "support/orv_child.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using ::testing::HasSubstr;
using orvtest::exists;
using orvtest::read_file;

namespace {

class FileOpsTest : public orvtest::FilesTest {
protected:
    void SetUp() override {
        FilesTest::SetUp();
        ut_set_file_rename_retry(2, 1);
    }
    void TearDown() override {
        ut_set_file_rename_retry(10, 100);
        FilesTest::TearDown();
    }
};

// ---- Rename -------------------------------------------------------------------

TEST_F(FileOpsTest, RenameReplacesTheDestinationThroughABackupItRemoves) {
    const std::string src = dir_.write("new.txt", "new"), dst = dir_.write("report.txt", "old");
    EXPECT_EQ(ut_file_rename(dst.c_str(), dst.c_str()), 0);
    EXPECT_THAT(warnings().at(0), HasSubstr("Source file and destination file have the same name \"" + dst +
                                            "\".  Not bothering to rename."));
    EXPECT_EQ(read_file(dst), "old");
    dir_.write("report.txt.utbak", "stale");  // left by an earlier run: removed first
    EXPECT_EQ(ut_file_rename(src.c_str(), dst.c_str()), 0);
    EXPECT_EQ(read_file(dst), "new");
    EXPECT_FALSE(exists(src));
    EXPECT_FALSE(exists(dst + ".utbak"));
    EXPECT_THAT(warnings().at(1), HasSubstr("The backup of the destination file \"" + dst +
                                            ".utbak\" already exists.  Trying to delete."));
    EXPECT_TRUE(errors().empty());
}

TEST_F(FileOpsTest, RenameWaitsForTheSourceAsLongAsItsRetriesAllow) {
    ut_set_file_rename_retry(2000, 1);  // two seconds, in pauses of the shortest length
    const std::string src = dir_ / "late.txt", dst = dir_ / "dst.txt";
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ::rename(dir_.write("late.tmp", "late").c_str(), src.c_str());
    });
    EXPECT_EQ(ut_file_rename(src.c_str(), dst.c_str()), 0);
    writer.join();
    EXPECT_EQ(read_file(dst), "late");

    ut_set_file_rename_retry(0, 1);
    const std::string missing = dir_ / "missing.txt";
    EXPECT_EQ(ut_file_rename(missing.c_str(), dst.c_str()), -1);
    EXPECT_EQ(ut_file_rename("", dst.c_str()), -1);
    EXPECT_EQ(ut_file_rename(src.c_str(), nullptr), -1);
    EXPECT_EQ(read_file(dst), "late");
    EXPECT_THAT(errors(), ::testing::ElementsAre(
                              HasSubstr("Cannot rename.  Source file \"" + missing + "\" does not exist."),
                              HasSubstr("Cannot atomically rename.  Source filename is \"\"."),
                              HasSubstr("Cannot atomically rename.  Destination filename is NULL.")));
    ut_set_file_rename_retry(-1, 1);  // a negative count allows no attempt at all
    const std::string a = dir_.write("a.txt", "A");
    EXPECT_EQ(ut_file_rename(a.c_str(), (dir_ / "b.txt").c_str()), -1);
    EXPECT_EQ(read_file(a), "A");
    EXPECT_FALSE(exists(dir_ / "b.txt"));
}

TEST_F(FileOpsTest, RenameFailureAtAnyStepLeavesBothFilesWhereTheyWere) {
    const std::string src = dir_ / "new.txt", dst = dir_ / "report.txt", backup = dst + ".utbak";
    // The failure, its report, and the failed attempts handed to the library's handler.
    const struct { std::string fail_rename, fail_unlink, error; int handler_warnings; } cases[] = {
        // The move itself: the destination comes back from its backup.
        {src, "", "Failed to move \"" + src + "\" to \"" + dst + "\".  Permission denied.", 3},
        // The backup cannot be removed: the new file goes back to its source name, the old one to its place.
        {"", backup, "Failed to remove destination file backup \"" + backup + "\".  Operation not permitted.", 0},
        // The backup cannot be made: nothing moves.
        {dst, "", "Failed to rename \"" + dst + "\" to \"" + backup + "\".  Permission denied.", 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.error);
        trace_.clear();
        dir_.write("new.txt", "new");
        dir_.write("report.txt", "old");
        {
            orvtest::FailingCalls failing(c.fail_rename, c.fail_unlink);
            EXPECT_EQ(ut_file_rename(src.c_str(), dst.c_str()), -1);
        }
        EXPECT_EQ(read_file(src), "new");
        EXPECT_EQ(read_file(dst), "old");
        EXPECT_FALSE(exists(backup));
        EXPECT_THAT(last_error(), HasSubstr(c.error));
        int handler_warnings = 0;
        for (const std::string &w : warnings())
            handler_warnings += w.find("NSFileNamanger failed to rename.") != std::string::npos;
        EXPECT_EQ(handler_warnings, c.handler_warnings);
    }
}

// ---- Copy ----------------------------------------------------------------------

TEST_F(FileOpsTest, CopyOfFilesDirectoriesAndSizelessFiles) {
    dir_.write("src/a.txt", "A");
    const std::string src = dir_ / "src", taken = dir_.write("taken", "");
    EXPECT_EQ(ut_file_copy(src.c_str(), taken.c_str()), -1);  // a directory needs a new destination
    EXPECT_THAT(last_error(), HasSubstr("Source is not a file and Destination already exists."));
    EXPECT_EQ(ut_file_copy(src.c_str(), (dir_ / "copy").c_str()), 0);
    EXPECT_EQ(read_file(dir_ / "copy/a.txt"), "A");
    EXPECT_EQ(ut_file_copy((dir_ / "src/a.txt").c_str(), taken.c_str()), 0);  // a file replaces it
    EXPECT_EQ(read_file(taken), "A");
    // A file whose size says nothing is copied to its end.
    EXPECT_EQ(ut_file_copy("/proc/self/cmdline", (dir_ / "cmdline").c_str()), 0);
    EXPECT_EQ(read_file(dir_ / "cmdline"), read_file("/proc/self/cmdline"));
    // A destination that cannot be created is reported with its own reason.
    EXPECT_EQ(ut_file_copy(taken.c_str(), (dir_ / "no/dir/copy").c_str()), -1);
    EXPECT_THAT(last_error(), HasSubstr("; reason (2): No such file or directory"));
    EXPECT_EQ(ut_file_copy((dir_ / "none").c_str(), taken.c_str()), -1);
    EXPECT_THAT(last_error(), HasSubstr("Unable to copy from " + (dir_ / "none") + " to " + taken +
                                        "; reason (2): No such file or directory"));
    EXPECT_EQ(read_file(taken), "A");
}

// The kernel copies the first 1000 bytes, then fails once with Kernel_error.
int Kernel_error = 0, Kernel_calls = 0;
ssize_t failing_kernel_copy(int in, off_t *in_at, int out, off_t *out_at, size_t count, unsigned flags) {
    if (++Kernel_calls == 2) return errno = Kernel_error, -1;
    return orv::files::real_sys().copy_file_range(in, in_at, out, out_at, Kernel_calls == 1 ? 1000 : count, flags);
}
// Writes all but the last byte asked for, while there is more than one.
ssize_t short_write(int fd, const void *data, size_t count) {
    return orv::files::real_sys().write(fd, data, count > 1 ? count - 1 : count);
}

TEST_F(FileOpsTest, KernelCopyFailureFallsBackToReadingOrFailsTheCopy) {
    std::string data(200000, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>('a' + i % 23);
    const std::string src = dir_.write("big", data), dst = dir_ / "copy";
    orv::files::SysCalls calls = orv::files::real_sys();
    calls.copy_file_range = failing_kernel_copy;
    calls.write = short_write;
    for (const int error : {EXDEV, ENOSYS, EINVAL, EOPNOTSUPP, EBADF, EINTR, EIO}) {
        SCOPED_TRACE(error);
        Kernel_error = error;
        Kernel_calls = 0;
        {
            orv::files::ScopedSysCalls seam(calls);
            EXPECT_EQ(ut_file_copy(src.c_str(), dst.c_str()), error == EIO ? -1 : 0);
        }
        if (error != EIO) EXPECT_EQ(read_file(dst), data);
        else EXPECT_FALSE(exists(dst));  // no half copy is left behind
    }
    EXPECT_THAT(last_error(), HasSubstr("; reason (5): Input/output error"));
}

// ---- Locks ----------------------------------------------------------------------

TEST_F(FileOpsTest, LockHeldByAnotherProcessGivesLockedCodeAndKeepsThePosition) {
    const std::string path = dir_.write("locked.dat", "0123456789");
    const int fd = ::open(path.c_str(), O_RDWR);
    ASSERT_EQ(::lseek(fd, 4, SEEK_SET), 4);
    ASSERT_EQ(ut_file_try_lock(fd), 0);
    EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), 4);
    const orvtest::ChildRun other = orvtest::run_in_child("", [&] {
        const int mine = ::open(path.c_str(), O_RDWR);
        ::lseek(mine, 7, SEEK_SET);
        const int locked = ut_file_try_lock(mine);
        std::printf("%d %ld", locked, static_cast<long>(::lseek(mine, 0, SEEK_CUR)));
    });
    EXPECT_EQ(other.out, "-10000 7");
    EXPECT_EQ(ut_file_unlock(fd), 0);
    EXPECT_EQ(ut_file_unlock(fd), 0);  // unlocking what is not locked is fine
    EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), 4);
    const auto lock_elsewhere = [&] { std::printf("%d", ut_file_try_lock(::open(path.c_str(), O_RDWR))); };
    EXPECT_EQ(orvtest::run_in_child("", lock_elsewhere).out, "0");
    ::close(fd);
}

// ---- Reading, existence, sizes, times, creation ---------------------------------------

TEST_F(FileOpsTest, ReadStopsAtBufferSizeAndReportsMissingFile) {
    const std::string path = dir_.write("data.bin", "abcdefgh"), missing = dir_ / "none";
    char buffer[8] = {};
    size_t n = 99;
    EXPECT_EQ(ut_read_file_into_memory(buffer, 5, &n, path.c_str()), 0);
    EXPECT_EQ(n, 5u);
    EXPECT_EQ(std::string(buffer, 6), std::string("abcde\0", 6));  // nothing appended
    EXPECT_EQ(ut_read_file_into_memory(buffer, 5, &n, missing.c_str()), -1);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(ut_read_file_into_memory(nullptr, 5, &n, path.c_str()), -1);
    EXPECT_EQ(ut_read_file_into_memory(buffer, 5, &n, dir_.path().c_str()), -1);
    EXPECT_THAT(errors(), ::testing::ElementsAre(HasSubstr("The file " + missing + " could not be opened.  Error 2"),
                                                 HasSubstr("The Buffer Pointer was NULL"),
                                                 HasSubstr("The file " + dir_.path() + " could not be read.  Error 21")));
}

TEST_F(FileOpsTest, ExistenceOfFilesDirectoriesAndMissingParents) {
    const std::string file = dir_.write("f.txt", "x");
    const struct { std::string path; unsigned char found, is_dir; } cases[] = {
        {dir_.path(), 1, 1}, {file, 1, 0}, {dir_ / "no/such/file", 0, 9}, {file + "/below", 0, 9}};
    tr_ignore_traces_below_level_quietly(tr_LOW);
    for (const auto &c : cases) {
        unsigned char found = 9, is_dir = 9;
        EXPECT_EQ(ut_does_file_or_directory_exist_ex(c.path.c_str(), &found, &is_dir), 0) << c.path;
        EXPECT_EQ(found, c.found) << c.path;
        EXPECT_EQ(is_dir, c.is_dir) << c.path;
        EXPECT_EQ(ut_does_file_exist(c.path.c_str()), c.found) << c.path;
    }
    EXPECT_TRUE(trace_.traced("The specified file (" + (dir_ / "no/such/file") + ") does not exist."));
    ASSERT_EQ(::symlink("nowhere", (dir_ / "dangling").c_str()), 0);
    EXPECT_TRUE(ut_does_file_exist((dir_ / "dangling").c_str()));
    EXPECT_TRUE(errors().empty());
    unsigned char found;
    EXPECT_EQ(ut_does_file_exist_ex(nullptr, &found), -1);
    EXPECT_EQ(ut_does_file_exist_ex(file.c_str(), nullptr), -1);
    // Any failure but a missing entry is an error.
    EXPECT_EQ(ut_does_file_exist_ex((dir_ / std::string(300, 'n')).c_str(), &found), -1);
    EXPECT_THAT(errors(), ::testing::ElementsAre(HasSubstr("fname argument is NULL"), HasSubstr("bExist argument is NULL"),
                                                 HasSubstr("Reason (36): File name too long")));
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
    const int fd = ::open((dir_ / "t/sparse").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_EQ(::ftruncate(fd, 0x100000000LL), 0);  // sparse: no real disk use
    ::close(fd);
    EXPECT_EQ(ut_get_path_size((dir_ / "t").c_str(), &small), -1);
    EXPECT_EQ(small, 0u);
    EXPECT_EQ(ut_get_longlong_path_size((dir_ / "t").c_str(), &size), 0);
    EXPECT_EQ(size, 0x100000000LL + 123);
    EXPECT_EQ(ut_get_longlong_path_size((dir_ / "none").c_str(), &size), -1);
    EXPECT_THAT(errors(), ::testing::ElementsAre(
                              HasSubstr("ut_get_longlong_path returned a size greater than the maximum value of unsigned long!"),
                              HasSubstr("File/directory '" + (dir_ / "none") + "' does not exists.  Cannot get size.")));
}

TEST_F(FileOpsTest, LastWriteTimeEmptyFilesAndPermissions) {
    const std::string file = dir_.write("f.txt", "x");
    const struct timespec times[2] = {{1000000000, 0}, {1234567890, 500}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    int t = 0;
    EXPECT_EQ(ut_file_last_modified_time(file.c_str(), &t), 0);
    EXPECT_EQ(t, 1234567890);
    EXPECT_EQ(ut_get_path_lastwrite_time((dir_ / "none").c_str(), &t), 3);
    EXPECT_EQ(t, 0);
    // Not found is 3; any other failure (here a name too long) is -1.
    EXPECT_EQ(ut_get_path_lastwrite_time((dir_ / std::string(300, 'n')).c_str(), &t), -1);

    const std::string path = dir_ / "empty";
    EXPECT_EQ(ut_create_empty_file(path.c_str()), 0);
    EXPECT_EQ(read_file(path), "");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(orvtest::mode_of(path), 0666u & ~mask);
    EXPECT_EQ(ut_create_empty_file(path.c_str()), -1);
    EXPECT_THAT(last_error(), HasSubstr("Failed to create the empty file " + path + "."));
    EXPECT_EQ(ut_file_set_permissions(path.c_str(), 0640), 0);
    EXPECT_EQ(orvtest::mode_of(path), 0640u);
    EXPECT_EQ(ut_file_set_permissions("", 0640), -1);
    EXPECT_THAT(last_error(), HasSubstr("uf_file_set_permissions called with \"\" filename."));
}

// ---- Links planted under predictable names -------------------------------------------

// The backup of a rename, the trace file and its backup: the file a link
// planted there points at is neither created nor changed, and the link itself
// gives way to a file.
TEST_F(FileOpsTest, NoPredictableNameIsCreatedThroughALink) {
    trace_.stop();
    orvtest::ScopedEnv log_path("ORV_LOG_PATH", dir_.path());
    ut_set_file_rename_retry(0, 0);
    const struct { const char *planted; std::function<void()> act; } cases[] = {
        {"report.txt.utbak", [&] {
             dir_.write("new.txt", "new\n");
             dir_.write("report.txt", "old\n");
             EXPECT_EQ(0, ut_file_rename((dir_ / "new.txt").c_str(), (dir_ / "report.txt").c_str()));
             EXPECT_EQ("new\n", read_file(dir_ / "report.txt"));
         }},
        {"prog.log", [] {
             EXPECT_EQ(0, tr_init("prog"));
             tr_msg("f", 1, "a line");
             tr_term();
         }},
        {"prog.log-", [&] {
             dir_.write("prog.log", "earlier run\n");
             EXPECT_EQ(0, tr_init("prog"));
             tr_term();
             EXPECT_EQ("earlier run\n", read_file(dir_ / "prog.log-"));
         }},
    };
    for (const auto &c : cases) {
        for (const bool dangling : {false, true}) {
            SCOPED_TRACE(std::string(c.planted) + (dangling ? ", dangling link" : ", link to a file"));
            orvtest::TempDir elsewhere;
            const std::string victim = elsewhere / "victim", planted = dir_ / c.planted;
            if (!dangling) elsewhere.write("victim", "precious\n");
            std::remove(planted.c_str());
            ASSERT_EQ(0, ::symlink(victim.c_str(), planted.c_str()));
            c.act();
            EXPECT_EQ(read_file(victim), dangling ? "" : "precious\n");
            EXPECT_EQ(exists(victim), !dangling);
            struct stat st;
            EXPECT_FALSE(::lstat(planted.c_str(), &st) == 0 && S_ISLNK(st.st_mode));
            trace_.stop();
        }
    }
    // A directory under the name is refused; a stale file is replaced.
    ASSERT_EQ(0, ::mkdir((dir_ / "sub").c_str(), 0700));
    EXPECT_EQ(-1, orv::files::open_new_file((dir_ / "sub").c_str(), O_WRONLY, 0600));
    EXPECT_EQ(EISDIR, errno);
    ::close(orv::files::open_new_file(dir_.write("stale", "old contents\n").c_str(), O_WRONLY, 0600));
    EXPECT_EQ("", read_file(dir_ / "stale"));
}

}  // namespace

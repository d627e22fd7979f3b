// Files the library creates under names that others can predict (the
// backup of a rename, the trace file and its backup, any file made with
// open_new_file) never follow a symbolic link planted under that name: the
// file the link points at is neither created nor changed.
#include "support/orv_test_support.h"

#include "files/fsutil.h"
#include "trace/tr_testing.h"

#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/ut.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace {

using orvtest::read_file;
using orvtest::ScopedEnv;
using orvtest::TempDir;

bool is_link(const std::string &path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}
bool exists(const std::string &path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

class PlantedLinksTest : public ::testing::Test {
protected:
    void SetUp() override { orv_tr_testing_reset(); }
    void TearDown() override { orv_tr_testing_reset(); }

    TempDir dir_;
    ScopedEnv log_path_{"ORV_LOG_PATH", dir_.path()};
};

TEST_F(PlantedLinksTest, NoPredictableNameIsCreatedThroughALink) {
    struct Case {
        const char *what;
        const char *planted;                 // the name the link is planted as
        std::function<void(TempDir &)> act;  // what creates a file under that name
    };
    const Case cases[] = {
        {"backup of a rename", "report.txt.utbak",
         [](TempDir &d) {
             d.write("new.txt", "new\n");
             d.write("report.txt", "old\n");
             ut_set_file_rename_retry(0, 0);
             EXPECT_EQ(0, ut_file_rename((d / "new.txt").c_str(), (d / "report.txt").c_str()));
             EXPECT_EQ("new\n", read_file(d / "report.txt"));
         }},
        {"trace file", "prog.log",
         [](TempDir &) {
             EXPECT_EQ(0, tr_init("prog"));
             tr_msg("f", 1, "a line");
             tr_term();
         }},
        {"backup of the trace file", "prog.log-",
         [](TempDir &d) {
             d.write("prog.log", "earlier run\n");
             EXPECT_EQ(0, tr_init("prog"));
             tr_term();
             EXPECT_EQ("earlier run\n", read_file(d / "prog.log-"));
         }},
        {"open_new_file", "made.tmp",
         [](TempDir &d) {
             const int fd = orv::files::open_new_file((d / "made.tmp").c_str(), O_WRONLY, 0600);
             ASSERT_GE(fd, 0);
             EXPECT_EQ(3, write(fd, "new", 3));
             close(fd);
             EXPECT_EQ("new", read_file(d / "made.tmp"));
         }},
    };
    for (const Case &c : cases) {
        for (const bool dangling : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (dangling ? ", dangling link" : ", link to a file"));
            TempDir elsewhere;
            const std::string victim = elsewhere / "victim";
            if (!dangling) elsewhere.write("victim", "precious\n");
            const std::string planted = dir_ / c.planted;
            std::remove(planted.c_str());
            ASSERT_EQ(0, symlink(victim.c_str(), planted.c_str()));
            c.act(dir_);
            if (dangling) EXPECT_FALSE(exists(victim));
            else EXPECT_EQ("precious\n", read_file(victim));
            EXPECT_FALSE(is_link(planted));
            orv_tr_testing_reset();
        }
    }
}

TEST_F(PlantedLinksTest, OpenNewFileRefusesADirectoryAndReplacesAStaleFile) {
    ASSERT_EQ(0, mkdir((dir_ / "sub").c_str(), 0700));
    EXPECT_EQ(-1, orv::files::open_new_file((dir_ / "sub").c_str(), O_WRONLY, 0600));
    EXPECT_EQ(EISDIR, errno);
    dir_.write("stale", "old contents\n");
    const int fd = orv::files::open_new_file((dir_ / "stale").c_str(), O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_EQ("", read_file(dir_ / "stale"));
}

}  // namespace

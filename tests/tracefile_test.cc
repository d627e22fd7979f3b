// The trace file: naming in the log directory, the backup of the previous run,
// headers and closing notes, the date line, capping at a small size, the reset
// at tr_term and the hard stop when the file cannot be created.
#include <ORVCommonKit/tr.h>

#include "support/files_helpers.h"
#include "support/orv_child.h"
#include "trace/tr_testing.h"

#include <ORVCommonKit/ut.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

using orvtest::CapturedStdout;
using orvtest::lines_of;
using orvtest::read_file;
using orvtest::ScopedEnv;
using orvtest::TempDir;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;
using ::testing::Not;

namespace {

constexpr long long kFixedSeconds = 1488635112;  // Sat Mar 04 2017 13:45:12 UTC
const std::string kDate = "Sat Mar 04 2017 13:45:12";

int g_handler_calls = 0;
void count_handler(int, const char *, const char *, const char *) { ++g_handler_calls; }
void ignore(const char *, int) {}

class TraceFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        orv_tr_testing_reset();
        tzset();
        orv_tr_testing_fix_clock(kFixedSeconds, 0);
        g_handler_calls = 0;
    }
    void TearDown() override { orv_tr_testing_reset(); }

    std::string host_line_regex() const {
        return "# on " + kDate + "\\.\tHostname: [^,]*, Process ID: " + std::to_string(getpid()) +
               ", OS Version: [0-9]+\\.[0-9]+\\.[0-9]+";
    }

    TempDir dir_;
    ScopedEnv log_path_{"ORV_LOG_PATH", dir_.path()};
    ScopedEnv tz_{"TZ", "UTC0"};
};

TEST_F(TraceFileTest, StartWritesHeaderAndTermWritesClosingNotes) {
    ASSERT_EQ(tr_init("MyTool"), 0);
    const std::string path = dir_ / "mytool.log";
    EXPECT_STREQ(tr_trace_file_name(), path.c_str());
    EXPECT_EQ(tr_max_file_size(), 5000000UL);
    tr_trace("f.c", 3, tr_HIGH, "hello %s", "file");
    tr_ignore_traces_below_level(tr_MID);
    EXPECT_EQ(tr_term(), 0);
    EXPECT_EQ(tr_trace_file_name(), nullptr);

    const auto lines = lines_of(read_file(path));
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0], "# Generation 0 trace file \"" + path + "\" was started");
    EXPECT_THAT(lines[1], MatchesRegex(host_line_regex()));
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "[f.c,3 20170304 13:45:12,000] hello file");
    EXPECT_THAT(lines[4], MatchesRegex("\\[tr_api\\.cpp,[0-9]+\\]  Trace level has been set to tr_MID\\."));
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6], "# Generation 0 trace file \"" + path + "\" will be closed.");
    EXPECT_EQ(lines[7], "# Tracing terminated on " + kDate + ".");
    EXPECT_EQ(lines[8], "");

    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0664u);
}

TEST_F(TraceFileTest, PreviousRunBecomesTheBackupAndOnlyTheFirstStartCounts) {
    EXPECT_EQ(tr_init("C:\\prog"), -4998);  // null, empty and absolute names: see the sweep rows
    {
        ScopedEnv none("ORV_LOG_PATH", "");
        EXPECT_EQ(tr_init("prog"), -4999) << "no log directory";
    }
    EXPECT_EQ(tr_trace_file_name(), nullptr);
    dir_.write("prog.log", "earlier run\n");
    dir_.write("prog.log-", "older run\n");
    ScopedEnv slash("ORV_LOG_PATH", dir_.path() + "/");  // a directory with its separator gets no second one
    ASSERT_EQ(tr_init("prog"), 0);
    EXPECT_EQ(tr_init("two"), 0);
    EXPECT_EQ(tr_trace_file_name(), dir_ / "prog.log");
    EXPECT_EQ(read_file(dir_ / "prog.log-"), "earlier run\n");
    EXPECT_THAT(read_file(dir_ / "prog.log"), Not(HasSubstr("earlier run")));
    EXPECT_EQ(tr_term(), 0);
    const std::string closed = read_file(dir_ / "prog.log");
    EXPECT_EQ(tr_term(), 0);
    EXPECT_EQ(read_file(dir_ / "prog.log"), closed);
    EXPECT_FALSE(std::ifstream(dir_ / "two.log").good());
    // In call-back mode there is nothing to end.
    tr_init_with_call_back(ignore);
    EXPECT_EQ(tr_term(), 0);
    EXPECT_EQ(tr_is_initialized(), 1);
}

TEST_F(TraceFileTest, TermResetsSettingsButKeepsTagDisplay) {
    ASSERT_EQ(tr_init("reset"), 0);
    tr_ignore_traces_below_level(tr_APP);
    tr_ignore_warnings_below_level(tr_APP);
    tr_set_trace_file_size(1234);
    tr_set_time_log_interval(0);
    tr_set_error_handler(count_handler);
    tr_set_message_tag_display(0);
    ASSERT_EQ(tr_term(), 0);

    EXPECT_EQ(tr_current_trace_level(), tr_LOW);
    EXPECT_EQ(tr_current_warning_level(), tr_LOW);
    EXPECT_EQ(tr_max_file_size(), 5000000UL);
    CapturedStdout out;
    tr_error("f.c", 1, tr_INFORM_LOG, "T", "m", "after term");
    tr_msg("f.c", 2, "bare");
    EXPECT_THAT(out.finish(), ::testing::EndsWith("after term\nbare\n"));
    EXPECT_EQ(g_handler_calls, 0);

    // The date-line interval is back at 50.
    ASSERT_EQ(tr_init("reset"), 0);
    for (int i = 0; i < 51; ++i) tr_trace("f.c", i, tr_HIGH, "m");
    EXPECT_THAT(read_file(dir_ / "reset.log"), HasSubstr("** Time of this message: " + kDate));
    tr_term();
}

TEST_F(TraceFileTest, DateLineAfterFiftyEndedMessages) {
    ASSERT_EQ(tr_init("dates"), 0);
    for (int i = 0; i < 25; ++i) tr_msg("f.c", i, "msg %d", i);
    for (int i = 0; i < 25; ++i) tr_error("f.c", i, tr_INFORM_LOG, "T", "m", "err %d", i);
    tr_msg("f.c", 1, "plain messages do not trigger it");
    tr_trace("f.c", 1, tr_MID, "a filtered trace does");
    tr_warning("f.c", 2, tr_LOW, "after the date");
    tr_term();
    const auto lines = lines_of(read_file(dir_ / "dates.log"));
    // Three header lines, then the fifty messages.
    ASSERT_GE(lines.size(), 57u);
    EXPECT_EQ(lines[53], "[f.c,1]  plain messages do not trigger it");
    EXPECT_EQ(lines[54], "** Time of this message: " + kDate);
    EXPECT_EQ(lines[55], "WARNING [f.c,2 20170304 13:45:12,000] after the date");
}

TEST_F(TraceFileTest, CapsAtTheFirstCheckPastTheLimit) {
    ASSERT_EQ(tr_init("X"), 0);
    const std::string path = dir_ / "x.log";
    const std::string backup = dir_ / "x.log-";
    tr_set_trace_file_size(1000);
    EXPECT_EQ(tr_max_file_size(), 1000UL);
    // The size is checked at the next ended message, then at every 51st.
    for (int i = 1; i <= 60; ++i) tr_trace("f.c", i, tr_HIGH, "message number %03d", i);

    const std::string old = read_file(backup);
    EXPECT_THAT(old, HasSubstr("This file will be capped every 1000 bytes.\n\n"));
    EXPECT_THAT(old, HasSubstr("] message number 051\n"));
    EXPECT_THAT(old, Not(HasSubstr("message number 052")));
    const std::string note_head = "\n# Generation 0 trace file \"" + path + "\" has reached \n# ";
    const auto at = old.rfind(note_head);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(old.substr(at), note_head + std::to_string(at) + " bytes and is being capped as \"" + backup + "\".\n");

    const auto lines = lines_of(read_file(path));
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[0], "# Generation 1 trace file \"" + path + "\" was started");
    EXPECT_THAT(lines[1], MatchesRegex(host_line_regex()));
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.begin() + 9),
              (std::vector<std::string>{"# This file will be capped every 1000 bytes.",
                                        "# The tracing level is currently tr_HIGH.", "#",
                                        "# This file has already been capped.  Previous trace messages can be",
                                        "# found in \"" + backup + "\".", "",
                                        "[f.c,52 20170304 13:45:12,000] message number 052"}));
    EXPECT_EQ(lines[16], "[f.c,60 20170304 13:45:12,000] message number 060");

    tr_term();
    EXPECT_THAT(read_file(path), HasSubstr("\n# Generation 1 trace file \"" + path + "\" will be closed.\n"));
    // The next start counts from generation 0 again.
    ASSERT_EQ(tr_init("X"), 0);
    EXPECT_EQ(lines_of(read_file(path)).at(0), "# Generation 0 trace file \"" + path + "\" was started");
}

// Regression: a cap whose move aside failed used to start the file afresh and
// so lost the generation that could not be moved.
TEST_F(TraceFileTest, FailedMoveAsideKeepsTheGenerationInTheFile) {
    ASSERT_EQ(tr_init("stuck"), 0);
    const std::string path = dir_ / "stuck.log";
    tr_set_trace_file_size(1000);
    ut_set_file_rename_retry(0, 0);
    orvtest::FailingCalls refused(path, "");
    CapturedStdout out;
    for (int i = 1; i <= 52; ++i) tr_trace("f.c", i, tr_HIGH, "message number %03d", i);
    EXPECT_THAT(out.finish(), HasSubstr("rename failed: Unable to rename trace file \"" + path));
    ut_set_file_rename_retry(10, 100);
    EXPECT_FALSE(std::ifstream(path + "-").good());
    EXPECT_THAT(read_file(path), HasSubstr("] message number 001\n"));
    EXPECT_THAT(read_file(path), HasSubstr("# An attempt has been made to cap this file but "
                                           "capping failed.\n"));
}

TEST_F(TraceFileTest, ZeroTurnsOffDateLinesAndCapping) {
    ASSERT_EQ(tr_init("zero"), 0);
    tr_set_trace_file_size(0);
    tr_set_time_log_interval(0);
    for (int i = 0; i < 200; ++i) tr_trace("f.c", i, tr_HIGH, "message number %03d", i);
    tr_term();
    EXPECT_FALSE(std::ifstream(dir_ / "zero.log-").good());
    EXPECT_THAT(read_file(dir_ / "zero.log"), Not(HasSubstr("** Time of this message")));
}

TEST_F(TraceFileTest, ExitsWith102WhenTheFileCannotBeCreated) {
    ScopedEnv missing("ORV_LOG_PATH", dir_ / "no/such/dir");
    const auto run = orvtest::run_in_child("", [] { tr_init("prog"); });
    EXPECT_EQ(run.status, 102);
    EXPECT_THAT(run.out, MatchesRegex("FATAL ERROR AT \\[tr_file\\.cpp,[0-9]+\\]: fopen \\(\".*/no/such/dir/prog\\.log\", "
                                      "\"[a-z]+\"\\) failed\\.  errno=2 \\(No such file or directory\\)\n"));
}

}  // namespace

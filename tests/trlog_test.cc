// Permanent log files and memory dumps: exact lines in real files, capping at
// the limit with its backup, a move aside that fails, bad handles, and every
// dump layout byte for byte.
#include <ORVCommonKit/trlog.h>
#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/ut.h>

#include "support/files_helpers.h"
#include "support/orv_child.h"
#include "trace/tr_log.h"
#include "trace/tr_testing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

using orvtest::read_file;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        orv_tr_testing_reset();
        orv_tr_testing_fix_clock(1488635112, 0);  // Sat Mar 04 2017 13:45:12 UTC
        ut_set_file_rename_retry(0, 0);
    }
    void TearDown() override {
        ut_set_file_rename_retry(10, 100);
        orv_tr_testing_reset();
    }
    orvtest::TempInstallation dir_;
    std::string path_ = dir_ / "app.log";
    orvtest::ScopedEnv tz_{"TZ", "UTC0"};
    orvtest::TraceCapture capture_;
};

void log_va(tr_log_t *log, unsigned char line_end, const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    tr_log_va_with_linefeed(log, line_end, fmt, args);
    va_end(args);
}

TEST_F(LogTest, LinesAppendWithoutPrefixAndDateLinesFollowTheInterval) {
    for (const auto &[asked, kept] : {std::pair{5U, 10240U}, {0U, 512000U}, {200000000U, 104857600U}, {20000U, 20000U}}) {
        tr_log_t *log = tr_open_log(path_.c_str(), asked);
        EXPECT_EQ(log->max_size, kept) << asked;
        tr_close_log(log);
    }
    dir_.write("app.log", "old\n");
    tr_log_t *log = tr_open_log(path_.c_str(), 0);
    ASSERT_NE(log, nullptr);
    tr_log_with_linefeed(log, 0, "abc");
    tr_log(log, "def %d", 1);
    tr_set_time_log_interval(2);
    tr_log_enable_time_stamp(log);
    tr_log(log, "ghi");
    tr_log(log, "jkl");
    tr_log_disable_time_stamp(log);
    tr_log(log, "mno");
    log_va(log, 0, "v%d", 1);
    log_va(log, 1, "w");
    tr_close_log(log);
    EXPECT_EQ(read_file(path_),
              "old\nabcdef 1\nghi\n** Time of this message: Sat Mar 04 2017 13:45:12\njkl\nmno\nv1w\n");
}

TEST_F(LogTest, AClosedStandardInputStaysClosed) {
    // Programs started without standard input: the size check of a write may
    // be given descriptor 0 and must give it back.
    const auto run = orvtest::run_in_child("", [&] {
        tr_log_t *log = tr_open_log(path_.c_str(), 0);
        ::close(0);
        for (unsigned i = 0; i < orvtrace::kLogSizeCheckInterval; ++i) tr_log(log, "line");
        tr_close_log(log);
        _exit(::fcntl(0, F_GETFD) == -1 ? 0 : 3);
    });
    EXPECT_EQ(run.status, 0);
}

TEST_F(LogTest, CapMovesTheFileToItsBackupOrKeepsEveryLineWhenItCannot) {
    tr_log_t *log = tr_open_log(path_.c_str(), 5);
    std::string lines;
    for (int i = 0; i < 50; ++i) lines += std::string(299, 'a' + i % 26) + "\n";
    for (int i = 0; i < 49; ++i) tr_log_with_linefeed(log, 1, "%.299s", lines.c_str() + 300 * i);
    EXPECT_FALSE(ut_does_file_exist((path_ + "-").c_str()));
    tr_log(log, "%.299s", lines.c_str() + 300 * 49);
    const std::string note = "\n# Trace file \"" + path_ + "\" has reached \n# ";
    EXPECT_EQ(read_file(path_ + "-"), lines + note + "15000 bytes and is being capped (>= 10240 bytes).\n");
    const std::string fresh = "#\n# This file has already been capped.  Previous trace messages "
                              "can be\n# found in \"" + path_ + "-\".\n\n";
    EXPECT_EQ(read_file(path_), fresh);

    orvtest::FailingCalls refused(path_, "");
    capture_.start();
    orvtest::CapturedStdout out;
    for (int i = 0; i < 50; ++i) tr_log(log, "%.299s", lines.c_str() + 300 * i);
    EXPECT_THAT(out.finish(), HasSubstr("Unable to rename file \"" + path_ + "\" to \"" + path_ +
                                        "-\".  Permission denied.\nUnable to create backup log file"));
    tr_log(log, "after");
    tr_close_log(log);
    EXPECT_EQ(read_file(path_), fresh + lines + note + std::to_string(fresh.size() + lines.size()) +
                                    " bytes and is being capped (>= 10240 bytes).\nafter\n");
    EXPECT_THAT(capture_.errors(),
                testing::Contains("IN 'ORVCommonKit' INFORM 'log' TITLE 'CAPPING ERROR': Failed "
                                  "to cap permanent log file: \"" + path_ + "\"."));
}

TEST_F(LogTest, BadHandlesAndPathsAreReportedNotWritten) {
    capture_.start();
    tr_log(nullptr, "x");
    tr_log_t *log = tr_open_log(path_.c_str(), 0);
    std::fclose(log->fp);
    log->fp = nullptr;
    tr_log_with_linefeed(log, 1, "y");
    log_va(log, 1, "z");
    tr_close_log(log);
    EXPECT_EQ(tr_open_log((dir_ / "missing/dir/app.log").c_str(), 0), nullptr);
    EXPECT_EQ(tr_open_log(nullptr, 0), nullptr);
    tr_close_log(nullptr);
    tr_flush_log(nullptr);
    const std::string head = "IN 'ORVCommonKit' INFORM 'log' TITLE 'INVALID HANDLE': ";
    EXPECT_THAT(capture_.errors(),
                ElementsAre(head + "tr_log() called with invalid handle.  handle is NULL.  fmt=\"x\".",
                            head + "tr_logn() called with invalid handle.  handlep->fp is NULL.  fmt=\"y\".",
                            head + "tr_log_va() called with invalid handle.  handlep->fp is NULL.  fmt=\"z\".",
                            HasSubstr("tr_open_log() called with a NULL path.")));
    EXPECT_EQ(read_file(path_), "");
}

// Dumps go to standard output while no trace file is open. In the expected
// texts {N} stands for the address of byte N.
class DumpTest : public LogTest {
protected:
    std::string dump(unsigned long count, int format, int level = tr_HIGH) {
        orvtest::CapturedStdout out;
        tr_mem("src/f.c", 7, level, bytes_, count, format, "msg %d", 1);
        return out.finish();
    }
    std::string expand(std::string text) const {
        for (std::size_t at; (at = text.find('{')) != std::string::npos;) {
            const std::size_t end = text.find('}', at);
            char address[32];
            std::snprintf(address, sizeof address, "%p",
                          static_cast<const void *>(bytes_ + std::stoul(text.substr(at + 1))));
            text.replace(at, end - at + 1, address);
        }
        return text;
    }
    unsigned char bytes_[20] = {'A', 'z', '0', ' ', 0xff, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10,
                                11,  'q', 'R', 200, 13};
};

TEST_F(DumpTest, DumpsLongerThanTheOutputBufferStayWhole) {
    // 20,000 bytes make some 80 KB of hex lines, more than the output gathers at once.
    const std::vector<unsigned char> zeros(20000);
    auto lines_of_dump = [](const unsigned char *bytes, unsigned long count) {
        orvtest::CapturedStdout out;
        tr_mem("src/f.c", 7, tr_HIGH, bytes, count, tr_FORMAT_HEX, "big");
        return orvtest::lines_of(out.finish());
    };
    const std::vector<std::string> one = lines_of_dump(zeros.data(), 16);
    const std::vector<std::string> all = lines_of_dump(zeros.data(), zeros.size());
    ASSERT_EQ(all.size(), one.size() + 1249);
    const std::string row = one.back().substr(one.back().find(':'));
    for (std::size_t i = one.size() - 1; i < all.size(); ++i)
        ASSERT_EQ(all[i].substr(all[i].find(':')), row) << i;
}

TEST_F(DumpTest, LayoutsByteForByte) {
    const std::string hex16 = "41 7a 30 20 ff 01 02 03 04 05 06 07 08 09 0a 0b ";
    const struct { unsigned long count; int format; std::string text; } cases[] = {
        {20, tr_FORMAT_HEX, "\n{0}: " + hex16 + "\n{16}: 71 52 c8 0d "},
        {17, tr_FORMAT_HEX, "\n{0}: " + hex16 + "71 "},
        {1, tr_FORMAT_HEX, "41 "},
        {0, tr_FORMAT_HEX, ""},
        {3, tr_FORMAT_DECIMAL, "\n{0}:  65 122  48 "},
        {20, tr_FORMAT_ASCII, "\n{0}: " + hex16 + "  Az..............\n{16}: 71 52 c8 0d " +
                                  std::string(36, ' ') + "  qR.."},
    };
    for (const auto &c : cases) {
        const std::string head = "[f.c,7] msg 1\n(Dumping " + std::to_string(c.count) + " byte" +
                                 (c.count == 1 ? "" : "s") + " starting at address {0})";
        EXPECT_EQ(dump(c.count, c.format), expand(head + c.text + "\n")) << c.format << c.count;
    }
}

TEST_F(DumpTest, FilteredUnknownAndCallBackForms) {
    EXPECT_EQ(dump(20, tr_FORMAT_HEX, tr_MID), "");
    EXPECT_THAT(dump(1, tr_FORMAT_HEX, 5), ::testing::StartsWith("ALERT [f.c,7]  The next message was produced with a level of 5\n[f.c,7] msg 1\n"));
    const std::string unknown = dump(2, 7);
    EXPECT_THAT(unknown, HasSubstr("Programmer passed unknown format (7) to tr_mem() call at "
                                   "[f.c,7].  Dumping in tr_FORMAT_ASCII format.\n"));
    EXPECT_THAT(unknown, HasSubstr(expand("\n{0}: 41 7a " + std::string(42, ' ') + "  Az\n")));
    capture_.start();
    tr_mem("f.c", 7, tr_HIGH, bytes_, 20, tr_FORMAT_HEX, "msg");
    tr_mem("f.c", 8, tr_HIGH, nullptr, 4, tr_FORMAT_HEX, "none");
    tr_mem("f.c", 9, tr_HIGH, bytes_, 4, tr_FORMAT_HEX, nullptr);
    EXPECT_THAT(capture_.traces(), ElementsAre("[f.c,7] msg", "[f.c,9] NULL Message passed to tr_mem"));
    EXPECT_THAT(capture_.errors(), ElementsAre(HasSubstr("with a NULL address and 4 bytes")));
}

}  // namespace

namespace {

// The chooser reads the console, so each case runs in a child process.
TEST(TraceLevelChooser, ChoiceSetsBothLevelsAndQuitKeepsThem) {
    const struct { const char *typed; const char *levels; } cases[] = {
        {"l\n", "0 tr_LOW tr_LOW Trace (tr_LOW)"},
        {"q\n", "0 tr_HIGH tr_LOW Trace (tr_HIGH)"},
        {"\n", "0 tr_HIGH tr_HIGH Trace (tr_HIGH)"},
    };
    for (const auto &c : cases) {
        const auto run = orvtest::run_in_child(c.typed, [] {
            orv_tr_testing_reset();
            const int chosen = tr_menu_choose_trace_level();
            std::printf("\n=> %d %s %s %s\n", chosen, tr_level_to_string(tr_current_trace_level()),
                        tr_level_to_string(tr_current_warning_level()),
                        tr_menu_format_trace_entry());
        });
        EXPECT_THAT(run.out, HasSubstr(std::string("=> ") + c.levels + "\n")) << c.typed;
        EXPECT_THAT(run.out, HasSubstr("Choose a trace level"));
        EXPECT_THAT(run.out, HasSubstr("a, [h], m, l, n, q"));
        for (const char *entry : {"tr_APP  - Application", "tr_HIGH - High", "tr_MID  - Medium", "tr_LOW  - Low",
                                  "tr_NONE - No tracing", "Quit    - Don't change"})
            EXPECT_THAT(run.out, HasSubstr(entry));
    }
}

}  // namespace

// The trace facility: line formats and prefixes through the call-back and on
// standard output, level filtering and alerts, the level setters, errors with
// their handler, and the call-back's 8,192-character cut.
#include <ORVCommonKit/tr.h>

#include "support/orv_test_support.h"
#include "trace/tr_testing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

using orvtest::CapturedStdout;
using orvtest::ScopedEnv;
using ::testing::ElementsAre;
using ::testing::MatchesRegex;
using ::testing::Pair;

namespace {

// 20170304 13:45:12,345 in UTC, a Saturday.
constexpr long long kFixedSeconds = 1488635112;
constexpr long kFixedNanos = 345678901;
const std::string kStamp = "20170304 13:45:12,345";

std::vector<std::pair<std::string, int>> g_received;
void collect(const char *text, int kind) { g_received.emplace_back(text, kind); }

struct HandlerCall {
    int inform;
    std::string title, module, message;
    bool null_title, null_module;
};
std::vector<HandlerCall> g_handled;
void handler(int inform, const char *title, const char *module, const char *message) {
    g_handled.push_back({inform, title ? title : "", module ? module : "", message, !title,
                         !module});
}

std::string tid_tag() {
    char tag[32];
    std::snprintf(tag, sizeof tag, " <TID=%04d>", static_cast<int>(gettid()));
    return tag;
}

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        orv_tr_testing_reset();
        tzset();
        orv_tr_testing_fix_clock(kFixedSeconds, kFixedNanos);
        g_received.clear();
        g_handled.clear();
    }
    void TearDown() override { orv_tr_testing_reset(); }

    ScopedEnv tz_{"TZ", "UTC0"};
};

// The same tests in call-back mode.
class TraceCallBackTest : public TraceTest {
protected:
    void SetUp() override {
        TraceTest::SetUp();
        tr_init_with_call_back(collect);
    }
};

void error_va_helper(const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    tr_error_va("va.c", 7, tr_INFORM_USER, "VA", "mod", fmt, args, "first %d;", 1);
    va_end(args);
}

TEST_F(TraceTest, LevelWordsAndNames) {
    const std::pair<int, const char *> names[] = {{tr_LOW, "tr_LOW"}, {tr_MID, "tr_MID"}, {tr_HIGH, "tr_HIGH"},
                                                  {tr_APP, "tr_APP"}, {tr_NONE, "tr_NONE"}, {99, "UNKNOWN"},
                                                  {105, "UNKNOWN"}};
    for (const auto &[level, name] : names) EXPECT_STREQ(tr_level_to_string(level), name) << level;
    const std::pair<const char *, int> words[] = {
        {"none", tr_NONE}, {"TR_none", tr_NONE}, {"Low", tr_LOW}, {"tr_LOW", tr_LOW}, {"MID", tr_MID},
        {"medium", tr_MID}, {"tr_mid", tr_MID}, {"App", tr_APP}, {"tr_APP", tr_APP}, {"High", tr_HIGH},
        {"bogus", tr_HIGH}, {"", tr_HIGH}, {nullptr, tr_HIGH}};
    for (const auto &[word, level] : words) EXPECT_EQ(tr_level_from_string(word), level) << (word ? word : "null");
}

TEST_F(TraceTest, StartsUninitializedWithHighTracesAndLowWarnings) {
    EXPECT_EQ(tr_is_initialized(), 0);
    EXPECT_EQ(tr_current_trace_level(), tr_HIGH);
    EXPECT_EQ(tr_current_warning_level(), tr_LOW);
    EXPECT_EQ(tr_init_with_call_back(collect), 0);
    EXPECT_EQ(tr_is_initialized(), 1);
}

TEST_F(TraceCallBackTest, TraceLineCarriesFileLineAndTimeStamp) {
    tr_trace("cf.c", 1234, tr_HIGH, "Loading table %s", "site");
    tr_trace("cf.c", 1235, tr_MID, "filtered");
    tr_trace("C:\\src\\lib\\cf.c", 9, tr_APP, "backslash");
    tr_trace("/work/src/cf.c", 9, tr_APP, "slash");
    tr_trace(nullptr, 9, tr_APP, "no file");
    EXPECT_THAT(g_received,
                ElementsAre(Pair("[cf.c,1234 " + kStamp + "] Loading table site", tr_KIND_MESSAGE),
                            Pair("[cf.c,9 " + kStamp + "] backslash", tr_KIND_MESSAGE),
                            Pair("[cf.c,9 " + kStamp + "] slash", tr_KIND_MESSAGE),
                            Pair("[<unknown filename>,9 " + kStamp + "] no file",
                                 tr_KIND_MESSAGE)));
}

TEST_F(TraceCallBackTest, EveryPrefixWithThreadTag) {
    tr_option_enable_print_thread_id(1);
    const std::string tag = tid_tag();
    tr_trace("f.c", 10, tr_HIGH, "t");
    tr_warning("f.c", 11, tr_LOW, "w");
    tr_error("f.c", 12, tr_INFORM_PROGRAMMER, "X", "ORVCommonKit", "e");
    tr_msg("f.c", 13, "plain");
    tr_tracep("f.c", 14, tr_HIGH, 0xdeadbeefUL, "p");
    EXPECT_THAT(
        g_received,
        ElementsAre(Pair("[f.c,10 " + kStamp + tag + "] t", tr_KIND_MESSAGE),
                    Pair("WARNING [f.c,11 " + kStamp + tag + "] w", tr_KIND_WARNING),
                    Pair("ERROR AT [f.c,12] ON " + kStamp + tag +
                             " IN 'ORVCommonKit' INFORM 'programmer' TITLE 'X': e",
                         tr_KIND_ERROR),
                    Pair("[f.c,13]  plain", tr_KIND_MESSAGE),
                    Pair("[0xdeadbeef,f.c,14] p", tr_KIND_MESSAGE)));
}

TEST_F(TraceCallBackTest, WithoutTagsOnlyWarningsAndErrorsKeepTheirPrefix) {
    tr_set_message_tag_display(0);
    tr_trace("f.c", 10, tr_HIGH, "t");
    tr_warning("f.c", 11, tr_LOW, "w");
    tr_msg("f.c", 13, "plain");
    tr_tracep("f.c", 14, tr_HIGH, 1, "p");
    tr_error("f.c", 12, tr_INFORM_LOG, "X", "m", "e");
    EXPECT_THAT(g_received,
                ElementsAre(Pair("t", tr_KIND_MESSAGE),
                            Pair("WARNING [f.c,11 " + kStamp + "] w", tr_KIND_WARNING),
                            Pair("plain", tr_KIND_MESSAGE), Pair("p", tr_KIND_MESSAGE),
                            Pair("ERROR AT [f.c,12] ON " + kStamp +
                                     " IN 'm' INFORM 'log' TITLE 'X': e",
                                 tr_KIND_ERROR)));
}

TEST_F(TraceCallBackTest, ErrorInformWordsAndMissingTexts) {
    tr_error("f.c", 1, tr_INFORM_USER, "T", "m", "u");
    tr_error("f.c", 2, 205, "T", "m", "odd");
    tr_error("f.c", 3, tr_INFORM_LOG, nullptr, nullptr, nullptr);
    tr_sys_error("f.c", 4, ENOENT, tr_INFORM_LOG, nullptr, "m", "sys %d", 5);
    const std::string on = "] ON " + kStamp;
    EXPECT_THAT(g_received,
                ElementsAre(Pair("ERROR AT [f.c,1" + on + " IN 'm' INFORM 'user' TITLE 'T': u",
                                 tr_KIND_ERROR),
                            Pair("ERROR AT [f.c,2" + on + " IN 'm' INFORM <unknown 205> TITLE 'T': odd",
                                 tr_KIND_ERROR),
                            Pair("ERROR AT [f.c,3" + on +
                                     " IN '<unknown module>' INFORM 'log' TITLE 'Generic Error': "
                                     "NULL Message passed to tr_error",
                                 tr_KIND_ERROR),
                            // No error text and the plain generic title in call-back mode.
                            Pair("ERROR AT [f.c,4" + on +
                                     " IN 'm' INFORM 'log' TITLE 'Generic Error': sys 5",
                                 tr_KIND_ERROR)));
}

TEST_F(TraceCallBackTest, NullFormatsNameTheCall) {
    tr_set_message_tag_display(0);
    tr_trace("f.c", 1, tr_HIGH, nullptr);
    tr_tracep("f.c", 1, tr_HIGH, 0, nullptr);
    tr_msg("f.c", 1, nullptr);
    tr_warning("f.c", 1, tr_HIGH, nullptr);
    tr_sys_error("f.c", 1, 0, tr_INFORM_LOG, "T", "m", nullptr);
    ASSERT_EQ(g_received.size(), 5u);
    EXPECT_EQ(g_received[0].first, "NULL Message passed to tr_trace");
    EXPECT_EQ(g_received[1].first, "NULL Message passed to tr_tracep");
    EXPECT_EQ(g_received[2].first, "NULL Message passed to tr_msg");
    EXPECT_THAT(g_received[3].first, ::testing::EndsWith("] NULL Message passed to tr_warning"));
    EXPECT_THAT(g_received[4].first, ::testing::EndsWith(": NULL Message passed to tr_sys_error"));
}

TEST_F(TraceCallBackTest, LevelsOutsideTheRangeGetAnAlertFirst) {
    tr_trace("f.c", 10, 5, "low five");
    tr_warning("f.c", 11, tr_NONE, "as a level");
    EXPECT_THAT(
        g_received,
        ElementsAre(
            Pair("ALERT [f.c,10] The next message was produced with a level of 5\n",
                 tr_KIND_MESSAGE),
            Pair("[f.c,10 " + kStamp + "] low five", tr_KIND_MESSAGE),
            Pair("ALERT [f.c,11] The next message was produced with a level of 104\n",
                 tr_KIND_MESSAGE),
            Pair("WARNING [f.c,11 " + kStamp + "] as a level", tr_KIND_WARNING)));
    // Without tags the alert is empty.
    g_received.clear();
    tr_set_message_tag_display(0);
    tr_trace("f.c", 10, 5, "five");
    EXPECT_THAT(g_received, ElementsAre(Pair("", tr_KIND_MESSAGE), Pair("five", tr_KIND_MESSAGE)));
}

TEST_F(TraceCallBackTest, FilteredTraceFormatsNothing) {
    // An argument that would crash if the format were ever applied.
    const char *poison = reinterpret_cast<const char *>(16);
    tr_trace("f.c", 10, tr_LOW, "%s", poison);
    tr_tracep("f.c", 10, tr_MID, 0, "%s", poison);
    tr_ignore_warnings_below_level_quietly(tr_APP);
    tr_warning("f.c", 10, tr_HIGH, "%s", poison);
    ASSERT_EQ(g_received.size(), 1u);  // the level notice only
    // Threshold none drops even levels below the range.
    tr_ignore_traces_below_level_quietly(tr_NONE);
    tr_ignore_warnings_below_level_quietly(tr_NONE);
    g_received.clear();
    tr_trace("f.c", 10, 5, "five");
    tr_trace("f.c", 10, tr_APP, "app");
    tr_warning("f.c", 10, 5, "five");
    EXPECT_TRUE(g_received.empty());
}

TEST_F(TraceCallBackTest, LevelNoticesNameTheNewLevel) {
    tr_ignore_traces_below_level(tr_MID);
    tr_ignore_warnings_below_level_quietly(tr_APP);
    tr_ignore_traces_below_level(tr_NONE);
    tr_ignore_traces_below_level(tr_NONE);  // 104 to 104: no notice
    tr_set_message_tag_display(0);
    tr_ignore_traces_below_level(tr_LOW);
    ASSERT_EQ(g_received.size(), 4u);
    EXPECT_THAT(g_received[0].first,
                MatchesRegex("\\[tr_api\\.cpp,[0-9]+\\]  Trace level has been set to tr_MID\\."));
    EXPECT_THAT(g_received[1].first,
                MatchesRegex("\\[tr_api\\.cpp,[0-9]+\\]  Warning level has been set to tr_APP\\."));
    EXPECT_THAT(g_received[2].first, ::testing::EndsWith("Trace level has been set to tr_NONE."));
    EXPECT_EQ(g_received[3], std::make_pair(std::string(), static_cast<int>(tr_KIND_MESSAGE)));
    EXPECT_EQ(tr_current_trace_level(), tr_LOW);
    EXPECT_EQ(tr_current_warning_level(), tr_APP);
}

TEST_F(TraceCallBackTest, LevelOutsideTheRangeIsRefusedWithAnError) {
    tr_ignore_traces_below_level(99);
    tr_ignore_warnings_below_level_quietly(105);
    EXPECT_EQ(tr_current_trace_level(), tr_HIGH);
    EXPECT_EQ(tr_current_warning_level(), tr_LOW);
    ASSERT_EQ(g_received.size(), 2u);
    EXPECT_THAT(g_received[0].first,
                MatchesRegex("ERROR AT \\[tr_api\\.cpp,[0-9]+\\] ON " + kStamp +
                             " IN 'ORVCommonKit' INFORM 'programmer' TITLE 'INVALID PARAMETER': "
                             "tr_ignore_traces_below_level\\(\\) was called with a trace level of "
                             "99, which is outside the valid range of 100 to 104 inclusive\\.  "
                             "Trace level remains at tr_HIGH\\."));
    EXPECT_THAT(g_received[1].first,
                ::testing::EndsWith("tr_ignore_warnings_below_level_quietly() was called with a "
                                    "trace level of 105, which is outside the valid range of 100 "
                                    "to 104 inclusive.  Warning level remains at tr_LOW."));
}

TEST_F(TraceCallBackTest, DateLineNamesDayAndMonth) {
    tr_time_stamp();
    tr_set_message_tag_display(0);
    tr_time_stamp();
    ASSERT_EQ(g_received.size(), 2u);
    EXPECT_THAT(g_received[0].first,
                MatchesRegex("\\[tr_api\\.cpp,[0-9]+\\]  \\*\\* Time of this message: "
                             "Sat Mar 04 2017 13:45:12\n"));
    EXPECT_EQ(g_received[1].first, "");
}

TEST_F(TraceCallBackTest, TimeStampFollowsTheClockWithinAndAcrossSecondsUpToYear9999) {
    const std::pair<long long, long> clocks[] = {
        {kFixedSeconds, 7000000}, {kFixedSeconds + 3600 * 24 * 365, 999999999}, {300000000000LL, 0}};
    for (const auto &[seconds, nanos] : clocks) {
        orv_tr_testing_fix_clock(seconds, nanos);
        tr_trace("f.c", 1, tr_HIGH, "m");
    }
    EXPECT_THAT(g_received, ElementsAre(Pair("[f.c,1 20170304 13:45:12,007] m", tr_KIND_MESSAGE),
                                        Pair("[f.c,1 20180304 13:45:12,999] m", tr_KIND_MESSAGE),
                                        Pair("[f.c,1 UNKNOWN] m", tr_KIND_MESSAGE)));
}

TEST_F(TraceCallBackTest, ComposedTextIsCutAt8192Characters) {
    const std::string big(10000, 'x');
    tr_set_message_tag_display(0);
    tr_trace("f.c", 1, tr_HIGH, "%s", big.c_str());
    tr_set_message_tag_display(1);
    tr_msg("f.c", 1, "%s", big.c_str());
    error_va_helper("%s", big.c_str());
    ASSERT_EQ(g_received.size(), 4u);
    EXPECT_EQ(g_received[0].first, big.substr(0, 8192));
    EXPECT_EQ(g_received[1].first, "[f.c,1]  " + big.substr(0, 8192 - 9));
    EXPECT_EQ(g_received[3].first, big.substr(0, 8192));
}

TEST_F(TraceCallBackTest, ErrorVaCallsTheCallBackTwiceAndNoHandler) {
    tr_set_error_handler(handler);
    error_va_helper("second %s", "text");
    tr_error("f.c", 1, tr_INFORM_LOG, "T", "m", "plain");
    EXPECT_THAT(g_received,
                ElementsAre(Pair("ERROR AT [va.c,7] ON " + kStamp +
                                     " IN 'mod' INFORM 'user' TITLE 'VA': first 1;",
                                 tr_KIND_ERROR),
                            Pair("second text", tr_KIND_ERROR), ::testing::_));
    EXPECT_TRUE(g_handled.empty());
}

// Standard output before any start: the same prefixes, one flushed line each.
TEST_F(TraceTest, StandardOutputBeforeAnyStart) {
    CapturedStdout out;
    tr_trace("f.c", 10, tr_HIGH, "trace %d", 1);
    tr_trace("f.c", 10, tr_MID, "dropped");
    tr_trace("f.c", 11, 99, "ninety-nine");
    tr_warning("f.c", 12, tr_LOW, "warn");
    tr_msg("f.c", 13, "msg");
    tr_tracep("f.c", 14, tr_HIGH, 0x10UL, "ptr");
    tr_error("f.c", 15, tr_INFORM_LOG, "T", "m", "err");
    tr_time_stamp();  // only into an open trace file
    tr_ignore_traces_below_level(tr_LOW);  // the notice too
    EXPECT_EQ(out.finish(),
              "[f.c,10 " + kStamp + "] trace 1\n"
              "ALERT [f.c,11]  The next message was produced with a level of 99\n"
              "[f.c,11 " + kStamp + "] ninety-nine\n"
              "WARNING [f.c,12 " + kStamp + "] warn\n"
              "[f.c,13]  msg\n"
              "[0x10,f.c,14] ptr\n"
              "ERROR AT [f.c,15] ON " + kStamp + " IN 'm' INFORM 'log' TITLE 'T': err\n");
}

TEST_F(TraceTest, ErrorHandlerGetsTheMessageAndTheCallersTexts) {
    tr_set_error_handler(handler);
    CapturedStdout out;
    tr_error("f.c", 1, tr_INFORM_PROGRAMMER, nullptr, nullptr, "count %d of %s", 3, "x");
    tr_sys_error("f.c", 2, ENOENT, tr_INFORM_LOG, nullptr, "m", "open %s", "a.txt");
    error_va_helper("tail %d", 9);
    const std::string text = out.finish();
    EXPECT_EQ(text,
              "ERROR AT [f.c,1] ON " + kStamp +
                  " IN '<unknown module>' INFORM 'programmer' TITLE 'Generic Error': count 3 of x\n"
                  "ERROR AT [f.c,2] ON " + kStamp +
                  " IN 'm' INFORM 'log' TITLE 'Generic System Error': open a.txt  (No such file "
                  "or directory)\n"
                  "ERROR AT [va.c,7] ON " + kStamp +
                  " IN 'mod' INFORM 'user' TITLE 'VA': first 1;tail 9\n");
    ASSERT_EQ(g_handled.size(), 3u);
    EXPECT_EQ(g_handled[0].inform, tr_INFORM_PROGRAMMER);
    EXPECT_TRUE(g_handled[0].null_title);
    EXPECT_TRUE(g_handled[0].null_module);
    EXPECT_EQ(g_handled[0].message, "count 3 of x");
    EXPECT_TRUE(g_handled[1].null_title);
    EXPECT_EQ(g_handled[1].module, "m");
    EXPECT_EQ(g_handled[1].message, "open a.txt  (No such file or directory)");
    EXPECT_EQ(g_handled[2].title, "VA");
    EXPECT_EQ(g_handled[2].message, "first 1;");

    tr_set_error_handler(nullptr);
    CapturedStdout again;
    tr_error("f.c", 1, tr_INFORM_LOG, "T", "m", "no handler");
    again.finish();
    EXPECT_EQ(g_handled.size(), 3u);
}

TEST_F(TraceTest, NoDateLinesOnStandardOutput) {
    tr_set_time_log_interval(2);
    CapturedStdout out;
    for (int i = 0; i < 5; ++i) tr_trace("f.c", i, tr_HIGH, "m");
    EXPECT_EQ(orvtest::lines_of(out.finish()).size(), 5u);
}

}  // namespace

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
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <regex>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

using orvtest::CapturedStdout;
using ::testing::EndsWith;

namespace {

// 20170304 13:45:12,345 in UTC, a Saturday.
constexpr long long kFixedSeconds = 1488635112;
const std::string kStamp = "20170304 13:45:12,345";
constexpr int M = tr_KIND_MESSAGE, W = tr_KIND_WARNING, E = tr_KIND_ERROR;
using Received = std::vector<std::pair<std::string, int>>;

// The lines received, the line numbers of the facility's own notices shown as
// "#": they move whenever its source does.
Received g_received;
void collect(const char *text, int kind) {
    g_received.emplace_back(std::regex_replace(text, std::regex("tr_api\\.cpp,[0-9]+"), "tr_api.cpp,#"), kind);
}

// Each call of the error handler as "inform|title|module|message", a null
// text shown as "-".
std::vector<std::string> g_handled;
void handler(int inform, const char *title, const char *module, const char *message) {
    g_handled.push_back(std::to_string(inform) + "|" + (title ? title : "-") + "|" + (module ? module : "-") + "|" +
                        message);
}

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override {
        orv_tr_testing_reset();
        tzset();
        orv_tr_testing_fix_clock(kFixedSeconds, 345678901);
        g_received.clear();
        g_handled.clear();
    }
    void TearDown() override { orv_tr_testing_reset(); }

    orvtest::ScopedEnv tz_{"TZ", "UTC0"};
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

TEST_F(TraceTest, LevelWordsNamesAndTheStartingState) {
    const std::pair<int, const char *> names[] = {{tr_LOW, "tr_LOW"}, {tr_MID, "tr_MID"}, {tr_HIGH, "tr_HIGH"},
                                                  {tr_APP, "tr_APP"}, {tr_NONE, "tr_NONE"}, {99, "UNKNOWN"},
                                                  {105, "UNKNOWN"}};
    for (const auto &[level, name] : names) EXPECT_STREQ(tr_level_to_string(level), name) << level;
    const std::pair<const char *, int> words[] = {
        {"none", tr_NONE}, {"TR_none", tr_NONE}, {"Low", tr_LOW}, {"tr_LOW", tr_LOW}, {"MID", tr_MID},
        {"medium", tr_MID}, {"tr_mid", tr_MID}, {"App", tr_APP}, {"tr_APP", tr_APP}, {"High", tr_HIGH},
        {"bogus", tr_HIGH}, {"", tr_HIGH}, {nullptr, tr_HIGH}};
    for (const auto &[word, level] : words) EXPECT_EQ(tr_level_from_string(word), level) << (word ? word : "null");
    EXPECT_EQ(tr_is_initialized(), 0);
    EXPECT_EQ(tr_current_trace_level(), tr_HIGH);
    EXPECT_EQ(tr_current_warning_level(), tr_LOW);
    EXPECT_EQ(tr_init_with_call_back(collect), 0);
    EXPECT_EQ(tr_is_initialized(), 1);
}

TEST_F(TraceCallBackTest, EveryLineCarriesItsPrefixKindAndThreadTag) {
    tr_trace("cf.c", 1234, tr_HIGH, "Loading table %s", "site");
    tr_trace("cf.c", 1235, tr_MID, "filtered");
    tr_trace("C:\\src\\lib\\cf.c", 9, tr_APP, "backslash");
    tr_trace("/work/src/cf.c", 9, tr_APP, "slash");
    tr_trace(nullptr, 9, tr_APP, "no file");
    tr_option_enable_print_thread_id(1);
    char tag[32];
    std::snprintf(tag, sizeof tag, " <TID=%04d>", static_cast<int>(gettid()));
    tr_trace("f.c", 10, tr_HIGH, "t");
    tr_warning("f.c", 11, tr_LOW, "w");
    tr_error("f.c", 12, tr_INFORM_PROGRAMMER, "X", "ORVCommonKit", "e");
    tr_msg("f.c", 13, "plain");
    tr_tracep("f.c", 14, tr_HIGH, 0xdeadbeefUL, "p");
    EXPECT_EQ(g_received, (Received{{"[cf.c,1234 " + kStamp + "] Loading table site", M},
                                    {"[cf.c,9 " + kStamp + "] backslash", M},
                                    {"[cf.c,9 " + kStamp + "] slash", M},
                                    {"[<unknown filename>,9 " + kStamp + "] no file", M},
                                    {"[f.c,10 " + kStamp + tag + "] t", M},
                                    {"WARNING [f.c,11 " + kStamp + tag + "] w", W},
                                    {"ERROR AT [f.c,12] ON " + kStamp + tag +
                                         " IN 'ORVCommonKit' INFORM 'programmer' TITLE 'X': e", E},
                                    {"[f.c,13]  plain", M},
                                    {"[0xdeadbeef,f.c,14] p", M}}));
}

// The file name is cut to leave room for the longest line number.
TEST_F(TraceCallBackTest, LongFileNamesAreCutAndNegativeLinesKeepTheirSign) {
    tr_trace(std::string(600, 'n').c_str(), INT_MIN, tr_HIGH, "long");
    tr_trace("f.c", -5, tr_HIGH, "negative");
    ASSERT_EQ(g_received.size(), 2u);
    EXPECT_THAT(g_received[0].first, ::testing::StartsWith("[nnnnnnnnnnnnnnnn"));
    EXPECT_THAT(g_received[0].first, EndsWith("n,-2147483648 " + kStamp + "] long"));
    EXPECT_EQ(g_received[1].first, "[f.c,-5 " + kStamp + "] negative");
}

TEST_F(TraceCallBackTest, WithoutTagsOnlyWarningsAndErrorsKeepTheirPrefixAndNullFormatsNameTheCall) {
    tr_set_message_tag_display(0);
    tr_trace("f.c", 10, tr_HIGH, "t");
    tr_warning("f.c", 11, tr_LOW, "w");
    tr_msg("f.c", 13, "plain");
    tr_tracep("f.c", 14, tr_HIGH, 1, "p");
    tr_error("f.c", 12, tr_INFORM_LOG, "X", "m", "e");
    tr_trace("f.c", 1, tr_HIGH, nullptr);
    tr_tracep("f.c", 1, tr_HIGH, 0, nullptr);
    tr_msg("f.c", 1, nullptr);
    tr_warning("f.c", 1, tr_HIGH, nullptr);
    tr_sys_error("f.c", 1, 0, tr_INFORM_LOG, "T", "m", nullptr);
    EXPECT_EQ(g_received, (Received{{"t", M},
                                    {"WARNING [f.c,11 " + kStamp + "] w", W},
                                    {"plain", M},
                                    {"p", M},
                                    {"ERROR AT [f.c,12] ON " + kStamp + " IN 'm' INFORM 'log' TITLE 'X': e", E},
                                    {"NULL Message passed to tr_trace", M},
                                    {"NULL Message passed to tr_tracep", M},
                                    {"NULL Message passed to tr_msg", M},
                                    {"WARNING [f.c,1 " + kStamp + "] NULL Message passed to tr_warning", W},
                                    {"ERROR AT [f.c,1] ON " + kStamp +
                                         " IN 'm' INFORM 'log' TITLE 'T': NULL Message passed to tr_sys_error", E}}));
}

TEST_F(TraceCallBackTest, ErrorInformWordsAndMissingTexts) {
    tr_error("f.c", 1, tr_INFORM_USER, "T", "m", "u");
    tr_error("f.c", 2, 205, "T", "m", "odd");
    tr_error("f.c", 3, tr_INFORM_LOG, nullptr, nullptr, nullptr);
    tr_sys_error("f.c", 4, ENOENT, tr_INFORM_LOG, nullptr, "m", "sys %d", 5);
    const std::string on = "] ON " + kStamp;
    EXPECT_EQ(g_received,
              (Received{{"ERROR AT [f.c,1" + on + " IN 'm' INFORM 'user' TITLE 'T': u", E},
                        {"ERROR AT [f.c,2" + on + " IN 'm' INFORM <unknown 205> TITLE 'T': odd", E},
                        {"ERROR AT [f.c,3" + on + " IN '<unknown module>' INFORM 'log' TITLE 'Generic Error': "
                                                  "NULL Message passed to tr_error", E},
                        // No error text and the plain generic title in call-back mode.
                        {"ERROR AT [f.c,4" + on + " IN 'm' INFORM 'log' TITLE 'Generic Error': sys 5", E}}));
}

TEST_F(TraceCallBackTest, LevelsOutsideTheRangeGetAnAlertFirst) {
    tr_trace("f.c", 10, 5, "low five");
    tr_warning("f.c", 11, tr_NONE, "as a level");
    tr_set_message_tag_display(0);
    tr_trace("f.c", 10, 5, "five");  // without tags the alert is empty
    EXPECT_EQ(g_received, (Received{{"ALERT [f.c,10] The next message was produced with a level of 5\n", M},
                                    {"[f.c,10 " + kStamp + "] low five", M},
                                    {"ALERT [f.c,11] The next message was produced with a level of 104\n", M},
                                    {"WARNING [f.c,11 " + kStamp + "] as a level", W},
                                    {"", M},
                                    {"five", M}}));
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

TEST_F(TraceCallBackTest, LevelNoticesNameTheNewLevelAndLevelsOutsideTheRangeAreRefused) {
    tr_ignore_traces_below_level(tr_MID);
    tr_ignore_warnings_below_level_quietly(tr_APP);
    tr_ignore_traces_below_level(tr_NONE);
    EXPECT_EQ(g_received.size(), 3u) << "the change to tr_NONE is announced";
    tr_ignore_traces_below_level(tr_NONE);
    EXPECT_EQ(g_received.size(), 3u) << "from tr_NONE to tr_NONE is not";
    tr_ignore_traces_below_level(tr_HIGH);
    tr_ignore_traces_below_level(99);
    tr_ignore_warnings_below_level_quietly(105);
    tr_set_message_tag_display(0);
    tr_ignore_traces_below_level(tr_LOW);
    const std::string range = ", which is outside the valid range of 100 to 104 inclusive.  ";
    const std::string refused = "ERROR AT [tr_api.cpp,#] ON " + kStamp + " IN 'ORVCommonKit' INFORM 'programmer' TITLE "
                                "'INVALID PARAMETER': ";
    EXPECT_EQ(g_received, (Received{{"[tr_api.cpp,#]  Trace level has been set to tr_MID.", M},
                                    {"[tr_api.cpp,#]  Warning level has been set to tr_APP.", M},
                                    {"[tr_api.cpp,#]  Trace level has been set to tr_NONE.", M},
                                    {"[tr_api.cpp,#]  Trace level has been set to tr_HIGH.", M},
                                    {refused + "tr_ignore_traces_below_level() was called with a trace level of 99" +
                                         range + "Trace level remains at tr_HIGH.", E},
                                    {refused + "tr_ignore_warnings_below_level_quietly() was called with a trace "
                                               "level of 105" + range + "Warning level remains at tr_APP.", E},
                                    {"", M}}));
    EXPECT_EQ(tr_current_trace_level(), tr_LOW);
    EXPECT_EQ(tr_current_warning_level(), tr_APP);
}

TEST_F(TraceCallBackTest, TimeStampsFollowTheClockWithinAndAcrossSecondsUpToYear9999) {
    tr_time_stamp();
    const std::pair<long long, long> clocks[] = {
        {kFixedSeconds, 7000000}, {kFixedSeconds + 3600 * 24 * 365, 999999999}, {253402300799LL, 0}, {300000000000LL, 0}};
    for (const auto &[seconds, nanos] : clocks) {
        orv_tr_testing_fix_clock(seconds, nanos);
        tr_trace("f.c", 1, tr_HIGH, "m");
    }
    tr_set_message_tag_display(0);
    tr_time_stamp();
    EXPECT_EQ(g_received, (Received{{"[tr_api.cpp,#]  ** Time of this message: Sat Mar 04 2017 13:45:12\n", M},
                                    {"[f.c,1 20170304 13:45:12,007] m", M},
                                    {"[f.c,1 20180304 13:45:12,999] m", M},
                                    {"[f.c,1 99991231 23:59:59,000] m", M},
                                    {"[f.c,1 UNKNOWN] m", M},
                                    {"", M}}));
}

// The first part of tr_error_va goes out whole, the second (the caller's
// format) on a line of its own; in call-back mode no handler is called.
TEST_F(TraceCallBackTest, ComposedTextIsCutAt8192CharactersAndErrorVaGivesTwoLines) {
    const std::string big(10000, 'x');
    tr_set_error_handler(handler);
    tr_set_message_tag_display(0);
    tr_trace("f.c", 1, tr_HIGH, "%s", big.c_str());
    tr_set_message_tag_display(1);
    tr_msg("f.c", 1, "%s", big.c_str());
    error_va_helper("%s", big.c_str());
    tr_error("f.c", 1, tr_INFORM_LOG, "T", "m", "plain");
    EXPECT_EQ(g_received, (Received{{big.substr(0, 8192), M},
                                    {"[f.c,1]  " + big.substr(0, 8192 - 9), M},
                                    {"ERROR AT [va.c,7] ON " + kStamp + " IN 'mod' INFORM 'user' TITLE 'VA': first 1;", E},
                                    {big.substr(0, 8192), E},
                                    {"ERROR AT [f.c,1] ON " + kStamp + " IN 'm' INFORM 'log' TITLE 'T': plain", E}}));
    EXPECT_TRUE(g_handled.empty());
}

// Standard output before any start: the same prefixes, one flushed line each,
// and no date lines (errors and alerts there: see the handler and dump tests).
TEST_F(TraceTest, StandardOutputBeforeAnyStart) {
    tr_set_time_log_interval(2);
    CapturedStdout out;
    tr_trace("f.c", 10, tr_HIGH, "trace %d", 1);
    tr_trace("f.c", 10, tr_MID, "dropped");
    tr_warning("f.c", 12, tr_LOW, "warn");
    tr_msg("f.c", 13, "msg");
    tr_tracep("f.c", 14, tr_HIGH, 0x10UL, "ptr");
    tr_time_stamp();  // only into an open trace file
    tr_ignore_traces_below_level(tr_LOW);  // the notice too
    EXPECT_EQ(out.finish(),
              "[f.c,10 " + kStamp + "] trace 1\n"
              "WARNING [f.c,12 " + kStamp + "] warn\n"
              "[f.c,13]  msg\n"
              "[0x10,f.c,14] ptr\n");
}

TEST_F(TraceTest, ErrorHandlerGetsTheMessageAndTheCallersTexts) {
    tr_set_error_handler(handler);
    CapturedStdout out;
    tr_error("f.c", 1, tr_INFORM_PROGRAMMER, nullptr, nullptr, "count %d of %s", 3, "x");
    tr_sys_error("f.c", 2, ENOENT, tr_INFORM_LOG, nullptr, "m", "open %s", "a.txt");
    error_va_helper("tail %d", 9);
    EXPECT_EQ(out.finish(),
              "ERROR AT [f.c,1] ON " + kStamp +
                  " IN '<unknown module>' INFORM 'programmer' TITLE 'Generic Error': count 3 of x\n"
                  "ERROR AT [f.c,2] ON " + kStamp +
                  " IN 'm' INFORM 'log' TITLE 'Generic System Error': open a.txt  (No such file or directory)\n"
                  "ERROR AT [va.c,7] ON " + kStamp + " IN 'mod' INFORM 'user' TITLE 'VA': first 1;tail 9\n");
    EXPECT_EQ(g_handled, (std::vector<std::string>{"201|-|-|count 3 of x",
                                                   "200|-|m|open a.txt  (No such file or directory)",
                                                   "202|VA|mod|first 1;"}));
    tr_set_error_handler(nullptr);
    CapturedStdout again;
    tr_error("f.c", 1, tr_INFORM_LOG, "T", "m", "no handler");
    again.finish();
    EXPECT_EQ(g_handled.size(), 3u);
}

}  // namespace

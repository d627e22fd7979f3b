// Quick timers on an injected tick: elapsed times and rates (across the
// 32-bit wrap too), the "TIMING:" traces and the columns of the timer log.
#include <ORVCommonKit/orvqtimer.h>
#include <ORVCommonKit/tr.h>

#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"
#include "trace/orvqtimer.h"
#include "trace/orvqtimer_testing.h"
#include "trace/tr_testing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>
#include <string>

using ::testing::ElementsAre;
using ::testing::EndsWith;

namespace {

unsigned int g_tick = 0;
unsigned int injected_tick() { return g_tick; }

class QuickTimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        capture_.start();
        tr_ignore_traces_below_level_quietly(tr_LOW);
        orv_qtimer_testing_set_tick(injected_tick);
    }
    void TearDown() override { orv_qtimer_testing_reset(); }
    // A timer started at start and stopped at stop.
    orvqtimer_t measured(unsigned int start, unsigned int stop) {
        orvqtimer_t timer;
        g_tick = start;
        orvqtimer_init(&timer, 1);
        g_tick = stop;
        orvqtimer_stop(&timer);
        return timer;
    }
    orvtest::TempDir dir_;
    orvtest::TraceCapture capture_;
};

TEST_F(QuickTimerTest, ElapsedTimesAndRates) {
    const struct { unsigned int start, stop; float count, seconds, rate; unsigned int full; } cases[] = {
        {1000, 2500, 300, 1.5F, 200, 1},
        {4294967000U, 1204, 300, 1.5F, 200, 1},  // across the wrap of the tick counter
        {7, 7, 300, 0, 0, 0},
        {1, 1000, 999, 0.999F, 1000, 0},  // just under a full second
    };
    for (const auto &c : cases) {
        const orvqtimer_t timer = measured(c.start, c.stop);
        float elapsed = -1, rate = -1;
        orvqtimer_elapsed_and_rate(&timer, c.count, &elapsed, &rate);
        EXPECT_FLOAT_EQ(elapsed, c.seconds) << c.start;
        EXPECT_FLOAT_EQ(rate, c.rate) << c.start;
        EXPECT_FLOAT_EQ(orvqtimer_rate(&timer, c.count), c.rate);
        EXPECT_EQ(orvqtimer_elapsed_full_seconds(&timer), c.full);
        EXPECT_EQ(orvqtimer_elapsed_milliseconds(&timer), c.stop - c.start);
    }
}

TEST_F(QuickTimerTest, StartAndStopTakeEffectOnce) {
    orvqtimer_t timer;
    EXPECT_EQ(orvqtimer_init(&timer, 0), 0);
    EXPECT_EQ(orvqtimer_elapsed_milliseconds(&timer), 0u);
    g_tick = 100;
    orvqtimer_start(&timer);
    g_tick = 400;
    orvqtimer_start(&timer);
    EXPECT_EQ(orvqtimer_elapsed_milliseconds(&timer), 300u);  // running: up to now
    orvqtimer_stop(&timer);
    g_tick = 900;
    orvqtimer_stop(&timer);
    EXPECT_EQ(orvqtimer_elapsed_milliseconds(&timer), 300u);
}

TEST_F(QuickTimerTest, TimerLogColumns) {
    const std::string path = dir_ / "timer.log";
    EXPECT_EQ(orvqtimer_log_set_filename((dir_ / "no/t.log").c_str(), "KB", 0), -1);
    EXPECT_THAT(capture_.errors(), ElementsAre("IN 'ORVCommonKit' INFORM 'log' TITLE 'LOG': Failed "
                                               "to open qtimer log file \"" + dir_ / "no/t.log" + "\"."));
    ASSERT_EQ(orvqtimer_log_set_filename(path.c_str(), "KB", 0), 0);
    const orvqtimer_t timer = measured(1000, 2500);
    orvqtimer_log_elapsed_and_rate("f.c", 5, &timer, "KB", 300, "copy %d", 1);
    // A unit word is cut to eight characters, a null description is empty.
    orvqtimer_log_elapsed_and_rate("f.c", 6, &timer, "kilobytes", 300, "%s",
                                   "a description of forty characters long..");
    orvqtimer_log_elapsed_seconds("f.c", 7, &timer, nullptr);
    orvqtimer_log("plain %d", 2);
    EXPECT_EQ(orvqtimer_log_set_filename("", "KB", 0), 0);
    EXPECT_TRUE(capture_.traced("QuickTimer log file \"" + path + "\" opened OK"));
    EXPECT_TRUE(capture_.traced("Empty filename, closing current timer log file (if any)"));
    orvqtimer_log_elapsed_seconds("f.c", 8, &timer, "closed");
    orvqtimer_log("gone");
    orvqtimer_log_flush();  // no log open: nothing to flush
    EXPECT_EQ(orvtest::read_file(path),
              std::string(90, '-') + "\n"
              "# DESCRIPTION,                       SIZE (KB),          TIME (sec),      RATE (KB/sec)\n"
              "  copy 1,                          300.000,                    1.50,     200.00\n"
              "  a description of forty charac,   300.000 kilobyte,           1.50,     200.00 kilobyte/sec\n"
              "  ,                                       ,                    1.50,\n"
              "plain 2\n");
    EXPECT_THAT(capture_.traces(),
                testing::Contains(EndsWith("] TIMING: copy 1 300.00 KB in 1.50 sec (200.00 KB/sec)")));
    EXPECT_THAT(capture_.traces(), testing::Contains(EndsWith("] TIMING: closed in 1.50 sec")));
}

// The real tick counts milliseconds of the monotonic clock.
TEST(QuickTimerTick, CountsMillisecondsOfTheMonotonicClock) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms = static_cast<unsigned int>(static_cast<unsigned long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000);
    EXPECT_LT(orvtrace::monotonic_tick() - ms, 1000u);  // taken right after, modulo 2^32
}

}  // namespace

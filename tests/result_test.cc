// Result records: the fields each creator fills, writing them as errors,
// warnings and traces (at once with trace in place), chains as text and
// printed, and freeing a whole chain.
#include <ORVCommonKit/orvresult.h>
#include <ORVCommonKit/orvstd.h>
#include <ORVCommonKit/tr.h>

#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"
#include "trace/tr_testing.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::IsEmpty;

namespace {

class ResultTest : public ::testing::Test {
protected:
    void SetUp() override {
        capture_.start();
        orv_tr_testing_fix_clock(1488635112, 0);  // 2017-Mar-04 13:45:12 UTC
        orv_result_enable_trace_in_place(0);
    }
    void TearDown() override { orv_result_enable_trace_in_place(0); }
    orvtest::ScopedEnv tz_{"TZ", "UTC0"};
    orvtest::TraceCapture capture_;
};

TEST_F(ResultTest, CreatorsFillTheirFields) {
    orv_result_t *inner = orv_result_trace("/src/in.c", 3, tr_APP, 30, nullptr, "%s", "t");
    orv_result_t *warn = orv_result_warning("w.c", 2, tr_MID, 20, inner, "%d items", 3);
    orv_result_t *outer = orv_result_error(nullptr, 1, tr_INFORM_USER, "T", nullptr, 10, warn, "e");
    const time_t when = 86400;
    orv_result_t *plain = orv_result_new("n.c", 4, &when, 5, 6, nullptr, "M", 7, nullptr, "%d");
    orv_result_t *made = orv_result_create("c.c", 5, 8, nullptr, nullptr);
    const struct { orv_result_t *r; const char *file, *title, *module, *desc; int line, level, inform, code; time_t time; } rows[] = {
        {outer, "<unknown file>", "T", "<unknown module>", "e", 1, 0, tr_INFORM_USER, 10, 1488635112},
        {warn, "w.c", nullptr, "<unknown module>", "3 items", 2, tr_MID, 0, 20, 1488635112},
        {inner, "/src/in.c", nullptr, "<unknown module>", "t", 3, tr_APP, 0, 30, 1488635112},
        {plain, "n.c", nullptr, "M", "%d", 4, 5, 6, 7, 86400},
        {made, "c.c", "Generic Error", "UnknownModule", "", 5, 0, tr_INFORM_LOG, 8, 1488635112},
    };
    for (const auto &row : rows) {
        EXPECT_STREQ(orv_result_filename(row.r), row.file);
        EXPECT_STREQ(orv_result_title(row.r), row.title);
        EXPECT_STREQ(orv_result_module(row.r), row.module);
        EXPECT_STREQ(orv_result_desc(row.r), row.desc);
        EXPECT_EQ(orv_result_line(row.r), row.line);
        EXPECT_EQ(orv_result_level(row.r), row.level);
        EXPECT_EQ(orv_result_inform(row.r), row.inform);
        EXPECT_EQ(orv_result_code(row.r), row.code);
        EXPECT_EQ(orv_result_time(row.r), row.time);
    }
    EXPECT_EQ(orv_result_cause(outer), warn);
    EXPECT_EQ(orv_result_cause(warn), inner);
    orv_result_free(outer);  // the whole chain: the leak checker of the sanitized build sees it
    orv_result_free(plain);
    orv_result_free(made);
    EXPECT_THAT(capture_.traces(), IsEmpty());
}

TEST_F(ResultTest, LoggingAndTraceInPlace) {
    tr_ignore_warnings_below_level_quietly(tr_HIGH);
    orv_result_t *created = orv_result_create("f.c", 9, 1, nullptr, "%d items", 3);
    EXPECT_THAT(capture_.errors(), IsEmpty());
    orv_result_log(created);
    EXPECT_THAT(capture_.errors(),
                ElementsAre("IN 'UnknownModule' INFORM 'log' TITLE 'Generic Error': 3 items"));
    EXPECT_EQ(orv_result_enable_trace_in_place(1), 0);
    EXPECT_EQ(orv_result_get_trace_in_place(), 1);
    orv_result_t *filtered = orv_result_warning("f.c", 10, tr_MID, 2, nullptr, "low");
    orv_result_t *shown = orv_result_warning("f.c", 11, tr_APP, 2, nullptr, "high");
    orv_result_t *traced = orv_result_trace("f.c", 12, tr_HIGH, 2, nullptr, "%s", "trace");
    orv_result_t *quiet = orv_result_new("f.c", 13, nullptr, tr_APP, 0, nullptr, nullptr, 0,
                                         nullptr, "never");
    ASSERT_NE(filtered, nullptr);
    EXPECT_THAT(capture_.traces(),
                ElementsAre(EndsWith("level has been set to tr_HIGH."),
                            "WARNING [f.c,11 20170304 13:45:12,000] high",
                            "[f.c,12 20170304 13:45:12,000] trace"));
    for (orv_result_t *r : {created, filtered, shown, traced, quiet}) orv_result_free(r);
}

TEST_F(ResultTest, ChainAsTextAndPrinted) {
    orv_result_t *chain = orv_result_create(
        "a.c", 1, -1, orv_result_create("b.c", 2, -2, orv_result_create("c.c", 3, -3, nullptr, "root"), "middle"),
        "top %s", "level");
    const std::string lines = "a.c:1\t-1\ttop level\nb.c:2\t-2\tmiddle\nc.c:3\t-3\troot\n";
    {
        ORVAutoreleasePool *pool = orvstd_create_autorel_pool();
        EXPECT_STREQ(orv_result_time_string(chain), "2017-Mar-04 13:45:12");
        EXPECT_EQ(orv_result_stack_string(chain), "Created on 2017-Mar-04 13:45:12\n" + lines);
        orvstd_destroy_autorel_pool(pool);
    }
    orvtest::CapturedStdout out;
    orv_result_print_stack(stdout, chain);
    EXPECT_EQ(out.finish(), lines);
    testing::internal::CaptureStderr();
    orv_result_print_stack(nullptr, chain);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), testing::StartsWith("Invalid file pointer passed in File: "));
    orv_result_free(chain);
}

}  // namespace

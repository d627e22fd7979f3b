// Cost of the trace facility against its baselines:
//  - a trace below the threshold against an empty call that cannot be inlined;
//  - a trace line into the trace file, flushed per line, against a bare
//    fprintf + fflush loop writing the same line to a file (the facility also
//    checks the file size every 51st line and writes a date line every 50).
// The ratios are printed after the table.
#include <ORVCommonKit/tr.h>

#include <benchmark/benchmark.h>

#include "bench_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

__attribute__((noinline)) void empty_call(const char *file, int line, int level, const char *fmt,
                                          ...) {
    benchmark::DoNotOptimize(file);
    benchmark::DoNotOptimize(line);
    benchmark::DoNotOptimize(level);
    benchmark::DoNotOptimize(fmt);
}

void BM_EmptyCallBaseline(benchmark::State &state) {
    int i = 0;
    for (auto _ : state) empty_call(__FILE__, __LINE__, tr_LOW, "value %d", ++i);
}
BENCHMARK(BM_EmptyCallBaseline);

void BM_TraceBelowThreshold(benchmark::State &state) {
    tr_ignore_traces_below_level_quietly(tr_HIGH);
    int i = 0;
    for (auto _ : state) tr_trace(__FILE__, __LINE__, tr_LOW, "value %d", ++i);
}
BENCHMARK(BM_TraceBelowThreshold);

std::string g_dir;

void BM_FprintfFlushBaseline(benchmark::State &state) {
    const std::string path = g_dir + "/baseline.log";
    std::FILE *file = std::fopen(path.c_str(), "we");
    if (!file) {
        state.SkipWithError("cannot create the baseline file");
        return;
    }
    int i = 0;
    for (auto _ : state) {
        std::fprintf(file, "[%s,%d %s] %s %d\n", "trace_bench.cc", 42, "20170304 13:45:12,345",
                     "Loading table", ++i);
        std::fflush(file);
    }
    std::fclose(file);
}
BENCHMARK(BM_FprintfFlushBaseline);

void BM_TraceToFile(benchmark::State &state) {
    setenv("ORV_LOG_PATH", g_dir.c_str(), 1);
    // tr_term lowers the trace level; keep the file's own low traces out.
    tr_ignore_traces_below_level_quietly(tr_HIGH);
    if (tr_init("tracebench") != 0) {
        state.SkipWithError("tr_init failed");
        return;
    }
    int i = 0;
    for (auto _ : state) tr_trace("trace_bench.cc", 42, tr_HIGH, "%s %d", "Loading table", ++i);
    tr_term();
    tr_ignore_traces_below_level_quietly(tr_HIGH);
}
BENCHMARK(BM_TraceToFile);

// The same line with the size check and the date line turned off: what the
// line itself costs.
void BM_TraceToFileNoChecks(benchmark::State &state) {
    setenv("ORV_LOG_PATH", g_dir.c_str(), 1);
    tr_ignore_traces_below_level_quietly(tr_HIGH);
    if (tr_init("tracebench2") != 0) {
        state.SkipWithError("tr_init failed");
        return;
    }
    tr_set_trace_file_size(0);
    tr_set_time_log_interval(0);
    int i = 0;
    for (auto _ : state) tr_trace("trace_bench.cc", 42, tr_HIGH, "%s %d", "Loading table", ++i);
    tr_term();
    tr_ignore_traces_below_level_quietly(tr_HIGH);
}
BENCHMARK(BM_TraceToFileNoChecks);

void print_ratio(const orvbench::RatioReporter &r, const char *subject, const char *baseline) {
    const double s = r.time_of(subject);
    const double b = r.time_of(baseline);
    if (s <= 0 || b <= 0) return;
    std::printf("CPU time ratio %s / %s = %.2f\n", subject, baseline, s / b);
}

}  // namespace

int main(int argc, char **argv) {
    char templ[] = "/tmp/orvtracebench-XXXXXX";
    if (!mkdtemp(templ)) return 1;
    g_dir = templ;
    benchmark::Initialize(&argc, argv);
    orvbench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print_ratio(reporter, "BM_TraceBelowThreshold", "BM_EmptyCallBaseline");
    print_ratio(reporter, "BM_TraceToFile", "BM_FprintfFlushBaseline");
    print_ratio(reporter, "BM_TraceToFileNoChecks", "BM_FprintfFlushBaseline");
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(g_dir, ignored);
    return 0;
}

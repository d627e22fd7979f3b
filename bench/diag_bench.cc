// Cost of the diagnostics against their baselines (CPU time for the pairs
// that run in this process, wall-clock time against od, which runs in a
// child process):
//  - tr_log of a 100-byte line (flushed at its end, size checked every 50
//    lines) against fprintf + fflush of the same line to a file;
//  - tr_mem of 1 MiB in the hex layout into the trace file against
//    "od -A x -t x1z -v" of the same bytes into a file;
//  - orvqtimer_start + orvqtimer_stop against one bare read of the monotonic
//    clock (a start and a stop need two).
// The ratios are printed after the table.
#include <ORVCommonKit/orvqtimer.h>
#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/trlog.h>

#include <benchmark/benchmark.h>

#include "bench_support.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string g_dir;
const std::string kLine(100, 'x');
constexpr std::size_t kDumpSize = 1 << 20;

void BM_FprintfFlushBaseline(benchmark::State &state) {
    std::FILE *file = std::fopen((g_dir + "/baseline.log").c_str(), "ae");
    if (!file) {
        state.SkipWithError("cannot create the baseline file");
        return;
    }
    for (auto _ : state) {
        std::fprintf(file, "%s\n", kLine.c_str());
        std::fflush(file);
    }
    std::fclose(file);
}
BENCHMARK(BM_FprintfFlushBaseline);

void BM_LogLine(benchmark::State &state) {
    tr_log_t *log = tr_open_log((g_dir + "/bench.log").c_str(), 104857600);
    if (!log) {
        state.SkipWithError("cannot open the log");
        return;
    }
    for (auto _ : state) tr_log(log, "%s", kLine.c_str());
    tr_close_log(log);
}
BENCHMARK(BM_LogLine);

std::vector<unsigned char> dump_bytes() {
    std::vector<unsigned char> bytes(kDumpSize);
    unsigned int seed = 12345;
    for (unsigned char &b : bytes) b = static_cast<unsigned char>((seed = seed * 1103515245 + 12345) >> 16);
    return bytes;
}

void BM_OdBaseline(benchmark::State &state) {
    const std::vector<unsigned char> bytes = dump_bytes();
    const std::string data = g_dir + "/dump.bin";
    std::FILE *file = std::fopen(data.c_str(), "we");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    const std::string command = "od -A x -t x1z -v " + data + " > " + g_dir + "/od.txt";
    for (auto _ : state) orvbench::shell(command);
}
BENCHMARK(BM_OdBaseline)->UseRealTime()->Iterations(20);

void BM_MemHexToFile(benchmark::State &state) {
    const std::vector<unsigned char> bytes = dump_bytes();
    setenv("ORV_LOG_PATH", g_dir.c_str(), 1);
    tr_ignore_traces_below_level_quietly(tr_HIGH);
    if (tr_init("diagbench") != 0) {
        state.SkipWithError("tr_init failed");
        return;
    }
    for (auto _ : state)
        tr_mem("diag_bench.cc", 1, tr_HIGH, bytes.data(), bytes.size(), tr_FORMAT_HEX, "dump");
    tr_term();
}
BENCHMARK(BM_MemHexToFile)->UseRealTime()->Iterations(20);

void BM_ClockReadBaseline(benchmark::State &state) {
    for (auto _ : state) {
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        benchmark::DoNotOptimize(now);
    }
}
BENCHMARK(BM_ClockReadBaseline);

void BM_TimerStartStop(benchmark::State &state) {
    orvqtimer_t timer;
    for (auto _ : state) {
        timer.start = timer.stop = 0;
        orvqtimer_start(&timer);
        orvqtimer_stop(&timer);
        benchmark::DoNotOptimize(timer);
    }
}
BENCHMARK(BM_TimerStartStop);

// Keeps the CPU times (as its base does) and the wall-clock times too.
class BothClocksReporter : public orvbench::RatioReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        wall_.ReportRuns(runs);
        RatioReporter::ReportRuns(runs);
    }
    const orvbench::RatioReporter &wall() const { return wall_; }

private:
    // Only collects: its table goes nowhere.
    struct Silent : orvbench::RatioReporter {
        Silent() : RatioReporter(Clock::wall) { SetOutputStream(&sink); SetErrorStream(&sink); }
        std::ostringstream sink;
    } wall_;
};

void print_ratio(const orvbench::RatioReporter &r, const char *clock, const char *subject,
                 const char *baseline) {
    const double s = r.time_of(subject);
    const double b = r.time_of(baseline);
    if (s <= 0 || b <= 0) return;
    std::printf("%s time ratio %s / %s = %.2f\n", clock, subject, baseline, s / b);
}

}  // namespace

int main(int argc, char **argv) {
    g_dir = orvbench::make_temp_dir("orvdiagbench");
    benchmark::Initialize(&argc, argv);
    BothClocksReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print_ratio(reporter, "CPU", "BM_LogLine", "BM_FprintfFlushBaseline");
    print_ratio(reporter.wall(), "Wall", "BM_MemHexToFile", "BM_OdBaseline");
    print_ratio(reporter, "CPU", "BM_TimerStartStop", "BM_ClockReadBaseline");
    std::printf("CPU time of BM_TimerStartStop: %.1f ns\n", reporter.time_of("BM_TimerStartStop"));
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(g_dir, ignored);
    return 0;
}

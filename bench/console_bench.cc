// Playing back 100,000 answers through input_int (recording off) against the
// plain reading of the same file with fgets and strtol.
#include "bench_support.h"

#include <ORVCommonKit/input.h>

#include "console/input_testing.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr int kLines = 100000;
std::string g_file;
FILE *g_sink = nullptr;  // the engine's prompts and echoes go here

void BM_InputIntPlayback(benchmark::State &state) {
    FILE *terminal = stdout;
    stdout = g_sink;
    long long sum = 0;
    for (auto _ : state) {
        input_playback_from_file(g_file.c_str());
        for (int i = 0; i < kLines; ++i) {
            int value = 0;
            input_int(&value);
            sum += value;
        }
        orv::console::reset_for_testing();
    }
    stdout = terminal;
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_InputIntPlayback)->Unit(benchmark::kMillisecond);

void BM_FgetsStrtolBaseline(benchmark::State &state) {
    long long sum = 0;
    for (auto _ : state) {
        FILE *file = std::fopen(g_file.c_str(), "r");
        char line[161];
        while (std::fgets(line, sizeof line, file)) sum += std::strtol(line, nullptr, 10);
        std::fclose(file);
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_FgetsStrtolBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    orvbench::quiet_trace();
    const std::string dir = orvbench::make_temp_dir("orvconsolebench");
    g_file = dir + "/answers.npt";
    FILE *file = std::fopen(g_file.c_str(), "w");
    for (int i = 0; i < kLines; ++i) std::fprintf(file, "%d\n", (i * 7919) % 100000 - 5000);
    std::fclose(file);
    g_sink = std::fopen("/dev/null", "w");
    benchmark::Initialize(&argc, argv);
    orvbench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double subject = reporter.time_of("BM_InputIntPlayback");
    const double baseline = reporter.time_of("BM_FgetsStrtolBaseline");
    if (subject > 0 && baseline > 0)
        std::printf("CPU time ratio BM_InputIntPlayback / BM_FgetsStrtolBaseline = %.2f\n",
                    subject / baseline);
    benchmark::Shutdown();
    std::fclose(g_sink);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return 0;
}

// What the writers' lock of domain files costs: cf_set of one entry in a
// 5,000-entry file against the lock taken and released alone on the same
// file (the lock's share of a change), and three processes making 200
// changes each to one file against one process making the 600 changes.
#include <ORVCommonKit/ORVCommonKit.h>

#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "config/cf_file_lock.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kEntries = 5000;

const std::string &top() {
    static const std::string dir = orvbench::make_site_installation(kEntries);
    return dir;
}

// One cf_set of the middle entry of 5,000.
void BM_CfSetOneEntryOf5000(benchmark::State &state) {
    top();
    orvbench::set_middle_entry(state);
}
BENCHMARK(BM_CfSetOneEntryOf5000)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The lock alone: taken and released on the same file, as each change does.
void BM_LockAndReleaseAlone(benchmark::State &state) {
    const std::string file = top() + "/site/config/bench.site";
    for (auto _ : state) {
        const cf::DomainFileLock lock(file);
        if (lock.status() != 0) state.SkipWithError("lock failed");
    }
}
BENCHMARK(BM_LockAndReleaseAlone)->Unit(benchmark::kMicrosecond)->UseRealTime();

// `writers` processes, each adding changes/writers new entries to one fresh
// file of the group "race"; the time of all of them together.
void run_writers(benchmark::State &state, int writers, int changes) {
    const std::string file = top() + "/site/config/race.site";
    for (auto _ : state) {
        state.PauseTiming();
        std::remove(file.c_str());
        state.ResumeTiming();
        for (int w = 0; w < writers; ++w) {
            if (fork() == 0) {
                for (int k = 0; k < changes / writers; ++k) {
                    const std::string name = "W" + std::to_string(w) + "_" + std::to_string(k);
                    if (cf_set_string(cf_DOMAIN_SITE, "race", name.c_str(), 0, "value") != 0) _exit(1);
                }
                _exit(0);
            }
        }
        for (int w = 0; w < writers; ++w) {
            int status = 0;
            wait(&status);
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("a writer failed");
        }
    }
}
void BM_ThreeWritersOf200(benchmark::State &state) { run_writers(state, 3, 600); }
void BM_OneWriterOf600(benchmark::State &state) { run_writers(state, 1, 600); }
BENCHMARK(BM_ThreeWritersOf200)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_OneWriterOf600)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    orvbench::RatioReporter reporter(orvbench::RatioReporter::Clock::wall);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double set = reporter.time_of("BM_CfSetOneEntryOf5000");
    const double lock = reporter.time_of("BM_LockAndReleaseAlone");
    const double three = reporter.time_of("BM_ThreeWritersOf200");
    const double one = reporter.time_of("BM_OneWriterOf600");
    if (set > 0 && lock > 0)
        std::printf("lock share of one cf_set: %.2f%% (cf_set %.1f us, lock %.2f us)\n",
                    100.0 * lock / set, set, lock);
    if (three > 0 && one > 0)
        std::printf("three writers of 200 / one writer of 600: %.2fx\n", three / one);
    benchmark::Shutdown();
    return 0;
}

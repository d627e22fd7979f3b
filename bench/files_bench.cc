// Tree copy, tree size and tree removal of 2,000 files of 64 KiB against the
// system's cp -r, du -sb and rm -rf of the same tree, run in the same
// program; and the standard-directory lookup against a bare getenv.
//
// What moves the tree-copy figures: with files of 64 KiB the cost is creating
// 2,000 files, not moving data (both sides copy data inside the kernel with
// copy_file_range); the wall-clock time of a copy swings with the load of a
// shared machine and with writeback; and creating files after many deletions
// is slow (see next_destination). Hence CPU times, a sync before each copy,
// no removals between copies, and no shell in front of cp.
#include <ORVCommonKit/ORVCommonKit.h>

#include <benchmark/benchmark.h>

#include "bench_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kFiles = 2000;
constexpr int kFileSize = 64 * 1024;
constexpr int kPerDirectory = 100;

// Writes the source tree, 20 directories of 100 files, below a new directory
// in base (empty: $TMPDIR or /tmp) and returns that directory.
std::string make_tree(const char *base) {
    orvbench::quiet_trace();
    std::string top;
    if (*base) {
        char templ[64];
        std::snprintf(templ, sizeof templ, "%s/orvbench-XXXXXX", base);
        if (!mkdtemp(templ)) std::abort();
        top = templ;
    } else {
        top = orvbench::make_temp_dir();
    }
    const std::string src = top + "/src";
    std::vector<char> data(kFileSize, 'x');
    for (int i = 0; i < kFiles; ++i) {
        const std::string dir = src + "/d" + std::to_string(i / kPerDirectory);
        if (i % kPerDirectory == 0) ut_force_dir(dir.c_str());
        const std::string file = dir + "/f" + std::to_string(i) + ".dat";
        const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, data.data(), data.size()) != kFileSize) std::abort();
        ::close(fd);
    }
    return top;
}

// The tree on disk (in $TMPDIR), made once per process.
const std::string &source_tree() {
    static const std::string root = make_tree("");
    return root;
}

// The same tree in memory (tmpfs), where creating a file costs the same
// every time; made when first asked for.
const std::string &memory_tree() {
    static const std::string root = make_tree("/dev/shm");
    return root;
}

std::string src() { return source_tree() + "/src"; }
std::string dst() { return source_tree() + "/dst"; }

using orvbench::shell;

// Each copy goes to a new destination, and the copies stay until the program
// ends: on an ext4 file system without a journal (as on the machine these
// figures come from), creating a file skips, one by one, the inodes deleted
// in the last minutes, reading their inode-table blocks, so removing each copy
// before the next (as this benchmark once did) makes every later copy pay for
// the removals, and a profile shows that scan as the largest single cost of a
// copy. Deletions by anything else on the machine still count, and they
// change from run to run. Before each copy every dirty page is written back,
// so that no copy runs beside the writeback of another.
int Copies = 0;
std::string next_destination(const std::string &top) {
    ::sync();
    return top + "/copy" + std::to_string(++Copies);
}

// ut_dir_copy and cp -r in turns, each going first in every other iteration,
// so that both meet the same state of the file system; on disk (argument 0)
// or in memory (1). The iteration time is ut_dir_copy's CPU time; the
// counters give cp's, the ratio of the totals and the median of the
// iterations' ratios.
void BM_ut_dir_copy_vs_cp_r(benchmark::State &state) {
    const std::string top = state.range(0) == 0 ? source_tree() : memory_tree();
    const std::string from = top + "/src";
    double ours = 0, theirs = 0, wall = 0;
    std::vector<double> ratios;
    bool ours_first = true;
    for (auto _ : state) {
        double mine = 0, cp = 0;
        for (int turn = 0; turn < 2; ++turn) {
            const std::string to = next_destination(top);
            if ((turn == 0) == ours_first) {
                const auto start = std::chrono::steady_clock::now();
                mine = orvbench::self_cpu([&] {
                    if (ut_dir_copy(from.c_str(), to.c_str()) != 0) state.SkipWithError("copy failed");
                });
                wall += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            } else {
                cp = orvbench::run({"cp", "-r", from, to});
            }
        }
        ours += mine;
        theirs += cp;
        if (cp > 0) ratios.push_back(mine / cp);
        state.SetIterationTime(mine);
        ours_first = !ours_first;
    }
    std::sort(ratios.begin(), ratios.end());
    state.counters["wall_ms"] = benchmark::Counter(wall, benchmark::Counter::kAvgIterations);
    state.counters["cp_r_cpu_ms"] = benchmark::Counter(theirs * 1000, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = theirs > 0 ? ours / theirs : 0;
    state.counters["median_ratio"] = ratios.empty() ? 0 : ratios[ratios.size() / 2];
}

void BM_ut_get_longlong_path_size(benchmark::State &state) {
    source_tree();
    for (auto _ : state) {
        long long size = 0;
        if (ut_get_longlong_path_size(src().c_str(), &size) != 0) state.SkipWithError("size failed");
        benchmark::DoNotOptimize(size);
    }
}

void BM_du_sb(benchmark::State &state) {
    for (auto _ : state) shell("du -sb '" + src() + "' >/dev/null");
}

void BM_ut_remove_path(benchmark::State &state) {
    for (auto _ : state) {
        state.PauseTiming();
        shell("cp -r '" + src() + "' '" + dst() + "'");
        state.ResumeTiming();
        if (ut_remove_path(dst().c_str()) != 0) state.SkipWithError("removal failed");
    }
}

void BM_rm_rf(benchmark::State &state) {
    for (auto _ : state) {
        state.PauseTiming();
        shell("cp -r '" + src() + "' '" + dst() + "'");
        state.ResumeTiming();
        shell("rm -rf '" + dst() + "'");
    }
}

// Lookups in batches of 100 inside one release pool each, so that the
// temporary strings do not pile up.
constexpr int kBatch = 100;

void BM_ut_orv_log_dir(benchmark::State &state) {
    setenv("ORV_ROOT_PATH", "/opt/orv", 1);
    unsetenv("ORV_LOG_PATH");
    for (auto _ : state) {
        ORVAutoreleasePool *pool = orvstd_create_autorel_pool();
        for (int i = 0; i < kBatch; ++i) benchmark::DoNotOptimize(ut_orv_log_dir());
        orvstd_destroy_autorel_pool(pool);
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

void BM_getenv(benchmark::State &state) {
    setenv("ORV_ROOT_PATH", "/opt/orv", 1);
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) benchmark::DoNotOptimize(std::getenv("ORV_ROOT_PATH"));
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

// The copies are timed by the CPU time of the process that copies; the
// wall_ms counter depends mostly on what else the machine is doing.
BENCHMARK(BM_ut_dir_copy_vs_cp_r)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10)->UseManualTime();
BENCHMARK(BM_ut_get_longlong_path_size)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_du_sb)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ut_remove_path)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_rm_rf)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_ut_orv_log_dir);
BENCHMARK(BM_getenv);

// Removes the source tree when the run ends.
struct Cleanup {
    ~Cleanup() {
        if (!Made.empty()) shell("rm -rf '" + Made + "'");
    }
    std::string Made;
};

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Cleanup cleanup, memory_cleanup;
    cleanup.Made = source_tree();
    memory_cleanup.Made = memory_tree();
    benchmark::RunSpecifiedBenchmarks();
    std::printf("Tree copy (/0 on disk, /1 in tmpfs): CPU time of the copying process, ut_dir_copy and cp -r\n"
                "in turns; ratio = ut_dir_copy / cp -r. Source in the page cache, copies written to the page\n"
                "cache after a sync and never removed between copies; cp started without a shell.\n");
    benchmark::Shutdown();
    return 0;
}

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

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kFiles = 2000;
constexpr int kFileSize = 64 * 1024;
constexpr int kPerDirectory = 100;

// The source tree: 20 directories of 100 files, made once per process.
const std::string &source_tree() {
    static const std::string root = [] {
        orvbench::quiet_trace();
        const std::string top = orvbench::make_temp_dir();
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
    }();
    return root;
}

std::string src() { return source_tree() + "/src"; }
std::string dst() { return source_tree() + "/dst"; }

using orvbench::shell;

// Each copy goes to a new destination, and the copies stay until the program
// ends. Removing a copy before the next one would make every later copy
// slower: on an ext4 file system without a journal (as on the machine these
// figures come from) creating a file skips, one by one, the inodes deleted
// in the last minutes, reading their inode-table blocks, so whichever copy
// runs after many deletions pays for them. Before each copy every dirty page
// is written back, so that no copy runs beside the writeback of another.
int Copies = 0;
std::string next_destination() {
    ::sync();
    return source_tree() + "/copy" + std::to_string(++Copies);
}

void BM_ut_dir_copy(benchmark::State &state) {
    std::string to;
    orvbench::time_cpu(
        state,
        [&] {
            return orvbench::self_cpu([&] {
                if (ut_dir_copy(src().c_str(), to.c_str()) != 0) state.SkipWithError("copy failed");
            });
        },
        [&] { to = next_destination(); });
}

void BM_cp_r(benchmark::State &state) {
    std::string to;
    orvbench::time_cpu(state, [&] { return orvbench::run({"cp", "-r", src(), to}); },
                       [&] { to = next_destination(); });
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

// Copies are timed by the CPU time of the process that copies (this one, or
// the cp child), see orvbench::time_cpu; the wall_ms counter depends mostly
// on what else the machine is doing.
BENCHMARK(BM_ut_dir_copy)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();
BENCHMARK(BM_cp_r)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();
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
    Cleanup cleanup;
    cleanup.Made = source_tree();
    orvbench::RatioReporter reporter(orvbench::RatioReporter::Clock::wall);  // manual (CPU) times
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("BM_ut_dir_copy", "BM_cp_r");
    std::printf("(CPU time of the copying process; source in the page cache, copies written to the page cache\n"
                " after a sync, never removed between copies; cp started without a shell)\n");
    benchmark::Shutdown();
    return 0;
}

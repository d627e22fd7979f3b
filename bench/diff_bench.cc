// Binary comparison against the system's tools on the same data in the same
// run: two equal trees of 2,000 files of 64 KiB (ut_binary_diff against
// diff -rq) and two equal files of 256 MiB (ut_binary_diff against cmp).
//
// Both sides are in the page cache (each benchmark runs once untimed first),
// so the figures measure the cost of the comparison itself, not the disk.
// The baselines are started directly, without a shell. Times are the CPU
// time (user + system) of the process that compares: this one for the
// library, the child for the baseline (see orvbench::time_cpu); the mean
// wall-clock time is the wall_ms counter.
#include <ORVCommonKit/ORVCommonKit.h>

#include <benchmark/benchmark.h>

#include "bench_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kFiles = 2000;
constexpr int kFileSize = 64 * 1024;
constexpr int kPerDirectory = 100;
// 1 GiB per file (2 GiB of page cache for the pair) would crowd the shared
// machine this was measured on; 256 MiB gives the same per-byte cost.
constexpr long kLargeSize = 256L * 1024 * 1024;

void write_file(const std::string &path, const std::vector<char> &data, long size) {
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0) std::abort();
    for (long done = 0; done < size; done += static_cast<long>(data.size()))
        if (::write(fd, data.data(), data.size()) != static_cast<ssize_t>(data.size())) std::abort();
    ::close(fd);
}

// The data: two equal trees and two equal large files, made once.
const std::string &top() {
    static const std::string root = [] {
        orvbench::quiet_trace();
        const std::string dir = orvbench::make_temp_dir("orvdiffbench");
        std::vector<char> data(kFileSize);
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 131 + 7);
        for (const char *side : {"/a", "/b"}) {
            for (int i = 0; i < kFiles; ++i) {
                const std::string sub = dir + side + "/d" + std::to_string(i / kPerDirectory);
                if (i % kPerDirectory == 0) ut_force_dir(sub.c_str());
                write_file(sub + "/f" + std::to_string(i) + ".dcm", data, kFileSize);
            }
            write_file(dir + side + ".large", data, kLargeSize);
        }
        return dir;
    }();
    return root;
}

void BM_ut_binary_diff_tree(benchmark::State &state) {
    const std::string a = top() + "/a", b = top() + "/b";
    ut_set_diff_buffer_size_kbytes(static_cast<int>(state.range(0)));
    orvbench::time_cpu(state, [&] {
        return orvbench::self_cpu([&] {
            if (ut_binary_diff(a.c_str(), b.c_str(), 0, nullptr) != 0) state.SkipWithError("trees differ");
        });
    });
    ut_set_diff_buffer_size_kbytes(10);
}

void BM_diff_rq(benchmark::State &state) {
    orvbench::time_cpu(state, [] { return orvbench::run({"diff", "-rq", top() + "/a", top() + "/b"}); });
}

void BM_ut_binary_diff_large(benchmark::State &state) {
    const std::string a = top() + "/a.large", b = top() + "/b.large";
    ut_set_diff_buffer_size_kbytes(static_cast<int>(state.range(0)));
    orvbench::time_cpu(state, [&] {
        return orvbench::self_cpu([&] {
            if (ut_binary_diff(a.c_str(), b.c_str(), 0, nullptr) != 0) state.SkipWithError("files differ");
        });
    });
    ut_set_diff_buffer_size_kbytes(10);
    state.SetBytesProcessed(state.iterations() * kLargeSize * 2);
}

void BM_cmp(benchmark::State &state) {
    orvbench::time_cpu(state, [] { return orvbench::run({"cmp", top() + "/a.large", top() + "/b.large"}); });
    state.SetBytesProcessed(state.iterations() * kLargeSize * 2);
}

// Chunk sizes in KiB: the default 10 and 256.
BENCHMARK(BM_ut_binary_diff_tree)->Arg(10)->Arg(256)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_diff_rq)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_ut_binary_diff_large)->Arg(10)->Arg(256)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_cmp)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const std::string dir = top();
    // Warm the page cache with every file of both sides.
    orvbench::run({"diff", "-rq", dir + "/a", dir + "/b"});
    orvbench::run({"cmp", dir + "/a.large", dir + "/b.large"});
    orvbench::RatioReporter reporter(orvbench::RatioReporter::Clock::wall);  // the manual (CPU) times
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("BM_ut_binary_diff_tree/10", "BM_diff_rq");
    reporter.print_ratio("BM_ut_binary_diff_tree/256", "BM_diff_rq");
    reporter.print_ratio("BM_ut_binary_diff_large/10", "BM_cmp");
    reporter.print_ratio("BM_ut_binary_diff_large/256", "BM_cmp");
    benchmark::Shutdown();
    orvbench::run({"rm", "-rf", dir});
    return 0;
}

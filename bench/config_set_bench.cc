// cf_set of one entry in the middle of a 5,000-entry domain file against a
// plain copy of the same file: read it, write the same bytes to a new file,
// sync it and rename it over the old one -- the least any rewrite that
// survives a crash has to do. Both run in the same program.
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

constexpr int kEntries = 5000;

const std::string &site_file() {
    static const std::string path =
        orvbench::make_site_installation(kEntries) + "/site/config/bench.site";
    return path;
}

// One cf_set of the middle entry of 5,000.
void BM_CfSetOneEntryOf5000(benchmark::State &state) {
    site_file();
    orvbench::set_middle_entry(state);
}
BENCHMARK(BM_CfSetOneEntryOf5000)->Unit(benchmark::kMicrosecond);

// Baseline: read the file, write the same bytes to path + "+", fsync, rename.
void BM_PlainCopyWithFsyncAndRename(benchmark::State &state) {
    const std::string &file = site_file();
    const std::string temporary = file + "+";
    std::string text;
    std::vector<char> chunk(65536);
    for (auto _ : state) {
        text.clear();
        const int in = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        ssize_t n;
        while ((n = ::read(in, chunk.data(), chunk.size())) > 0)
            text.append(chunk.data(), static_cast<std::size_t>(n));
        ::close(in);
        const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0664);
        if (out < 0 || ::write(out, text.data(), text.size()) != static_cast<ssize_t>(text.size()) ||
            ::fsync(out) != 0 || ::close(out) != 0 || ::rename(temporary.c_str(), file.c_str()) != 0)
            state.SkipWithError("copy failed");
    }
}
BENCHMARK(BM_PlainCopyWithFsyncAndRename)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// Folded comparison against the C library's case-insensitive comparison, on
// 32-byte texts: equal texts that differ only in case, and texts that differ
// in their last character. strcasecmp is the baseline of every pair.
#include <ORVCommonKit/orvstr.h>

#include <benchmark/benchmark.h>

#include <strings.h>

namespace {

// 32 characters each.
constexpr const char kLower[] = "patient/study/series-0042/imaget";
constexpr const char kMixed[] = "PATIENT/Study/SERIES-0042/ImageT";
constexpr const char kLastDiffers[] = "PATIENT/Study/SERIES-0042/ImageX";

static_assert(sizeof kLower == 33 && sizeof kMixed == 33 && sizeof kLastDiffers == 33);

void BM_orvstr_icmp_CaseOnly(benchmark::State &state) {
    for (auto _ : state) {
        const char *a = kLower;
        const char *b = kMixed;
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
        benchmark::DoNotOptimize(orvstr_icmp(a, b));
    }
}

void BM_strcasecmp_CaseOnly(benchmark::State &state) {
    for (auto _ : state) {
        const char *a = kLower;
        const char *b = kMixed;
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
        benchmark::DoNotOptimize(strcasecmp(a, b));
    }
}

void BM_orvstr_icmp_LastDiffers(benchmark::State &state) {
    for (auto _ : state) {
        const char *a = kLower;
        const char *b = kLastDiffers;
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
        benchmark::DoNotOptimize(orvstr_icmp(a, b));
    }
}

void BM_strcasecmp_LastDiffers(benchmark::State &state) {
    for (auto _ : state) {
        const char *a = kLower;
        const char *b = kLastDiffers;
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
        benchmark::DoNotOptimize(strcasecmp(a, b));
    }
}

BENCHMARK(BM_strcasecmp_CaseOnly);
BENCHMARK(BM_orvstr_icmp_CaseOnly);
BENCHMARK(BM_strcasecmp_LastDiffers);
BENCHMARK(BM_orvstr_icmp_LastDiffers);

}  // namespace

BENCHMARK_MAIN();

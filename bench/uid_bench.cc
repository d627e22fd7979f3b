// DICOM UIDs per second, and GUID strings against libuuid's
// uuid_generate_random + uuid_unparse (Debian's uuid-dev, used by this
// benchmark alone) in the same run.
#include <ORVCommonKit/ORVCommonKit.h>

#include <benchmark/benchmark.h>
#include <uuid/uuid.h>

#include "bench_support.h"

namespace {

void BM_ut_generate_dicom_image_uid(benchmark::State &state) {
    for (auto _ : state) benchmark::DoNotOptimize(ut_generate_dicom_image_uid());
    state.SetItemsProcessed(state.iterations());
}

void BM_ut_generate_instance_uid(benchmark::State &state) {
    char buffer[65];
    for (auto _ : state) {
        ut_generate_instance_uid(buffer, sizeof buffer);
        benchmark::DoNotOptimize(buffer);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ut_generate_guid(benchmark::State &state) {
    char buffer[39];
    for (auto _ : state) {
        ut_generate_guid(buffer, sizeof buffer, 0);
        benchmark::DoNotOptimize(buffer);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_uuid_generate_random_unparse(benchmark::State &state) {
    char buffer[37];
    for (auto _ : state) {
        uuid_t uuid;
        uuid_generate_random(uuid);
        uuid_unparse_upper(uuid, buffer);
        benchmark::DoNotOptimize(buffer);
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_ut_generate_dicom_image_uid);
BENCHMARK(BM_ut_generate_instance_uid);
BENCHMARK(BM_ut_generate_guid);
BENCHMARK(BM_uuid_generate_random_unparse);

}  // namespace

int main(int argc, char **argv) {
    orvbench::quiet_trace();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    orvbench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("BM_ut_generate_guid", "BM_uuid_generate_random_unparse");
    benchmark::Shutdown();
    return 0;
}

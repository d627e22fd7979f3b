// Dictionary handles against GLib's GHashTable with string keys: storing
// 10,000 text values under text keys, then reading every one back.
#include "bench_support.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <glib.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kEntries = 10000;

struct Texts {
    std::vector<std::string> keys, values;
    Texts() {
        char buf[64];
        for (int i = 0; i < kEntries; ++i) {
            std::snprintf(buf, sizeof buf, "STUDY.SERIES.%05d.KEY", i);
            keys.emplace_back(buf);
            std::snprintf(buf, sizeof buf, "value %d", i * 7919);
            values.emplace_back(buf);
        }
    }
};

const Texts &texts() {
    static const Texts t;
    return t;
}

// Set every key, then get every key, in a new dictionary; the release pool
// of the readers' temporaries goes with each round.
void BM_DictHandleSetGet(benchmark::State &state) {
    const Texts &t = texts();
    for (auto _ : state) {
        ORVAutoreleasePool *pool = orvstd_create_autorel_pool();
        ORVDictionary *dict = orv_mutable_dict_create();
        for (int i = 0; i < kEntries; ++i)
            orv_mutable_dict_set_str_value_for_str_key(dict, t.keys[i].c_str(),
                                                       t.values[i].c_str());
        for (int i = 0; i < kEntries; ++i)
            benchmark::DoNotOptimize(orv_dict_str_value_for_str_key(dict, t.keys[i].c_str()));
        orv_dict_free(dict);
        orvstd_destroy_autorel_pool(pool);
    }
}
BENCHMARK(BM_DictHandleSetGet)->Unit(benchmark::kMillisecond);

// The same with copied keys and values that the table frees.
void BM_GHashTableSetGet(benchmark::State &state) {
    const Texts &t = texts();
    for (auto _ : state) {
        GHashTable *table = g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free);
        for (int i = 0; i < kEntries; ++i)
            g_hash_table_insert(table, g_strdup(t.keys[i].c_str()), g_strdup(t.values[i].c_str()));
        for (int i = 0; i < kEntries; ++i)
            benchmark::DoNotOptimize(g_hash_table_lookup(table, t.keys[i].c_str()));
        g_hash_table_destroy(table);
    }
}
BENCHMARK(BM_GHashTableSetGet)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    orvbench::quiet_trace();
    orvbench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double ours = reporter.time_of("BM_DictHandleSetGet");
    const double glib = reporter.time_of("BM_GHashTableSetGet");
    if (ours > 0 && glib > 0)
        std::printf("dictionary handles / GHashTable: %.2fx (goal at most 1.5x)\n", ours / glib);
    benchmark::Shutdown();
    return 0;
}

// Platform layer costs against plain baselines in the same run:
//  - reading a strings table with the property-list reader against a minimal
//    hand-written loader into std::unordered_map (baseline);
//  - decoding an archive against reading the same graph from its text form
//    (the text reader is the baseline the archive must beat);
//  - temporary string objects in a release pool against new/delete of
//    std::string (baseline).
#include <ORVCommonKit/orvobjects.h>
#include <ORVCommonKit/orvstd.h>

#include <benchmark/benchmark.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace {

std::string stringsTable() {
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "\"MSG_DESC" + std::to_string(i) + "\" = \"Message number " + std::to_string(i) + " of the table\";\n";
    return text;
}

std::string configGraph() {
    std::string text = "{\n";
    for (int g = 0; g < 100; ++g) {
        text += "  GROUP" + std::to_string(g) + " = {\n";
        for (int v = 0; v < 10; ++v)
            text += "    VAR_" + std::to_string(v) + " = (\"value " + std::to_string(g * v) + "\", host" +
                    std::to_string(v) + ");\n";
        text += "  };\n";
    }
    return text + "}\n";
}

// The least a loader of "key" = "value"; lines must do: find the quotes and
// store the pairs.
void BM_Baseline_StringsTableByHand(benchmark::State &state) {
    const std::string text = stringsTable();
    for (auto _ : state) {
        std::unordered_map<std::string, std::string> table;
        std::size_t pos = 0;
        while ((pos = text.find('"', pos)) != std::string::npos) {
            std::size_t keyEnd = text.find('"', pos + 1);
            std::size_t valueStart = text.find('"', keyEnd + 1);
            std::size_t valueEnd = text.find('"', valueStart + 1);
            table.emplace(text.substr(pos + 1, keyEnd - pos - 1),
                          text.substr(valueStart + 1, valueEnd - valueStart - 1));
            pos = valueEnd + 1;
        }
        benchmark::DoNotOptimize(table.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Baseline_StringsTableByHand);

void BM_StringsTableParse(benchmark::State &state) {
    const std::string text = stringsTable();
    for (auto _ : state) {
        ORVObject *obj = orv_plist_parse(text.data(), text.size(), nullptr, nullptr);
        benchmark::DoNotOptimize(obj);
        orv_object_release(obj);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_StringsTableParse);

void BM_Baseline_GraphFromText(benchmark::State &state) {
    const std::string text = configGraph();
    for (auto _ : state) {
        ORVObject *obj = orv_plist_parse(text.data(), text.size(), nullptr, nullptr);
        benchmark::DoNotOptimize(obj);
        orv_object_release(obj);
    }
}
BENCHMARK(BM_Baseline_GraphFromText);

void BM_GraphFromArchive(benchmark::State &state) {
    const std::string text = configGraph();
    ORVObject *graph = orv_plist_parse(text.data(), text.size(), nullptr, nullptr);
    ORVData *archive = orv_archive_encode(graph, nullptr);
    for (auto _ : state) {
        ORVObject *obj = orv_archive_decode(orv_data_bytes_of(archive), orv_data_length_of(archive), nullptr);
        benchmark::DoNotOptimize(obj);
        orv_object_release(obj);
    }
    orv_object_release(ORV_OBJECT(archive));
    orv_object_release(graph);
}
BENCHMARK(BM_GraphFromArchive);

void BM_Baseline_NewDeleteStrings(benchmark::State &state) {
    std::vector<std::string *> held;
    held.reserve(1000);
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) held.push_back(new std::string("temporary text"));
        for (std::string *s : held) delete s;
        held.clear();
    }
}
BENCHMARK(BM_Baseline_NewDeleteStrings);

void BM_TemporaryStringsInAPool(benchmark::State &state) {
    for (auto _ : state) {
        ORVAutoreleasePool *pool = orvstd_create_autorel_pool();
        for (int i = 0; i < 1000; ++i) orv_object_autorelease(ORV_OBJECT(orv_string_create("temporary text")));
        orvstd_destroy_autorel_pool(pool);
    }
}
BENCHMARK(BM_TemporaryStringsInAPool);

}  // namespace

BENCHMARK_MAIN();

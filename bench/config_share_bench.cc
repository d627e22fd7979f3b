// Starting a process's configuration from a shared region against reading it
// from the domain files: 100 groups of 50 variables each (40 in the site
// file, 10 in the system file, no user file). A child process exports the
// groups once and holds the region; each iteration starts the module afresh
// and makes every group answer one lookup, either after an import (the
// subject) or by reading the files (the baseline, BM_ReadGroupsFromFiles).
// The ratio of wall-clock times is printed after the table.
#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/cfshare.h>
#include <ORVCommonKit/tr.h>

#include <benchmark/benchmark.h>

#include "bench_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kGroups = 100;
constexpr int kVariables = 50;

std::string g_dir;
std::string g_share;
std::vector<std::string> g_groups;

void quiet() {
    orvbench::quiet_trace();
    tr_ignore_traces_below_level_quietly(tr_NONE);
    tr_ignore_warnings_below_level_quietly(tr_NONE);
}

void write_installation() {
    namespace fs = std::filesystem;
    fs::create_directories(g_dir + "/sys/config");
    fs::create_directories(g_dir + "/site/config");
    fs::create_directories(g_dir + "/user/config");
    fs::create_directories(g_dir + "/sys/data/cf");
    std::ofstream(g_dir + "/sys/data/cf/behavior.plist") << "{ group0 = { default = 0x20; }; }";
    for (int g = 0; g < kGroups; ++g) {
        const std::string group = "group" + std::to_string(g);
        g_groups.push_back(group);
        std::ofstream site(g_dir + "/site/config/" + group + ".site");
        std::ofstream sys(g_dir + "/sys/config/" + group + ".base");
        for (int v = 0; v < kVariables; ++v) {
            std::ofstream &out = v < 40 ? site : sys;
            out << "VARIABLE_" << v << "\tUSER\tvalue-" << g << "-" << v << " second-value \\\n"
                << "\t\"a third value\"\n";
        }
    }
    setenv("ORV_ROOT_PATH", g_dir.c_str(), 1);
    setenv("ORV_SYS_CONFIG_PATH", (g_dir + "/sys/config").c_str(), 1);
    setenv("ORV_SITE_CONFIG_PATH", (g_dir + "/site/config").c_str(), 1);
    setenv("ORV_USER_CONFIG_PATH", (g_dir + "/user/config").c_str(), 1);
    setenv("ORV_SYS_DATA_PATH", (g_dir + "/sys/data").c_str(), 1);
}

// One lookup in every group, or in every step-th group; aborts the run when
// a value is missing.
void look_up_every_group(benchmark::State &state, std::size_t step = 1) {
    char buffer[256];
    for (std::size_t g = 0; g < g_groups.size(); g += step) {
        const std::string &group = g_groups[g];
        if (cf_get_string(cf_DOMAIN_ALL, group.c_str(), "VARIABLE_7", nullptr, buffer, 255,
                          nullptr) != 0) {
            state.SkipWithError("a lookup failed");
            return;
        }
    }
}

void BM_ReadGroupsFromFiles(benchmark::State &state) {
    for (auto _ : state) {
        cf_init(nullptr);
        look_up_every_group(state);
        cf_term();
    }
}
BENCHMARK(BM_ReadGroupsFromFiles)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ImportGroupsFromSharedRegion(benchmark::State &state) {
    for (auto _ : state) {
        cf_init(nullptr);
        if (cf_import_config_tables_from_file_mapping(g_share.c_str()) != 0)
            state.SkipWithError("the import failed");
        look_up_every_group(state);
        cf_term();
    }
}
BENCHMARK(BM_ImportGroupsFromSharedRegion)->UseRealTime()->Unit(benchmark::kMillisecond);

// A process that needs only a few of the shared groups (every twentieth):
// the import still checks the whole region but builds only the tables used.
constexpr std::size_t kFewStep = 20;

void BM_ReadFewGroupsFromFiles(benchmark::State &state) {
    for (auto _ : state) {
        cf_init(nullptr);
        look_up_every_group(state, kFewStep);
        cf_term();
    }
}
BENCHMARK(BM_ReadFewGroupsFromFiles)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ImportFewGroupsFromSharedRegion(benchmark::State &state) {
    for (auto _ : state) {
        cf_init(nullptr);
        if (cf_import_config_tables_from_file_mapping(g_share.c_str()) != 0)
            state.SkipWithError("the import failed");
        look_up_every_group(state, kFewStep);
        cf_term();
    }
}
BENCHMARK(BM_ImportFewGroupsFromSharedRegion)->UseRealTime()->Unit(benchmark::kMillisecond);

// Starts the exporter; the pipe's write end, whose closing ends it.
int start_exporter() {
    int ready[2], done[2];
    if (pipe(ready) != 0 || pipe(done) != 0) std::exit(1);
    if (fork() == 0) {
        close(ready[0]);
        close(done[1]);
        quiet();
        cf_init(nullptr);
        std::vector<const char *> names;
        for (const std::string &g : g_groups) names.push_back(g.c_str());
        const char answer =
            cf_export_config_tables_to_file_mapping(g_share.c_str(), names.data(),
                                                    static_cast<unsigned>(names.size())) == 0
                ? 'y'
                : 'n';
        if (write(ready[1], &answer, 1) != 1) _exit(1);
        char end;
        while (read(done[0], &end, 1) > 0) {
        }
        cf_close_file_mapping();
        _exit(0);
    }
    close(ready[1]);
    close(done[0]);
    char answer = 0;
    if (read(ready[0], &answer, 1) != 1 || answer != 'y') {
        std::fprintf(stderr, "the exporter failed\n");
        std::exit(1);
    }
    close(ready[0]);
    return done[1];
}

}  // namespace

int main(int argc, char **argv) {
    g_dir = orvbench::make_temp_dir("orvsharebench");
    g_share = "orvsharebench-" + std::to_string(getpid());
    write_installation();
    quiet();
    const int exporter = start_exporter();

    benchmark::Initialize(&argc, argv);
    orvbench::RatioReporter reporter(orvbench::RatioReporter::Clock::wall);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double files = reporter.time_of("BM_ReadGroupsFromFiles");
    const double shared = reporter.time_of("BM_ImportGroupsFromSharedRegion");
    if (files > 0 && shared > 0)
        std::printf("Wall-clock ratio BM_ReadGroupsFromFiles / BM_ImportGroupsFromSharedRegion = "
                    "%.1f\n",
                    files / shared);
    const double few_files = reporter.time_of("BM_ReadFewGroupsFromFiles");
    const double few_shared = reporter.time_of("BM_ImportFewGroupsFromSharedRegion");
    if (few_files > 0 && few_shared > 0)
        std::printf("Wall-clock ratio BM_ReadFewGroupsFromFiles / "
                    "BM_ImportFewGroupsFromSharedRegion = %.1f\n",
                    few_files / few_shared);
    benchmark::Shutdown();

    close(exporter);
    wait(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(g_dir, ignored);
    return 0;
}

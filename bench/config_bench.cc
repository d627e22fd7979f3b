// Configuration lookups and group reads against GLib's key files.
//
// A group of 5,000 variables spread over the three domain files (a third in
// each of SYS, SITE and USER) with host-qualified names allowed; the key-file
// baseline holds the same 5,000 entries in one file.
//   BM_CfGetString / BM_KeyFileGetString: a lookup in the cached group (ALL
//     domains, so a SYS variable is probed as USER, SITE and SYS, each
//     host-qualified first) against g_key_file_get_string.
//   BM_CfReadGroup / BM_KeyFileLoad: reading the group again from its three
//   files (cf_refresh_config_table_for_group, which refills the cached
//   table) against g_key_file_new + g_key_file_load_from_file of the one file
//   + g_key_file_free.
//   BM_CfReadGroupFresh: the same read into a new table that is released
//   afterwards, as a program's first read of a group is.
//   BM_CfReadGroupThenGet: a read again followed by one lookup, which builds
//   the table's lookup index.
//   BM_CfGetString/threads:2: the lookups of BM_CfGetString from two threads
//     at once (lookups never wait for each other), wall-clock per lookup.
//   BM_CfFirstLookup / BM_KeyFileFirstLookup: a program's whole first lookup
//     (cf_init, one cf_get_string in the group, cf_term) against
//     g_key_file_new, load, one g_key_file_get_string, g_key_file_free.
#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/tr.h>

#include "config/ORVConfigurationTable.h"

#include <benchmark/benchmark.h>
#include <glib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kVariables = 5000;

struct Installation {
    std::string root;
    std::string keyfile;
    std::vector<std::string> names;

    Installation() {
        char pattern[] = "/tmp/orv-config-bench-XXXXXX";
        root = mkdtemp(pattern);
        for (const char *dir : {"/sys/config", "/site/config", "/user/config", "/sys/data/cf"})
            std::filesystem::create_directories(root + dir);
        setenv("ORV_ROOT_PATH", root.c_str(), 1);
        setenv("ORV_SYS_CONFIG_PATH", (root + "/sys/config").c_str(), 1);
        setenv("ORV_SITE_CONFIG_PATH", (root + "/site/config").c_str(), 1);
        setenv("ORV_USER_CONFIG_PATH", (root + "/user/config").c_str(), 1);
        setenv("ORV_SYS_DATA_PATH", (root + "/sys/data").c_str(), 1);
        std::ofstream(root + "/sys/data/cf/behavior.plist") << "{ bench = { default = 0x20; }; }";

        std::ofstream files[3] = {std::ofstream(root + "/sys/config/bench.base"),
                                  std::ofstream(root + "/site/config/bench.site"),
                                  std::ofstream(root + "/user/config/bench.user")};
        keyfile = root + "/bench.ini";
        std::ofstream ini(keyfile);
        ini << "[bench]\n";
        for (int i = 0; i < kVariables; ++i) {
            std::string name = "VARIABLE_" + std::to_string(i);
            std::string value = "value-" + std::to_string(i * 7) + "-of-the-bench-group";
            files[i % 3] << name << "\tUSER\t" << value << "\n";
            ini << name << "=" << value << "\n";
            names.push_back(std::move(name));
        }
    }
    ~Installation() { std::filesystem::remove_all(root); }
};

Installation &installation() {
    static Installation inst;
    return inst;
}

void quiet(const char *, int) {}

void start() {
    installation();
    tr_init_with_call_back(quiet);
    if (!cf_is_init() && cf_init(nullptr) != 0) std::abort();
}

void BM_CfGetString(benchmark::State &state) {
    // The first thread starts the module; the others wait at the loop.
    const auto &names = installation().names;
    char buffer[256];
    if (state.thread_index() == 0) {
        start();
        if (cf_get_string(cf_DOMAIN_ALL, "bench", names[0].c_str(), nullptr, buffer, 255,
                          nullptr))
            std::abort();
    }
    std::size_t i = static_cast<std::size_t>(state.thread_index()) * 997 % names.size();
    for (auto _ : state) {
        int status = cf_get_string(cf_DOMAIN_ALL, "bench", names[i].c_str(), nullptr, buffer, 255,
                                   nullptr);
        benchmark::DoNotOptimize(status);
        benchmark::DoNotOptimize(buffer);
        if (++i == names.size()) i = 0;
    }
}
BENCHMARK(BM_CfGetString);
BENCHMARK(BM_CfGetString)->Threads(2)->UseRealTime();

void BM_KeyFileGetString(benchmark::State &state) {
    const auto &inst = installation();
    GKeyFile *file = g_key_file_new();
    if (!g_key_file_load_from_file(file, inst.keyfile.c_str(), G_KEY_FILE_NONE, nullptr))
        std::abort();
    std::size_t i = 0;
    for (auto _ : state) {
        gchar *value = g_key_file_get_string(file, "bench", inst.names[i].c_str(), nullptr);
        benchmark::DoNotOptimize(value);
        g_free(value);
        if (++i == inst.names.size()) i = 0;
    }
    g_key_file_free(file);
}
BENCHMARK(BM_KeyFileGetString);

void BM_CfReadGroup(benchmark::State &state) {
    start();
    for (auto _ : state) {
        int status = cf_refresh_config_table_for_group("bench");
        benchmark::DoNotOptimize(status);
    }
}
BENCHMARK(BM_CfReadGroup)->Unit(benchmark::kMillisecond);

void BM_CfReadGroupFresh(benchmark::State &state) {
    start();
    for (auto _ : state) {
        orv::Ref<ORVConfigurationTable> table = ORVConfigurationTable::create();
        ORVConfigurationTable *filled = table.get();
        int status = 0;
        for (int domain = cf_DOMAIN_USER; domain >= cf_DOMAIN_SYS; --domain)
            status |= cf_read_domain_with_table(&filled, domain, "bench");
        benchmark::DoNotOptimize(status);
    }
}
BENCHMARK(BM_CfReadGroupFresh)->Unit(benchmark::kMillisecond);

void BM_CfReadGroupThenGet(benchmark::State &state) {
    start();
    const auto &names = installation().names;
    char buffer[256];
    for (auto _ : state) {
        int status = cf_refresh_config_table_for_group("bench");
        status |= cf_get_string(cf_DOMAIN_ALL, "bench", names[0].c_str(), nullptr, buffer, 255,
                                nullptr);
        benchmark::DoNotOptimize(status);
    }
}
BENCHMARK(BM_CfReadGroupThenGet)->Unit(benchmark::kMillisecond);

void BM_KeyFileLoad(benchmark::State &state) {
    const auto &inst = installation();
    for (auto _ : state) {
        GKeyFile *file = g_key_file_new();
        gboolean ok = g_key_file_load_from_file(file, inst.keyfile.c_str(), G_KEY_FILE_NONE,
                                                nullptr);
        benchmark::DoNotOptimize(ok);
        g_key_file_free(file);
    }
}
BENCHMARK(BM_KeyFileLoad)->Unit(benchmark::kMillisecond);

void BM_CfFirstLookup(benchmark::State &state) {
    start();
    cf_term();
    const std::string &name = installation().names[kVariables / 2];
    char buffer[256];
    for (auto _ : state) {
        int status = cf_init(nullptr);
        status |= cf_get_string(cf_DOMAIN_ALL, "bench", name.c_str(), nullptr, buffer, 255,
                                nullptr);
        cf_term();
        if (status != 0) std::abort();
    }
    start();
}
BENCHMARK(BM_CfFirstLookup)->Unit(benchmark::kMillisecond);

void BM_KeyFileFirstLookup(benchmark::State &state) {
    const auto &inst = installation();
    const std::string &name = inst.names[kVariables / 2];
    for (auto _ : state) {
        GKeyFile *file = g_key_file_new();
        if (!g_key_file_load_from_file(file, inst.keyfile.c_str(), G_KEY_FILE_NONE, nullptr))
            std::abort();
        gchar *value = g_key_file_get_string(file, "bench", name.c_str(), nullptr);
        benchmark::DoNotOptimize(value);
        g_free(value);
        g_key_file_free(file);
    }
}
BENCHMARK(BM_KeyFileFirstLookup)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

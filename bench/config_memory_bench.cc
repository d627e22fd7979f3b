// Memory held by loaded configuration against GLib's key files: 100 groups
// of 50 variables (three values each, 40 variables in the site file and 10
// in the system file of each group), loaded by one lookup in every group,
// against one GKeyFile holding the same 5,000 entries as string lists.
// Each benchmark reports the heap bytes in use after loading minus before
// (malloc's own count, mallinfo2), as the counter "heap_bytes", and the
// resident bytes that loading added, as "resident_bytes": measured in a
// forked child that loads once from the state the benchmark starts in, so
// that pages freed by earlier iterations do not hide the growth. The ratios
// are printed after the table. The time column is the time of loading.
#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/tr.h>

#include <benchmark/benchmark.h>
#include <glib.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench_support.h"

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
std::string g_keyfile_text;
std::vector<std::string> g_groups;
double g_cf_bytes = 0, g_keyfile_bytes = 0;
double g_cf_resident = 0, g_keyfile_resident = 0;

void write_installation() {
    namespace fs = std::filesystem;
    for (const char *dir : {"/sys/config", "/site/config", "/user/config", "/sys/data/cf"})
        fs::create_directories(g_dir + dir);
    std::ofstream(g_dir + "/sys/data/cf/behavior.plist") << "{ group0 = { default = 0x20; }; }";
    for (int g = 0; g < kGroups; ++g) {
        const std::string group = "group" + std::to_string(g);
        g_groups.push_back(group);
        g_keyfile_text += "[" + group + "]\n";
        std::ofstream site(g_dir + "/site/config/" + group + ".site");
        std::ofstream sys(g_dir + "/sys/config/" + group + ".base");
        for (int v = 0; v < kVariables; ++v) {
            const std::string first = "value-" + std::to_string(g) + "-" + std::to_string(v);
            std::ofstream &out = v < 40 ? site : sys;
            out << "VARIABLE_" << v << "\tUSER\t" << first << " second-value \\\n"
                << "\t\"a third value\"\n";
            g_keyfile_text +=
                "VARIABLE_" + std::to_string(v) + "=" + first + ";second-value;a third value\n";
        }
    }
    setenv("ORV_ROOT_PATH", g_dir.c_str(), 1);
    setenv("ORV_SYS_CONFIG_PATH", (g_dir + "/sys/config").c_str(), 1);
    setenv("ORV_SITE_CONFIG_PATH", (g_dir + "/site/config").c_str(), 1);
    setenv("ORV_USER_CONFIG_PATH", (g_dir + "/user/config").c_str(), 1);
    setenv("ORV_SYS_DATA_PATH", (g_dir + "/sys/data").c_str(), 1);
}

double heap_in_use() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

// Resident bytes of this process (/proc/self/statm).
double resident_now() {
    long pages = 0, resident = 0;
    if (std::FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

// The resident bytes that load adds, run in a child process; -1 on failure.
template <typename Load>
double resident_growth(Load load) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const double before = resident_now();
        load();
        const double grown = resident_now() - before;
        const ssize_t written = write(fds[1], &grown, sizeof grown);
        _exit(written == sizeof grown ? 0 : 1);
    }
    close(fds[1]);
    double grown = -1;
    if (child < 0 || read(fds[0], &grown, sizeof grown) != sizeof grown) grown = -1;
    close(fds[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    return grown;
}

void load_cf_groups() {
    char buffer[256];
    cf_init(nullptr);
    for (const std::string &group : g_groups)
        cf_get_string(cf_DOMAIN_ALL, group.c_str(), "VARIABLE_7", nullptr, buffer, 255, nullptr);
}

void load_key_file() {
    GKeyFile *file = g_key_file_new();
    g_key_file_load_from_data(file, g_keyfile_text.data(), g_keyfile_text.size(),
                              G_KEY_FILE_NONE, nullptr);
    gchar **values = g_key_file_get_string_list(file, "group7", "VARIABLE_7", nullptr, nullptr);
    g_strfreev(values);
}

void BM_CfLoadedGroupsMemory(benchmark::State &state) {
    char buffer[256];
    for (auto _ : state) {
        const double before = heap_in_use();
        cf_init(nullptr);
        for (const std::string &group : g_groups)
            if (cf_get_string(cf_DOMAIN_ALL, group.c_str(), "VARIABLE_7", nullptr, buffer, 255,
                              nullptr) != 0)
                state.SkipWithError("a lookup failed");
        g_cf_bytes = heap_in_use() - before;
        cf_term();
    }
    state.counters["heap_bytes"] = g_cf_bytes;
    g_cf_resident = resident_growth(load_cf_groups);
    state.counters["resident_bytes"] = g_cf_resident;
}
BENCHMARK(BM_CfLoadedGroupsMemory)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_KeyFileGroupsMemory(benchmark::State &state) {
    for (auto _ : state) {
        const double before = heap_in_use();
        GKeyFile *file = g_key_file_new();
        if (!g_key_file_load_from_data(file, g_keyfile_text.data(), g_keyfile_text.size(),
                                       G_KEY_FILE_NONE, nullptr))
            state.SkipWithError("the key file did not load");
        gchar **values = g_key_file_get_string_list(file, "group7", "VARIABLE_7", nullptr, nullptr);
        g_strfreev(values);
        g_keyfile_bytes = heap_in_use() - before;
        g_key_file_free(file);
    }
    state.counters["heap_bytes"] = g_keyfile_bytes;
    g_keyfile_resident = resident_growth(load_key_file);
    state.counters["resident_bytes"] = g_keyfile_resident;
}
BENCHMARK(BM_KeyFileGroupsMemory)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    g_dir = orvbench::make_temp_dir("orvmembench");
    write_installation();
    orvbench::quiet_trace();
    tr_ignore_traces_below_level_quietly(tr_NONE);
    tr_ignore_warnings_below_level_quietly(tr_NONE);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (g_cf_bytes > 0 && g_keyfile_bytes > 0)
        std::printf("Heap bytes ratio BM_CfLoadedGroupsMemory / BM_KeyFileGroupsMemory = %.2f "
                    "(%.0f / %.0f)\n",
                    g_cf_bytes / g_keyfile_bytes, g_cf_bytes, g_keyfile_bytes);
    if (g_cf_resident > 0 && g_keyfile_resident > 0)
        std::printf("Resident bytes ratio BM_CfLoadedGroupsMemory / BM_KeyFileGroupsMemory = "
                    "%.2f (%.0f / %.0f)\n",
                    g_cf_resident / g_keyfile_resident, g_cf_resident, g_keyfile_resident);
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(g_dir, ignored);
    return 0;
}

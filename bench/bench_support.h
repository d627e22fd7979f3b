// Pieces the benchmarks share: a quiet trace facility, a temporary directory,
// baseline shell commands, and a console reporter that keeps each
// benchmark's time for the ratios printed after the table.
#pragma once

#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/cfset.h>
#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/ut.h>

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace orvbench {

inline void discard_trace(const char *, int) {}

// Starts the trace facility in call-back mode, dropping every report.
inline void quiet_trace() { tr_init_with_call_back(discard_trace); }

// A new directory under $TMPDIR (or /tmp); the program ends when it cannot
// be made.
inline std::string make_temp_dir(const std::string &prefix = "orvbench") {
    const char *base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/" + prefix + "-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) std::abort();
    return buf.data();
}

// Runs a baseline command through the shell; the program ends when it fails,
// so that a broken baseline never yields a figure.
// Writes text to path, ending the benchmark on failure.
inline void write_text(const std::string &path, const std::string &text) {
    std::FILE *file = std::fopen(path.c_str(), "w");
    if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size()) std::abort();
    std::fclose(file);
}

// A temporary installation with the group "bench" of `entries` site entries,
// with the configuration started for user "bench"; returns its directory.
inline std::string make_site_installation(int entries) {
    quiet_trace();
    const std::string top = make_temp_dir();
    setenv("ORV_ROOT_PATH", top.c_str(), 1);
    setenv("ORV_SYS_CONFIG_PATH", (top + "/sys/config").c_str(), 1);
    setenv("ORV_SITE_CONFIG_PATH", (top + "/site/config").c_str(), 1);
    setenv("ORV_USER_CONFIG_PATH", (top + "/user/config").c_str(), 1);
    setenv("ORV_SYS_DATA_PATH", (top + "/sys/data").c_str(), 1);
    ut_force_dir((top + "/sys/data/cf").c_str());
    ut_force_dir((top + "/site/config").c_str());
    write_text(top + "/sys/data/cf/behavior.plist", "{ }\n");
    std::string text = "# " + std::to_string(entries) + " entries\n";
    for (int i = 0; i < entries; ++i)
        text += "VAR" + std::to_string(10000 + i) + "\tUSER\tvalue-" + std::to_string(i) +
                " of the benchmark\n";
    write_text(top + "/site/config/bench.site", text);
    if (cf_init("bench") != 0) std::abort();
    return top;
}

// Changes the middle entry of make_site_installation's group once per
// iteration, alternating two values of one length so that the file keeps its
// size.
inline void set_middle_entry(benchmark::State &state) {
    const char *values[2][1] = {{"changed-a"}, {"changed-b"}};
    int turn = 0;
    for (auto _ : state) {
        if (cf_set(cf_DOMAIN_SITE, "bench", "VAR12500", cf_USER_PRIV, 1, values[turn]) != 0)
            state.SkipWithError("cf_set failed");
        turn ^= 1;
    }
}

inline void shell(const std::string &command) {
    if (std::system(command.c_str()) != 0) std::abort();
}

// CPU time (user + system) this process has used, in seconds.
inline double process_cpu_seconds() {
    struct timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Runs a baseline program directly, without a shell in between (a shell
// costs a few milliseconds per run, which is not the baseline's work), and
// returns the CPU seconds (user + system) the program used. The benchmark
// program ends when the baseline cannot start or exits with a status other
// than ok (default 0), so that a broken baseline never yields a figure.
inline double run(std::vector<std::string> args, int ok = 0) {
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), ::environ) != 0) std::abort();
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != ok) std::abort();
    const auto seconds = [](const timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// For benchmarks that compare work done in this process with a baseline
// program (register them with UseManualTime): each iteration's time is the
// CPU time of whoever did the work, which a machine shared with other jobs
// disturbs far less than wall-clock time; the "wall_ms" counter keeps the
// mean wall-clock time. work returns the CPU seconds it used (self_cpu or
// run); prepare runs untimed before each iteration.
template <class Work, class Prepare = void (*)()>
void time_cpu(benchmark::State &state, Work &&work, Prepare &&prepare = [] {}) {
    double wall = 0;
    for (auto _ : state) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        const double cpu = work();
        wall += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(cpu);
    }
    state.counters["wall_ms"] = benchmark::Counter(wall, benchmark::Counter::kAvgIterations);
}

// The CPU seconds this process spends in f.
template <class F>
double self_cpu(F &&f) {
    const double start = process_cpu_seconds();
    f();
    return process_cpu_seconds() - start;
}

// Keeps each benchmark's time per iteration (CPU or wall-clock): the median
// of repetitions when there are any, else the single run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    enum class Clock { cpu, wall };
    explicit RatioReporter(Clock clock = Clock::cpu) : clock_(clock) {}

    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            // "BM_name", or "BM_name/arg" for a benchmark with arguments.
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
            const double time =
                clock_ == Clock::cpu ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime();
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians_[name] = time;
            else if (run.run_type == Run::RT_Iteration)
                times_[name] = time;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // The time of a benchmark; 0 when it did not run.
    double time_of(const std::string &name) const {
        if (auto m = medians_.find(name); m != medians_.end()) return m->second;
        auto t = times_.find(name);
        return t == times_.end() ? 0 : t->second;
    }

    // Prints "subject / baseline = ratio" when both ran.
    void print_ratio(const std::string &subject, const std::string &baseline) const {
        const double a = time_of(subject), b = time_of(baseline);
        if (a > 0 && b > 0) std::printf("%s / %s = %.2fx\n", subject.c_str(), baseline.c_str(), a / b);
    }

private:
    Clock clock_;
    std::map<std::string, double> times_, medians_;
};

}  // namespace orvbench

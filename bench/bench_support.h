// Pieces the benchmarks share: a quiet trace facility, a temporary directory,
// baseline shell commands, and a console reporter that keeps each
// benchmark's time for the ratios printed after the table.
#pragma once

#include <ORVCommonKit/tr.h>

#include <benchmark/benchmark.h>

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
inline void shell(const std::string &command) {
    if (std::system(command.c_str()) != 0) std::abort();
}

// Keeps each benchmark's time per iteration (CPU or wall-clock): the median
// of repetitions when there are any, else the single run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    enum class Clock { cpu, wall };
    explicit RatioReporter(Clock clock = Clock::cpu) : clock_(clock) {}

    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            const std::string &name = run.run_name.function_name;
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

private:
    Clock clock_;
    std::map<std::string, double> times_, medians_;
};

}  // namespace orvbench

// Date texts against the C library: dt_str_to_date on a mix of what operators
// type (goal: at least a million dates a second), on ISO-like texts against
// strptime with a fixed format (goal: at most 1.5x), and dt_date_to_str_format
// against strftime of the same dates, already broken down (goal: at most 1.0x).
#include <ORVCommonKit/dt.h>

#include "bench_support.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

using orvbench::RatioReporter;

// A private installation listing English as language 1.
void install() {
    std::string r = orvbench::make_temp_dir("orvdates");
    for (const char *dir : {"/sys", "/sys/config", "/sys/data", "/sys/data/cf", "/site", "/site/config", "/user",
                            "/user/config"})
        mkdir((r + dir).c_str(), 0700);
    if (FILE *f = std::fopen((r + "/sys/config/interface.base").c_str(), "w")) {
        std::fputs("SupportedLanguages\tSYSTEM\tenu\nenu.LanguageID\tSYSTEM\t1\n", f);
        std::fclose(f);
    }
    if (FILE *f = std::fopen((r + "/sys/data/cf/behavior.plist").c_str(), "w")) {
        std::fputs("{ }\n", f);
        std::fclose(f);
    }
    setenv("ORV_ROOT_PATH", r.c_str(), 1);
    setenv("ORV_SYS_CONFIG_PATH", (r + "/sys/config").c_str(), 1);
    setenv("ORV_SITE_CONFIG_PATH", (r + "/site/config").c_str(), 1);
    setenv("ORV_USER_CONFIG_PATH", (r + "/user/config").c_str(), 1);
    setenv("ORV_SYS_DATA_PATH", (r + "/sys/data").c_str(), 1);
    setenv("TZ", "UTC0", 1);
    tzset();
}

const char *const kTypical[] = {"5/6/2017", "05/06/17", "050617",   "May 5, 2017", "13/5/2017",
                                "today",    "2017-13-05", "May0517", "6-Jun-17",   "12/31/99",
                                "1/1/1999", "Sep 30 2024", "311299", "2/29/2024",  "unknown",
                                "11-11-11"};
constexpr int kTypicalCount = sizeof kTypical / sizeof kTypical[0];

// Sixty-four ISO dates spread over the calendar.
std::vector<std::string> isoTexts() {
    std::vector<std::string> out;
    for (int date = 19700101; out.size() < 64; date = dt_plus_days(date, 613)) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", date / 10000, date / 100 % 100, date % 100);
        out.push_back(buf);
    }
    return out;
}
const std::vector<std::string> &Iso() {
    static const std::vector<std::string> texts = isoTexts();
    return texts;
}

std::vector<int> dates() {
    std::vector<int> out;
    for (const std::string &s : Iso()) out.push_back(std::atoi(s.c_str()) * 10000 + std::atoi(s.c_str() + 5) * 100 + std::atoi(s.c_str() + 8));
    return out;
}

void BM_dt_str_to_date_Typical(benchmark::State &state) {
    int i = 0, date = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dt_str_to_date(&date, kTypical[i]));
        i = (i + 1) % kTypicalCount;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_dt_str_to_date_Iso(benchmark::State &state) {
    const auto &texts = Iso();
    std::size_t i = 0;
    int date = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dt_str_to_date_format(&date, texts[i].c_str(), 9));
        i = (i + 1) & 63;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_strptime_Iso(benchmark::State &state) {
    const auto &texts = Iso();
    std::size_t i = 0;
    std::tm tm{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(strptime(texts[i].c_str(), "%Y-%m-%d", &tm));
        benchmark::DoNotOptimize(tm);
        i = (i + 1) & 63;
    }
    state.SetItemsProcessed(state.iterations());
}

template <int Format>
void BM_dt_date_to_str_format(benchmark::State &state) {
    static const std::vector<int> values = dates();
    std::size_t i = 0;
    char buf[64];
    for (auto _ : state) {
        benchmark::DoNotOptimize(dt_date_to_str_format(buf, values[i], Format, '-'));
        benchmark::DoNotOptimize(buf);
        i = (i + 1) & 63;
    }
}

template <int Format>
void BM_strftime(benchmark::State &state) {
    static const std::vector<int> values = dates();
    std::vector<std::tm> tms;
    for (int v : values) {
        std::tm tm{};
        tm.tm_year = v / 10000 - 1900, tm.tm_mon = v / 100 % 100 - 1, tm.tm_mday = v % 100;
        tms.push_back(tm);
    }
    const std::string pattern = dt_fmt_to_unix_str(Format, '-');
    std::size_t i = 0;
    char buf[64];
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::strftime(buf, sizeof buf, pattern.c_str(), &tms[i]));
        benchmark::DoNotOptimize(buf);
        i = (i + 1) & 63;
    }
}

BENCHMARK(BM_dt_str_to_date_Typical);
BENCHMARK(BM_strptime_Iso);
BENCHMARK(BM_dt_str_to_date_Iso);
BENCHMARK(BM_strftime<4>);
BENCHMARK(BM_dt_date_to_str_format<4>);
BENCHMARK(BM_strftime<1>);
BENCHMARK(BM_dt_date_to_str_format<1>);
BENCHMARK(BM_strftime<13>);
BENCHMARK(BM_dt_date_to_str_format<13>);

}  // namespace

int main(int argc, char **argv) {
    orvbench::quiet_trace();
    install();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char *ours, const char *base) {
        double a = reporter.time_of(ours), b = reporter.time_of(base);
        if (a > 0 && b > 0) std::printf("%-34s %.2fx %s\n", ours, a / b, base);
    };
    std::printf("\n");
    double typical = reporter.time_of("BM_dt_str_to_date_Typical");
    if (typical > 0) std::printf("dt_str_to_date, typical texts: %.2f million dates a second\n", 1e3 / typical);
    ratio("BM_dt_str_to_date_Iso", "BM_strptime_Iso");
    ratio("BM_dt_date_to_str_format<4>", "BM_strftime<4>");
    ratio("BM_dt_date_to_str_format<1>", "BM_strftime<1>");
    ratio("BM_dt_date_to_str_format<13>", "BM_strftime<13>");
    benchmark::Shutdown();
    return 0;
}

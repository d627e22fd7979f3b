// Configuration lookups from many threads at once: readers of every kind
// (joined, typed, value lists, one domain, other hosts, expanded values,
// groups read on first use, listings) against a thread that changes and
// refreshes, with every answer checked. Run under the race detector in CI.
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include "config/cf_lookup_origin.h"
#include "config/cf_module_testing.h"

#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/cfset.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/orvobjects.h>
#include <ORVCommonKit/tr.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using orvtest::TempInstallation;
using orvtest::TraceCapture;

constexpr int kReaders = 8;
constexpr int kVariables = 200;
// Groups that no reader has asked for before the threads start.
constexpr int kLateGroups = 24;

// HOSTS expands to the elements of READING; PORT_* is looked up through the
// host groups of the current host.
const char *const Behaviors = R"({
    viewer = { variables = { HOSTS = 0x02; "PORT_*" = 0x10; }; };
})";

const char *const Terms = "LIST_OF_GROUPS USER READING\n"
                          "READING USER ws12 ws13\n";

std::string expected_value(int i) {
    // Every third variable is overridden in the site file.
    return (i % 3 == 0 ? "site" : "sys") + std::to_string(i);
}

class ConfigThreadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        cf_term();
        // No thread reports anything while the answers are right; errors
        // are still caught.
        trace_.start();
        tr_ignore_traces_below_level_quietly(tr_NONE);
        tr_ignore_warnings_below_level_quietly(tr_NONE);
        dir_.write("sys/data/cf/behavior.plist", Behaviors);
        dir_.write("site/config/group.site", Terms);
        std::string sys, site;
        for (int i = 0; i < kVariables; ++i) {
            sys += "V" + std::to_string(i) + "\tUSER\tsys" + std::to_string(i) + "\n";
            if (i % 3 == 0)
                site += "V" + std::to_string(i) + "\tUSER\tsite" + std::to_string(i) + "\n";
        }
        sys += "PORT\tUSER\t104\nws12.PORT\tUSER\t4104\nHOSTS\tUSER\t$READING\n";
        sys += "$READING.PORT_A\tUSER\t7\n";
        dir_.write("sys/config/viewer.base", sys);
        dir_.write("site/config/viewer.site", site);
        dir_.write("sys/config/counter.base", "COUNT\tUSER\t0\n");
        for (int g = 0; g < kLateGroups; ++g)
            dir_.write("site/config/late" + std::to_string(g) + ".site",
                       "X\tUSER\tx" + std::to_string(g) + "\n");
        ASSERT_EQ(0, cf_init_ex("jdoe", "RAD"));
        orv_cfmodule_testing_set_local_host("ws12");
    }
    void TearDown() override {
        cf_term();
        trace_.stop();
    }

    // Records a wrong answer (the first few are kept for the message).
    void wrong(const std::string &what) {
        std::lock_guard<std::mutex> guard(mutex_);
        if (failures_.size() < 10) failures_.push_back(what);
        ++failure_count_;
    }

    // One mixed round of lookups of reader r.
    void read_round(int r, int round, int &last_count) {
        char buffer[256];
        const int i = (r * 37 + round * 11) % kVariables;
        const std::string name = "V" + std::to_string(i);
        int status = cf_get_string(cf_DOMAIN_ALL, "viewer", name.c_str(), nullptr, buffer,
                                   sizeof buffer - 1, nullptr);
        if (status != 0 || buffer != expected_value(i))
            wrong(name + ": " + std::to_string(status) + " " + buffer);

        status = cf_get_string_from_domain_sys(name, buffer, sizeof buffer);
        if (status != 0 || buffer != "sys" + std::to_string(i))
            wrong(name + " in SYS: " + std::to_string(status) + " " + buffer);

        // Each call's host is its own: ws12 has a host entry, ws40+r none.
        const bool own_host = round % 2 == 0;
        const std::string other = "ws" + std::to_string(40 + r);
        status = cf_get_string_for_host(cf_DOMAIN_ALL, "viewer", "PORT",
                                        own_host ? "ws12" : other.c_str(), nullptr, buffer,
                                        sizeof buffer - 1, nullptr);
        if (status != 0 || buffer != std::string(own_host ? "4104" : "104"))
            wrong("PORT for " + std::string(own_host ? "ws12" : other) + ": " +
                  std::to_string(status) + " " + buffer);

        // Host groups: ws13 is in READING, the thread's other host is not.
        int port = -1;
        status = orv_cf_get_simple_for_host(cf_DOMAIN_ALL, "viewer", "PORT_A",
                                            own_host ? "ws13" : other.c_str(), &port,
                                            cf_TYPE_INT);
        if (own_host ? status != 0 || port != 7 : status != cf_NOT_FOUND)
            wrong("PORT_A: " + std::to_string(status) + " " + std::to_string(port));

        char *values[cf_MAX_VALUES];
        int count = 0;
        status = cf_get(cf_DOMAIN_ALL, "viewer", "HOSTS", nullptr, &count, values);
        if (status == 0) {
            if (count != 2 || std::string(values[0]) != "ws12" ||
                std::string(values[1]) != "ws13")
                wrong("HOSTS expanded to " + std::to_string(count) + " values");
            cf_free(values, count);
        } else {
            wrong("HOSTS: " + std::to_string(status));
        }

        // A group read on its first use, by whichever thread comes first.
        const std::string late = "late" + std::to_string((r + round) % kLateGroups);
        status = cf_get_string(cf_DOMAIN_ALL, late.c_str(), "X", nullptr, buffer,
                               sizeof buffer - 1, nullptr);
        if (status != 0 || buffer != "x" + late.substr(4))
            wrong(late + ": " + std::to_string(status) + " " + buffer);

        // The changing thread only ever counts up.
        int counted = -1;
        status = cf_get_simple(cf_DOMAIN_ALL, "counter", "COUNT", nullptr, &counted, cf_TYPE_INT,
                               -1);
        if (status == 0) {
            if (counted < last_count) wrong("COUNT went back from " + std::to_string(last_count));
            last_count = counted;
        } else {
            wrong("COUNT: " + std::to_string(status));
        }
    }

    static int cf_get_string_from_domain_sys(const std::string &name, char *buffer, int size) {
        char *values[cf_MAX_VALUES];
        int count = 0;
        buffer[0] = '\0';
        const int status =
            cf_get_from_domain(cf_DOMAIN_SYS, "viewer", name.c_str(), nullptr, &count, values);
        if (status == 0 && count > 0) std::snprintf(buffer, static_cast<std::size_t>(size), "%s", values[0]);
        if (status == 0) cf_free(values, count);
        return status;
    }

    // Runs kReaders readers until change() returns, each at least rounds
    // rounds; returns the rounds read in all.
    long run(const std::function<void()> &change, int rounds) {
        std::atomic<bool> done{false};
        std::atomic<long> total{0};
        std::vector<std::thread> readers;
        for (int r = 0; r < kReaders; ++r) {
            readers.emplace_back([&, r] {
                int last_count = -1;
                long n = 0;
                for (int round = 0; round < rounds || !done.load(); ++round, ++n)
                    read_round(r, round, last_count);
                total += n;
            });
        }
        change();
        done = true;
        for (std::thread &t : readers) t.join();
        return total.load();
    }

    TempInstallation dir_;
    TraceCapture trace_;
    std::mutex mutex_;
    std::vector<std::string> failures_;
    int failure_count_ = 0;
};

std::string joined(const std::vector<std::string> &lines) {
    std::string out;
    for (const std::string &line : lines) out += line + "\n";
    return out;
}

TEST_F(ConfigThreadsTest, ReadersSeeEveryChangeWhole) {
    const long rounds = run(
        [] {
            for (int k = 1; k <= 60; ++k) {
                const std::string text = std::to_string(k);
                const char *value = text.c_str();
                ASSERT_EQ(0, cf_set(cf_DOMAIN_USER, "counter", "COUNT", cf_USER_PRIV, 1, &value));
                if (k % 10 == 0) {
                    ASSERT_EQ(0, cf_refresh_config_table_for_group("viewer"));
                    ASSERT_EQ(0, cf_refresh_config_table_for_group("counter"));
                }
                std::this_thread::yield();
            }
        },
        50);
    EXPECT_EQ(0, failure_count_) << joined(failures_);
    EXPECT_GE(rounds, 50L * kReaders);
    int counted = 0;
    EXPECT_EQ(0, cf_get_simple(cf_DOMAIN_ALL, "counter", "COUNT", nullptr, &counted, cf_TYPE_INT, 0));
    EXPECT_EQ(60, counted);
    EXPECT_TRUE(trace_.errors().empty()) << joined(trace_.errors());
}

TEST_F(ConfigThreadsTest, ListingsOfAHeldTableBesideLookups) {
    ORVConfigurationTable *table = nullptr;
    ASSERT_EQ(0, cf_read_entire_file(cf_DOMAIN_ALL, "viewer", &table));
    std::vector<std::thread> threads;
    std::atomic<int> wrong_answers{0};
    for (int t = 0; t < kReaders; ++t) {
        threads.emplace_back([&, t] {
            for (int n = 0; n < 100; ++n) {
                ORVArray *names = nullptr;
                int count = 0;
                if (cf_variable_names_for_table(table, &names, &count) != 0 ||
                    count != kVariables + 3)
                    ++wrong_answers;
                orv_object_release(reinterpret_cast<ORVObject *>(names));
                unsigned char found = 0;
                char name[64];
                if (cf_find_string_value_in_table_for_host(table, "4104", "ws12", &found, name,
                                                           63) != 0 ||
                    !found || std::string(name) != "PORT")
                    ++wrong_answers;
                char buffer[64];
                const int i = (t * 13 + n) % kVariables;
                if (cf_get_string_from_table(table, cf_DOMAIN_ALL,
                                             ("V" + std::to_string(i)).c_str(), nullptr, buffer,
                                             63, nullptr) != 0 ||
                    buffer != expected_value(i))
                    ++wrong_answers;
            }
        });
    }
    for (std::thread &t : threads) t.join();
    cf_free_table(&table);
    EXPECT_EQ(0, wrong_answers.load());
}

}  // namespace

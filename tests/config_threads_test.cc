// Configuration lookups from many threads at once: readers of every kind
// (joined, typed, value lists, one domain, other hosts, expanded values,
// groups read on first use, listings) against a thread that changes and
// refreshes, with every answer checked. Run under the race detector in CI.
#include "support/config_helpers.h"

#include "config/cf_lock.h"
#include "config/cf_lookup_origin.h"
#include "config/cf_module_testing.h"

#include <ORVCommonKit/cfset.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/orvobjects.h>
#include <ORVCommonKit/tr.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kReaders = 8;
constexpr int kVariables = 200;
// Groups that no reader has asked for before the threads start.
constexpr int kLateGroups = 24;

// Every third variable is overridden in the site file.
std::string expected_value(int i) { return (i % 3 == 0 ? "site" : "sys") + std::to_string(i); }

// HOSTS expands to the elements of READING; PORT_* is looked up through the
// host groups of the current host.
class ConfigThreadsTest : public orvtest::ConfigTest {
protected:
    ConfigThreadsTest() : ConfigTest(R"({ viewer = { variables = { HOSTS = 0x02; "PORT_*" = 0x10; }; }; })") {}
    void SetUp() override {
        ConfigTest::SetUp();
        // No thread reports anything while the answers are right; errors are still caught.
        tr_ignore_traces_below_level_quietly(tr_NONE);
        tr_ignore_warnings_below_level_quietly(tr_NONE);
        write("site/config/group.site", "LIST_OF_GROUPS USER READING\nREADING USER ws12 ws13\n");
        std::string sys = "PORT\tUSER\t104\nws12.PORT\tUSER\t4104\nHOSTS\tUSER\t$READING\n$READING.PORT_A\tUSER\t7\n", site;
        for (int i = 0; i < kVariables; ++i) {
            sys += "V" + std::to_string(i) + "\tUSER\tsys" + std::to_string(i) + "\n";
            if (i % 3 == 0) site += "V" + std::to_string(i) + "\tUSER\tsite" + std::to_string(i) + "\n";
        }
        write("sys/config/viewer.base", sys);
        ConfigTest::site(site);
        write("sys/config/counter.base", "COUNT\tUSER\t0\n");
        for (int g = 0; g < kLateGroups; ++g)
            write("site/config/late" + std::to_string(g) + ".site", "X\tUSER\tx" + std::to_string(g) + "\n");
        ASSERT_EQ(0, cf_init_ex("jdoe", "RAD"));
        orv_cfmodule_testing_set_local_host("ws12");
    }

    // Records a wrong answer (the first few are kept for the message).
    void check(bool right, const std::string &what) {
        if (right) return;
        std::lock_guard<std::mutex> guard(mutex_);
        if (failure_count_ < 10) failures_ += what + "\n";
        ++failure_count_;
    }

    // One mixed round of lookups of reader r.
    void read_round(int r, int round, int &last_count) {
        const int i = (r * 37 + round * 11) % kVariables;
        const std::string name = "V" + std::to_string(i);
        check(orvtest::cf_values("viewer", name.c_str()) == expected_value(i), name);
        check(orvtest::cf_values("viewer", name.c_str(), cf_DOMAIN_SYS) == "sys" + std::to_string(i), name + " in SYS");
        // Each call's host is its own: ws12 has a host entry, ws40+r none;
        // ws13 is in READING, the thread's other host is not.
        const bool own_host = round % 2 == 0;
        const std::string other = "ws" + std::to_string(40 + r);
        check(orvtest::cf_values("viewer", "PORT", cf_DOMAIN_ALL, own_host ? "ws12" : other.c_str()) ==
                  (own_host ? "4104" : "104"),
              "PORT for " + other);
        int port = -1;
        const int status = orv_cf_get_simple_for_host(cf_DOMAIN_ALL, "viewer", "PORT_A",
                                                      own_host ? "ws13" : other.c_str(), &port, cf_TYPE_INT);
        check(own_host ? status == 0 && port == 7 : status == cf_NOT_FOUND, "PORT_A " + std::to_string(status));
        check(orvtest::cf_values("viewer", "HOSTS") == "ws12|ws13", "HOSTS");
        // A group read on its first use, by whichever thread comes first.
        const int late = (r + round) % kLateGroups;
        check(orvtest::cf_values(("late" + std::to_string(late)).c_str(), "X") == "x" + std::to_string(late), "late");
        // The changing thread only ever counts up.
        int counted = -1;
        check(cf_get_simple(cf_DOMAIN_ALL, "counter", "COUNT", nullptr, &counted, cf_TYPE_INT, -1) == 0 &&
                  counted >= last_count,
              "COUNT went back from " + std::to_string(last_count));
        last_count = counted;
        // Listings of the table a reader holds, refreshed in place meanwhile.
        ORVArray *names = nullptr;
        int count = 0;
        check(cf_variable_names_for_table(held_, &names, &count) == 0 && count == kVariables + 3, "names");
        orv_object_release(reinterpret_cast<ORVObject *>(names));
        unsigned char found = 0;
        char holder[64];
        check(cf_find_string_value_in_table_for_host(held_, "4104", "ws12", &found, holder, 63) == 0 && found &&
                  std::string(holder) == "PORT",
              "found");
    }

    // Runs kReaders readers until change() returns, each at least
    // rounds rounds; returns the rounds read in all.
    long run(const std::function<void()> &change, int rounds) {
        std::atomic<bool> done{false};
        std::atomic<long> total{0};
        std::vector<std::thread> readers;
        for (int r = 0; r < kReaders; ++r) {
            readers.emplace_back([&, r] {
                int last_count = -1, round = 0;
                for (; round < rounds || !done.load(); ++round) read_round(r, round, last_count);
                total += round;
            });
        }
        change();
        done = true;
        for (std::thread &t : readers) t.join();
        return total.load();
    }

    ORVConfigurationTable *held_ = nullptr;
    std::mutex mutex_;
    std::string failures_;
    int failure_count_ = 0;
};

TEST_F(ConfigThreadsTest, ReadersSeeEveryChangeWhole) {
    const auto change = [] {
        for (int k = 1; k <= 60; ++k) {
            ASSERT_EQ(0, cf_set_string(cf_DOMAIN_USER, "counter", "COUNT", cf_USER_PRIV, std::to_string(k).c_str()));
            if (k % 10 == 0) {
                ASSERT_EQ(0, cf_refresh_config_table_for_group("viewer"));
                ASSERT_EQ(0, cf_refresh_config_table_for_group("counter"));
            }
            std::this_thread::yield();
        }
    };
    ASSERT_EQ(0, cf_read_entire_file(cf_DOMAIN_ALL, "viewer", &held_));
    const long rounds = run(change, 50);
    cf_free_table(&held_);
    EXPECT_EQ(0, failure_count_) << failures_;
    EXPECT_GE(rounds, 50L * kReaders);
    EXPECT_EQ("60", orvtest::cf_values("counter", "COUNT"));
    EXPECT_TRUE(trace_.errors().empty()) << trace_.errors()[0];
}

// A reader announces itself in a slot that no other reading thread holds.
TEST(ConfigLockTest, EveryReadingThreadHasASlotOfItsOwn) {
    cf::lock_detail::ReaderSlot *outer = nullptr, *inner = nullptr;
    std::thread reader([&] {
        const cf::ReadSection read;
        outer = cf::lock_detail::Sections.slot;
        std::thread nested([&] {
            const cf::ReadSection nested_read;
            inner = cf::lock_detail::Sections.slot;
        });
        nested.join();
    });
    reader.join();
    ASSERT_NE(nullptr, outer);
    EXPECT_NE(outer, inner);
}

}  // namespace

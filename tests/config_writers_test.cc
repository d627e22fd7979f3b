// Writers of one domain file in several processes at once: every change that
// returns success is in the file afterwards, none fails because another
// process is writing, a writer killed while it holds the lock stops nobody,
// and no link planted under a name the rewrite creates is ever followed.
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include "config/cf_file_lock.h"

#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/cfset.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/tr.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using orvtest::read_file;
using orvtest::TempInstallation;
using orvtest::TraceCapture;

void quiet(const char *, int) {}

// The entries of a domain file: name to its single value.
std::map<std::string, std::string> entries_of(const std::string &text) {
    std::map<std::string, std::string> entries;
    for (const std::string &line : orvtest::lines_of(text)) {
        const size_t tab = line.find('\t');
        const size_t tab2 = line.find('\t', tab + 1);
        if (tab == std::string::npos || tab2 == std::string::npos) continue;
        entries[line.substr(0, tab)] = line.substr(tab2 + 1);
    }
    return entries;
}

class ConfigWritersTest : public ::testing::Test {
protected:
    void SetUp() override {
        cf_term();
        trace_.start();
        dir_.write("sys/data/cf/behavior.plist", "{ }");
    }
    void TearDown() override {
        cf_term();
        cf::set_lock_wait_ms(10000);
        trace_.stop();
    }

    // Runs body(i) in `writers` child processes at once, each with the
    // module started; true when every child returned 0 from body.
    bool run_writers(int writers, const std::function<int(int)> &body) {
        std::vector<pid_t> children;
        for (int i = 0; i < writers; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                tr_init_with_call_back(quiet);
                if (cf_init("jdoe") != 0) _exit(90);
                _exit(body(i));
            }
            children.push_back(pid);
        }
        bool all = true;
        for (pid_t pid : children) {
            int status = 0;
            waitpid(pid, &status, 0);
            all = all && WIFEXITED(status) && WEXITSTATUS(status) == 0;
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                << "writer ended with " << status;
        }
        return all;
    }

    std::string site(const char *group) const { return dir_ / ("site/config/" + std::string(group) + ".site"); }

    // In memory where the machine has it: the hundreds of rewrites here
    // would otherwise wait on the disk's syncs, which tell nothing about the
    // lock.
    orvtest::ScopedEnv tmpdir_{"TMPDIR", access("/dev/shm", W_OK) == 0
                                             ? std::optional<std::string>("/dev/shm")
                                             : std::nullopt};
    TempInstallation dir_;
    TraceCapture trace_;
};

// Four processes make 200 changes each to one site file: new entries, a
// second value for some of them, and removals of entries that were there
// before (each removed by exactly one process). Without the lock, writers
// renamed each other's temporary copy away and overwrote each other's
// changes: most of them were lost although cf_set had returned success.
TEST_F(ConfigWritersTest, ConcurrentChangesAreAllKept) {
    constexpr int kWriters = 4;
    constexpr int kChanges = 200;
    std::string before;
    std::map<std::string, std::string> expected;
    for (int i = 0; i < kWriters * 20; ++i) {
        const std::string name = "OLD" + std::to_string(i);
        before += name + "\tUSER\tv" + std::to_string(i) + "\n";
        expected[name] = "v" + std::to_string(i);
    }
    dir_.write("site/config/shared.site", before);

    const bool all = run_writers(kWriters, [](int w) {
        for (int k = 0; k < kChanges; ++k) {
            int status;
            const std::string own = "W" + std::to_string(w) + "_" + std::to_string(k / 2);
            if (k % 10 == 9) {
                // Removes one of the entries that were there before.
                const std::string old = "OLD" + std::to_string(w * 20 + k / 10);
                status = cf_rm(cf_DOMAIN_SITE, "shared", old.c_str());
            } else {
                // Even k adds the entry, odd k replaces its value.
                const std::string value = std::to_string(k);
                status = cf_set_string(cf_DOMAIN_SITE, "shared", own.c_str(), 0, value.c_str());
            }
            if (status != 0) return 1;
        }
        return 0;
    });
    ASSERT_TRUE(all);

    for (int w = 0; w < kWriters; ++w) {
        for (int k = 0; k < kChanges; ++k) {
            if (k % 10 == 9) expected.erase("OLD" + std::to_string(w * 20 + k / 10));
            else expected["W" + std::to_string(w) + "_" + std::to_string(k / 2)] = std::to_string(k);
        }
    }
    EXPECT_EQ(expected, entries_of(read_file(site("shared"))));
    struct stat st;
    EXPECT_NE(0, lstat((site("shared") + "+").c_str(), &st)) << "temporary copy left behind";
}

// The first cf_set of a group creates its file; writers that all start from
// no file keep every change all the same.
TEST_F(ConfigWritersTest, WritersCreatingTheFileTogetherKeepEveryChange) {
    ASSERT_TRUE(run_writers(4, [](int w) {
        for (int k = 0; k < 10; ++k) {
            const std::string name = "N" + std::to_string(w) + "_" + std::to_string(k);
            if (cf_set_string(cf_DOMAIN_SITE, "fresh", name.c_str(), 0, "x") != 0) return 1;
        }
        return 0;
    }));
    EXPECT_EQ(40u, entries_of(read_file(site("fresh"))).size());
}

// A holder that does not let go makes a writer fail after the wait with a
// report naming the file and the holder; killed, it stops nobody.
TEST_F(ConfigWritersTest, AWriterKilledHoldingTheLockStopsNobody) {
    dir_.write("site/config/held.site", "A\tUSER\t1\n");
    int ready[2];
    ASSERT_EQ(0, pipe(ready));
    const pid_t holder = fork();
    if (holder == 0) {
        const cf::DomainFileLock lock(site("held"));
        const char answer = lock.status() == 0 ? 'y' : 'n';
        if (write(ready[1], &answer, 1) != 1) _exit(1);
        for (;;) pause();
    }
    char answer = 0;
    ASSERT_EQ(1, read(ready[0], &answer, 1));
    ASSERT_EQ('y', answer);

    ASSERT_EQ(0, cf_init("jdoe"));
    cf::set_lock_wait_ms(300);
    EXPECT_EQ(cf_FILE_NWRITE, cf_set_string(cf_DOMAIN_SITE, "held", "B", 0, "2"));
    const std::string report = "Configuration file \"" + site("held") +
                               "\" is being changed by process " + std::to_string(holder);
    EXPECT_TRUE(std::any_of(trace_.errors().begin(), trace_.errors().end(),
                            [&](const std::string &e) { return e.find(report) != std::string::npos; }))
        << ::testing::PrintToString(trace_.errors());

    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    cf::set_lock_wait_ms(10000);
    EXPECT_EQ(0, cf_set_string(cf_DOMAIN_SITE, "held", "B", 0, "2"));
    EXPECT_EQ(0, cf_rm(cf_DOMAIN_SITE, "held", "A"));
    // The appended entry follows an empty line.
    EXPECT_EQ("\nB\tUSER\t2\n", read_file(site("held")));
    close(ready[0]);
    close(ready[1]);
}

// Links planted under the names a rewrite creates (its temporary copy, the
// lock file) are removed, never followed: the file they point at stays as
// it was, and the domain file becomes a regular file.
TEST_F(ConfigWritersTest, PlantedLinksAreNeverFollowed) {
    const std::string victim = dir_.write("victim.txt", "precious\n");
    struct Case {
        const char *suffix;
        std::function<int()> change;
    };
    const Case cases[] = {
        {"+", [] { return cf_set_string(cf_DOMAIN_SITE, "linked", "NAME", 0, "value"); }},
        {".lock", [] { return cf_set_string(cf_DOMAIN_SITE, "linked", "NAME", 0, "other"); }},
        {"+", [] { return cf_rm(cf_DOMAIN_SITE, "linked", "NAME"); }},
        {"+", [] {
             ORVConfigurationTable *table = nullptr;
             cf_read_entire_file(cf_DOMAIN_ALL, "viewer", &table);
             const char *values[] = {"1"};
             cf_set_from_table(&table, cf_DOMAIN_SITE, "SAVED", 0, 1, values);
             const int status = cf_save_domain_with_table(table, cf_DOMAIN_SITE, "linked");
             cf_free_table(&table);
             return status;
         }},
    };
    dir_.write("site/config/viewer.site", "X\tUSER\t1\n");
    ASSERT_EQ(0, cf_init("jdoe"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.suffix);
        const std::string planted = site("linked") + c.suffix;
        std::remove(planted.c_str());
        ASSERT_EQ(0, symlink(victim.c_str(), planted.c_str()));
        EXPECT_EQ(0, c.change());
        EXPECT_EQ("precious\n", read_file(victim));
        struct stat st;
        ASSERT_EQ(0, lstat(site("linked").c_str(), &st));
        EXPECT_TRUE(S_ISREG(st.st_mode));
    }
}

}  // namespace

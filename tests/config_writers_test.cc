// Writers of one domain file in several processes at once: every change that
// returns success is in the file afterwards, none fails because another
// process is writing, a writer killed while it holds the lock stops nobody,
// no link planted under a name the rewrite creates is ever followed, and a
// writer killed at any moment leaves the old file or the new one, whole.
#include "support/config_helpers.h"
#include "support/orv_child.h"

#include "config/cf_file_lock.h"

#include <ORVCommonKit/cfset.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/tr.h>

#include <signal.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using orvtest::read_file;

void quiet(const char *, int) {}

// The entries of a domain file: name to its single value.
std::map<std::string, std::string> entries_of(const std::string &text) {
    std::map<std::string, std::string> entries;
    for (const std::string &line : orvtest::lines_of(text)) {
        const size_t tab = line.find('\t'), tab2 = line.find('\t', tab + 1);
        if (tab2 != std::string::npos) entries[line.substr(0, tab)] = line.substr(tab2 + 1);
    }
    return entries;
}

// In memory where the machine has it: the hundreds of rewrites here would
// otherwise wait on the disk's syncs, which tell nothing about the lock. Set
// before the installation is made.
struct InMemoryTemporaries {
    orvtest::ScopedEnv tmpdir_{"TMPDIR", access("/dev/shm", W_OK) == 0 ? std::optional<std::string>("/dev/shm")
                                                                         : std::nullopt};
};

class ConfigWritersTest : private InMemoryTemporaries, public orvtest::ConfigTest {
protected:
    ConfigWritersTest() : ConfigTest("{ }") {}
    void TearDown() override {
        ConfigTest::TearDown();
        cf::set_lock_wait_ms(10000);
    }

    // Runs body(i) in `writers` child processes at once, each with the
    // module started; true when every child returned 0 from body.
    bool run_writers(int writers, const std::function<int(int)> &body) {
        std::vector<pid_t> children;
        for (int i = 0; i < writers; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                tr_init_with_call_back(quiet);
                _exit(cf_init("jdoe") != 0 ? 90 : body(i));
            }
            children.push_back(pid);
        }
        bool all = true;
        for (pid_t pid : children) {
            int status = 0;
            waitpid(pid, &status, 0);
            all = all && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        return all;
    }
    std::string site_of(const char *group) const { return dir_ / ("site/config/" + std::string(group) + ".site"); }
};

// Change k of writer w: even k adds an entry of its own, odd k replaces its
// value, and every tenth change removes one of the writer's earlier entries.
struct Change {
    bool remove;
    std::string name, value;
};
Change change_of(int w, int k) {
    const std::string prefix = "W" + std::to_string(w) + "_";
    if (k % 10 == 9) return {true, prefix + std::to_string(k / 2 - 4), ""};
    return {false, prefix + std::to_string(k / 2), std::to_string(k)};
}

// Four processes make 200 changes each to one site file, which none of them
// finds there at first. Without the lock, writers renamed each other's
// temporary copy away and overwrote each other's changes: most of them were
// lost although cf_set had returned success.
TEST_F(ConfigWritersTest, ConcurrentChangesAreAllKept) {
    constexpr int kWriters = 4, kChanges = 200;
    ASSERT_TRUE(run_writers(kWriters, [](int w) {
        for (int k = 0; k < kChanges; ++k) {
            const Change c = change_of(w, k);
            const int status = c.remove ? cf_rm(cf_DOMAIN_SITE, "shared", c.name.c_str())
                                        : cf_set_string(cf_DOMAIN_SITE, "shared", c.name.c_str(), 0, c.value.c_str());
            if (status != 0) return 1;
        }
        return 0;
    }));
    std::map<std::string, std::string> expected;
    for (int w = 0; w < kWriters; ++w) {
        for (int k = 0; k < kChanges; ++k) {
            const Change c = change_of(w, k);
            if (c.remove) expected.erase(c.name);
            else expected[c.name] = c.value;
        }
    }
    EXPECT_EQ(expected, entries_of(read_file(site_of("shared"))));
    struct stat st;
    EXPECT_NE(0, lstat((site_of("shared") + "+").c_str(), &st)) << "temporary copy left behind";
}

// A holder that does not let go makes a writer fail after the wait with a
// report naming the file and the holder; killed, it stops nobody.
TEST_F(ConfigWritersTest, AWriterKilledHoldingTheLockStopsNobody) {
    write("site/config/held.site", "A\tUSER\t1\n");
    int ready[2];
    ASSERT_EQ(0, pipe(ready));
    const pid_t holder = fork();
    if (holder == 0) {
        const cf::DomainFileLock lock(site_of("held"));
        const char answer = lock.status() == 0 ? 'y' : 'n';
        if (::write(ready[1], &answer, 1) != 1) _exit(1);
        for (;;) pause();
    }
    char answer = 0;
    ASSERT_EQ(1, read(ready[0], &answer, 1));
    ASSERT_EQ('y', answer);
    close(ready[0]);
    close(ready[1]);

    ASSERT_EQ(0, cf_init("jdoe"));
    cf::set_lock_wait_ms(300);
    EXPECT_EQ(cf_FILE_NWRITE, cf_set_string(cf_DOMAIN_SITE, "held", "B", 0, "2"));
    ASSERT_FALSE(trace_.errors().empty());
    EXPECT_NE(std::string::npos, trace_.errors().back().find("Configuration file \"" + site_of("held") +
                                                             "\" is being changed by process " + std::to_string(holder)))
        << trace_.errors().back();
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    cf::set_lock_wait_ms(10000);
    EXPECT_EQ(0, cf_set_string(cf_DOMAIN_SITE, "held", "B", 0, "2"));
    EXPECT_EQ(0, cf_rm(cf_DOMAIN_SITE, "held", "A"));
    // The appended entry follows an empty line.
    EXPECT_EQ("\nB\tUSER\t2\n", read_file(site_of("held")));
    // The lock of a file that is not there yet is readable by all, writable by the group.
    EXPECT_EQ(0, cf::DomainFileLock(site_of("fresh")).status());
    struct stat st {};
    ASSERT_EQ(0, stat((site_of("fresh") + ".lock").c_str(), &st));
    EXPECT_EQ(0664u, st.st_mode & 07777);
    // With standard input closed the lock may be descriptor 0; it is closed all the same.
    EXPECT_EQ(0, orvtest::run_in_child("", [this] {
                     close(0);
                     { const cf::DomainFileLock zero(site_of("fresh")); }
                     if (fcntl(0, F_GETFD) != -1) _exit(3);
                 }).status);
}

// Links planted under the names a rewrite creates (its temporary copy, the
// lock file) are removed, never followed: the file they point at stays as
// it was, and the domain file becomes a regular file.
TEST_F(ConfigWritersTest, PlantedLinksAreNeverFollowed) {
    const std::string victim = write("victim.txt", "precious\n");
    const std::pair<const char *, std::function<int()>> cases[] = {
        {"+", [] { return cf_set_string(cf_DOMAIN_SITE, "linked", "NAME", 0, "value"); }},
        {".lock", [] { return cf_set_string(cf_DOMAIN_SITE, "linked", "NAME", 0, "other"); }},
        {"+", [] { return cf_rm(cf_DOMAIN_SITE, "linked", "NAME"); }},
        {"+", [] {
             ORVConfigurationTable *table = nullptr;
             cf_read_entire_file(cf_DOMAIN_ALL, "viewer", &table);
             cf_set_string_from_table(&table, cf_DOMAIN_SITE, "SAVED", 0, "1");
             const int status = cf_save_domain_with_table(table, cf_DOMAIN_SITE, "linked");
             cf_free_table(&table);
             return status;
         }},
    };
    site("X\tUSER\t1\n");
    ASSERT_EQ(0, cf_init("jdoe"));
    for (const auto &[suffix, change] : cases) {
        SCOPED_TRACE(suffix);
        const std::string planted = site_of("linked") + suffix;
        std::remove(planted.c_str());
        ASSERT_EQ(0, symlink(victim.c_str(), planted.c_str()));
        EXPECT_EQ(0, change());
        EXPECT_EQ("precious\n", read_file(victim));
        struct stat st;
        ASSERT_EQ(0, lstat(site_of("linked").c_str(), &st));
        EXPECT_TRUE(S_ISREG(st.st_mode));
    }
}

// ---- Crash safety ----

constexpr int kKills = 200;

// The values of change number index: one to five values, longer as the index
// grows, so that later rewrites take longer and need continuation lines.
std::vector<const char *> values_of(std::uint32_t index, std::vector<std::string> &storage) {
    storage.clear();
    for (std::size_t i = 0; i < 1 + index % 5; ++i)
        storage.emplace_back(20 + (index * 13) % 700, static_cast<char>('a' + (index + i) % 26));
    std::vector<const char *> pointers;
    for (const auto &value : storage) pointers.push_back(value.c_str());
    return pointers;
}

// The whole file after change number index: both ways of changing it leave
// the same canonical text.
std::string content_of(std::uint32_t index) {
    std::vector<std::string> storage;
    const auto values = values_of(index, storage);
    char entry[8192];
    EXPECT_EQ(0, mk_entry(entry, "VALUE", cf_USER_PRIV, static_cast<int>(values.size()), values.data()));
    return std::string("# crash test\nA\tUSER\ta\n") + entry + "Z\tUSER\tz\n";
}

// The child: announces each change number on the pipe, then makes the
// change; odd numbers through cf_set, even ones through a table save.
[[noreturn]] void run_child(int announce, std::uint32_t first) {
    ORVConfigurationTable *table = nullptr;
    if (cf_init("crash") != 0 || cf_read_entire_file(cf_DOMAIN_SITE, "viewer", &table) != 0) _exit(4);
    for (std::uint32_t index = first;; ++index) {
        if (write(announce, &index, sizeof index) != sizeof index) _exit(5);
        std::vector<std::string> storage;
        const auto values = values_of(index, storage);
        const int count = static_cast<int>(values.size());
        int status = index % 2 ? cf_set(cf_DOMAIN_SITE, "viewer", "VALUE", cf_USER_PRIV, count, values.data())
                               : cf_set_from_table(&table, cf_DOMAIN_SITE, "VALUE", cf_USER_PRIV, count, values.data());
        if (status == 0 && index % 2 == 0) status = cf_save_domain_with_table(table, cf_DOMAIN_SITE, "viewer");
        if (status != 0) _exit(6);
    }
}

// A child process changes one domain file in a loop, alternating cf_set and
// whole-table saves with values that grow, and is killed with SIGKILL at
// random moments. After every kill the file holds, whole, either the content
// from before the interrupted rewrite or the content after it -- never a
// mixture, a cut file or nothing.
TEST_F(ConfigWritersTest, KilledRewriteLeavesOldOrNewFileWhole) {
    tr_ignore_warnings_below_level_quietly(tr_NONE);
    std::uint32_t done = 0;  // the change the file holds now
    site(content_of(done));
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<int> pause_us(0, 4000);
    int old_content = 0, temporary_left = 0;

    for (int kill_number = 0; kill_number < kKills; ++kill_number) {
        int fds[2];
        ASSERT_EQ(0, pipe(fds));
        std::fflush(nullptr);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            run_child(fds[1], done + 1);
        }
        close(fds[1]);
        // Wait until the child is in its loop, then kill it somewhere in it.
        std::uint32_t announced = 0, next = 0;
        ASSERT_EQ(4, read(fds[0], &announced, sizeof announced)) << "the child stopped before its first change";
        usleep(static_cast<useconds_t>(pause_us(random)));
        ASSERT_EQ(0, kill(child, SIGKILL));
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself with " << status;
        while (read(fds[0], &next, sizeof next) == 4) announced = next;
        close(fds[0]);

        // The last announced change was interrupted or just finished.
        const std::string text = orvtest::read_file(site_path());
        done = text == content_of(announced) ? announced : announced - 1;
        old_content += done != announced;
        ASSERT_EQ(content_of(done), text) << "kill " << kill_number << " during change " << announced;
        temporary_left += access((site_path() + "+").c_str(), F_OK) == 0;

        // The file reads completely: every entry is there with its values.
        ASSERT_EQ(0, cf_init(nullptr));
        std::vector<std::string> storage;
        values_of(done, storage);
        std::string expected;
        for (const auto &value : storage) expected += (expected.empty() ? "" : "|") + value;
        EXPECT_EQ(expected, orvtest::cf_values("viewer", "VALUE", cf_DOMAIN_SITE));
        cf_term();
    }
    std::printf("%d kills: %d left the content before the interrupted change, %d the content after it; %d left a "
                "temporary copy behind\n",
                kKills, old_content, kKills - old_content, temporary_left);
}

}  // namespace

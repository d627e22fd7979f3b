// Crash safety of domain-file rewrites: a child process changes one domain
// file in a loop, alternating cf_set and whole-table saves with values that
// grow, and is killed with SIGKILL at random moments. After every kill the
// file must hold, whole, either the content from before the interrupted
// rewrite or the content after it -- never a mixture, a cut file or nothing.
#include "support/orv_test_support.h"

#include "trace/tr_testing.h"

#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/cfset.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/tr.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using orvtest::read_file;
using orvtest::TempInstallation;

constexpr int kKills = 200;

void quiet(const char *, int) {}

// The values the child writes in its change number index: one to five
// values, longer as the index grows, so that later rewrites take longer and
// need continuation lines.
std::vector<std::string> values_of(std::uint32_t index) {
    const std::size_t count = 1 + index % 5;
    const std::size_t length = 20 + (index * 13) % 700;
    std::vector<std::string> values;
    for (std::size_t i = 0; i < count; ++i)
        values.emplace_back(length, static_cast<char>('a' + (index + i) % 26));
    return values;
}

// The whole file after change number index: both ways of changing it leave
// the same canonical text.
std::string content_of(std::uint32_t index) {
    const auto values = values_of(index);
    std::vector<const char *> pointers;
    for (const auto &value : values) pointers.push_back(value.c_str());
    char entry[8192];
    EXPECT_EQ(0, mk_entry(entry, "VALUE", cf_USER_PRIV, static_cast<int>(pointers.size()),
                          pointers.data()));
    return std::string("# crash test\nA\tUSER\ta\n") + entry + "Z\tUSER\tz\n";
}

// The child: announces each change number on the pipe, then makes the
// change; odd numbers through cf_set, even ones through a table save. Never
// returns.
[[noreturn]] void run_child(int announce, std::uint32_t first) {
    if (cf_init("crash") != 0) _exit(3);
    ORVConfigurationTable *table = nullptr;
    if (cf_read_entire_file(cf_DOMAIN_SITE, "viewer", &table) != 0) _exit(4);
    for (std::uint32_t index = first;; ++index) {
        if (write(announce, &index, sizeof index) != sizeof index) _exit(5);
        const auto values = values_of(index);
        std::vector<const char *> pointers;
        for (const auto &value : values) pointers.push_back(value.c_str());
        const int count = static_cast<int>(pointers.size());
        int status;
        if (index % 2) {
            status = cf_set(cf_DOMAIN_SITE, "viewer", "VALUE", cf_USER_PRIV, count,
                            pointers.data());
        } else {
            status = cf_set_from_table(&table, cf_DOMAIN_SITE, "VALUE", cf_USER_PRIV, count,
                                       pointers.data());
            if (status == 0) status = cf_save_domain_with_table(table, cf_DOMAIN_SITE, "viewer");
        }
        if (status != 0) _exit(6);
    }
}

TEST(ConfigCrashTest, KilledRewriteLeavesOldOrNewFileWhole) {
    TempInstallation dir;
    cf_term();
    orv_tr_testing_reset();
    tr_init_with_call_back(quiet);
    dir.write("sys/data/cf/behavior.plist", "{ }\n");
    const std::string path = dir / "site/config/viewer.site";

    std::uint32_t done = 0;  // the change the file holds now
    dir.write("site/config/viewer.site", content_of(done));
    std::mt19937 random(20240611u);
    std::uniform_int_distribution<int> pause_us(0, 4000);
    int old_content = 0, new_content = 0, temporary_left = 0;

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
        std::uint32_t announced = 0;
        ASSERT_EQ(static_cast<ssize_t>(sizeof announced),
                  read(fds[0], &announced, sizeof announced))
            << "the child stopped before its first change";
        usleep(static_cast<useconds_t>(pause_us(random)));
        ASSERT_EQ(0, kill(child, SIGKILL));
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself with " << status;
        std::uint32_t next = 0;
        while (read(fds[0], &next, sizeof next) == static_cast<ssize_t>(sizeof next))
            announced = next;
        close(fds[0]);

        // The last announced change was interrupted or just finished.
        const std::string text = read_file(path);
        if (text == content_of(announced)) {
            ++new_content;
            done = announced;
        } else {
            ASSERT_EQ(content_of(announced - 1), text)
                << "kill " << kill_number << " during change " << announced;
            ++old_content;
            done = announced - 1;
        }
        if (access((path + "+").c_str(), F_OK) == 0) ++temporary_left;

        // The file reads completely: every entry is there with its values.
        ASSERT_EQ(0, cf_init(nullptr));
        ORVConfigurationTable *table = nullptr;
        ASSERT_EQ(0, cf_read_entire_file(cf_DOMAIN_SITE, "viewer", &table));
        char *values[cf_MAX_VALUES];
        int count = 0;
        ASSERT_EQ(0, cf_get_from_domain_with_table(table, cf_DOMAIN_SITE, "VALUE", nullptr,
                                                   &count, values));
        ASSERT_EQ(values_of(done).size(), static_cast<std::size_t>(count));
        EXPECT_EQ(values_of(done)[0], values[0]);
        cf_free(values, count);
        cf_free_table(&table);
        cf_term();
    }
    EXPECT_EQ(kKills, old_content + new_content);
    std::printf("%d kills: %d left the content before the interrupted change, %d the content "
                "after it; %d left a temporary copy behind\n",
                kKills, old_content, new_content, temporary_left);
    orv_tr_testing_reset();
}

}  // namespace

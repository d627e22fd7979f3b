// Crash safety of domain-file rewrites: a child process changes one domain
// file in a loop, alternating cf_set and whole-table saves with values that
// grow, and is killed with SIGKILL at random moments. After every kill the
// file must hold, whole, either the content from before the interrupted
// rewrite or the content after it -- never a mixture, a cut file or nothing.
#include "support/config_helpers.h"

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

class ConfigCrashTest : public orvtest::ConfigTest {
protected:
    ConfigCrashTest() : ConfigTest("{ }") {}
};

TEST_F(ConfigCrashTest, KilledRewriteLeavesOldOrNewFileWhole) {
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

// Partition capacity, host and virtual names, network paths, thread
// priority and input templates.
#include "files/ut_host_seam.h"
#include "support/files_helpers.h"

#include <cstring>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// The fake system services: a 4 KiB-block volume of Blocks blocks with Free
// free, a host named "ws12", hosts that exist when their name starts with
// "ws", and the last nice value asked for (raising needs privilege).
unsigned long long Blocks = 0, Free = 0;
int LastNice = 99, Hostname_calls = 0;
int fake_statvfs(const char *path, struct statvfs *out) {
    if (std::strcmp(path, "/missing") == 0) return -1;
    *out = {};
    out->f_frsize = 4096;
    out->f_blocks = Blocks;
    out->f_bfree = Free;
    out->f_bavail = Free / 2;
    return 0;
}
int fake_gethostname(char *name, std::size_t size) { return ++Hostname_calls, std::strncpy(name, "ws12", size), 0; }
bool fake_host_exists(const char *name) { return std::strncmp(name, "ws", 2) == 0; }
int fake_nice(int nice) { return LastNice = nice, nice < 0 ? -1 : 0; }

class HostTest : public orvtest::FilesTest {
protected:
    void SetUp() override {
        FilesTest::SetUp();
        cf_term();
        install_.write("sys/data/cf/behavior.plist", "{ plain = { default = 0x00; }; }");
        tr_ignore_warnings_below_level_quietly(tr_HIGH);
    }
    // True when the last of lines holds text, or lines is empty when text is null.
    static bool only(const std::vector<std::string> &lines, const char *text) {
        return text ? !lines.empty() && lines.back().find(text) != std::string::npos : lines.empty();
    }

    orvtest::TempInstallation install_;
    orv::files::ScopedHostCalls calls_{{fake_statvfs, fake_gethostname, fake_host_exists, fake_nice}};
};

TEST_F(HostTest, CapacitiesAreKiBModulo32BitsOrZeroOnFailure) {
    const struct { unsigned long long blocks, free; unsigned int total_kib, free_kib; } cases[] = {
        {10ull << 18, 3, 10485760u, 12u}, {(1ull << 30) + 2, 1ull << 30, 8u, 0u}};  // 10 GiB; 4 TiB wraps
    for (const auto &c : cases) {
        Blocks = c.blocks;
        Free = c.free;
        unsigned int total = 1, free = 1;
        EXPECT_EQ(ut_get_kbytes_on_partition_with_path("/x", &total, &free), 0);
        EXPECT_EQ(total, c.total_kib);
        EXPECT_EQ(free, c.free_kib);
        EXPECT_EQ(ut_total_kbytes_on_partition_with_path("/x"), c.total_kib);
        EXPECT_EQ(ut_free_kbytes_on_partition_with_path("/x"), c.free_kib);
    }
    EXPECT_EQ(ut_get_kbytes_on_partition_with_path("/x", nullptr, nullptr), 0);
    unsigned int total = 1, free = 1;
    EXPECT_EQ(ut_get_kbytes_on_partition_with_path("/missing", &total, &free), -1);
    EXPECT_EQ(total + free, 0u);
    EXPECT_EQ(ut_total_kbytes_on_partition_with_path(nullptr), 0u);
    EXPECT_EQ(ut_free_kbytes_on_partition_with_path(""), 0u);
    EXPECT_THAT(trace_.errors(), ElementsAre(HasSubstr("information about partition containing path \"/missing\"."),
                                             HasSubstr("path parameter is NULL"), HasSubstr("path parameter is empty")));
}

TEST_F(HostTest, VirtualNamesComeFromSiteConfigurationAndAreCached) {
    install_.write("site/config/rarivurizez.site", "ws12.VIRTUAL_NAME USER share12\n");
    Hostname_calls = 0;
    EXPECT_STREQ(ut_gethostname(), "ws12");
    EXPECT_STREQ(ut_get_virtual_name_for_host_name(nullptr), "share12");
    EXPECT_STREQ(ut_get_virtual_name_for_host_name("ws13"), "ws13");
    EXPECT_EQ(cf_is_init(), 0);  // started for the lookup and stopped again
    EXPECT_STREQ(ut_gethostname(), "ws12");
    EXPECT_EQ(Hostname_calls, 1);  // looked up once
    install_.write("site/config/rarivurizez.site", "ws13.VIRTUAL_NAME USER late\n");
    EXPECT_STREQ(ut_get_virtual_name_for_host_name("ws13"), "ws13");
    EXPECT_EQ(ut_get_virtual_name_for_host_name("nowhere"), nullptr);
    EXPECT_THAT(trace_.errors(), ElementsAre(HasSubstr("Cannot resolve host name 'nowhere'")));
    // The network servers of the standard directories, each once.
    orvtest::ScopedEnv site("ORV_SITE_CONFIG_PATH", "\\\\SRV1\\share\\cfg");
    orvtest::ScopedEnv sys("ORV_SYS_CONFIG_PATH", "\\\\SRV1\\share\\sys");
    orvtest::ScopedEnv data("ORV_SITE_DATA_PATH", "\\\\srv2");
    int count = -1;
    char **names = nullptr;
    ASSERT_EQ(ut_get_remote_shared_servers(&count, &names), 0);
    EXPECT_THAT(std::vector<std::string>(names, names + count), ::testing::UnorderedElementsAre("\\\\SRV1", "\\\\srv2"));
    ut_free_string_array(count, names);
}

TEST_F(HostTest, LocalPathsBecomeNetworkPaths) {
    install_.write("site/config/rarivurizez.site", "ws12.VIRTUAL_NAME USER VN\n");
    install_.write("sys/config/rarivurizez.base", "");  // no warnings of missing files
    install_.write("user/config/rarivurizez.user", "");
    const struct { const char *path, *host, *unc, *warning, *error; } cases[] = {
        {"c:\\Orv\\data", nullptr, "\\\\VN\\Orv\\data", nullptr, nullptr},
        {"d:\\images\\1", "", "\\\\VN\\D\\images\\1", nullptr, nullptr},
        {"e:/data/orv/x", "ws13", "\\\\ws13/data/orv/x", nullptr, nullptr},
        {"\\\\HOST\\share\\f", "host", "\\\\HOST\\share\\f", nullptr, nullptr},
        {"\\\\HOST\\share\\f", "other", "\\\\HOST\\share\\f", "does not match", nullptr},
        {"\\\\\\", nullptr, nullptr, nullptr, "Dummy local path is supplied"},
        {"/data/x", nullptr, nullptr, "No valid drive component", "Unable to get drive"},
        {"cd:\\x", nullptr, nullptr, "No valid drive component", "Unable to get drive"},
        {"", nullptr, nullptr, nullptr, "Input path is NULL or empty."},
        {"c:\\x", "nowhere", nullptr, nullptr, "Error reading configuration"},
    };
    for (const auto &c : cases) {
        trace_.clear();
        const char *unc = ut_convert_path_to_unc_path(c.path, c.host);
        EXPECT_STREQ(unc, c.unc) << c.path;
        if (c.unc && c.path[0] == '\\') {
            EXPECT_EQ(unc, c.path);  // the caller's own string
        }
        EXPECT_TRUE(only(warnings(), c.warning)) << c.path;
        EXPECT_TRUE(only(trace_.errors(), c.error)) << c.path;
    }
}

TEST_F(HostTest, PriorityLevelsAndWords) {
    const int status[] = {-1, 0, 0}, nice[] = {-1, 0, 1};  // raising is refused
    for (int level = 0; level < 3; ++level) {
        EXPECT_EQ(ut_set_thread_priority(level), status[level]);
        EXPECT_EQ(LastNice, nice[level]);
    }
    EXPECT_EQ(ut_set_thread_priority(3), -1);
    EXPECT_EQ(ut_set_thread_priority(-1), -1);
    EXPECT_THAT(warnings(), ElementsAre(HasSubstr("Invalid thread priority value passed in:3."),
                                        HasSubstr("Invalid thread priority value passed in:-1.")));
    const char *words[] = {"High", "NORMAL", "low", "urgent"};
    for (int level = 0; level < 4; ++level)
        EXPECT_EQ(ut_thread_priority_from_string(words[level]), level == 3 ? 1 : level);
    EXPECT_THAT(trace_.errors(), ElementsAre(HasSubstr("Failed to set thread priority"),
                                             HasSubstr("Invalid priority string value:'urgent'")));
}

TEST_F(HostTest, TemplatesShapeInput) {
    const struct { const char *input, *format; int size, status; const char *out; } cases[] = {
        {"123456789", "###-##-####", 255, 0, "123-45-6789"}, {"123-45-6789", "###-##-####", 255, 0, "123-45-6789"},
        {"12345", "###-##-####", 255, 0, "123-45-"},         {"1234567890123", "###-##-####", 255, -1, ""},
        {"123456789", "###-##-####", 5, -1, ""},             {"123456789", "###-##-####", 11, 0, "123-45-6789"},
        {"123456789", "###-##-####", 10, -1, ""},            {"12345", "###-##-####", 6, -1, ""},
        {"abcdefghijk", "###-##-####", 4, 0, "abcd"},  // same length: copied, cut to size
        {"", "###", 255, 0, ""},
    };
    for (const auto &c : cases) {
        char buffer[256];
        std::memset(buffer, 'X', sizeof buffer);
        EXPECT_EQ(ut_convert_str_to_format(c.input, c.format, buffer, c.size), c.status) << c.input << " " << c.size;
        EXPECT_STREQ(buffer, c.out) << c.input << " " << c.size;
    }
    EXPECT_THAT(trace_.errors(), ElementsAre(HasSubstr("WARNING:input_str or format is empty")));
}

TEST_F(HostTest, TemplatesCheckInput) {
    const struct { const char *input, *format; unsigned char plain, wild; const char *report; } cases[] = {
        {"12-ab", "##-aa", 1, 1, nullptr},  {"12-a1", "##-aa", 0, 0, "Input char '1' is not alphabet"},
        {"1x-ab", "##-aa", 0, 0, "Input char 'x' is not a digit"}, {"a-Z", "xxx", 0, 0, "Input char '-' is not alpha numeric"},
        {"12-ab3", "##-aa", 0, 0, "input len NEQ format len"},     {"a1Z", "xxx", 1, 1, nullptr},
        {"12+ab", "##-aa", 0, 0, nullptr},  {"ABCDEF", "AB*", 0, 1, "input len NEQ format len"},
        {"AB", "AB*", 0, 1, "input len NEQ"}, {"AXC", "A?C", 0, 1, nullptr},
        {"ABCDEFG", "A*Z", 0, 1, "input len NEQ"}, {"AXCD", "A?C", 0, 0, "input len NEQ"},
        {"A", "A?C", 0, 0, "input len NEQ"}, {"", "*", 0, 1, "No input or template string to check"},
        {"1", "", 0, 0, "No input or template string to check"},
    };
    for (const auto &c : cases) {
        trace_.clear();
        EXPECT_EQ(ut_verify_input_str_with_format(c.input, c.format), c.plain) << c.input << " " << c.format;
        std::vector<std::string> reports = warnings();
        reports.insert(reports.end(), trace_.errors().begin(), trace_.errors().end());
        EXPECT_TRUE(only(reports, c.report)) << c.input << " " << c.format;
        EXPECT_EQ(ut_verify_str_with_format_match_wildcards(c.input, c.format), c.wild) << c.input << " " << c.format;
    }
}

}  // namespace

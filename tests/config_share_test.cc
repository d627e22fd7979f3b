// Sharing configuration tables between processes through a named shared
// memory region, imported only from this user with no access for others, and
// validation lists. Exporters and importers run in real processes (fork);
// every test uses share names of its own and removes them.
#include "support/config_helpers.h"
#include "support/orv_child.h"

#include "config/cf_module_testing.h"
#include "config/cf_share.h"
#include "config/cf_share_testing.h"

#include <ORVCommonKit/cfset.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/cfvalidate.h>
#include <ORVCommonKit/orvstr.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

std::string share_error(const std::string &message) {
    return "IN 'ORVCommonKit' INFORM 'log' TITLE 'CF': " + message;
}
const char *const Unreadable_blob =
    "ERROR: Failed to create the data blob from the File Mapping object for the config tables";
const char *const Refused_tables = "ERROR: Failed to create the config tables from the shared memory";

// The bytes of a region, or "(none)" when the name does not exist.
std::string region_bytes(const std::string &share) {
    const int fd = shm_open(("/" + share).c_str(), O_RDONLY, 0);
    if (fd < 0) return "(none)";
    struct stat st {};
    fstat(fd, &st);
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    if (pread(fd, bytes.data(), bytes.size(), 0) != st.st_size) bytes = "(unreadable)";
    close(fd);
    return bytes;
}

// Creates a region holding exactly bytes, as a foreign or broken exporter would.
void write_region(const std::string &share, const std::string &bytes) {
    const int fd = shm_open(("/" + share).c_str(), O_CREAT | O_EXCL | O_RDWR, 0600);
    ASSERT_GE(fd, 0) << share;
    ASSERT_EQ(0, ftruncate(fd, static_cast<off_t>(bytes.size())));
    ASSERT_EQ(static_cast<ssize_t>(bytes.size()), bytes.empty() ? 0 : pwrite(fd, bytes.data(), bytes.size(), 0));
    close(fd);
}

// Descriptors this process has open: a failed export or import closes all of its own.
int open_descriptors() {
    int count = 0;
    for (int fd = 0; fd < 1024; ++fd) count += fcntl(fd, F_GETFD) != -1;
    return count;
}

// A 32-bit length field; a region is the length, then the archive.
std::string le32(std::uint32_t n) {
    return {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
}
std::string region_of(const std::string &archive) { return le32(static_cast<std::uint32_t>(archive.size())) + archive; }

// Groups viewer and reading in the site domain, a list in the system domain.
class ConfigShareTest : public orvtest::ConfigTest {
protected:
    void SetUp() override {
        orv_cfshare_testing_reset();
        ConfigTest::SetUp();
        site("PORT\tUSER\t104\nws12.PORT\tUSER\t4104\n");
        write("sys/config/viewer.base", "SERVERS\tSYSTEM\tsrv1 srv2\n");
        write("site/config/reading.site", "MODE\tADMIN\tfast\n");
    }
    void TearDown() override {
        ConfigTest::TearDown();
        for (const auto &share : shares_) shm_unlink(("/" + share).c_str());
        orv_cfshare_testing_reset();
    }

    // A share name no other test or run uses.
    std::string share() {
        static int counter = 0;
        shares_.push_back("orvcfshare-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
        return shares_.back();
    }
    static std::string get(const char *group, const char *name) { return orvtest::cf_values(group, name); }
    void remove_domain_files() {
        for (const char *file : {"site/config/viewer.site", "sys/config/viewer.base", "site/config/reading.site"})
            std::remove((dir_ / file).c_str());
    }
    static int export_groups(const std::string &share, std::vector<const char *> groups = {"viewer", "reading"}) {
        return cf_export_config_tables_to_file_mapping(share.c_str(), groups.data(), static_cast<unsigned>(groups.size()));
    }
    // The region an export writes, given up again.
    std::string exported_region(std::vector<const char *> groups = {"viewer", "reading"}) {
        const std::string name = share();
        EXPECT_EQ(0, export_groups(name, groups));
        const std::string bytes = region_bytes(name);
        cf_close_file_mapping();
        return bytes;
    }
    // A region exported now, under a name of its own as another process would leave it.
    std::string region_from_elsewhere(std::vector<const char *> groups = {"viewer", "reading"}) {
        const std::string name = share();
        write_region(name, exported_region(groups));
        return name;
    }

    std::vector<std::string> shares_;
};

// ---- Between processes ----

TEST_F(ConfigShareTest, ImporterAnswersFromTheExportersTablesWithoutItsFiles) {
    dir_.write("sys/data/cf/behavior.plist",
               "{ viewer = { default = 0x20; }; idle = { variables = { \"PORT_*\" = 0x10; }; }; }");
    ASSERT_EQ(0, cf_init(nullptr));
    const std::string name = region_from_elsewhere();
    cf_term();
    remove_domain_files();
    write("sys/data/cf/behavior.plist", "{ }");
    ASSERT_EQ(0, cf_init(nullptr));
    orv_cfmodule_testing_set_local_host("ws13");
    // A table cached before the import goes with the old cache.
    write("site/config/local.site", "X\tUSER\tbefore\n");
    EXPECT_EQ("before", get("local", "X"));
    write("site/config/local.site", "X\tUSER\tafter\n");
    EXPECT_EQ(0, cf_import_config_tables_from_file_mapping(name.c_str()));
    EXPECT_EQ("after", get("local", "X"));
    EXPECT_TRUE(trace_.traced("cf_import_config_tables_from_file_mapping() is finished"));
    EXPECT_FALSE(orv_cfshare_testing_holds_region());
    // Asked for by any spelling, a group is built once and then kept.
    ORVConfigurationTable *viewer = orv_cfmodule_testing_table("Viewer");
    ASSERT_NE(nullptr, viewer);
    EXPECT_EQ(viewer, orv_cfmodule_testing_table("VIEWER"));
    EXPECT_EQ("104", get("viewer", "PORT"));
    EXPECT_EQ("4104", orvtest::cf_values("viewer", "PORT", cf_DOMAIN_ALL, "ws12"));
    // Refreshing keeps to the imported table too: no file is there to read.
    EXPECT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    EXPECT_EQ("104", get("viewer", "PORT"));
    // A group the exporter did not have is still read from files.
    write("site/config/other.site", "X\tUSER\t1\n");
    EXPECT_EQ("1", get("other", "X"));

    // Exporting again carries the groups nobody asked for yet, behaviors too:
    // host-group behaviors make a group read-only.
    const std::string again = region_from_elsewhere();
    cf_term();
    ASSERT_EQ(0, cf_init(nullptr));
    ASSERT_EQ(0, cf_import_config_tables_from_file_mapping(again.c_str()));
    EXPECT_EQ("srv1|srv2", get("viewer", "SERVERS"));
    EXPECT_EQ("fast", get("reading", "MODE"));
    EXPECT_TRUE(trace_.errors().empty()) << trace_.errors()[0];
    EXPECT_EQ(cf_READ_ONLY, cf_set_string(cf_DOMAIN_SITE, "idle", "PORT_A", 0, "1"));
    trace_.clear();

    // Groups never asked for go with the module: the next start reads its files.
    site("PORT\tUSER\t777\n");
    write("site/config/reading.site", "MODE\tADMIN\tslow\n");
    ASSERT_EQ(0, cf_import_config_tables_from_file_mapping(name.c_str()));
    cf_term();
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_EQ("777", get("viewer", "PORT"));
    EXPECT_EQ("slow", get("reading", "MODE"));
    // A second import replaces groups not built yet as well as built ones.
    ASSERT_EQ(0, cf_import_config_tables_from_file_mapping(name.c_str()));
    ASSERT_EQ(0, cf_import_config_tables_from_file_mapping(name.c_str()));
    EXPECT_EQ("104", get("viewer", "PORT"));
    EXPECT_EQ("fast", get("reading", "MODE"));
    EXPECT_TRUE(trace_.errors().empty()) << trace_.errors()[0];
}

TEST_F(ConfigShareTest, ExpansionTermsTravelWithTheTables) {
    // The exporter's installation expands SERVERS through the term READING
    // and looks PORT up through host groups.
    write("sys/data/cf/behavior.plist", "{ viewer = { variables = { SERVERS = 0x02; PORT = 0x10; }; }; }");
    write("site/config/group.site", "LIST_OF_GROUPS USER READING\nREADING USER ws12 ws13\n");
    site("SERVERS USER $READING srv9\n$READING.PORT USER 7104\nPORT USER 104\n");
    ASSERT_EQ(0, cf_init(nullptr));
    const std::string name = region_from_elsewhere({"viewer", "group"});
    cf_term();
    // The importer's own installation has neither the behaviors nor the terms.
    write("sys/data/cf/behavior.plist", "{ }");
    std::remove((dir_ / "site/config/group.site").c_str());
    remove_domain_files();
    ASSERT_EQ(0, cf_init(nullptr));
    orv_cfmodule_testing_set_local_host("ws13");
    ASSERT_EQ(0, cf_import_config_tables_from_file_mapping(name.c_str()));
    EXPECT_EQ("ws12|ws13|srv9", get("viewer", "SERVERS"));
    EXPECT_EQ("7104", get("viewer", "PORT"));
    EXPECT_TRUE(trace_.errors().empty()) << trace_.errors()[0];
}

// A child process holds an export until the parent writes to the pipe, then
// ends, closing the region first or leaving it behind as a crashed exporter would.
TEST_F(ConfigShareTest, HeldNameIsRefusedAndANameLeftBehindIsTakenOver) {
    const std::string name = share();
    for (const bool close_region : {true, false}) {
        int ready[2], done[2];
        ASSERT_EQ(0, pipe(ready));
        ASSERT_EQ(0, pipe(done));
        const pid_t child = fork();
        if (child == 0) {
            const char answer = cf_init(nullptr) == 0 && export_groups(name) == 0 ? 'y' : 'n';
            char go;
            if (::write(ready[1], &answer, 1) != 1 || read(done[0], &go, 1) != 1) _exit(4);
            if (close_region) cf_close_file_mapping();
            _exit(0);
        }
        char answer = 0;
        ASSERT_EQ(1, read(ready[0], &answer, 1));
        ASSERT_EQ('y', answer);
        const std::string held = region_bytes(name);
        if (close_region) {
            // A second exporter under the held name is refused and writes nothing.
            site("PORT\tUSER\t999\n");
            ASSERT_EQ(0, cf_init(nullptr));
            const int descriptors = open_descriptors();
            EXPECT_EQ(cf_SHARE_FAILED, export_groups(name));
            EXPECT_EQ(descriptors, open_descriptors());
            EXPECT_EQ(std::vector<std::string>{share_error("CreateFileMapping reports that the share name '" + name +
                                                           "' already exists.")},
                      take_errors());
            EXPECT_FALSE(orv_cfshare_testing_holds_region());
            EXPECT_EQ(held, region_bytes(name));
            // The holder's tables are still the ones to import.
            EXPECT_EQ(0, cf_import_config_tables_from_file_mapping(name.c_str()));
            EXPECT_EQ("104", get("viewer", "PORT"));
            cf_term();
            site("PORT\tUSER\t104\n");
        }
        const char go = 'g';
        ASSERT_EQ(1, ::write(done[1], &go, 1));
        int status = -1;
        waitpid(child, &status, 0);
        EXPECT_EQ(0, status);
        for (const int fd : {ready[0], ready[1], done[0], done[1]}) close(fd);
        EXPECT_EQ(close_region ? "(none)" : held, region_bytes(name));
    }
    // The name left by the exporter that ended is taken over.
    site("PORT\tUSER\t999\n");
    ASSERT_EQ(0, cf_init(nullptr));
    const int descriptors = open_descriptors();
    EXPECT_EQ(0, export_groups(name));
    EXPECT_EQ(descriptors + 1, open_descriptors());  // the held region only
    EXPECT_TRUE(trace_.errors().empty()) << trace_.errors()[0];
    EXPECT_TRUE(trace_.traced("The share name '" + name + "' was left by a process that ended"));
    EXPECT_NE(std::string::npos, region_bytes(name).find("999"));
    cf_close_file_mapping();
    EXPECT_EQ("(none)", region_bytes(name));
}

// ---- The region ----

TEST_F(ConfigShareTest, RegionHoldsTheLengthThenTheArchiveAndStaysAfterTerm) {
    // The share name is cleaned for the system.
    const std::string name = share() + "_a_b_c";
    shares_.push_back(name);
    ASSERT_EQ(0, cf_init(nullptr));
    ASSERT_EQ(0, export_groups(name.substr(0, name.size() - 6) + " a/b:c"));
    EXPECT_TRUE(orv_cfshare_testing_holds_region());
    const std::string bytes = region_bytes(name);
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(0, 4), le32(static_cast<std::uint32_t>(bytes.size() - 4)));
    EXPECT_TRUE(trace_.traced("Successfully write the config table blob to the File Mapping object (Bytes=" +
                              std::to_string(bytes.size() - 4) + ")"));

    // A forked child that closes does not remove its parent's region.
    orvtest::run_in_child("", [] { cf_close_file_mapping(); });
    EXPECT_TRUE(orv_cfshare_testing_holds_region());
    // Ending the module does not give up the region; closing does, and
    // closing twice is harmless.
    cf_term();
    EXPECT_EQ(bytes, region_bytes(name));
    cf_close_file_mapping();
    cf_close_file_mapping();
    EXPECT_EQ("(none)", region_bytes(name));
    // With standard input closed the region may be descriptor 0; it is held all the same.
    const std::string zero = share();
    EXPECT_EQ(0, orvtest::run_in_child("", [&] {
                     close(0);
                     if (cf_init(nullptr) != 0 || export_groups(zero) != 0 || !orv_cfshare_testing_holds_region()) _exit(3);
                     cf_close_file_mapping();
                     if (fcntl(0, F_GETFD) != -1) _exit(4);  // and closed with the region
                 }).status);
    // ... and a region opened as descriptor 0 is imported.
    const std::string held = share();
    ASSERT_EQ(0, cf_init(nullptr));
    ASSERT_EQ(0, export_groups(held));
    EXPECT_EQ(0, orvtest::run_in_child("", [&] {
                     close(0);
                     if (cf_import_config_tables_from_file_mapping(held.c_str()) != 0 ||
                         !trace_.traced("cf_import_config_tables_from_file_mapping() is finished"))
                         _exit(3);
                 }).status);
    cf_close_file_mapping();
}

// ---- Failures ----

TEST_F(ConfigShareTest, ArgumentsAndStartAreCheckedFirst) {
    EXPECT_EQ(cf_SHARE_FAILED, cf_export_config_tables_to_file_mapping("", nullptr, 0));
    EXPECT_EQ(cf_SHARE_FAILED, cf_export_config_tables_to_file_mapping(nullptr, nullptr, 0));
    EXPECT_EQ(cf_NOT_INIT, cf_export_config_tables_to_file_mapping("x", nullptr, 0));
    EXPECT_EQ(cf_NOT_INIT, cf_import_config_tables_from_file_mapping("x"));
    const std::vector<std::string> expected = {
        share_error("Invalid Share Name"), share_error("Invalid Share Name"),
        orvtest::cf_report("programmer", "NOT_INIT", "Attempt to use function cf_share_config_table() prior to init"),
        orvtest::cf_report("programmer", "NOT_INIT",
                           "Attempt to use function cf_import_config_tables_from_file_mapping() prior to init")};
    EXPECT_EQ(expected, trace_.errors());
}

TEST_F(ConfigShareTest, FailedSystemCallsLeaveNoRegionAndNoDescriptorBehind) {
    const struct {
        const char *call;
        bool import;
        const char *message;
    } cases[] = {
        {"shm_open", false, "ERROR: Failed to create the File Mapping object"},
        {"fcntl", false, "ERROR: Failed to create the File Mapping object"},
        {"ftruncate", false, "ERROR: Failed to create the File Mapping object"},
        {"mmap", false, "ERROR: Failed to map the File Mapping object to the virtual address"},
        {"fstat", true, "ERROR: Failed to map the File Mapping object to the virtual address"},
        {"pread", true, Unreadable_blob},
    };
    // Importing gives up a region this process holds, so the region imported
    // comes from elsewhere.
    const std::string foreign = share();
    write_region(foreign, region_of("x"));
    ASSERT_EQ(0, cf_init(nullptr));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.call);
        trace_.clear();
        const std::string name = c.import ? foreign : share();
        const int descriptors = open_descriptors();
        orv_cfshare_testing_fail_call(c.call, c.import ? EIO : ENOSPC);
        EXPECT_EQ(cf_SHARE_FAILED, c.import ? cf_import_config_tables_from_file_mapping(name.c_str()) : export_groups(name));
        orv_cfshare_testing_reset();
        EXPECT_EQ(descriptors, open_descriptors());
        EXPECT_EQ(std::vector<std::string>{share_error(c.message)}, trace_.errors());
        EXPECT_EQ(c.import, region_bytes(name) != "(none)");
        EXPECT_FALSE(orv_cfshare_testing_holds_region());
    }
}

TEST_F(ConfigShareTest, CorruptRegionsAreRefusedAndFilesReadInstead) {
    ASSERT_EQ(0, cf_init(nullptr));
    const std::string good = exported_region(), archive = good.substr(4);
    // One group whose table is an archived string: an object of the archive format, but no table.
    const std::string not_a_table = std::string("ORVA\1\0\0\0M", 9) + le32(1) + "S" + le32(6) + "VIEWER" + "S" +
                                    le32(2) + "hi";
    const struct {
        const char *what;
        std::string bytes;
        const char *message;
    } cases[] = {
        {"empty region", "", Unreadable_blob},
        {"shorter than the length", std::string("\1\0", 2), Unreadable_blob},
        {"length zero", le32(0), Unreadable_blob},
        {"truncated archive", good.substr(0, good.size() - 7), Unreadable_blob},
        {"length larger than the region", le32(static_cast<std::uint32_t>(archive.size() + 1)) + archive, Unreadable_blob},
        {"region longer than the length", good + std::string(3, '\0'), Unreadable_blob},
        {"length near 4 GiB", le32(0xfffffff0u) + archive, Unreadable_blob},
        {"garbage archive", region_of("this is not an archive at all"), Refused_tables},
        {"bytes after the archive", region_of(archive + std::string(1, '\0')), Refused_tables},
        {"group that is not a table", region_of(not_a_table), Refused_tables},
    };
    // The files differ from the region, so answers show where they came from.
    write("site/config/reading.site", "MODE\tADMIN\tslow\n");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        cf_term();
        ASSERT_EQ(0, cf_init(nullptr));
        trace_.clear();
        const std::string name = share();
        write_region(name, c.bytes);
        const int descriptors = open_descriptors();
        EXPECT_EQ(cf_SHARE_FAILED, cf_import_config_tables_from_file_mapping(name.c_str()));
        EXPECT_EQ(descriptors, open_descriptors());
        EXPECT_EQ(std::vector<std::string>{share_error(c.message)}, trace_.errors());
        // The process goes on with its own files. A refused archive leaves no
        // cache behind, so they are read again for every access.
        EXPECT_EQ("slow", get("reading", "MODE"));
        site("PORT\tUSER\t999\n");
        EXPECT_EQ("999", get("viewer", "PORT"));
        site("PORT\tUSER\t104\n");
        EXPECT_EQ(c.message == Unreadable_blob ? "999" : "104", get("viewer", "PORT"));
        EXPECT_EQ(c.bytes, region_bytes(name));
    }
    // Read directly, as the fuzz target does, a region too short for its
    // length field is told so, not read past its end.
    std::vector<cf::SharedGroup> groups;
    std::string reason;
    const std::uint8_t two[] = {1, 0};
    EXPECT_EQ(cf::ShareRead::BadLength, cf::check_share_region(two, sizeof two, groups, &reason));
    EXPECT_EQ("the region is shorter than its length field", reason);
    // Every archive cut short anywhere is refused whole.
    for (std::size_t length = 1; length < archive.size(); ++length) {
        trace_.clear();
        const std::string name = share();
        write_region(name, region_of(archive.substr(0, length)));
        ASSERT_EQ(cf_SHARE_FAILED, cf_import_config_tables_from_file_mapping(name.c_str())) << length;
        ASSERT_EQ(std::vector<std::string>{share_error(Refused_tables)}, trace_.errors()) << length;
        shm_unlink(("/" + name).c_str());
    }
    // Until the module ends: the next start caches again, and refreshes read
    // the files. Importing a region that is not there keeps the cache too.
    cf_term();
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_EQ("104", get("viewer", "PORT"));
    site("PORT\tUSER\t999\n");
    trace_.clear();
    EXPECT_EQ(0, cf_import_config_tables_from_file_mapping(share().c_str()));
    EXPECT_TRUE(trace_.traced("No file mapping object exists. This process needs to read config by itself"));
    EXPECT_TRUE(trace_.errors().empty());
    EXPECT_EQ("104", get("viewer", "PORT"));
    EXPECT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    EXPECT_EQ("999", get("viewer", "PORT"));
}

// A region given to another account, or opened to group or others, is never
// imported: the cache stays as it was and the report names owner and mode.
TEST_F(ConfigShareTest, ImportRefusesARegionOfAnotherOwnerOrWithOpenMode) {
    ASSERT_EQ(0, cf_init(nullptr));
    const std::string bytes = exported_region({"viewer"});
    const struct {
        mode_t mode;
        bool foreign;
        const char *report;
    } cases[] = {
        {0600, false, nullptr},          {0666, false, "with mode 0666"}, {0640, false, "with mode 0640"},
        {0604, false, "with mode 0604"}, {0620, false, "with mode 0620"}, {0600, true, "owned by nobody"},
    };
    for (const auto &c : cases) {
        if (c.foreign && geteuid() != 0) continue;
        SCOPED_TRACE(c.report ? c.report : "mode 0600");
        const std::string planted = share();
        write_region(planted, bytes);
        const int fd = shm_open(("/" + planted).c_str(), O_RDWR, 0);
        ASSERT_EQ(0, fchmod(fd, c.mode));
        const struct passwd *nobody = getpwnam("nobody");
        ASSERT_TRUE(!c.foreign || fchown(fd, nobody->pw_uid, nobody->pw_gid) == 0);
        close(fd);
        trace_.clear();
        site("PORT\tUSER\t105\n");
        cf_term();
        ASSERT_EQ(0, cf_init(nullptr));
        EXPECT_EQ(c.report ? cf_SHARE_FAILED : 0, cf_import_config_tables_from_file_mapping(planted.c_str()));
        const std::string errors = ::testing::PrintToString(trace_.errors());
        EXPECT_EQ(c.report != nullptr, errors.find("Refused the File Mapping object '/" + planted + "'") != std::string::npos);
        EXPECT_EQ(c.report != nullptr, c.report && errors.find(c.report) != std::string::npos);
        // Refused: the process reads its own files (105); imported: the exported table (104).
        EXPECT_EQ(c.report ? "105" : "104", get("viewer", "PORT"));
        site("PORT\tUSER\t104\n");
    }
}

// ---- Validation lists ----

TEST_F(ConfigShareTest, ValidationListsNameTheVariablesAKeyIsAWholePartOf) {
    write("site/config/ports.site", "PORT\tUSER\t104\nws12.Port\tUSER\t4104\nWS12.MODE\tUSER\tfast\n"
                                    "$READING.PORT\tUSER\t5104\nws12.port.backup\tUSER\t1\n");
    ASSERT_EQ(0, cf_init(nullptr));
    ORVConfigurationTable *table = nullptr;
    ASSERT_EQ(0, cf_read_entire_file(cf_DOMAIN_ALL, "ports", &table));
    const std::pair<const char *, std::set<std::string>> cases[] = {
        {"ws12", {"WS12.PORT", "WS12.MODE", "WS12.PORT.BACKUP"}},
        {"Port", {"PORT", "WS12.PORT", "WS12.PORT.BACKUP"}},
        {"backup", {"WS12.PORT.BACKUP"}},
        {"ws", {}}, {"12.PORT", {}},
        // Group-qualified names are never listed.
        {"reading", {}}, {"$READING", {}},
    };
    for (const auto &[key, expected] : cases) {
        char **list = reinterpret_cast<char **>(1);
        int count = -1;
        EXPECT_EQ(0, cfvalidate_get_string_list_with_key_from_table(table, key, &list, &count));
        std::set<std::string> names;
        for (int i = 0; i < count; ++i) {
            names.insert(list[i]);
            orvstr_free(list[i]);
        }
        EXPECT_EQ(expected, names) << key;
        EXPECT_EQ(count, static_cast<int>(names.size()));
        EXPECT_TRUE(count > 0 || list == nullptr);
        std::free(list);
    }
    EXPECT_TRUE(trace_.errors().empty());

    char **list = nullptr;
    int count = 0;
    EXPECT_EQ(-1, cfvalidate_get_string_list_with_key_from_table(nullptr, "ws12", &list, &count));
    EXPECT_EQ(-1, cfvalidate_get_string_list_with_key_from_table(table, nullptr, &list, &count));
    EXPECT_EQ(-1, cfvalidate_get_string_list_with_key_from_table(table, "", &list, &count));
    EXPECT_EQ(-1, cfvalidate_get_string_list_with_key_from_table(table, "ws12", nullptr, &count));
    EXPECT_EQ(-1, cfvalidate_get_string_list_with_key_from_table(table, "ws12", &list, nullptr));
    EXPECT_EQ(std::vector<std::string>(5, "IN 'cfvalidate_get_string_list_with_key_from_table()' INFORM 'programmer' "
                                          "TITLE 'NULL Parameter': NULL Parameter to "
                                          "cfvalidate_get_string_list_with_key_from_table()"),
              trace_.errors());
    cf_free_table(&table);
}

}  // namespace

// Sharing configuration tables between processes through a named shared
// memory region, and validation lists. Exporters and importers run in real
// processes (fork); every test uses share names of its own and removes them.
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include "config/cf_module.h"
#include "config/cf_module_testing.h"
#include "config/cf_share.h"
#include "config/cf_share_testing.h"
#include "platform/object.h"

#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/cfshare.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/cfvalidate.h>
#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tr.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

using orvtest::TempInstallation;
using orvtest::TraceCapture;

std::string share_error(const std::string &message) {
    return "IN 'ORVCommonKit' INFORM 'log' TITLE 'CF': " + message;
}

using Bytes = std::vector<std::uint8_t>;

// The bytes of a region, or nothing when the name does not exist.
Bytes region_bytes(const std::string &share, bool *exists = nullptr) {
    const int fd = shm_open(("/" + share).c_str(), O_RDONLY, 0);
    if (exists) *exists = fd >= 0;
    if (fd < 0) return {};
    struct stat st {};
    fstat(fd, &st);
    Bytes bytes(static_cast<std::size_t>(st.st_size));
    if (!bytes.empty() && pread(fd, bytes.data(), bytes.size(), 0) != st.st_size) bytes.clear();
    close(fd);
    return bytes;
}

bool region_exists(const std::string &share) {
    bool exists = false;
    region_bytes(share, &exists);
    return exists;
}

// Descriptors this process has open: a failed export or import closes all of its own.
int open_descriptors() {
    int count = 0;
    for (int fd = 0; fd < 1024; ++fd) count += fcntl(fd, F_GETFD) != -1;
    return count;
}

// Creates a region holding exactly bytes, as a foreign or broken exporter would.
void write_region(const std::string &share, const Bytes &bytes) {
    const int fd = shm_open(("/" + share).c_str(), O_CREAT | O_EXCL | O_RDWR, 0600);
    ASSERT_GE(fd, 0) << share;
    ASSERT_EQ(0, ftruncate(fd, static_cast<off_t>(bytes.size())));
    if (!bytes.empty()) {
        ASSERT_EQ(static_cast<ssize_t>(bytes.size()), pwrite(fd, bytes.data(), bytes.size(), 0));
    }
    close(fd);
}

Bytes le32(std::uint32_t n) {
    return {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
            static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
}

Bytes operator+(Bytes a, const Bytes &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes text_bytes(const std::string &s) { return Bytes(s.begin(), s.end()); }

// An archive header followed by one object.
Bytes archive_of(const Bytes &object) { return text_bytes("ORVA") + Bytes{1, 0, 0, 0} + object; }

// A region: the length, then the archive.
Bytes region_of(const Bytes &archive) {
    return le32(static_cast<std::uint32_t>(archive.size())) + archive;
}

// A fresh installation with groups viewer and reading in the site domain,
// the trace call-back catching every report.
class ConfigShareTest : public ::testing::Test {
protected:
    void SetUp() override {
        cf_close_file_mapping();
        cf_term();
        orv_cfshare_testing_reset();
        trace_.start();
        dir_.write("sys/data/cf/behavior.plist", "{ viewer = { default = 0x20; }; }");
        dir_.write("site/config/viewer.site", "PORT\tUSER\t104\nws12.PORT\tUSER\t4104\n");
        dir_.write("sys/config/viewer.base", "SERVERS\tSYSTEM\tsrv1 srv2\n");
        dir_.write("site/config/reading.site", "MODE\tADMIN\tfast\n");
    }
    void TearDown() override {
        cf_close_file_mapping();
        for (const auto &share : shares_) shm_unlink(("/" + share).c_str());
        cf_term();
        orv_cfshare_testing_reset();
        trace_.stop();
    }

    // A share name no other test or run uses.
    std::string share() {
        static int counter = 0;
        shares_.push_back("orvcfshare-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
        return shares_.back();
    }

    // The joined value of a variable, or the status.
    static std::string get(const char *group, const char *name) {
        char buffer[256];
        const int status = cf_get_string(cf_DOMAIN_ALL, group, name, nullptr, buffer, 255, nullptr);
        return status == 0 ? std::string(buffer) : "status " + std::to_string(status);
    }

    void remove_domain_files() {
        for (const char *file : {"site/config/viewer.site", "sys/config/viewer.base",
                                 "site/config/reading.site"})
            std::remove((dir_ / file).c_str());
    }

    static int export_groups(const std::string &share) {
        const char *groups[] = {"viewer", "reading"};
        return cf_export_config_tables_to_file_mapping(share.c_str(), groups, 2);
    }

    TempInstallation dir_;
    TraceCapture trace_;
    std::vector<std::string> shares_;
};

// A child process that starts the module, exports and holds the region until
// the parent writes to the pipe; its exit status tells how the export went.
class Exporter {
public:
    explicit Exporter(const std::string &share,
                      std::vector<const char *> groups = {"viewer", "reading"}) {
        int ready[2], done[2];
        if (pipe(ready) != 0 || pipe(done) != 0) std::abort();
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            close(done[1]);
            int status = cf_init(nullptr);
            if (status == 0)
                status = cf_export_config_tables_to_file_mapping(
                    share.c_str(), groups.data(), static_cast<unsigned>(groups.size()));
            const char answer = status == 0 ? 'y' : 'n';
            if (write(ready[1], &answer, 1) != 1) _exit(3);
            char go;
            if (read(done[0], &go, 1) != 1) _exit(4);
            if (go == 'c') cf_close_file_mapping();
            _exit(status == 0 ? 0 : 1);
        }
        close(ready[1]);
        close(done[0]);
        done_ = done[1];
        char answer = 0;
        exported_ = read(ready[0], &answer, 1) == 1 && answer == 'y';
        close(ready[0]);
    }
    ~Exporter() {
        if (pid_ > 0) finish(true);
    }

    bool exported() const { return exported_; }

    // Ends the child, closing the region first or leaving it behind as a
    // crashed exporter would; the child's exit status.
    int finish(bool close_region) {
        const char go = close_region ? 'c' : 'k';
        if (write(done_, &go, 1) != 1) return -1;
        close(done_);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int done_ = -1;
    bool exported_ = false;
};

// ---- Between processes ----

TEST_F(ConfigShareTest, ImporterAnswersFromTheExportersTablesWithoutItsFiles) {
    const std::string name = share();
    Exporter exporter(name);
    ASSERT_TRUE(exporter.exported());
    ASSERT_TRUE(region_exists(name));

    remove_domain_files();
    ASSERT_EQ(0, cf_init(nullptr));
    orv_cfmodule_testing_set_local_host("ws13");
    // A table cached before the import goes with the old cache.
    dir_.write("site/config/local.site", "X\tUSER\tbefore\n");
    EXPECT_EQ("before", get("local", "X"));
    dir_.write("site/config/local.site", "X\tUSER\tafter\n");
    EXPECT_EQ(0, cf_import_config_tables_from_file_mapping(name.c_str()));
    EXPECT_EQ("after", get("local", "X"));
    EXPECT_TRUE(trace_.errors().empty()) << trace_.errors()[0];
    EXPECT_TRUE(trace_.traced("cf_import_config_tables_from_file_mapping() is finished"));
    EXPECT_FALSE(orv_cfshare_testing_holds_region());

    EXPECT_EQ("104", get("viewer", "PORT"));
    EXPECT_EQ("srv1\nsrv2", get("viewer", "SERVERS"));
    EXPECT_EQ("fast", get("reading", "MODE"));
    char host_port[256];
    EXPECT_EQ(0, cf_get_string_for_host(cf_DOMAIN_ALL, "viewer", "PORT", "ws12", nullptr,
                                        host_port, 255, nullptr));
    EXPECT_STREQ("4104", host_port);
    // Refreshing keeps to the imported table too: no file is there to read.
    EXPECT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    EXPECT_EQ("104", get("viewer", "PORT"));
    EXPECT_TRUE(trace_.errors().empty()) << trace_.errors()[0];

    // A group the exporter did not have is still read from files.
    dir_.write("site/config/other.site", "X\tUSER\t1\n");
    EXPECT_EQ("1", get("other", "X"));

    EXPECT_EQ(0, exporter.finish(true));
    EXPECT_FALSE(region_exists(name));
}

TEST_F(ConfigShareTest, BehaviorsAndExpansionTermsTravelWithTheTables) {
    // The exporter's installation expands SERVERS through the term READING
    // and looks PORT up through host groups.
    dir_.write("sys/data/cf/behavior.plist",
               "{ viewer = { variables = { SERVERS = 0x02; PORT = 0x10; }; }; }");
    dir_.write("site/config/group.site", "LIST_OF_GROUPS USER READING\nREADING USER ws12 ws13\n");
    dir_.write("site/config/viewer.site",
               "SERVERS USER $READING srv9\n$READING.PORT USER 7104\nPORT USER 104\n");
    const std::string name = share();
    Exporter exporter(name, {"viewer", "group"});
    ASSERT_TRUE(exporter.exported());

    // The importer's own installation has neither the behaviors nor the terms.
    dir_.write("sys/data/cf/behavior.plist", "{ }");
    std::remove((dir_ / "site/config/group.site").c_str());
    ASSERT_EQ(0, cf_init(nullptr));
    orv_cfmodule_testing_set_local_host("ws13");
    ASSERT_EQ(0, cf_import_config_tables_from_file_mapping(name.c_str()));
    remove_domain_files();
    EXPECT_EQ("ws12\nws13\nsrv9", get("viewer", "SERVERS"));
    EXPECT_EQ("7104", get("viewer", "PORT"));
    EXPECT_TRUE(trace_.errors().empty()) << trace_.errors()[0];
    EXPECT_EQ(0, exporter.finish(true));
}

TEST_F(ConfigShareTest, SecondExporterUnderAHeldNameIsRefusedAndWritesNothing) {
    const std::string name = share();
    Exporter exporter(name);
    ASSERT_TRUE(exporter.exported());
    const Bytes before = region_bytes(name);

    dir_.write("site/config/viewer.site", "PORT\tUSER\t999\n");
    ASSERT_EQ(0, cf_init(nullptr));
    const int descriptors = open_descriptors();
    EXPECT_EQ(cf_SHARE_FAILED, export_groups(name));
    EXPECT_EQ(descriptors, open_descriptors());
    ASSERT_EQ(1u, trace_.errors().size());
    EXPECT_EQ(share_error("CreateFileMapping reports that the share name '" + name +
                          "' already exists."),
              trace_.errors()[0]);
    EXPECT_FALSE(orv_cfshare_testing_holds_region());
    EXPECT_EQ(before, region_bytes(name));

    // The holder's tables are still the ones to import.
    EXPECT_EQ(0, cf_import_config_tables_from_file_mapping(name.c_str()));
    EXPECT_EQ("104", get("viewer", "PORT"));
    EXPECT_EQ(0, exporter.finish(true));
}

TEST_F(ConfigShareTest, NameLeftByAnExporterThatEndedIsTakenOver) {
    const std::string name = share();
    {
        Exporter exporter(name);
        ASSERT_TRUE(exporter.exported());
        EXPECT_EQ(0, exporter.finish(false));
    }
    const Bytes left = region_bytes(name);
    ASSERT_FALSE(left.empty());

    dir_.write("site/config/viewer.site", "PORT\tUSER\t999\n");
    ASSERT_EQ(0, cf_init(nullptr));
    const int descriptors = open_descriptors();
    EXPECT_EQ(0, export_groups(name));
    EXPECT_EQ(descriptors + 1, open_descriptors());  // the held region only
    EXPECT_TRUE(trace_.errors().empty()) << trace_.errors()[0];
    EXPECT_TRUE(trace_.traced("The share name '" + name + "' was left by a process that ended"));
    const Bytes now = region_bytes(name);
    EXPECT_NE(left, now);
    EXPECT_NE(std::string::npos, std::string(now.begin(), now.end()).find("999"));

    cf_close_file_mapping();
    EXPECT_FALSE(region_exists(name));
}

// ---- The region ----

TEST_F(ConfigShareTest, RegionHoldsTheLengthThenTheArchiveAndStaysAfterTerm) {
    // The share name is cleaned for the system.
    const std::string name = share() + "_a_b_c";
    shares_.push_back(name);
    ASSERT_EQ(0, cf_init(nullptr));
    ASSERT_EQ(0, export_groups(name.substr(0, name.size() - 6) + " a/b:c"));
    EXPECT_TRUE(orv_cfshare_testing_holds_region());

    const Bytes bytes = region_bytes(name);
    ASSERT_GT(bytes.size(), 8u);
    const std::uint32_t length = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    EXPECT_EQ(bytes.size(), length + 4u);
    EXPECT_EQ(text_bytes("ORVF"), Bytes(bytes.begin() + 4, bytes.begin() + 8));
    EXPECT_TRUE(trace_.traced("Successfully write the config table blob to the File Mapping object (Bytes=" +
                              std::to_string(length) + ")"));

    // A forked child that closes does not remove its parent's region.
    const pid_t child = fork();
    if (child == 0) {
        cf_close_file_mapping();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(orv_cfshare_testing_holds_region());
    // Ending the module does not give up the region; closing does, and
    // closing twice is harmless.
    cf_term();
    EXPECT_TRUE(region_exists(name));
    cf_close_file_mapping();
    cf_close_file_mapping();
    EXPECT_FALSE(region_exists(name));
}

TEST_F(ConfigShareTest, ExportKeepsBehaviorTablesAndSkipsUnreadableGroups) {
    const std::string name = share();
    dir_.write("sys/data/cf/behavior.plist",
               "{ viewer = { default = 0x20; }; idle = { variables = { \"PORT_*\" = 0x10; }; }; }");
    ASSERT_EQ(0, cf_init(nullptr));
    const char *groups[] = {"viewer", "missing", nullptr};
    EXPECT_EQ(0, cf_export_config_tables_to_file_mapping(name.c_str(), groups, 3));
    ASSERT_EQ(1u, trace_.errors().size());
    EXPECT_EQ("IN 'ORVCommonKit' INFORM 'log' TITLE 'CF Read Table': Failed to read cf table for "
              "\"missing\"",
              trace_.errors()[0]);
    const std::string archive = [&] {
        const Bytes bytes = region_bytes(name);
        return std::string(bytes.begin(), bytes.end());
    }();
    EXPECT_NE(std::string::npos, archive.find("VIEWER"));
    EXPECT_NE(std::string::npos, archive.find("PORT_*"));
    EXPECT_EQ(std::string::npos, archive.find("MISSING"));
}

// ---- Failures ----

TEST_F(ConfigShareTest, ArgumentsAndStartAreCheckedFirst) {
    EXPECT_EQ(cf_SHARE_FAILED, cf_export_config_tables_to_file_mapping("", nullptr, 0));
    EXPECT_EQ(cf_SHARE_FAILED, cf_export_config_tables_to_file_mapping(nullptr, nullptr, 0));
    EXPECT_EQ(cf_NOT_INIT, cf_export_config_tables_to_file_mapping("x", nullptr, 0));
    EXPECT_EQ(cf_NOT_INIT, cf_import_config_tables_from_file_mapping("x"));
    const std::vector<std::string> expected = {
        share_error("Invalid Share Name"),
        share_error("Invalid Share Name"),
        "IN 'cf' INFORM 'programmer' TITLE 'NOT_INIT': Attempt to use function "
        "cf_share_config_table() prior to init",
        "IN 'cf' INFORM 'programmer' TITLE 'NOT_INIT': Attempt to use function "
        "cf_import_config_tables_from_file_mapping() prior to init"};
    EXPECT_EQ(expected, trace_.errors());
}

TEST_F(ConfigShareTest, ImportOfAMissingRegionLeavesTheCacheAsItWas) {
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_EQ("104", get("viewer", "PORT"));
    dir_.write("site/config/viewer.site", "PORT\tUSER\t999\n");
    EXPECT_EQ(0, cf_import_config_tables_from_file_mapping(share().c_str()));
    EXPECT_TRUE(trace_.traced(
        "No file mapping object exists. This process needs to read config by itself"));
    EXPECT_TRUE(trace_.errors().empty());
    // Still the cached table, and refreshing still reads the files.
    EXPECT_EQ("104", get("viewer", "PORT"));
    EXPECT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    EXPECT_EQ("999", get("viewer", "PORT"));
}

struct FailedCall {
    const char *call;
    const char *message;
};

TEST_F(ConfigShareTest, FailedExportLeavesNoRegionBehind) {
    const FailedCall cases[] = {
        {"shm_open", "ERROR: Failed to create the File Mapping object"},
        {"fcntl", "ERROR: Failed to create the File Mapping object"},
        {"ftruncate", "ERROR: Failed to create the File Mapping object"},
        {"mmap", "ERROR: Failed to map the File Mapping object to the virtual address"},
    };
    ASSERT_EQ(0, cf_init(nullptr));
    for (const FailedCall &c : cases) {
        SCOPED_TRACE(c.call);
        trace_.clear();
        const std::string name = share();
        const int descriptors = open_descriptors();
        orv_cfshare_testing_fail_call(c.call, ENOSPC);
        EXPECT_EQ(cf_SHARE_FAILED, export_groups(name));
        orv_cfshare_testing_reset();
        EXPECT_EQ(descriptors, open_descriptors());
        EXPECT_EQ(std::vector<std::string>{share_error(c.message)}, trace_.errors());
        EXPECT_FALSE(region_exists(name));
        EXPECT_FALSE(orv_cfshare_testing_holds_region());
    }
}

TEST_F(ConfigShareTest, ImportThatCannotReadTheRegionFails) {
    const FailedCall cases[] = {
        {"fstat", "ERROR: Failed to map the File Mapping object to the virtual address"},
        {"pread",
         "ERROR: Failed to create the data blob from the File Mapping object for the config "
         "tables"},
    };
    // Importing gives up a region this process holds, so the region comes
    // from elsewhere.
    const std::string name = share();
    write_region(name, region_of(text_bytes("x")));
    ASSERT_EQ(0, cf_init(nullptr));
    for (const FailedCall &c : cases) {
        SCOPED_TRACE(c.call);
        trace_.clear();
        const int descriptors = open_descriptors();
        orv_cfshare_testing_fail_call(c.call, EIO);
        EXPECT_EQ(cf_SHARE_FAILED, cf_import_config_tables_from_file_mapping(name.c_str()));
        orv_cfshare_testing_reset();
        EXPECT_EQ(descriptors, open_descriptors());
        EXPECT_EQ(std::vector<std::string>{share_error(c.message)}, trace_.errors());
    }
}

struct CorruptRegion {
    const char *what;
    Bytes bytes;
    bool blob;  // refused before the archive is read
};

TEST_F(ConfigShareTest, CorruptRegionsAreRefusedAndFilesReadInstead) {
    ASSERT_EQ(0, cf_init(nullptr));
    const std::string good_name = share();
    ASSERT_EQ(0, export_groups(good_name));
    const Bytes good = region_bytes(good_name);
    cf_close_file_mapping();
    const Bytes archive(good.begin() + 4, good.end());
    std::vector<cf::SharedGroup> groups;
    ASSERT_EQ(cf::ShareRead::Ok, cf::check_share_region(good.data(), good.size(), groups));
    ASSERT_GE(groups.size(), 2u);
    const std::size_t last = groups.back().offset;
    ASSERT_EQ(good.size(), last + groups.back().size);

    auto changed = [&](std::size_t at, std::uint8_t to) {
        Bytes bytes = good;
        bytes[at] = to;
        return bytes;
    };
    auto one_group = [](const char *name) {
        return region_of(archive_of(text_bytes("M") + le32(1) + text_bytes("S") + le32(6) + text_bytes(name) +
                                    text_bytes("I") + Bytes(8, 0)));
    };
    const std::vector<CorruptRegion> cases = {
        {"empty region", {}, true},
        {"shorter than the length", {1, 0}, true},
        {"length zero", le32(0), true},
        {"truncated archive", Bytes(good.begin(), good.end() - 7), true},
        {"length larger than the region", le32(static_cast<std::uint32_t>(archive.size() + 1)) + archive, true},
        {"region longer than the length", good + Bytes{0, 0, 0}, true},
        {"length near 4 GiB", le32(0xfffffff0u) + archive, true},
        {"garbage archive", region_of(text_bytes("this is not an archive at all")), false},
        {"bad magic", changed(4, good[4] ^ 0xff), false},
        {"damaged inside", changed(12, 'Z'), false},
        {"archive of a string", region_of(archive_of(text_bytes("S") + le32(2) + text_bytes("hi"))), false},
        {"lower-case group name", one_group("viewer"), false},
        {"group that is not a table", one_group("VIEWER"), false},
        {"last group not a dictionary", changed(last, 'Z'), false},
        {"last group claims one field more", changed(last + 1, good[last + 1] + 1), false},
        {"last byte missing", region_of(Bytes(archive.begin(), archive.end() - 1)), false},
        {"last value out of range", changed(good.size() - 1, 2), false},
    };
    // A region too short for its length field is told so, not read past its end.
    std::string error;
    std::vector<cf::SharedGroup> none;
    cf::check_share_region(cases[1].bytes.data(), cases[1].bytes.size(), none, &error);
    EXPECT_EQ("the region is shorter than its length field", error);
    // The files differ from the region, so answers show where they came from.
    dir_.write("site/config/reading.site", "MODE\tADMIN\tslow\n");
    for (const CorruptRegion &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<cf::SharedGroup> found;
        EXPECT_NE(cf::ShareRead::Ok, cf::check_share_region(c.bytes.data(), c.bytes.size(), found));
        cf_term();
        ASSERT_EQ(0, cf_init(nullptr));
        trace_.clear();
        const std::string name = share();
        write_region(name, c.bytes);
        const int descriptors = open_descriptors();
        EXPECT_EQ(cf_SHARE_FAILED, cf_import_config_tables_from_file_mapping(name.c_str()));
        EXPECT_EQ(descriptors, open_descriptors());
        const std::string expected =
            c.blob ? "ERROR: Failed to create the data blob from the File Mapping object for the config tables"
                   : "ERROR: Failed to create the config tables from the shared memory";
        EXPECT_EQ(std::vector<std::string>{share_error(expected)}, trace_.errors());
        // The process goes on with its own files. A refused archive leaves no
        // cache behind, so they are read again for every access.
        EXPECT_EQ("slow", get("reading", "MODE"));
        dir_.write("site/config/viewer.site", "PORT\tUSER\t999\n");
        EXPECT_EQ("999", get("viewer", "PORT"));
        dir_.write("site/config/viewer.site", "PORT\tUSER\t104\n");
        EXPECT_EQ(c.blob ? "999" : "104", get("viewer", "PORT"));
        EXPECT_TRUE(region_exists(name));
    }
    // Until the module ends: the next start caches again, and refreshes read the files.
    cf_term();
    ASSERT_EQ(0, cf_init(nullptr));
    EXPECT_EQ("104", get("viewer", "PORT"));
    dir_.write("site/config/viewer.site", "PORT\tUSER\t999\n");
    EXPECT_EQ("104", get("viewer", "PORT"));
    EXPECT_EQ(0, cf_refresh_config_table_for_group("viewer"));
    EXPECT_EQ("999", get("viewer", "PORT"));
}

// ---- Tables built on first use ----

// The tables of a region, each built at once from the whole region.
std::vector<cf::NamedTable> eager_tables(const Bytes &region) {
    std::vector<cf::NamedTable> tables;
    EXPECT_EQ(cf::ShareRead::Ok, cf::decode_share_region(region.data(), region.size(), tables));
    return tables;
}

bool same_table(ORVConfigurationTable *a, ORVConfigurationTable *b) {
    return a && b && orv::equal(a->archiveObject().get(), b->archiveObject().get());
}

TEST_F(ConfigShareTest, GroupsBuiltOnFirstUseMatchTheTablesReadAtOnce) {
    dir_.write("sys/data/cf/behavior.plist",
               "{ viewer = { default = 0x20; }; idle = { variables = { \"PORT_*\" = 0x10; }; }; }");
    ASSERT_EQ(0, cf_init(nullptr));
    const std::string exported = share();
    ASSERT_EQ(0, export_groups(exported));
    const Bytes region = region_bytes(exported);
    cf_close_file_mapping();
    cf_term();
    const std::vector<cf::NamedTable> eager = eager_tables(region);
    std::set<std::string> names;
    for (const auto &[name, table] : eager) names.insert(name);
    for (const char *group : {"IDLE", "READING", "VIEWER"}) EXPECT_EQ(1u, names.count(group));

    const std::string name = share();
    write_region(name, region);
    remove_domain_files();
    ASSERT_EQ(0, cf_init(nullptr));
    ASSERT_EQ(0, cf_import_config_tables_from_file_mapping(name.c_str()));

    // Asked for by any spelling, a group is built once and then kept.
    ORVConfigurationTable *viewer = cf::cached_table("Viewer");
    EXPECT_EQ(viewer, cf::cached_table("VIEWER"));
    EXPECT_EQ("104", get("viewer", "PORT"));
    EXPECT_EQ("srv1\nsrv2", get("viewer", "SERVERS"));

    // Exporting again carries the groups nobody asked for yet.
    const std::string again = share();
    ASSERT_EQ(0, cf_export_config_tables_to_file_mapping(again.c_str(), nullptr, 0));
    const std::vector<cf::NamedTable> reexported = eager_tables(region_bytes(again));
    cf_close_file_mapping();
    ASSERT_EQ(eager.size(), reexported.size());
    for (const auto &[group, table] : eager) {
        SCOPED_TRACE(group);
        EXPECT_TRUE(same_table(table.get(), cf::cached_table(group)));
        const auto it = std::find_if(reexported.begin(), reexported.end(),
                                     [&](const cf::NamedTable &t) { return t.first == group; });
        ASSERT_NE(reexported.end(), it);
        EXPECT_TRUE(same_table(table.get(), it->second.get()));
    }
    EXPECT_EQ(viewer, cf::cached_table("viewer"));
    EXPECT_EQ("fast", get("reading", "MODE"));
    EXPECT_TRUE(trace_.errors().empty()) << trace_.errors()[0];

    // Groups never asked for go with the module: the next start reads its files.
    dir_.write("site/config/viewer.site", "PORT\tUSER\t777\n");
    dir_.write("site/config/reading.site", "MODE\tADMIN\tslow\n");
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
}

// ---- Validation lists ----

class ValidationListTest : public ConfigShareTest {
protected:
    void SetUp() override {
        ConfigShareTest::SetUp();
        dir_.write("site/config/ports.site",
                   "PORT\tUSER\t104\nws12.Port\tUSER\t4104\nWS12.MODE\tUSER\tfast\n"
                   "$READING.PORT\tUSER\t5104\nws12.port.backup\tUSER\t1\n");
        ASSERT_EQ(0, cf_init(nullptr));
        ASSERT_EQ(0, cf_read_entire_file(cf_DOMAIN_ALL, "ports", &table_));
    }
    void TearDown() override {
        cf_free_table(&table_);
        ConfigShareTest::TearDown();
    }

    // The names listed for key, sorted; the list is freed.
    std::set<std::string> names(const char *key) {
        char **list = reinterpret_cast<char **>(1);
        int count = -1;
        EXPECT_EQ(0, cfvalidate_get_string_list_with_key_from_table(table_, key, &list, &count));
        std::set<std::string> out;
        if (count == 0) {
            EXPECT_EQ(nullptr, list);
        }
        for (int i = 0; i < count; ++i) {
            out.insert(list[i]);
            orvstr_free(list[i]);
        }
        std::free(list);
        return out;
    }

    ORVConfigurationTable *table_ = nullptr;
};

TEST_F(ValidationListTest, KeyMatchesWholePartsOfNamesWithoutRegardToCase) {
    const std::pair<const char *, std::set<std::string>> cases[] = {
        {"ws12", {"WS12.PORT", "WS12.MODE", "WS12.PORT.BACKUP"}},
        {"Port", {"PORT", "WS12.PORT", "WS12.PORT.BACKUP"}},
        {"backup", {"WS12.PORT.BACKUP"}},
        {"ws", {}}, {"12.PORT", {}},
        // Group-qualified names are never listed.
        {"reading", {}}, {"$READING", {}},
    };
    for (const auto &[key, expected] : cases) EXPECT_EQ(expected, names(key)) << key;
    EXPECT_TRUE(trace_.errors().empty());
}

TEST_F(ValidationListTest, AbsentArgumentsAndEmptyKeyAreRefused) {
    char **list = nullptr;
    int count = 0;
    EXPECT_EQ(-1, cfvalidate_get_string_list_with_key_from_table(nullptr, "ws12", &list, &count));
    EXPECT_EQ(-1, cfvalidate_get_string_list_with_key_from_table(table_, nullptr, &list, &count));
    EXPECT_EQ(-1, cfvalidate_get_string_list_with_key_from_table(table_, "", &list, &count));
    EXPECT_EQ(-1, cfvalidate_get_string_list_with_key_from_table(table_, "ws12", nullptr, &count));
    EXPECT_EQ(-1, cfvalidate_get_string_list_with_key_from_table(table_, "ws12", &list, nullptr));
    ASSERT_EQ(5u, trace_.errors().size());
    for (const std::string &error : trace_.errors())
        EXPECT_EQ("IN 'cfvalidate_get_string_list_with_key_from_table()' INFORM 'programmer' TITLE "
                  "'NULL Parameter': NULL Parameter to "
                  "cfvalidate_get_string_list_with_key_from_table()",
                  error);
}

}  // namespace

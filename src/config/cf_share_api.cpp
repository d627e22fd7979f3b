// Exporting the table cache to a named shared memory region and importing it
// in other processes: the shared-mapping state of the module, the system
// calls behind it (through a seam that tests can make fail) and the cf_
// functions.
//
// A region is a POSIX shared memory object "/<cleaned share name>", created
// exclusively with mode 0600 and exactly as long as its content. The
// exporter keeps a write lock (fcntl) on it for as long as it holds it; a
// name whose region nobody locks was left by a process that ended, and is
// taken over instead of blocking every later export. A locked name is never
// touched.
#include "config/cf_module.h"
#include "config/cf_lock.h"
#include "config/cf_share.h"
#include "config/cf_share_testing.h"

#include <ORVCommonKit/cfshare.h>
#include <ORVCommonKit/tr.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

namespace {

// ---- System calls of the region, through a seam ----

// The call that tests made fail, and the errno it fails with.
std::string Failing_call;
int Failing_errno = 0;

bool injected(const char *call) {
    if (Failing_call.empty() || Failing_call != call) return false;
    errno = Failing_errno;
    return true;
}

int sys_shm_open(const char *name, int flags, mode_t mode) {
    return injected("shm_open") ? -1 : ::shm_open(name, flags, mode);
}
int sys_ftruncate(int fd, off_t size) { return injected("ftruncate") ? -1 : ::ftruncate(fd, size); }
void *sys_mmap(std::size_t size, int prot, int fd) {
    return injected("mmap") ? MAP_FAILED : ::mmap(nullptr, size, prot, MAP_SHARED, fd, 0);
}
int sys_fstat(int fd, struct stat *st) { return injected("fstat") ? -1 : ::fstat(fd, st); }
ssize_t sys_pread(int fd, void *buffer, std::size_t size, off_t offset) {
    return injected("pread") ? -1 : ::pread(fd, buffer, size, offset);
}
// A write lock over the whole region, without waiting.
bool sys_lock(int fd) {
    if (injected("fcntl")) return false;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_SETLK, &lock) == 0;
}

// ---- Shared-mapping state; written only by the functions of this file ----

// Descriptor of the region this process holds open (the mapping object), or -1.
int Mapping_handle = -1;
// The mapped view of the held region and its size, or null.
void *Mapping_view = nullptr;
std::size_t Mapping_size = 0;
// Object name of the region this process created, and the process that
// created it: only that process removes the name (a forked child inherits
// the state but not the region). The owner counts only while a name is held.
std::string Mapping_name;
pid_t Mapping_owner = 0;

// Unmaps the view, removes the name this process created and closes the
// descriptor, each only if present. The name goes before the descriptor, so
// that the lock still guards the name until it is gone.
void close_mapping() noexcept {
    if (Mapping_view) ::munmap(Mapping_view, Mapping_size);
    Mapping_view = nullptr;
    Mapping_size = 0;
    if (!Mapping_name.empty() && Mapping_owner == ::getpid()) ::shm_unlink(Mapping_name.c_str());
    Mapping_name.clear();
    if (Mapping_handle >= 0) ::close(Mapping_handle);
    Mapping_handle = -1;
}

// A region held at a normal exit is released then; after a crash its name
// stays, unlocked, until the next export under it takes it over.
struct CloseAtExit {
    ~CloseAtExit() { close_mapping(); }
} Close_at_exit;

// Every failure of sharing is reported the same way, where it is found.
#define report_share_error(...) \
    tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "CF", "ORVCommonKit", __VA_ARGS__)

void report_not_init(const char *file, int line, const char *function) {
    tr_error(file, line, tr_INFORM_PROGRAMMER, "NOT_INIT", "cf",
             "Attempt to use function %s prior to init", function);
}

// Creates the region under name, new and locked. -1 with errno EEXIST when
// another process holds the name, or the failing call's errno.
int create_region(const std::string &name) {
    for (int attempt = 0;; ++attempt) {
        const int fd = sys_shm_open(name.c_str(), O_CREAT | O_EXCL | O_RDWR, 0600);
        if (fd >= 0) {
            if (sys_lock(fd)) return fd;
            const int error = errno;
            ::shm_unlink(name.c_str());
            ::close(fd);
            errno = error;
            return -1;
        }
        if (errno != EEXIST || attempt > 0) return -1;
        // Taking the lock of the existing region succeeds only when no live
        // process holds it; it also keeps a second exporter from taking the
        // same left-over region at the same moment.
        const int held = sys_shm_open(name.c_str(), O_RDWR, 0);
        const bool left_over = held >= 0 && sys_lock(held);
        if (left_over) {
            tr_trace(__FILE__, __LINE__, tr_HIGH,
                     "The share name '%s' was left by a process that ended; it is created again",
                     name.c_str() + 1);
            ::shm_unlink(name.c_str());
        }
        if (held >= 0) ::close(held);
        if (!left_over) {
            errno = EEXIST;
            return -1;
        }
    }
}

// True when the region behind fd can be trusted: it belongs to this
// process's effective user and grants nothing to group or others, as the
// exporter creates it. Another account's region, or one that others can
// write, could plant configuration in every importer: it is reported with
// its owner and mode and refused.
bool region_trusted(int fd, const std::string &name) {
    struct stat st {};
    if (sys_fstat(fd, &st) != 0) {
        report_share_error("ERROR: Failed to map the File Mapping object to the virtual address");
        return false;
    }
    if (st.st_uid == ::geteuid() && (st.st_mode & 077) == 0) return true;
    char buffer[1024];
    struct passwd entry {};
    struct passwd *found = nullptr;
    const bool named = ::getpwuid_r(st.st_uid, &entry, buffer, sizeof buffer, &found) == 0 && found;
    report_share_error("ERROR: Refused the File Mapping object '%s': owned by %s (uid %u) with mode "
                       "%04o; only a region of this process's user without access for group or "
                       "others is imported",
                       name.c_str(), named ? found->pw_name : "an unknown user",
                       static_cast<unsigned>(st.st_uid), static_cast<unsigned>(st.st_mode & 07777));
    return false;
}

// Reads exactly size bytes at offset; false on an error or a short region.
bool read_fully(int fd, std::uint8_t *buffer, std::size_t size, off_t offset) {
    while (size > 0) {
        const ssize_t got = sys_pread(fd, buffer, size, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        buffer += got;
        size -= static_cast<std::size_t>(got);
        offset += got;
    }
    return true;
}

// The whole region behind fd, checked against its own length field.
enum class Copy { Ok, ReadFailed, BadBlob };

Copy copy_region(int fd, cf::RegionBytes &bytes) {
    struct stat st {};
    if (sys_fstat(fd, &st) != 0) return Copy::ReadFailed;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size < cf::kShareHeaderSize ||
        size - cf::kShareHeaderSize > std::numeric_limits<std::uint32_t>::max())
        return Copy::BadBlob;
    // The length field first: a region whose length disagrees with its size
    // is refused before anything of its size is allocated.
    std::uint8_t header[cf::kShareHeaderSize];
    if (!read_fully(fd, header, sizeof header, 0)) return Copy::BadBlob;
    const std::uint32_t length = static_cast<std::uint32_t>(header[0]) |
                                 static_cast<std::uint32_t>(header[1]) << 8 |
                                 static_cast<std::uint32_t>(header[2]) << 16 |
                                 static_cast<std::uint32_t>(header[3]) << 24;
    if (length == 0 || length != size - cf::kShareHeaderSize) return Copy::BadBlob;
    try {
        // Room after the last text, which string readers may load past.
        bytes.reserve(static_cast<std::size_t>(size) + cf::kTextSlack);
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc &) {
        return Copy::BadBlob;
    }
    // Read through the descriptor rather than a mapping: a region that its
    // owner shrinks meanwhile gives a short read here, never a fault.
    std::memcpy(bytes.data(), header, sizeof header);
    if (!read_fully(fd, bytes.data() + sizeof header, length, sizeof header)) return Copy::BadBlob;
    return Copy::Ok;
}

}  // namespace

// ---- The C interface ----

extern "C" {

ORV_API int cf_export_config_tables_to_file_mapping(const char *share_name,
                                                    const char *const *groups,
                                                    unsigned int count) {
    cf::WriteSection section;
    tr_trace(__FILE__, __LINE__, tr_MID, "cf_export_config_tables_to_file_mapping() is called");
    if (!share_name || !*share_name) {
        report_share_error("Invalid Share Name");
        return cf_SHARE_FAILED;
    }
    if (!cf::module_initialized()) {
        report_not_init(__FILE__, __LINE__, "cf_share_config_table()");
        return cf_NOT_INIT;
    }
    close_mapping();

    // Reads the groups not cached yet; a group that cannot be read has been
    // reported and is simply not exported.
    std::vector<cf::NamedTable> tables = cf::cached_tables();
    for (unsigned int i = 0; groups && i < count; ++i) {
        if (!groups[i]) continue;
        ORVConfigurationTable *table = nullptr;
        if (cf::get_table(groups[i], &table) != 0 || !table) continue;
        const std::string name = cf::upper(groups[i]);
        bool listed = false;
        for (auto &entry : tables)
            if (entry.first == name) listed = true;
        if (!listed) tables.emplace_back(name, orv::Ref<ORVConfigurationTable>::retain(table));
    }

    std::vector<std::uint8_t> archive;
    std::string reason;
    if (!cf::encode_share_archive(tables, archive, &reason) ||
        archive.size() > std::numeric_limits<std::uint32_t>::max() - cf::kShareHeaderSize) {
        report_share_error("ERROR: Failed to serialize the config tables");
        return cf_SHARE_FAILED;
    }
    if (archive.empty()) {
        report_share_error("ERROR: Config table blob has zero length");
        return cf_SHARE_FAILED;
    }

    const std::string name = cf::share_region_name(share_name);
    const int fd = create_region(name);
    if (fd < 0) {
        if (errno == EEXIST)
            report_share_error(
                   "CreateFileMapping reports that the share name '%s' already exists.",
                   share_name);
        else
            report_share_error("ERROR: Failed to create the File Mapping object");
        return cf_SHARE_FAILED;
    }
    Mapping_handle = fd;
    Mapping_name = name;
    Mapping_owner = ::getpid();

    const std::size_t size = archive.size() + cf::kShareHeaderSize;
    if (sys_ftruncate(fd, static_cast<off_t>(size)) != 0) {
        close_mapping();
        report_share_error("ERROR: Failed to create the File Mapping object");
        return cf_SHARE_FAILED;
    }
    void *view = sys_mmap(size, PROT_READ | PROT_WRITE, fd);
    if (view == MAP_FAILED) {
        close_mapping();
        report_share_error(
               "ERROR: Failed to map the File Mapping object to the virtual address");
        return cf_SHARE_FAILED;
    }
    Mapping_view = view;
    Mapping_size = size;

    const auto length = static_cast<std::uint32_t>(archive.size());
    auto *bytes = static_cast<std::uint8_t *>(view);
    for (std::size_t i = 0; i < cf::kShareHeaderSize; ++i)
        bytes[i] = static_cast<std::uint8_t>(length >> (8 * i));
    std::memcpy(bytes + cf::kShareHeaderSize, archive.data(), archive.size());
    tr_trace(__FILE__, __LINE__, tr_HIGH,
             "Successfully write the config table blob to the File Mapping object (Bytes=%d)",
             static_cast<int>(length));
    return 0;
}

ORV_API int cf_import_config_tables_from_file_mapping(const char *share_name) {
    cf::WriteSection section;
    tr_trace(__FILE__, __LINE__, tr_HIGH, "cf_import_config_tables_from_file_mapping() is called");
    if (!cf::module_initialized()) {
        report_not_init(__FILE__, __LINE__, "cf_import_config_tables_from_file_mapping()");
        return cf_NOT_INIT;
    }
    close_mapping();

    const std::string name = cf::share_region_name(share_name ? share_name : "");
    const int fd = sys_shm_open(name.c_str(), O_RDONLY, 0);
    if (fd < 0) {
        tr_trace(__FILE__, __LINE__, tr_HIGH,
                 "No file mapping object exists. This process needs to read config by itself");
        return 0;
    }
    Mapping_handle = fd;
    if (!region_trusted(fd, name)) {
        close_mapping();
        return cf_SHARE_FAILED;
    }

    cf::RegionBytes bytes;
    switch (copy_region(fd, bytes)) {
    case Copy::Ok: break;
    case Copy::ReadFailed:
        close_mapping();
        report_share_error(
               "ERROR: Failed to map the File Mapping object to the virtual address");
        return cf_SHARE_FAILED;
    case Copy::BadBlob:
        close_mapping();
        report_share_error(
               "ERROR: Failed to create the data blob from the File Mapping object for the "
               "config tables");
        return cf_SHARE_FAILED;
    }

    int status = 0;
    // The whole region is checked now, so that a bad one is refused here and
    // never later; each group's table is built when the group is first asked
    // for, from the copy the cache keeps.
    std::vector<cf::SharedGroup> groups;
    std::string reason;
    if (cf::check_share_region(bytes.data(), bytes.size(), groups, &reason) ==
        cf::ShareRead::Ok) {
        cf::import_tables(std::move(bytes), std::move(groups));
    } else {
        // The old cache is given up either way: the process now reads its
        // files for every access.
        cf::drop_tables();
        tr_trace(__FILE__, __LINE__, tr_MID, "Shared config tables refused: %s", reason.c_str());
        report_share_error("ERROR: Failed to create the config tables from the shared memory");
        status = cf_SHARE_FAILED;
    }
    cf::set_tables_imported(true);
    tr_trace(__FILE__, __LINE__, tr_HIGH, "cf_import_config_tables_from_file_mapping() is finished");
    close_mapping();
    return status;
}

ORV_API void cf_close_file_mapping(void) {
    cf::WriteSection section;
    close_mapping();
}

}  // extern "C"

// ---- Test hooks ----

void orv_cfshare_testing_fail_call(const char *call, int error) {
    Failing_call = call ? call : "";
    Failing_errno = error;
}

void orv_cfshare_testing_reset(void) {
    Failing_call.clear();
    Failing_errno = 0;
}

int orv_cfshare_testing_holds_region(void) { return Mapping_view != nullptr ? 1 : 0; }

// The configuration module: its one process-wide state (started flag, user and
// user domain, privilege level, host name, search path, the table cache
// cfTableDict) and the cf_ functions that start, end and query it.
#include "config/cf_module.h"
#include "config/cf_module_testing.h"
#include "config/cf_share.h"
#include "config/cf_share_cache.h"

#include "config/ORVConfigurationTable.h"
#include "config/cf_behavior.h"
#include "config/cf_file_safety.h"
#include "config/cf_expand.h"
#include "config/cf_lock.h"
#include "files/ut_dirs_internal.h"
#include "frame/ORVPostLoader.h"
#include "platform/objects.h"

#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/ut.h>

#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <optional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// Hashing that lets the cache be probed with a string_view without building a
// std::string.
struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept {
        return std::hash<std::string_view>{}(s);
    }
};

using TableDict = std::unordered_map<std::string, orv::Ref<ORVConfigurationTable>, NameHash,
                                     std::equal_to<>>;

// ---- Module state; written only by the functions of this file ----

using cf::module_detail::Initialized;
// Current user and user domain: owned copies, or absent. Set at start, by a
// second start without a previous user, or by cf_set_user_name.
std::optional<std::string> User;
std::optional<std::string> Domain;
// While a ScopedUser is alive, the user and domain it put in place.
const char *User_override = nullptr;
const char *Domain_override = nullptr;
bool User_overridden = false;
// Current privilege level, set by cf_set_perm.
int Priv_level = cf_USER_PRIV;
// Local host name, fixed at start, and its upper-case form: the current host
// of the lookups, except in a thread where a ScopedHost is alive.
std::string Host_name;
std::string Host_name_upper;
// Per thread: the host of the innermost ScopedHost alive, or null.
struct HostOverride {
    const std::string *host = nullptr;
    const std::string *upper = nullptr;
};
thread_local constinit HostOverride Host_override __attribute__((tls_model("initial-exec")));
// Directory of each domain, set at start and by cf_set_path.
std::array<std::string, cf::kDomainCount> Search_path;
// File extension of each domain.
constexpr std::array<const char *, cf::kDomainCount> Extensions = {"base", "site", "user"};
// Group name in upper case to the group's table; owns the tables.
TableDict cfTableDict;
// After an accepted import: a private copy of the region's bytes, and each
// imported group (upper case) whose table has not been built yet with the
// byte range of its table in the copy. A group's table is made into
// cfTableDict when the group is first asked for, reading its variables from
// the copy in place; the module lets go of the copy once every group is
// made, the tables keep it while they use it.
std::shared_ptr<const cf::RegionBytes> Imported_region;
std::unordered_map<std::string, std::pair<std::size_t, std::size_t>, NameHash, std::equal_to<>>
    Pending_groups;
// Set when the tables came from a shared mapping.
bool Tables_imported = false;
// Set by an import whose content was refused: until cf_term the module keeps
// no table dictionary, and every access reads the group's files again.
bool Table_dict_dropped = false;
// Meanwhile the last table read of each group, kept only so that the table
// get_table hands out stays valid until the group is read again; never
// consulted as a cache.
TableDict Dropped_tables;
// Counts the changes of cfTableDict (forget_last_group); a table found in it
// stays there while the count is unchanged.
std::uint64_t Dict_changes = 1;
// Per thread: the group of its last get_table, exactly as the caller spelled
// it (when short enough), and its table in cfTableDict at Dict_changes
// changes: programs read one group many times in a row, and this spares them
// folding and hashing its name each time.
struct LastGroup {
    static constexpr std::size_t kRoom = 96;
    char group[kRoom] = {};
    ORVConfigurationTable *table = nullptr;
    std::uint64_t changes = 0;
};
thread_local constinit LastGroup Last __attribute__((tls_model("initial-exec")));

ORVConfigurationTable *last_table(const char *group) noexcept {
    const LastGroup &last = Last;
    if (!last.table || last.changes != Dict_changes) return nullptr;
    for (std::size_t i = 0;; ++i) {
        if (last.group[i] != group[i]) return nullptr;
        if (!group[i]) return last.table;
    }
}

void remember_last(const char *group, ORVConfigurationTable *table) noexcept {
    LastGroup &last = Last;
    const std::size_t size = std::strlen(group);
    if (size >= LastGroup::kRoom) return;
    std::memcpy(last.group, group, size + 1);
    last.table = table;
    last.changes = Dict_changes;
}

const std::string Empty_string;

// Absent and empty are the same user.
bool same_name(const char *given, const std::optional<std::string> &held) {
    return orvstr_icmp(given ? given : "", held ? held->c_str() : "") == 0;
}

const char *printable(const char *text) { return text ? text : "(null)"; }

void set_local_host(std::string_view host) {
    Host_name.assign(host);
    Host_name_upper.assign(host);
    for (char &c : Host_name_upper) c = orvchar_to_upper(c);
}

std::string directory_for(const char *key) {
    return orv::files::standard_path(key).value_or(std::string());
}

void forget_last_group() noexcept { ++Dict_changes; }

void forget_imported_region() noexcept {
    Pending_groups.clear();
    // Tables built from the region keep it alive as long as they need it.
    Imported_region.reset();
}

// Builds the table of an imported group not built yet (name upper case) into
// cfTableDict; null when the group is not pending. A group whose bytes do not
// make a table is dropped, so that it is read from its files instead.
ORVConfigurationTable *build_pending(std::string_view name) {
    auto it = Pending_groups.find(name);
    if (it == Pending_groups.end()) return nullptr;
    const auto [offset, size] = it->second;
    orv::Ref<ORVConfigurationTable> table;
    table = cf::build_shared_table(Imported_region, offset, size);
    ORVConfigurationTable *built = nullptr;
    if (table) {
        built = table.get();
        cfTableDict.insert_or_assign(it->first, std::move(table));
    }
    Pending_groups.erase(it);
    if (Pending_groups.empty()) forget_imported_region();
    return built;
}

void build_every_pending() {
    while (!Pending_groups.empty()) build_pending(std::string(Pending_groups.begin()->first));
}

void release_state() {
    User.reset();
    Domain.reset();
    forget_last_group();
    forget_imported_region();
    cfTableDict.clear();
    Dropped_tables.clear();
    Table_dict_dropped = false;
    for (auto &path : Search_path) path.clear();
    cf::release_expansion_terms();
    Tables_imported = false;
    Priv_level = cf_USER_PRIV;
    set_local_host({});
}

void report_not_init(const char *file, int line, const char *function) {
    tr_error(file, line, tr_INFORM_PROGRAMMER, "NOT_INIT", "cf",
             "Attempt to use function %s prior to init", function);
}

bool check_domain(const char *file, int line, int domain) {
    if (static_cast<unsigned>(domain) < cf::kDomainCount) return true;
    tr_error(file, line, tr_INFORM_PROGRAMMER, "BAD_DOMAIN", "cf", "Invalid domain: %d.", domain);
    return false;
}

// Starts the module (not started yet): steps shared by both init calls.
int start(const char *user, const char *user_domain) {
    std::optional<std::string> previous_user = User, previous_domain = Domain;
    if (user) {
        User = user;
        if (user_domain) Domain = user_domain;
    }
    Search_path[cf_DOMAIN_SYS] = directory_for("ORV_SYS_CONFIG_PATH");
    Search_path[cf_DOMAIN_SITE] = directory_for("ORV_SITE_CONFIG_PATH");
    Search_path[cf_DOMAIN_USER] = directory_for("ORV_USER_CONFIG_PATH");
    Priv_level = cf_USER_PRIV;

    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
    host[255] = '\0';
    set_local_host(host);

    forget_last_group();
    forget_imported_region();
    cfTableDict.clear();
    // Read twice below, resolved once.
    const std::string behavior_file = cf::behavior_file_path();
    const int status = cf::load_behaviors(behavior_file);
    if (status != 0) {
        release_state();
        User = std::move(previous_user);
        Domain = std::move(previous_domain);
        return status;
    }
    Initialized = true;
    cf::report_writable_files(behavior_file);
    ORVPostLoader::processClasses();
    return 0;
}

}  // namespace

namespace cf {

const char *domain_name(int domain) noexcept {
    switch (domain) {
    case cf_DOMAIN_SYS: return "SYS";
    case cf_DOMAIN_SITE: return "SITE";
    case cf_DOMAIN_USER: return "USER";
    case cf_DOMAIN_ALL: return "ALL";
    default: return "Unrecognized-Domain";
    }
}

const char *perm_description(int level) noexcept {
    switch (level) {
    case cf_USER_PRIV: return "cf_USER_PRIV";
    case cf_ADMIN_PRIV: return "cf_ADMIN_PRIV";
    case cf_INST_PRIV: return "cf_INST_PRIV";
    case cf_SYS_PRIV: return "cf_SYS_PRIV";
    default: return "Unknown-Priv-Level";
    }
}

std::atomic<bool> module_detail::Initialized{false};

const std::string &search_path(int domain) noexcept {
    if (static_cast<unsigned>(domain) >= kDomainCount) return Empty_string;
    return Search_path[static_cast<std::size_t>(domain)];
}

const char *extension(int domain) noexcept {
    if (static_cast<unsigned>(domain) >= kDomainCount) return "";
    return Extensions[static_cast<std::size_t>(domain)];
}

const char *user_name() noexcept {
    if (User_overridden) return User_override;
    return User ? User->c_str() : nullptr;
}

const char *user_domain() noexcept {
    if (User_overridden) return Domain_override;
    return Domain ? Domain->c_str() : nullptr;
}

ScopedUser::ScopedUser(const char *user, const char *user_domain) noexcept
    : saved_overridden_(User_overridden), saved_user_(User_override),
      saved_domain_(Domain_override) {
    User_overridden = true;
    User_override = user;
    Domain_override = user_domain;
}

ScopedUser::~ScopedUser() {
    User_overridden = saved_overridden_;
    User_override = saved_user_;
    Domain_override = saved_domain_;
}

int priv_level() noexcept { return Priv_level; }

const std::string &local_host() noexcept { return Host_name; }
const std::string &current_host() noexcept {
    const std::string *host = Host_override.host;
    return host ? *host : Host_name;
}
const std::string &current_host_upper() noexcept {
    const std::string *upper = Host_override.upper;
    return upper ? *upper : Host_name_upper;
}

ScopedHost::ScopedHost(std::string_view host)
    : host_(host), upper_(host), saved_host_(Host_override.host),
      saved_upper_(Host_override.upper) {
    for (char &c : upper_) c = orvchar_to_upper(c);
    Host_override.host = &host_;
    Host_override.upper = &upper_;
}

ScopedHost::~ScopedHost() {
    Host_override.host = saved_host_;
    Host_override.upper = saved_upper_;
}

ORVConfigurationTable *cached_table(std::string_view group) noexcept {
    if ((cfTableDict.empty() && Pending_groups.empty()) || Table_dict_dropped) return nullptr;
    // The upper-case probe keeps its capacity between calls.
    thread_local std::string probe;
    try {
        probe.assign(group);
        cf::upper_in_place(probe);
        auto it = cfTableDict.find(std::string_view(probe));
        if (it != cfTableDict.end()) return it->second.get();
        return Pending_groups.empty() ? nullptr : build_pending(probe);
    } catch (...) {
        return nullptr;
    }
}

void store_table(std::string_view group, ORVConfigurationTable *table) {
    if (!table) return;
    forget_last_group();
    TableDict &dict = Table_dict_dropped ? Dropped_tables : cfTableDict;
    std::string name = cf::upper(group);
    // A group read now replaces its imported bytes, which are not built.
    if (!Pending_groups.empty()) {
        auto pending = Pending_groups.find(name);
        if (pending != Pending_groups.end()) {
            Pending_groups.erase(pending);
            if (Pending_groups.empty()) forget_imported_region();
        }
    }
    dict[std::move(name)] = orv::Ref<ORVConfigurationTable>::retain(table);
}

// Reads a group from all domains into its cached table; reports a failure.
static int read_group(const char *group, ORVConfigurationTable **table) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "Reading \"%s\" from all domains and building a table",
             group);
    ORVConfigurationTable *read = nullptr;
    const int status = cf_read_entire_file(cf_DOMAIN_ALL, group, &read);
    if (status != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "CF Read Table", "ORVCommonKit",
                 "Failed to read cf table for \"%s\"", group);
        if (read) cf_free_table(&read);
        return status;
    }
    store_table(group, read);
    // The cache holds its own reference now.
    if (table) *table = read;
    cf_free_table(&read);
    return 0;
}

ORVConfigurationTable *peek_table(const char *group) noexcept {
    ORVConfigurationTable *last = last_table(group);
    if (last && last->hasVariables()) return last;
    if (Table_dict_dropped) return nullptr;
    if (!Pending_groups.empty()) {
        // An imported group not built yet is not in the dictionary: only a
        // group that is there can be had without a change.
        thread_local std::string probe;
        try {
            probe.assign(group);
            cf::upper_in_place(probe);
        } catch (...) {
            return nullptr;
        }
        if (Pending_groups.count(std::string_view(probe))) return nullptr;
    }
    ORVConfigurationTable *cached = cached_table(group);
    if (!cached || !cached->hasVariables()) return nullptr;
    remember_last(group, cached);
    return cached;
}

int get_table(const char *group, ORVConfigurationTable **table) {
    if (!group || !table) return cf_BAD_PARAM;
    ORVConfigurationTable *last = last_table(group);
    if (last && last->hasVariables()) {
        *table = last;
        return 0;
    }
    ORVConfigurationTable *cached = cached_table(group);
    if (cached && cached->hasVariables()) {
        remember_last(group, cached);
        *table = cached;
        return 0;
    }
    return read_group(group, table);
}

bool tables_imported() noexcept { return Tables_imported; }
void set_tables_imported(bool imported) noexcept { Tables_imported = imported; }

// ---- The whole cache, for sharing it between processes ----

std::vector<NamedTable> cached_tables() {
    build_every_pending();
    std::vector<NamedTable> tables;
    tables.reserve(cfTableDict.size());
    for (const auto &[name, table] : cfTableDict)
        if (table) tables.emplace_back(name, table);
    return tables;
}

void replace_tables(std::vector<NamedTable> tables) {
    forget_last_group();
    forget_imported_region();
    cfTableDict.clear();
    Dropped_tables.clear();
    Table_dict_dropped = false;
    for (auto &[name, table] : tables)
        if (table) cfTableDict[cf::upper(name)] = std::move(table);
}

void import_tables(RegionBytes region, std::vector<SharedGroup> groups) {
    forget_last_group();
    forget_imported_region();
    cfTableDict.clear();
    Dropped_tables.clear();
    Table_dict_dropped = false;
    Pending_groups.reserve(groups.size());
    for (SharedGroup &group : groups)
        Pending_groups.insert_or_assign(cf::upper(group.name),
                                        std::make_pair(group.offset, group.size));
    if (!Pending_groups.empty())
        Imported_region = std::make_shared<const RegionBytes>(std::move(region));
}

void drop_tables() {
    forget_last_group();
    forget_imported_region();
    cfTableDict.clear();
    Table_dict_dropped = true;
}

// Every cached table, for describe_cf_table.
std::string describe_tables() {
    build_every_pending();
    std::string out = "{\n";
    for (const auto &[name, table] : cfTableDict) {
        out += "    ";
        out += name;
        out += " = ";
        out += table ? table->description() : std::string("(null)");
        out += ";\n";
    }
    out += "}";
    return out;
}

}  // namespace cf

// ---- The C interface of the module ----

extern "C" {

ORV_API int cf_init_ex(const char *user, const char *user_domain) {
    cf::WriteSection section;
    tr_trace(__FILE__, __LINE__, tr_MID, "cf_init_ex (\"%s\",\"%s\") called", printable(user),
             printable(user_domain));
    if (Initialized) {
        if (same_name(user, User) && same_name(user_domain, Domain)) {
            tr_trace(__FILE__, __LINE__, tr_HIGH,
                     "Re-initialization of the cf module with same user attempted.");
            return 0;
        }
        if (!User) {
            if (!user) return 0;
            User = user;
            if (user_domain) Domain = user_domain;
            tr_trace(__FILE__, __LINE__, tr_HIGH,
                     "Re-initialization of the cf module with user attempted. (Previous NULL) "
                     "Set user: %s, domain: %s",
                     user, printable(user_domain));
            return 0;
        }
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Re-initialization", "cf",
                 "Re-initialization of the cf module with different user attempted.");
        return cf_REINIT;
    }
    return start(user, user_domain);
}

ORV_API int cf_init(const char *user) {
    cf::WriteSection section;
    tr_trace(__FILE__, __LINE__, tr_MID, "cf_init (\"%s\") called", printable(user));
    if (Initialized) {
        if (same_name(user, User)) {
            tr_trace(__FILE__, __LINE__, tr_HIGH,
                     "Re-initialization of the cf module with same user attempted.");
            return 0;
        }
        if (!User) {
            User = user;
            tr_trace(__FILE__, __LINE__, tr_HIGH,
                     "Re-initialization of the cf module with user attempted. (Previous NULL) "
                     "Set user: %s",
                     user);
            return 0;
        }
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Re-initialization", "cf",
                 "Re-initialization of the cf module with different user attempted.");
        return cf_REINIT;
    }
    return start(user, nullptr);
}

ORV_API int cf_term(void) {
    cf::WriteSection section;
    tr_trace(__FILE__, __LINE__, tr_MID, "cf_term () called");
    if (!Initialized) return 0;
    release_state();
    Initialized = false;
    return 0;
}

ORV_API int cf_is_init(void) { return Initialized ? 1 : 0; }

ORV_API int cf_set_path(int domain, const char *path) {
    cf::WriteSection section;
    tr_trace(__FILE__, __LINE__, tr_MID, "cf_set_path (%s, \"%s\") called", cf::domain_name(domain),
             printable(path));
    if (!path) return cf_BAD_PARAM;
    if (!Initialized) {
        report_not_init(__FILE__, __LINE__, "cf_set_path()");
        return cf_NOT_INIT;
    }
    if (!check_domain(__FILE__, __LINE__, domain)) return cf_BAD_DOMAIN;
    Search_path[static_cast<std::size_t>(domain)] = path;
    return 0;
}

ORV_API const char *cf_path(int domain) {
    cf::ReadSection section;
    tr_trace(__FILE__, __LINE__, tr_MID, "cf_path (%s) called", cf::domain_name(domain));
    if (!Initialized) {
        report_not_init(__FILE__, __LINE__, "cf_path()");
        return nullptr;
    }
    if (!check_domain(__FILE__, __LINE__, domain)) return nullptr;
    return ORVString::temporary(Search_path[static_cast<std::size_t>(domain)])->cString();
}

ORV_API const char *cf_user_name(void) {
    cf::ReadSection section;
    return User ? User->c_str() : nullptr;
}

ORV_API int cf_set_user_name(const char *user) {
    cf::WriteSection section;
    tr_trace(__FILE__, __LINE__, tr_MID, "cf_set_user_name (\"%s\") called", printable(user));
    if (User || !user) return -1;
    User = user;
    return 0;
}

ORV_API const char *cf_user_domain(void) {
    cf::ReadSection section;
    return Domain ? Domain->c_str() : nullptr;
}

ORV_API int cf_set_perm(int level) {
    cf::WriteSection section;
    tr_trace(__FILE__, __LINE__, tr_MID, "cf_set_perm (%s) called", cf::perm_description(level));
    if (!Initialized) {
        report_not_init(__FILE__, __LINE__, "cf_set_perm()");
        return cf_NOT_INIT;
    }
    if (static_cast<unsigned>(level) > cf_SYS_PRIV) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "BAD_PRIV", "cf", "Invalid permission: %d",
                 level);
        return cf_BAD_PRIV;
    }
    Priv_level = level;
    return 0;
}

ORV_API const char *cf_get_perm_description(int level) { return cf::perm_description(level); }

ORV_API int cf_refresh_config_table_for_group(const char *group) {
    cf::WriteSection section;
    if (!group) return cf_BAD_PARAM;
    if (!Initialized) {
        report_not_init(__FILE__, __LINE__, "cf_refresh_config_table_for_group()");
        return cf_NOT_INIT;
    }
    return cf::read_group(group, nullptr);
}

ORV_API void cf_set_config_caching_in_table(int flag) { (void)flag; }

ORV_API const char *describe_cf_table(void) {
    cf::WriteSection section;
    return ORVString::temporary(cf::describe_tables())->cString();
}

}  // extern "C"

// ---- Test hooks ----

void orv_cfmodule_testing_set_local_host(const char *host) {
    cf::WriteSection section;
    set_local_host(host ? host : "");
}

const char *orv_cfmodule_testing_current_host(void) { return cf::current_host().c_str(); }

ORVConfigurationTable *orv_cfmodule_testing_table(const char *group) {
    ORVConfigurationTable *table = nullptr;
    return cf::get_table(group, &table) == 0 ? table : nullptr;
}

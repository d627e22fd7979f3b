// What the rest of the configuration family needs from the module: whether it
// is started, the search path and file extensions per domain, the current user
// and user domain, the current host of the lookups, and the cache of group
// tables (cfTableDict). The state itself lives in cf_module.cpp only.
#pragma once

#include <ORVCommonKit/cfdefs.h>

#include <atomic>
#include <string>
#include <string_view>

namespace cf {

// Number of domains that have files (SYS, SITE, USER).
inline constexpr int kDomainCount = 3;

// "SYS", "SITE", "USER", "ALL", else "Unrecognized-Domain".
const char *domain_name(int domain) noexcept;
// Privilege level names of traces: "cf_USER_PRIV" ... or "Unknown-Priv-Level".
const char *perm_description(int level) noexcept;

namespace module_detail {
// Set by a successful cf_init/cf_init_ex, cleared by cf_term (atomic so that
// cf_is_init and cf_free may ask at any time). Written in cf_module.cpp only.
extern std::atomic<bool> Initialized;
}  // namespace module_detail

// True between a successful cf_init/cf_init_ex and cf_term.
inline bool module_initialized() noexcept {
    return module_detail::Initialized.load(std::memory_order_relaxed);
}

// Directory of a domain (0 to 2) in the search path; "" when unknown.
const std::string &search_path(int domain) noexcept;
// File extension of a domain (0 to 2): "base", "site", "user"; "" otherwise.
const char *extension(int domain) noexcept;

// Current user and user domain; null when absent.
const char *user_name() noexcept;
const char *user_domain() noexcept;

// Puts another user and user domain in place for the life of the object (both
// may be null; they are used as given and must outlive it), then restores the
// previous ones. Used to read another user's files.
class ScopedUser {
public:
    ScopedUser(const char *user, const char *user_domain) noexcept;
    ~ScopedUser();
    ScopedUser(const ScopedUser &) = delete;
    ScopedUser &operator=(const ScopedUser &) = delete;

private:
    bool saved_overridden_;
    const char *saved_user_;
    const char *saved_domain_;
};

// Current privilege level (0 after start).
int priv_level() noexcept;

// The local host's name as fixed at start ("" before).
const std::string &local_host() noexcept;
// The host that lookups qualify names with: the local host except while a
// ScopedHost is alive.
const std::string &current_host() noexcept;
// The host name upper-cased once, for building keys.
const std::string &current_host_upper() noexcept;

// Replaces the current host for one call; the local host comes back when the
// object ends, whatever the outcome of the call.
// The current host belongs to the calling thread: other threads keep theirs.
class ScopedHost {
public:
    explicit ScopedHost(std::string_view host);
    ~ScopedHost();
    ScopedHost(const ScopedHost &) = delete;
    ScopedHost &operator=(const ScopedHost &) = delete;

private:
    std::string host_;
    std::string upper_;
    const std::string *saved_host_;
    const std::string *saved_upper_;
};

// ---- cfTableDict: group name in upper case to the group's table ----

// The table cached for a group (any case), or null. Borrowed: the cache keeps
// its reference.
ORVConfigurationTable *cached_table(std::string_view group) noexcept;
// Stores table under the group (upper-cased), taking a reference of its own
// and releasing the table stored there before, if another. Does nothing
// before start.
void store_table(std::string_view group, ORVConfigurationTable *table);

// The cached table of a group when get_table would give it without changing
// anything (it is in cfTableDict and has variables), else null. Borrowed.
ORVConfigurationTable *peek_table(const char *group) noexcept;

// The table of a group for lookups and changes: the cached table when it has
// variables, else the group read now from all domains and cached. table gets
// a borrowed pointer (the cache owns it). 0, cf_BAD_PARAM for null arguments,
// or the read's status (-1 when no domain file of the group exists), reported
// as "Failed to read cf table for ...".
int get_table(const char *group, ORVConfigurationTable **table);

// True when the tables were imported from a shared mapping: reads then give
// the cached tables without reading files.
bool tables_imported() noexcept;
void set_tables_imported(bool imported) noexcept;

}  // namespace cf

// Configuration changes: the exported file operations (cf_set and its typed
// and string forms, cf_rm), which change one entry of one domain file under
// the read-only mark and the privilege rules, and the table operations
// (cf_set_from_table and its forms), which change a table the caller holds.
#include "config/ORVConfigurationTable.h"
#include "config/cf_lock.h"
#include "config/cf_domainfile.h"
#include "config/cf_file_lock.h"
#include "config/cf_module.h"
#include "config/cf_rewrite.h"

#include <ORVCommonKit/cfset.h>
#include <ORVCommonKit/cftable.h>
#include <ORVCommonKit/tr.h>

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

// Longest text a typed value is written as.
constexpr int kMaxTypedText = 79;

unsigned long address(const void *pointer) {
    return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(pointer));
}

const char *shown(const char *text) { return text ? text : "(null)"; }

bool bad_domain(int domain) {
    if (static_cast<unsigned>(domain) <= cf_DOMAIN_USER) return false;
    tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "BAD_DOMAIN", "cf", "Invalid domain: %d.",
             domain);
    return true;
}

bool bad_level(int level) {
    if (static_cast<unsigned>(level) <= cf_SYS_PRIV) return false;
    tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "BAD_PRIV", "cf",
             "Invalid permission level: %d", level);
    return true;
}

bool bad_count(int count) {
    if (count >= 1 && count <= cf_MAX_VALUES) return false;
    tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "BAD_NVALUES", "cf",
             "Invalid number of values: %d", count);
    return true;
}

void report_not_init(const char *function) {
    tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "NOT_INIT", "cf",
             "Attempt to use function %s prior to init", function);
}

// The group's table for a change, or null after reporting why (status set).
ORVConfigurationTable *table_for_change(const char *group, int *status) {
    ORVConfigurationTable *table = nullptr;
    *status = cf::get_table(group, &table);
    if (*status != 0 || !table) {
        if (*status == 0) *status = cf_FAILURE;
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "CF", "ORVCommonKit",
                 "ERROR finding CF Table for \"%s\"", group);
        return nullptr;
    }
    return table;
}

void report_insufficient(const char *name, int level, bool removing) {
    if (removing)
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "INSUF_PRIV", "cf",
                 "Insufficient privilege to change parameter \"%s\".\n\t privilege level %s is "
                 "required",
                 name, cf::perm_description(level));
    else
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "INSUF_PRIV", "cf",
                 "Insufficient privilege to change parameter \"%s\"\n\t privilege level %s is "
                 "required",
                 name, cf::perm_description(level));
}

// The text a typed value is written as. 0, cf_BAD_PARAM (null value),
// cf_BAD_TYPE or cf_BUFFER_OVERFLOW (reported).
int typed_text(const char *name, const void *value, int type, std::string &text) {
    if (type < cf_TYPE_BYTE || type > cf_TYPE_RECT) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "BAD_TYPE", "cf", "Invalid type: %d", type);
        return cf_BAD_TYPE;
    }
    if (!value) return cf_BAD_PARAM;
    char buffer[512];
    int length = 0;
    switch (type) {
    case cf_TYPE_BYTE: {
        unsigned char v;
        std::memcpy(&v, value, sizeof v);
        length = std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(v));
        break;
    }
    case cf_TYPE_SHORT: {
        std::int16_t v;
        std::memcpy(&v, value, sizeof v);
        length = std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(v));
        break;
    }
    case cf_TYPE_INT: {
        std::int32_t v;
        std::memcpy(&v, value, sizeof v);
        length = std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(v));
        break;
    }
    case cf_TYPE_LONG: {
        // A "long" of the configuration is four bytes, as on the lookup side.
        std::int32_t v;
        std::memcpy(&v, value, sizeof v);
        length = std::snprintf(buffer, sizeof buffer, "%ld", static_cast<long>(v));
        break;
    }
    case cf_TYPE_FLOAT: {
        float v;
        std::memcpy(&v, value, sizeof v);
        length = std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(v));
        break;
    }
    case cf_TYPE_BOOL: {
        unsigned char v;
        std::memcpy(&v, value, sizeof v);
        length = std::snprintf(buffer, sizeof buffer, "%s", v ? "yes" : "no");
        break;
    }
    default: {
        float rect[4];
        std::memcpy(rect, value, sizeof rect);
        length = std::snprintf(buffer, sizeof buffer, "XYWH %f %f %f %f",
                               static_cast<double>(rect[0]), static_cast<double>(rect[1]),
                               static_cast<double>(rect[2]), static_cast<double>(rect[3]));
        break;
    }
    }
    // A cut number would be a different number: refuse rather than truncate.
    if (length < 0 || length > kMaxTypedText) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "BUFFER OVERFLOW", "cf",
                 "The value for \"%s\" needs more than %d characters", shown(name),
                 kMaxTypedText);
        return cf_BUFFER_OVERFLOW;
    }
    text.assign(buffer, static_cast<std::size_t>(length));
    return 0;
}

}  // namespace

extern "C" {

ORV_API int cf_set(int domain, const char *group, const char *name, int level, int count,
                   const char *const *values) {
    cf::WriteSection section;
    tr_trace(__FILE__, __LINE__, tr_MID, "cf_set (%s, \"%s\", \"%s\", %s, %d, %#lx) called.",
             cf::domain_name(domain), shown(group), shown(name), cf::perm_description(level),
             count, address(values && count > 0 ? values[0] : nullptr));
    if (!group || !name || !values) return cf_BAD_PARAM;
    if (!cf::module_initialized()) {
        report_not_init("cf_set()");
        return cf_NOT_INIT;
    }
    if (bad_domain(domain)) return cf_BAD_DOMAIN;
    if (domain == cf_DOMAIN_SYS) level = cf_SYS_PRIV;
    if (bad_level(level)) return cf_BAD_PRIV;
    if (bad_count(count)) return cf_BAD_NVALUES;
    if (cf::file_name_refused(domain, group)) return cf_FILE_NACCESS;

    const std::string path = cf::domain_file_path(domain, group);
    int status = cf::force_file(path);
    if (status != 0) return status;
    // Held from the search that reads the file to the rename of its new copy.
    const cf::DomainFileLock lock(path);
    if (lock.status() != 0) return lock.status();

    ORVConfigurationTable *table = table_for_change(group, &status);
    if (!table) return status;
    if (!table->isSaveAllowed()) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "READ_ONLY", "cf",
                 "Attempting to set \"%s\" in group \"%s\" marked read-only.", name, group);
        return cf_READ_ONLY;
    }

    int found_level = cf_USER_PRIV;
    status = cf::find_entry(path, domain, name, table->behaviorForName(name), &found_level,
                            nullptr);
    tr_trace(__FILE__, __LINE__, tr_MID, "Look-up attempt returned: %d", status);
    const bool found = status == 0 || status == cf_NO_VALUES;
    if (!found && status != cf_NOT_FOUND) return status;

    char entry[cf::kEntrySize];
    status = mk_entry(entry, name, level, count, values);
    if (status != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "mk_entry", "cf",
                 "Failed to build new entry line");
        return status;
    }
    tr_trace(__FILE__, __LINE__, tr_MID, "New entry = %s", entry);

    if (found) {
        if (cf::priv_level() < found_level) {
            report_insufficient(name, found_level, false);
            return cf_INSUF_PRIV;
        }
        // The search may have resumed past an earlier entry of the same name;
        // the edit itself refuses to replace an entry above the current level.
        int refused = found_level;
        status = cf::replace_entry(path, domain, name, entry, cf::priv_level(), &refused);
        if (status == cf_INSUF_PRIV) {
            report_insufficient(name, refused, false);
            return status;
        }
        if (status != 0) {
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "FILE_NWRITE", "cf",
                     "Unable to remove entry and rewrite file \"%s\".", path.c_str());
            return status;
        }
        return 0;
    }
    tr_trace(__FILE__, __LINE__, tr_MID, "Adding new parameter to end of file");
    status = cf::add_entry(path, domain, entry);
    if (status != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "FILE_NWRITE", "cf",
                 "Unable to rewrite file \"%s\".", path.c_str());
        return status;
    }
    return 0;
}

ORV_API int cf_set_simple(int domain, const char *group, const char *name, int level,
                          const void *value, int type) {
    cf::WriteSection section;
    std::string text;
    const int status = typed_text(name, value, type, text);
    if (status != 0) return status;
    const char *values[1] = {text.c_str()};
    return cf_set(domain, group, name, level, 1, values);
}

ORV_API int cf_set_string(int domain, const char *group, const char *name, int level,
                          const char *string) {
    cf::WriteSection section;
    const char *values[1] = {string};
    return cf_set(domain, group, name, level, 1, values);
}

ORV_API int cf_rm(int domain, const char *group, const char *name) {
    cf::WriteSection section;
    tr_trace(__FILE__, __LINE__, tr_MID, "cf_rm (%s, \"%s\", \"%s\") called.",
             cf::domain_name(domain), shown(group), shown(name));
    if (!group || !name) return cf_BAD_PARAM;
    if (!cf::module_initialized()) {
        report_not_init("cf_rm()");
        return cf_NOT_INIT;
    }
    if (bad_domain(domain)) return cf_BAD_DOMAIN;
    if (cf::file_name_refused(domain, group)) return cf_FILE_NACCESS;

    int status = 0;
    ORVConfigurationTable *table = table_for_change(group, &status);
    if (!table) return status;
    if (!table->isSaveAllowed()) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "READ_ONLY", "cf",
                 "Attempting to remove \"%s\" in group \"%s\" marked read-only.", name, group);
        return cf_READ_ONLY;
    }

    const std::string path = cf::domain_file_path(domain, group);
    // A file that does not exist has nothing to remove (and gets no lock file).
    std::optional<cf::DomainFileLock> lock;
    if (struct stat st; ::stat(path.c_str(), &st) == 0) {
        lock.emplace(path);
        if (lock->status() != 0) return lock->status();
    }
    int found_level = cf_USER_PRIV;
    status = cf::find_entry(path, domain, name, table->behaviorForName(name), &found_level,
                            nullptr);
    // An entry without values is an entry all the same: it is removed too.
    if (status != 0 && status != cf_NO_VALUES) return status;

    if (cf::priv_level() < found_level) {
        report_insufficient(name, found_level, true);
        return cf_INSUF_PRIV;
    }
    int refused = found_level;
    status = cf::remove_entry(path, domain, name, cf::priv_level(), &refused);
    if (status == cf_INSUF_PRIV) {
        report_insufficient(name, refused, true);
        return status;
    }
    if (status == cf_NOT_FOUND) return status;
    if (status != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "FILE_NWRITE", "cf",
                 "Unable to rewrite file \"%s\".", path.c_str());
        return status;
    }
    return 0;
}

ORV_API int cf_set_from_table(ORVConfigurationTable **table, int domain, const char *name,
                              int level, int count, const char *const *values) {
    cf::WriteSection section;
    tr_trace(__FILE__, __LINE__, tr_LOW, "cf_set_from_table( %#lx, %s, \"%s\", %s, %d, ... ) called.",
             address(table), cf::domain_name(domain), shown(name), cf::perm_description(level),
             count);
    if (!values || !name) return cf_BAD_PARAM;
    if (bad_domain(domain)) return cf_BAD_DOMAIN;
    if (domain == cf_DOMAIN_SYS) level = cf_SYS_PRIV;
    if (bad_level(level)) return cf_BAD_PRIV;
    if (bad_count(count)) return cf_BAD_NVALUES;
    if (!table || !*table) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "BAD_PARAM", "cf",
                 "Invalid table specified.");
        return cf_BAD_PARAM;
    }
    if (!(*table)->isSaveAllowed()) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "READ_ONLY", "ORVCommonKit",
                 "Attempting to set \"%s\" in group marked read-only.", name);
        return cf_READ_ONLY;
    }
    ORVConfigurationVariable::Values stored;
    stored.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) stored.emplace_back(values[i] ? values[i] : "");
    auto variable = ORVConfigurationVariable::variableWithName(name, level, std::move(stored));
    variable->setIsNew(true);
    std::string key = cf::domain_name(domain);
    key += '.';
    key += name;
    (*table)->setVariable(variable.get(), key);
    return 0;
}

ORV_API int cf_set_simple_from_table(ORVConfigurationTable **table, int domain,
                                     const char *name, int level, const void *value, int type) {
    cf::WriteSection section;
    std::string text;
    const int status = typed_text(name, value, type, text);
    if (status != 0) return status;
    const char *values[1] = {text.c_str()};
    return cf_set_from_table(table, domain, name, level, 1, values);
}

ORV_API int cf_set_string_from_table(ORVConfigurationTable **table, int domain,
                                     const char *name, int level, const char *string) {
    cf::WriteSection section;
    const char *values[1] = {string};
    return cf_set_from_table(table, domain, name, level, 1, values);
}

ORV_API int cf_set_from_table_with_prefix(ORVConfigurationTable **table, const char *prefix,
                                          int domain, const char *name, int level, int count,
                                          const char *const *values) {
    cf::WriteSection section;
    cf::ScopedHost host(prefix ? prefix : "irrelevant");
    return cf_set_from_table(table, domain, name, level, count, values);
}

}  // extern "C"

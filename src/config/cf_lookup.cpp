// Configuration lookups: the layered search of a table (domains from the one
// asked down to SYS; host-qualified, host-group, plain and name-group keys as
// the behavior allows), value expansion, typed and joined results, and the
// search and listing operations over a table.
//
// Lookups are the hot path of every program: the name is upper-cased once per
// call, keys are built in reused buffers, and the joined and typed lookups
// read the variable's own values without copying them.
#include "config/cf_lookup.h"

#include "config/cf_domainfile.h"
#include "config/cf_expand.h"
#include "config/cf_lock.h"
#include "config/cf_lookup_origin.h"
#include "config/cf_module.h"
#include "platform/objects.h"
#include "platform/plist.h"

#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tk.h>
#include <ORVCommonKit/tr.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// Working strings of one lookup. Loading expansion terms may run a lookup of
// its own in the middle of another, so each nesting depth has its set; the
// buffers keep their capacity between calls, so a lookup allocates nothing.
struct Scratch {
    std::string name;                   // the name asked for, upper-cased
    std::string key;                    // a key being tried or traced
    std::string rest;                   // a name without its domain
    std::int32_t found = -1;            // the record that was found
};

constexpr int kScratchDepth = 4;

// The working strings of each thread, made on its first lookup and freed
// when it ends.
struct ThreadScratch {
    Scratch *scratches = nullptr;
    int depth = 0;
};
thread_local constinit ThreadScratch Thread_scratch __attribute__((tls_model("initial-exec")));

struct ScratchRelease {
    ~ScratchRelease() {
        delete[] Thread_scratch.scratches;
        Thread_scratch.scratches = nullptr;
    }
};
thread_local ScratchRelease Scratch_release;

Scratch *make_scratches() {
    (void)&Scratch_release;  // frees them when the thread ends
    return Thread_scratch.scratches = new Scratch[kScratchDepth];
}

class ScratchLease {
public:
    ScratchLease() {
        ThreadScratch &t = Thread_scratch;
        if (t.depth < kScratchDepth)
            scratch_ = &(t.scratches ? t.scratches : make_scratches())[t.depth];
        else
            own_ = std::make_unique<Scratch>(), scratch_ = own_.get();
        ++t.depth;
    }
    ~ScratchLease() { --Thread_scratch.depth; }
    ScratchLease(const ScratchLease &) = delete;
    ScratchLease &operator=(const ScratchLease &) = delete;
    Scratch &operator*() const noexcept { return *scratch_; }

private:
    Scratch *scratch_ = nullptr;
    std::unique_ptr<Scratch> own_;
};

const char *printable(const char *text) { return text ? text : "(null)"; }

unsigned long address(const void *p) {
    return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(p));
}

bool tracing_low() { return tr_current_trace_level() <= tr_LOW; }

// "(a, b, c)", for traces.
std::string describe(const cf::ValueList &values) {
    std::string out = "(";
    bool first = true;
    for (const std::string_view value : values) {
        if (!first) out += ", ";
        first = false;
        orv::plist::appendQuoted(out, value);
    }
    out += ")";
    return out;
}

void report_not_init(const char *file, int line, const char *function) {
    tr_error(file, line, tr_INFORM_PROGRAMMER, "NOT_INIT", "cf",
             "Attempt to use function %s prior to init", function);
}

void report_bad_domain(int domain) {
    tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "BAD_DOMAIN", "cf", "Invalid domain: %d.",
             domain);
}

void upper_into(std::string &out, std::string_view text) {
    out.resize(text.size());
    cf::upper_copy(text.data(), text.size(), out.data());
}

// The name of one lookup in the table's index. The entry is fetched once and
// fetched again only when the table changed meanwhile (loading expansion
// terms may read a group).
class Wanted {
public:
    Wanted(ORVConfigurationTable &table, std::string_view upperName)
        : table_(table), name_(upperName), hash_(cf::hash_name(upperName)),
          entry_(table.indexedName(name_, hash_)), changes_(table.changeCount()) {}

    cf::IndexedName *entry() {
        if (changes_ != table_.changeCount()) {
            entry_ = table_.indexedName(name_, hash_);
            changes_ = table_.changeCount();
        }
        return entry_;
    }

    // The behavior of the name, kept in its index entry after the first time.
    unsigned behavior() {
        cf::IndexedName *e = entry();
        if (e) {
            const std::uint32_t known = e->state.bits.load(std::memory_order_relaxed);
            if (known & cf::IndexedName::kBehaviorKnown)
                return known & cf::IndexedName::kBehaviorBits;
        }
        const unsigned found = table_.behaviorForUpperName(name_);
        if ((e = entry()) && !(found & ~cf::IndexedName::kBehaviorBits))
            e->state.bits.fetch_or(found | cf::IndexedName::kBehaviorKnown,
                                   std::memory_order_relaxed);
        return found;
    }

private:
    ORVConfigurationTable &table_;
    std::string_view name_;
    std::uint64_t hash_;
    cf::IndexedName *entry_;
    std::uint64_t changes_;
};

// The record of a domain under a name without its domain, through the
// table's index, or -1.
std::int32_t find_in_index(ORVConfigurationTable &table, int domain, std::string_view rest) {
    cf::IndexedName *e = table.indexedName(rest, cf::hash_name(rest));
    return e ? e->records[domain] : cf::IndexedName::kNone;
}

// Builds the key DN.<parts> in s.key for the trace of a key being tried.
void trace_key(const char *dn, std::string_view a, std::string_view b, Scratch &s) {
    s.key.assign(dn);
    s.key += '.';
    s.key += a;
    s.key += b;
    tr_trace(__FILE__, __LINE__, tr_LOW, "Searching for key \"%s\"", s.key.c_str());
}

// Tries DN.$T<rest> for each term T; the first hit wins unless the behavior
// asks for a unique match, where a second hit is an error.
int search_terms(ORVConfigurationTable &table, const cf::StringList &terms, int domain,
                 const char *dn, std::string_view rest, const char *name, unsigned behavior,
                 bool traced, Scratch &s, std::int32_t &found) {
    const std::size_t skip = std::strlen(dn) + 1;
    for (const std::string &term : terms) {
        s.key.assign(dn);
        s.key += ".$";
        s.key += term;
        s.key += rest;
        if (traced)
            tr_trace(__FILE__, __LINE__, tr_LOW, "Searching for key \"%s\"", s.key.c_str());
        const std::int32_t hit =
            find_in_index(table, domain, std::string_view(s.key).substr(skip));
        if (hit < 0) continue;
        if (found < 0) {
            found = hit;
            if (!(behavior & cf_BEHAVIOR_UNIQUE_GROUP)) return 0;
        } else {
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "GET", "cf",
                     "ERROR %s variable \"%s\" ambiguous multiple matches including \"%s\": %d.",
                     dn, name, s.key.c_str(), cf_GROUP_CONFLICT);
            return cf_GROUP_CONFLICT;
        }
    }
    return 0;
}

int deliver(const ORVConfigurationTable &table, std::int32_t found, const char *name,
            unsigned behavior, bool traced, cf::LookupResult &result);

// Search of one domain (0 to 2) for the upper-case name in s.name. Keys are
// looked up through the table's index; they are spelled out only for traces.
int search_domain(ORVConfigurationTable &table, int domain, const char *name, unsigned behavior,
                  Wanted &wanted, bool traced, Scratch &s, cf::LookupResult &result) {
    if (static_cast<unsigned>(domain) > cf_DOMAIN_USER) {
        report_bad_domain(domain);
        return cf_BAD_DOMAIN;
    }
    const char *dn = cf::domain_name(domain);
    if (traced)
        tr_trace(__FILE__, __LINE__, tr_LOW, "Searching domain %s for \"%s\" ...", dn, name);

    std::int32_t var = cf::IndexedName::kNone;
    if (behavior & cf_BEHAVIOR_HOST) {
        const std::string &host = cf::current_host_upper();
        if (traced) trace_key(dn, host, "." + s.name, s);
        // Only a name that some stored name qualifies can have a host entry.
        const cf::IndexedName *e = wanted.entry();
        if (e && e->qualified()) {
            s.rest.assign(host);
            s.rest += '.';
            s.rest += s.name;
            var = find_in_index(table, domain, s.rest);
        }
    }
    if (var < 0 && (behavior & cf_BEHAVIOR_HOST_GROUP)) {
        if (int status = cf::load_expansion_terms(); status != 0) return status;
        if (const cf::StringList *terms =
                cf::expansion_terms_for_element(cf::current_host_upper())) {
            s.rest.assign(1, '.');
            s.rest += s.name;
            if (int status = search_terms(table, *terms, domain, dn, s.rest, name, behavior,
                                          traced, s, var);
                status != 0)
                return status;
        }
    }
    if (var < 0) {
        if (traced) trace_key(dn, s.name, {}, s);
        if (const cf::IndexedName *e = wanted.entry()) var = e->records[domain];
    }
    if (var < 0 && (behavior & cf_BEHAVIOR_NAME_GROUP)) {
        const std::size_t dot = s.name.find('.');
        if (dot != std::string::npos && dot > 0) {
            if (int status = cf::load_expansion_terms(); status != 0) return status;
            const std::string_view element = std::string_view(s.name).substr(0, dot);
            if (const cf::StringList *terms = cf::expansion_terms_for_element(element)) {
                s.rest.assign(s.name, dot);
                if (int status = search_terms(table, *terms, domain, dn, s.rest, name, behavior,
                                              traced, s, var);
                    status != 0)
                    return status;
            }
        }
    }
    if (var < 0) return cf_NOT_FOUND;
    s.found = var;
    return deliver(table, var, name, behavior, traced, result);
}

// Gives the level and the (expanded) values of the record found, straight
// from the table's storage when nothing expands.
int deliver(const ORVConfigurationTable &table, std::int32_t found, const char *name,
            unsigned behavior, bool traced, cf::LookupResult &result) {
    const cf::Record &record = table.record(static_cast<std::size_t>(found));
    if (record.flags & cf::Record::kNoLevel) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "", "cf", "Could not get permission level.");
        return cf_FAILURE;
    }
    result.level = record.level;

    const cf::ValueList stored = table.values(record);
    // Most variables expand nothing: their stored values are the answer.
    constexpr unsigned kExpands = cf_BEHAVIOR_EXPAND_SUFFIXED | cf_BEHAVIOR_EXPAND_LIST;
    const int expanded = behavior & kExpands
                             ? cf::expand_values(stored, behavior, result.expanded, &result.values)
                             : (result.values = stored, 0);
    const cf::ValueList &values = result.values;
    if (expanded != 0 || !values.present()) [[unlikely]] {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "", "cf", "Could not get values.");
        return cf_FAILURE;
    }
    if (traced) [[unlikely]] {
        tr_trace(__FILE__, __LINE__, tr_LOW, "Parameter: %s (as %s)", name,
                 table.key(record).c_str());
        if (values.sameAs(stored))
            tr_trace(__FILE__, __LINE__, tr_LOW, "Value: %s", describe(values).c_str());
        else
            tr_trace(__FILE__, __LINE__, tr_LOW, "Value: %s, expanded from %s",
                     describe(values).c_str(), describe(stored).c_str());
    }
    if (values.empty()) return cf_NO_VALUES;
    if (values.size() > cf_MAX_VALUES) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "NVALUE_OVL", "cf",
                 "Too many values for configuration parameter \"%s\"", name);
        return cf_NVALUE_OVL;
    }
    return 0;
}

// Copies a lookup's values into a caller's value list.
int give_values(int status, const cf::LookupResult &result, int *level, int *count,
                char **values) {
    if (status != 0) return status;
    if (level) *level = result.level;
    int n = 0;
    for (const std::string_view value : result.values) values[n++] = orvstr_dup(value.data());
    *count = n;
    return 0;
}

// ---- Typed conversions ----

const char *const Type_names[] = {"byte",           "short",   "integer", "long",
                                  "floating-point", "boolean", "NSRect"};

// F truncated toward zero, kept within the range of a 64-bit integer.
long long truncated(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 9.2e18f) return LLONG_MAX;
    if (value <= -9.2e18f) return LLONG_MIN;
    return static_cast<long long>(value);
}

void write_default(void *storage, int type, float value) {
    const long long whole = truncated(value);
    switch (type) {
    case cf_TYPE_BYTE:
    case cf_TYPE_BOOL: {
        const auto b = static_cast<unsigned char>(static_cast<unsigned long long>(whole) & 0xFFu);
        std::memcpy(storage, &b, 1);
        break;
    }
    case cf_TYPE_SHORT: {
        const auto v = static_cast<std::int16_t>(
            static_cast<std::uint16_t>(static_cast<unsigned long long>(whole) & 0xFFFFu));
        std::memcpy(storage, &v, sizeof v);
        break;
    }
    case cf_TYPE_INT:
    case cf_TYPE_LONG: {
        const auto v = static_cast<std::int32_t>(
            static_cast<std::uint32_t>(static_cast<unsigned long long>(whole) & 0xFFFFFFFFu));
        std::memcpy(storage, &v, sizeof v);
        break;
    }
    case cf_TYPE_FLOAT:
        std::memcpy(storage, &value, sizeof value);
        break;
    case cf_TYPE_RECT: {
        const float rect[4] = {value, value, value, value};
        std::memcpy(storage, rect, sizeof rect);
        break;
    }
    default:
        break;
    }
}

// Converts text to the type into storage; false (storage untouched) when the
// text is not of the type.
bool convert(const char *text, int type, void *storage) {
    switch (type) {
    case cf_TYPE_BYTE:
    case cf_TYPE_SHORT: {
        if (!tk_is_int(text)) return false;
        errno = 0;
        const long v = std::strtol(text, nullptr, 10);
        if (type == cf_TYPE_BYTE) {
            if (errno == ERANGE || v < 0 || v > 255) return false;
            const auto b = static_cast<unsigned char>(v);
            std::memcpy(storage, &b, 1);
        } else {
            if (errno == ERANGE || v < -32767 || v > 32767) return false;
            const auto s = static_cast<std::int16_t>(v);
            std::memcpy(storage, &s, sizeof s);
        }
        return true;
    }
    case cf_TYPE_INT: {
        if (!tk_is_int(text)) return false;
        // As the C library's string-to-int: out-of-range texts wrap, unreported.
        const long long v = std::strtoll(text, nullptr, 10);
        const auto i = static_cast<std::int32_t>(
            static_cast<std::uint32_t>(static_cast<unsigned long long>(v) & 0xFFFFFFFFu));
        std::memcpy(storage, &i, sizeof i);
        return true;
    }
    case cf_TYPE_LONG: {
        if (!tk_is_int(text)) return false;
        // As a 4-byte string-to-long: out-of-range texts give the nearest
        // limit, unreported.
        long long v = std::strtoll(text, nullptr, 10);
        if (v > INT32_MAX) v = INT32_MAX;
        if (v < INT32_MIN) v = INT32_MIN;
        const auto l = static_cast<std::int32_t>(v);
        std::memcpy(storage, &l, sizeof l);
        return true;
    }
    case cf_TYPE_FLOAT: {
        if (!tk_is_float(text)) return false;
        const float f = std::strtof(text, nullptr);
        std::memcpy(storage, &f, sizeof f);
        return true;
    }
    case cf_TYPE_BOOL: {
        unsigned char b;
        if (orvstr_icmp(text, "yes") == 0 || orvstr_icmp(text, "1") == 0 ||
            orvstr_icmp(text, "true") == 0)
            b = 1;
        else if (orvstr_icmp(text, "no") == 0 || orvstr_icmp(text, "0") == 0 ||
                 orvstr_icmp(text, "false") == 0)
            b = 0;
        else
            return false;
        std::memcpy(storage, &b, 1);
        return true;
    }
    case cf_TYPE_RECT: {
        if (std::strncmp(text, "XYWH", 4) != 0) return false;
        // Fields that cannot be read are zero.
        float rect[4] = {0, 0, 0, 0};
        const int n = std::sscanf(text, "XYWH %f %f %f %f", &rect[0], &rect[1], &rect[2], &rect[3]);
        (void)n;
        std::memcpy(storage, rect, sizeof rect);
        return true;
    }
    default:
        return false;
    }
}

// Copies text into a caller's buffer of size + 1 bytes.
void copy_cut(char *buffer, int size, std::string_view text) {
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(size));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

}  // namespace

namespace cf {

int lookup_in_domain(ORVConfigurationTable &table, int domain, const char *name,
                     unsigned behavior, LookupResult &result) {
    ScratchLease lease;
    Scratch &s = *lease;
    upper_into(s.name, name);
    Wanted wanted(table, s.name);
    return search_domain(table, domain, name, behavior, wanted, tracing_low(), s, result);
}

int lookup_layered(ORVConfigurationTable &table, int domain, const char *name,
                   LookupResult &result) {
    ScratchLease lease;
    Scratch &s = *lease;
    upper_into(s.name, name);
    Wanted wanted(table, s.name);
    const unsigned behavior = wanted.behavior();
    const bool traced = tracing_low();
    if (traced)
        tr_trace(__FILE__, __LINE__, tr_LOW,
                 "get_from_table_ex( %#lx, %s, \"%s\", ..., %#x ) called", address(&table),
                 domain_name(domain), name, behavior);
    if (domain == cf_DOMAIN_ALL) domain = cf_DOMAIN_USER;
    if (static_cast<unsigned>(domain) > cf_DOMAIN_USER) {
        report_bad_domain(domain);
        return cf_BAD_DOMAIN;
    }
    int status = cf_NOT_FOUND;
    const cf::IndexedName *e = wanted.entry();
    if (!traced && !(behavior & (cf_BEHAVIOR_HOST_GROUP | cf_BEHAVIOR_NAME_GROUP)) &&
        (!e || !e->qualified() || !(behavior & cf_BEHAVIOR_HOST))) {
        // Nothing to trace and no key but the plain one can exist: the
        // search of each domain comes down to the name's own index entry.
        for (int d = domain; e && d >= cf_DOMAIN_SYS; --d) {
            if (const std::int32_t found = e->records[d]; found >= 0)
                return deliver(table, found, name, behavior, traced, result);
        }
        return cf_NOT_FOUND;
    }
    for (int d = domain; d >= cf_DOMAIN_SYS; --d) {
        status = search_domain(table, d, name, behavior, wanted, traced, s, result);
        if (status != cf_NOT_FOUND) break;
    }
    if (traced) tr_trace(__FILE__, __LINE__, tr_LOW, "get_from_table_ex() returns %d", status);
    return status;
}

}  // namespace cf

namespace {

// True when a lookup in table changes nothing shared, so that it may run
// beside other lookups: the table's index is built and the expansion terms
// that its behaviors may need are loaded. A null table is refused unchanged.
bool table_ready(const ORVConfigurationTable *table) {
    constexpr unsigned kNeedsTerms = cf_BEHAVIOR_EXPAND_SUFFIXED | cf_BEHAVIOR_EXPAND_LIST |
                                     cf_BEHAVIOR_NAME_GROUP | cf_BEHAVIOR_HOST_GROUP;
    return !table || (table->indexCurrent() &&
                      (!(table->behaviorBits() & kNeedsTerms) || cf::expansion_terms_loaded()));
}

// The same for a group-based call: the group's table is cached and ready.
// A call refused before start changes nothing either (when it checks).
bool group_ready(const char *group, bool checks_start = true) {
    if ((checks_start && !cf::module_initialized()) || !group) return true;
    const ORVConfigurationTable *table = cf::peek_table(group);
    return table && table_ready(table);
}

int table_for(const char *group, ORVConfigurationTable **table);

// group_ready that keeps the table it found, so that a call answered in the
// same read section does not look for it again.
struct GroupPeek {
    const char *group;
    bool checks_start = true;
    ORVConfigurationTable *table = nullptr;

    bool operator()() {
        if ((checks_start && !cf::module_initialized()) || !group) return true;
        table = cf::peek_table(group);
        if (table && table_ready(table)) return true;
        table = nullptr;
        return false;
    }
    // The table of the group: the one found, else the one table_for gives.
    int get(ORVConfigurationTable **out) {
        if (table) {
            *out = table;
            return 0;
        }
        return table_for(group, out);
    }
};

// The table of a group for a group-based call, reported when it cannot be had.
int table_for(const char *group, ORVConfigurationTable **table) {
    const int status = cf::get_table(group, table);
    if (status != 0)
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "CF", "ORVCommonKit",
                 "ERROR finding CF Table for \"%s\"", printable(group));
    return status;
}

int simple_from_table(ORVConfigurationTable *table, int domain, const char *name, int *level,
                      void *storage, int type, float default_value) {
    if (type < cf_TYPE_BYTE || type > cf_TYPE_RECT) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "BAD_TYPE", "cf", "Invalid type: %d", type);
        return cf_BAD_TYPE;
    }
    if (!table || !name || !storage) return cf_BAD_PARAM;
    cf::LookupResult result;
    const int status = cf::lookup_layered(*table, domain, name, result);
    if (status != 0) {
        tr_trace(__FILE__, __LINE__, tr_LOW, "Using default value for parameter \"%s\"", name);
        write_default(storage, type, default_value);
        return status;
    }
    if (level) *level = result.level;
    const char *text = result.values.front().data();
    if (!convert(text, type, storage)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "TYPE_MISMATCH", "cf",
                 "\"%s\" is not %s", text, Type_names[type]);
        return cf_TYPE_MISMATCH;
    }
    return 0;
}

int string_from_table(ORVConfigurationTable *table, int domain, const char *name, int *level,
                      char *buffer, int size, const char *default_value) {
    if (!table || !name || !buffer || size < 0) return cf_BAD_PARAM;
    cf::LookupResult result;
    const int status = cf::lookup_layered(*table, domain, name, result);
    if (status != 0) {
        if (default_value) {
            tr_trace(__FILE__, __LINE__, tr_LOW, "Using default value \"%s\" for parameter \"%s\"",
                     default_value, name);
            copy_cut(buffer, size, default_value);
        } else {
            tr_trace(__FILE__, __LINE__, tr_LOW,
                     "No default value for parameter \"%s\", returning empty string", name);
            buffer[0] = '\0';
        }
        return status;
    }
    if (level) *level = result.level;
    // Join with line feeds, cut at size characters.
    std::size_t used = 0;
    const auto room = static_cast<std::size_t>(size);
    bool first = true;
    for (const std::string_view value : result.values) {
        if (!first && used < room) buffer[used++] = '\n';
        first = false;
        const std::size_t n = std::min(value.size(), room - used);
        std::memcpy(buffer + used, value.data(), n);
        used += n;
        if (used == room) break;
    }
    buffer[used] = '\0';
    return 0;
}

}  // namespace

// ---- The C interface of the lookups ----

extern "C" {

ORV_API int cf_get_from_table(ORVConfigurationTable *table, int domain, const char *name,
                              int *level, int *count, char **values) {
    return cf::read_call([&] { return table_ready(table); }, [&]() -> int {
        if (!table || !name || !count || !values) return cf_BAD_PARAM;
        *count = 0;
        cf::LookupResult result;
        const int status = cf::lookup_layered(*table, domain, name, result);
        return give_values(status, result, level, count, values);
    });
}

ORV_API int cf_get_from_table_for_host(ORVConfigurationTable *table, int domain,
                                       const char *name, const char *host, int *level,
                                       int *count, char **values) {
    cf::ScopedHost scoped(host ? std::string_view(host) : std::string_view(cf::local_host()));
    return cf_get_from_table(table, domain, name, level, count, values);
}

ORV_API int cf_get_from_table_with_prefix(ORVConfigurationTable *table, const char *prefix,
                                          int domain, const char *name, int *level,
                                          int *count, char **values) {
    cf::ScopedHost scoped(prefix ? prefix : "irrelevant");
    return cf_get_from_table(table, domain, name, level, count, values);
}

ORV_API int cf_get_from_domain_with_table(ORVConfigurationTable *table, int domain,
                                          const char *name, int *level, int *count,
                                          char **values) {
    return cf::read_call([&] { return table_ready(table); }, [&]() -> int {
        if (!table || !name || !count || !values) return cf_BAD_PARAM;
        *count = 0;
        cf::LookupResult result;
        const int status =
            cf::lookup_in_domain(*table, domain, name, table->behaviorForName(name), result);
        return give_values(status, result, level, count, values);
    });
}

ORV_API int cf_get_simple_from_table(ORVConfigurationTable *table, int domain, const char *name,
                                     int *level, void *storage, int type, float default_value) {
    return cf::read_call([&] { return table_ready(table); }, [&]() -> int {
        return simple_from_table(table, domain, name, level, storage, type, default_value);
    });
}

ORV_API int cf_get_string_from_table(ORVConfigurationTable *table, int domain, const char *name,
                                     int *level, char *buffer, int size,
                                     const char *default_value) {
    return cf::read_call([&] { return table_ready(table); }, [&]() -> int {
        return string_from_table(table, domain, name, level, buffer, size, default_value);
    });
}

ORV_API int cf_get(int domain, const char *group, const char *name, int *level, int *count,
                   char **values) {
    GroupPeek peek{group};
    return cf::read_call(peek, [&]() -> int {
        tr_trace(__FILE__, __LINE__, tr_MID, "cf_get(%s, \"%s\", \"%s\", %#lx, %#lx, %#lx) called",
                 cf::domain_name(domain), printable(group), printable(name), address(level),
                 address(count), address(values));
        if (!cf::module_initialized()) {
            report_not_init(__FILE__, __LINE__, "cf_get()");
            return cf_NOT_INIT;
        }
        if (!group || !name || !count || !values) return cf_BAD_PARAM;
        ORVConfigurationTable *table = nullptr;
        if (int status = peek.get(&table); status != 0) return status;
        return cf_get_from_table(table, domain, name, level, count, values);
    });
}

ORV_API int cf_get_from_domain(int domain, const char *group, const char *name, int *level,
                               int *count, char **values) {
    GroupPeek peek{group};
    return cf::read_call(peek, [&]() -> int {
        tr_trace(__FILE__, __LINE__, tr_MID,
                 "cf_get_from_domain (%s, \"%s\", \"%s\", %#lx, %#lx, %#lx) called",
                 cf::domain_name(domain), printable(group), printable(name), address(level),
                 address(count), address(values));
        if (!cf::module_initialized()) {
            report_not_init(__FILE__, __LINE__, "cf_get_from_domain()");
            return cf_NOT_INIT;
        }
        if (static_cast<unsigned>(domain) > cf_DOMAIN_USER) {
            report_bad_domain(domain);
            return cf_BAD_DOMAIN;
        }
        if (!group || !name || !count || !values) return cf_BAD_PARAM;
        ORVConfigurationTable *table = nullptr;
        if (int status = peek.get(&table); status != 0) return status;
        return cf_get_from_domain_with_table(table, domain, name, level, count, values);
    });
}

ORV_API int cf_get_for_host(int domain, const char *group, const char *name, const char *host,
                            int *level, int *count, char **values) {
    return cf::read_call([&] { return group_ready(group, false); }, [&]() -> int {
        cf::ScopedHost scoped(host ? std::string_view(host) : std::string_view(cf::local_host()));
        if (!group || !name || !count || !values) return cf_BAD_PARAM;
        ORVConfigurationTable *table = nullptr;
        if (int status = cf::get_table(group, &table); status != 0) return status;
        return cf_get_from_table(table, domain, name, level, count, values);
    });
}

ORV_API int cf_get_simple(int domain, const char *group, const char *name, int *level,
                          void *storage, int type, float default_value) {
    GroupPeek peek{group};
    return cf::read_call(peek, [&]() -> int {
        tr_trace(__FILE__, __LINE__, tr_MID,
                 "cf_get_simple (%s, \"%s\", \"%s\", %#lx, %#lx, %d, %f) called",
                 cf::domain_name(domain), printable(group), printable(name), address(level),
                 address(storage), type, static_cast<double>(default_value));
        if (!cf::module_initialized()) {
            report_not_init(__FILE__, __LINE__, "cf_get_simple()");
            return cf_NOT_INIT;
        }
        if (!group || !name || !storage) return cf_BAD_PARAM;
        ORVConfigurationTable *table = nullptr;
        if (int status = peek.get(&table); status != 0) return status;
        return simple_from_table(table, domain, name, level, storage, type, default_value);
    });
}

ORV_API int cf_get_string(int domain, const char *group, const char *name, int *level,
                          char *buffer, int size, const char *default_value) {
    GroupPeek peek{group};
    return cf::read_call(peek, [&]() -> int {
        tr_trace(__FILE__, __LINE__, tr_MID,
                 "cf_get_string (%s, \"%s\", \"%s\", %#lx, %#lx, %d, \"%s\") called",
                 cf::domain_name(domain), printable(group), printable(name), address(level),
                 address(buffer), size, printable(default_value));
        if (!cf::module_initialized()) {
            report_not_init(__FILE__, __LINE__, "cf_get_string()");
            return cf_NOT_INIT;
        }
        if (!group || !name || !buffer || size < 0) return cf_BAD_PARAM;
        ORVConfigurationTable *table = nullptr;
        if (int status = peek.get(&table); status != 0) return status;
        return string_from_table(table, domain, name, level, buffer, size, default_value);
    });
}

ORV_API int cf_get_string_for_host(int domain, const char *group, const char *name,
                                   const char *host, int *level, char *buffer, int size,
                                   const char *default_value) {
    cf::ScopedHost scoped(host ? std::string_view(host) : std::string_view(cf::local_host()));
    return cf_get_string(domain, group, name, level, buffer, size, default_value);
}

ORV_API int cf_free(char **values, int count) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "cf_free (%#lx, %d) called.", address(values), count);
    if (!cf::module_initialized()) {
        report_not_init(__FILE__, __LINE__, "cf_free()");
        return cf_NOT_INIT;
    }
    if (!values) return cf_BAD_PARAM;
    if (count > cf_MAX_VALUES) count = cf_MAX_VALUES;
    for (int i = 0; i < count; ++i) {
        orvstr_free(values[i]);
        values[i] = nullptr;
    }
    return 0;
}

ORV_API int cf_find_string_value_in_table_for_host(ORVConfigurationTable *table,
                                                   const char *value, const char *host,
                                                   unsigned char *found, char *name_buffer,
                                                   int size) {
    return cf::read_call([&] { return table_ready(table); }, [&]() -> int {
        tr_trace(__FILE__, __LINE__, tr_LOW,
                 "cf_find_string_value_in_table_for_host(%#lx, \"%s\", \"%s\", %#lx, %#lx, %d) "
                 "called.",
                 address(table), printable(value), printable(host), address(found),
                 address(name_buffer), size);
        if (!table || !value || !*value || !found || !name_buffer || size < 1) {
            tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Invalid Parameter",
                     "cf_find_string_value_in_table_for_host()",
                     "Invalid Parameter to cf_find_string_value_in_table_for_host()");
            return cf_FAILURE;
        }
        *found = 0;
        cf::ScopedHost scoped(host ? std::string_view(host) : std::string_view(cf::local_host()));
        for (const std::string &name : table->uniqueValueNamesWithoutHost()) {
            cf::LookupResult result;
            const int status = cf::lookup_layered(*table, cf_DOMAIN_ALL, name.c_str(), result);
            if (status == cf_NOT_FOUND || status == cf_NO_VALUES) continue;
            if (status != 0) {
                tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "cf",
                         "cf_find_string_value_in_table_for_host()",
                         "Failed to retrieve the values from the highest domain level for key \"%s\" "
                         "from the config table.",
                         name.c_str());
                return status;
            }
            for (const std::string_view candidate : result.values) {
                if (orvstr_icmp(candidate.data(), value) == 0) {
                    *found = 1;
                    copy_cut(name_buffer, size, name);
                    return 0;
                }
            }
        }
        tr_trace(__FILE__, __LINE__, tr_LOW,
                 "cf_find_string_value_in_table_for_host(): Value \"%s\" not found (according to "
                 "retrieval rules) in table.",
                 value);
        return 0;
    });
}

ORV_API int cf_get_string_list_for_string_value_from_table(ORVConfigurationTable *table,
                                                           const char *text, char ***list,
                                                           int *count) {
    return cf::read_call([&] { return table_ready(table); }, [&]() -> int {
        if (!table || !text || !*text || !list || !count) {
            tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "NULL Parameter",
                     "cf_get_string_list_for_string_value_from_table()",
                     "NULL Parameter to cf_get_string_list_for_string_value_from_table()");
            return cf_FAILURE;
        }
        std::vector<const std::string *> taken;
        const std::vector<std::string> names = table->uniqueValueNamesWithoutHost();
        {
            cf::ScopedHost scoped(text);
            for (const std::string &name : names) {
                cf::LookupResult result;
                if (cf::lookup_layered(*table, cf_DOMAIN_ALL, name.c_str(), result) != 0) continue;
                const cf::ValueList &values = result.values;
                if (values.size() == 1) {
                    if (orvstr_icmp(values.front().data(), "none") == 0) continue;
                    if (values.front().find(':') == std::string_view::npos) {
                        taken.push_back(&name);
                        continue;
                    }
                }
                for (const std::string_view value : values) {
                    const std::size_t colon = value.find(':');
                    if (colon == std::string_view::npos) continue;
                    const std::string before(value.substr(0, colon));
                    if (orvstr_icmp(before.c_str(), text) == 0) {
                        taken.push_back(&name);
                        break;
                    }
                }
            }
        }
        *count = static_cast<int>(taken.size());
        *list = nullptr;
        if (taken.empty()) return 0;
        auto **array = static_cast<char **>(std::calloc(taken.size(), sizeof(char *)));
        if (!array) {
            *count = 0;
            return cf_FAILURE;
        }
        for (std::size_t i = 0; i < taken.size(); ++i) array[i] = orvstr_dup(taken[i]->c_str());
        *list = array;
        return 0;
    });
}

ORV_API int cf_variable_names_for_table(ORVConfigurationTable *table, ORVArray **names,
                                        int *count) {
    return cf::read_call([&] { return table_ready(table); }, [&]() -> int {
        tr_trace(__FILE__, __LINE__, tr_LOW, "cf_unique_variable_names_for_table(%#lx, %#lx) called.",
                 address(table), address(names));
        if (!table || !names || !count) {
            tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Invalid Parameter",
                     "cf_unique_variable_names_for_table()",
                     "Invalid Parameter to cf_unique_variable_names_for_table()");
            return cf_FAILURE;
        }
        const std::vector<std::string> unique = table->uniqueValueNamesWithHost();
        if (unique.empty()) {
            tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Unique names",
                     "cf_unique_variable_names_for_table()",
                     "Unable to obtain variable names for table %#lx.", address(table));
            return cf_FAILURE;
        }
        auto array = orv::make<ORVArray>();
        for (const std::string &name : unique) array->add(std::string_view(name));
        *count = static_cast<int>(array->count());
        *names = array.leak();
        return 0;
    });
}

}  // extern "C"

// ---- Origins, for orvkit ----

extern "C" {

int orv_cf_lookup_origin(int domain, const char *group, const char *name, const char *host,
                         int *found_domain, char *key, int key_size, char *file, int file_size) {
    return cf::read_call([&] { return group_ready(group); }, [&]() -> int {
        if (found_domain) *found_domain = -1;
        if (key && key_size >= 0) key[0] = '\0';
        if (file && file_size >= 0) file[0] = '\0';
        if (!cf::module_initialized()) return cf_NOT_INIT;
        if (!group || !name) return cf_BAD_PARAM;
        ORVConfigurationTable *table = nullptr;
        if (int status = cf::get_table(group, &table); status != 0) return status;
        cf::ScopedHost scoped(host ? std::string_view(host) : std::string_view(cf::local_host()));

        ScratchLease lease;
        Scratch &s = *lease;
        upper_into(s.name, name);
        Wanted wanted(*table, s.name);
        const unsigned behavior = wanted.behavior();
        if (domain == cf_DOMAIN_ALL) domain = cf_DOMAIN_USER;
        if (static_cast<unsigned>(domain) > cf_DOMAIN_USER) {
            report_bad_domain(domain);
            return cf_BAD_DOMAIN;
        }
        const bool traced = tracing_low();
        int status = cf_NOT_FOUND;
        for (int d = domain; d >= cf_DOMAIN_SYS; --d) {
            cf::LookupResult result;
            s.found = -1;
            status = search_domain(*table, d, name, behavior, wanted, traced, s, result);
            if (status == cf_NOT_FOUND) continue;
            if (found_domain) *found_domain = d;
            if (key && key_size >= 0)
                copy_cut(key, key_size,
                         s.found >= 0 ? table->key(table->record(static_cast<std::size_t>(s.found)))
                                      : std::string());
            if (file && file_size >= 0) copy_cut(file, file_size, cf::domain_file_path(d, group));
            break;
        }
        return status;
    });
}

int orv_cf_get_simple_for_host(int domain, const char *group, const char *name,
                               const char *host, void *storage, int type) {
    cf::ScopedHost scoped(host ? std::string_view(host) : std::string_view(cf::local_host()));
    return cf_get_simple(domain, group, name, nullptr, storage, type, 0);
}

int orv_cf_visit_group(const char *group, orv_cf_entry_visitor visit, void *context) {
    return cf::read_call([&] { return group_ready(group); }, [&]() -> int {
        if (!cf::module_initialized()) return cf_NOT_INIT;
        if (!group || !visit) return cf_BAD_PARAM;
        ORVConfigurationTable *table = nullptr;
        if (int status = cf::get_table(group, &table); status != 0) return status;
        if (!table->hasVariables()) return 0;
        for (int d = cf_DOMAIN_USER; d >= cf_DOMAIN_SYS; --d) {
            std::vector<std::pair<std::string, std::size_t>> entries;
            table->forEachLive([&](std::size_t n, const cf::Record &r) {
                if (r.domain == d) entries.emplace_back(table->key(r), n);
            });
            std::sort(entries.begin(), entries.end());
            const std::string file = cf::domain_file_path(d, group);
            std::vector<const char *> values;
            for (const auto &entry : entries) {
                const cf::Record &r = table->record(entry.second);
                const std::string name(table->writtenName(r));
                values.clear();
                for (const std::string_view v : table->values(r)) values.push_back(v.data());
                visit(context, d, name.c_str(), (r.flags & cf::Record::kNoLevel) ? -1 : r.level,
                      static_cast<int>(values.size()), values.data(), file.c_str());
            }
        }
        return 0;
    });
}

}  // extern "C"

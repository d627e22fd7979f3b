// Test hooks of the configuration tables, behaviors, domain files and
// expansion terms: thin C wrappers over the C++ classes.
#include "config/ORVConfigurationTable_testing.h"

#include "config/ORVConfigurationTable.h"
#include "config/cf_behavior.h"
#include "config/cf_domainfile.h"
#include "config/cf_expand.h"
#include "platform/archive.h"
#include "platform/plist.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

std::string Variable_text, Keys_text, Names_text, Dump_text, Error_text, Groups_text,
    File_name_text, Elements_text, Terms_text, Expand_text;
std::map<std::string, orv::Ref<ORVConfigurationTable>> Loaded;

std::string join(std::vector<std::string> items, const char *sep, bool sort) {
    if (sort) std::sort(items.begin(), items.end());
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out += sep;
        out += items[i];
    }
    return out;
}

std::string behaviors_text(const cf::BehaviorMap *map) {
    if (!map) return "none";
    std::string out;
    char buf[32];
    for (const auto &[k, v] : *map) {
        std::snprintf(buf, sizeof buf, "%#x", v);
        out += k + "=" + buf + ";";
    }
    return out;
}

std::string variable_text(const ORVConfigurationVariable &v) {
    std::string out = v.name() + " ";
    out += v.permission() ? std::to_string(*v.permission()) : "-";
    out += " [";
    out += v.values() ? join(*v.values(), "|", false) : "none";
    out += "]";
    if (v.isNew()) out += " new";
    return out;
}

int copy_out(const std::vector<std::uint8_t> &bytes, unsigned char **out, size_t *length) {
    *out = static_cast<unsigned char *>(std::malloc(bytes.size() ? bytes.size() : 1));
    if (!*out) return -1;
    if (!bytes.empty()) std::memcpy(*out, bytes.data(), bytes.size());
    *length = bytes.size();
    return 0;
}

cf::TableStore loaded_store() {
    return [](const std::string &group, ORVConfigurationTable *table) {
        Loaded[group] = orv::Ref<ORVConfigurationTable>::retain(table);
    };
}

}  // namespace

extern "C" {

int orv_cftest_pattern_matches(const char *pattern, const char *name) {
    return cf::patternMatches(pattern, name) ? 1 : 0;
}

int orv_cftest_name_sort(const char *a, const char *b) {
    return cf::nameSort(cf::split_name(a), cf::split_name(b));
}

ORVConfigurationTable *orv_cftest_table_create(unsigned group_behavior, const char *const *keys,
                                               const unsigned *behaviors, int count) {
    if (count < 0) return ORVConfigurationTable::create(group_behavior, nullptr).leak();
    cf::BehaviorMap map;
    for (int i = 0; i < count; ++i) map[keys[i]] = behaviors[i];
    return ORVConfigurationTable::create(group_behavior, &map).leak();
}

unsigned orv_cftest_behavior_for_name(ORVConfigurationTable *table, const char *name) {
    return table->behaviorForName(name);
}

int orv_cftest_cached_behavior(ORVConfigurationTable *table, const char *name, unsigned *behavior) {
    const cf::BehaviorMap *derived = table->derivedBehaviorDictionary();
    if (!derived) return 0;
    auto it = derived->find(std::string_view(name));
    if (it == derived->end()) return 0;
    *behavior = it->second;
    return 1;
}

int orv_cftest_is_save_allowed(ORVConfigurationTable *table) { return table->isSaveAllowed(); }
int orv_cftest_has_wildcards(ORVConfigurationTable *table) { return table->hasBehaviorWildcards(); }
unsigned orv_cftest_group_behavior(ORVConfigurationTable *table) { return table->groupBehavior(); }

void orv_cftest_set_variable(ORVConfigurationTable *table, const char *key, const char *name,
                             int permission, const char *const *values, int count, int is_new) {
    std::optional<int> level;
    if (permission >= 0) level = permission;
    std::optional<ORVConfigurationVariable::Values> list;
    if (count >= 0) list.emplace(values, values + count);
    auto variable = ORVConfigurationVariable::variableWithName(name, level, std::move(list));
    variable->setIsNew(is_new != 0);
    table->setVariable(variable.get(), key);
}

const char *orv_cftest_variable_text(ORVConfigurationTable *table, const char *key) {
    const ORVConfigurationVariable *v = table->variableForKey(key);
    if (!v) return nullptr;
    Variable_text = variable_text(*v);
    return Variable_text.c_str();
}

int orv_cftest_has_variables(ORVConfigurationTable *table) { return table->hasVariables(); }
void orv_cftest_reset_variables(ORVConfigurationTable *table) { table->resetVariables(); }
int orv_cftest_remove_variable(ORVConfigurationTable *table, const char *key) {
    return table->removeVariable(key);
}

const char *orv_cftest_value_keys(ORVConfigurationTable *table) {
    Keys_text = join(table->allValueKeys(), ",", true);
    return Keys_text.c_str();
}

const char *orv_cftest_unique_names(ORVConfigurationTable *table, int with_host) {
    Names_text = join(with_host ? table->uniqueValueNamesWithHost()
                                : table->uniqueValueNamesWithoutHost(),
                      ",", true);
    return Names_text.c_str();
}

const char *orv_cftest_dump(ORVConfigurationTable *table) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "group=%#x wildcards=%d save=%d", table->groupBehavior(),
                  table->hasBehaviorWildcards(), table->isSaveAllowed());
    Dump_text = buf;
    Dump_text += " behaviors=" + behaviors_text(table->behaviorDictionary());
    Dump_text += " derived=" + behaviors_text(table->derivedBehaviorDictionary());
    Dump_text += " values=";
    if (table->hasVariables()) {
        std::vector<std::string> entries;
        for (const std::string &k : table->allValueKeys())
            entries.push_back(k + ":" + variable_text(*table->variableForUpperKey(k)));
        Dump_text += "{" + join(entries, ";", true) + "}";
    } else {
        Dump_text += "none";
    }
    return Dump_text.c_str();
}

int orv_cftest_encode(ORVConfigurationTable *table, unsigned char **bytes, size_t *length) {
    std::vector<std::uint8_t> out;
    if (!table->encode(out, &Error_text)) return -1;
    return copy_out(out, bytes, length);
}

ORVConfigurationTable *orv_cftest_decode(const void *bytes, size_t length) {
    Error_text.clear();
    return ORVConfigurationTable::decode(bytes, length, &Error_text).leak();
}

const char *orv_cftest_last_error(void) { return Error_text.c_str(); }

int orv_cftest_encode_plist(const char *text, unsigned char **bytes, size_t *length) {
    orv::Ref<ORVObject> graph = orv::plist::parse(text);
    std::vector<std::uint8_t> out;
    if (!graph || !orv::archive::encode(graph.get(), out, &Error_text)) return -1;
    return copy_out(out, bytes, length);
}

int orv_cftest_load_behaviors_text(const char *text) {
    Loaded.clear();
    return cf::load_behaviors_from_text(text, loaded_store());
}

int orv_cftest_load_behaviors_file(const char *path) {
    Loaded.clear();
    return cf::load_behaviors_from_file(path, loaded_store());
}

ORVConfigurationTable *orv_cftest_loaded_table(const char *group) {
    auto it = Loaded.find(group);
    return it == Loaded.end() ? nullptr : it->second.get();
}

const char *orv_cftest_loaded_groups(void) {
    std::vector<std::string> groups;
    for (const auto &entry : Loaded) groups.push_back(entry.first);
    Groups_text = join(groups, ",", true);
    return Groups_text.c_str();
}

int orv_cftest_parse_behavior(const char *text, unsigned *value) {
    return cf::parse_behavior_hex(text, *value) ? 1 : 0;
}

void orv_cftest_read_domain_text(ORVConfigurationTable *table, int domain, const char *text,
                                 size_t length) {
    cf::read_domain_text(std::string_view(text, length), *table, domain);
}

const char *orv_cftest_domain_file_name(int domain, const char *group, const char *user,
                                        const char *user_domain) {
    File_name_text = cf::domain_file_name(domain, group, user, user_domain);
    return File_name_text.c_str();
}

int orv_cftest_load_terms(ORVConfigurationTable *group_table) {
    return cf::load_expansion_terms_from_table(group_table);
}

void orv_cftest_release_terms(void) { cf::release_expansion_terms(); }
int orv_cftest_terms_loaded(void) { return cf::expansion_terms_loaded(); }

const char *orv_cftest_term_elements(const char *upper_term) {
    const cf::StringList *list = cf::expansion_elements(upper_term);
    if (!list) return nullptr;
    Elements_text = join(*list, "|", false);
    return Elements_text.c_str();
}

const char *orv_cftest_terms_for_element(const char *upper_element) {
    const cf::StringList *list = cf::expansion_terms_for_element(upper_element);
    if (!list) return nullptr;
    Terms_text = join(*list, "|", false);
    return Terms_text.c_str();
}

int orv_cftest_expand(const char *const *values, int count, unsigned behavior,
                      const char **joined, int *same) {
    std::optional<cf::StringList> list;
    if (count >= 0) list.emplace(values, values + count);
    cf::StringList expanded;
    const cf::StringList *out = nullptr;
    int status = cf::expand_values(list ? &*list : nullptr, behavior, expanded, &out);
    if (status != 0) return status;
    *same = list && out == &*list;
    if (!out) {
        *joined = nullptr;
    } else {
        Expand_text = join(*out, "|", false);
        *joined = Expand_text.c_str();
    }
    return 0;
}

}  // extern "C"

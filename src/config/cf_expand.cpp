// Expansion terms of the group named group and value expansion. The two
// lookups and the loaded flag are module state: written by a successful load
// and cleared by release_expansion_terms at module end.
#include "config/cf_expand.h"

#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tr.h>

#include "config/cf_lookup.h"
#include "config/cf_module.h"
#include "platform/objects.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

namespace cf {

namespace {

using TermMap = std::unordered_map<std::string, StringList, StringHash, std::equal_to<>>;

}  // namespace

// Set by a successful load, cleared at module end.
bool HasInitializedExpansionGroups = false;
// Term (upper case) to its elements as written; absent until loaded.
std::unique_ptr<TermMap> ExpansionLookupDict;
// Element (upper case) to the terms (upper case) holding it; absent until loaded.
std::unique_ptr<TermMap> ExpansionReverseLookupDict;

namespace {

constexpr const char *kGroupOfTerms = "group";
constexpr const char *kListName = "LIST_OF_GROUPS";

void load_error(const char *fmt, const char *a, const char *b = nullptr,
                const char *c = nullptr) {
    tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "CF Load Expansions", "ORVCommonKit", fmt, a, b,
             c);
}

void expand_error(const char *fmt, const char *value) {
    tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "EXPAND", "ORVCommonKit", fmt, value);
}

// Looks name up in SITE, then SYS, as a plain name without expansion.
int lookup_site_down(ORVConfigurationTable &table, const char *name, LookupResult &result) {
    int status = lookup_in_domain(table, cf_DOMAIN_SITE, name, 0, result);
    if (status == cf_NOT_FOUND) status = lookup_in_domain(table, cf_DOMAIN_SYS, name, 0, result);
    return status;
}

bool valid_term_name(const std::string &upperName) noexcept {
    if (upperName.empty()) return false;
    return std::all_of(upperName.begin(), upperName.end(), [](char c) {
        return orvchar_is_alnum(c) || c == '_' || c == '-';
    });
}

std::string describe(const TermMap *map, const std::vector<std::string> *order = nullptr) {
    if (!map) return "(null)";
    std::vector<std::string> keys;
    if (order) {
        keys = *order;
    } else {
        for (const auto &entry : *map) keys.push_back(entry.first);
        std::sort(keys.begin(), keys.end());
    }
    ORVDictionary d;
    for (const auto &k : keys) {
        auto it = map->find(k);
        if (it == map->end()) continue;
        auto array = orv::make<ORVArray>();
        for (const auto &v : it->second) array->add(v);
        d.setObject(array.get(), k);
    }
    return d.description();
}

}  // namespace

int load_expansion_terms_from_table(ORVConfigurationTable *groupTable) {
    if (HasInitializedExpansionGroups) return 0;
    tr_trace(__FILE__, __LINE__, tr_LOW, "Initializing expansion groups.");
    if (!groupTable) return cf_BAD_PARAM;
    auto forward = std::make_unique<TermMap>();
    auto reverse = std::make_unique<TermMap>();

    LookupResult list;
    int status = lookup_site_down(*groupTable, kListName, list);
    if (status == cf_NOT_FOUND || status == cf_NO_VALUES) return 0;
    if (status != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "CF Load Expansions", "ORVCommonKit",
                 "Unable to read expansion list.");
        return status;
    }
    const StringList terms = list.values.strings();
    // Compared where the table keeps it, with room after it for block-wise
    // comparison.
    if (terms.size() == 1 && orvstr_icmp(list.values.front().data(), "NONE") == 0) return 0;

    for (const std::string &term : terms) {
        std::string upperTerm = upper(term);
        if (!valid_term_name(upperTerm)) {
            load_error("Expansion term \"%s\" contains invalid character.", term.c_str());
            return cf_EXPAND;
        }
        LookupResult found;
        status = lookup_site_down(*groupTable, term.c_str(), found);
        if (status == cf_NOT_FOUND) {
            load_error("Expansion term \"%s\" declared but not defined.", term.c_str());
            return cf_EXPAND;
        }
        if (status != 0 && status != cf_NO_VALUES) return status;
        if (forward->count(upperTerm)) {
            load_error("Multiple declaration of expansion term \"%s\".", term.c_str());
            return cf_EXPAND;
        }
        StringList &elements = (*forward)[upperTerm];
        if (status == 0 && found.values.present()) {
            for (const std::string_view view : found.values) {
                const std::string element(view);
                if (element.starts_with('$')) {
                    load_error("Expansion element \"%s\" may not contain leading \"%s\" in term "
                               "\"%s\".",
                               element.c_str(), "$", term.c_str());
                    return cf_EXPAND;
                }
                elements.push_back(element);
                (*reverse)[upper(element)].push_back(upperTerm);
            }
        }
    }

    ExpansionLookupDict = std::move(forward);
    ExpansionReverseLookupDict = std::move(reverse);
    if (tr_current_trace_level() <= tr_LOW) {
        tr_trace(__FILE__, __LINE__, tr_LOW, "Initialized forward expansion lookup to:\n%s.",
                 expansion_lookup_description().c_str());
        tr_trace(__FILE__, __LINE__, tr_LOW, "Initialized reverse expansion lookup to:\n%s.",
                 expansion_reverse_lookup_description().c_str());
    }
    HasInitializedExpansionGroups = true;
    return 0;
}

int load_expansion_terms() {
    if (HasInitializedExpansionGroups) return 0;
    ORVConfigurationTable *table = nullptr;
    int status = get_table(kGroupOfTerms, &table);
    if (status != 0 || !table) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "CF", "ORVCommonKit",
                 "ERROR finding CF Table for \"%s\"", kGroupOfTerms);
        return status != 0 ? status : cf_FAILURE;
    }
    return load_expansion_terms_from_table(table);
}

bool expansion_terms_loaded() noexcept { return HasInitializedExpansionGroups; }

void release_expansion_terms() noexcept {
    ExpansionLookupDict.reset();
    ExpansionReverseLookupDict.reset();
    HasInitializedExpansionGroups = false;
}

const StringList *expansion_elements(std::string_view upperTerm) noexcept {
    if (!ExpansionLookupDict) return nullptr;
    auto it = ExpansionLookupDict->find(upperTerm);
    return it == ExpansionLookupDict->end() ? nullptr : &it->second;
}

const StringList *expansion_terms_for_element(std::string_view upperElement) noexcept {
    if (!ExpansionReverseLookupDict) return nullptr;
    auto it = ExpansionReverseLookupDict->find(upperElement);
    return it == ExpansionReverseLookupDict->end() ? nullptr : &it->second;
}

std::string expansion_lookup_description() { return describe(ExpansionLookupDict.get()); }

std::string expansion_reverse_lookup_description() {
    return describe(ExpansionReverseLookupDict.get());
}

int expand_values(ValueList values, unsigned behavior, FlatValues &expanded, ValueList *out) {
    const unsigned bits = cf_BEHAVIOR_EXPAND_SUFFIXED | cf_BEHAVIOR_EXPAND_LIST;
    if (!values.present() || (behavior & bits) == 0) {
        if (out) *out = values;
        return 0;
    }
    int status = load_expansion_terms();
    if (status != 0) return status;

    StringList result;
    result.reserve(values.size());
    for (const std::string_view value : values) {
        if (!value.starts_with('$')) {
            result.emplace_back(value);
            continue;
        }
        if (value.starts_with("$$")) {
            result.emplace_back(value.substr(1));
            continue;
        }
        // Values are followed by a NUL: value.data() is the value as text.
        std::string_view rest = value.substr(1);
        std::size_t colon = rest.find(':');
        if ((behavior & cf_BEHAVIOR_EXPAND_SUFFIXED) && colon != std::string_view::npos &&
            colon > 0) {
            const StringList *elements = expansion_elements(upper(rest.substr(0, colon)));
            if (!elements) {
                expand_error("Referenced expansion \"%s\" not defined.", value.data());
                return cf_EXPAND;
            }
            std::string_view suffix = rest.substr(colon);
            for (const std::string &element : *elements) {
                std::string item = element;
                item += suffix;
                result.push_back(std::move(item));
            }
        } else if (behavior & cf_BEHAVIOR_EXPAND_LIST) {
            const StringList *elements = expansion_elements(upper(rest));
            if (!elements) {
                expand_error("Referenced expansion \"%s\" not defined.", value.data());
                return cf_EXPAND;
            }
            result.insert(result.end(), elements->begin(), elements->end());
        } else {
            expand_error("Do not know how to expand \"%s\".", value.data());
            return cf_EXPAND;
        }
    }
    expanded.assign(result);
    if (out) *out = expanded.view();
    return 0;
}

int expand_values(const StringList *values, unsigned behavior, StringList &expanded,
                  const StringList **out) {
    FlatValues flat;
    if (values) flat.assign(*values);
    const ValueList given = values ? flat.view() : ValueList();
    FlatValues made;
    ValueList result;
    const int status = expand_values(given, behavior, made, &result);
    if (status != 0) return status;
    if (result.sameAs(given)) {
        if (out) *out = values;
    } else {
        expanded = result.strings();
        if (out) *out = &expanded;
    }
    return 0;
}

}  // namespace cf

// ORVConfigurationTable: variables under DOMAIN.NAME keys, behaviors with the
// wildcard matcher and its cache, the name listings and the archived form.
#include "config/ORVConfigurationTable.h"

#include <ORVCommonKit/tr.h>

#include "frame/orvchar_table.h"
#include "platform/archive.h"
#include "platform/objects.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <unordered_set>

namespace cf {

namespace {

inline char upper_byte(char c) noexcept {
    return static_cast<char>(orv::chars::kTables.upper[static_cast<unsigned char>(c)]);
}
inline bool is_blank(char c) noexcept { return orv::chars::has(c, orv::chars::kSpace); }

bool low_traces_wanted() noexcept { return tr_current_trace_level() <= tr_LOW; }

// A forward-only scanner over a text that skips blanks before each scan, as
// the behavior patterns are matched.
struct Scanner {
    std::string_view text;
    std::size_t pos = 0;

    void skipBlanks() noexcept {
        while (pos < text.size() && is_blank(text[pos])) ++pos;
    }
    bool atEnd() noexcept {
        skipBlanks();
        return pos >= text.size();
    }
};

bool equal_folded(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper_byte(a[i]) != upper_byte(b[i])) return false;
    return true;
}

// Position of the first occurrence of needle in hay at or after from,
// without regard to case; npos when there is none.
std::size_t find_folded(std::string_view hay, std::string_view needle, std::size_t from) noexcept {
    if (needle.size() > hay.size()) return std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= hay.size(); ++i)
        if (equal_folded(hay.substr(i, needle.size()), needle)) return i;
    return std::string_view::npos;
}

}  // namespace

std::string upper(std::string_view text) {
    std::string out(text);
    upper_in_place(out);
    return out;
}

void upper_in_place(std::string &text) noexcept {
    for (char &c : text) c = upper_byte(c);
}

std::vector<std::string> split_name(std::string_view name) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t dot = name.find('.', start);
        if (dot == std::string_view::npos) {
            parts.emplace_back(name.substr(start));
            return parts;
        }
        parts.emplace_back(name.substr(start, dot - start));
        start = dot + 1;
    }
}

int nameSort(const std::vector<std::string> &a, const std::vector<std::string> &b) noexcept {
    if (a.size() < b.size()) return -1;
    if (a.size() > b.size()) return 1;
    for (std::size_t i = a.size(); i-- > 0;) {
        int c = a[i].compare(b[i]);
        if (c != 0) return c < 0 ? -1 : 1;
    }
    return 0;
}

bool patternMatches(std::string_view pattern, std::string_view name) noexcept {
    Scanner key{pattern};
    Scanner probe{name};
    bool match = true;
    bool pending = false;
    while (!key.atEnd()) {
        if (key.text[key.pos] == '*') {
            while (key.pos < key.text.size() && key.text[key.pos] == '*') ++key.pos;
            match = true;
            pending = true;
        }
        key.skipBlanks();
        std::size_t end = key.text.find('*', key.pos);
        if (end == std::string_view::npos) end = key.text.size();
        std::string_view literal = key.text.substr(key.pos, end - key.pos);
        key.pos = end;
        if (!literal.empty()) {
            if (pending) {
                probe.skipBlanks();
                std::size_t at = find_folded(probe.text, literal, probe.pos);
                probe.pos = at == std::string_view::npos ? probe.text.size() : at;
                pending = false;
            }
            probe.skipBlanks();
            match = probe.pos + literal.size() <= probe.text.size() &&
                    equal_folded(probe.text.substr(probe.pos, literal.size()), literal);
            if (!match) return false;
            probe.pos += literal.size();
        }
        if (pending) break;
    }
    return match && (probe.atEnd() || pending);
}

}  // namespace cf

using cf::upper;

// ---- Construction ----

ORVConfigurationTable::ORVConfigurationTable() : ORVConfigurationTable(cf::kDefaultBehavior, nullptr) {}

ORVConfigurationTable::ORVConfigurationTable(unsigned groupBehavior,
                                             const cf::BehaviorMap *behaviors) {
    if (cf::low_traces_wanted()) {
        std::string text = "(null)";
        if (behaviors) {
            ORVDictionary d;
            for (const auto &[k, v] : *behaviors)
                d.setObject(orv::make<ORVNumber>(static_cast<std::int64_t>(v)).get(), k);
            text = d.description();
        }
        tr_trace(__FILE__, __LINE__, tr_LOW, "-initWithGroupBehavior:%#x behaviors:%s",
                 groupBehavior, text.c_str());
    }
    myGroupBehavior = groupBehavior;
    myIsSaveAllowed = groupBehavior == cf_BEHAVIOR_HOST;
    if (behaviors) {
        myBehaviorDictionary = std::make_unique<cf::BehaviorMap>();
        for (const auto &[k, v] : *behaviors) {
            std::string key = upper(k);
            if (key.find('*') != std::string::npos) {
                myHasBehaviorWildcards = true;
                myWildcardKeys.push_back(key);
            }
            if (v != cf_BEHAVIOR_HOST) myIsSaveAllowed = false;
            (*myBehaviorDictionary)[std::move(key)] = v;
        }
    }
}

orv::Ref<ORVConfigurationTable> ORVConfigurationTable::create(unsigned groupBehavior,
                                                              const cf::BehaviorMap *behaviors) {
    return orv::make<ORVConfigurationTable>(groupBehavior, behaviors);
}

// ---- Variables ----

ORVConfigurationVariable *ORVConfigurationTable::variableForKey(std::string_view key) const {
    if (!myValueDictionary) return nullptr;
    return variableForUpperKey(upper(key));
}

ORVConfigurationVariable *ORVConfigurationTable::variableForUpperKey(std::string_view upperKey) const {
    if (!myValueDictionary) return nullptr;
    auto it = myValueDictionary->find(upperKey);
    return it == myValueDictionary->end() ? nullptr : it->second.get();
}

void ORVConfigurationTable::setVariable(ORVConfigurationVariable *variable, std::string_view key) {
    if (!myValueDictionary) myValueDictionary = std::make_unique<VariableMap>();
    std::string k = upper(key);
    if (!variable) {
        myValueDictionary->erase(k);
        return;
    }
    (*myValueDictionary)[std::move(k)] = orv::Ref<ORVConfigurationVariable>::retain(variable);
}

bool ORVConfigurationTable::removeVariable(std::string_view key) {
    if (!myValueDictionary) return false;
    return myValueDictionary->erase(upper(key)) > 0;
}

std::vector<std::string> ORVConfigurationTable::allValueKeys() const {
    std::vector<std::string> keys;
    if (!myValueDictionary) return keys;
    keys.reserve(myValueDictionary->size());
    for (const auto &entry : *myValueDictionary) keys.push_back(entry.first);
    return keys;
}

std::string ORVConfigurationTable::valuesDescription() const {
    if (!myValueDictionary) return "(null)";
    std::vector<const VariableMap::value_type *> sorted;
    sorted.reserve(myValueDictionary->size());
    for (const auto &entry : *myValueDictionary) sorted.push_back(&entry);
    std::sort(sorted.begin(), sorted.end(),
              [](const auto *a, const auto *b) { return a->first < b->first; });
    ORVDictionary d;
    for (const auto *entry : sorted) d.setObject(entry->second.get(), entry->first);
    return d.description();
}

namespace {

std::string join_name(const std::vector<std::string> &parts, std::size_t first) {
    std::string out;
    for (std::size_t i = first; i < parts.size(); ++i) {
        if (i > first) out += '.';
        out += parts[i];
    }
    return out;
}

}  // namespace

std::vector<std::string> ORVConfigurationTable::uniqueValueNamesWithoutHost() const {
    std::vector<std::string> result;
    if (!myValueDictionary) return result;
    std::vector<std::vector<std::string>> names;
    names.reserve(myValueDictionary->size());
    for (const auto &entry : *myValueDictionary)
        names.push_back(cf::split_name(upper(entry.second->name())));
    std::sort(names.begin(), names.end(),
              [](const auto &a, const auto &b) { return cf::nameSort(a, b) < 0; });
    std::unordered_set<std::string> seen;
    for (const auto &parts : names) {
        if (parts.size() > 1 && seen.count(join_name(parts, 1))) continue;
        std::string whole = join_name(parts, 0);
        if (whole.starts_with('$')) continue;
        if (seen.insert(whole).second) result.push_back(std::move(whole));
    }
    return result;
}

std::vector<std::string> ORVConfigurationTable::uniqueValueNamesWithHost() const {
    std::vector<std::string> result;
    if (!myValueDictionary) return result;
    std::unordered_set<std::string> seen;
    for (const auto &entry : *myValueDictionary) {
        std::string whole = upper(entry.second->name());
        if (whole.starts_with('$')) continue;
        if (seen.insert(whole).second) result.push_back(std::move(whole));
    }
    return result;
}

// ---- Behaviors ----

unsigned ORVConfigurationTable::behaviorForName(std::string_view name) {
    return behaviorForUpperName(upper(name));
}

unsigned ORVConfigurationTable::behaviorForUpperName(std::string_view upperName) {
    if (myBehaviorDictionary) {
        auto it = myBehaviorDictionary->find(upperName);
        if (it != myBehaviorDictionary->end()) return it->second;
    }
    if (auto derived = behaviorForNameUsingPatternMatch(upperName)) return *derived;
    return myGroupBehavior;
}

std::optional<unsigned> ORVConfigurationTable::behaviorForNameUsingPatternMatch(
    std::string_view upperName) {
    if (!myHasBehaviorWildcards || !myBehaviorDictionary) return std::nullopt;
    if (myDerivedBehaviorDictionary) {
        auto it = myDerivedBehaviorDictionary->find(upperName);
        if (it != myDerivedBehaviorDictionary->end()) return it->second;
    }
    for (const auto &key : myWildcardKeys) {
        if (!cf::patternMatches(key, upperName)) continue;
        auto it = myBehaviorDictionary->find(key);
        if (it == myBehaviorDictionary->end()) continue;
        if (!myDerivedBehaviorDictionary) myDerivedBehaviorDictionary = std::make_unique<cf::BehaviorMap>();
        myDerivedBehaviorDictionary->emplace(std::string(upperName), it->second);
        return it->second;
    }
    return std::nullopt;
}

// ---- Description ----

void ORVConfigurationTable::describeTo(std::string &out, int indent) const {
    ORVDictionary d;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%#x", myGroupBehavior);
    d.setString(hex, "groupBehavior");
    if (myBehaviorDictionary) {
        auto b = orv::make<ORVDictionary>();
        for (const auto &[k, v] : *myBehaviorDictionary) {
            std::snprintf(hex, sizeof hex, "%#x", v);
            b->setString(hex, k);
        }
        d.setObject(b.get(), "behaviors");
    }
    d.setString(myIsSaveAllowed ? "YES" : "NO", "isSaveAllowed");
    if (myValueDictionary) {
        std::vector<const VariableMap::value_type *> sorted;
        for (const auto &entry : *myValueDictionary) sorted.push_back(&entry);
        std::sort(sorted.begin(), sorted.end(),
                  [](const auto *a, const auto *b) { return a->first < b->first; });
        auto values = orv::make<ORVDictionary>();
        for (const auto *entry : sorted) values->setObject(entry->second.get(), entry->first);
        d.setObject(values.get(), "values");
    }
    d.describeTo(out, indent);
}

// ---- Archived form ----

namespace {

constexpr const char *kClassName = "ORVConfigurationTable";
constexpr std::int64_t kArchiveVersion = 1;

orv::Ref<ORVDictionary> behaviors_object(const cf::BehaviorMap &map) {
    auto d = orv::make<ORVDictionary>();
    for (const auto &[k, v] : map)
        d->setObject(orv::make<ORVNumber>(static_cast<std::int64_t>(v)).get(), k);
    return d;
}

bool fail(std::string *error, const std::string &why) {
    if (error) *error = why;
    return false;
}

bool read_behaviors(const ORVObject *obj, cf::BehaviorMap &map, std::string *error,
                    const char *what) {
    const auto *d = orv::as<ORVDictionary>(obj);
    if (!d) return fail(error, std::string(what) + " is not a dictionary");
    for (const auto &[key, value] : d->entries()) {
        const auto *k = orv::as<ORVString>(key.get());
        const auto *n = orv::as<ORVNumber>(value.get());
        if (!k || !n || n->type != ORVNumber::Type::Integer || n->integer < 0 ||
            n->integer > static_cast<std::int64_t>(UINT_MAX))
            return fail(error, std::string(what) + " holds an entry that is not a behavior");
        map[upper(k->value)] = static_cast<unsigned>(n->integer);
    }
    return true;
}

bool read_flag(const ORVDictionary *d, const char *key, bool &flag, std::string *error) {
    const auto *n = orv::as<ORVNumber>(d->objectForKey(key));
    if (!n || n->type != ORVNumber::Type::Boolean)
        return fail(error, std::string(key) + " is missing or not a boolean");
    flag = n->boolValue();
    return true;
}

}  // namespace

orv::Ref<ORVObject> ORVConfigurationTable::archiveObject() const {
    auto d = orv::make<ORVDictionary>();
    d->setString(kClassName, "class");
    d->setObject(orv::make<ORVNumber>(kArchiveVersion).get(), "version");
    if (myValueDictionary) {
        auto values = orv::make<ORVDictionary>();
        for (const auto &[k, v] : *myValueDictionary) values->setObject(v->archiveObject().get(), k);
        d->setObject(values.get(), "values");
    }
    if (myBehaviorDictionary) d->setObject(behaviors_object(*myBehaviorDictionary).get(), "behaviors");
    if (myDerivedBehaviorDictionary)
        d->setObject(behaviors_object(*myDerivedBehaviorDictionary).get(), "derived");
    d->setObject(orv::make<ORVNumber>(static_cast<std::int64_t>(myGroupBehavior)).get(),
                 "groupBehavior");
    d->setObject(orv::make<ORVNumber>(myHasBehaviorWildcards).get(), "hasBehaviorWildcards");
    d->setObject(orv::make<ORVNumber>(myIsSaveAllowed).get(), "isSaveAllowed");
    return d;
}

orv::Ref<ORVConfigurationTable> ORVConfigurationTable::fromArchive(const ORVObject *object,
                                                                   std::string *error) {
    const auto *d = orv::as<ORVDictionary>(object);
    if (!d) return fail(error, "table is not a dictionary"), nullptr;
    const ORVString *cls = d->stringForKey("class");
    if (!cls || cls->value != kClassName) return fail(error, "not a configuration table"), nullptr;
    const auto *version = orv::as<ORVNumber>(d->objectForKey("version"));
    if (!version || version->type != ORVNumber::Type::Integer || version->integer != kArchiveVersion)
        return fail(error, "unsupported table version"), nullptr;
    static const std::unordered_set<std::string_view> known = {
        "class", "version", "values", "behaviors", "derived",
        "groupBehavior", "hasBehaviorWildcards", "isSaveAllowed"};
    for (const auto &entry : d->entries()) {
        const auto *k = orv::as<ORVString>(entry.first.get());
        if (!k || !known.count(k->value)) return fail(error, "table has an unknown field"), nullptr;
    }

    orv::Ref<ORVConfigurationTable> table =
        orv::Ref<ORVConfigurationTable>::adopt(new ORVConfigurationTable(ArchiveTag{}));

    if (const ORVObject *v = d->objectForKey("values")) {
        const auto *values = orv::as<ORVDictionary>(v);
        if (!values) return fail(error, "values are not a dictionary"), nullptr;
        table->myValueDictionary = std::make_unique<VariableMap>();
        table->myValueDictionary->reserve(values->count());
        for (const auto &[key, value] : values->entries()) {
            const auto *k = orv::as<ORVString>(key.get());
            if (!k) return fail(error, "a value key is not a string"), nullptr;
            auto variable = ORVConfigurationVariable::fromArchive(value.get(), error);
            if (!variable) return nullptr;
            table->setVariable(variable.get(), k->value);
        }
    }
    if (const ORVObject *b = d->objectForKey("behaviors")) {
        table->myBehaviorDictionary = std::make_unique<cf::BehaviorMap>();
        if (!read_behaviors(b, *table->myBehaviorDictionary, error, "behaviors")) return nullptr;
        for (const auto &entry : *table->myBehaviorDictionary)
            if (entry.first.find('*') != std::string::npos) table->myWildcardKeys.push_back(entry.first);
    }
    if (const ORVObject *b = d->objectForKey("derived")) {
        table->myDerivedBehaviorDictionary = std::make_unique<cf::BehaviorMap>();
        if (!read_behaviors(b, *table->myDerivedBehaviorDictionary, error, "derived behaviors"))
            return nullptr;
    }
    const auto *group = orv::as<ORVNumber>(d->objectForKey("groupBehavior"));
    if (!group || group->type != ORVNumber::Type::Integer || group->integer < 0 ||
        group->integer > static_cast<std::int64_t>(UINT_MAX))
        return fail(error, "group behavior is missing or invalid"), nullptr;
    table->myGroupBehavior = static_cast<unsigned>(group->integer);
    if (!read_flag(d, "hasBehaviorWildcards", table->myHasBehaviorWildcards, error) ||
        !read_flag(d, "isSaveAllowed", table->myIsSaveAllowed, error))
        return nullptr;
    return table;
}

bool ORVConfigurationTable::encode(std::vector<std::uint8_t> &out, std::string *error) const {
    return orv::archive::encode(archiveObject().get(), out, error);
}

orv::Ref<ORVConfigurationTable> ORVConfigurationTable::decode(const void *bytes, std::size_t length,
                                                              std::string *error) {
    if (!bytes && length) return fail(error, "no bytes"), nullptr;
    orv::Ref<ORVObject> graph = orv::archive::decode(bytes, length, error);
    if (!graph) return nullptr;
    return fromArchive(graph.get(), error);
}

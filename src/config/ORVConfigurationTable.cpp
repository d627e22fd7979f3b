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
#include <cstring>
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
    upper_copy(text.data(), text.size(), text.data());
}

void upper_copy(const char *text, std::size_t size, char *out) noexcept {
    // Eight bytes at a time while they are all ASCII, whose only change is
    // a-z to A-Z: a byte's 0x20 bit is cleared where it lies in 'a'..'z'.
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    // A last partial block is done as the final eight bytes (upper-casing
    // twice changes nothing); a text shorter than eight bytes in a copy.
    auto block = [](const char *from, char *to) noexcept {
        std::uint64_t w;
        std::memcpy(&w, from, 8);
        if (w & kHigh) {
            char folded[8];
            for (int j = 0; j < 8; ++j) folded[j] = upper_byte(from[j]);
            std::memcpy(to, folded, 8);
            return;
        }
        const std::uint64_t atLeastA = w + (0x80 - 'a') * kOnes;
        const std::uint64_t aboveZ = w + (0x80 - 'z' - 1) * kOnes;
        w ^= (atLeastA & ~aboveZ & kHigh) >> 2;
        std::memcpy(to, &w, 8);
    };
    if (size < 8) {
        char buffer[8] = {};
        std::memcpy(buffer, text, size);
        block(buffer, buffer);
        std::memcpy(out, buffer, size);
        return;
    }
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) block(text + i, out + i);
    if (i < size) block(text + size - 8, out + size - 8);
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

std::uint64_t hash_name(std::string_view name) noexcept {
    // Eight bytes at a time; the last, partial block is read as the final
    // eight bytes of the name (overlapping the block before), shorter names
    // as two overlapping four-byte halves or as their first, middle and last
    // bytes.
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
    const char *p = name.data();
    const std::size_t size = name.size();
    std::uint64_t h = size * kMul;
    auto mix = [&h](std::uint64_t w) {
        h = (h ^ w) * kMul;
        h ^= h >> 29;
    };
    if (size >= 8) {
        std::uint64_t w;
        std::size_t i = 0;
        for (; i + 8 <= size; i += 8) {
            std::memcpy(&w, p + i, 8);
            mix(w);
        }
        if (i < size) {
            std::memcpy(&w, p + size - 8, 8);
            mix(w);
        }
    } else if (size >= 4) {
        std::uint32_t a, b;
        std::memcpy(&a, p, 4);
        std::memcpy(&b, p + size - 4, 4);
        mix(a | std::uint64_t{b} << 32);
    } else if (size) {
        const auto byte = [p](std::size_t i) {
            return std::uint64_t{static_cast<unsigned char>(p[i])};
        };
        mix(byte(0) | byte(size / 2) << 8 | byte(size - 1) << 16);
    }
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ull;
    h ^= h >> 32;
    return h;
}

// ---- Lookup index ----

namespace {

// The domain of a stored key and where its name starts; false for a key that
// no lookup can ask for (it does not begin with a domain name).
bool split_key(std::string_view key, int &domain, std::string_view &name) noexcept {
    if (key.starts_with("SYS.")) {
        domain = cf_DOMAIN_SYS;
        name = key.substr(4);
    } else if (key.starts_with("SITE.")) {
        domain = cf_DOMAIN_SITE;
        name = key.substr(5);
    } else if (key.starts_with("USER.")) {
        domain = cf_DOMAIN_USER;
        name = key.substr(5);
    } else {
        return false;
    }
    return true;
}

}  // namespace

IndexedName &NameIndex::entry(std::string_view name, std::uint64_t hash) {
    if (IndexedName *found = find(name, hash)) return *found;
    if ((entries_.size() + 1) * 2 > slots_.size()) {
        std::size_t capacity = slots_.empty() ? 16 : slots_.size() * 2;
        while ((entries_.size() + 1) * 2 > capacity) capacity *= 2;
        slots_.assign(capacity, 0);
        mask_ = capacity - 1;
        for (std::size_t n = 0; n < entries_.size(); ++n) {
            std::size_t i = entries_[n].hash & mask_;
            while (slots_[i]) i = (i + 1) & mask_;
            slots_[i] = static_cast<std::uint32_t>(n + 1);
        }
    }
    std::size_t i = hash & mask_;
    while (slots_[i]) i = (i + 1) & mask_;
    IndexedName &added = entries_.emplace_back();
    added.name = name;
    added.hash = hash;
    slots_[i] = static_cast<std::uint32_t>(entries_.size());
    return added;
}

IndexedName *NameIndex::find(std::string_view upperName, std::uint64_t hash) noexcept {
    if (slots_.empty()) return nullptr;
    for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
        const std::uint32_t slot = slots_[i];
        if (!slot) return nullptr;
        IndexedName &e = entries_[slot - 1];
        if (e.hash == hash && e.name == upperName) return &e;
    }
}

void NameIndex::add(const std::string &key, ORVConfigurationVariable *variable) {
    int domain;
    std::string_view name;
    if (!split_key(key, domain, name)) return;
    IndexedName &e = entry(name, hash_name(name));
    e.variables[domain] = variable;
    e.keys[domain] = &key;
    // Every way of reading the name as a qualifier, a full stop and a shorter
    // name marks that shorter name as having a qualified form.
    for (std::size_t dot = name.find('.'); dot != std::string_view::npos;
         dot = name.find('.', dot + 1)) {
        const std::string_view tail = name.substr(dot + 1);
        entry(tail, hash_name(tail)).qualified = true;
    }
}

void NameIndex::rebuild(const VariableMap *variables) {
    entries_.clear();
    slots_.clear();
    mask_ = 0;
    if (!variables) return;
    entries_.reserve(variables->size());
    std::size_t capacity = 16;
    while (capacity < variables->size() * 2 + 2) capacity *= 2;
    slots_.assign(capacity, 0);
    mask_ = capacity - 1;
    for (const auto &[key, variable] : *variables) add(key, variable.get());
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
    myBehaviorBits = groupBehavior;
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
            myBehaviorBits |= v;
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
    if (!variable) {
        if (!myValueDictionary) myValueDictionary = std::make_unique<VariableMap>();
        ++myChangeCount;
        myValueDictionary->erase(upper(key));
        return;
    }
    const std::string k = upper(key);
    setVariableForUpperKey(orv::Ref<ORVConfigurationVariable>::retain(variable), k);
}

void ORVConfigurationTable::createDictionary() {
    if (mySpareDictionary)
        myValueDictionary = std::move(mySpareDictionary);
    else
        myValueDictionary = std::make_unique<VariableMap>();
}

void ORVConfigurationTable::setVariableForUpperKey(orv::Ref<ORVConfigurationVariable> variable,
                                                   std::string_view upperKey) {
    if (!myValueDictionary) createDictionary();
    // A store into a table whose index is current updates the index in place
    // (programs that set and get in turns would otherwise rebuild it on every
    // lookup); removals and resets leave it to be rebuilt.
    const bool indexCurrent = myNameIndex && myIndexedCount == myChangeCount;
    ++myChangeCount;
    ORVConfigurationVariable *stored = variable.get();
    VariableMap::iterator placed;
    if (!mySpareEntries.empty()) {
        VariableMap::node_type entry = std::move(mySpareEntries.back());
        mySpareEntries.pop_back();
        entry.key().assign(upperKey);
        // Any variable still kept in the entry is released here.
        entry.mapped() = std::move(variable);
        auto inserted = myValueDictionary->insert(std::move(entry));
        placed = inserted.position;
        if (!inserted.inserted) {
            // The key was there: the new variable replaces the old one, and
            // the entry goes back to the spares.
            placed->second = std::move(inserted.node.mapped());
            mySpareEntries.push_back(std::move(inserted.node));
        }
    } else {
        placed = myValueDictionary->insert_or_assign(std::string(upperKey), std::move(variable))
                     .first;
    }
    if (indexCurrent) {
        myNameIndex->add(placed->first, stored);
        myIndexedCount = myChangeCount;
    }
}

void ORVConfigurationTable::reserveVariables(std::size_t count) {
    if (!myValueDictionary) createDictionary();
    // Only ever grow: the standard map's reserve may also shrink the bucket
    // array that a reset kept.
    const std::size_t wanted = myValueDictionary->size() + count;
    if (static_cast<double>(wanted) >
        static_cast<double>(myValueDictionary->bucket_count()) *
            static_cast<double>(myValueDictionary->max_load_factor()))
        myValueDictionary->reserve(wanted);
}

orv::Ref<ORVConfigurationVariable> ORVConfigurationTable::recycledVariable() {
    if (!mySpareEntries.empty() && mySpareEntries.back().mapped())
        return std::move(mySpareEntries.back().mapped());
    return orv::make<ORVConfigurationVariable>();
}

void ORVConfigurationTable::resetVariables() noexcept {
    ++myChangeCount;
    if (!myValueDictionary) return;
    try {
        mySpareEntries.reserve(mySpareEntries.size() + myValueDictionary->size());
    } catch (...) {
        myValueDictionary.reset();
        return;
    }
    while (!myValueDictionary->empty()) {
        VariableMap::node_type entry = myValueDictionary->extract(myValueDictionary->begin());
        if (entry.mapped() && entry.mapped()->retainCount() != 1) entry.mapped() = nullptr;
        mySpareEntries.push_back(std::move(entry));
    }
    mySpareDictionary = std::move(myValueDictionary);
}

bool ORVConfigurationTable::removeVariable(std::string_view key) {
    if (!myValueDictionary) return false;
    ++myChangeCount;
    return myValueDictionary->erase(upper(key)) > 0;
}

cf::IndexedName *ORVConfigurationTable::indexedName(std::string_view upperName,
                                                    std::uint64_t hash) {
    if (!myNameIndex || myIndexedCount != myChangeCount) {
        if (!myNameIndex) myNameIndex = std::make_unique<cf::NameIndex>();
        myNameIndex->rebuild(myValueDictionary.get());
        myIndexedCount = myChangeCount;
    }
    return myNameIndex->find(upperName, hash);
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
    std::lock_guard<std::mutex> guard(myDerivedMutex);
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
        for (const auto &entry : *table->myBehaviorDictionary) {
            if (entry.first.find('*') != std::string::npos) table->myWildcardKeys.push_back(entry.first);
            table->myBehaviorBits |= entry.second;
        }
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
    table->myBehaviorBits |= table->myGroupBehavior;
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

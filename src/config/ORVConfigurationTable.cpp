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

void NameIndex::clear() noexcept {
    entries_.clear();
    std::fill(slots_.begin(), slots_.end(), 0u);
}

// Small tables fill their slots up to four names in five, so that a group of
// a few dozen names keeps a small slot array; large ones up to one in two,
// so that probes stay short.
namespace {
bool too_full(std::size_t names, std::size_t slots) noexcept {
    return slots < 1024 ? names * 5 > slots * 4 : names * 2 > slots;
}
}  // namespace

void NameIndex::reserve(std::size_t count) {
    std::size_t capacity = 16;
    while (too_full(count + 1, capacity)) capacity *= 2;
    if (capacity > slots_.size()) {
        slots_.assign(capacity, 0);
        mask_ = capacity - 1;
        for (std::size_t n = 0; n < entries_.size(); ++n) {
            std::size_t i = entries_[n].hash & mask_;
            while (slots_[i]) i = (i + 1) & mask_;
            slots_[i] = static_cast<std::uint32_t>(n + 1);
        }
    }
    entries_.reserve(count);
}

IndexedName *NameIndex::find(const char *text, std::string_view upperName,
                             std::uint64_t hash) noexcept {
    if (slots_.empty()) return nullptr;
    const auto tag = static_cast<std::uint32_t>(hash);
    for (std::size_t i = tag & mask_;; i = (i + 1) & mask_) {
        const std::uint32_t slot = slots_[i];
        if (!slot) return nullptr;
        IndexedName &e = entries_[slot - 1];
        if (e.hash == tag && e.size == upperName.size() &&
            std::memcmp(text + e.name, upperName.data(), upperName.size()) == 0)
            return &e;
    }
}

IndexedName &NameIndex::entry(const char *text, std::uint32_t name, std::uint32_t size) {
    const std::string_view wanted(text + name, size);
    const std::uint64_t hash = hash_name(wanted);
    if (IndexedName *found = find(text, wanted, hash)) return *found;
    if (too_full(entries_.size() + 1, slots_.size()))
        reserve(std::max<std::size_t>(entries_.size() * 2, 8));
    std::size_t i = static_cast<std::uint32_t>(hash) & mask_;
    while (slots_[i]) i = (i + 1) & mask_;
    IndexedName &added = entries_.emplace_back();
    added.name = name;
    added.size = size;
    added.hash = static_cast<std::uint32_t>(hash);
    slots_[i] = static_cast<std::uint32_t>(entries_.size());
    return added;
}

std::int32_t NameIndex::add(const char *text, std::uint32_t name, std::uint32_t size, int domain,
                            std::int32_t n) {
    IndexedName &e = entry(text, name, size);
    const std::int32_t replaced = e.records[domain];
    e.records[domain] = n;
    // Every way of reading the name as a qualifier, a full stop and a shorter
    // name marks that shorter name as having a qualified form.
    const std::string_view whole(text + name, size);
    for (std::size_t dot = whole.find('.'); dot != std::string_view::npos;
         dot = whole.find('.', dot + 1)) {
        IndexedName &tail = entry(text, name + static_cast<std::uint32_t>(dot + 1),
                                  size - static_cast<std::uint32_t>(dot + 1));
        tail.state.bits.fetch_or(IndexedName::kQualified, std::memory_order_relaxed);
    }
    return replaced;
}

namespace {

// The domain of a key and where its name starts; kNoDomain (the whole key as
// name) for a key that does not begin with a domain name.
int split_key(std::string_view key, std::string_view &name) noexcept {
    if (key.starts_with("SYS.")) {
        name = key.substr(4);
        return cf_DOMAIN_SYS;
    }
    if (key.starts_with("SITE.")) {
        name = key.substr(5);
        return cf_DOMAIN_SITE;
    }
    if (key.starts_with("USER.")) {
        name = key.substr(5);
        return cf_DOMAIN_USER;
    }
    name = key;
    return kNoDomain;
}

const char *const kDomainNames[] = {"SYS", "SITE", "USER", ""};

}  // namespace

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

void ORVConfigurationTable::repoint() {
    // Readers of texts may load a few bytes beyond a text's NUL in one go:
    // the last text keeps that much room after it.
    if (!myText.empty() && myText.capacity() < myText.size() + cf::kTextSlack)
        myText.reserve(myText.size() + cf::kTextSlack);
    myTextData = myText.c_str();
    myTextSize = myText.size();
    myRecordData = myRecords.data();
    myRecordCount = myRecords.size();
    mySizeData = mySizes.data();
    mySizeCount = mySizes.size();
}

void ORVConfigurationTable::own() {
    if (!myBorrowed) return;
    myText.assign(myTextData, myTextSize);
    myRecords.assign(myRecordData, myRecordData + myRecordCount);
    mySizes.assign(mySizeData, mySizeData + mySizeCount);
    myBorrowed.reset();
    repoint();
}

void ORVConfigurationTable::noteChange() noexcept {
    ++myChangeCount;
    std::lock_guard<std::mutex> guard(myVariableMutex);
    myVariableObjects.clear();
}

void ORVConfigurationTable::borrowStorage(std::shared_ptr<const void> keeper, const char *text,
                                          std::size_t textSize, const cf::Record *records,
                                          std::size_t recordCount, const std::uint32_t *sizes,
                                          std::size_t sizeCount, bool filled) {
    myText.clear();
    myRecords.clear();
    mySizes.clear();
    myBorrowed = std::move(keeper);
    myTextData = text;
    myTextSize = textSize;
    // Never written while borrowed: own() copies first.
    myRecordData = const_cast<cf::Record *>(records);
    myRecordCount = recordCount;
    mySizeData = sizes;
    mySizeCount = sizeCount;
    myDeadCount = 0;
    myFilled = filled;
    noteChange();
}

void ORVConfigurationTable::buildIndex() const {
    auto *self = const_cast<ORVConfigurationTable *>(this);
    self->myNameIndex.clear();
    self->myNameIndex.reserve(myRecordCount);
    for (std::size_t n = 0; n < myRecordCount; ++n) {
        const cf::Record &r = myRecordData[n];
        if ((r.flags & cf::Record::kDead) || r.domain >= cf::kNoDomain) continue;
        const std::int32_t replaced = self->myNameIndex.add(
            myTextData, r.key, r.keySize, r.domain, static_cast<std::int32_t>(n));
        if (replaced == cf::IndexedName::kNone) continue;
        // A later entry of the same key replaced an earlier one.
        if (self->myBorrowed) {
            self->own();
            buildIndex();
            return;
        }
        self->myRecords[static_cast<std::size_t>(replaced)].flags |= cf::Record::kDead;
        ++self->myDeadCount;
    }
    // Keys without a domain are never looked up but are replaced all the same.
    for (std::size_t n = 0; n < myRecordCount; ++n) {
        const cf::Record &r = myRecordData[n];
        if ((r.flags & cf::Record::kDead) || r.domain < cf::kNoDomain) continue;
        for (std::size_t later = n + 1; later < myRecordCount; ++later) {
            const cf::Record &l = myRecordData[later];
            if (!(l.flags & cf::Record::kDead) && l.domain == cf::kNoDomain &&
                keyName(l) == keyName(r)) {
                self->own();
                self->myRecords[n].flags |= cf::Record::kDead;
                ++self->myDeadCount;
                break;
            }
        }
    }
    // A table is read once and then only looked up in: the room reserved
    // for its reads is given back.
    if (!self->myBorrowed) {
        if (self->myText.capacity() > myTextSize + myTextSize / 8 + 64) {
            std::string fitted;
            fitted.reserve(myTextSize + cf::kTextSlack);
            fitted.assign(self->myText);
            self->myText.swap(fitted);
        }
        if (self->myRecords.capacity() > myRecordCount + myRecordCount / 8 + 4)
            self->myRecords.shrink_to_fit();
        if (self->mySizes.capacity() > mySizeCount + mySizeCount / 8 + 4) self->mySizes.shrink_to_fit();
        self->repoint();
    }
    myIndexedCount = myChangeCount;
}

std::int32_t ORVConfigurationTable::findRecord(int domain, std::string_view upperName) const {
    if (domain < cf::kNoDomain) {
        ensureIndex();
        const cf::IndexedName *e =
            const_cast<cf::NameIndex &>(myNameIndex).find(myTextData, upperName, cf::hash_name(upperName));
        return e ? e->records[domain] : cf::IndexedName::kNone;
    }
    for (std::size_t n = myRecordCount; n-- > 0;) {
        const cf::Record &r = myRecordData[n];
        if (!(r.flags & cf::Record::kDead) && r.domain == domain && keyName(r) == upperName)
            return static_cast<std::int32_t>(n);
    }
    return cf::IndexedName::kNone;
}

std::int32_t ORVConfigurationTable::findUpperKey(std::string_view upperKey) const {
    if (!myFilled) return cf::IndexedName::kNone;
    std::string_view name;
    const int domain = cf::split_key(upperKey, name);
    return findRecord(domain, name);
}

std::string_view ORVConfigurationTable::writtenName(const cf::Record &r) const noexcept {
    if (!(r.flags & cf::Record::kWrittenName)) return keyName(r);
    return std::string_view(myTextData + r.key + r.keySize + 1);
}

std::string ORVConfigurationTable::key(const cf::Record &r) const {
    std::string out;
    if (r.domain < cf::kNoDomain) {
        out = cf::kDomainNames[r.domain];
        out += '.';
    }
    out += keyName(r);
    return out;
}

std::size_t ORVConfigurationTable::liveCount() const {
    ensureIndex();
    return myRecordCount - myDeadCount;
}

std::size_t ORVConfigurationTable::storageBytes() const noexcept {
    return myText.capacity() + myRecords.capacity() * sizeof(cf::Record) +
           mySizes.capacity() * sizeof(std::uint32_t) + myNameIndex.bytes();
}

ORVConfigurationVariable *ORVConfigurationTable::variableForKey(std::string_view key) const {
    if (!myFilled) return nullptr;
    return variableForUpperKey(upper(key));
}

ORVConfigurationVariable *ORVConfigurationTable::variableForUpperKey(std::string_view upperKey) const {
    const std::int32_t n = findUpperKey(upperKey);
    if (n < 0) return nullptr;
    std::lock_guard<std::mutex> guard(myVariableMutex);
    if (myVariableObjects.size() < myRecordCount) myVariableObjects.resize(myRecordCount);
    orv::Ref<ORVConfigurationVariable> &made = myVariableObjects[static_cast<std::size_t>(n)];
    if (!made) {
        const cf::Record &r = myRecordData[n];
        std::optional<int> level;
        if (!(r.flags & cf::Record::kNoLevel)) level = r.level;
        std::optional<ORVConfigurationVariable::Values> list;
        const cf::ValueList stored = values(r);
        if (stored.present()) list.emplace(stored.begin(), stored.end());
        made = ORVConfigurationVariable::variableWithName(std::string(writtenName(r)), level,
                                                          std::move(list));
        made->setIsNew(r.flags & cf::Record::kNew);
    }
    return made.get();
}

void ORVConfigurationTable::append(int domain, std::string_view upperName,
                                   const ORVConfigurationVariable &variable) {
    cf::Record r;
    r.domain = static_cast<std::uint8_t>(domain);
    r.key = static_cast<std::uint32_t>(myText.size());
    r.keySize = static_cast<std::uint32_t>(upperName.size());
    myText.append(upperName);
    myText += '\0';
    if (variable.name() != upperName) {
        r.flags |= cf::Record::kWrittenName;
        // The name as written ends at its first NUL, as the C callers see it.
        myText.append(variable.name().c_str());
        myText += '\0';
    }
    if (variable.permission())
        r.level = *variable.permission();
    else
        r.flags |= cf::Record::kNoLevel;
    if (variable.isNew()) r.flags |= cf::Record::kNew;
    r.firstSize = static_cast<std::uint32_t>(mySizes.size());
    if (const auto *list = variable.values()) {
        r.valueCount = static_cast<std::uint32_t>(list->size());
        for (const std::string &value : *list) {
            const std::size_t size = std::strlen(value.c_str());
            myText.append(value.c_str(), size);
            myText += '\0';
            mySizes.push_back(static_cast<std::uint32_t>(size));
        }
    } else {
        r.flags |= cf::Record::kNoValues;
    }
    myRecords.push_back(r);
}

void ORVConfigurationTable::setVariable(const ORVConfigurationVariable *variable,
                                        std::string_view key) {
    const std::string k = upper(key);
    std::string_view name;
    const int domain = cf::split_key(k, name);
    own();
    ensureIndex();
    const std::int32_t old = myFilled ? findRecord(domain, name) : cf::IndexedName::kNone;
    const bool indexWasCurrent = indexCurrent();
    myFilled = true;
    if (old >= 0) {
        myRecords[static_cast<std::size_t>(old)].flags |= cf::Record::kDead;
        ++myDeadCount;
    }
    if (variable) append(domain, name, *variable);
    repoint();
    noteChange();
    // Programs that set and get in turns would otherwise rebuild the index
    // on every lookup: a store updates it in place.
    if (indexWasCurrent) {
        if (variable && domain < cf::kNoDomain) {
            const cf::Record &r = myRecords.back();
            myNameIndex.add(myTextData, r.key, r.keySize, domain,
                            static_cast<std::int32_t>(myRecords.size() - 1));
        } else if (!variable && old >= 0 && domain < cf::kNoDomain) {
            if (cf::IndexedName *e = myNameIndex.find(myTextData, name, cf::hash_name(name)))
                e->records[domain] = cf::IndexedName::kNone;
        }
        myIndexedCount = myChangeCount;
    }
    compactIfWorthIt();
}

bool ORVConfigurationTable::removeVariable(std::string_view key) {
    if (!myFilled) return false;
    const std::string k = upper(key);
    std::string_view name;
    const int domain = cf::split_key(k, name);
    if (findRecord(domain, name) < 0) {
        noteChange();
        return false;
    }
    setVariable(nullptr, k);
    return true;
}

void ORVConfigurationTable::compactIfWorthIt() {
    if (myDeadCount < 64 || myDeadCount * 2 < myRecordCount) return;
    std::string text;
    std::vector<cf::Record> records;
    std::vector<std::uint32_t> sizes;
    compactedStorage(text, records, sizes);
    myText = std::move(text);
    myRecords = std::move(records);
    mySizes = std::move(sizes);
    myDeadCount = 0;
    repoint();
    noteChange();
}

void ORVConfigurationTable::compactedStorage(std::string &text, std::vector<cf::Record> &records,
                                             std::vector<std::uint32_t> &sizes) const {
    text.clear();
    records.clear();
    sizes.clear();
    forEachLive([&](std::size_t, const cf::Record &r) {
        cf::Record copy = r;
        copy.flags &= static_cast<std::uint8_t>(~cf::Record::kDead);
        copy.key = static_cast<std::uint32_t>(text.size());
        copy.firstSize = static_cast<std::uint32_t>(sizes.size());
        // The key's name, the written name and the values are one run of text.
        const char *begin = myTextData + r.key;
        const char *end = begin + r.keySize + 1;
        if (r.flags & cf::Record::kWrittenName) end += std::strlen(end) + 1;
        for (std::uint32_t i = 0; i < r.valueCount; ++i) end += mySizeData[r.firstSize + i] + 1;
        text.append(begin, end);
        sizes.insert(sizes.end(), mySizeData + r.firstSize, mySizeData + r.firstSize + r.valueCount);
        records.push_back(copy);
    });
}

void ORVConfigurationTable::beginEntry(int domain, std::string_view writtenName, int level) {
    myFilled = true;
    myEntry = cf::Record();
    myEntry.domain = static_cast<std::uint8_t>(domain);
    myEntry.level = level;
    myEntry.key = static_cast<std::uint32_t>(myText.size());
    myEntry.keySize = static_cast<std::uint32_t>(writtenName.size());
    myText.resize(myText.size() + writtenName.size());
    cf::upper_copy(writtenName.data(), writtenName.size(), myText.data() + myEntry.key);
    myText += '\0';
    if (std::string_view(myText.data() + myEntry.key, writtenName.size()) != writtenName) {
        myEntry.flags |= cf::Record::kWrittenName;
        myText.append(writtenName);
        myText += '\0';
    }
    myEntry.firstSize = static_cast<std::uint32_t>(mySizes.size());
}

void ORVConfigurationTable::addValue(std::string_view value) {
    myText.append(value);
    myText += '\0';
    mySizes.push_back(static_cast<std::uint32_t>(value.size()));
    ++myEntry.valueCount;
}

void ORVConfigurationTable::trimLastValue() noexcept {
    if (!myEntry.valueCount || !mySizes.back()) return;
    --mySizes.back();
    myText.pop_back();
    myText.back() = '\0';
}

cf::ValueList ORVConfigurationTable::entryValues() const noexcept {
    const char *first = myText.data() + myText.size();
    for (std::uint32_t i = 0; i < myEntry.valueCount; ++i)
        first -= mySizes[myEntry.firstSize + i] + 1;
    return cf::ValueList(first, mySizes.data() + myEntry.firstSize, myEntry.valueCount);
}

void ORVConfigurationTable::endEntry() noexcept {
    try {
        myRecords.push_back(myEntry);
        repoint();
    } catch (...) {
        return;
    }
    ++myChangeCount;
}

void ORVConfigurationTable::reserveEntries(std::size_t count, std::size_t bytes) {
    own();
    if (myRecords.capacity() < myRecords.size() + count) myRecords.reserve(myRecords.size() + count);
    if (myText.capacity() < myText.size() + bytes) myText.reserve(myText.size() + bytes);
}

void ORVConfigurationTable::resetVariables() noexcept {
    myBorrowed.reset();
    myText.clear();
    myRecords.clear();
    mySizes.clear();
    myDeadCount = 0;
    myFilled = false;
    repoint();  // empty: allocates nothing
    noteChange();
}

std::vector<std::string> ORVConfigurationTable::allValueKeys() const {
    std::vector<std::string> keys;
    if (!myFilled) return keys;
    forEachLive([&](std::size_t, const cf::Record &r) { keys.push_back(key(r)); });
    return keys;
}

namespace cf {

// The variables of a table as a dictionary of key to variable, for
// descriptions.
orv::Ref<ORVDictionary> variables_object(const ORVConfigurationTable &table) {
    std::vector<std::pair<std::string, std::size_t>> sorted;
    table.forEachLive([&](std::size_t n, const cf::Record &r) { sorted.emplace_back(table.key(r), n); });
    std::sort(sorted.begin(), sorted.end());
    auto d = orv::make<ORVDictionary>();
    for (const auto &[key, n] : sorted) d->setObject(table.variableForUpperKey(key), key);
    return d;
}

}  // namespace cf

std::string ORVConfigurationTable::valuesDescription() const {
    if (!myFilled) return "(null)";
    return cf::variables_object(*this)->description();
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
    if (!myFilled) return result;
    std::vector<std::vector<std::string>> names;
    forEachLive([&](std::size_t, const cf::Record &r) {
        names.push_back(cf::split_name(upper(writtenName(r))));
    });
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
    if (!myFilled) return result;
    std::unordered_set<std::string> seen;
    forEachLive([&](std::size_t, const cf::Record &r) {
        std::string whole = upper(writtenName(r));
        if (whole.starts_with('$')) return;
        if (seen.insert(whole).second) result.push_back(std::move(whole));
    });
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
    if (myFilled) d.setObject(cf::variables_object(*this).get(), "values");
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
    if (myFilled) {
        auto values = orv::make<ORVDictionary>();
        forEachLive([&](std::size_t, const cf::Record &r) {
            const std::string k = key(r);
            values->setObject(variableForUpperKey(k)->archiveObject().get(), k);
        });
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
        table->myFilled = true;
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

// ORVConfigurationTable: every variable of one configuration group, from all
// domains at once, with the group's behaviors.
//
// Variables are kept under keys of the form DOMAIN.NAME in upper case
// ("SITE.WS12.PORT"), in flat storage: the text of every name and value in
// one buffer, fixed-size records with offsets into it, one array of value
// sizes, and a lookup index of record numbers. Reading a domain file costs a
// few allocations per file, none per entry; variable objects are made only
// for callers that ask for one. Behaviors decide per variable how a name is
// looked up and how its values are expanded; they come from the behavior
// file and stay for the life of the table, while the variables are emptied
// and refilled each time the group is read. A table is a reference-counted
// platform object: the module's cache and the callers of cf_read_entire_file
// may hold the same one.
#pragma once

#include <ORVCommonKit/cfdefs.h>

#include "config/ORVConfigurationVariable.h"
#include "platform/object.h"

#include <atomic>
#include <cstring>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace cf {

// Hash and equality that let string-keyed maps be probed with a string_view.
// Deliberately not noexcept: the standard hash maps then keep each node's hash
// code, so rehashing and walking a bucket compare codes instead of hashing
// every key again.
struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const {
        return std::hash<std::string_view>{}(s);
    }
};

// Variable or pattern name (upper case, may hold '*') to behavior bits.
using BehaviorMap = std::map<std::string, unsigned, std::less<>>;

using StringList = std::vector<std::string>;

// Bytes that stay addressable after the last text of a table's storage (and
// of a shared region's copy): string readers may load a 32-byte block at
// once.
inline constexpr std::size_t kTextSlack = 32;

// The values of one variable as lookups read them, without copying: texts
// one after the other, each followed by a NUL, with their sizes in a
// separate array (a table's flat storage, or a FlatValues list). A
// default-constructed list is absent (a variable without a value list).
class ValueList {
public:
    ValueList() = default;
    ValueList(const char *first, const std::uint32_t *sizes, std::size_t count) noexcept
        : text_(first), sizes_(sizes), count_(count), present_(true) {}

    class iterator {
    public:
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        iterator() = default;
        iterator(const char *text, const std::uint32_t *sizes) noexcept
            : text_(text), sizes_(sizes) {}
        // The value, followed by a NUL in memory.
        std::string_view operator*() const noexcept { return std::string_view(text_, *sizes_); }
        iterator &operator++() noexcept {
            text_ += *sizes_++ + 1;
            return *this;
        }
        iterator operator++(int) noexcept {
            iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const iterator &other) const noexcept { return sizes_ == other.sizes_; }

    private:
        const char *text_ = nullptr;
        const std::uint32_t *sizes_ = nullptr;
    };

    bool present() const noexcept { return present_; }
    std::size_t size() const noexcept { return count_; }
    bool empty() const noexcept { return count_ == 0; }
    iterator begin() const noexcept { return iterator(text_, sizes_); }
    iterator end() const noexcept { return iterator(nullptr, sizes_ + count_); }
    // The first value (the list must not be empty), NUL-terminated.
    std::string_view front() const noexcept { return std::string_view(text_, *sizes_); }
    // True when both lists are the same values in the same memory.
    bool sameAs(const ValueList &other) const noexcept {
        return present_ == other.present_ && count_ == other.count_ && text_ == other.text_ &&
               sizes_ == other.sizes_;
    }
    StringList strings() const { return StringList(begin(), end()); }

private:
    const char *text_ = nullptr;
    const std::uint32_t *sizes_ = nullptr;
    std::size_t count_ = 0;
    bool present_ = false;
};

// Values held in the form ValueList reads, for lists made at lookup time
// (expanded values).
struct FlatValues {
    std::string text;
    std::vector<std::uint32_t> sizes;
    void assign(const StringList &values) {
        text.clear();
        sizes.clear();
        for (const std::string &value : values) {
            text.append(value.c_str());
            text += '\0';
            sizes.push_back(static_cast<std::uint32_t>(std::strlen(value.c_str())));
        }
        // Readers may load a few bytes past the last NUL.
        text.reserve(text.size() + kTextSlack);
    }
    ValueList view() const noexcept { return ValueList(text.data(), sizes.data(), sizes.size()); }
};

// Hash of the names in a table's lookup index.
std::uint64_t hash_name(std::string_view name) noexcept;

// Domain number of a key that begins with no domain name ("OTHER.PORT"):
// kept and listed like any other, never found by a lookup.
inline constexpr std::uint8_t kNoDomain = 3;

// One entry of a table's flat storage: a variable under one key. Fixed size,
// offsets into the table's text. The text holds, from key: the key's name
// upper case (the key without its domain, or the whole key for kNoDomain), a
// NUL, the name as written with its NUL when it differs from the key's name
// (kWrittenName), then the values one after the other, each with its NUL.
// Their sizes are sizes[firstSize], ... in the table's size array.
struct Record {
    std::uint32_t key = 0;
    std::uint32_t keySize = 0;
    std::uint32_t firstSize = 0;
    std::uint32_t valueCount = 0;
    std::int32_t level = 0;
    std::uint8_t domain = 0;
    std::uint8_t flags = 0;
    std::uint16_t reserved = 0;

    static constexpr std::uint8_t kDead = 0x01;         // replaced or removed
    static constexpr std::uint8_t kNew = 0x02;          // set in memory, not read
    static constexpr std::uint8_t kNoLevel = 0x04;      // the variable has no level
    static constexpr std::uint8_t kNoValues = 0x08;     // the variable has no value list
    static constexpr std::uint8_t kWrittenName = 0x10;  // the name as written follows the key
    static constexpr std::uint8_t kKnownFlags = 0x1f;
};
static_assert(sizeof(Record) == 24);

// One name of a table's lookup index: a stored key without its domain
// ("WS12.PORT" for "USER.WS12.PORT"), upper case, with the record stored
// under it in each domain. Names that only occur as the end of a qualified
// name ("PORT" when only "WS12.PORT" is stored) have entries too, with no
// records, so that one probe tells whether a qualified form can exist.
struct IndexedName {
    static constexpr std::int32_t kNone = -1;
    std::uint32_t name = 0;  // offset of the name in the table's text
    std::uint32_t size = 0;
    std::uint32_t hash = 0;  // low half of hash_name
    // Per domain (SYS, SITE, USER): the record number, or kNone.
    std::int32_t records[3] = {kNone, kNone, kNone};
    // kQualified when some stored name is another name, a full stop and this
    // one; the name's behavior once asked for, with kBehaviorKnown added
    // (behaviors never change in a table). Concurrent lookups of the same
    // name may each store it; they store the same value.
    static constexpr std::uint32_t kQualified = 0x80000000u;
    static constexpr std::uint32_t kBehaviorKnown = 0x40000000u;
    static constexpr std::uint32_t kBehaviorBits = 0x3fffffffu;
    struct State {
        std::atomic<std::uint32_t> bits{0};
        State() = default;
        State(const State &other) noexcept : bits(other.bits.load(std::memory_order_relaxed)) {}
        State &operator=(const State &other) noexcept {
            bits.store(other.bits.load(std::memory_order_relaxed), std::memory_order_relaxed);
            return *this;
        }
    } state;
    bool qualified() const noexcept {
        return state.bits.load(std::memory_order_relaxed) & kQualified;
    }
};

// The lookup index of a table: every stored key, without its domain, to its
// IndexedName, in an open-addressing table over record numbers. Derived from
// the records; the table rebuilds it when they changed.
class NameIndex {
public:
    void clear() noexcept;
    // Makes room for about count names.
    void reserve(std::size_t count);
    // Enters record number n (its name at offset name, size bytes, of text)
    // for domain; the record number it replaces, or kNone.
    std::int32_t add(const char *text, std::uint32_t name, std::uint32_t size, int domain,
                     std::int32_t n);
    // The entry of an upper-case name and its hash_name, or null.
    IndexedName *find(const char *text, std::string_view upperName, std::uint64_t hash) noexcept;
    std::size_t size() const noexcept { return entries_.size(); }
    std::size_t bytes() const noexcept {
        return entries_.capacity() * sizeof(IndexedName) + slots_.capacity() * 4;
    }

private:
    IndexedName &entry(const char *text, std::uint32_t name, std::uint32_t size);
    std::vector<IndexedName> entries_;
    std::vector<std::uint32_t> slots_;  // entry number + 1; 0 for a free slot
    std::size_t mask_ = 0;
};

// The behavior every table has unless the behavior file says otherwise.
inline constexpr unsigned kDefaultBehavior = cf_BEHAVIOR_HOST;

// Upper-cases a name the way keys are stored (byte by byte, Windows-1252).
std::string upper(std::string_view text);
void upper_in_place(std::string &text) noexcept;
// Writes the size bytes at text upper-cased to out (which may be text).
void upper_copy(const char *text, std::size_t size, char *out) noexcept;

// Splits a name at every full stop ("A.B.C" -> A, B, C; "A..B" keeps the
// empty middle component).
std::vector<std::string> split_name(std::string_view name);

// Orders split names: fewer components first; equal counts compare the
// components from the last towards the first, by byte value. -1, 0 or 1.
int nameSort(const std::vector<std::string> &a, const std::vector<std::string> &b) noexcept;

// Matches an upper-case name against one behavior pattern holding '*'. The
// match scans forward only: after a '*' the next literal is looked for at its
// first occurrence, without backtracking, so "*_PORT" does not match
// "A_PORT_B_PORT". Blanks before each piece are skipped on both sides.
bool patternMatches(std::string_view pattern, std::string_view name) noexcept;

}  // namespace cf

struct ORVConfigurationTable : ORVObject {
    // A table with group behavior 0x20 and no per-variable behaviors.
    ORVConfigurationTable();
    // A table with the group behavior and the per-variable behaviors (null:
    // none). Traces its creation.
    ORVConfigurationTable(unsigned groupBehavior, const cf::BehaviorMap *behaviors);
    static orv::Ref<ORVConfigurationTable> create(unsigned groupBehavior = cf::kDefaultBehavior,
                                                  const cf::BehaviorMap *behaviors = nullptr);

    // ---- Variables as objects (made when asked for) ----

    // The variable stored under key (any case), or null. Made from the flat
    // storage on the first request and kept until the table changes; a
    // caller that keeps it longer retains it (it then keeps the values it
    // had). Borrowed.
    ORVConfigurationVariable *variableForKey(std::string_view key) const;
    // The same for a key that is already upper case.
    ORVConfigurationVariable *variableForUpperKey(std::string_view upperKey) const;
    // Stores a copy of variable under key in upper case, replacing any;
    // the table is filled from then on. A null variable removes the key.
    void setVariable(const ORVConfigurationVariable *variable, std::string_view key);
    // Removes the variable under key (any case); true when there was one.
    bool removeVariable(std::string_view key);
    // True once the table has been filled since the last reset (even when
    // nothing was stored).
    bool hasVariables() const noexcept { return myFilled; }
    // Drops every variable; hasVariables becomes false. The storage keeps
    // its capacity for the group's next read.
    void resetVariables() noexcept;

    // ---- Flat storage ----

    // Appends one entry read from a domain file: the key's name is the
    // written name upper-cased. Values follow through addValue, then
    // endEntry. An entry of a key already stored replaces it once the index
    // is next built (the later entry wins).
    void beginEntry(int domain, std::string_view writtenName, int level);
    void addValue(std::string_view value);
    // Drops the last character of the entry's last value.
    void trimLastValue() noexcept;
    // The values of the entry being read.
    cf::ValueList entryValues() const noexcept;
    void endEntry() noexcept;
    // Makes room for about count more entries and bytes more text.
    void reserveEntries(std::size_t count, std::size_t bytes);

    // Number of records, live and dead.
    std::size_t recordCount() const noexcept { return myRecordCount; }
    const cf::Record &record(std::size_t n) const noexcept { return myRecordData[n]; }
    // The text of a record: its key's name, its name as written, its values.
    std::string_view keyName(const cf::Record &r) const noexcept {
        return std::string_view(myTextData + r.key, r.keySize);
    }
    std::string_view writtenName(const cf::Record &r) const noexcept;
    cf::ValueList values(const cf::Record &r) const noexcept {
        if (r.flags & cf::Record::kNoValues) [[unlikely]]
            return {};
        const char *first = myTextData + r.key + r.keySize + 1;
        if (r.flags & cf::Record::kWrittenName) [[unlikely]]
            first += std::strlen(first) + 1;
        return cf::ValueList(first, mySizeData + r.firstSize, r.valueCount);
    }
    // "DOMAIN.NAME" of a record.
    std::string key(const cf::Record &r) const;
    // Calls visit(record number, record) for every live record in storage
    // order.
    template <typename Visit>
    void forEachLive(Visit &&visit) const {
        ensureIndex();
        for (std::size_t n = 0; n < myRecordCount; ++n)
            if (!(myRecordData[n].flags & cf::Record::kDead)) visit(n, myRecordData[n]);
    }
    // Number of live records.
    std::size_t liveCount() const;
    // The live record under an upper-case key, or -1.
    std::int32_t findUpperKey(std::string_view upperKey) const;
    // Heap bytes the storage and index hold (capacity), for measurements.
    std::size_t storageBytes() const noexcept;

    // Every key (unordered).
    std::vector<std::string> allValueKeys() const;
    // Description of the variables for traces, keys in sorted order.
    std::string valuesDescription() const;
    // Variable names in upper case, each once: host-qualified names only
    // where no plain name of the same variable exists, group-qualified names
    // ("$TERM.NAME") never.
    std::vector<std::string> uniqueValueNamesWithoutHost() const;
    // Every variable name in upper case, host qualifiers included,
    // group-qualified names excluded, each once.
    std::vector<std::string> uniqueValueNamesWithHost() const;

    // ---- Lookup index ----

    // Counts every change of the variables (store, remove, reset, read);
    // data derived from them is valid while the count is unchanged.
    std::uint64_t changeCount() const noexcept { return myChangeCount; }
    // The index entry of an upper-case name without its domain ("WS12.PORT")
    // and its hash_name, or null when no stored key ends in it. The index is
    // rebuilt here first when the variables changed since it was built; an
    // entry stays valid until the next change.
    cf::IndexedName *indexedName(std::string_view upperName, std::uint64_t hash) {
        ensureIndex();
        return myNameIndex.find(myTextData, upperName, hash);
    }
    // True when the index is built and matches the variables: lookups then
    // change nothing in the table but the behaviors they note in it.
    bool indexCurrent() const noexcept { return myIndexedCount == myChangeCount; }

    // ---- Behaviors ----

    // The behavior of a variable name (any case): its own entry, else the
    // first matching pattern (cached per name), else the group behavior.
    unsigned behaviorForName(std::string_view name);
    // The same for a name that is already upper case.
    unsigned behaviorForUpperName(std::string_view upperName);
    // The behavior of the first pattern matching an upper-case name (cached
    // per name), or nothing. Never consults anything without wildcards.
    std::optional<unsigned> behaviorForNameUsingPatternMatch(std::string_view upperName);

    unsigned groupBehavior() const noexcept { return myGroupBehavior; }
    // The per-variable behaviors, or null when the table has none.
    const cf::BehaviorMap *behaviorDictionary() const noexcept { return myBehaviorDictionary.get(); }
    // The pattern-match cache, or null before the first successful match.
    const cf::BehaviorMap *derivedBehaviorDictionary() const noexcept {
        return myDerivedBehaviorDictionary.get();
    }
    bool hasBehaviorWildcards() const noexcept { return myHasBehaviorWildcards; }
    // True exactly when the group behavior and every per-variable behavior are
    // 0x20: tables that expand values or look names up through groups are
    // never written back.
    bool isSaveAllowed() const noexcept { return myIsSaveAllowed; }
    // Every behavior bit of the group behavior and of any per-variable
    // behavior: what lookups in the table may ever need.
    unsigned behaviorBits() const noexcept { return myBehaviorBits; }

    // ---- Archived form ----

    // The table as a platform object graph (dictionaries, arrays, strings,
    // numbers) holding, in this order, the value dictionary, the behavior
    // dictionary, the derived behavior dictionary, the group behavior and the
    // two flags. Absent dictionaries are left out.
    orv::Ref<ORVObject> archiveObject() const;
    // A table rebuilt from archiveObject's graph, or null (with a reason)
    // when the graph is not exactly of that shape.
    static orv::Ref<ORVConfigurationTable> fromArchive(const ORVObject *object,
                                                       std::string *error = nullptr);
    // The archive bytes of the table (the platform archive format).
    bool encode(std::vector<std::uint8_t> &out, std::string *error = nullptr) const;
    // A table decoded from untrusted bytes, or null with a reason. Every
    // length, type and count is checked; nothing is trusted.
    static orv::Ref<ORVConfigurationTable> decode(const void *bytes, std::size_t length,
                                                  std::string *error = nullptr);

    // ---- Shared form ----

    // Storage borrowed from bytes that keeper holds alive (a checked shared
    // region): text, records and sizes are used in place, never written; the
    // first change copies them. The caller has checked every offset.
    void borrowStorage(std::shared_ptr<const void> keeper, const char *text, std::size_t textSize,
                       const cf::Record *records, std::size_t recordCount,
                       const std::uint32_t *sizes, std::size_t sizeCount, bool filled);
    // The storage of the live records, compacted, for writing elsewhere.
    void compactedStorage(std::string &text, std::vector<cf::Record> &records,
                          std::vector<std::uint32_t> &sizes) const;

    void describeTo(std::string &out, int indent) const override;

private:
    struct ArchiveTag {};
    explicit ORVConfigurationTable(ArchiveTag) noexcept : myBehaviorBits(0) {}

    // Points the views at the owned storage.
    void repoint();
    // Copies borrowed storage into owned storage (before a change).
    void own();
    // Counts a change: the index and the variable objects are out of date.
    void noteChange() noexcept;
    // Builds the index when it is out of date (marking replaced records
    // dead). Never runs while lookups run beside each other: they only run
    // on tables whose index is current.
    void ensureIndex() const {
        if (myIndexedCount != myChangeCount) buildIndex();
    }
    void buildIndex() const;
    // The live record of a domain and an upper-case name, or -1.
    std::int32_t findRecord(int domain, std::string_view upperName) const;
    // Appends a record copied from the fields of a variable.
    void append(int domain, std::string_view upperName, const ORVConfigurationVariable &variable);
    // Rewrites the storage without dead records when they are many.
    void compactIfWorthIt();

    std::unique_ptr<cf::BehaviorMap> myBehaviorDictionary;
    std::unique_ptr<cf::BehaviorMap> myDerivedBehaviorDictionary;
    unsigned myGroupBehavior = cf::kDefaultBehavior;
    bool myHasBehaviorWildcards = false;
    bool myIsSaveAllowed = true;
    bool myFilled = false;
    // Keys of myBehaviorDictionary holding '*', in the dictionary's order.
    std::vector<std::string> myWildcardKeys;
    // Union of all behaviors (behaviorBits).
    unsigned myBehaviorBits = cf::kDefaultBehavior;
    // Guards myDerivedBehaviorDictionary against lookups from several
    // threads, which fill it.
    mutable std::mutex myDerivedMutex;

    // Owned flat storage.
    std::string myText;
    std::vector<cf::Record> myRecords;
    std::vector<std::uint32_t> mySizes;
    // What the views point at when the storage is borrowed.
    std::shared_ptr<const void> myBorrowed;
    // Views of the storage in use (owned or borrowed).
    const char *myTextData = "";
    std::size_t myTextSize = 0;
    cf::Record *myRecordData = nullptr;
    std::size_t myRecordCount = 0;
    const std::uint32_t *mySizeData = nullptr;
    std::size_t mySizeCount = 0;
    std::size_t myDeadCount = 0;
    // The record being read (beginEntry to endEntry).
    cf::Record myEntry;

    // Changes of the variables so far, and the count the index was built at.
    std::uint64_t myChangeCount = 1;
    mutable std::uint64_t myIndexedCount = 0;
    mutable cf::NameIndex myNameIndex;
    // Variable objects made for callers, by record number; dropped on change.
    mutable std::mutex myVariableMutex;
    mutable std::vector<orv::Ref<ORVConfigurationVariable>> myVariableObjects;
};

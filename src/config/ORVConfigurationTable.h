// ORVConfigurationTable: every variable of one configuration group, from all
// domains at once, with the group's behaviors.
//
// Variables are kept under keys of the form DOMAIN.NAME in upper case
// ("SITE.WS12.PORT"). Behaviors decide per variable how a name is looked up
// and how its values are expanded; they come from the behavior file and stay
// for the life of the table, while the variables are emptied and refilled
// each time the group is read. A table is a reference-counted platform
// object: the module's cache and the callers of cf_read_entire_file may hold
// the same one.
#pragma once

#include <ORVCommonKit/cfdefs.h>

#include "config/ORVConfigurationVariable.h"
#include "platform/object.h"

#include <atomic>
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

// Full key ("SITE.WS12.PORT") to variable: the value dictionary of a table.
using VariableMap = std::unordered_map<std::string, orv::Ref<ORVConfigurationVariable>,
                                       StringHash, std::equal_to<>>;

// Hash of the names in a table's lookup index (not of the value dictionary).
std::uint64_t hash_name(std::string_view name) noexcept;

// One name of a table's lookup index: a stored key without its domain
// ("WS12.PORT" for "USER.WS12.PORT"), upper case, with the variable stored
// under it in each domain. Names that only occur as the end of a qualified
// name ("PORT" when only "WS12.PORT" is stored) have entries too, with no
// variables, so that one probe tells whether a qualified form can exist.
struct IndexedName {
    std::string_view name;  // points into a key of the value dictionary
    std::uint64_t hash = 0;
    // Per domain (SYS, SITE, USER): the variable and its full key, or null.
    ORVConfigurationVariable *variables[3] = {nullptr, nullptr, nullptr};
    const std::string *keys[3] = {nullptr, nullptr, nullptr};
    // Some stored name is another name, a full stop and this one (a host- or
    // group-qualified form of it).
    bool qualified = false;
    // The name's behavior once asked for, with kBehaviorKnown added
    // (behaviors never change in a table). Concurrent lookups of the same
    // name may each store it; they store the same value.
    static constexpr std::uint64_t kBehaviorKnown = std::uint64_t{1} << 32;
    struct KnownBehavior {
        std::atomic<std::uint64_t> bits{0};
        KnownBehavior() = default;
        KnownBehavior(const KnownBehavior &other) noexcept
            : bits(other.bits.load(std::memory_order_relaxed)) {}
        KnownBehavior &operator=(const KnownBehavior &other) noexcept {
            bits.store(other.bits.load(std::memory_order_relaxed), std::memory_order_relaxed);
            return *this;
        }
    } behavior;
};

// The lookup index of a table: every stored key, without its domain, to its
// IndexedName, in an open-addressing table. Derived from the value dictionary
// and valid only until the dictionary changes; the table rebuilds it then.
class NameIndex {
public:
    void rebuild(const VariableMap *variables);
    // Enters one stored key (a node key of the value dictionary, which must
    // outlive the entry) and its variable.
    void add(const std::string &key, ORVConfigurationVariable *variable);
    // The entry of an upper-case name and its hash_name, or null.
    IndexedName *find(std::string_view upperName, std::uint64_t hash) noexcept;
    std::size_t size() const noexcept { return entries_.size(); }

private:
    IndexedName &entry(std::string_view name, std::uint64_t hash);
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
    using VariableMap = cf::VariableMap;

    // A table with group behavior 0x20 and no per-variable behaviors.
    ORVConfigurationTable();
    // A table with the group behavior and the per-variable behaviors (null:
    // none). Traces its creation.
    ORVConfigurationTable(unsigned groupBehavior, const cf::BehaviorMap *behaviors);
    static orv::Ref<ORVConfigurationTable> create(unsigned groupBehavior = cf::kDefaultBehavior,
                                                  const cf::BehaviorMap *behaviors = nullptr);

    // ---- Variables ----

    // The variable stored under key (any case), or null. Borrowed.
    ORVConfigurationVariable *variableForKey(std::string_view key) const;
    // The same for a key that is already upper case (no folding, no copy).
    ORVConfigurationVariable *variableForUpperKey(std::string_view upperKey) const;
    // Stores variable under key in upper case, replacing any; creates the
    // value dictionary on first use. A null variable removes the key.
    void setVariable(ORVConfigurationVariable *variable, std::string_view key);
    // Stores variable (not null) under a key that is already upper case,
    // replacing any; for readers that build keys themselves. The key is
    // copied, into the storage of an entry dropped by the last reset when
    // there is one.
    void setVariableForUpperKey(orv::Ref<ORVConfigurationVariable> variable,
                                std::string_view upperKey);
    // A variable for a reader to refill (ORVConfigurationVariable::refill)
    // and store: one that the last reset dropped and that nothing else
    // holds, or a new one.
    orv::Ref<ORVConfigurationVariable> recycledVariable();
    // Makes room for count more variables. Creates the value dictionary, so
    // hasVariables becomes true: call it only when a variable will be stored.
    void reserveVariables(std::size_t count);
    // Removes the variable under key (any case); true when there was one.
    bool removeVariable(std::string_view key);
    // True once the table has been filled since the last reset (even when
    // nothing was stored).
    bool hasVariables() const noexcept { return myValueDictionary != nullptr; }
    // Drops every variable; hasVariables becomes false. The dictionary's
    // entries (their nodes and key strings) are kept for the variables
    // stored next, and so are the variables that nothing but this table
    // holds (recycledVariable): a group read again refills its table without
    // allocating them anew.
    void resetVariables() noexcept;
    // The value dictionary itself (null when absent), for iteration.
    const VariableMap *valueDictionary() const noexcept { return myValueDictionary.get(); }

    // Every key of the value dictionary (unordered).
    std::vector<std::string> allValueKeys() const;
    // Description of the value dictionary for traces, keys in sorted order.
    std::string valuesDescription() const;
    // Variable names in upper case, each once: host-qualified names only
    // where no plain name of the same variable exists, group-qualified names
    // ("$TERM.NAME") never.
    std::vector<std::string> uniqueValueNamesWithoutHost() const;
    // Every variable name in upper case, host qualifiers included,
    // group-qualified names excluded, each once.
    std::vector<std::string> uniqueValueNamesWithHost() const;

    // ---- Lookup index ----

    // Counts every change of the variables (store, remove, reset); data
    // derived from them is valid while the count is unchanged.
    std::uint64_t changeCount() const noexcept { return myChangeCount; }
    // The index entry of an upper-case name without its domain ("WS12.PORT")
    // and its hash_name, or null when no stored key ends in it. The index is
    // rebuilt here first when the variables changed since it was built; an
    // entry stays valid until the next change.
    cf::IndexedName *indexedName(std::string_view upperName, std::uint64_t hash);
    // True when the index is built and matches the variables: lookups then
    // change nothing in the table but the behaviors they note in it.
    bool indexCurrent() const noexcept {
        return myNameIndex && myIndexedCount == myChangeCount;
    }

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

    void describeTo(std::string &out, int indent) const override;

private:
    // Puts a value dictionary in place: the one the last reset left, or a new one.
    void createDictionary();

    struct ArchiveTag {};
    explicit ORVConfigurationTable(ArchiveTag) noexcept : myBehaviorBits(0) {}

    std::unique_ptr<VariableMap> myValueDictionary;
    std::unique_ptr<cf::BehaviorMap> myBehaviorDictionary;
    std::unique_ptr<cf::BehaviorMap> myDerivedBehaviorDictionary;
    unsigned myGroupBehavior = cf::kDefaultBehavior;
    bool myHasBehaviorWildcards = false;
    bool myIsSaveAllowed = true;
    // Keys of myBehaviorDictionary holding '*', in the dictionary's order.
    std::vector<std::string> myWildcardKeys;
    // Union of all behaviors (behaviorBits).
    unsigned myBehaviorBits = cf::kDefaultBehavior;
    // Guards myDerivedBehaviorDictionary against lookups from several
    // threads, which fill it.
    mutable std::mutex myDerivedMutex;
    // Changes of the variables so far, and the count the index was built at.
    std::uint64_t myChangeCount = 0;
    std::uint64_t myIndexedCount = 0;
    std::unique_ptr<cf::NameIndex> myNameIndex;
    // What the last reset left for reuse: the emptied dictionary (its bucket
    // array) and its entries, each with its key string and the variable it
    // held when nothing else held that (else none).
    std::unique_ptr<VariableMap> mySpareDictionary;
    std::vector<cf::VariableMap::node_type> mySpareEntries;
};

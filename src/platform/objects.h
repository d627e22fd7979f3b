// The value classes of the platform: strings, numbers, data, arrays,
// dictionaries, sets and calendar dates.
//
// They are mutable; code that hands one out and keeps it too must copy it
// (copy()) if the receiver may change it. Descriptions are property-list
// text that orv::plist::parse reads back to an equal object (numbers and
// dates come back as strings, as property-list text has no other scalar).
#pragma once

#include "platform/object.h"

#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// An 8-bit string (Windows-1252 bytes); may hold any byte, NUL included.
struct ORVString : ORVObject {
    ORVString() = default;
    explicit ORVString(std::string bytes) : value(std::move(bytes)) {}

    // printf formatting that also takes %@: the description of an object
    // (a string's own bytes, "(null)" for null).
    static orv::Ref<ORVString> format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
    static orv::Ref<ORVString> vformat(const char *fmt, va_list ap);
    // A temporary string (owned by the innermost pool).
    static ORVString *temporary(std::string_view bytes);

    const char *cString() const noexcept { return value.c_str(); }
    std::size_t length() const noexcept { return value.size(); }
    orv::Ref<ORVString> copy() const { return orv::make<ORVString>(value); }

    orv_object_kind kind() const noexcept override { return ORV_KIND_STRING; }
    bool isEqual(const ORVObject *other) const noexcept override;
    std::size_t hash() const noexcept override;
    void describeTo(std::string &out, int indent) const override;

    std::string value;
};

// A number: integer, floating or boolean.
struct ORVNumber : ORVObject {
    enum class Type { Integer, Floating, Boolean };
    explicit ORVNumber(std::int64_t v) : type(Type::Integer), integer(v) {}
    explicit ORVNumber(int v) : type(Type::Integer), integer(v) {}
    explicit ORVNumber(double v) : type(Type::Floating), floating(v) {}
    explicit ORVNumber(bool v) : type(Type::Boolean), integer(v ? 1 : 0) {}

    std::int64_t intValue() const noexcept;
    double doubleValue() const noexcept;
    bool boolValue() const noexcept { return type == Type::Floating ? floating != 0 : integer != 0; }

    orv_object_kind kind() const noexcept override { return ORV_KIND_NUMBER; }
    // Integers and booleans compare by integer value, floating by value.
    bool isEqual(const ORVObject *other) const noexcept override;
    std::size_t hash() const noexcept override;
    void describeTo(std::string &out, int indent) const override;

    Type type;
    std::int64_t integer = 0;
    double floating = 0;
};

// A byte buffer.
struct ORVData : ORVObject {
    ORVData() = default;
    explicit ORVData(std::vector<std::uint8_t> b) : bytes(std::move(b)) {}
    ORVData(const void *p, std::size_t n)
        : bytes(static_cast<const std::uint8_t *>(p), static_cast<const std::uint8_t *>(p) + n) {}

    orv_object_kind kind() const noexcept override { return ORV_KIND_DATA; }
    bool isEqual(const ORVObject *other) const noexcept override;
    std::size_t hash() const noexcept override;
    void describeTo(std::string &out, int indent) const override;  // <0a1b ...>

    std::vector<std::uint8_t> bytes;
};

// An ordered list of objects (never null elements).
struct ORVArray : ORVObject {
    std::size_t count() const noexcept { return items.size(); }
    ORVObject *at(std::size_t i) const noexcept { return i < items.size() ? items[i].get() : nullptr; }
    void add(ORVObject *obj) { if (obj) items.push_back(orv::Ref<ORVObject>::retain(obj)); }
    void add(std::string_view text);  // adds a new string
    // A new array holding the same elements (not copies of them).
    orv::Ref<ORVArray> copy() const;

    orv_object_kind kind() const noexcept override { return ORV_KIND_ARRAY; }
    bool isEqual(const ORVObject *other) const noexcept override;
    std::size_t hash() const noexcept override;
    void describeTo(std::string &out, int indent) const override;

    std::vector<orv::Ref<ORVObject>> items;
};

namespace orv {
// Hashing and equality of object keys, for standard containers.
struct ObjectHash {
    std::size_t operator()(const Ref<ORVObject> &o) const noexcept { return o ? o->hash() : 0; }
};
struct ObjectEqual {
    bool operator()(const Ref<ORVObject> &a, const Ref<ORVObject> &b) const noexcept {
        return equal(a.get(), b.get());
    }
};
}  // namespace orv

// A map from objects (usually strings) to objects, keeping insertion order.
// Keys are compared by isEqual/hash; a key object must not change while it
// is in a dictionary (setObject stores a copy of a string key).
struct ORVDictionary : ORVObject {
    std::size_t count() const noexcept { return entries_.size(); }
    // Makes room for n entries in all.
    void reserve(std::size_t n);
    ORVObject *objectForKey(const ORVObject *key) const noexcept;
    ORVObject *objectForKey(std::string_view key) const;
    // A string value for a string key, or null when missing or not a string.
    ORVString *stringForKey(std::string_view key) const;
    // Stores value under key, replacing an equal key's value in place.
    // A null key or value is ignored.
    void setObject(ORVObject *value, ORVObject *key);
    void setObject(ORVObject *value, std::string_view key);
    void setString(std::string_view value, std::string_view key);
    // Stores value under key as given, without copying a string key: for
    // readers that hand over keys nobody else holds. When an equal key is
    // present, its value is replaced if replace is true, and false returned.
    bool putEntry(orv::Ref<ORVObject> key, orv::Ref<ORVObject> value, bool replace);
    void removeObjectForKey(const ORVObject *key);
    void removeObjectForKey(std::string_view key);
    void removeAllObjects() noexcept;
    // Keys and values in insertion order.
    const std::vector<std::pair<orv::Ref<ORVObject>, orv::Ref<ORVObject>>> &entries() const noexcept {
        return entries_;
    }
    // A new dictionary with the same keys and values (not copies of them).
    orv::Ref<ORVDictionary> copy() const;

    orv_object_kind kind() const noexcept override { return ORV_KIND_DICTIONARY; }
    // Equal when both hold equal values under equal keys, in any order.
    bool isEqual(const ORVObject *other) const noexcept override;
    std::size_t hash() const noexcept override;
    void describeTo(std::string &out, int indent) const override;

private:
    std::size_t find(const ORVObject *key) const noexcept;  // SIZE_MAX if missing
    // The first slot to probe for a key hash.
    std::size_t slotOf(std::size_t hash) const noexcept;
    // Appends an entry whose key is known to be absent.
    void append(orv::Ref<ORVObject> key, orv::Ref<ORVObject> value, std::size_t hash);
    // Rebuilds the slots for at least n entries.
    void rehash(std::size_t n);

    std::vector<std::pair<orv::Ref<ORVObject>, orv::Ref<ORVObject>>> entries_;
    // The index: hashes_[i] is the hash of entry i's key; slots_ is an open
    // addressing table (linear probing, a power of two long, at most three
    // quarters full) of entry numbers plus one, 0 marking a free slot.
    std::vector<std::size_t> hashes_;
    std::vector<std::uint32_t> slots_;
    unsigned slotBits_ = 0;
};

// A moment with the time zone it is seen in. The calendar arithmetic lives
// with the dates family; this class carries the moment, the zone's name and
// its offset from UTC at that moment.
struct ORVCalendarDate : ORVObject {
    ORVCalendarDate(std::int64_t secondsSinceEpoch, std::int32_t offsetSeconds, std::string zone)
        : seconds(secondsSinceEpoch), gmtOffset(offsetSeconds), zoneName(std::move(zone)) {}

    orv_object_kind kind() const noexcept override { return ORV_KIND_DATE; }
    // Equal when they denote the same moment.
    bool isEqual(const ORVObject *other) const noexcept override;
    std::size_t hash() const noexcept override;
    // "%Y-%m-%d %H:%M:%S %z" in the date's own offset, e.g.
    // 2024-03-01 14:05:09 +0100, quoted as a property-list string.
    void describeTo(std::string &out, int indent) const override;
    std::string calendarText() const;

    std::int64_t seconds;    // since 1970-01-01 00:00:00 UTC
    std::int32_t gmtOffset;  // seconds east of UTC
    std::string zoneName;
};

namespace orv {
// A new string object.
inline Ref<ORVString> str(std::string_view s) { return make<ORVString>(std::string(s)); }
}  // namespace orv

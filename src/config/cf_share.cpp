// The bytes of a shared table region: the name it goes by, the archive the
// exporter writes and the reader that importers run over bytes written by
// another process, which they do not trust.
#include "config/cf_share.h"

#include "platform/archive.h"
#include "platform/objects.h"

#include <climits>
#include <cstring>
#include <limits>
#include <optional>
#include <unordered_set>

namespace cf {

namespace {

bool fail(std::string *error, const char *reason) {
    if (error) *error = reason;
    return false;
}

bool name_character(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '.' || c == '_' || c == '-';
}

}  // namespace

std::string share_region_name(std::string_view share_name) {
    std::string name;
    name.reserve(share_name.size() + 1);
    name += '/';
    for (char c : share_name) name += name_character(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

bool encode_share_archive(const std::vector<NamedTable> &tables, std::vector<std::uint8_t> &out,
                          std::string *error) {
    auto dictionary = orv::make<ORVDictionary>();
    for (const auto &[name, table] : tables) {
        if (!table) continue;
        dictionary->setObject(table->archiveObject().get(), upper(name));
    }
    return orv::archive::encode(dictionary.get(), out, error);
}

namespace {

constexpr std::string_view kTableClass = "ORVConfigurationTable";
constexpr std::int64_t kTableVersion = 1;

// Reads the archive of a table dictionary without the intermediate object
// graph of the general archive decoder: importing is the start-up path of
// every process. The bytes are the ones the general encoder writes (see
// platform/archive.h and the archived forms of the two configuration
// classes); every tag, length, count and range is checked, and anything else
// is refused.
//
// The reader runs in two ways over the same checks: without building
// anything, over a whole archive, to tell whether it can be taken and where
// each group's table lies; and over one table's bytes, already checked, to
// build that table when the group is first asked for.
class TableReader {
public:
    TableReader(const std::uint8_t *bytes, std::size_t size, std::string *error, bool build)
        : begin_(bytes), p_(bytes), end_(bytes + size), error_(error), build_(build) {}

    // Checks a whole archive; groups gets each table's byte range, relative
    // to the start of the archive, in the archive's order.
    bool check(std::vector<SharedGroup> &groups) {
        std::uint32_t magic = 0, count = 0;
        std::uint16_t version = 0, flags = 0;
        if (!u32(magic) || magic != orv::archive::kMagic || !u16(version) ||
            version != orv::archive::kVersion || !u16(flags) || flags != 0)
            return fail("not an archive of this library");
        if (!dictionary(count)) return false;
        std::unordered_set<std::string_view> seen;
        for (std::uint32_t i = 0; i < count; ++i) {
            std::string_view name;
            if (!string(name)) return false;
            // Group names are written upper case; anything else was not
            // written by an exporter.
            if (name.empty() || name.find('\0') != std::string_view::npos || upper(name) != name)
                return fail("a group name is not an upper-case string");
            if (!seen.insert(name).second) return fail("a group is there twice");
            const std::size_t offset = static_cast<std::size_t>(p_ - begin_);
            if (!table(nullptr)) return false;
            const std::size_t length = static_cast<std::size_t>(p_ - begin_) - offset;
            groups.push_back({std::string(name), offset, length});
        }
        if (p_ != end_) return fail("bytes after the archive");
        return true;
    }

    // Builds the one table the bytes hold, or null.
    orv::Ref<ORVConfigurationTable> build() {
        orv::Ref<ORVConfigurationTable> result;
        if (!table(&result) || p_ != end_) return nullptr;
        return result;
    }

private:
    bool fail(const char *reason) {
        if (error_ && error_->empty()) *error_ = reason;
        return false;
    }
    bool have(std::size_t n) const { return static_cast<std::size_t>(end_ - p_) >= n; }
    bool u8(std::uint8_t &v) {
        if (!have(1)) return fail("truncated archive");
        v = *p_++;
        return true;
    }
    bool u16(std::uint16_t &v) {
        if (!have(2)) return fail("truncated archive");
        v = static_cast<std::uint16_t>(p_[0] | p_[1] << 8);
        p_ += 2;
        return true;
    }
    bool u32(std::uint32_t &v) {
        if (!have(4)) return fail("truncated archive");
        v = static_cast<std::uint32_t>(p_[0]) | static_cast<std::uint32_t>(p_[1]) << 8 |
            static_cast<std::uint32_t>(p_[2]) << 16 | static_cast<std::uint32_t>(p_[3]) << 24;
        p_ += 4;
        return true;
    }
    bool tag(char expected) {
        std::uint8_t t = 0;
        if (!u8(t)) return false;
        if (t != static_cast<std::uint8_t>(expected)) return fail("unexpected object type");
        return true;
    }
    bool string(std::string_view &out) {
        std::uint32_t n = 0;
        if (!tag('S') || !u32(n)) return false;
        if (!have(n)) return fail("truncated string");
        out = std::string_view(reinterpret_cast<const char *>(p_), n);
        p_ += n;
        return true;
    }
    bool integer(std::int64_t &out) {
        if (!tag('I') || !have(8)) return fail("truncated integer");
        std::uint64_t v = 0;
        for (int i = 7; i >= 0; --i) v = v << 8 | p_[i];
        p_ += 8;
        out = static_cast<std::int64_t>(v);
        return true;
    }
    bool boolean(bool &out) {
        std::uint8_t b = 0;
        if (!tag('B') || !u8(b)) return false;
        if (b > 1) return fail("bad boolean value");
        out = b == 1;
        return true;
    }
    // A count of entries, each of which takes at least two bytes per item.
    bool counted(char kind, std::uint32_t &count, std::size_t per_item) {
        if (!tag(kind) || !u32(count)) return false;
        if (count > static_cast<std::size_t>(end_ - p_) / per_item)
            return fail("count exceeds the archive");
        return true;
    }
    bool dictionary(std::uint32_t &count) { return counted('M', count, 2); }

    bool behaviors(cf::BehaviorMap &map) {
        std::uint32_t count = 0;
        if (!dictionary(count)) return false;
        for (std::uint32_t i = 0; i < count; ++i) {
            std::string_view name;
            std::int64_t behavior = 0;
            if (!string(name) || !integer(behavior)) return false;
            if (behavior < 0 || behavior > static_cast<std::int64_t>(UINT_MAX))
                return fail("a behavior is out of range");
            if (build_) map[upper(name)] = static_cast<unsigned>(behavior);
        }
        return true;
    }

    // One variable; out, when given, gets it built.
    bool variable(orv::Ref<ORVConfigurationVariable> *out) {
        std::uint32_t count = 0;
        if (!dictionary(count)) return false;
        std::string_view field, name;
        bool has_name = false, has_permission = false, has_values = false, has_flag = false;
        std::int64_t permission = 0;
        ORVConfigurationVariable::Values values;
        bool is_new = false;
        for (std::uint32_t i = 0; i < count; ++i) {
            if (!string(field)) return false;
            bool ok;
            if (field == "name" && !has_name) {
                ok = has_name = string(name);
            } else if (field == "permission" && !has_permission) {
                ok = has_permission = integer(permission);
                if (ok && (permission < INT_MIN || permission > INT_MAX))
                    ok = fail("variable permission is out of range");
            } else if (field == "values" && !has_values) {
                std::uint32_t n = 0;
                ok = has_values = counted('A', n, 5);
                if (ok && out) values.reserve(n);
                for (std::uint32_t v = 0; ok && v < n; ++v) {
                    std::string_view value;
                    ok = string(value);
                    if (ok && out) values.emplace_back(value);
                }
            } else if (field == "isNew" && !has_flag) {
                ok = has_flag = boolean(is_new);
            } else {
                ok = fail("variable has an unknown or repeated field");
            }
            if (!ok) return false;
        }
        if (!has_name) return fail("variable without a name");
        if (!out) return true;
        *out = ORVConfigurationVariable::variableWithName(
            std::string(name),
            has_permission ? std::optional<int>(static_cast<int>(permission)) : std::nullopt,
            has_values ? std::optional<ORVConfigurationVariable::Values>(std::move(values))
                       : std::nullopt);
        (*out)->setIsNew(is_new);
        return true;
    }

    // One table; out, when given, gets it built.
    bool table(orv::Ref<ORVConfigurationTable> *out) {
        std::uint32_t count = 0;
        if (!dictionary(count)) return false;
        enum Field { Class, Version, Values, Behaviors, Derived, Group, Wildcards, Save, kFields };
        static constexpr std::string_view kNames[kFields] = {
            "class", "version", "values", "behaviors", "derived",
            "groupBehavior", "hasBehaviorWildcards", "isSaveAllowed"};
        bool seen[kFields] = {};
        std::vector<std::pair<std::string_view, orv::Ref<ORVConfigurationVariable>>> variables;
        cf::BehaviorMap behavior_map, derived;
        std::int64_t version = 0, group = 0;
        bool flag = false;
        for (std::uint32_t i = 0; i < count; ++i) {
            std::string_view key;
            if (!string(key)) return false;
            int field = 0;
            while (field < kFields && kNames[field] != key) ++field;
            if (field == kFields || seen[field])
                return fail("table has an unknown or repeated field");
            seen[field] = true;
            bool ok = true;
            switch (field) {
            case Class: {
                std::string_view name;
                ok = string(name) && (name == kTableClass || fail("not a configuration table"));
                break;
            }
            case Version:
                ok = integer(version) && (version == kTableVersion || fail("unsupported table version"));
                break;
            case Values: {
                std::uint32_t n = 0;
                ok = dictionary(n);
                if (ok && out) variables.reserve(n);
                for (std::uint32_t v = 0; ok && v < n; ++v) {
                    std::string_view name;
                    ok = string(name);
                    if (!ok) break;
                    orv::Ref<ORVConfigurationVariable> var;
                    ok = variable(out ? &var : nullptr);
                    if (ok && out) variables.emplace_back(name, std::move(var));
                }
                break;
            }
            case Behaviors: ok = behaviors(behavior_map); break;
            case Derived: ok = behaviors(derived); break;
            case Group:
                ok = integer(group) &&
                     ((group >= 0 && group <= static_cast<std::int64_t>(UINT_MAX)) ||
                      fail("group behavior is out of range"));
                break;
            default: ok = boolean(flag); break;
            }
            if (!ok) return false;
        }
        if (!seen[Class] || !seen[Version] || !seen[Group] || !seen[Wildcards] || !seen[Save])
            return fail("table is missing a field");
        if (!out) return true;
        // The two flags follow from the behaviors, which the table works out
        // again rather than take them on trust; the pattern-match cache
        // ("derived") is checked and then built afresh as names are asked.
        auto table = ORVConfigurationTable::create(static_cast<unsigned>(group),
                                                   seen[Behaviors] ? &behavior_map : nullptr);
        if (seen[Values]) {
            // An empty list still marks the table as filled.
            table->setVariable(nullptr, std::string_view());
            for (auto &[key, var] : variables) table->setVariable(var.get(), key);
        }
        *out = std::move(table);
        return true;
    }

    const std::uint8_t *begin_;
    const std::uint8_t *p_;
    const std::uint8_t *end_;
    std::string *error_;
    const bool build_;
};

std::uint32_t length_field(const std::uint8_t *bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace

ShareRead check_share_region(const std::uint8_t *bytes, std::size_t size,
                             std::vector<SharedGroup> &groups, std::string *error) {
    groups.clear();
    if (error) error->clear();
    if (!bytes || size < kShareHeaderSize) {
        fail(error, "the region is shorter than its length field");
        return ShareRead::BadLength;
    }
    const std::uint32_t length = length_field(bytes);
    if (length == 0 || length != size - kShareHeaderSize) {
        fail(error, "the length field does not match the region's size");
        return ShareRead::BadLength;
    }
    std::vector<SharedGroup> found;
    TableReader reader(bytes + kShareHeaderSize, length, error, false);
    if (!reader.check(found)) return ShareRead::BadArchive;
    for (SharedGroup &group : found) group.offset += kShareHeaderSize;
    groups = std::move(found);
    return ShareRead::Ok;
}

orv::Ref<ORVConfigurationTable> build_shared_table(const std::uint8_t *bytes, std::size_t size) {
    if (!bytes) return nullptr;
    return TableReader(bytes, size, nullptr, true).build();
}

ShareRead decode_share_region(const std::uint8_t *bytes, std::size_t size,
                              std::vector<NamedTable> &tables, std::string *error) {
    tables.clear();
    std::vector<SharedGroup> groups;
    const ShareRead read = check_share_region(bytes, size, groups, error);
    if (read != ShareRead::Ok) return read;
    std::vector<NamedTable> built;
    built.reserve(groups.size());
    for (SharedGroup &group : groups) {
        auto table = build_shared_table(bytes + group.offset, group.size);
        if (!table) {
            fail(error, "a checked table could not be built");
            return ShareRead::BadArchive;
        }
        built.emplace_back(std::move(group.name), std::move(table));
    }
    tables = std::move(built);
    return ShareRead::Ok;
}

}  // namespace cf

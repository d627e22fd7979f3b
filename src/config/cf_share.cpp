// The bytes of a shared table region: the name it goes by, the layout the
// exporter writes and the checker that importers run over bytes written by
// another process, which they do not trust.
#include "config/cf_share.h"

#include "frame/orvchar_table.h"

#include <climits>
#include <cstring>
#include <limits>
#include <unordered_set>

namespace cf {

namespace {

bool fail(std::string *error, const char *reason) {
    if (error && error->empty()) *error = reason;
    return false;
}

bool name_character(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '.' || c == '_' || c == '-';
}

// Region content, after the length field (all numbers little-endian u32,
// every block starting at a multiple of four bytes from the region's start):
//   header:    magic "ORVF", version, group count, 0
//   directory: per group: name offset, name size, table offset, table size
//              (offsets from the start of the content)
//   names:     each group name followed by a NUL, then zeros up to four
//   tables:    one block per group, in directory order, one after the other
// A table block (offsets from the block's start):
//   tag "CFTB", group behavior, flags (kFilled, kHasBehaviors), behavior
//   count, record count, size count, text size, 0; then the records
//   (24 bytes each, as cf::Record), the value sizes, the behaviors (text
//   offset, size, bits), the text, and zeros up to four.
constexpr std::uint32_t kRegionMagic = 0x4656524F;  // "ORVF"
constexpr std::uint32_t kRegionVersion = 2;
constexpr std::uint32_t kTableTag = 0x42544643;  // "CFTB"
constexpr std::uint32_t kFilled = 0x1;
constexpr std::uint32_t kHasBehaviors = 0x2;
constexpr std::size_t kHeaderWords = 4;
constexpr std::size_t kTableHeader = 32;
constexpr std::size_t kBehaviorSize = 12;

std::uint32_t read32(const std::uint8_t *p) noexcept {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void put32(std::vector<std::uint8_t> &out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void pad4(std::vector<std::uint8_t> &out) {
    while (out.size() % 4) out.push_back(0);
}

std::uint64_t round4(std::uint64_t n) noexcept { return (n + 3) & ~std::uint64_t{3}; }

bool zeros(const std::uint8_t *p, std::size_t n) noexcept {
    for (std::size_t i = 0; i < n; ++i)
        if (p[i]) return false;
    return true;
}

// Where the parts of one checked table block lie.
struct TableLayout {
    std::uint32_t groupBehavior = 0;
    std::uint32_t flags = 0;
    std::uint32_t behaviorCount = 0;
    std::uint32_t recordCount = 0;
    std::uint32_t sizeCount = 0;
    std::uint32_t textSize = 0;
    const std::uint8_t *records = nullptr;
    const std::uint8_t *sizes = nullptr;
    const std::uint8_t *behaviors = nullptr;
    const char *text = nullptr;
};

// True when the text holds nothing that upper-casing would change, as the
// keys of a table are stored.
bool upper_case(std::string_view text) noexcept {
    // Eight bytes at a time while they are ASCII: none may lie in 'a'..'z'.
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, text.data() + i, 8);
        if (w & kHigh) break;
        if ((w + (0x80 - 'a') * kOnes) & ~(w + (0x80 - 'z' - 1) * kOnes) & kHigh) return false;
    }
    for (; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (orv::chars::kTables.upper[c] != c) return false;
    }
    return true;
}

// True for a key without a domain that reads as one with a domain.
bool looks_like_domain_key(std::string_view key) noexcept {
    return key.starts_with("SYS.") || key.starts_with("SITE.") || key.starts_with("USER.");
}

// True when a NUL ends the size bytes at offset in text.
bool terminated(const TableLayout &t, std::uint64_t offset, std::uint64_t size) noexcept {
    return offset + size < t.textSize && t.text[offset + size] == '\0';
}

// Reads the counts in the header of a table block of at least kTableHeader
// bytes, checking nothing.
void read_header(const std::uint8_t *p, TableLayout &t) noexcept {
    t.groupBehavior = read32(p + 4);
    t.flags = read32(p + 8);
    t.behaviorCount = read32(p + 12);
    t.recordCount = read32(p + 16);
    t.sizeCount = read32(p + 20);
    t.textSize = read32(p + 24);
}

// Reads where the parts of a table block of at least kTableHeader bytes
// lie, checking nothing.
void locate_table(const std::uint8_t *p, TableLayout &t) noexcept {
    read_header(p, t);
    t.records = p + kTableHeader;
    t.sizes = t.records + std::uint64_t{t.recordCount} * sizeof(Record);
    t.behaviors = t.sizes + std::uint64_t{t.sizeCount} * 4;
    t.text = reinterpret_cast<const char *>(t.behaviors + std::uint64_t{t.behaviorCount} * kBehaviorSize);
}

// Checks one table block of exactly size bytes: every count against the
// block, every offset and size against the text, every text terminated.
bool check_table(const std::uint8_t *p, std::size_t size, TableLayout &t, std::string *error) {
    if (size < kTableHeader || size % 4) return fail(error, "a table is cut short");
    if (read32(p) != kTableTag) return fail(error, "a group is not a configuration table");
    read_header(p, t);
    if (t.flags & ~(kFilled | kHasBehaviors) || read32(p + 28) != 0)
        return fail(error, "a table has unknown flags");
    if (!(t.flags & kHasBehaviors) && t.behaviorCount)
        return fail(error, "a table without behaviors lists some");
    const std::uint64_t records = kTableHeader;
    const std::uint64_t sizes = records + std::uint64_t{t.recordCount} * sizeof(Record);
    const std::uint64_t behaviors = sizes + std::uint64_t{t.sizeCount} * 4;
    const std::uint64_t text = behaviors + std::uint64_t{t.behaviorCount} * kBehaviorSize;
    const std::uint64_t end = text + t.textSize;
    if (round4(end) != size) return fail(error, "a table's counts do not match its size");
    if (!zeros(p + end, size - end)) return fail(error, "a table's padding is not zero");
    t.records = p + records;
    t.sizes = p + sizes;
    t.behaviors = p + behaviors;
    t.text = reinterpret_cast<const char *>(p + text);
    if (t.textSize && t.text[t.textSize - 1] != '\0')
        return fail(error, "a table's text does not end with a NUL");
    if (!(t.flags & kFilled) && t.recordCount)
        return fail(error, "an unfilled table holds records");

    for (std::uint32_t i = 0; i < t.behaviorCount; ++i) {
        const std::uint8_t *b = t.behaviors + i * kBehaviorSize;
        if (!terminated(t, read32(b), read32(b + 4)))
            return fail(error, "a behavior name lies outside the text");
    }
    for (std::uint32_t i = 0; i < t.recordCount; ++i) {
        Record r;
        std::memcpy(&r, t.records + i * sizeof(Record), sizeof r);
        if (r.flags & ~Record::kKnownFlags || r.flags & Record::kDead || r.domain > kNoDomain ||
            r.reserved)
            return fail(error, "a record has unknown flags or domain");
        if (!terminated(t, r.key, r.keySize)) return fail(error, "a record's key lies outside the text");
        const std::string_view key(t.text + r.key, r.keySize);
        if (!upper_case(key) || (r.domain == kNoDomain && looks_like_domain_key(key)))
            return fail(error, "a record's key is not as tables store keys");
        std::uint64_t at = std::uint64_t{r.key} + r.keySize + 1;
        if (r.flags & Record::kWrittenName) {
            if (at >= t.textSize) return fail(error, "a record's name lies outside the text");
            const void *nul = std::memchr(t.text + at, '\0', t.textSize - at);
            at = static_cast<std::uint64_t>(static_cast<const char *>(nul) - t.text) + 1;
        }
        if (r.flags & Record::kNoValues) {
            if (r.valueCount) return fail(error, "a record without values counts some");
            continue;
        }
        if (std::uint64_t{r.firstSize} + r.valueCount > t.sizeCount)
            return fail(error, "a record's values lie outside the sizes");
        for (std::uint32_t v = 0; v < r.valueCount; ++v) {
            const std::uint32_t n = read32(t.sizes + (std::uint64_t{r.firstSize} + v) * 4);
            if (!terminated(t, at, n)) return fail(error, "a record's value lies outside the text");
            at += std::uint64_t{n} + 1;
        }
    }
    return true;
}

// The table of a checked block, reading its storage in place from the bytes
// that keeper holds. Checked blocks start at multiples of four from the
// start of the region's heap block, so records and sizes are aligned.
orv::Ref<ORVConfigurationTable> make_table(const TableLayout &t,
                                           std::shared_ptr<const void> keeper) {
    BehaviorMap behaviors;
    for (std::uint32_t i = 0; i < t.behaviorCount; ++i) {
        const std::uint8_t *b = t.behaviors + i * kBehaviorSize;
        behaviors[std::string(t.text + read32(b), read32(b + 4))] = read32(b + 8);
    }
    auto table = ORVConfigurationTable::create(t.groupBehavior,
                                               (t.flags & kHasBehaviors) ? &behaviors : nullptr);
    table->borrowStorage(std::move(keeper), t.text, t.textSize,
                         reinterpret_cast<const Record *>(t.records), t.recordCount,
                         reinterpret_cast<const std::uint32_t *>(t.sizes), t.sizeCount,
                         t.flags & kFilled);
    return table;
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
    std::vector<std::pair<std::string, const ORVConfigurationTable *>> named;
    for (const auto &[name, table] : tables)
        if (table) named.emplace_back(upper(name), table.get());
    out.clear();
    put32(out, kRegionMagic);
    put32(out, kRegionVersion);
    put32(out, static_cast<std::uint32_t>(named.size()));
    put32(out, 0);
    const std::size_t directory = out.size();
    out.resize(out.size() + named.size() * 16);
    std::vector<std::uint32_t> fields;
    for (const auto &entry : named) {
        fields.push_back(static_cast<std::uint32_t>(out.size()));
        fields.push_back(static_cast<std::uint32_t>(entry.first.size()));
        out.insert(out.end(), entry.first.begin(), entry.first.end());
        out.push_back(0);
    }
    pad4(out);
    std::string text;
    std::vector<Record> records;
    std::vector<std::uint32_t> sizes;
    for (std::size_t g = 0; g < named.size(); ++g) {
        const ORVConfigurationTable &table = *named[g].second;
        table.compactedStorage(text, records, sizes);
        std::vector<std::uint32_t> behaviors;
        if (const BehaviorMap *map = table.behaviorDictionary()) {
            for (const auto &[name, bits] : *map) {
                behaviors.push_back(static_cast<std::uint32_t>(text.size()));
                behaviors.push_back(static_cast<std::uint32_t>(name.size()));
                behaviors.push_back(bits);
                text.append(name);
                text += '\0';
            }
        }
        const std::size_t start = out.size();
        put32(out, kTableTag);
        put32(out, table.groupBehavior());
        put32(out, (table.hasVariables() ? kFilled : 0) |
                       (table.behaviorDictionary() ? kHasBehaviors : 0));
        put32(out, static_cast<std::uint32_t>(behaviors.size() / 3));
        put32(out, static_cast<std::uint32_t>(records.size()));
        put32(out, static_cast<std::uint32_t>(sizes.size()));
        put32(out, static_cast<std::uint32_t>(text.size()));
        put32(out, 0);
        const auto *r = reinterpret_cast<const std::uint8_t *>(records.data());
        out.insert(out.end(), r, r + records.size() * sizeof(Record));
        for (std::uint32_t n : sizes) put32(out, n);
        for (std::uint32_t n : behaviors) put32(out, n);
        out.insert(out.end(), text.begin(), text.end());
        pad4(out);
        fields.push_back(static_cast<std::uint32_t>(start));
        fields.push_back(static_cast<std::uint32_t>(out.size() - start));
        if (out.size() > std::numeric_limits<std::uint32_t>::max() - kShareHeaderSize)
            return fail(error, "the tables are too large to share");
    }
    for (std::size_t g = 0; g < named.size(); ++g) {
        const std::uint32_t v[4] = {fields[2 * g], fields[2 * g + 1], fields[2 * named.size() + 2 * g],
                                    fields[2 * named.size() + 2 * g + 1]};
        std::memcpy(out.data() + directory + g * 16, v, sizeof v);
    }
    return true;
}

ShareRead check_share_region(const std::uint8_t *bytes, std::size_t size,
                             std::vector<SharedGroup> &groups, std::string *error) {
    groups.clear();
    if (error) error->clear();
    if (!bytes || size < kShareHeaderSize) {
        fail(error, "the region is shorter than its length field");
        return ShareRead::BadLength;
    }
    const std::uint32_t length = read32(bytes);
    if (length == 0 || length != size - kShareHeaderSize) {
        fail(error, "the length field does not match the region's size");
        return ShareRead::BadLength;
    }
    const std::uint8_t *p = bytes + kShareHeaderSize;
    if (length < kHeaderWords * 4 || read32(p) != kRegionMagic || read32(p + 4) != kRegionVersion ||
        read32(p + 12) != 0) {
        fail(error, "not a region of this layout");
        return ShareRead::BadArchive;
    }
    const std::uint64_t count = read32(p + 8);
    // The directory, the names and the tables follow one another exactly.
    std::uint64_t at = kHeaderWords * 4 + count * 16;
    if (at > length) {
        fail(error, "the directory exceeds the region");
        return ShareRead::BadArchive;
    }
    std::vector<SharedGroup> found;
    std::unordered_set<std::string_view> seen;
    for (std::uint64_t g = 0; g < count; ++g) {
        const std::uint8_t *d = p + kHeaderWords * 4 + g * 16;
        const std::uint32_t offset = read32(d), n = read32(d + 4);
        if (offset != at || std::uint64_t{offset} + n >= length || p[offset + n] != 0) {
            fail(error, "a group name lies outside its place");
            return ShareRead::BadArchive;
        }
        const std::string_view name(reinterpret_cast<const char *>(p + offset), n);
        // Group names are written upper case; anything else was not written
        // by an exporter.
        if (name.empty() || name.find('\0') != std::string_view::npos || upper(name) != name) {
            fail(error, "a group name is not an upper-case string");
            return ShareRead::BadArchive;
        }
        if (!seen.insert(name).second) {
            fail(error, "a group is there twice");
            return ShareRead::BadArchive;
        }
        found.push_back({std::string(name), 0, 0});
        at += std::uint64_t{n} + 1;
    }
    const std::uint64_t names_end = round4(at);
    if (names_end > length || !zeros(p + at, names_end - at)) {
        fail(error, "the group names are not padded");
        return ShareRead::BadArchive;
    }
    at = names_end;
    for (std::uint64_t g = 0; g < count; ++g) {
        const std::uint8_t *d = p + kHeaderWords * 4 + g * 16;
        const std::uint32_t offset = read32(d + 8), n = read32(d + 12);
        TableLayout layout;
        if (offset != at || n > length - at) {
            fail(error, "a table lies outside its place");
            return ShareRead::BadArchive;
        }
        if (!check_table(p + offset, n, layout, error)) return ShareRead::BadArchive;
        found[g].offset = kShareHeaderSize + offset;
        found[g].size = n;
        at += n;
    }
    if (at != length) {
        fail(error, "bytes after the last table");
        return ShareRead::BadArchive;
    }
    groups = std::move(found);
    return ShareRead::Ok;
}

orv::Ref<ORVConfigurationTable> build_shared_table(const std::shared_ptr<const RegionBytes> &region,
                                                   std::size_t offset, std::size_t size) {
    if (!region || offset > region->size() || size < kTableHeader ||
        size > region->size() - offset)
        return nullptr;
    TableLayout layout;
    locate_table(region->data() + offset, layout);
    return make_table(layout, region);
}

}  // namespace cf

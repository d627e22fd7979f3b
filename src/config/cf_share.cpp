// The bytes of a shared table region: the name it goes by, the archive the
// exporter writes and the reader that importers run over bytes written by
// another process, which they do not trust.
#include "config/cf_share.h"

#include "platform/archive.h"
#include "platform/objects.h"

#include <cstring>
#include <limits>

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

ShareRead decode_share_region(const std::uint8_t *bytes, std::size_t size,
                              std::vector<NamedTable> &tables, std::string *error) {
    tables.clear();
    if (!bytes || size < kShareHeaderSize) {
        fail(error, "the region is shorter than its length field");
        return ShareRead::BadLength;
    }
    const std::uint32_t length = static_cast<std::uint32_t>(bytes[0]) |
                                 static_cast<std::uint32_t>(bytes[1]) << 8 |
                                 static_cast<std::uint32_t>(bytes[2]) << 16 |
                                 static_cast<std::uint32_t>(bytes[3]) << 24;
    if (length == 0 || length != size - kShareHeaderSize) {
        fail(error, "the length field does not match the region's size");
        return ShareRead::BadLength;
    }

    orv::Ref<ORVObject> graph = orv::archive::decode(bytes + kShareHeaderSize, length, error);
    const auto *dictionary = orv::as<ORVDictionary>(graph.get());
    if (!dictionary) {
        if (graph) fail(error, "the archive is not a dictionary of tables");
        return ShareRead::BadArchive;
    }
    std::vector<NamedTable> read;
    read.reserve(dictionary->count());
    for (const auto &[key, value] : dictionary->entries()) {
        const auto *name = orv::as<ORVString>(key.get());
        // Group names are written upper case; anything else was not written
        // by an exporter.
        if (!name || name->value.empty() || name->value.find('\0') != std::string::npos ||
            upper(name->value) != name->value) {
            fail(error, "a group name is not an upper-case string");
            return ShareRead::BadArchive;
        }
        orv::Ref<ORVConfigurationTable> table = ORVConfigurationTable::fromArchive(value.get(), error);
        if (!table) return ShareRead::BadArchive;
        read.emplace_back(name->value, std::move(table));
    }
    tables = std::move(read);
    return ShareRead::Ok;
}

}  // namespace cf

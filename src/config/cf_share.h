// Sharing the table cache between processes: the region's name, its byte
// layout, and the reader that turns untrusted region bytes into tables.
//
// Region layout: u32 N (little-endian), then N bytes holding every table in
// the flat form the tables keep in memory (records, value sizes, text) with
// offsets instead of pointers, behind a magic and a version number, so that
// an importer checks the bytes once and its tables answer lookups from them
// without building anything per entry. cf_share.cpp spells the layout out.
// The region is exactly N + 4 bytes long.
#pragma once

#include "config/cf_share_cache.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cf {

// Bytes before the archive: its length.
inline constexpr std::size_t kShareHeaderSize = 4;

// The shared-memory object name of a share name: "/" and the name, with
// every character other than a letter, a digit, '.', '_' or '-' replaced by
// '_'.
std::string share_region_name(std::string_view share_name);

// The region content (after the length field) for tables (name to table),
// or false with a reason.
bool encode_share_archive(const std::vector<NamedTable> &tables, std::vector<std::uint8_t> &out,
                          std::string *error = nullptr);

// What reading a region's bytes came to.
enum class ShareRead {
    Ok,
    BadLength,   // shorter than its header, or the length does not match the size
    BadArchive,  // the archive is not a dictionary of configuration tables
};

// Checks a whole region (header and archive) of size bytes without building
// anything: every length, type, count and name is checked. On Ok, groups
// holds each group's name (upper case) and the byte range of its table within
// the region, in the archive's order.
ShareRead check_share_region(const std::uint8_t *bytes, std::size_t size,
                             std::vector<SharedGroup> &groups, std::string *error = nullptr);

// Builds the table of the range at offset of a whole region kept in memory:
// the table reads its variables from the region's bytes in place and keeps
// them alive. The range is not checked again: the region must be the one
// that check_share_region accepted, kept unchanged.
orv::Ref<ORVConfigurationTable> build_shared_table(const std::shared_ptr<const RegionBytes> &region,
                                                   std::size_t offset, std::size_t size);

}  // namespace cf

// Archives: the library's binary form of property-list object graphs, for
// handing configuration tables from one process to another.
//
// Layout (all integers little-endian):
//   magic "ORVA" | u16 version (1) | u16 flags (0) | object
//   object = u8 tag, then by tag:
//     'S' string     u32 length, bytes
//     'D' data       u32 length, bytes
//     'I' integer    i64
//     'F' floating   f64 (IEEE bits as u64)
//     'B' boolean    u8 (0 or 1)
//     'A' array      u32 count, count objects
//     'M' dictionary u32 count, count (key object, value object) pairs
//     'T' date       i64 seconds, i32 offset, u32 length, zone name bytes
// The decoder checks every length and count against the bytes it was given,
// limits nesting to kMaxDepth and refuses trailing bytes.
#pragma once

#include "platform/objects.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orv::archive {

inline constexpr std::uint32_t kMagic = 0x4156524F;  // "ORVA" read little-endian
inline constexpr std::uint16_t kVersion = 1;
inline constexpr int kMaxDepth = 256;

// The archive of obj, or false (with a message) when the graph holds an
// object that archives cannot carry or nests too deeply.
bool encode(const ORVObject *obj, std::vector<std::uint8_t> &out, std::string *error = nullptr);
// The graph in bytes[0, length), or null with a message.
Ref<ORVObject> decode(const void *bytes, std::size_t length, std::string *error = nullptr);

}  // namespace orv::archive

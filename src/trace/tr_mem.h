// The layouts of memory dumps, shared by tr_mem and by tools that show bytes
// the way every program of the family does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace orvtrace {

// Writes count bytes in one of the tr_FORMAT_ layouts to out, each row
// starting on a new line with the address that shown + offset gives (the
// bytes' own address for a dump of memory).
void dump_bytes(std::FILE *out, const unsigned char *bytes, std::size_t count, int format,
                std::uintptr_t shown);

}  // namespace orvtrace

// JSON output of orvkit's commands: Windows-1252 to UTF-8 and printing.
#include "json.h"

#include <cstdio>
#include <cstring>

namespace orvkit {

namespace {
// Code points of 0x80..0x9F in Windows-1252; the five unassigned bytes keep
// their C1 control code points, as the usual converters do.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void append_utf8(std::string &out, unsigned code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}
}  // namespace

std::string utf8(const char *cp1252) {
    std::string out;
    if (!cp1252) return out;
    out.reserve(std::strlen(cp1252));
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(cp1252); *p; ++p) {
        const unsigned c = *p;
        append_utf8(out, c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c);
    }
    return out;
}

std::string utf8(const std::string &cp1252) { return utf8(cp1252.c_str()); }

Json text(const char *cp1252) { return cp1252 ? Json(utf8(cp1252)) : Json(nullptr); }

int print_json(const Json &doc, int exit_status) {
    const std::string out = doc.dump(2) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return exit_status;
}

}  // namespace orvkit

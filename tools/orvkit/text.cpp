// Windows-1252 to UTF-8 and back, for arguments and output of orvkit.
#include "text.h"

#include <cstring>
#include <optional>

namespace orvkit {

namespace {

// Code points of Windows-1252 bytes 0x80 to 0x9F (0 where the code page
// leaves a byte unassigned); 0xA0 to 0xFF are the same as Unicode.
constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void append_utf8(std::string &out, char32_t code) {
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

std::optional<unsigned char> cp1252_byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] != 0 && kHigh[i] == cp) return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

}  // namespace

std::string utf8(const char *cp1252) {
    std::string out;
    if (!cp1252) return out;
    out.reserve(std::strlen(cp1252));
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(cp1252); *p; ++p) {
        // An unassigned byte keeps its C1 control code point.
        const char32_t high = *p >= 0x80 && *p < 0xA0 ? kHigh[*p - 0x80] : 0;
        append_utf8(out, high ? high : *p);
    }
    return out;
}

std::string utf8(const std::string &cp1252) { return utf8(cp1252.c_str()); }

std::string to_cp1252(const std::string &text) {
    std::string out;
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const auto *end = p + text.size();
    while (p < end) {
        char32_t cp;
        int extra;
        if (*p < 0x80) {
            cp = *p;
            extra = 0;
        } else if ((*p & 0xE0) == 0xC0) {
            cp = *p & 0x1F;
            extra = 1;
        } else if ((*p & 0xF0) == 0xE0) {
            cp = *p & 0x0F;
            extra = 2;
        } else if ((*p & 0xF8) == 0xF0) {
            cp = *p & 0x07;
            extra = 3;
        } else {
            return text;
        }
        if (end - p <= extra) return text;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) return text;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        // Overlong forms and surrogates are not valid UTF-8.
        static constexpr char32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMinimum[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return text;
        const std::optional<unsigned char> byte = cp1252_byte(cp);
        if (!byte) return text;
        out += static_cast<char>(*byte);
        p += extra + 1;
    }
    return out;
}

}  // namespace orvkit

// The character tables behind orvchar_ and orvstr_.
//
// The upper half of Windows-1252 (0x80 to 0xFF) is described by one fixed
// table: the plain-ASCII spelling of each byte, its letter class and its case
// partner. Bytes below 0x80 follow the C locale's classification, written out
// here so that the results never depend on a locale a client may have set.
// From both, per-byte class bits, case maps and sort keys are computed at
// compile time, so the hot comparison loops look bytes up instead of calling
// functions per byte, and nothing needs initialising before first use.
#pragma once

#include <array>
#include <cstdint>

namespace orv::chars {

// Letter classes of the upper-half table.
inline constexpr std::uint8_t kNotLetter = 0;
inline constexpr std::uint8_t kLower = 1;
inline constexpr std::uint8_t kUpper = 3;  // bit 0 = letter, bit 1 = upper case

struct UpperEntry {
    const char *ascii;     // plain-ASCII spelling, 1 to 3 characters
    std::uint8_t cls;      // kNotLetter, kLower or kUpper
    std::uint8_t partner;  // the same letter in the other case, 0 if none
};

// Entry i describes byte 0x80 + i.
inline constexpr UpperEntry kUpperHalf[128] = {
    /* 80 */ {"-", 0, 0},    {"-", 0, 0},    {"'", 0, 0},    {"_", 0, 0},
    /* 84 */ {"\"", 0, 0},   {"...", 0, 0},  {"_", 0, 0},    {"_", 0, 0},
    /* 88 */ {"_", 0, 0},    {"_", 0, 0},    {"S", 3, 0x9A}, {"<", 0, 0},
    /* 8C */ {"OE", 3, 0x9C}, {"-", 0, 0},   {"-", 0, 0},    {"-", 0, 0},
    /* 90 */ {"-", 0, 0},    {"'", 0, 0},    {"'", 0, 0},    {"\"", 0, 0},
    /* 94 */ {"\"", 0, 0},   {"*", 0, 0},    {"-", 0, 0},    {"-", 0, 0},
    /* 98 */ {"_", 0, 0},    {"TM", 0, 0},   {"s", 1, 0x8A}, {">", 0, 0},
    /* 9C */ {"oe", 1, 0x8C}, {"-", 0, 0},   {"-", 0, 0},    {"Y", 3, 0xFF},
    /* A0 */ {" ", 0, 0},    {"_", 0, 0},    {"_", 0, 0},    {"_", 0, 0},
    /* A4 */ {"_", 0, 0},    {"_", 0, 0},    {"|", 0, 0},    {"_", 0, 0},
    /* A8 */ {"_", 0, 0},    {"_", 0, 0},    {"a", 1, 0},    {"<<", 0, 0},
    /* AC */ {"_", 0, 0},    {"-", 0, 0},    {"_", 0, 0},    {"_", 0, 0},
    /* B0 */ {"_", 0, 0},    {"+-", 0, 0},   {"2", 0, 0},    {"3", 0, 0},
    /* B4 */ {"_", 0, 0},    {"_", 0, 0},    {"_", 0, 0},    {".", 0, 0},
    /* B8 */ {"_", 0, 0},    {"1", 0, 0},    {"o", 1, 0},    {">>", 0, 0},
    /* BC */ {"1/4", 0, 0},  {"1/2", 0, 0},  {"3/4", 0, 0},  {"?", 0, 0},
    /* C0 */ {"A", 3, 0xE0}, {"A", 3, 0xE1}, {"A", 3, 0xE2}, {"A", 3, 0xE3},
    /* C4 */ {"A", 3, 0xE4}, {"A", 3, 0xE5}, {"AE", 3, 0xE6}, {"C", 3, 0xE7},
    /* C8 */ {"E", 3, 0xE8}, {"E", 3, 0xE9}, {"E", 3, 0xEA}, {"E", 3, 0xEB},
    /* CC */ {"I", 3, 0xEC}, {"I", 3, 0xED}, {"I", 3, 0xEE}, {"I", 3, 0xEF},
    /* D0 */ {"TH", 3, 0xF0}, {"N", 3, 0xF1}, {"O", 3, 0xF2}, {"O", 3, 0xF3},
    /* D4 */ {"O", 3, 0xF4}, {"O", 3, 0xF5}, {"O", 3, 0xF6}, {"x", 0, 0},
    /* D8 */ {"O", 3, 0xF8}, {"U", 3, 0xF9}, {"U", 3, 0xFA}, {"U", 3, 0xFB},
    /* DC */ {"U", 3, 0xFC}, {"Y", 3, 0xFD}, {"th", 3, 0xFE}, {"ss", 1, 0},
    /* E0 */ {"a", 1, 0xC0}, {"a", 1, 0xC1}, {"a", 1, 0xC2}, {"a", 1, 0xC3},
    /* E4 */ {"a", 1, 0xC4}, {"a", 1, 0xC5}, {"ae", 1, 0xC6}, {"c", 1, 0xC7},
    /* E8 */ {"e", 1, 0xC8}, {"e", 1, 0xC9}, {"e", 1, 0xCA}, {"e", 1, 0xCB},
    /* EC */ {"i", 1, 0xCC}, {"i", 1, 0xCD}, {"i", 1, 0xCE}, {"i", 1, 0xCF},
    /* F0 */ {"TH", 1, 0xD0}, {"n", 1, 0xD1}, {"o", 1, 0xD2}, {"o", 1, 0xD3},
    /* F4 */ {"o", 1, 0xD4}, {"o", 1, 0xD5}, {"o", 1, 0xD6}, {"/", 0, 0},
    /* F8 */ {"o", 1, 0xD8}, {"u", 1, 0xD9}, {"u", 1, 0xDA}, {"u", 1, 0xDB},
    /* FC */ {"u", 1, 0xDC}, {"y", 1, 0xDD}, {"th", 1, 0xDE}, {"y", 1, 0x9F},
};

// Class bits of one byte.
enum : std::uint16_t {
    kAlpha = 1u << 0,
    kUpperCase = 1u << 1,
    kLowerCase = 1u << 2,
    kDigit = 1u << 3,
    kPrint = 1u << 4,
    kSpace = 1u << 5,
    kCntrl = 1u << 6,
    kPunct = 1u << 7,
    // The C locale's white space and control characters (upper half: neither).
    kCSpace = 1u << 8,
    kCCntrl = 1u << 9,
};

// The C locale's classification of one byte below 0x80.
constexpr bool c_upper(unsigned b) { return b >= 'A' && b <= 'Z'; }
constexpr bool c_lower(unsigned b) { return b >= 'a' && b <= 'z'; }
constexpr bool c_digit(unsigned b) { return b >= '0' && b <= '9'; }
constexpr bool c_space(unsigned b) { return b == ' ' || (b >= '\t' && b <= '\r'); }
constexpr bool c_cntrl(unsigned b) { return b < 0x20 || b == 0x7F; }
constexpr bool c_print(unsigned b) { return b >= 0x20 && b < 0x7F; }
constexpr unsigned c_toupper(unsigned b) { return c_lower(b) ? b - 'a' + 'A' : b; }
constexpr unsigned c_tolower(unsigned b) { return c_upper(b) ? b - 'A' + 'a' : b; }

struct Tables {
    std::array<std::uint16_t, 256> bits{};
    std::array<unsigned char, 256> upper{};
    std::array<unsigned char, 256> lower{};
    std::array<int, 256> sort{};
    // fold[b] = sort[upper[b]], the key of folded comparisons; 0xDF gets a key
    // that equals nothing else, so the loops see it and apply the "SS" rule.
    std::array<int, 256> fold{};
};

inline constexpr int kSharpS = 0xDF;
inline constexpr int kSharpSFold = 0x1000;

constexpr Tables make_tables() {
    Tables t{};
    for (unsigned b = 0; b < 256; ++b) {
        std::uint16_t bits = 0;
        if (b < 0x80) {
            const bool alpha = c_upper(b) || c_lower(b);
            if (alpha) bits |= kAlpha;
            if (c_upper(b)) bits |= kUpperCase;
            if (c_lower(b)) bits |= kLowerCase;
            if (c_digit(b)) bits |= kDigit;
            if (c_print(b)) bits |= kPrint;
            if (c_space(b)) bits |= kSpace | kCSpace;
            if (c_cntrl(b)) bits |= kCntrl | kCCntrl;
            if (!alpha && !c_digit(b) && !c_cntrl(b)) bits |= kPunct;
            t.upper[b] = static_cast<unsigned char>(c_toupper(b));
            t.lower[b] = static_cast<unsigned char>(c_tolower(b));
            t.sort[b] = static_cast<int>(b);
        } else {
            const UpperEntry &e = kUpperHalf[b - 0x80];
            const unsigned first = static_cast<unsigned char>(e.ascii[0]);
            const bool letter = (e.cls & 1) != 0;
            if (letter) bits |= kAlpha;
            if (e.cls == kUpper) bits |= kUpperCase;
            if (e.cls == kLower) bits |= kLowerCase;
            const bool unprintable = b == 0x80 || b == 0x81 || b == 0x8D || b == 0x8E ||
                                     b == 0x8F || b == 0x90 || b == 0x9D || b == 0x9E;
            if (!unprintable) bits |= kPrint;
            if (!letter || b == 0xA0) bits |= kSpace;
            if (!letter) bits |= kCntrl | kPunct;
            t.upper[b] = static_cast<unsigned char>(
                e.cls == kLower ? (e.partner ? e.partner : c_toupper(first)) : b);
            t.lower[b] = static_cast<unsigned char>(
                e.cls == kUpper ? (e.partner ? e.partner : c_tolower(first)) : b);
            t.sort[b] = letter ? static_cast<int>(first) : static_cast<int>(b) - 256;
        }
        t.bits[b] = bits;
    }
    for (unsigned b = 0; b < 256; ++b) t.fold[b] = t.sort[t.upper[b]];
    t.fold[kSharpS] = kSharpSFold;
    return t;
}

inline constexpr Tables kTables = make_tables();

constexpr unsigned char byte(char c) { return static_cast<unsigned char>(c); }
constexpr bool has(char c, std::uint16_t bit) { return (kTables.bits[byte(c)] & bit) != 0; }

}  // namespace orv::chars

// orvstr_: copying, comparison, case mapping, truth words and the shaping of
// zero-terminated Windows-1252 strings. Nothing here allocates except
// orvstr_dup; every function that accepts null says so in orvstr.h.
#include "frame/orvchar_table.h"

#include <ORVCommonKit/orvstr.h>

#include <cstdlib>
#include <cstring>

using namespace orv::chars;

namespace {

using uchar = unsigned char;

// The folded key of a byte as the comparison rules define it: the sort order
// of its upper-case form ("\xDF" gives 'S').
inline int real_fold(uchar b) { return kTables.sort[kTables.upper[b]]; }

// Characters that loose comparison steps over.
inline bool loose_skips(uchar b) { return (kTables.bits[b] & (kSpace | kPunct)) != 0; }

// White space and control characters of the C locale (upper half: neither).
inline bool c_white(char c) { return has(c, kCSpace); }
inline bool c_control(char c) { return has(c, kCCntrl); }

// Compares the current characters of a and b (both nonzero) when their fold
// keys differ or one is "\xDF": applies the "\xDF" = "SS" rule, returns the
// difference, and on equality steps both strings (one of them by two when a
// "\xDF" matched two S's).
int fold_step_slow(const uchar *&a, const uchar *&b) {
    const int xa = real_fold(*a);
    const int xb = real_fold(*b);
    int d = xa - xb;
    if (*a == kSharpS) {
        if (*b == kSharpS) {
            d = 0;
        } else if (xb == 'S') {
            if (real_fold(b[1]) == 'S') {
                d = 0;
                ++b;
            } else {
                d = 1;
            }
        }
    } else if (*b == kSharpS && xa == 'S') {
        if (real_fold(a[1]) == 'S') {
            d = 0;
            ++a;
        } else {
            d = -1;
        }
    }
    if (d != 0) return d;
    ++a;
    ++b;
    return 0;
}

// One step of folded comparison; the common case is one table look-up per side.
inline int fold_step(const uchar *&a, const uchar *&b) {
    if (kTables.fold[*a] == kTables.fold[*b]) {  // also both "\xDF"
        ++a;
        ++b;
        return 0;
    }
    return fold_step_slow(a, b);
}

bool all_loose_skips(const uchar *s) {
    for (; *s; ++s)
        if (!loose_skips(*s)) return false;
    return true;
}

const uchar *bytes(const char *s) { return reinterpret_cast<const uchar *>(s); }

}  // namespace

extern "C" {

char *orvstr_dup(const char *s) {
    if (!s) return nullptr;
    const std::size_t size = std::strlen(s) + 1;
    char *copy = static_cast<char *>(std::malloc(size));
    if (copy) std::memcpy(copy, s, size);
    return copy;
}

void orvstr_free(char *s) { std::free(s); }

char *orvstr_cpy(char *dst, const char *src, int n) {
    if (!dst) return nullptr;
    if (n < 0) n = 0;
    int i = 0;
    if (src)
        for (; i < n && src[i]; ++i) dst[i] = src[i];
    dst[i] = '\0';
    return dst;
}

char *orvstr_cat(char *dst, const char *src, int n) {
    if (!dst) return nullptr;
    if (!src) return dst;
    int len = static_cast<int>(std::strlen(dst));
    if (len >= n) return dst;
    for (; len < n && *src; ++len, ++src) dst[len] = *src;
    dst[len] = '\0';
    return dst;
}

int orvstr_len(const char *s) { return s ? static_cast<int>(std::strlen(s)) : 0; }

int orvstr_cmp(const char *a, const char *b) {
    if (!a) return (b && *b) ? -1 : 0;
    if (!b) return *a ? 1 : 0;
    return std::strcmp(a, b);
}

int orvstr_ncmp(const char *a, const char *b, int n) {
    if (n <= 0) return 0;
    if (!a) return (b && *b) ? -1 : 0;
    if (!b) return *a ? 1 : 0;
    return std::strncmp(a, b, static_cast<std::size_t>(n));
}

int orvstr_equ(const char *a, const char *b) { return orvstr_cmp(a, b) == 0; }

int orvstr_icmp(const char *sa, const char *sb) {
    if (sa == sb) return 0;
    if (!sa) return *sb ? -1 : 0;
    if (!sb) return *sa ? 1 : 0;
    const uchar *a = bytes(sa);
    const uchar *b = bytes(sb);
    while (*a && *b) {
        const int d = fold_step(a, b);
        if (d != 0) return d;
    }
    if (!*a && !*b) return 0;
    return *a ? 1 : -1;
}

int orvstr_loose_cmp(const char *sa, const char *sb, int loose) {
    if (!loose) return orvstr_icmp(sa, sb);
    if (sa == sb) return 0;
    if (!sa) return *sb ? -1 : 0;
    if (!sb) return *sa ? 1 : 0;
    const uchar *a = bytes(sa);
    const uchar *b = bytes(sb);
    while (*a && *b) {
        if (loose_skips(*a)) {
            ++a;
            continue;
        }
        if (loose_skips(*b)) {
            ++b;
            continue;
        }
        const int d = fold_step(a, b);
        if (d != 0) return d;
    }
    if (!*a) return all_loose_skips(b) ? 0 : -1;
    return all_loose_skips(a) ? 0 : 1;
}

int orvstr_nicmp(const char *sa, const char *sb, int n) {
    if (!sa) return sb ? -1 : 0;
    if (!sb) return 1;
    const uchar *a = bytes(sa);
    const uchar *b = bytes(sb);
    const uchar *const start = a;
    for (;;) {
        if (a - start >= n) return 0;
        if (!*a) return *b ? -1 : 0;
        if (!*b) return 1;
        const int d = fold_step(a, b);
        if (d != 0) return d;
    }
}

char *orvstr_lwr(char *s) {
    if (!s) return nullptr;
    for (char *p = s; *p; ++p) *p = static_cast<char>(kTables.lower[byte(*p)]);
    return s;
}

char *orvstr_upr(char *s) {
    if (!s) return nullptr;
    for (char *p = s; *p; ++p) *p = static_cast<char>(kTables.upper[byte(*p)]);
    return s;
}

char *orvstr_xlwr(char *dst, const char *src, int n) {
    if (!dst) return nullptr;
    int i = 0;
    if (src)
        for (; i < n && src[i]; ++i) dst[i] = static_cast<char>(kTables.lower[byte(src[i])]);
    dst[i] = '\0';
    return dst;
}

char *orvstr_xupr(char *dst, const char *src, int n) {
    if (!dst) return nullptr;
    int out = 0;
    if (src) {
        for (; out < n && *src; ++src) {
            if (byte(*src) == kSharpS) {
                dst[out++] = 'S';
                if (out < n) dst[out++] = 'S';
            } else {
                dst[out++] = static_cast<char>(kTables.upper[byte(*src)]);
            }
        }
    }
    dst[out] = '\0';
    return dst;
}

const char *orvstr_from_bool(int flag) { return flag ? "YES" : "NO"; }

int orvstr_to_bool(const char *s, int *out) {
    static const char *const kFalse[] = {"FALSE", "F", "NO", "N", "OFF", "DISABLE"};
    static const char *const kTrue[] = {"TRUE", "T", "YES", "Y", "ON", "ENABLE"};
    if (!s) return 0;
    int value = -1;
    if (std::strcmp(s, "0") == 0) value = 0;
    for (const char *word : kFalse)
        if (value < 0 && orvstr_icmp(s, word) == 0) value = 0;
    if (value < 0 && std::strcmp(s, "1") == 0) value = 1;
    for (const char *word : kTrue)
        if (value < 0 && orvstr_icmp(s, word) == 0) value = 1;
    if (value < 0) return 0;
    if (out) *out = value;
    return 1;
}

char *orvstr_set(char *s, char c) {
    if (!s) return nullptr;
    for (char *p = s; *p; ++p) *p = c;
    return s;
}

int orvstr_fill(char *s, char c, int n) {
    if (!s || n < 0) return 0;
    std::memset(s, static_cast<uchar>(c), static_cast<std::size_t>(n));
    s[n] = '\0';
    return n;
}

char *orvstr_pad(char *s, int width) {
    if (!s || width < 0) return s;
    int len = 0;
    while (len < width && s[len]) ++len;
    for (; len < width; ++len) s[len] = ' ';
    s[width] = '\0';
    return s;
}

char *orvstr_trim(char *s) {
    if (!s) return s;
    std::size_t len = std::strlen(s);
    while (len > 0 && s[len - 1] == ' ') --len;
    s[len] = '\0';
    return s;
}

char *orvstr_normalize(char *s) {
    if (!s) return nullptr;
    char *out = s;
    for (const char *in = s; *in; ++in)
        if (!c_control(*in)) *out++ = *in;
    *out = '\0';
    while (out > s && c_white(out[-1])) *--out = '\0';
    const char *first = s;
    while (*first && c_white(*first)) ++first;
    if (first != s) std::memmove(s, first, static_cast<std::size_t>(out - first) + 1);
    return s;
}

char *orvstr_strip(char *s) {
    if (!s) return nullptr;
    char *out = s;
    for (const char *in = s; *in; ++in)
        if (!has(*in, kCntrl | kSpace)) *out++ = *in;
    *out = '\0';
    return s;
}

char *orvstr_firstchar(char *s) {
    if (!s) return nullptr;
    for (; *s; ++s)
        if (!c_white(*s)) return s;
    return nullptr;
}

char *orvstr_lastchar(char *s) {
    if (!s) return nullptr;
    char *last = nullptr;
    for (; *s; ++s)
        if (!c_white(*s)) last = s;
    return last;
}

char *orvstr_leftjust(char *s) {
    if (!s) return s;
    char *first = orvstr_firstchar(s);
    if (!first || first == s) return s;
    const char *last = orvstr_lastchar(first);
    const std::size_t len = std::strlen(s);
    const std::size_t text = static_cast<std::size_t>(last - first) + 1;
    std::memmove(s, first, text);
    std::memset(s + text, ' ', len - text);
    return s;
}

char *orvstr_rightjust(char *s) {
    if (!s) return s;
    char *first = orvstr_firstchar(s);
    if (!first) return s;
    const char *last = orvstr_lastchar(first);
    const std::size_t len = std::strlen(s);
    const std::size_t text = static_cast<std::size_t>(last - first) + 1;
    std::memmove(s + len - text, first, text);
    std::memset(s, ' ', len - text);
    return s;
}

int orvstr_has_white_space(const char *s) {
    if (!s) return 0;
    for (; *s; ++s)
        if (c_white(*s)) return 1;
    return 0;
}

int orvstr_has_non_white_space(const char *s) {
    if (!s) return 0;
    for (; *s; ++s)
        if (!c_white(*s)) return 1;
    return 0;
}

int orvstr_is_ascii(const char *s) {
    if (!s) return 1;
    for (; *s; ++s)
        if (byte(*s) >= 0x80) return 0;
    return 1;
}

void orvstr_to_ascii(char *dst, const char *src, int n) {
    if (!dst) return;
    int out = 0;
    if (src) {
        for (; out < n && *src; ++src) {
            if (byte(*src) < 0x80) {
                dst[out++] = *src;
            } else {
                for (const char *t = kUpperHalf[byte(*src) - 0x80].ascii; *t && out < n; ++t)
                    dst[out++] = *t;
            }
        }
    }
    dst[out] = '\0';
}

}  // extern "C"

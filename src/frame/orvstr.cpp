// orvstr_: copying, comparison, case mapping, truth words and the shaping of
// zero-terminated Windows-1252 strings. Nothing here allocates except
// orvstr_dup; every function that accepts null says so in orvstr.h.
#include "frame/orvchar_table.h"

#include <ORVCommonKit/orvstr.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The outcome of comparing one character of each side: the difference, and
// how far each side moves on equality.
struct Step {
    int d;
    int step_a;
    int step_b;
};

// Compares the current characters of a and b (both nonzero) when one of them
// is "\xDF", applying the rule that "\xDF" equals "SS".
Step fold_step_slow(const uchar *a, const uchar *b) {
    const int xa = real_fold(*a);
    const int xb = real_fold(*b);
    if (*a == kSharpS) {
        if (*b == kSharpS) return {0, 1, 1};
        if (xb == 'S') return real_fold(b[1]) == 'S' ? Step{0, 1, 2} : Step{1, 0, 0};
    } else if (*b == kSharpS && xa == 'S') {
        return real_fold(a[1]) == 'S' ? Step{0, 2, 1} : Step{-1, 0, 0};
    }
    return {xa - xb, 1, 1};
}

// One step of folded comparison; the common case is one table look-up per side.
// Returns the difference; on equality both pointers have moved on.
inline int fold_step(const uchar *&a, const uchar *&b) {
    const int fa = kTables.fold[*a];
    const int fb = kTables.fold[*b];
    if (fa == fb) {  // also both "\xDF"
        ++a;
        ++b;
        return 0;
    }
    if (*a != kSharpS && *b != kSharpS) return fa - fb;
    const Step step = fold_step_slow(a, b);
    if (step.d == 0) {
        a += step.step_a;
        b += step.step_b;
    }
    return step.d;
}

// Sixteen bytes at a time over plain-ASCII runs (where the processor has
// SSE2; elsewhere the character loop does all the work). A block is read only
// when it lies in the same memory page as the current byte, so the read can
// never fault even when it runs past the terminator; the bytes past it never
// count. The load is kept out of the address sanitizer's view for that
// reason: it is the one place that reads beyond a string on purpose.
#if defined(__SSE2__)
constexpr bool kHaveBlocks = true;
constexpr std::size_t kBlock = 16;
constexpr std::uintptr_t kPageSize = 4096;

inline bool block_fits_in_page(const uchar *p) {
    return (reinterpret_cast<std::uintptr_t>(p) & (kPageSize - 1)) <= kPageSize - kBlock;
}

__attribute__((no_sanitize_address)) inline __m128i load_block(const uchar *p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
}

// Bytes 1 to 0x7F as 0xFF (bytes read as signed: 0 and the upper half are not
// above zero), and their fold keys: 'a' to 'z' upper-cased.
inline __m128i plain_ascii(__m128i x) { return _mm_cmpgt_epi8(x, _mm_setzero_si128()); }
inline __m128i ascii_fold(__m128i x) {
    const __m128i lower = _mm_and_si128(_mm_cmpgt_epi8(x, _mm_set1_epi8('a' - 1)),
                                        _mm_cmplt_epi8(x, _mm_set1_epi8('z' + 1)));
    return _mm_sub_epi8(x, _mm_and_si128(lower, _mm_set1_epi8(0x20)));
}

// The number of leading characters on which a and b are plain ASCII, not the
// terminator, and equal after folding; kBlock when the whole block is.
inline std::size_t ascii_equal_prefix(const uchar *a, const uchar *b) {
    const __m128i x = load_block(a);
    const __m128i y = load_block(b);
    const __m128i same = _mm_and_si128(_mm_cmpeq_epi8(ascii_fold(x), ascii_fold(y)),
                                       _mm_and_si128(plain_ascii(x), plain_ascii(y)));
    const unsigned stop = ~static_cast<unsigned>(_mm_movemask_epi8(same)) & 0xFFFFu;
    return stop ? static_cast<std::size_t>(std::countr_zero(stop)) : kBlock;
}
#else
constexpr bool kHaveBlocks = false;
constexpr std::size_t kBlock = 16;
inline bool block_fits_in_page(const uchar *) { return false; }
inline std::size_t ascii_equal_prefix(const uchar *, const uchar *) { return 0; }
#endif

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
    for (;;) {
        // Whole blocks while both sides are plain ASCII and agree ...
        while (kHaveBlocks && block_fits_in_page(a) && block_fits_in_page(b)) {
            const std::size_t same = ascii_equal_prefix(a, b);
            a += same;
            b += same;
            if (same < kBlock) break;
        }
        // ... then character by character where blocks could not decide.
        for (std::size_t i = 0; i < kBlock; ++i) {
            if (!*a || !*b) {
                if (!*a && !*b) return 0;
                return *a ? 1 : -1;
            }
            const int d = fold_step(a, b);
            if (d != 0) return d;
        }
    }
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

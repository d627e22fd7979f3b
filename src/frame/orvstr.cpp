// orvstr_: copying, comparison, case mapping, truth words and the shaping of
// zero-terminated Windows-1252 strings. Nothing here allocates except
// orvstr_dup; every function that accepts null says so in orvstr.h.
#include "frame/orvchar_table.h"
#include "frame/orvstr_testing.h"

#include <ORVCommonKit/orvstr.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
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

// Whole blocks of bytes at a time over plain-ASCII runs: 32 where the
// processor has AVX2, 16 with SSE2 (every x86-64), none elsewhere (the
// character loop does all the work). A block is read only when it lies in the
// same memory page as the current byte, so the read can never fault even when
// it runs past the terminator; the bytes past it never count. The loads are
// kept out of the address and thread sanitizers' view for that reason: they
// are the one place that reads beyond a string on purpose.
constexpr std::uintptr_t kPageSize = 4096;

template <std::size_t kSize>
inline bool blocks_fit_in_page(const uchar *a, const uchar *b) {
    const std::uintptr_t offseta = reinterpret_cast<std::uintptr_t>(a) & (kPageSize - 1);
    const std::uintptr_t offsetb = reinterpret_cast<std::uintptr_t>(b) & (kPageSize - 1);
    return (offseta <= kPageSize - kSize) & (offsetb <= kPageSize - kSize);
}

// Each kind of block gives, for the blocks at a and b, a bit for each
// position where the character loop must decide: the folded bytes differ, or
// a's byte is the terminator (then b's is too, or they would differ).
// Identical bytes never stop, wherever they are from: the character loop
// would step over them as equal as well. Bytes of the upper half that are not
// identical stop, since only the table knows whether they fold alike.
//
// Plain-ASCII folding upper-cases 'a' to 'z' and leaves every other byte:
// adding 31 moves 'a'..'z' to the 26 lowest signed byte values, so one signed
// comparison finds them. At the end, min(0xFF, x) is x, zero only at the
// terminator, and min(0, x) is zero.
constexpr char kLetterShift = static_cast<char>(0x80 - 'a');
constexpr char kLetterLimit = -128 + 26;

struct NoBlocks {
    static constexpr std::size_t kSize = 1;
    static bool fit(const uchar *, const uchar *) { return false; }
    static unsigned stops(const uchar *, const uchar *) { return 1; }
};

#if defined(__SSE2__)
struct Sse2Blocks {
    static constexpr std::size_t kSize = 16;
    static bool fit(const uchar *a, const uchar *b) { return blocks_fit_in_page<kSize>(a, b); }

    __attribute__((no_sanitize("address", "thread"))) static __m128i load(const uchar *p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    }
    static __m128i fold(__m128i x) {
        const __m128i moved = _mm_add_epi8(x, _mm_set1_epi8(kLetterShift));
        const __m128i lower = _mm_cmplt_epi8(moved, _mm_set1_epi8(kLetterLimit));
        return _mm_sub_epi8(x, _mm_and_si128(lower, _mm_set1_epi8(0x20)));
    }
    static unsigned stops(const uchar *a, const uchar *b) {
        const __m128i x = load(a);
        const __m128i same = _mm_cmpeq_epi8(fold(x), fold(load(b)));
        const __m128i stop = _mm_cmpeq_epi8(_mm_min_epu8(same, x), _mm_setzero_si128());
        return static_cast<unsigned>(_mm_movemask_epi8(stop));
    }
};
using BaseBlocks = Sse2Blocks;
#else
using BaseBlocks = NoBlocks;
#endif

#if defined(__x86_64__) && defined(__SSE2__)
#define ORV_AVX2_BLOCKS 1
struct Avx2Blocks {
    static constexpr std::size_t kSize = 32;
    static bool fit(const uchar *a, const uchar *b) { return blocks_fit_in_page<kSize>(a, b); }

    [[gnu::target("avx2")]] __attribute__((no_sanitize("address", "thread"))) static __m256i load(const uchar *p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
    }
    [[gnu::target("avx2")]] static __m256i fold(__m256i x) {
        const __m256i moved = _mm256_add_epi8(x, _mm256_set1_epi8(kLetterShift));
        const __m256i lower = _mm256_cmpgt_epi8(_mm256_set1_epi8(kLetterLimit), moved);
        return _mm256_sub_epi8(x, _mm256_and_si256(lower, _mm256_set1_epi8(0x20)));
    }
    [[gnu::target("avx2")]] static unsigned stops(const uchar *a, const uchar *b) {
        const __m256i x = load(a);
        const __m256i same = _mm256_cmpeq_epi8(fold(x), fold(load(b)));
        const __m256i stop = _mm256_cmpeq_epi8(_mm256_min_epu8(same, x), _mm256_setzero_si256());
        return static_cast<unsigned>(_mm256_movemask_epi8(stop));
    }
};

// Decided once, before main; a comparison made earlier uses SSE2 blocks.
const bool Have_avx2 = __builtin_cpu_supports("avx2");
#endif

// Folded comparison of a and b (neither null). With kLimited, only the first
// n characters of a count, as orvstr_nicmp wants. Both text ends and plain
// ASCII differences found in a block are decided at once; bytes of the upper
// half go through fold_step one at a time until both sides are plain ASCII
// again.
template <class Blocks, bool kLimited>
int folded_compare(const uchar *a, const uchar *b, std::size_t n) {
    const uchar *const start = a;
    for (;;) {
        if (Blocks::fit(a, b)) {
            const unsigned stops = Blocks::stops(a, b);
            if (stops == 0) {
                a += Blocks::kSize;
                b += Blocks::kSize;
                if (kLimited && static_cast<std::size_t>(a - start) >= n) return 0;
                continue;
            }
            const auto at = static_cast<std::size_t>(std::countr_zero(stops));
            if (kLimited && static_cast<std::size_t>(a - start) + at >= n) return 0;
            a += at;
            b += at;
            if (((*a | *b) & 0x80) == 0) {
                if (!*a) return *b ? -1 : 0;
                if (!*b) return 1;
                return kTables.fold[*a] - kTables.fold[*b];
            }
        }
        do {
            if (kLimited && static_cast<std::size_t>(a - start) >= n) return 0;
            if (!*a) return *b ? -1 : 0;
            if (!*b) return 1;
            const int d = fold_step(a, b);
            if (d != 0) return d;
        } while (((*a | *b) & 0x80) != 0);
    }
}

#if ORV_AVX2_BLOCKS
template <bool kLimited>
[[gnu::target("avx2"), gnu::flatten]] int folded_compare_avx2(const uchar *a, const uchar *b, std::size_t n) {
    return folded_compare<Avx2Blocks, kLimited>(a, b, n);
}
#endif

// The comparison with the widest blocks this processor has.
template <bool kLimited>
inline int folded_compare(const uchar *a, const uchar *b, std::size_t n) {
#if ORV_AVX2_BLOCKS
    if (Have_avx2) return folded_compare_avx2<kLimited>(a, b, n);
#endif
    return folded_compare<BaseBlocks, kLimited>(a, b, n);
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
    return folded_compare<false>(bytes(sa), bytes(sb), 0);
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
    if (n <= 0) return 0;
    return folded_compare<true>(bytes(sa), bytes(sb), static_cast<std::size_t>(n));
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

namespace orv::strings::testing {

bool folded_compare_with_blocks(int block_bytes, const char *sa, const char *sb, long n, int *result) {
    const uchar *a = bytes(sa);
    const uchar *b = bytes(sb);
    const auto limit = static_cast<std::size_t>(n < 0 ? 0 : n);
    auto run = [&](auto compare_unlimited, auto compare_limited) {
        *result = n < 0 ? compare_unlimited(a, b, 0) : n == 0 ? 0 : compare_limited(a, b, limit);
        return true;
    };
    switch (block_bytes) {
        case 0: return run(folded_compare<NoBlocks, false>, folded_compare<NoBlocks, true>);
#if defined(__SSE2__)
        case 16: return run(folded_compare<Sse2Blocks, false>, folded_compare<Sse2Blocks, true>);
#endif
#if ORV_AVX2_BLOCKS
        case 32: return Have_avx2 && run(folded_compare_avx2<false>, folded_compare_avx2<true>);
#endif
        default: return false;
    }
}

}  // namespace orv::strings::testing

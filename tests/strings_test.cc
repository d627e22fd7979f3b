// Characters and strings in Windows-1252: the upper-half table, classification,
// folded comparison, copying, case mapping, truth words and shaping.
#include <ORVCommonKit/orvstr.h>

#include "frame/orvstr_testing.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

char ch(int byte) { return static_cast<char>(byte); }

// The upper half of the code page, written out as runs of bytes that share a
// spelling and class; the partner advances with the byte.
struct ByteRun {
    int from, to;
    const char *ascii;
    int cls;      // 0 not a letter, 1 lower case, 3 upper case
    int partner;  // partner of `from`, 0 for none
};

const std::vector<ByteRun> &upper_half_listing() {
    static const std::vector<ByteRun> runs = {
        // not letters
        {0x80, 0x81, "-", 0, 0}, {0x82, 0x82, "'", 0, 0}, {0x83, 0x83, "_", 0, 0},
        {0x84, 0x84, "\"", 0, 0}, {0x85, 0x85, "...", 0, 0}, {0x86, 0x89, "_", 0, 0},
        {0x8B, 0x8B, "<", 0, 0}, {0x8D, 0x90, "-", 0, 0}, {0x91, 0x92, "'", 0, 0},
        {0x93, 0x94, "\"", 0, 0}, {0x95, 0x95, "*", 0, 0}, {0x96, 0x97, "-", 0, 0},
        {0x98, 0x98, "_", 0, 0}, {0x99, 0x99, "TM", 0, 0}, {0x9B, 0x9B, ">", 0, 0},
        {0x9D, 0x9E, "-", 0, 0}, {0xA0, 0xA0, " ", 0, 0}, {0xA1, 0xA5, "_", 0, 0},
        {0xA6, 0xA6, "|", 0, 0}, {0xA7, 0xA9, "_", 0, 0}, {0xAB, 0xAB, "<<", 0, 0},
        {0xAC, 0xAC, "_", 0, 0}, {0xAD, 0xAD, "-", 0, 0}, {0xAE, 0xB0, "_", 0, 0},
        {0xB1, 0xB1, "+-", 0, 0}, {0xB2, 0xB2, "2", 0, 0}, {0xB3, 0xB3, "3", 0, 0},
        {0xB4, 0xB6, "_", 0, 0}, {0xB7, 0xB7, ".", 0, 0}, {0xB8, 0xB8, "_", 0, 0},
        {0xB9, 0xB9, "1", 0, 0}, {0xBB, 0xBB, ">>", 0, 0}, {0xBC, 0xBC, "1/4", 0, 0},
        {0xBD, 0xBD, "1/2", 0, 0}, {0xBE, 0xBE, "3/4", 0, 0}, {0xBF, 0xBF, "?", 0, 0},
        {0xD7, 0xD7, "x", 0, 0}, {0xF7, 0xF7, "/", 0, 0},
        // upper case
        {0x8A, 0x8A, "S", 3, 0x9A}, {0x8C, 0x8C, "OE", 3, 0x9C}, {0x9F, 0x9F, "Y", 3, 0xFF},
        {0xC0, 0xC5, "A", 3, 0xE0}, {0xC6, 0xC6, "AE", 3, 0xE6}, {0xC7, 0xC7, "C", 3, 0xE7},
        {0xC8, 0xCB, "E", 3, 0xE8}, {0xCC, 0xCF, "I", 3, 0xEC}, {0xD0, 0xD0, "TH", 3, 0xF0},
        {0xD1, 0xD1, "N", 3, 0xF1}, {0xD2, 0xD6, "O", 3, 0xF2}, {0xD8, 0xD8, "O", 3, 0xF8},
        {0xD9, 0xDC, "U", 3, 0xF9}, {0xDD, 0xDD, "Y", 3, 0xFD}, {0xDE, 0xDE, "th", 3, 0xFE},
        // lower case
        {0x9A, 0x9A, "s", 1, 0x8A}, {0x9C, 0x9C, "oe", 1, 0x8C}, {0xAA, 0xAA, "a", 1, 0},
        {0xBA, 0xBA, "o", 1, 0}, {0xDF, 0xDF, "ss", 1, 0}, {0xE0, 0xE5, "a", 1, 0xC0},
        {0xE6, 0xE6, "ae", 1, 0xC6}, {0xE7, 0xE7, "c", 1, 0xC7}, {0xE8, 0xEB, "e", 1, 0xC8},
        {0xEC, 0xEF, "i", 1, 0xCC}, {0xF0, 0xF0, "TH", 1, 0xD0}, {0xF1, 0xF1, "n", 1, 0xD1},
        {0xF2, 0xF6, "o", 1, 0xD2}, {0xF8, 0xF8, "o", 1, 0xD8}, {0xF9, 0xFC, "u", 1, 0xD9},
        {0xFD, 0xFD, "y", 1, 0xDD}, {0xFE, 0xFE, "th", 1, 0xDE}, {0xFF, 0xFF, "y", 1, 0x9F},
    };
    return runs;
}

// ---------------------------------------------------------------------------
// The upper-half table

TEST(UpperHalfTable, ListingCoversEveryByteOnce) {
    std::vector<int> seen(256, 0);
    for (const ByteRun &r : upper_half_listing())
        for (int b = r.from; b <= r.to; ++b) ++seen[b];
    for (int b = 0x80; b <= 0xFF; ++b) EXPECT_EQ(seen[b], 1) << std::hex << b;
}

TEST(UpperHalfTable, EveryEntryHasItsSpellingClassAndPartner) {
    for (const ByteRun &r : upper_half_listing()) {
        for (int b = r.from; b <= r.to; ++b) {
            SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << b);
            const char c = ch(b);
            EXPECT_STREQ(orvchar_to_ascii(c), r.ascii);
            EXPECT_EQ(orvchar_is_alpha(c) != 0, r.cls != 0);
            EXPECT_EQ(orvchar_is_upper(c) != 0, r.cls == 3);
            EXPECT_EQ(orvchar_is_lower(c) != 0, r.cls == 1);
            EXPECT_EQ(orvchar_is_alnum(c) != 0, r.cls != 0);
            EXPECT_FALSE(orvchar_is_ascii(c));
            const int partner = r.partner ? r.partner + (b - r.from) : 0;
            const int upper = static_cast<unsigned char>(orvchar_to_upper(c));
            const int lower = static_cast<unsigned char>(orvchar_to_lower(c));
            if (r.cls == 3) {
                EXPECT_EQ(lower, partner);
                EXPECT_EQ(upper, b);
            } else if (r.cls == 1) {
                EXPECT_EQ(upper, partner ? partner : std::toupper(r.ascii[0]));
                EXPECT_EQ(lower, b);
            } else {
                EXPECT_EQ(upper, b);
                EXPECT_EQ(lower, b);
            }
            if (r.cls != 0)
                EXPECT_EQ(orvchar_sort_order(c), r.ascii[0]);
            else
                EXPECT_EQ(orvchar_sort_order(c), b - 256);
        }
    }
}

// ---------------------------------------------------------------------------
// Classification

TEST(CharClasses, UpperHalfNonLettersAreSpaceControlAndPunctuationAtOnce) {
    const std::string unprintable = "\x80\x81\x8D\x8E\x8F\x90\x9D\x9E";
    for (int b = 0x80; b <= 0xFF; ++b) {
        SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << b);
        const char c = ch(b);
        const bool letter = orvchar_is_alpha(c) != 0;
        EXPECT_EQ(orvchar_is_space(c) != 0, !letter);
        EXPECT_EQ(orvchar_is_cntrl(c) != 0, !letter);
        EXPECT_EQ(orvchar_is_punct(c) != 0, !letter);
        EXPECT_EQ(orvchar_is_print(c) != 0, unprintable.find(c) == std::string::npos);
    }
    EXPECT_TRUE(orvchar_is_space(ch(0xA9)));
    EXPECT_TRUE(orvchar_is_space(ch(0xA0)));
    EXPECT_FALSE(orvchar_is_space(ch(0xE9)));
    EXPECT_FALSE(orvchar_is_punct(ch(0xE9)));
}

TEST(CharClasses, LowerHalfFollowsTheCLocale) {
    for (int b = 0; b < 0x80; ++b) {
        SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << b);
        const char c = ch(b);
        EXPECT_TRUE(orvchar_is_ascii(c));
        EXPECT_EQ(orvchar_is_alpha(c) != 0, std::isalpha(b) != 0);
        EXPECT_EQ(orvchar_is_upper(c) != 0, std::isupper(b) != 0);
        EXPECT_EQ(orvchar_is_lower(c) != 0, std::islower(b) != 0);
        EXPECT_EQ(orvchar_is_alnum(c) != 0, std::isalnum(b) != 0);
        EXPECT_EQ(orvchar_is_print(c) != 0, std::isprint(b) != 0);
        EXPECT_EQ(orvchar_is_space(c) != 0, std::isspace(b) != 0);
        EXPECT_EQ(orvchar_is_cntrl(c) != 0, std::iscntrl(b) != 0);
        // Punctuation counts the blank.
        EXPECT_EQ(orvchar_is_punct(c) != 0, std::ispunct(b) != 0 || b == ' ');
        EXPECT_EQ(orvchar_to_upper(c), ch(std::toupper(b)));
        EXPECT_EQ(orvchar_to_lower(c), ch(std::tolower(b)));
        EXPECT_EQ(orvchar_sort_order(c), b);
    }
}

TEST(CharClasses, AsciiSpellingOfLowerHalfSharesOneBuffer) {
    const char *a = orvchar_to_ascii('a');
    EXPECT_STREQ(a, "a");
    const char *b = orvchar_to_ascii('b');
    EXPECT_EQ(a, b);
    EXPECT_STREQ(a, "b");
    EXPECT_STREQ(orvchar_to_ascii('\0'), "");
}

// ---------------------------------------------------------------------------
// Folded comparison

// n < 0 compares with orvstr_icmp, otherwise with orvstr_nicmp and limit n.
struct FoldCase {
    const char *a, *b;
    int n, expected;
};

TEST(FoldedCompare, CaseAccentsSharpSAndNullsFold) {
    const FoldCase cases[] = {
        {"M\xFCller", "MULLER", -1, 0}, {"muller", "M\xDCLLER", -1, 0}, {"\xC5ngstr\xF6m", "angstrom", -1, 0},
        {"\xFE", "\xDE", -1, 0}, {"a", "c", -1, 'A' - 'C'}, {"\xE9t\xE9", "ETA", -1, 'E' - 'A'},
        // An upper-half non-letter sorts before all ASCII by its negative value.
        {"\xA9", "A", -1, -0x57 - 'A'},
        // The fold key is the spelling's first character as written: thorn is 't'.
        {"\xDE", "T", -1, 't' - 'T'},
        {"ab", "ABC", -1, -1}, {"abc", "AB", -1, 1}, {nullptr, nullptr, -1, 0}, {nullptr, "", -1, 0},
        {"", nullptr, -1, 0}, {nullptr, "a", -1, -1}, {"a", nullptr, -1, 1},
        // Sharp s equals two s either way, is greater than one, and is S against the rest.
        {"stra\xDF" "e", "STRASSE", -1, 0}, {"STRASSE", "stra\xDF" "e", -1, 0}, {"\xDF", "ss", -1, 0},
        {"\xDF", "Ss", -1, 0}, {"sS", "\xDF", -1, 0}, {"\xDF\xDF", "\xDF" "SS", -1, 0},
        {"Stra\xDF" "er", "strasser", -1, 0}, {"stra\xDF" "e", "STRASE", -1, 1}, {"STRASE", "stra\xDF" "e", -1, -1},
        {"\xDF", "s", -1, 1}, {"s", "\xDF", -1, -1}, {"\xDF", "t", -1, 'S' - 'T'}, {"r", "\xDF", -1, 'R' - 'S'},
        {"abcdef", "ABCxyz", 3, 0}, {"abcdef", "ABCxyz", 4, 'D' - 'X'}, {"abc", "xyz", 0, 0}, {"ab", "AB", 5, 0},
        {"ab", "abc", 5, -1}, {"abc", "ab", 5, 1}, {"\xDF", "ss", 1, 0}, {"\xDF" "x", "SSy", 2, 'X' - 'Y'},
        // Null texts differ from the empty one for the limited compare.
        {nullptr, nullptr, 3, 0}, {nullptr, "", 3, -1}, {"", nullptr, 3, 1},
    };
    for (const FoldCase &c : cases) {
        const int got = c.n < 0 ? orvstr_icmp(c.a, c.b) : orvstr_nicmp(c.a, c.b, c.n);
        EXPECT_EQ(got, c.expected) << (c.a ? c.a : "null") << " / " << (c.b ? c.b : "null") << " n " << c.n;
    }
}

// n is the skip flag of orvstr_loose_cmp.
TEST(FoldedCompare, LooseSkipsWhiteSpaceAndPunctuation) {
    const FoldCase cases[] = {
        {"a b.c", "abc", 1, 0}, {"a b.c", "abc", 0, ' ' - 'B'}, {"O'Brien", "obrien", 1, 0}, {"A-B C", "abc", 1, 0},
        {"abc", "a\xAB" "b\xBB" "c", 1, 0}, {"stra \xDF" "e", "STRASSE", 1, 0},
        // The second S must follow at once: the sharp s rule does not skip.
        {"stra \xDF" "e", "STRAS-SE", 1, 1},
        // Trailing skippables do not count.
        {"abc", "abc...", 1, 0}, {"abc. ", "abc", 1, 0}, {"abc", "abc...", 0, -1}, {"abc", "abc.d", 1, -1},
        {"abc.d", "abc", 1, 1}, {nullptr, "...", 1, -1}, {"", "...", 1, 0},
    };
    for (const FoldCase &c : cases)
        EXPECT_EQ(orvstr_loose_cmp(c.a, c.b, c.n), c.expected) << (c.a ? c.a : "null") << " / " << c.b << " " << c.n;
}

TEST(FoldedCompare, LongTextsDecideAtTheFirstDifferenceWherever) {
    const std::string base = "patient/study/series-0042/image-0001/frame";
    for (std::size_t at = 0; at < base.size(); ++at) {
        SCOPED_TRACE(at);
        std::string upper = base;
        for (char &c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(orvstr_icmp(base.c_str(), upper.c_str()), 0);
        std::string other = upper;
        other[at] = '~';
        EXPECT_EQ(orvstr_icmp(base.c_str(), other.c_str()),
                  std::toupper(static_cast<unsigned char>(base[at])) - '~');
        other = upper;
        other[at] = static_cast<char>(0xE9);  // an accented letter mid-text
        EXPECT_EQ(orvstr_icmp(other.c_str(), base.c_str()),
                  'E' - std::toupper(static_cast<unsigned char>(base[at])));
        EXPECT_EQ(orvstr_icmp(base.substr(0, at).c_str(), upper.c_str()), -1);
    }
    EXPECT_EQ(orvstr_icmp("0123456789abcdefstra\xDF" "e0123456789abcdef",
                          "0123456789ABCDEFSTRASSE0123456789ABCDEF"), 0);
}

// The folding rules one character at a time, as plainly as they can be put,
// for the block-wise comparisons to be checked against. n < 0: no limit.
int reference_compare(const char *sa, const char *sb, long n) {
    auto fold = [](unsigned char c) { return orvchar_sort_order(orvchar_to_upper(static_cast<char>(c))); };
    const auto *a = reinterpret_cast<const unsigned char *>(sa);
    const auto *b = reinterpret_cast<const unsigned char *>(sb);
    for (long done = 0;; done = reinterpret_cast<const char *>(a) - sa) {
        if (n >= 0 && done >= n) return 0;
        if (!*a) return *b ? -1 : 0;
        if (!*b) return 1;
        int d = fold(*a) - fold(*b), stepa = 1, stepb = 1;
        if (*a == 0xDF && *b != 0xDF && fold(*b) == 'S') {
            d = fold(b[1]) == 'S' ? 0 : 1;
            stepb = 2;
        } else if (*b == 0xDF && *a != 0xDF && fold(*a) == 'S') {
            d = fold(a[1]) == 'S' ? 0 : -1;
            stepa = 2;
        }
        if (d != 0) return d;
        a += stepa;
        b += stepb;
    }
}

// Texts of every length up to 40 from several alphabets; the second text is
// the first with its case changed at random and one change at each position
// in turn: another byte, the case bit alone, the end, or "SS" for a sharp s. orvstr_icmp and
// orvstr_nicmp, and the comparison with each width of block this processor
// offers, must give exactly the reference's result, in both orders.
TEST(FoldedCompare, BlockwiseComparisonsMatchTheCharacterRules) {
    struct Alphabet {
        const char *name;
        std::string bytes;
    };
    std::string every;
    for (int c = 1; c < 256; ++c) every += ch(c);
    const Alphabet alphabets[] = {
        {"letters", "azAZ@[`{09 -\x7F"},
        {"upper half", "aAsSeE\xDF\xE9\xC9\xA9\xFF\x9F\xDE\xFE\x8A\x9A\xA0 .\x7F"},
        {"every byte", every},
    };
    std::mt19937 random(20240611u);
    auto pick = [&](const std::string &from) { return from[random() % from.size()]; };
    for (const Alphabet &alphabet : alphabets) {
        for (int len = 0; len <= 40; ++len) {
            std::string a;
            for (int i = 0; i < len; ++i) a += pick(alphabet.bytes);
            for (int at = 0; at <= len; ++at) {
                std::string b = a;
                for (char &c : b) c = random() % 2 ? orvchar_to_upper(c) : orvchar_to_lower(c);
                const auto i = static_cast<std::size_t>(at);
                switch (random() % 4) {
                    case 0: if (at < len) b[i] = pick(alphabet.bytes); break;
                    case 1: if (at < len) b[i] = ch(a[i] ^ 0x20); break;  // the case bit alone
                    case 2: b.resize(i); break;
                    default: if (at < len && b[i] == '\xDF') b.replace(i, 1, "sS");
                }
                SCOPED_TRACE(std::string(alphabet.name) + " \"" + a + "\" / \"" + b + "\"");
                EXPECT_EQ(orvstr_icmp(a.c_str(), b.c_str()), reference_compare(a.c_str(), b.c_str(), -1));
                EXPECT_EQ(orvstr_icmp(b.c_str(), a.c_str()), reference_compare(b.c_str(), a.c_str(), -1));
                for (int n : {at, at + 1, len, INT_MAX})
                    EXPECT_EQ(orvstr_nicmp(a.c_str(), b.c_str(), n), reference_compare(a.c_str(), b.c_str(), n)) << n;
                for (int width : {0, 16, 32}) {
                    for (long n : {-1L, long{at}, long{at} + 1}) {
                        int got = 0;
                        if (orv::strings::testing::folded_compare_with_blocks(width, b.c_str(), a.c_str(), n, &got)) {
                            EXPECT_EQ(got, reference_compare(b.c_str(), a.c_str(), n)) << width << " " << n;
                        }
                    }
                }
            }
        }
    }
}

// Block-wise reads must stay inside the page: texts that end right before an
// inaccessible page compare without a fault.
TEST(FoldedCompare, TextsEndingAtAPageBoundaryAreSafe) {
    const long page = sysconf(_SC_PAGESIZE);
    void *map = mmap(nullptr, static_cast<std::size_t>(2 * page), PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(map, MAP_FAILED);
    char *base = static_cast<char *>(map);
    ASSERT_EQ(mprotect(base + page, static_cast<std::size_t>(page), PROT_NONE), 0);
    for (int len = 1; len <= 40; ++len) {
        char *a = base + page - len;  // last byte of the page is the terminator
        std::memset(a, 'q', static_cast<std::size_t>(len - 1));
        a[len - 1] = '\0';
        char *b = base + page - 2 * len - 64;
        std::memset(b, 'Q', static_cast<std::size_t>(len - 1));
        b[len - 1] = '\0';
        EXPECT_EQ(orvstr_icmp(a, b), 0) << len;
        EXPECT_EQ(orvstr_icmp(b, a), 0) << len;
    }
    munmap(map, static_cast<std::size_t>(2 * page));
}

// ---------------------------------------------------------------------------
// Copying and byte-wise comparison

TEST(StringCopy, CopyCutsAndAlwaysTerminates) {
    char buf[8] = "xxxxxxx";
    EXPECT_EQ(orvstr_cpy(buf, "abcdef", 3), buf);
    EXPECT_STREQ(buf, "abc");
    EXPECT_STREQ(orvstr_cpy(buf, nullptr, 3), "");
    EXPECT_STREQ(orvstr_cpy(buf, "abc", 0), "");
    EXPECT_EQ(orvstr_cpy(nullptr, "abc", 3), nullptr);
}

TEST(StringCopy, CatKeepsTheTotalWithinN) {
    char buf[8] = "abc";
    EXPECT_STREQ(orvstr_cat(buf, "def", 4), "abcd");
    EXPECT_STREQ(orvstr_cat(buf, "xyz", 4), "abcd");
    EXPECT_STREQ(orvstr_cat(buf, "xyz", 2), "abcd");
    EXPECT_STREQ(orvstr_cat(buf, nullptr, 7), "abcd");
    EXPECT_STREQ(orvstr_cat(buf, "ef", 7), "abcdef");
    EXPECT_EQ(orvstr_cat(nullptr, "ef", 7), nullptr);
}

TEST(StringCopy, DupMakesAnIndependentCopy) {
    const char original[] = "stra\xDF" "e";
    char *copy = orvstr_dup(original);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, original);
    EXPECT_STREQ(copy, original);
    orvstr_free(copy);
    EXPECT_EQ(orvstr_dup(nullptr), nullptr);
    orvstr_free(nullptr);
}

TEST(StringCompare, NullComparesLikeEmpty) {
    EXPECT_EQ(orvstr_len(nullptr), 0);
    EXPECT_EQ(orvstr_len("abc"), 3);
    EXPECT_EQ(orvstr_cmp(nullptr, "a"), -1);
    EXPECT_EQ(orvstr_cmp("a", nullptr), 1);
    EXPECT_EQ(orvstr_cmp(nullptr, ""), 0);
    EXPECT_LT(orvstr_cmp("abc", "abd"), 0);
    EXPECT_GT(orvstr_cmp("\xE9", "e"), 0);  // bytes compare unsigned
    EXPECT_EQ(orvstr_ncmp("abcX", "abcY", 3), 0);
    EXPECT_LT(orvstr_ncmp("abcX", "abcY", 4), 0);
    EXPECT_EQ(orvstr_ncmp(nullptr, "a", 1), -1);
    EXPECT_TRUE(orvstr_equ(nullptr, ""));
    EXPECT_FALSE(orvstr_equ("a", "A"));
}

// ---------------------------------------------------------------------------
// Case mapping

TEST(CaseMapping, InPlaceKeepsTheLength) {
    char s[] = "Stra\xDF" "e \xC0\xE9\xFF!";
    EXPECT_STREQ(orvstr_upr(s), "STRASE \xC0\xC9\x9F!");
    char t[] = "\xC0\xC9\x9F\x8C" "AB";
    EXPECT_STREQ(orvstr_lwr(t), "\xE0\xE9\xFF\x9C" "ab");
    EXPECT_EQ(orvstr_upr(nullptr), nullptr);
    EXPECT_EQ(orvstr_lwr(nullptr), nullptr);
}

TEST(CaseMapping, CopyingUpperCaseSpellsSharpSTwice) {
    char buf[16];
    EXPECT_STREQ(orvstr_xupr(buf, "stra\xDF" "e", 15), "STRASSE");
    EXPECT_STREQ(orvstr_xupr(buf, "stra\xDF" "e", 6), "STRASS");
    EXPECT_STREQ(orvstr_xupr(buf, "stra\xDF" "e", 5), "STRAS");
    EXPECT_STREQ(orvstr_xupr(buf, nullptr, 5), "");
    EXPECT_STREQ(orvstr_xlwr(buf, "\xC0" "BC", 2), "\xE0" "b");
    EXPECT_STREQ(orvstr_xlwr(buf, nullptr, 5), "");
}

// ---------------------------------------------------------------------------
// Truth words

TEST(TruthWords, RecognisedWordsInAnyCase) {
    const struct {
        const char *word;
        int value;
    } words[] = {{"FALSE", 0}, {"f", 0}, {"No", 0}, {"n", 0}, {"oFF", 0}, {"disable", 0},
                 {"0", 0},     {"true", 1}, {"T", 1}, {"yes", 1}, {"Y", 1}, {"On", 1},
                 {"Enable", 1}, {"1", 1}};
    for (const auto &w : words) {
        int out = -7;
        EXPECT_EQ(orvstr_to_bool(w.word, &out), 1) << w.word;
        EXPECT_EQ(out, w.value) << w.word;
    }
}

TEST(TruthWords, UnknownWordsLeaveTheResultAlone) {
    for (const char *word : {"2", "yes ", " no", "", "00", "yess", "enabled"}) {
        int out = -7;
        EXPECT_EQ(orvstr_to_bool(word, &out), 0) << '"' << word << '"';
        EXPECT_EQ(out, -7);
    }
    int out = -7;
    EXPECT_EQ(orvstr_to_bool(nullptr, &out), 0);
    EXPECT_EQ(out, -7);
    EXPECT_STREQ(orvstr_from_bool(5), "YES");
    EXPECT_STREQ(orvstr_from_bool(0), "NO");
}

// ---------------------------------------------------------------------------
// Shaping

TEST(Shaping, SetFillAndPad) {
    char s[8] = "abc";
    EXPECT_STREQ(orvstr_set(s, '*'), "***");
    EXPECT_EQ(orvstr_set(nullptr, '*'), nullptr);
    EXPECT_EQ(orvstr_fill(s, '-', 5), 5);
    EXPECT_STREQ(s, "-----");
    EXPECT_EQ(orvstr_fill(s, '-', 0), 0);
    EXPECT_STREQ(s, "");
    char p[8] = "abcdef";
    EXPECT_STREQ(orvstr_pad(p, 3), "abc");
    char q[8] = "ab";
    EXPECT_STREQ(orvstr_pad(q, 4), "ab  ");
    EXPECT_STREQ(orvstr_pad(q, 0), "");
}

TEST(Shaping, InPlaceShapesKeepTheRightCharacters) {
    const struct {
        char *(*shape)(char *);
        const char *in, *out;
    } cases[] = {
        // Trim removes trailing blanks only.
        {orvstr_trim, " ab \t  ", " ab \t"}, {orvstr_trim, "   ", ""},
        // Normalize drops controls and outer white space.
        {orvstr_normalize, "  a\tb  c \r\n", "ab  c"}, {orvstr_normalize, "\x01 \xA0x\xA9 \x7F", "\xA0x\xA9"},
        {orvstr_normalize, " \t\n ", ""},
        // Strip removes upper-half non-letters too.
        {orvstr_strip, " a b\t\xA9" "c\xE9\xA0!", "abc\xE9!"},
        // Justification keeps the length; a text already in place is untouched.
        {orvstr_leftjust, "  ab ", "ab   "}, {orvstr_leftjust, "\ta b\t", "a b  "}, {orvstr_leftjust, "ab\t", "ab\t"},
        {orvstr_rightjust, "ab   ", "   ab"}, {orvstr_rightjust, "\tab", " ab"},
        {orvstr_leftjust, " \t ", " \t "}, {orvstr_rightjust, " \t ", " \t "},
    };
    for (const auto &c : cases) {
        std::string text = c.in;
        EXPECT_STREQ(c.shape(text.data()), c.out) << '"' << c.in << '"';
    }
    EXPECT_EQ(orvstr_normalize(nullptr), nullptr);
    EXPECT_EQ(orvstr_strip(nullptr), nullptr);
}

TEST(Shaping, FirstAndLastNonWhiteCharacter) {
    char s[] = " \tab c\n";
    EXPECT_EQ(orvstr_firstchar(s), s + 2);
    EXPECT_EQ(orvstr_lastchar(s), s + 5);
    char blank[] = " \t\r\n";
    EXPECT_EQ(orvstr_firstchar(blank), nullptr);
    EXPECT_EQ(orvstr_lastchar(blank), nullptr);
    char empty[] = "";
    EXPECT_EQ(orvstr_firstchar(empty), nullptr);
    EXPECT_EQ(orvstr_lastchar(nullptr), nullptr);
    char nbsp[] = "\xA0";  // not white space for these functions
    EXPECT_EQ(orvstr_firstchar(nbsp), nbsp);
}

TEST(Shaping, WhiteSpaceAndAsciiPredicates) {
    EXPECT_EQ(orvstr_has_white_space("a\tb"), 1);
    EXPECT_EQ(orvstr_has_white_space("a\xA0" "b"), 0);
    EXPECT_EQ(orvstr_has_white_space(""), 0);
    EXPECT_EQ(orvstr_has_white_space(nullptr), 0);
    EXPECT_EQ(orvstr_has_non_white_space(" \n"), 0);
    EXPECT_EQ(orvstr_has_non_white_space(" x"), 1);
    EXPECT_EQ(orvstr_has_non_white_space(nullptr), 0);
    EXPECT_EQ(orvstr_is_ascii("plain\x7F"), 1);
    EXPECT_EQ(orvstr_is_ascii("caf\xE9"), 0);
    EXPECT_EQ(orvstr_is_ascii(nullptr), 1);
}

TEST(Shaping, ToAsciiSpellsTheUpperHalf) {
    char buf[32];
    orvstr_to_ascii(buf, "\x8Cuvre \xBD", 31);
    EXPECT_STREQ(buf, "OEuvre 1/2");
    orvstr_to_ascii(buf, "\x85" "a", 2);  // cut inside a spelling
    EXPECT_STREQ(buf, "..");
    orvstr_to_ascii(buf, nullptr, 31);
    EXPECT_STREQ(buf, "");
}

}  // namespace

// Characters and strings in Windows-1252: the upper-half table, classification,
// folded comparison, copying, case mapping, truth words and shaping.
#include <ORVCommonKit/orvstr.h>

#include "frame/orvstr_testing.h"
#include "support/orv_test_support.h"

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

char ch(int byte) { return static_cast<char>(byte); }

// The upper half of the code page, bytes 0x80 to 0xFF: the plain-ASCII
// spelling of each byte and its class (0 not a letter, 1 lower case, 3 upper
// case), sixteen and thirty-two bytes a line.
const char *const kSpelling[128] = {
    "-", "-", "'", "_", "\"", "...", "_", "_", "_", "_", "S", "<", "OE", "-", "-", "-",
    "-", "'", "'", "\"", "\"", "*", "-", "-", "_", "TM", "s", ">", "oe", "-", "-", "Y",
    " ", "_", "_", "_", "_", "_", "|", "_", "_", "_", "a", "<<", "_", "-", "_", "_",
    "_", "+-", "2", "3", "_", "_", "_", ".", "_", "1", "o", ">>", "1/4", "1/2", "3/4", "?",
    "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",
    "TH", "N", "O", "O", "O", "O", "O", "x", "O", "U", "U", "U", "U", "Y", "th", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    "TH", "n", "o", "o", "o", "o", "o", "/", "o", "u", "u", "u", "u", "y", "th", "y",
};
const char kClass[] =
    "00000000003030000000000000101003"
    "00000000001000000000000000100000"
    "33333333333333333333333033333331"
    "11111111111111111111111011111111";

// The same letter in the other case: the other half of the accented block,
// or a pair of its own below 0xA0; three lower-case letters have none.
int partner(int b) {
    if (b == 0x9F || b == 0xFF) return b ^ 0x60;
    if (b < 0xA0) return b ^ 0x10;
    return b == 0xAA || b == 0xBA || b == 0xDF ? 0 : b ^ 0x20;
}

// ---------------------------------------------------------------------------
// Classification and the upper-half table

// The upper half by the table above, the lower half as in the C locale.
TEST(CharClasses, EveryByteHasItsSpellingClassPartnerAndOrder) {
    const std::string unprintable = "\x80\x81\x8D\x8E\x8F\x90\x9D\x9E";
    for (int b = 0; b <= 0xFF; ++b) {
        SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << b);
        const char c = ch(b);
        if (b < 0x80) {
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
            EXPECT_EQ(orvchar_to_ascii(c), std::string(b ? 1 : 0, c));
            continue;
        }
        const int cls = kClass[b - 0x80] - '0';
        const char *ascii = kSpelling[b - 0x80];
        EXPECT_STREQ(orvchar_to_ascii(c), ascii);
        EXPECT_EQ(orvchar_is_alpha(c) != 0, cls != 0);
        EXPECT_EQ(orvchar_is_alnum(c) != 0, cls != 0);
        EXPECT_EQ(orvchar_is_upper(c) != 0, cls == 3);
        EXPECT_EQ(orvchar_is_lower(c) != 0, cls == 1);
        EXPECT_FALSE(orvchar_is_ascii(c));
        // A byte that is not a letter is space, control and punctuation at once.
        EXPECT_EQ(orvchar_is_space(c) != 0, cls == 0);
        EXPECT_EQ(orvchar_is_cntrl(c) != 0, cls == 0);
        EXPECT_EQ(orvchar_is_punct(c) != 0, cls == 0);
        EXPECT_EQ(orvchar_is_print(c) != 0, unprintable.find(c) == std::string::npos);
        const int upper = static_cast<unsigned char>(orvchar_to_upper(c));
        const int lower = static_cast<unsigned char>(orvchar_to_lower(c));
        EXPECT_EQ(upper, cls != 1 ? b : partner(b) ? partner(b) : std::toupper(ascii[0]));
        EXPECT_EQ(lower, cls == 3 ? partner(b) : b);
        EXPECT_EQ(orvchar_sort_order(c), cls ? ascii[0] : b - 256);
    }
    EXPECT_EQ(orvchar_to_ascii('a'), orvchar_to_ascii('b')) << "the spelling of the lower half shares one buffer";
}

// ---------------------------------------------------------------------------
// Folded comparison

// n < 0 compares with orvstr_icmp, otherwise with orvstr_nicmp and limit n.
struct FoldCase {
    const char *a, *b;
    int n, expected;
};

// Case, accents and sharp s are checked against the character rules below;
// null texts, which those rules do not know, here.
TEST(FoldedCompare, NullIsEmptyExceptForTheLimitedCompare) {
    const FoldCase cases[] = {
        {nullptr, nullptr, -1, 0}, {nullptr, "", -1, 0}, {"", nullptr, -1, 0},  {nullptr, "a", -1, -1},
        {"a", nullptr, -1, 1},     {nullptr, nullptr, 3, 0}, {nullptr, "", 3, -1}, {"", nullptr, 3, 1},
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
    const char *same = "a.b";
    EXPECT_EQ(orvstr_loose_cmp(same, same, 1), 0);
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
    for (std::size_t len = 1; len <= 40; ++len) {
        const std::string lower(len - 1, 'q'), upper(len - 1, 'Q');
        const char *a = orvtest::against_guard_page(lower.c_str(), len);  // the terminator is the last byte
        const char *b = orvtest::against_guard_page(upper.c_str(), len);
        EXPECT_EQ(orvstr_icmp(a, b), 0) << len;
        EXPECT_EQ(orvstr_icmp(b, a), 0) << len;
    }
}

// ---------------------------------------------------------------------------
// Copying and byte-wise comparison

// Copying cuts and always terminates; appending keeps the total within n.
TEST(StringCopy, CopyCatAndDup) {
    char buf[8] = "xxxxxxx";
    EXPECT_EQ(orvstr_cpy(buf, "abcdef", 3), buf);
    EXPECT_STREQ(buf, "abc");
    EXPECT_STREQ(orvstr_cpy(buf, nullptr, 3), "");
    EXPECT_STREQ(orvstr_cpy(buf, "abc", 0), "");
    EXPECT_EQ(orvstr_cpy(nullptr, "abc", 3), nullptr);
    orvstr_cpy(buf, "abc", 7);
    EXPECT_STREQ(orvstr_cat(buf, "def", 4), "abcd");
    EXPECT_STREQ(orvstr_cat(buf, "xyz", 4), "abcd");
    EXPECT_STREQ(orvstr_cat(buf, "xyz", 2), "abcd");
    EXPECT_STREQ(orvstr_cat(buf, nullptr, 7), "abcd");
    EXPECT_STREQ(orvstr_cat(buf, "ef", 7), "abcdef");
    EXPECT_EQ(orvstr_cat(nullptr, "ef", 7), nullptr);
    const char original[] = "stra\xDF" "e";
    char *copy = orvstr_dup(original);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, original);
    EXPECT_STREQ(copy, original);
    orvstr_free(copy);
}

TEST(StringCompare, NullComparesLikeEmpty) {
    EXPECT_EQ(orvstr_len("abc"), 3);
    EXPECT_EQ(orvstr_cmp(nullptr, "a"), -1);
    EXPECT_EQ(orvstr_cmp("a", nullptr), 1);
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

TEST(CaseMapping, InPlaceKeepsTheLengthAndCopyingSpellsSharpSTwice) {
    char s[] = "Stra\xDF" "e \xC0\xE9\xFF!";
    EXPECT_STREQ(orvstr_upr(s), "STRASE \xC0\xC9\x9F!");
    char t[] = "\xC0\xC9\x9F\x8C" "AB";
    EXPECT_STREQ(orvstr_lwr(t), "\xE0\xE9\xFF\x9C" "ab");
    // Copying upper case spells sharp s twice, the second only within n.
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

TEST(TruthWords, RecognisedWordsInAnyCaseAndOthersLeaveTheResultAlone) {
    const struct {
        const char *word;
        int recognised, value;
    } words[] = {{"FALSE", 1, 0}, {"f", 1, 0}, {"No", 1, 0}, {"n", 1, 0}, {"oFF", 1, 0}, {"disable", 1, 0},
                 {"0", 1, 0}, {"true", 1, 1}, {"T", 1, 1}, {"yes", 1, 1}, {"Y", 1, 1}, {"On", 1, 1},
                 {"Enable", 1, 1}, {"1", 1, 1}, {"2", 0, -7}, {"yes ", 0, -7}, {" no", 0, -7}, {"", 0, -7},
                 {"00", 0, -7}, {"yess", 0, -7}, {"enabled", 0, -7}, {"ye", 0, -7}, {nullptr, 0, -7}};
    for (const auto &w : words) {
        int out = -7;
        EXPECT_EQ(orvstr_to_bool(w.word, &out), w.recognised) << (w.word ? w.word : "null");
        EXPECT_EQ(out, w.value) << (w.word ? w.word : "null");
    }
    EXPECT_STREQ(orvstr_from_bool(5), "YES");
    EXPECT_STREQ(orvstr_from_bool(0), "NO");
}

// ---------------------------------------------------------------------------
// Shaping

TEST(Shaping, SetFillAndPad) {
    char s[8] = "abc";
    EXPECT_STREQ(orvstr_set(s, '*'), "***");
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
        // A blank before the text: no shape may reach back to it.
        std::string text = std::string(" ") + c.in;
        EXPECT_STREQ(c.shape(text.data() + 1), c.out) << '"' << c.in << '"';
        EXPECT_EQ(text[0], ' ') << '"' << c.in << '"';
    }
}

// The no-break space is not white space for these functions.
TEST(Shaping, FirstAndLastNonWhiteCharacterAndTextPredicates) {
    const struct {
        const char *text;
        int first, last, white, non_white, ascii;  // first and last as offsets, -1 for none
    } cases[] = {
        {" \tab c\n", 2, 5, 1, 1, 1}, {" \t\r\n", -1, -1, 1, 0, 1}, {"", -1, -1, 0, 0, 1},
        {"\xA0", 0, 0, 0, 1, 0},      {"a\xA0" "b", 0, 2, 0, 1, 0}, {"plain\x7F", 0, 5, 0, 1, 1},
        {"x", 0, 0, 0, 1, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        char *s = text.data();
        EXPECT_EQ(orvstr_firstchar(s), c.first < 0 ? nullptr : s + c.first);
        EXPECT_EQ(orvstr_lastchar(s), c.last < 0 ? nullptr : s + c.last);
        EXPECT_EQ(orvstr_has_white_space(s), c.white);
        EXPECT_EQ(orvstr_has_non_white_space(s), c.non_white);
        EXPECT_EQ(orvstr_is_ascii(s), c.ascii);
    }
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

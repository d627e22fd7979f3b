// Token keys: in-place tokenising, number tests and keyword look-up.
#include <ORVCommonKit/tk.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

// Every token tk_get returns from text, in order.
std::vector<std::string> tokens_of(std::string text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    char *cursor = buffer.data();
    std::vector<std::string> out;
    while (const char *token = tk_get(&cursor)) out.emplace_back(token);
    EXPECT_EQ(*cursor, '\0') << "cursor left before the end";
    return out;
}

using Tokens = std::vector<std::string>;

TEST(TokenCursor, TokensOfEveryShape) {
    const std::pair<const char *, Tokens> cases[] = {
        {"  alpha   \"two words\"   beta  ", {"alpha", "two words", "beta"}},
        // Tabs, line feeds and upper-half non-letters separate.
        {"a\tb\nc\r\nd", {"a", "b", "c", "d"}}, {"x\xA9y \xE9t\xE9", {"x", "y", "\xE9t\xE9"}},
        // Quotes inside unquoted tokens are ordinary.
        {"say\"hi\" there", {"say\"hi\"", "there"}},
        // An unterminated quote runs to the end.
        {"a \"b c", {"a", "b c"}}, {"a \"", {"a", ""}}, {"\"\"", {""}},
        // Back-to-back quoted tokens are two tokens.
        {"\"a\"\"b\"", {"a", "b"}},
        // Nothing but separators, or nothing at all: no token.
        {" \t\n  ", {}}, {"", {}},
    };
    for (const auto &[text, tokens] : cases) EXPECT_EQ(tokens_of(text), tokens) << text;
}

// A token is cut in place and the cursor goes past its terminator.
TEST(TokenCursor, TerminatesTokensInPlace) {
    char text[] = "ab  cd";
    char *cursor = text;
    EXPECT_EQ(tk_get(&cursor), text);
    EXPECT_EQ(text[2], '\0');
    EXPECT_EQ(cursor, text + 3);
    EXPECT_EQ(tk_get(&cursor), text + 4);
    EXPECT_EQ(cursor, text + 6);
    EXPECT_EQ(tk_get(&cursor), nullptr);
}

TEST(TokenNumbers, IntegersAndDecimals) {
    // Token, integer, decimal number.
    const std::tuple<const char *, int, int> cases[] = {
        {"0", 1, 1},     {"-5", 1, 1},    {"007", 1, 1},   {"1234567890123", 1, 1}, {"-.5", 0, 1},  {"5.", 0, 1},
        {".5", 0, 1},    {"12.25", 0, 1}, {"1.0", 0, 1},   {"", 0, 0},              {"-", 0, 0},    {"+5", 0, 0},
        {" 5", 0, 0},    {"5 ", 0, 0},    {"--5", 0, 0},   {"5-", 0, 0},            {"x", 0, 0},    {".", 0, 0},
        {"-.", 0, 0},    {"1.2.3", 0, 0}, {"1e5", 0, 0},   {".-5", 0, 0},           {"+1.5", 0, 0}, {"1..2", 0, 0},
    };
    for (const auto &[token, integer, decimal] : cases) {
        EXPECT_EQ(tk_is_int(token), integer) << '"' << (token ? token : "null") << '"';
        EXPECT_EQ(tk_is_float(token), decimal) << '"' << (token ? token : "null") << '"';
    }
}

TEST(TokenKeywords, ExactAndLooseLookUpsToTheEndOfTheTable) {
    const char *const yes_no[] = {"NO", "YES"}, *const accents[] = {"\xC9T\xC9"}, *const gap[] = {"NO", "", "YES"},
                      *const hole[] = {"NO", nullptr, "YES"}, *const a[] = {"A"}, *const tmp[] = {"TMP", "BACKUP"},
                      *const lower[] = {"ss", "a"};
    const struct {
        const char *token;
        const char *const *table;
        int count, exact, loose;
    } cases[] = {
        {"yes", yes_no, 2, 1, 1}, {"yes", yes_no, 1, -1, -1}, {"ye", yes_no, 2, -1, -1}, {"ete", accents, 1, 0, -1},
        // The table ends at an empty or null entry.
        {"yes", gap, 3, -1, -1}, {"yes", hole, 3, -1, -1},
        {nullptr, a, 1, -1, -1}, {"", a, 1, -1, -1}, {"a", a, 0, -1, -1}, {"a", a, -1, -1, -1},
        // Loose finds the keyword inside the token, not the other way round.
        {"my_backup_file", tmp, 2, -1, 1}, {"LOGFILE.tmp", tmp, 2, -1, 0}, {"tm", tmp, 2, -1, -1},
        {"my_backup_file", tmp, 1, -1, -1},
        // Both sides are upper-cased, sharp s as one S. A token or keyword
        // changed in place would fault here: the texts are read-only.
        {"stra\xDF" "e", lower, 1, -1, -1}, {"stra\xDF" "e", lower, 2, -1, 1},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(tk_find_key(c.token, c.table, c.count), c.exact) << (c.token ? c.token : "null") << c.count;
        EXPECT_EQ(tk_find_key_loose(c.token, c.table, c.count), c.loose) << (c.token ? c.token : "null") << c.count;
    }
}

}  // namespace

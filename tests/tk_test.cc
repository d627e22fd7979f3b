// Token keys: in-place tokenising, number tests and keyword look-up.
#include <ORVCommonKit/tk.h>

#include <gtest/gtest.h>

#include <string>
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

TEST(TokenCursor, QuotedTokensKeepTheirBlanks) {
    EXPECT_EQ(tokens_of("  alpha   \"two words\"   beta  "), (Tokens{"alpha", "two words", "beta"}));
}

TEST(TokenCursor, TabsLineFeedsAndUpperHalfNonLettersSeparate) {
    EXPECT_EQ(tokens_of("a\tb\nc\r\nd"), (Tokens{"a", "b", "c", "d"}));
    EXPECT_EQ(tokens_of("x\xA9y \xE9t\xE9"), (Tokens{"x", "y", "\xE9t\xE9"}));
}

TEST(TokenCursor, QuotesInsideUnquotedTokensAreOrdinary) {
    EXPECT_EQ(tokens_of("say\"hi\" there"), (Tokens{"say\"hi\"", "there"}));
}

TEST(TokenCursor, UnterminatedQuoteRunsToTheEnd) {
    EXPECT_EQ(tokens_of("a \"b c"), (Tokens{"a", "b c"}));
    EXPECT_EQ(tokens_of("a \""), (Tokens{"a", ""}));
    EXPECT_EQ(tokens_of("\"\""), (Tokens{""}));
}

TEST(TokenCursor, BackToBackQuotedTokensAreTwoTokens) {
    EXPECT_EQ(tokens_of("\"a\"\"b\""), (Tokens{"a", "b"}));
}

TEST(TokenCursor, TerminatesTokensInPlaceAndMovesPastTheSeparator) {
    char text[] = "ab  cd";
    char *cursor = text;
    EXPECT_EQ(tk_get(&cursor), text);
    EXPECT_EQ(text[2], '\0');
    EXPECT_EQ(cursor, text + 3);
    EXPECT_EQ(tk_get(&cursor), text + 4);
    EXPECT_EQ(cursor, text + 6);
    EXPECT_EQ(tk_get(&cursor), nullptr);
}

TEST(TokenCursor, NothingLeftGivesNull) {
    char blank[] = " \t\n  ";
    char *cursor = blank;
    EXPECT_EQ(tk_get(&cursor), nullptr);
    EXPECT_EQ(cursor, blank + 5);

    char empty[] = "";
    cursor = empty;
    EXPECT_EQ(tk_get(&cursor), nullptr);
    EXPECT_EQ(cursor, empty);

    cursor = nullptr;
    EXPECT_EQ(tk_get(&cursor), nullptr);
    EXPECT_EQ(tk_get(nullptr), nullptr);
}

TEST(TokenNumbers, Integers) {
    for (const char *yes : {"0", "-5", "007", "1234567890123"}) EXPECT_EQ(tk_is_int(yes), 1) << yes;
    for (const char *no : {"", "-", "+5", " 5", "5 ", "--5", "5-", "1.0", "x"})
        EXPECT_EQ(tk_is_int(no), 0) << '"' << no << '"';
    EXPECT_EQ(tk_is_int(nullptr), 0);
}

TEST(TokenNumbers, Decimals) {
    for (const char *yes : {"-.5", "5.", ".5", "12.25", "-3", "0"})
        EXPECT_EQ(tk_is_float(yes), 1) << yes;
    for (const char *no : {".", "-.", "1.2.3", "1e5", ".-5", "", "-", "+1.5", "1..2"})
        EXPECT_EQ(tk_is_float(no), 0) << '"' << no << '"';
    EXPECT_EQ(tk_is_float(nullptr), 0);
}

TEST(TokenKeywords, ExactMatchIgnoringCase) {
    const char *const table[] = {"NO", "YES"};
    EXPECT_EQ(tk_find_key("yes", table, 2), 1);
    EXPECT_EQ(tk_find_key("yes", table, 1), -1);
    EXPECT_EQ(tk_find_key("ye", table, 2), -1);
    const char *const accents[] = {"\xC9T\xC9"};
    EXPECT_EQ(tk_find_key("ete", accents, 1), 0);
}

TEST(TokenKeywords, TableEndsAtEmptyOrNullEntry) {
    const char *const gap[] = {"NO", "", "YES"};
    EXPECT_EQ(tk_find_key("yes", gap, 3), -1);
    const char *const hole[] = {"NO", nullptr, "YES"};
    EXPECT_EQ(tk_find_key("yes", hole, 3), -1);
    EXPECT_EQ(tk_find_key_loose("yes", gap, 3), -1);
    EXPECT_EQ(tk_find_key_loose("yes", hole, 3), -1);
}

TEST(TokenKeywords, BadArgumentsGiveMinusOne) {
    const char *const table[] = {"A"};
    EXPECT_EQ(tk_find_key(nullptr, table, 1), -1);
    EXPECT_EQ(tk_find_key("", table, 1), -1);
    EXPECT_EQ(tk_find_key("a", table, 0), -1);
    EXPECT_EQ(tk_find_key_loose(nullptr, table, 1), -1);
    EXPECT_EQ(tk_find_key_loose("", table, 1), -1);
    EXPECT_EQ(tk_find_key_loose("a", table, -1), -1);
}

TEST(TokenKeywords, LooseLooksForTheKeywordInsideTheToken) {
    const char *const table[] = {"TMP", "BACKUP"};
    EXPECT_EQ(tk_find_key_loose("my_backup_file", table, 2), 1);
    EXPECT_EQ(tk_find_key_loose("LOGFILE.tmp", table, 2), 0);
    EXPECT_EQ(tk_find_key_loose("tm", table, 2), -1);  // the other way round does not match
    EXPECT_EQ(tk_find_key_loose("my_backup_file", table, 1), -1);
}

TEST(TokenKeywords, LooseLeavesTokenAndTableAlone) {
    char token[] = "stra\xDF" "e";
    char key[] = "ss";
    const char *const table[] = {key};
    EXPECT_EQ(tk_find_key_loose(token, table, 1), -1);  // upper-cased "\xDF" is one S
    EXPECT_STREQ(token, "stra\xDF" "e");
    EXPECT_STREQ(key, "ss");
    char sa[] = "a";
    const char *const one_s[] = {sa};
    EXPECT_EQ(tk_find_key_loose(token, one_s, 1), 0);
}

}  // namespace

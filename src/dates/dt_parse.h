// Reading date texts: pieces, the rules that give each piece its role, and
// the century of a two-digit year. The words come from the caller, so the
// same rules serve the library's language tables and a user's own words.
#pragma once

#include "dates/dt_words.h"

#include <string>
#include <vector>

namespace orv::dates {

inline constexpr int kFormatCount = 16;
inline constexpr std::size_t kPieceMax = 18;

enum class Role { Day, Month, Year };
// The role of each of the three positions of a date typed in a format.
const std::array<Role, 3> &formatOrder(int format) noexcept;
bool validFormat(int format) noexcept;

// Why a text became the date it did: one step per decision, each naming the
// rule that made it. Collected only when the caller asks for it.
struct Explanation {
    struct Step {
        std::string piece;  // the text the rule looked at
        std::string role;   // "day", "month", "year", "date", ...
        std::string rule;   // the rule, in words
    };
    std::vector<Step> steps;
    void add(std::string piece, std::string role, std::string rule) {
        steps.push_back({std::move(piece), std::move(role), std::move(rule)});
    }
};

struct Pieces {
    int count = 0;     // 0..3, or 4 when more follows the third piece
    int numeric = 0;   // how many are digits
    char text[3][kPieceMax + 1];   // each terminated once cut
    bool isNumber[3];
    long long value[3];            // of a numeric piece (18 digits fit)
};
void cutPieces(const char *text, Pieces &out) noexcept;
// The zero-terminated text equals word ignoring case over at most limit
// characters of both (without measuring the text first).
bool equalsIgnoringCasePrefix(const char *text, std::string_view word, std::size_t limit) noexcept;

// The month whose full name begins with word (1..12), or -1.
int monthOfName(const DateWords &words, std::string_view word) noexcept;

// Parses text against words in format (0..15) and tense; the rebuilt texts
// of the single number and word-and-number rules are read by reparse. The
// date is written to *date only on success; returns a result code.
using Reparse = int (*)(int *date, const char *text, int format, int tense, Explanation *why);
int parseText(int *date, const char *text, int format, int tense, const DateWords &words,
              Reparse reparse, Explanation *why);

// The rules on their own (the date is written only on success).
int parseSingleNumber(int *date, const char *digits, int format, int tense, Reparse reparse,
                      Explanation *why);
int parseTwoPieces(int *date, const char *word, const char *number, int format, int tense,
                   Reparse reparse, Explanation *why);

}  // namespace orv::dates

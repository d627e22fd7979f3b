// The date text rules: cutting a text into pieces, single words, single
// numbers, a word with a number, and the passes that give three pieces
// their roles, then the century of a two-digit year and the final check.
#include "dates/dt_parse.h"

#include "dates/dt_calendar.h"

#include <ORVCommonKit/orvstr.h>

#include <cstdio>
#include <cstring>

namespace orv::dates {

namespace {

constexpr Role D = Role::Day, M = Role::Month, Y = Role::Year;
constexpr std::array<std::array<Role, 3>, kFormatCount> kOrder = {{
    {D, M, Y}, {D, M, Y}, {M, D, Y}, {M, D, Y}, {M, D, Y}, {M, D, Y}, {D, M, Y}, {D, M, Y},
    {Y, M, D}, {Y, M, D}, {Y, M, D}, {Y, M, D}, {D, M, Y}, {D, M, Y}, {M, D, Y}, {M, D, Y},
}};

const char *roleName(Role r) { return r == D ? "day" : r == M ? "month" : "year"; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The letters of the code page, as orvchar_is_alpha tells them, looked up
// without a call per character.
struct LetterTable {
    bool letter[256];
    char lower[256];
    LetterTable() {
        for (int c = 0; c < 256; ++c) {
            letter[c] = orvchar_is_alpha(static_cast<char>(c)) != 0;
            lower[c] = orvchar_to_lower(static_cast<char>(c));
        }
    }
    bool operator()(char c) const { return letter[static_cast<unsigned char>(c)]; }
    char toLower(char c) const { return lower[static_cast<unsigned char>(c)]; }
};
const LetterTable isLetter;

std::string number(long long v) { return std::to_string(v); }

// Explanations are rare: kept out of the rules' fast path.
[[gnu::cold, gnu::noinline]] void note(Explanation *why, const char *piece, const char *role, const char *rule) {
    why->add(piece, role, rule);
}

// The year placed in a century by the tense; today is a date value.
int centuryYear(int typed, const char *piece, int month, int day, int tense, Explanation *why) {
    int today = todayPlusSeconds(0);
    int century = today / 1000000 * 100;
    int thisYear = today / 10000 % 100;
    int year = century + typed;
    const char *rule = nullptr;
    if (tense == 0) {
        if (typed - thisYear >= 51) year -= 100, rule = "nearest: more than 50 years ahead, so the century before";
        else if (typed - thisYear <= -51) year += 100, rule = "nearest: more than 50 years back, so the century after";
        else rule = "nearest: within 50 years of this year";
    } else if (tense == 1) {
        if (join(year, month, day) < today) year += 100, rule = "future: before today in this century, so the next";
        else rule = "future: not before today in this century";
    } else {
        if (join(year, month, day) > today) year -= 100, rule = "past: after today in this century, so the one before";
        else rule = "past: not after today in this century";
    }
    if (why) why->add(piece, "year", std::string("two-digit year became ") + number(year) + " (" + rule + ")");
    return year;
}

int threePieces(int *date, const Pieces &p, int format, int tense, const DateWords &words,
                Explanation *why) {
    long long value[3];
    int wordAt = -1;
    for (int i = 0; i < 3; ++i) {
        if (p.isNumber[i]) {
            value[i] = p.value[i];
            continue;
        }
        if (wordAt >= 0) {
            if (why) why->add(p.text[i], "month", "a second word: not a date");
            return -5;
        }
        int m = monthOfName(words, p.text[i]);
        if (m < 0) {
            if (why) why->add(p.text[i], "month", "no month name begins with this word");
            return -5;
        }
        wordAt = i;
        value[i] = m;
    }
    int at[3] = {-1, -1, -1};  // piece index of the day, month, year
    auto taken = [&](int i) { return at[0] == i || at[1] == i || at[2] == i; };
    auto assign = [&](int i, Role r, const char *rule) {
        at[static_cast<int>(r)] = i;
        if (why) note(why, p.text[i], roleName(r), rule);
    };
    int &dayAt = at[0], &monthAt = at[1], &yearAt = at[2];

    for (int i = 0; i < 3; ++i) {
        if (i == wordAt) {
            assign(i, M, "a word is the month (its name begins so)");
        } else if (value[i] == 0 || value[i] > 31) {
            if (yearAt >= 0) {
                if (why) why->add(p.text[i], "year", "a second number that can only be a year: not a date");
                return -5;
            }
            assign(i, Y, "0 or above 31 can only be the year");
        }
    }
    if (yearAt >= 0) {
        for (int i = 0; i < 3; ++i) {
            if (taken(i) || value[i] <= 12) continue;
            if (dayAt >= 0) {
                if (why) why->add(p.text[i], "day", "a second number above 12 beside the year: not a date");
                return -5;
            }
            assign(i, D, "above 12 beside a known year is the day");
        }
    }
    const auto &order = kOrder[static_cast<std::size_t>(format)];
    while (dayAt < 0 || monthAt < 0 || yearAt < 0) {
        bool progress = false, restart = false;
        for (int i = 0; i < 3 && !restart; ++i) {
            if (taken(i)) continue;
            long long v = value[i];
            if (yearAt >= 0 && monthAt >= 0) {
                int last = monthDays(static_cast<int>(value[monthAt]), static_cast<int>(value[yearAt]));
                if (v < 1 || v > last) {
                    if (why) why->add(p.text[i], "day", "the only role left is the day, and the month has no such day");
                    return -5;
                }
                assign(i, D, "year and month known, so the day");
                restart = progress = true;
            } else if (yearAt >= 0 && dayAt >= 0) {
                if (v < 1 || v > 12) {
                    if (why) why->add(p.text[i], "month", "the only role left is the month, and it is not 1 to 12");
                    return -5;
                }
                assign(i, M, "year and day known, so the month");
                restart = progress = true;
            } else if (dayAt >= 0 && monthAt >= 0) {
                assign(i, Y, "day and month known, so the year");
                restart = progress = true;
            } else if (yearAt >= 0 && v > 12) {
                assign(i, D, "above 12 with the year known is the day");
                progress = true;
            } else if (yearAt == 0) {
                if (i == 1) assign(i, M, "the year comes first, so the second piece is the month");
                else assign(i, D, "the year comes first, so the third piece is the day");
                progress = true;
            } else {
                Role r = order[static_cast<std::size_t>(i)];
                int &slot = at[static_cast<int>(r)];
                bool fits = r == D ? v >= 1 && v <= 31 : r == M ? v >= 1 && v <= 12 : true;
                if (slot < 0 && fits) {
                    static const char *const kRule[] = {"the format puts the day here",
                                                        "the format puts the month here",
                                                        "the format puts the year here"};
                    assign(i, r, kRule[static_cast<int>(r)]);
                    progress = true;
                }
            }
        }
        if (!progress) {
            if (why) why->add("", "date", "no rule gives the remaining pieces a role");
            return -5;
        }
    }
    long long year = value[yearAt];
    int month = static_cast<int>(value[monthAt]);
    int day = static_cast<int>(value[dayAt]);
    if (year > 32767) {
        if (why) why->add(p.text[yearAt], "year", "the year is out of range");
        return -5;
    }
    int y = static_cast<int>(year);
    if (y <= 99) y = centuryYear(y, p.text[yearAt], month, day, tense, why);
    int code = validate(y, month, day);
    if (code != 0) {
        if (why) why->add(std::to_string(join(y, month, day)), "date", code == -4 ? "the year is below 1800" : code == -3 ? "the month is not 1 to 12" : "the month has no such day");
        return code;
    }
    *date = join(y, month, day);
    return 0;
}

int singleWord(int *date, const char *word, const DateWords &w, Explanation *why) {
    struct Candidate { const std::string &text; int (*value)(); const char *rule; };
    const Candidate candidates[] = {
        {w.unknown, [] { return 0; }, "the word for an unknown date"},
        {w.today, [] { return todayPlusSeconds(0); }, "the word for today"},
        {w.now, [] { return todayPlusSeconds(0); }, "the word for now, today's date"},
        {w.yesterday, [] { return todayPlusSeconds(-86400); }, "the word for yesterday"},
        {w.tomorrow, [] { return todayPlusSeconds(86400); }, "the word for tomorrow"},
    };
    for (const Candidate &c : candidates) {
        if (c.text.empty() || !equalsIgnoringCase(word, c.text)) continue;
        *date = c.value();
        if (why) why->add(word, "date", c.rule);
        return 0;
    }
    if (why) why->add(word, "date", "a word alone must be a day word, and this is none");
    return -5;
}

}  // namespace

const std::array<Role, 3> &formatOrder(int format) noexcept { return kOrder[static_cast<std::size_t>(format)]; }
bool validFormat(int format) noexcept { return format >= 0 && format < kFormatCount; }

bool equalsIgnoringCase(std::string_view a, std::string_view b, std::size_t limit) {
    std::size_t na = std::min(a.size(), limit), nb = std::min(b.size(), limit);
    if (na != nb) return false;
    for (std::size_t i = 0; i < na; ++i)
        if (a[i] != b[i] && isLetter.toLower(a[i]) != isLetter.toLower(b[i])) return false;
    return true;
}

bool equalsIgnoringCasePrefix(const char *text, std::string_view word, std::size_t limit) noexcept {
    std::size_t i = 0;
    for (; i < limit && text[i]; ++i)
        if (i >= word.size() || (text[i] != word[i] && isLetter.toLower(text[i]) != isLetter.toLower(word[i])))
            return false;
    return i == limit || i == word.size();
}

void cutPieces(const char *text, Pieces &out) noexcept {
    out.count = out.numeric = 0;
    if (!text) return;
    int count = 0, numeric = 0;
    for (const char *s = text; *s;) {
        bool digits = isDigit(*s);
        if (!digits && !isLetter(*s)) {
            ++s;
            continue;
        }
        if (count == 3) {
            count = 4;
            break;
        }
        // A run of digits or of letters, at most kPieceMax long; the
        // character that ends it starts the next look.
        char *to = out.text[count];
        char *const first = to;
        long long value = 0;
        if (digits) {
            while (isDigit(*s) && to - first < static_cast<long>(kPieceMax)) {
                value = value * 10 + (*s - '0');
                *to++ = *s++;
            }
            ++numeric;
        } else {
            while (isLetter(*s) && to - first < static_cast<long>(kPieceMax))
                *to++ = *s++;
        }
        *to = '\0';
        out.isNumber[count] = digits;
        out.value[count] = value;
        ++count;
    }
    out.count = count;
    out.numeric = numeric;
}

int monthOfName(const DateWords &words, std::string_view word) noexcept {
    if (word.empty()) return -1;
    for (int m = 0; m < 12; ++m) {
        const std::string &name = words.months[static_cast<std::size_t>(m)];
        if (word.size() <= name.size() && equalsIgnoringCase(word, std::string_view(name).substr(0, word.size())))
            return m + 1;
    }
    return -1;
}

int parseSingleNumber(int *date, const char *digits, int format, int tense, Reparse reparse,
                      Explanation *why) {
    std::size_t n = digits ? std::strlen(digits) : 0;
    if (!validFormat(format) || n < 3 || n > 8) {
        if (why) why->add(digits ? digits : "", "date", "a number alone must have 3 to 8 digits");
        return -5;
    }
    for (std::size_t i = 0; i < n; ++i)
        if (!isDigit(digits[i])) return -5;
    static constexpr int kLengths[6][3] = {{1, 1, 1}, {1, 1, 2}, {2, 1, 2}, {2, 2, 2}, {2, 2, 3}, {2, 2, 4}};
    const int *len = kLengths[n - 3];  // day, month, year
    const auto &order = kOrder[static_cast<std::size_t>(format)];
    char rebuilt[20];
    std::size_t at = 0, from = 0;
    for (int pos = 0; pos < 3; ++pos) {
        int l = len[static_cast<int>(order[static_cast<std::size_t>(pos)])];
        if (pos) rebuilt[at++] = '/';
        std::memcpy(rebuilt + at, digits + from, static_cast<std::size_t>(l));
        at += static_cast<std::size_t>(l);
        from += static_cast<std::size_t>(l);
    }
    rebuilt[at] = '\0';
    if (why) why->add(digits, "date", std::string("a number alone is cut in the format's order into ") + rebuilt);
    return reparse(date, rebuilt, format, tense, why);
}

int parseTwoPieces(int *date, const char *word, const char *number, int format, int tense,
                   Reparse reparse, Explanation *why) {
    std::size_t n = number ? std::strlen(number) : 0;
    std::size_t w = word ? std::strlen(word) : 0;
    if (!validFormat(format) || n < 2 || n > 6 || w > 9 || !word) {
        if (why) why->add(std::string(word ? word : "") + " " + (number ? number : ""), "date",
                          "a word with a number needs 2 to 6 digits and at most 9 letters");
        return -5;
    }
    static constexpr int kDayDigits[5] = {1, 1, 2, 2, 2};
    int dayLen = kDayDigits[n - 2];
    std::string dayPart, yearPart;
    bool yearFirst = kOrder[static_cast<std::size_t>(format)][0] == Role::Year;
    if (yearFirst) {
        yearPart.assign(number, n - static_cast<std::size_t>(dayLen));
        dayPart.assign(number + yearPart.size());
    } else {
        dayPart.assign(number, static_cast<std::size_t>(dayLen));
        yearPart.assign(number + dayLen);
    }
    std::string rebuilt = yearFirst ? yearPart + "/" + word + "/" + dayPart : dayPart + "/" + word + "/" + yearPart;
    if (rebuilt.size() > 19) return -1;
    if (why) why->add(std::string(word) + " " + number, "date", "a word with a number: the number holds day and year, giving " + rebuilt);
    return reparse(date, rebuilt.c_str(), format, tense, why);
}

int parseText(int *date, const char *text, int format, int tense, const DateWords &words,
              Reparse reparse, Explanation *why) {
    if (!text || !*text) {
        if (why) why->add("", "date", "an empty text is no date");
        return 0;
    }
    if (!words.unknown.empty() && equalsIgnoringCasePrefix(text, words.unknown, kPieceMax)) {
        if (why) why->add(text, "date", "the word for an unknown date");
        return 0;
    }
    Pieces p;
    cutPieces(text, p);
    if (p.count == 1) {
        if (p.isNumber[0]) return parseSingleNumber(date, p.text[0], format, tense, reparse, why);
        return singleWord(date, p.text[0], words, why);
    }
    if (p.count == 2 && p.numeric == 1) {
        int w = p.isNumber[0] ? 1 : 0;
        return parseTwoPieces(date, p.text[w], p.text[1 - w], format, tense, reparse, why);
    }
    if (p.count == 3 && p.numeric >= 2) return threePieces(date, p, format, tense, words, why);
    if (why) why->add(text, "date", p.count > 3 ? "more than three pieces" : p.count == 3 ? "three pieces need at least two numbers" : p.count == 2 ? "two pieces need one word and one number" : "no digits or letters");
    return -5;
}

}  // namespace orv::dates

// Date texts: the parser's rules at their edges, the printer in every format
// (checked against the C library's strftime where the two agree), round
// trips, German month names and the formats in other notations. Today is
// fixed at December 6th 2026 and the zone at UTC.
#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/dt.h>
#include <ORVCommonKit/dtlocale.h>
#include <ORVCommonKit/orvlocale.h>
#include <ORVCommonKit/tr.h>

#include "dates/dt_calendar.h"
#include "dates/dt_state.h"
#include "dates/dt_words.h"
#include "dates/dtlocale_keywords.h"
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include <gmock/gmock.h>

#include <cstring>
#include <ctime>
#include <string>

namespace {

constexpr int kEnglish = 1, kGerman = 2;

std::time_t december6th2026() { return 1796558400; }  // 2026-12-06 12:00 UTC

class DateStringsTest : public ::testing::Test {
protected:
    void SetUp() override {
        tzset();
        orvlocale_term();
        cf_term();
        install_.write("sys/data/cf/behavior.plist", "{ }");
        install_.write("sys/config/interface.base",
                       "SupportedLanguages\tSYSTEM\tenu deu\nenu.LanguageID\tSYSTEM\t1\n"
                       "deu.LanguageID\tSYSTEM\t2\n");
        orv::dates::forgetLanguageWords();
        orv::dates::setClock(december6th2026);
        capture_.start();
        dt_set_str_fmt(4);
        dt_set_str_sep('-');
        dt_set_language(kEnglish);
    }
    void TearDown() override {
        orv::dates::setClock(nullptr);
        dt_set_language(kEnglish);
        orvlocale_term();
        cf_term();
        tzset();
    }
    orvtest::ScopedEnv tz_{"TZ", "UTC0"};
    orvtest::TempInstallation install_;
    orvtest::TraceCapture capture_;
};

struct ParseRow {
    const char *text;
    int format, tense, code, date;
};

TEST_F(DateStringsTest, ParserRules) {
    ASSERT_EQ(dt_today(), 20261206);
    const ParseRow rows[] = {
        // worked examples
        {"5/6/2017", 4, -1, 0, 20170506}, {"13/5/2017", 4, -1, 0, 20170513},
        {"2017-13-05", 4, -1, 0, 20170513}, {"May 5, 2017", 4, -1, 0, 20170505},
        {"5/6/2017", 6, -1, 0, 20170605}, {"5/13/17", 6, -1, -5, 0},
        {"050617", 4, -1, 0, 20170506}, {"May0517", 4, -1, 0, 20170505},
        // empty and unknown
        {"", 4, -1, 0, 0}, {"uNkNoWn", 4, -1, 0, 0},
        {"  Unknown  ", 4, -1, 0, 0},
        // numbers alone, pieces
        {"123456789", 4, -1, -5, 0}, {"12", 4, -1, -5, 0},
        {"0/5/6", 4, -1, 0, 20000506}, {"May June", 4, -1, -5, 0},
        {"5 6", 4, -1, -5, 0}, {"1 2 3 4", 4, -1, -5, 0},
        {"5May2017", 4, -1, 0, 20170505}, {"Jan052017", 4, -1, 0, 20170105},
        {"170506", 10, -1, 0, 20170506}, {"2017May05", 9, -1, 0, 20170505},
        {"May175", 10, -1, 0, 20170505},
        {"Ma 3 2017", 4, -1, 0, 20170303}, {"j 3 2017", 4, -1, 0, 20170103},
        {"Foo 3 2017", 4, -1, -5, 0}, {"40 50 2017", 4, -1, -5, 0},
        {"13 14 2017", 4, -1, -5, 0},
        // final check
        {"4/31/2017", 4, -1, -2, 0}, {"2/29/2017", 4, -1, -2, 0},
        {"2/29/2016", 4, -1, 0, 20160229}, {"2/29/00", 4, -1, 0, 20000229},
        {"1/1/1799", 4, -1, -4, 0}, {"1/1/999", 4, -1, -4, 0}, {"12/31/99", 4, -1, 0, 19991231},
        {"1/1/99999", 4, -1, -5, 0}, {"2017/02/30", 9, -1, -2, 0},
        // tense at its edges (today 2026-12-06)
        {"1/1/27", 4, -1, 0, 19270101}, {"1/1/26", 4, -1, 0, 20260101},
        {"12/6/26", 4, -1, 0, 20261206}, {"12/7/26", 4, -1, 0, 19261207},
        {"1/1/76", 4, 0, 0, 20760101}, {"1/1/77", 4, 0, 0, 19770101},
        {"12/31/75", 4, 0, 0, 20751231}, {"12/5/26", 4, 1, 0, 21261205},
        {"12/6/26", 4, 1, 0, 20261206}, {"1/1/25", 4, 7, 0, 20250101},
        // day words, formats
        {"today", 4, -1, 0, 20261206}, {"NOW", 4, -1, 0, 20261206},
        {"yesterday", 4, -1, 0, 20261205}, {" Tomorrow ", 4, -1, 0, 20261207},
        {"someday", 4, -1, -5, 0}, {"2017-05-06", 16, -1, -5, 0},
        {"2017-05-06", -1, -1, -5, 0},
    };
    for (const ParseRow &r : rows) {
        int date = -7;
        EXPECT_EQ(dt_str_to_date_format_tense(&date, r.text, r.format, r.tense), r.code)
            << r.text << " in format " << r.format;
        EXPECT_EQ(date, r.date) << r.text << " in format " << r.format;
    }
    EXPECT_TRUE(capture_.errors().empty());
    int date = -7;
    // The entry points without a tense place a two-digit year in the past.
    for (auto parse : {+[](int *d) { return dt_str_to_date(d, "1/1/27"); }, +[](int *d) { return dt_str_to_date_format(d, "1/1/27", 4); },
                       +[](int *d) { return dt_str_to_date_format_language(d, "1/1/27", 4, kEnglish); },
                       +[](int *d) { return dtlocale_str_to_date(d, "1/1/27"); }, +[](int *d) { return dtlocale_str_to_date_format(d, "1/1/27", 4); }}) {
        EXPECT_EQ(parse(&date), 0);
        EXPECT_EQ(date, 19270101);
    }
}

TEST_F(DateStringsTest, PiecesAndTheirLimits) {
    struct Row { const char *text; int count, numeric; const char *pieces[3]; };
    const Row rows[] = {
        {"Jan05", 2, 1, {"Jan", "05", ""}},
        {"--5May2017--", 3, 2, {"5", "May", "2017"}},
        {"1234567890123456789", 2, 2, {"123456789012345678", "9", ""}},
        {"1 2 3 x", 4, 3, {"1", "2", "3"}},
        {"1 2 3 ..", 3, 3, {"1", "2", "3"}},
        {"", 0, 0, {"", "", ""}},
    };
    for (const Row &r : rows) {
        char a[19], b[19], c[19];
        char *pieces[3] = {a, b, c};
        int count = -1, numeric = -1, flags[3];
        find_date_pieces(r.text, &count, &numeric, pieces, flags);
        EXPECT_EQ(count, r.count) << r.text;
        EXPECT_EQ(numeric, r.numeric) << r.text;
        for (int i = 0; i < 3 && i < count; ++i) EXPECT_STREQ(pieces[i], r.pieces[i]) << r.text;
    }
    int date = -1;
    EXPECT_EQ(parse_single_number(&date, "0506", 6, -1), 0);
    EXPECT_EQ(date, 20000506);  // 0/5/06: the 0 can only be a year, and it comes first
    EXPECT_EQ(parse_two_pieces(&date, "September", "0517", 9, -1), 0);  // year part first
    EXPECT_EQ(date, 20050917);
    EXPECT_EQ(parse_two_pieces(&date, "Septembers", "0517", 4, -1), -5);
    EXPECT_EQ(date, 0);
}

// Every format and separator prints what strftime prints with the format's
// own pattern (formats 14 and 15 shorten or pad the day their own way) and
// reads back what it printed.
TEST_F(DateStringsTest, EveryFormatPrintsLikeStrftimeAndReadsBackWhatItPrinted) {
    char ours[64], theirs[64];
    for (int date = 19300101; date < 20261206; date = dt_plus_days(date, 97)) {
        std::tm tm{};
        tm.tm_year = date / 10000 - 1900, tm.tm_mon = date / 100 % 100 - 1, tm.tm_mday = date % 100;
        for (char sep : {'-', '/', '.', ' ', ','}) {
            for (int f = 0; f < 16; ++f) {
                ASSERT_EQ(dt_date_to_str_format(ours, date, f, sep), 0);
                std::strftime(theirs, sizeof theirs, dt_fmt_to_unix_str(f, sep), &tm);
                if (f < 14) {
                    ASSERT_STREQ(ours, theirs) << date << " format " << f;
                }
                int back = 0;
                ASSERT_EQ(dt_str_to_date_format(&back, ours, f), 0) << ours << " format " << f;
                ASSERT_EQ(back, date) << ours << " format " << f;
            }
        }
    }
    struct Row { int date, format; const char *text; };
    const Row rows[] = {
        {20170506, 14, "May 6/17"}, {20170906, 14, "Sep. 6/17"}, {20170506, 15, "May 6, 2017"},
        {20171231, 15, "December 31, 2017"}, {0, 4, "Unknown"}, {100000101, 9, "10000-01-01"},
    };
    for (const Row &r : rows) {
        ASSERT_EQ(dt_date_to_str_format(ours, r.date, r.format, '-'), 0);
        EXPECT_STREQ(ours, r.text);
    }
    struct Bad { int date, format, code; };
    for (const Bad &b : {Bad{20170230, 4, -2}, Bad{20171301, 4, -3}, Bad{17991231, 4, -4},
                         Bad{20170506, 16, -5}, Bad{20170506, -3, -5}}) {
        std::strcpy(ours, "old");
        EXPECT_EQ(dt_date_to_str_format(ours, b.date, b.format, '-'), b.code);
        EXPECT_STREQ(ours, "");
    }
}

TEST_F(DateStringsTest, GermanNamesAndWords) {
    char text[64];
    ASSERT_EQ(dt_date_to_str_format_language(text, 20170305, 13, '.', kGerman), 0);
    EXPECT_STREQ(text, "05.M\xe4rz.2017");
    ASSERT_EQ(dt_date_to_str_format_language(text, 20171006, 14, '-', kGerman), 0);
    EXPECT_STREQ(text, "Okt. 6/17");
    ASSERT_EQ(dt_date_to_str_format_language(text, 0, 4, '-', kGerman), 0);
    EXPECT_STREQ(text, "Unbekannt");
    const ParseRow rows[] = {
        {"5. M\xc4RZ 2017", 6, -1, 0, 20170305}, {"Mai 5 2017", 4, -1, 0, 20170505},
        {"Ma 5 2017", 4, -1, 0, 20170505},  // case folds, accents do not: Mai
        {"Dez0517", 6, -1, 0, 20171205},
        {"gestern", 6, -1, 0, 20261205},        {"May 5 2017", 4, -1, -5, 0},
    };
    for (const ParseRow &r : rows) {
        int date = -1;
        dt_set_language(r.text[0] == 'D' ? kGerman : kEnglish);  // rebuilt texts use the current one
        EXPECT_EQ(dt_str_to_date_format_language_tense(&date, r.text, r.format, kGerman, r.tense), r.code) << r.text;
        EXPECT_EQ(date, r.date) << r.text;
    }
}

TEST_F(DateStringsTest, UnknownLanguageIsReportedAndChangesNothing) {
    int date = -1;
    char text[32] = "old";
    EXPECT_EQ(dt_str_to_date_format_language(&date, "5/6/2017", 4, 99), -1);
    EXPECT_EQ(date, 0);
    EXPECT_EQ(dt_date_to_str_format_language(text, 20170506, 4, '-', 98), -1);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(dt_set_language(97), -1);
    using ::testing::HasSubstr;
    EXPECT_THAT(capture_.errors(), ::testing::ElementsAre(::testing::AllOf(HasSubstr("dt_str_to_date_format_language_tense"), HasSubstr("LanguageID 99 is invalid")),
                                                          HasSubstr("dt_date_to_str_format_language"), HasSubstr("LanguageID 97 is invalid")));
    EXPECT_EQ(dt_str_to_date(&date, "5/6/2017"), 0);  // the setting is unchanged
}

TEST_F(DateStringsTest, SettingsAndOtherNotations) {
    EXPECT_EQ(dt_set_str_fmt(9), 0);
    dt_set_str_sep('/');
    char text[64];
    ASSERT_EQ(dt_get_date(text), 0);
    EXPECT_STREQ(text, "2026/12/06");
    EXPECT_STREQ(dt_fmt_to_dtp_str(9, '/'), "yyy'/'MM'/'dd");
    EXPECT_STREQ(dt_fmt_to_dtp_str(15, '/'), "MMMM dd',' yyy");
    EXPECT_STREQ(dt_time_fmt_to_unix_str(3), "%I:%M:%S %p");
    EXPECT_EQ(dt_time_fmt_to_unix_str(-1), nullptr);
    struct Row { int fmt; const char *text; };
    for (const Row &r : {Row{0, "00:00"}, Row{1, "12:00 AM"}, Row{3, "12:00:00 AM"}}) {
        dt_set_str_time_fmt(r.fmt);
        ASSERT_EQ(dt_time_to_str(text, 20170506), 0);
        EXPECT_STREQ(text, r.text);
    }
    dt_set_str_time_fmt(0);
}

TEST_F(DateStringsTest, ExplanationNamesTheRuleOfEachPiece) {
    orv::dates::Explanation why;
    int date = 0;
    ASSERT_EQ(orv::dates::parseInLanguage(&date, "03/04/05", 4, kEnglish, -1, "t", &why), 0);
    EXPECT_EQ(date, 20050304);
    ASSERT_EQ(why.steps.size(), 4u);
    EXPECT_EQ(why.steps[0].role, "month");
    EXPECT_EQ(why.steps[0].rule, "the format puts the month here");
    EXPECT_EQ(why.steps[3].rule.rfind("two-digit year became 2005", 0), 0u);
}

// The user's own words: French month names and day words.
TEST_F(DateStringsTest, UserWordsHintsAndExamples) {
    orv::dates::UserDateSettings french{{"janvier", "f\xe9vrier", "mars", "avril", "mai", "juin", "juillet",
                                         "ao\xfbt", "septembre", "octobre", "novembre", "d\xe9" "cembre"},
                                        "hier", "aujourd'hui", "demain"};
    orv::dates::setUserDateSettingsForTesting(french);
    struct Row { const char *text; int format, code, date; };
    const Row rows[] = {
        {"janv 5 2017", 4, 0, 20170105}, {"HIER", 4, 0, 20261205}, {"demain", 4, 0, 20261207},
        {"unknown", 4, 0, 0},    {"5 f\xe9v 2017", 6, 0, 20170205},
        {"yesterday", 4, -5, 0},         {"janv 5 2017", 16, -5, 0},
    };
    for (const Row &r : rows) {
        int date = -1;
        EXPECT_EQ(dtlocale_str_to_date_format(&date, r.text, r.format), r.code) << r.text;
        EXPECT_EQ(date, r.date) << r.text;
    }
    // Hints and examples share module buffers: each is checked before the next call.
    EXPECT_STREQ(dtlocale_hint_str_for_fmt_sep(9, '/'), "Y/M/D");
    EXPECT_STREQ(dtlocale_hint_str_for_fmt_sep(0, '-'), "D-M-Y");
    EXPECT_STREQ(dtlocale_hint_str_for_fmt_sep(14, ' '), "M D Y");
    EXPECT_STREQ(dtlocale_example_str_for_fmt_sep(7, '.'), "31.01.1999");
    EXPECT_STREQ(dtlocale_example_str_for_fmt_sep(14, '-'), "jan. 31/99");
    char printed[64];
    ASSERT_EQ(dtlocale_date_to_str_format(printed, 20170802, 2, '-'), 0);
    EXPECT_STREQ(printed, "ao\xfbt-02-17");
    ASSERT_EQ(dtlocale_date_to_str_format(printed, 0, 2, '-'), 0);
    EXPECT_STREQ(printed, "Unknown");
    EXPECT_STREQ(dtlocale_hint_str_for_fmt_sep(16, '-'), "");
    EXPECT_THAT(capture_.errors(), ::testing::ElementsAre(::testing::HasSubstr(
                                       "An unrecoginized format value (16) was passed to dtlocale_hint_str_for_fmt_sep.")));
    orv::dates::setUserDateSettingsForTesting(std::nullopt);
    orvtest::ScopedEnv c{"LC_ALL", "C"};
    EXPECT_EQ(orv::dates::userDateSettings().months[8], "September");
    EXPECT_EQ(orv::dates::userDateSettings().priorDay, "Yesterday");
}

}  // namespace

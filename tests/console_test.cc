// The console engine, choices, menus and linked lists, driven as a user
// would: each case runs in a child process whose standard input is a text
// and whose standard output is checked.
#include "support/orv_child.h"
#include "support/orv_test_support.h"

#include <ORVCommonKit/choose.h>
#include <ORVCommonKit/input.h>
#include <ORVCommonKit/ll.h>
#include <ORVCommonKit/menu.h>

#include "console/input_testing.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using orvtest::run_in_child;
using orvtest::TempDir;

int count_of(const std::string &text, const std::string &part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// Expects each part in text, each after the start of the one before.
void expect_in_order(const std::string &text, std::initializer_list<std::string> parts) {
    std::size_t at = 0;
    for (const std::string &part : parts) {
        at = text.find(part, at);
        ASSERT_NE(std::string::npos, at) << part << "\nin:\n" << text;
        ++at;
    }
}

// A child that reads lines with input() until end of input and prints each
// answer as "<text|result>".
void echo_lines() {
    char line[161];
    for (int i = 0; i < 20; ++i) {
        const int got = input(line);
        std::printf("<%s|%d>\n", line, got);
        if (std::strcmp(line, "<EOF>") == 0) break;
    }
}

TEST(ConsoleInput, DirectivesAreCarriedOutAndOtherLinesReturned) {
    struct Case {
        const char *typed;
        std::initializer_list<std::string> expected;  // parts of the output, in order
        int status = 0;
    } cases[] = {
        {"!ping extra\n !ping\n", {"ping\n", "< !ping|1>"}},
        {"!version x\n!termx\n!terminal\n", {"<!version x|1>", "<!termx|1>", "<!terminal|1>"}},
        {"!version\n", {"orvinput library compiled on ", "<<EOF>|0>"}},
        {"?token\n!token maybe\n!token en\n?token\n!token\n",
         {"Token mode is off.", "token mode stays off.", "Token mode is now on.",
          "Token mode is on.", "Token mode is now off."}},
        {"?record\n!# a note\n\nx\r\n", {"Input is not being recorded.\n", "<|0>", "<x|1>"}},
        {"!sleep -2\n!sleep 0\n!sleep\n!sleep 3\n",
         {"Sleeping 1 second...", "Sleeping 1 second...", "Sleeping 3 seconds..."}},
        {"!shell echo shell-ran\n", {"Running: echo shell-ran\n", "shell-ran\n"}},
        {"!help\n", {"INPUT DIRECTIVES", "MENU DIRECTIVES", "CHOOSE DIRECTIVES"}},
        {"!play /nonexistent/answers.npt\n", {"Cannot open the playback file '/nonexistent/answers.npt': No such file"}},
        {"!play /\n", {"Cannot open the playback file '/': Is a directory"}},
        {"!record /nonexistent/rec.npt\nline\n",
         {"Recording to '/nonexistent/rec.npt'.", "Cannot open the recording file", "<line|1>"}},
        {"first\n!term\nnever\n", {"<first|1>", "Terminated at the user's request.\n"}, 99},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        auto run = run_in_child(c.typed, [] {
            orv::console::services().sleep_seconds = [](unsigned) {};
            echo_lines();
        });
        EXPECT_EQ(c.status, run.status);
        expect_in_order(run.out, c.expected);
    }
}

// A number that fills a whole line of 160 characters.
const std::string kLongestNumber = std::string(159, '0') + "7\n";

TEST(ConsoleInput, TypedReadersAskAgainUntilTheAnswerFits) {
    struct Case {
        std::string typed;
        int (*read)(long long *);
        const char *result;  // what the reader returned and stored
        std::initializer_list<std::string> messages;
    } cases[] = {
        {"-1\n65536\nx\n65535\n", [](long long *v) { int i = 0; int r = input_int16(&i); *v = i; return r; },
         "1 65535", {"0 to 65535", "0 to 65535", "not a number"}},
        {"-1\n256\nabc\n\n 7z\n", [](long long *v) { unsigned char b = 0; int r = input_byte(&b); *v = b; return r; },
         "1 7", {"0 to 255", "0 to 255", "not a number", "blank answer is not accepted"}},
        {"12abc\n", [](long long *v) { int i = 0; int r = input_int(&i); *v = i; return r; }, "1 12", {}},
        {"x\n-3\n", [](long long *v) { int i = 0; int r = input_int(&i); *v = i; return r; }, "1 -3",
         {"not a number; please enter a whole number.\n"}},
        {kLongestNumber, [](long long *v) { int i = 0; int r = input_int16(&i); *v = i; return r; }, "1 7", {}},
        {"x\n4000000000\n", [](long long *v) { unsigned u = 0; int r = input_uint(&u); *v = u; return r; },
         "1 4000000000", {"of 0 or more"}},
        {"maybe\n\nyes\n", [](long long *v) { *v = input_bit(); return 1; }, "1 1", {"T, Y or 1", "T, Y or 1"}},
        {"0\n", [](long long *v) { *v = input_bit(); return 1; }, "1 0", {}},
        {"\xe9t\xe9\n", [](long long *v) { char c = 0; int r = input_upchar(&c); *v = static_cast<unsigned char>(c); return r; },
         "1 201", {}},
        {"\n", [](long long *v) { input_allow_blank(1); int i = 5; int r = input_long(&i); *v = i; return r; }, "0 5", {}},
        {"x\n-5\n", [](long long *v) { int i = 0; int r = input_long(&i); *v = i; return r; }, "1 -5", {"whole number.\n"}},
        {"x\n5\n", [](long long *v) { unsigned u = 0; int r = input_ulong(&u); *v = u; return r; }, "1 5", {"whole number of 0 or more.\n"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        auto run = run_in_child(c.typed, [&] {
            long long value = -99;
            const int result = c.read(&value);
            std::printf("=> %d %lld\n", result, value);
        });
        expect_in_order(run.out, c.messages);
        EXPECT_NE(std::string::npos, run.out.find(std::string("=> ") + c.result + "\n")) << run.out;
    }
}

TEST(ConsoleInput, InputThatKeepsEndingEndsTheProcess) {
    auto ended = run_in_child("", [] {
        int value;
        for (;;) input_int(&value);
    });
    EXPECT_EQ(100, ended.status);
    EXPECT_EQ(51, count_of(ended.out, "<End of input>"));
    EXPECT_EQ(1, count_of(ended.out, "Input has ended too many times"));
}

TEST(ConsoleInput, MessagesComeInTheLanguageSetLastAndMenusInTheirOwn) {
    orvtest::TempInstallation install;
    install.write("sys/data/cf/behavior.plist", "{ }");
    install.write("sys/config/interface.base", "SupportedLanguages\tSYSTEM\tenu deu\nenu.LanguageID\tSYSTEM\t1\n"
                                               "deu.LanguageID\tSYSTEM\t2\n");
    auto run = run_in_child("x\n1\nx\n2\nx\n3\nzz\nq\nzz\nq\nzz\nq\n", [] {
        int value = 0;
        for (const char *language : {"deu", "enu", "fra"}) {
            std::printf("[%s %d]\n", language, input_set_language(language));
            input_long(&value);
        }
        // Menus speak their own language: the global one when made, or their own.
        menu_set_global_language("deu");
        menu_t *global = menu_init("G", "q");
        menu_t *own = menu_init_with_language("O", "q", "enu");
        for (menu_t *menu : {global, own}) menu_run(menu);
        std::printf("[menu %d]\n", menu_set_language(own, "deu") + menu_set_language(own, "fra"));
        menu_run(own);
        menu_term(global);
        menu_term(own);
    });
    expect_in_order(run.out, {"[deu 0]", "Das ist keine Zahl; bitte eine ganze Zahl eingeben.", "[enu 0]",
                              "That is not a number; please enter a whole number.", "[fra -1]",
                              "That is not a number; please enter a whole number.", "'zz' ist keine Auswahl",
                              "'zz' is not a choice", "[menu -1]", "'zz' ist keine Auswahl"});
}

TEST(ConsoleInput, TokensAnswerSeveralQuestionsAndRecordingsReplayTheSession) {
    TempDir dir;
    const std::string record = dir / "session.npt";
    // The program: three numbers, a line, then a choice.
    auto program = [] {
        int a = 0, b = 0, c = 0;
        input_int(&a), input_int(&b), input_int(&c);
        char line[161];
        input(line);
        const char *items[] = {"red", "green", "blue"};
        const int chosen = choose_from_array("Colour", -1, nullptr, items, 3);
        std::printf("\n=> %d %d %d [%s] %d\n", a, b, c, line, chosen);
    };
    auto typed = run_in_child("!record " + record + "\n!token on\n1 2 3\n!token off\n!# note\nhello world\n3\n",
                              program);
    EXPECT_NE(std::string::npos, typed.out.find("=> 1 2 3 [hello world] 2")) << typed.out;
    EXPECT_EQ("!token on\n1 2 3\n!token off\n!# note\nhello world\n3\n", orvtest::read_file(record));

    auto replayed = run_in_child("", [&] {
        input_playback_from_file(record.c_str());
        program();
    });
    expect_in_order(replayed.out, {"Playing back '" + record + "'.\n", "=> 1 2 3 [hello world] 2"});
    EXPECT_NE(std::string::npos, replayed.out.find("1 2 3\n: 2\n: 3\n")) << replayed.out;

    // A last line without a line end is not played; playback then gives way
    // to standard input. Over-long lines are cut at 160 characters.
    const std::string long_line(200, 'x');
    dir.write("cut.npt", long_line + "\nplayed\nlost");
    auto cut = run_in_child("typed\n", [&] {
        input_playback_from_file((dir / "cut.npt").c_str());
        echo_lines();
    });
    expect_in_order(cut.out, {"<" + std::string(160, 'x') + "|1>\n", "<" + std::string(40, 'x') + "|1>\n", "<played|1>\n",
                              "Playback of '" + dir / "cut.npt" + "' stopped: end of file.", "<typed|1>"});
    EXPECT_EQ(std::string::npos, cut.out.find("lost|"));

    // A token buffer: quoted words stay together, over-long tokens and buffers are cut,
    // then token mode returns to off and input comes from the stream again.
    auto tokens = run_in_child("from-stdin\n", [] {
        input_playback_tokens_in_buffer(("a \"b c\" " + std::string(300, 'y') + " " + std::string(20, 'z')).c_str());
        echo_lines();
    });
    // The buffer holds 320 characters: 11 of the z.
    expect_in_order(tokens.out, {"<a|1>\n", "<b c|1>\n", "<" + std::string(160, 'y') + "|1>\n",
                                 "<" + std::string(11, 'z') + "|1>\n", "<from-stdin|1>"});
}

TEST(ConsoleInput, PlaybackStopsByDirectiveWithItsReasonAndQuietlyForAnotherFile) {
    TempDir dir;
    const std::string first = dir.write("first.npt", "one\n!play\nnever\n"), second = dir.write("second.npt", "two\n");
    auto stopped = run_in_child("typed\n", [&] {
        input_playback_from_file(first.c_str());
        echo_lines();
    });
    expect_in_order(stopped.out, {"<one|1>", "Playback of '" + first + "' stopped: stopped by !play.\n", "<typed|1>"});
    auto replaced = run_in_child("", [&] {
        char line[161];
        input_playback_from_file(first.c_str());
        input(line);
        input_playback_from_file(second.c_str());
        echo_lines();
    });
    expect_in_order(replaced.out, {"<two|1>", "Playback of '" + second + "' stopped: end of file.\n"});
    EXPECT_EQ(0, count_of(replaced.out, "Playback of '" + first));
}

TEST(ConsoleInput, DefaultsAndRecordingWithoutAName) {
    auto run = run_in_child("\n\nown\n!record\n\n!record\n!record\n?record\n", [] {
        char buffer[161] = "kept";
        input_default(buffer, "fallback");
        std::printf("=> %s\n", buffer);
        input_default(buffer, buffer);
        std::printf("=> %s\n", buffer);
        input_default(buffer, nullptr);
        std::printf("=> %s\n", buffer);
        char line[161];
        input(line);
        std::remove("default.npt");
    });
    EXPECT_NE(std::string::npos, run.out.find("[fallback]: => fallback\n[fallback]: => fallback\n[]: => own"));
    // The second start takes the last name without asking.
    EXPECT_EQ(1, count_of(run.out, "Name of the recording file"));
    EXPECT_EQ(2, count_of(run.out, "Recording to 'default.npt'."));
    EXPECT_NE(std::string::npos, run.out.find("Input is being recorded."));
}

const char *kXyz[] = {"x", "y", "z"};
const char *kTwo[] = {"one", "two"};
const char *kTen[] = {"a1", "a2", "a3", "a4", "a5", "a6", "a7", "a8", "a9", "a10"};

TEST(ConsoleChoose, AnswersFollowKeysValuesAndDefaults) {
    struct Case {
        const char *typed;
        int (*ask)();
        int answer;
        const char *shown;
    } cases[] = {
        {"\n", [] { return choose_from_array("T", 2, nullptr, kXyz, 3); }, 2, "(1, 2, [3])"},
        {"\n4\n3\n", [] { return choose_from_array("T", 7, nullptr, kXyz, 3); }, 2,
         "There is no default value.  Choose again: Invalid choice '4'."},
        {"a\n", [] { return choose_from_array("T", -1, nullptr, kTen, 10); }, 9, "    9. a9 "},
        {"!quit\n", [] { return choose_from_args("T", 'y', "xyz", "ex", "why", "zed"); }, 0, "(x, [y], z)"},
        {"\n", [] { return choose_from_enum("T", 20, "lm", "low", 10, "mid", 20); }, 20, "(l, [m])"},
        {"Q\n", [] { return choose_from_numbers("N", 0, kTwo, 2); }, -1, "  q. Quit \n"},
        {"11\n11\n11\n11\n10\n", [] { return choose_from_numbers("N", -1, kTen, 10); }, 9,
         "values only: 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, q \n"},
        {"!quit\n2\n", [] { return choose_from_numbers("N", -1, kTwo, 2); }, 1,
         "Invalid choice '0'."},
        {"maybe\ny\n", [] { return choose_proceed("Go on?"); }, 1, "Please enter 'Y' or 'N' only.\nGo on? (Y/N): Proceeding..."},
        {"", [] { return choose_bool(nullptr); }, 0, "Do you wish to proceed (Y/N): "},
        {"\n", [] { int flag = 9; return choose_opt_bool(&flag, "Q") * 10 + flag; }, 9, "Q (Y/N)"},
        {"n\n", [] { int flag = 9; return choose_opt_bool(&flag, "Q") * 10 + flag; }, 10, "Q (Y/N)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        auto run = run_in_child(c.typed, [&] { std::printf("\n=> %d\n", c.ask()); });
        EXPECT_NE(std::string::npos, run.out.find("=> " + std::to_string(c.answer) + "\n")) << run.out;
        EXPECT_NE(std::string::npos, run.out.find(c.shown)) << run.out;
    }
    EXPECT_EQ(1, chosen_index('y', "xyz"));
    EXPECT_EQ(-1, chosen_index(0, "xyz"));
    EXPECT_EQ(-2, chosen_index('q', "xyz"));
    // An upper-half character as char or as unsigned char; numbers beyond a byte are no key.
    for (const auto &[c, index] : {std::pair<int, int>{'\xE9', 3}, {0xE9, 3}, {0x179, -2}, {256, -2}, {1 << 30, -2}})
        EXPECT_EQ(index, chosen_index(c, "xyz\xE9")) << c;
}

TEST(ConsoleChoose, ListsIndentAndFormColumns) {
    const std::string title(50, 'T');
    auto run = run_in_child("1\n1\n1\n", [&] {
        choose_from_args(title.c_str(), 0, "ab", "A", "B");   // 50 + 4 key characters: indented
        choose_from_args(title.c_str(), 0, "abc", "A", "B", "C");  // 50 + 7: still indented
        const char *twelve[12];
        std::vector<std::string> texts;
        for (int i = 0; i < 12; ++i) texts.push_back("item-" + std::string(7, static_cast<char>('a' + i)));
        for (int i = 0; i < 12; ++i) twelve[i] = texts[static_cast<std::size_t>(i)].c_str();
        choose_from_array("Twelve", -1, nullptr, twelve, 12);
    });
    EXPECT_NE(std::string::npos, run.out.find(std::string(50, ' ') + "  Enter choice (a, b)"));
    EXPECT_NE(std::string::npos, run.out.find(std::string(50, ' ') + "  Enter choice (a, b, c)"));
    // 80 / (12 + 8) = 4 columns of 3 rows, running down the columns.
    EXPECT_NE(std::string::npos, run.out.find("    1. item-aaaaaaa    4. item-ddddddd    7. item-ggggggg    a. item-jjjjjjj\n"));
}

}  // namespace

namespace {

int code_of(void *first, void *) { return static_cast<int>(reinterpret_cast<std::intptr_t>(first)); }
int say(void *first, void *) {
    std::printf("[%s]", static_cast<const char *>(first));
    return 0;
}

TEST(ConsoleMenu, BordersAndColumnsFollowTheTitleAndTheEntries) {
    // Twelve wrong answers to the first menu: the box comes back after every fourth.
    std::string typed;
    for (int i = 0; i < 12; ++i) typed += "x\n";
    const std::string longest(80, 'T');
    auto run = run_in_child(typed + "!quit\n!quit\n!quit\n!quit\n", [&] {
        for (const char *title : {"Four", "Fives", longest.c_str()}) {
            menu_t *menu = menu_init(title, "q");
            menu_run(menu);
            menu_term(menu);
        }
        // Seven entries with descriptions that leave room for 4 columns: 2 rows of 4.
        menu_t *menu = menu_init(nullptr, "q");
        menu_set_columns(menu, 0);
        for (const char *choice : {"a", "b", "c", "d", "e", "f", "g"}) menu_add_entry(menu, choice, "desc-of-ten", nullptr, nullptr, 0, nullptr, 0);
        menu_run(menu);
        menu_term(menu);
    });
    // 75 / (11 + 2 + 3) = 4 columns, rows 2; description width (75 - 20) / 4 = 13.
    expect_in_order(run.out, {"  +" + std::string(34, '-') + " Four " + std::string(34, '-') + "+\n",
                              "  +" + std::string(33, '-') + " Fives " + std::string(34, '-') + "+\n",
                              "  + " + std::string(72, 'T') + " +\n",  // a title is cut at 72 characters
                              "  | a. desc-of-ten  | c. desc-of-ten  | e. desc-of-ten  | g. desc-of-ten     |\n"
                              "  | b. desc-of-ten  | d. desc-of-ten  | f. desc-of-ten  |                    |\n"});
    EXPECT_EQ(4, count_of(run.out, " Four "));
    EXPECT_EQ(4, count_of(run.out, "Menu left."));
}

TEST(ConsoleMenu, ActionsRunAroundTheChosenEntry) {
    struct Case {
        long pre;          // code of the pre-action; -1 none
        const char *typed;
        const char *shown;
        int result;
    } cases[] = {
        {-1, "x\n", "x: run x\n[x][post]Your", 1},  // then the end of input
        {1, "x\n", "x: run x\n[post]Your", 1},
        {2, "x\n", "x: run x\n[x]Your", 1},
        {3, "x\n", "x: run x\nYour", 1},
        {7, "x\n", "x: run x\n\n=> 7", 7},
        {0, "y\n", "y: stop\n", 5},
        {0, "q\n", "q: Quit (missing quit entry)\n", 0},
        {0, "nope\n\n!quit\n", "'nope' is not a choice of this menu.", 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        auto run = run_in_child(c.typed, [&] {
            menu_set_hidden(1);
            menu_t *menu = menu_init("Actions", "q");
            menu_add_entry(menu, "x", "run x", say, const_cast<char *>("x"), 2, nullptr, 0);
            menu_add_entry(menu, "y", "stop", code_of, reinterpret_cast<void *>(5), 0, nullptr, 0);
            menu_set_post_action(menu, say, const_cast<char *>("post"), 0, nullptr, 0);
            if (c.pre >= 0) menu_set_pre_action(menu, code_of, reinterpret_cast<void *>(c.pre), 0, nullptr, 0);
            const int result = menu_run(menu);
            std::printf("\n=> %d\n", result);
            menu_term(menu);
        });
        EXPECT_NE(std::string::npos, run.out.find(c.shown)) << run.out;
        EXPECT_NE(std::string::npos, run.out.find("=> " + std::to_string(c.result))) << run.out;
    }
}

TEST(ConsoleMenu, DirectivesChangeColumnsAndVisibilityAndEntriesCanMove) {
    auto run = run_in_child("!col zz\n2\n!hide\nnope\n?\n!hide\n!col 0\nb\n", [] {
        menu_t *menu = menu_init("Dirs", nullptr);
        char description[] = "first";  // the menu keeps its own copy
        menu_add_entry(menu, "a", description, nullptr, nullptr, 0, nullptr, 0);
        description[0] = 'X';
        menu_add_entry(menu, "c", "third", nullptr, nullptr, 0, nullptr, 0);
        menu_add_entry_before_choice(menu, "c", "b", "second", menu_return, reinterpret_cast<void *>(4), 0, nullptr, 0);
        menu_add_entry_after_choice(menu, "c", "d", "fourth", nullptr, nullptr, 0, nullptr, 0);
        const bool refused = menu_add_entry_before_choice(menu, "zz", "e", "", nullptr, nullptr, 0, nullptr, 0) == nullptr;
        const int first = menu_remove_choice(menu, "d");
        std::printf("%d %d %d %s %d\n", refused, first, menu_remove_choice(menu, "d"),
                    menu_entry_with_choice(menu, "c")->description, menu_entry_with_choice(menu, "d") == nullptr);
        const int result = menu_run(menu);
        std::printf("=> %d %s\n", result, menu_selected_entry(menu)->choice);
        menu_t *other = menu_init("Other", nullptr);
        const int foreign = menu_remove_entry(other, menu_selected_entry(menu));  // not an entry of other
        menu_term(other);
        menu_remove_entry(menu, menu_selected_entry(menu));
        std::printf("=> %d %d\n", foreign, menu_selected_entry(menu) == nullptr);
        menu_term(menu);
    });
    // Hidden: "nope" is answered without the box; "?" shows it once.
    expect_in_order(run.out, {"1 1 0 third 1\n",
                              "'zz' is not a number.\nThe number of columns must be 0 or more, not -1.\n"
                              "Number of columns (0 for automatic) : Columns set to 2.\n",
                              "  | a. first                           | c. third                            |\n",
                              "Your choice: 'nope' is not a choice of this menu.\nYour choice: \n  +", "Columns set to 0.",
                              "=> 4 b\n=> 0 1\n"});
}

int compare_text(const void *a, const void *b) { return std::strcmp(static_cast<const char *>(a), static_cast<const char *>(b)); }

TEST(ConsoleList, ItemsMoveThroughTheRing) {
    char a[] = "A", b[] = "B", c[] = "C";
    ll_list_t list{};
    ASSERT_EQ(0, ll_create_list(&list));
    EXPECT_EQ(nullptr, ll_get_next_item(&list));
    EXPECT_EQ(-1, ll_add_item(&list, ll_END, nullptr));
    EXPECT_EQ(-1, ll_add_item(&list, ll_CURRENT, a));
    ll_add_item(&list, ll_END, a), ll_add_item(&list, ll_END, b), ll_add_item(&list, ll_FRONT, c);
    EXPECT_EQ(c, ll_get_curr_item(&list));
    EXPECT_EQ(a, ll_get_nth_item(&list, 1));
    EXPECT_EQ(nullptr, ll_get_nth_item(&list, 3));
    EXPECT_EQ(a, ll_get_curr_item(&list));
    EXPECT_EQ(b, ll_get_next_item(&list));
    EXPECT_EQ(nullptr, ll_delete_item(&list, ll_AFTER));  // after the last is the marker
    EXPECT_EQ(nullptr, ll_get_next_item(&list));
    EXPECT_EQ(c, ll_get_next_item(&list));
    EXPECT_EQ(b, ll_get_tail_item(&list));
    EXPECT_EQ(b, ll_delete_item(&list, ll_CURRENT));  // the last: current moves back
    EXPECT_EQ(a, ll_get_curr_item(&list));
    ll_add_item(&list, ll_BEFORE, b);  // C, B, A
    EXPECT_EQ(&list, ll_sort(&list, compare_text));
    EXPECT_EQ(b, ll_get_curr_item(&list));  // the element stays, its item is sorted
    EXPECT_EQ(a, ll_get_head_item(&list));
    EXPECT_EQ(a, ll_delete_item(&list, ll_CURRENT));  // not the last: current moves on
    EXPECT_EQ(b, ll_get_curr_item(&list));
    EXPECT_EQ(-1, ll_dispose_list(&list));
    EXPECT_EQ(b, ll_delete_item(&list, ll_FRONT));
    EXPECT_EQ(c, ll_delete_item(&list, ll_END));
    EXPECT_EQ(0, ll_num_of_items(&list));
    EXPECT_EQ(0, ll_dispose_list(&list));
}

}  // namespace

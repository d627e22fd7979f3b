// Tests of the option parsers: the handle parser over argument vectors with
// every value type, the step parser over the same kind of vectors, the number
// tests, the program name and every message, byte for byte.
#include <ORVCommonKit/orvopt.h>

#include "support/orv_test_support.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using orvtest::CapturedStdout;

// Every vector of these tests starts with this argument, so the program name
// is "prog" whichever parser names it first.
constexpr const char *kArg0 = "/usr/local/bin/prog";

// An argument vector owning its strings, with the null pointer after the last.
class Argv {
public:
    Argv(std::initializer_list<std::string> args) : Argv(std::vector<std::string>(args)) {}
    explicit Argv(const std::vector<std::string> &args) : strings_{kArg0} {
        strings_.insert(strings_.end(), args.begin(), args.end());
        for (std::string &s : strings_) pointers_.push_back(s.data());
        pointers_.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(strings_.size()); }
    char **argv() { return pointers_.data(); }

private:
    std::vector<std::string> strings_;
    std::vector<char *> pointers_;
};

// Callbacks record what they were called with; a value "bad" is refused.
std::string Calls;
int record0(orvopt_t *, char letter) {
    Calls += std::string("f0:") + letter + ";";
    return 0;
}
char record1(orvopt_t *, char letter, const char *value) {
    Calls += std::string("f1:") + letter + "=" + value + ";";
    return std::strcmp(value, "bad") != 0;
}

// Storage for the one specification table shared by the table-driven cases
// (the optional long and float letters L and F store where l and f do).
// Sentinels mark what the extraction did not touch.
constexpr int kUntouched = -7777;
struct Values {
    Values() { Calls.clear(); }
    char v = 9, q = 9;
    int n = kUntouched, i = kUntouched;
    long l = kUntouched;
    unsigned u = 7777;
    unsigned long U = 7777;
    float f = -7777.0f;
    char *s = nullptr, *o = nullptr;

    // The values that changed, e.g. "v=1 n=5 s=name".
    std::string changed() const {
        std::string out;
        auto add = [&out](const std::string &item) { out += (out.empty() ? "" : " ") + item; };
        if (v != 0) add("v=" + std::to_string(v));
        if (q != 0) add("q=" + std::to_string(q));
        if (n != kUntouched) add("n=" + std::to_string(n));
        if (i != kUntouched) add("i=" + std::to_string(i));
        if (l != kUntouched) add("l=" + std::to_string(l));
        if (u != 7777) add("u=" + std::to_string(u));
        if (U != 7777) add("U=" + std::to_string(U));
        if (f != -7777.0f) add("f=" + std::to_string(f));
        if (s) add("s=" + std::string(s));
        if (o) add("o=" + std::string(o));
        if (!Calls.empty()) add(Calls);
        return out;
    }
};

std::vector<orvopt_spec_t> table_for(Values &val) {
    std::vector<orvopt_spec_t> table = {
        {'v', orvopt_BOOL, {&val.v}},       {'q', orvopt_BOOL, {&val.q}},   {'n', orvopt_INT, {&val.n}},
        {'i', orvopt_OPT_INT, {&val.i}},    {'l', orvopt_LONG, {&val.l}},   {'u', orvopt_UINT, {&val.u}},
        {'U', orvopt_OPT_ULONG, {&val.U}},  {'f', orvopt_FLOAT, {&val.f}},  {'s', orvopt_STRING, {&val.s}},
        {'o', orvopt_OPT_STRING, {&val.o}}, {'a', orvopt_FUNC0, {nullptr}}, {'b', orvopt_FUNC1, {nullptr}},
        {'c', orvopt_OPT_FUNCT1, {nullptr}}, {'L', orvopt_OPT_LONG, {&val.l}}, {'F', orvopt_OPT_FLOAT, {&val.f}},
        {'\0', orvopt_BOOL, {nullptr}}};
    table[10].to.func0 = record0;
    table[11].to.func1 = table[12].to.func1 = record1;
    return table;
}

// Walks the arguments left after the options with first_arg/next_arg.
std::vector<std::string> remaining(orvopt_p h) {
    std::vector<std::string> out;
    for (const char *a = orvopt_first_arg(h); a != nullptr; a = orvopt_next_arg(h)) out.emplace_back(a);
    return out;
}

// The first handle of the process names the program; every case here runs
// as if that had been one over a vector of these tests.
class HandleParserTest : public ::testing::Test {
protected:
    void SetUp() override {
        Argv args{};
        orvopt_term(orvopt_init(args.argc(), args.argv()));
    }
};

// A vector, the result, the values that changed, the arguments left, and what the walk printed.
struct ExtractCase { const char *what; std::vector<std::string> args; int result; const char *values;
                     std::vector<std::string> rest; std::string out; };

const ExtractCase kExtractCases[] = {
    {"flag, int, string, operands", {"-v", "-n", "5", "-s", "name", "f1", "f2"}, 0, "v=1 n=5 s=name", {"f1", "f2"}, ""},
    {"values attached", {"-n42", "-s/tmp/x", "-l-9", "-u7", "-U8", "-f2.5"}, 0, "n=42 l=-9 u=7 U=8 f=2.500000 s=/tmp/x", {}, ""},
    {"required value whatever it starts with", {"-n", "-5", "-s", "-v"}, 0, "n=-5 s=-v", {}, ""},
    {"grouped letters: only the first counts", {"-vq", "x"}, 0, "v=1", {"x"}, ""},
    {"optional value left out before an option", {"-o", "-v"}, 0, "v=1 o=", {}, ""},
    {"optional value left out at the end", {"-i"}, 0, "i=0", {}, ""},
    {"optional unsigned value left out", {"-U", "-v"}, 0, "v=1 U=0", {}, ""},
    {"optional long and float values left out", {"-L", "-F"}, 0, "l=0 f=0.000000", {}, ""},
    {"optional value separate and attached", {"-i", "7", "-oname", "rest"}, 0, "i=7 o=name", {"rest"}, ""},
    {"-- ends the options and is not an argument", {"--", "-v"}, 0, "", {"-v"}, ""},
    {"a long word also ends the options", {"-v", "--quiet", "-q"}, 0, "v=1", {"-q"}, ""},
    {"the first operand ends the options", {"file", "-v"}, 0, "", {"file", "-v"}, ""},
    {"the program alone", {}, 0, "", {}, ""},
    {"the empty text as a string value", {"-s", ""}, 0, "s=", {}, ""},
    {"whole numbers the tests let through", {"-n", "-", "-f", "-.", "-u", "007"}, 0, "n=0 u=7 f=0.000000", {}, ""},
    {"numbers beyond their type are clamped", {"-n", "99999999999", "-u", "99999999999", "-f", std::string(50, '9')},
     0, "n=2147483647 u=4294967295 f=inf", {}, ""},
    {"largest unsigned long", {"-U", "18446744073709551615"}, 0, "U=18446744073709551615", {}, ""},
    {"not an integer", {"-n", "x"}, orvopt_FAILED, "", {}, "prog: integer argument expected -- n \"x\"\n"},
    {"not a long integer", {"-l", "1e5"}, orvopt_FAILED, "", {}, "prog: long integer argument expected -- l \"1e5\"\n"},
    {"a sign is not unsigned", {"-u", "-1"}, orvopt_FAILED, "", {}, "prog: unsigned int argument expected -- u \"-1\"\n"},
    {"not an unsigned long", {"-U1.5"}, orvopt_FAILED, "", {}, "prog: unsigned long argument expected -- U \"1.5\"\n"},
    {"two points", {"-f", "1.2.3"}, orvopt_FAILED, "", {}, "prog: floating point argument expected -- f \"1.2.3\"\n"},
    {"the empty text is no number", {"-n", ""}, orvopt_FAILED, "", {}, "prog: integer argument expected -- n \"\"\n"},
    {"an optional number", {"-ix"}, orvopt_FAILED, "", {}, "prog: integer argument expected -- i \"x\"\n"},
    {"unknown letter", {"-z"}, orvopt_FAILED, "", {}, "prog: illegal option -- z.\n"},
    {"required value missing", {"-v", "-n"}, orvopt_FAILED, "v=1", {}, "prog: option requires argument -- n.\n"},
    {"failures do not stop the walk", {"-z", "-n", "x", "-v", "file"}, orvopt_FAILED, "v=1", {"file"},
     "prog: illegal option -- z.\nprog: integer argument expected -- n \"x\"\n"},
    {"a lone dash", {"-", "file"}, orvopt_FAILED, "", {"file"}, std::string("prog: illegal option -- ") + '\0' + ".\n"},
    // A refused value prints nothing of its own but counts as one failure.
    {"functions with their values", {"-a", "-bx", "-b", "bad", "-c", "-c"}, orvopt_FAILED,
     "f0:a;f1:b=x;f1:b=bad;f1:c=;f1:c=;", {}, ""},
};

TEST_F(HandleParserTest, ExtractsEveryTypeFromTableDrivenVectors) {
    for (const ExtractCase &c : kExtractCases) {
        SCOPED_TRACE(c.what);
        Argv args(c.args);
        Values val;
        const std::vector<orvopt_spec_t> table = table_for(val);
        orvopt_p h = orvopt_init(args.argc(), args.argv());
        ASSERT_NE(h, nullptr);
        CapturedStdout out;
        const int result = orvopt_extract_table(h, table.data());
        EXPECT_EQ(out.finish(), c.out);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(orvopt_error_count(h), c.result ? std::max<int>(1, orvtest::lines_of(c.out).size()) : 0);
        EXPECT_EQ(val.changed(), c.values);
        EXPECT_EQ(orvopt_remaining_count(h), static_cast<int>(c.rest.size()));
        EXPECT_EQ(remaining(h), c.rest);
        orvopt_term(h);
    }
}

TEST_F(HandleParserTest, WalksTheRemainingArgumentsBothWays) {
    Argv args{"-v", "a", "b"};
    char v = 0;
    orvopt_p h = orvopt_init(args.argc(), args.argv());
    EXPECT_EQ(orvopt_error_count(h), 0);  // a new handle has seen no errors
    ASSERT_EQ(orvopt_extract(h, 'v', orvopt_BOOL, &v, 0), 0);
    std::string walk;
    auto step = [&walk, h](const char *arg) {
        walk += std::string(arg ? arg : "-") + "@" + std::to_string(orvopt_curr_index(h)) + "/" +
                std::to_string(orvopt_remaining_count(h)) + " ";
    };
    step(orvopt_curr_arg(h));
    step(orvopt_prev_arg(h));  // no stepping back before the first argument
    for (int k = 0; k < 3; ++k) step(orvopt_next_arg(h));
    step(orvopt_curr_arg(h));
    for (int k = 0; k < 3; ++k) step(orvopt_prev_arg(h));
    step(orvopt_first_arg(h));
    EXPECT_EQ(walk, "a@2/2 -@2/2 a@3/1 b@4/0 -@4/0 -@4/0 b@3/1 a@2/2 -@2/2 a@3/1 ");
    // A reset starts the next extraction from the first argument again;
    // without one, an extraction goes on where the last one stopped.
    v = 5;
    EXPECT_EQ(orvopt_reset(h), 0);
    EXPECT_EQ(orvopt_curr_index(h), 1);
    EXPECT_EQ(orvopt_extract(h, 'v', orvopt_BOOL, &v, 0), 0);
    EXPECT_EQ(v, 1);
    EXPECT_EQ(orvopt_extract(h, 'v', orvopt_BOOL, &v, 0), 0);
    EXPECT_EQ(v, 0);
    EXPECT_STREQ(orvopt_first_arg(h), "a");
    orvopt_term(h);
}

TEST_F(HandleParserTest, SpecificationListsBadLongAndEmpty) {
    Argv args{"-v", "x"};
    orvopt_p h = orvopt_init(args.argc(), args.argv());
    char v = 5, q = 5;
    int n = 0;
    CapturedStdout out;
    EXPECT_EQ(orvopt_extract(h, 'v', orvopt_BOOL, &v, 'n', orvopt_INT, nullptr, 'q', orvopt_BOOL, &q, 0),
              orvopt_BAD_SPEC);
    EXPECT_EQ(orvopt_error_count(h), 1);
    EXPECT_EQ(v, 0) << "flags before the bad entry are cleared";
    EXPECT_EQ(q, 5) << "entries after it are not read";
    EXPECT_EQ(orvopt_curr_index(h), 1) << "no option was walked";
    EXPECT_EQ(h->num_specs, 0) << "a bad list lists nothing";
    EXPECT_EQ(orvopt_extract(h, 'x', 117, &n, 0), orvopt_BAD_SPEC);
    EXPECT_EQ(orvopt_extract(h, 'x', 100, &n, 0), orvopt_BAD_SPEC);
    EXPECT_EQ(orvopt_extract_table(h, nullptr), orvopt_FAILED);  // no table: every option is unknown
    EXPECT_EQ(out.finish(),
              "prog: bad specification by programmer (NULL storage location) -- n.\n"
              "prog: bad specification by programmer (unknown orvopt_type_e) -- 120.\n"
              "prog: bad specification by programmer (unknown orvopt_type_e) -- 120.\n"
              "prog: illegal option -- v.\n");
    orvopt_term(h);
    // At most 62 specifications are read.
    std::vector<char> flags(64, 0);
    std::vector<orvopt_spec_t> table(64);
    for (int k = 0; k < 63; ++k) table[k] = orvopt_spec_t{static_cast<char>('!' + k), orvopt_BOOL, {&flags[k]}};
    const std::string last(1, static_cast<char>('!' + 61)), over(1, static_cast<char>('!' + 62));
    Argv many{"-" + last, "-" + over};
    h = orvopt_init(many.argc(), many.argv());
    CapturedStdout out62;
    EXPECT_EQ(orvopt_extract_table(h, table.data()), orvopt_FAILED);
    EXPECT_EQ(out62.finish(), "prog: illegal option -- " + over + ".\n");
    EXPECT_EQ(h->num_specs, 62);
    EXPECT_EQ(flags[61], 1);
    orvopt_term(h);
}

TEST_F(HandleParserTest, NullHandlesAreReportedOnStandardError) {
    // What each call returns is stated by the hostile-argument sweep; here
    // only the report each one prints.
    ::testing::internal::CaptureStderr();
    [[maybe_unused]] const int codes[] = {orvopt_extract(nullptr, 0),      orvopt_extract_table(nullptr, nullptr),
                                          orvopt_error_count(nullptr),     orvopt_reset(nullptr),
                                          orvopt_remaining_count(nullptr), orvopt_curr_index(nullptr)};
    [[maybe_unused]] const char *args[] = {orvopt_first_arg(nullptr), orvopt_next_arg(nullptr),
                                           orvopt_prev_arg(nullptr), orvopt_curr_arg(nullptr)};
    std::string expected;
    for (const char *f : {"extract", "extract", "error_count", "reset", "remaining_count", "curr_index", "first_arg",
                          "next_arg", "prev_arg", "curr_arg"})
        expected += std::string("prog: invalid handle (0x0) passed to orvopt_") + f + "() library function.\n";
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), expected);
}

std::string Debug_during_extraction;
int print_debug(orvopt_t *h, char) {
    CapturedStdout out;
    orvopt_debug(h);
    Debug_during_extraction = out.finish();
    return 0;
}

TEST_F(HandleParserTest, DebugPrintShowsHandleSpecificationsAndArguments) {
    Argv args{"-d", "a-rather-long-argument-of-forty-characters"};
    int n = 0;
    orvopt_p h = orvopt_init(args.argc(), args.argv());
    ASSERT_EQ(orvopt_extract(h, 'd', orvopt_FUNC0, print_debug, 'n', orvopt_OPT_INT, &n, 0), 0);
    auto address = [](const void *p) {
        char text[32];
        std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(p)));
        return std::string(text);
    };
    const std::string head = "orvopt_p handlep=" + address(h) + " =\n{\n    error_count = 0\n";
    const std::string argv_part = "const char *argv[3] =\n{\n    \"" + std::string(kArg0) + "\",                  // 0\n"
                                  "    \"-d\",                                   // 1\n"
                                  "    \"a-rather-long-argument-of-forty-characters\",//  2\n};\n\n";
    // While extracting, every specification is listed with its type.
    EXPECT_EQ(Debug_during_extraction.substr(0, head.size()), head);
    EXPECT_NE(Debug_during_extraction.find("orvopt_spec_t specv[2] =\n{\n    { 'd', orvopt_FUNC0,       " +
                                           address(reinterpret_cast<const void *>(print_debug)) + " },  // 0\n"
                                           "    { 'n', orvopt_ <unknown>  " + address(&n) + " },  // 1\n};\n\n" + argv_part),
              std::string::npos) << Debug_during_extraction;
    // Afterwards only the count and address of the specifications remain.
    CapturedStdout out;
    orvopt_debug(h);
    EXPECT_EQ(out.finish(), head + "    first_index = 2\n    index ..... = 2\n    num_specs . = 2\n    specv ..... = " +
                                address(h->specv) + "\n    argc ...... = 3\n    argv ...... = " + address(args.argv()) +
                                "\n};\n\norvopt_spec_t specv[2] =\n{\n};\n\n" + argv_part);
    orvopt_term(h);
}

TEST(NumberTest, ClassifiesTexts) {
    const struct { const char *text; int is_int, is_unsigned, is_float; } cases[] = {
        {"0", 1, 1, 1},   {"123", 1, 1, 1},   {"-12", 1, 0, 1},
        {"-", 1, 0, 1},     {"1-", 0, 0, 0}, {"--1", 0, 0, 0}, {"+1", 0, 0, 0},    {"1.5", 0, 0, 1},
        {".", 0, 0, 1},     {"-.5", 0, 0, 1}, {"1.2.", 0, 0, 0}, {"1e5", 0, 0, 0}, {" 1", 0, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(orvopt_is_int(c.text), c.is_int);
        EXPECT_EQ(orvopt_is_unsigned(c.text), c.is_unsigned);
        EXPECT_EQ(orvopt_is_float(c.text), c.is_float);
    }
}

// The step parser over one vector: each call's result as a letter ("v"), a
// letter with its value ("o=out"), "0" for a failure, and "end@N" with the
// index at the end.
struct StepCase { std::vector<std::string> args; const char *letters, *calls; std::string out; };

const StepCase kStepCases[] = {
    {{"-vq", "-o", "out", "rest"}, "vqo:", "v q o=out end@4", ""}, {{"-oout", "-v"}, "vo:", "o=out v end@3", ""},
    {{"-vo", "file", "x"}, "vo:", "v o=file end@3", ""},         {{"-v:"}, "v:", "v=: end@2", ""},
    {{"-vxq"}, "vq", "v 0 q end@2", "prog: illegal option -- x.\n"},
    {{"-x", "-v"}, "v", "0 v end@3", "prog: illegal option -- x.\n"},
    {{"-q:"}, "q", "q 0 end@2", "prog: illegal option -- :.\n"},
    {{"-vo"}, "vo:", "v 0 end@2", "prog: option requires argument -- o.\n"},
    {{"--", "-v"}, "v", "end@2", ""},   {{"--verbose", "-v"}, "v", "end@2", ""}, {{"-", "-v"}, "v", "end@1", ""},
    {{"file", "-v"}, "v", "end@1", ""}, {{}, "v", "end@1", ""},
    {{"-v-"}, "v", "v 0 end@2", "prog: illegal option -- -.\n"},
    {{"-v"}, nullptr, "0 end@2", "prog: illegal option -- v.\n"},
};

std::string run_steps(int argc, char **argv, const char *letters) {
    Opt_ind = 1;
    std::string calls;
    for (int k = 0; k < 20; ++k) {
        const int c = orvopt_get(argc, argv, letters);
        if (!calls.empty()) calls += " ";
        if (c == -1) return calls + "end@" + std::to_string(orvopt_ind());
        calls += c == 0 ? std::string("0") : std::string(1, static_cast<char>(c));
        if (orvopt_arg() != nullptr) calls += std::string("=") + orvopt_arg();
    }
    return calls + "...";
}

TEST(StepParserTest, ReturnsOneLetterPerCall) {
    for (const StepCase &c : kStepCases) {
        Argv args(c.args);
        SCOPED_TRACE(c.calls);
        CapturedStdout out;
        EXPECT_EQ(run_steps(args.argc(), args.argv(), c.letters), c.calls);
        EXPECT_EQ(out.finish(), c.out);
    }
    EXPECT_EQ(orvopt_opt(), 'v');  // the last letter seen
    EXPECT_EQ(run_steps(0, nullptr, "v"), "end@1");
    EXPECT_EQ(run_steps(5, nullptr, "v"), "end@1");
}

// The program name is set once per process, so these run in a fresh one.
TEST(ProgramNameTest, IsNamedOnceFromTheLastPathComponentWithoutExe) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    // Prints the program name after each step of a fresh process.
    auto names = [](std::vector<const char *> arg0s, bool step_parser) {
        std::string out = orvopt_program() ? "named" : "(null)";
        for (const char *arg0 : arg0s) {
            char *argv[] = {const_cast<char *>(arg0), nullptr};
            if (step_parser) orvopt_get(1, argv, "");
            else orvopt_term(orvopt_init(1, argv));
            out += std::string(",") + orvopt_program();
            step_parser = !step_parser;
        }
        std::fprintf(stderr, "[%s]", out.c_str());
        std::exit(0);
    };
    const std::pair<const char *, const char *> arg0s[] = {
        {"C:\\tools\\mytool.exe", "mytool"}, {"mytool.EXE", "mytool\\.EXE"}, {"/opt/orv/bin/viewer", "viewer"},
        {"./a.exe.exe", "a\\.exe"}};
    for (const auto &[arg0, name] : arg0s)
        EXPECT_EXIT(names({arg0}, false), ::testing::ExitedWithCode(0), std::string("^\\[\\(null\\),") + name + "\\]$");
    // Each parser names the program at its first call only.
    EXPECT_EXIT(names({"first", "third.exe", "/x/second", "fourth"}, false), ::testing::ExitedWithCode(0),
                "^\\[\\(null\\),first,third,third,third\\]$");
    // Messages before any name say so.
    EXPECT_EXIT((orvopt_curr_arg(nullptr), std::exit(0)), ::testing::ExitedWithCode(0),
                "^\\(null\\): invalid handle \\(0x0\\) passed to orvopt_curr_arg\\(\\) library function\\.\n$");
}

}  // namespace

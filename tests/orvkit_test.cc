// orvkit as scripts and shells use it: --json documents parsed back and
// checked field by field, the bash completion driven in a scripted bash, and
// the manual page rendered by man.
#include "support/orv_child.h"
#include "support/orv_test_support.h"

#include <ORVCommonKit/orvversion.h>
#include <nlohmann/json.hpp>

#include <string>

namespace {

using nlohmann::json;

using Outcome = orvtest::ChildRun;
const auto run = orvtest::run_shell;

std::string orvkit(const std::string &args) { return std::string(ORVKIT_PATH) + " " + args; }

class OrvkitTest : public ::testing::Test {
protected:
    void SetUp() override {
        install_.write("site/config/viewer.site",
                       "PORT\tADMIN\t1104\n"
                       "ws12.PORT\tADMIN\t4104\n"
                       "TITLE\tADMIN\t\"Gr\xFC\xDF" "e \x80" "5\"\n");
        install_.write("sys/config/viewer.base", "PORT\tSYSTEM\t104\nSERVERS\tSYSTEM\ta b\n");
        install_.write("user/config/printing.user", "COPIES\t1\n");
        install_.write("sys/data/cf/behavior.plist", "{ viewer = { default = 0x00; }; }");
    }
    json run_json(const std::string &args, int expected_status = 0) {
        const Outcome r = run(orvkit(args.find("--json") == std::string::npos ? args + " --json" : args));
        EXPECT_EQ(r.status, expected_status) << args;
        json doc = json::parse(r.out, nullptr, false);  // invalid UTF-8 fails to parse too
        EXPECT_FALSE(doc.is_discarded()) << args << ":\n" << r.out;
        return doc;
    }
    orvtest::TempInstallation install_;
};

TEST_F(OrvkitTest, JsonDocumentsOfEveryDataCommand) {
    const std::string site = install_ / "site/config/viewer.site";
    const std::string base = install_ / "sys/config/viewer.base";
    const std::string plist = install_.write("doc.plist", "{ a = (x, \"y z\"); b = <0aff>; }");
    const std::string data = install_.write("data.bin", "ABCD");
    const std::string timer_log = install_ / "timer.log";
    install_.write("site/config/rarivurizez.site", "localhost.VIRTUAL_NAME\tUSER\tfilesrv\n");
    struct Case {
        std::string args;
        int status;
        json expected;  // every field given here must match
    } cases[] = {
        {"version", 0, {{"library", ORVCOMMONKIT_VERSION_STRING}}},
        {"path ORV_SITE_CONFIG_PATH", 0,
         {{"key", "ORV_SITE_CONFIG_PATH"}, {"path", install_ / "site/config"}}},
        {"path NO_SUCH_KEY", 1, {{"key", "NO_SUCH_KEY"}, {"path", nullptr}}},
        {"compare Stra\xC3\x9F" "e STRASSE", 0, {{"a", "Stra\xC3\x9F" "e"}, {"equal", true}, {"difference", 0}}},
        {"compare abc abd --loose", 1, {{"loose", true}, {"equal", false}}},
        {"ascii --json caf\xE9", 0, {{"text", "caf\xC3\xA9"}, {"ascii", "cafe"}}},
        {"plist " + plist, 0, {{"a", {"x", "y z"}}, {"b", "0aff"}}},
        {"config get viewer PORT --host ws12 --origin", 0,
         {{"group", "viewer"},
          {"name", "PORT"},
          {"host", "ws12"},
          {"domain", "ALL"},
          {"values", {"4104"}},
          {"status", 0},
          {"origin", {{"domain", "SITE"}, {"level", "ADMIN"}, {"key", "SITE.WS12.PORT"}, {"file", site}}}}},
        // A Windows-1252 value comes out as UTF-8: u-umlaut, sharp s, euro sign.
        {"config get viewer TITLE", 0, {{"values", {"Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC" "5"}}}},
        {"config get viewer SERVERS --domain sys", 0, {{"domain", "SYS"}, {"values", {"a", "b"}}}},
        {"config get viewer PORT --type int --origin", 0,
         {{"type", "int"}, {"value", 1104}, {"origin", {{"domain", "SITE"}, {"key", "SITE.PORT"}}}}},
        {"config get viewer NOPE", 1, {{"values", json::array()}}},
        {"dump " + data + " --format hex --offset 1 --length 2", 0,
         {{"offset", 1}, {"length", 2}, {"rows", json::parse(R"([{"offset":1,"bytes":[66,67]}])")}}},
        {"time --json --log " + timer_log + " -- false", 1, {{"command", "false"}, {"exit_status", 1}, {"path", timer_log}}},
        {"df " + install_.path(), 0, {{"path", install_.path()}}},
        {"host localhost", 0, {{"host", "localhost"}, {"virtual_name", "filesrv"}}},
    };
    for (const Case &c : cases) {
        const json doc = run_json(c.args, c.status);
        for (const auto &[key, value] : c.expected.items()) {
            ASSERT_TRUE(doc.contains(key)) << c.args << ": no " << key;
            if (value.is_object())
                for (const auto &[k, v] : value.items()) EXPECT_EQ(doc[key][k], v) << c.args << ": " << key << "." << k;
            else
                EXPECT_EQ(doc[key], value) << c.args << ": " << key;
        }
    }

    const json dirs = run_json("dirs");
    EXPECT_EQ(dirs["ORV_ROOT_PATH"], install_.path());
    EXPECT_EQ(dirs["ORV_SYS_CONFIG_PATH"], install_ / "sys/config");

    const json list = run_json("config list viewer --origin");
    EXPECT_EQ(list["group"], "viewer");
    ASSERT_EQ(list["entries"].size(), 5u);
    EXPECT_EQ(list["entries"][0], json({{"domain", "SITE"}, {"level", "ADMIN"}, {"key", "PORT"},
                                         {"values", {"1104"}}, {"file", site}}));
    EXPECT_EQ(list["entries"][4]["level"], "SYSTEM");
    EXPECT_EQ(list["entries"][4]["file"], base);

    // A process's first UID carries counter 0: the second is the first with "10" for its "0".
    const json uids = run_json("uid study --count 2");
    const std::string first = uids["values"][0], second = uids["values"][1];
    EXPECT_EQ(second, first.substr(0, first.size() - 1) + "10");
}

TEST_F(OrvkitTest, ErrorsStayOnStandardErrorWithTheirStatus) {
    EXPECT_EQ(run(orvkit("config list nosuchgroup --json 2>/dev/null")).out, "");
    const Outcome bad = run(orvkit("config get viewer PORT --domain nowhere --json 2>/dev/null"));
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
}

TEST_F(OrvkitTest, BrowserMenuShowsTheGroupAndAnswersTypedChoices) {
    install_.write("sys/config/demo.base", "COLOR\tUSER\tred\nSIZE\tADMIN\t12\n");
    const Outcome browse = run("printf '2\\n!col 1\\nq\\n' | " + orvkit("config browse demo"));
    EXPECT_EQ(browse.status, 0);
    for (const char *part : {"  +------------------------ Configuration group demo ------------------------+\n",
                             "  | 1. COLOR               | s. Set an entry        | q. Quit                |\n",
                             "Your choice: 2: SIZE\n  SIZE = \"12\"\n  domain SYS, level ADMIN",
                             "Columns set to 1.", "  | 2. SIZE                                                                  |\n",
                             "Your choice: q: Quit"})
        EXPECT_NE(browse.out.find(part), std::string::npos) << part << "\nin:\n" << browse.out;
}

// Completes in a bash that sourced the script, as the shell does at <TAB>.
std::string complete(const std::string &words, int cword) {
    orvtest::TempDir dir;
    const std::string script = dir.write(
        "complete.sh", "source '" + std::string(ORVKIT_COMPLETION) + "'\nCOMP_WORDS=(" + words +
                           ")\nCOMP_CWORD=" + std::to_string(cword) +
                           "\n_orvkit\necho \"${COMPREPLY[*]}\"\n");
    return run("bash " + script).out;
}

TEST_F(OrvkitTest, BashCompletionOfCommandsOptionsAndGroups) {
    EXPECT_EQ(run("bash -n '" + std::string(ORVKIT_COMPLETION) + "'").status, 0);
    const std::string tool = ORVKIT_PATH;
    EXPECT_EQ(complete(tool + " con", 1), "config\n");
    EXPECT_EQ(complete(tool + " config g", 2), "get\n");
    EXPECT_EQ(complete(tool + " config get vi", 3), "viewer\n");
    EXPECT_EQ(complete(tool + " config list ''", 3), "printing viewer\n");
    EXPECT_EQ(complete(tool + " config get viewer --or", 4), "--origin\n");
    EXPECT_EQ(complete(tool + " dirs --j", 2), "--json\n");
}

TEST_F(OrvkitTest, ManualPageRendersWithoutWarningsAndHasEveryCommand) {
    if (run("command -v man >/dev/null").status != 0) GTEST_SKIP() << "man is not installed";
    const std::string page = ORVKIT_MAN_PAGE;
    const Outcome rendered = run("MANWIDTH=80 man --warnings -l '" + page + "' 2>&1 >/dev/null");
    EXPECT_EQ(rendered.out, "");
    const std::string text = run("MANWIDTH=80 man -l '" + page + "' 2>/dev/null").out;
    for (const char *command : {"ascii", "compare", "config", "dirs", "path", "plist", "version"})
        EXPECT_NE(text.find(std::string("usage: orvkit ") + command), std::string::npos) << command;
    EXPECT_EQ(text.find("__man"), std::string::npos);
}

}  // namespace

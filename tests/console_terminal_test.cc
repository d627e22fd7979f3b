// The boxed menu of orvkit config browse in a real terminal: tmux runs it in
// a detached session of its own server, keys are sent as a user types them
// and the screen is read back.
#include "support/orv_child.h"
#include "support/orv_test_support.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace {

// Runs a shell command and returns its standard output.
std::string shell(const std::string &command) { return orvtest::run_shell(command).out; }

std::string program_folder() {
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, n > 0 ? static_cast<std::size_t>(n) : 0);
    return path.substr(0, path.rfind('/'));
}

class TerminalSession {
public:
    explicit TerminalSession(const std::string &command)
        : tmux_("tmux -L orvtest-" + std::to_string(::getpid()) + " ") {
        shell(tmux_ + "new-session -d -x 100 -y 40 -s menu '" + command + "'");
    }
    ~TerminalSession() { shell(tmux_ + "kill-server 2>/dev/null"); }

    void type(const std::string &keys) {
        shell(tmux_ + "send-keys -t menu -l '" + keys + "'");
        shell(tmux_ + "send-keys -t menu Enter");
    }
    // The screen once it shows text (polled for up to five seconds), or the
    // last screen seen.
    std::string wait_for(const std::string &text) {
        std::string screen;
        for (int i = 0; i < 100; ++i) {
            screen = shell(tmux_ + "capture-pane -p -t menu 2>/dev/null");
            if (screen.find(text) != std::string::npos) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return screen;
    }

private:
    std::string tmux_;
};

TEST(ConsoleTerminal, BrowserMenuAnswersTypedKeys) {
    if (orvtest::run_shell("tmux -V >/dev/null 2>&1").status != 0) GTEST_SKIP() << "tmux is not installed";
    const std::string orvkit = program_folder() + "/orvkit";
    if (::access(orvkit.c_str(), X_OK) != 0) GTEST_SKIP() << "orvkit is not built";

    orvtest::TempDir root;
    root.write("sys/data/cf/behavior.plist", "{ }");
    root.write("sys/config/demo.base", "COLOR\tUSER\tred\nSIZE\tADMIN\t12\n");
    TerminalSession session("ORV_ROOT_PATH=" + root.path() + " " + orvkit + " config browse demo; sleep 30");

    std::string screen = session.wait_for("Your choice:");  // the pane drops trailing blanks
    EXPECT_NE(std::string::npos, screen.find("  +------------------------ Configuration group demo ------------------------+"))
        << screen;
    EXPECT_NE(std::string::npos, screen.find("| 1. COLOR")) << screen;

    session.type("2");
    screen = session.wait_for("SIZE = \"12\"");
    EXPECT_NE(std::string::npos, screen.find("Your choice: 2\n2: SIZE\n  SIZE = \"12\"\n  domain SYS, level ADMIN"))
        << screen;

    session.type("!col 1");
    screen = session.wait_for("Columns set to 1.");
    EXPECT_NE(std::string::npos, screen.find("| 2. SIZE                                                                  |"))
        << screen;

    session.type("q");
    screen = session.wait_for("q: Quit");
    EXPECT_NE(std::string::npos, screen.find("q: Quit")) << screen;
}

}  // namespace

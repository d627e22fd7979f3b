// Running a piece of a test in a child process, with its standard input
// taken from a text and its standard output captured: for code that reads the
// console, keeps process-wide state or ends the process.
#pragma once

#include <functional>
#include <string>

namespace orvtest {

struct ChildRun {
    std::string out;  // everything written to standard output
    int status;       // the exit status; -signal when a signal ended it
};

// Forks; the child reads standard input from input, runs body, flushes and
// exits with 0 (unless body ends the process itself). The parent waits and
// collects the output.
ChildRun run_in_child(const std::string &input, const std::function<void()> &body);

// Runs a shell command line and collects its standard output (standard error
// is left to the test's log) and its exit status.
ChildRun run_shell(const std::string &command);

}  // namespace orvtest

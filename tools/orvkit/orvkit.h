// orvkit's subcommand registry. Each family's file registers its subcommands
// with a static OrvkitCommand object; main() dispatches on the first argument.
#pragma once

#include <cstdio>
#include <string_view>
#include <vector>

namespace orvkit {

// Exit codes shared by every subcommand, for scripts.
enum ExitCode : int {
    kOk = 0,        // done
    kFailed = 1,    // the operation itself failed, or a comparison found a difference
    kUsage = 2,     // bad command line
};

struct Command {
    const char *name;      // the word after "orvkit", e.g. "compare"
    const char *summary;   // one line for "orvkit --help"
    const char *usage;     // full help text printed by "orvkit NAME --help"
    int (*run)(int argc, char **argv);  // argv[0] is the command name
    bool hidden = false;   // left out of "orvkit --help" (build-time helpers)
};

const std::vector<Command> &commands();

struct Registrar {
    explicit Registrar(const Command &command);
};

// The overview that "orvkit --help" prints.
void print_overview(FILE *out);

// True when argv holds --help or -h before any "--".
bool wants_help(int argc, char **argv);
// Prints "orvkit NAME: message" and the usage hint to stderr; returns kUsage.
int usage_error(const Command &command, const char *fmt, ...) __attribute__((format(printf, 2, 3)));
// Prints the command's usage text to stdout; returns kOk.
int print_usage(const Command &command);

}  // namespace orvkit

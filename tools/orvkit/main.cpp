// orvkit: the command line of ORVCommonKit, for operators and scripts.
#include "orvkit.h"

#include "cmdline.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <string>

namespace orvkit {

namespace {
std::vector<Command> &registry() {
    static std::vector<Command> all;
    return all;
}

}  // namespace

void print_overview(FILE *out) {
    std::fprintf(out,
                 "usage: orvkit [-h|--help] [-V|--version] <command> [<args>]\n"
                 "\n"
                 "The command line of ORVCommonKit %s.\n"
                 "\n"
                 "Commands:\n",
                 orvstd_version());
    std::vector<Command> sorted = registry();
    std::sort(sorted.begin(), sorted.end(),
              [](const Command &a, const Command &b) { return std::strcmp(a.name, b.name) < 0; });
    for (const Command &c : sorted)
        if (!c.hidden) std::fprintf(out, "  %-12s %s\n", c.name, c.summary);
    std::fprintf(out,
                 "\n"
                 "'orvkit <command> --help' tells more about one command.\n"
                 "Exit status: 0 done, 1 the operation failed or found a difference, 2 bad usage.\n");
}

const std::vector<Command> &commands() { return registry(); }

Registrar::Registrar(const Command &command) { registry().push_back(command); }

bool wants_help(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) return false;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
    }
    return false;
}

int usage_error(const Command &command, const char *fmt, ...) {
    std::fprintf(stderr, "orvkit %s: ", command.name);
    va_list args;
    va_start(args, fmt);
    std::vfprintf(stderr, fmt, args);
    va_end(args);
    std::fprintf(stderr, "\nTry 'orvkit %s --help'.\n", command.name);
    return kUsage;
}

int print_usage(const Command &command) {
    std::fputs(command.usage, stdout);
    return kOk;
}

}  // namespace orvkit

int main(int argc, char **argv) {
    using namespace orvkit;
    // orvkit's own options come before the command word; everything from the
    // command word on belongs to the command.
    bool help = false, version = false;
    CommandLine line(nullptr);
    line.flag('h', "help", &help).flag('V', "version", &version).options_first();
    if (const int status = line.parse(argc, argv)) return status;
    if (version) {
        std::printf("orvkit %s\n", orvstd_version());
        return kOk;
    }
    const std::vector<std::string> &words = line.operands();
    if (help || (!words.empty() && words[0] == "help")) {
        if (!help && words.size() > 1) {
            for (const Command &c : commands())
                if (words[1] == c.name) return print_usage(c);
        }
        print_overview(stdout);
        return kOk;
    }
    if (words.empty()) {
        print_overview(stderr);
        return kUsage;
    }
    for (const Command &c : commands()) {
        if (words[0] == c.name) {
            std::vector<std::string> copies(words);
            std::vector<char *> command_argv;
            for (std::string &w : copies) command_argv.push_back(w.data());
            command_argv.push_back(nullptr);
            const int command_argc = static_cast<int>(copies.size());
            if (wants_help(command_argc, command_argv.data())) return print_usage(c);
            orvstd_init();
            const int status = c.run(command_argc, command_argv.data());
            std::fflush(stdout);
            orvstd_term();
            return status;
        }
    }
    std::fprintf(stderr, "orvkit: '%s' is not a command. See 'orvkit --help'.\n", words[0].c_str());
    return kUsage;
}

// Reading a subcommand's command line with the library's option parser.
//
// A subcommand declares its options, each with a single letter and, if it
// likes, a long spelling:
//
//     bool json = false; const char *domain = "ALL";
//     orvkit::CommandLine line(command);
//     line.flag('j', "json", &json).text('d', "domain", &domain);
//     if (int status = line.parse(argc, argv, 1, 1)) return status;
//     const char *file = line.operand(0);
//
// Before the parser runs, long spellings become their letters ("--json" is
// "-j", "--domain=USER" and "--domain USER" are "-d USER"), grouped flags are
// split ("-jq" is "-j -q"), and options found after the operands are moved in
// front of them; "--" ends the options. The parser's messages, and the
// checks of this layer, come back as "orvkit NAME: ..." usage errors on
// standard error, and parse() then returns kUsage (exit status 2).
#pragma once

#include "orvkit.h"

#include <string>
#include <vector>

namespace orvkit {

class CommandLine {
public:
    // Errors name the command ("orvkit NAME: ..."); with no command they are
    // orvkit's own ("orvkit: ...").
    explicit CommandLine(const Command *command);
    explicit CommandLine(const Command &command) : CommandLine(&command) {}

    // A flag: *out becomes true when the option is given.
    CommandLine &flag(char letter, const char *long_name, bool *out);
    // An option with a text value: *out points at the value, which lives as
    // long as this object.
    CommandLine &text(char letter, const char *long_name, const char **out);
    // An option with a whole number (a leading '-' allowed).
    CommandLine &number(char letter, const char *long_name, long *out);
    // Options stop at the first operand and are not looked for after it (for
    // a command line whose operands are another command's arguments).
    CommandLine &options_first();
    // Only long spellings are options; words with one dash ("-a") are
    // operands (for commands whose operands are free texts).
    CommandLine &long_only();

    // Reads argv (argv[0] is the command's name); between min_operands and
    // max_operands operands must remain (max -1: no limit). Returns kOk, or
    // kUsage after printing the error.
    int parse(int argc, char **argv, int min_operands = 0, int max_operands = -1);

    const std::vector<std::string> &operands() const { return operands_; }
    // The operand at index, or null past the last.
    const char *operand(std::size_t index) const;

private:
    struct Option {
        char letter;
        std::string long_name;
        int type;       // an orvopt_type_e
        void *out;      // bool *, const char ** or long *
    };
    const Option *find_letter(char letter) const;
    const Option *find_long(const std::string &name) const;
    bool takes_value(const Option &option) const;
    // Rewrites the arguments into letters, options first; false after an error.
    bool normalise(int argc, char **argv, std::vector<std::string> &out);
    int error(const std::string &message) const;

    const Command *command_;
    std::vector<Option> options_;
    bool options_first_ = false;
    bool long_only_ = false;
    std::vector<std::string> operands_;
    std::vector<std::string> args_;  // the rewritten vector the parser read
};

}  // namespace orvkit

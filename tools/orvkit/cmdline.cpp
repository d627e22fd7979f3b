// A subcommand's command line: long spellings and grouped flags are turned
// into single letters, options are moved in front of the operands, and the
// library's handle parser reads the letters. Its messages are caught and
// given back as orvkit usage errors.
#include "cmdline.h"

#include <ORVCommonKit/orvopt.h>

#include <unistd.h>

#include <cstdio>

namespace orvkit {

namespace {

// Runs the extraction with standard output caught, and returns what the
// parser printed there.
std::string extract_quietly(orvopt_p handle, const orvopt_spec_t *specs, int *result) {
    std::fflush(stdout);
    std::FILE *sink = std::tmpfile();
    const int saved = sink ? dup(1) : -1;
    if (saved >= 0) dup2(fileno(sink), 1);
    *result = orvopt_extract_table(handle, specs);
    std::fflush(stdout);
    std::string text;
    if (saved >= 0) {
        dup2(saved, 1);
        close(saved);
        std::rewind(sink);
        for (int c; (c = std::fgetc(sink)) != EOF;) text.push_back(static_cast<char>(c));
    }
    if (sink) std::fclose(sink);
    return text;
}

std::string plural(int count, const char *word) {
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

}  // namespace

CommandLine::CommandLine(const Command *command) : command_(command) {}

CommandLine &CommandLine::flag(char letter, const char *long_name, bool *out) {
    options_.push_back({letter, long_name ? long_name : "", orvopt_BOOL, out});
    return *this;
}

CommandLine &CommandLine::text(char letter, const char *long_name, const char **out) {
    options_.push_back({letter, long_name ? long_name : "", orvopt_STRING, out});
    return *this;
}

CommandLine &CommandLine::number(char letter, const char *long_name, long *out) {
    options_.push_back({letter, long_name ? long_name : "", orvopt_LONG, out});
    return *this;
}

CommandLine &CommandLine::options_first() {
    options_first_ = true;
    return *this;
}

CommandLine &CommandLine::long_only() {
    long_only_ = true;
    return *this;
}

const char *CommandLine::operand(std::size_t index) const {
    return index < operands_.size() ? operands_[index].c_str() : nullptr;
}

const CommandLine::Option *CommandLine::find_letter(char letter) const {
    for (const Option &o : options_)
        if (o.letter == letter) return &o;
    return nullptr;
}

const CommandLine::Option *CommandLine::find_long(const std::string &name) const {
    for (const Option &o : options_)
        if (!o.long_name.empty() && o.long_name == name) return &o;
    return nullptr;
}

bool CommandLine::takes_value(const Option &option) const { return option.type != orvopt_BOOL; }

int CommandLine::error(const std::string &message) const {
    if (command_ != nullptr) return usage_error(*command_, "%s", message.c_str());
    std::fprintf(stderr, "orvkit: %s\nSee 'orvkit --help'.\n", message.c_str());
    return kUsage;
}

bool CommandLine::normalise(int argc, char **argv, std::vector<std::string> &out) {
    std::vector<std::string> options, operands;
    bool ended = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] ? argv[i] : "";
        if (ended) {
            operands.push_back(arg);
        } else if (arg == "--") {
            ended = true;
        } else if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            const std::size_t equals = arg.find('=');
            const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            const Option *option = find_long(name);
            if (option == nullptr) {
                error("unknown option --" + name);
                return false;
            }
            options.push_back(std::string("-") + option->letter);
            if (!takes_value(*option)) {
                if (equals != std::string::npos) {
                    error("option --" + name + " takes no value");
                    return false;
                }
            } else if (equals != std::string::npos) {
                options.push_back(arg.substr(equals + 1));
            } else if (i + 1 < argc && argv[i + 1] != nullptr) {
                options.push_back(argv[++i]);
            } else {
                error("option --" + name + " requires a value");
                return false;
            }
        } else if (!long_only_ && arg.size() > 1 && arg[0] == '-') {
            // One letter at a time: flags of a group become separate options
            // and a value-taking letter takes the rest of the group, or the
            // next argument.
            for (std::size_t k = 1; k < arg.size(); ++k) {
                const char letter = arg[k];
                options.push_back(std::string("-") + letter);
                const Option *option = find_letter(letter);
                if (option == nullptr || !takes_value(*option)) continue;
                if (k + 1 < arg.size()) {
                    options.push_back(arg.substr(k + 1));
                } else if (i + 1 < argc && argv[i + 1] != nullptr) {
                    options.push_back(argv[++i]);
                } else {
                    error(std::string("option requires argument -- ") + letter);
                    return false;
                }
                break;
            }
        } else {
            operands.push_back(arg);
            if (options_first_) ended = true;
        }
    }
    out.assign(1, argc > 0 && argv[0] ? argv[0] : "orvkit");
    out.insert(out.end(), options.begin(), options.end());
    out.push_back("--");
    out.insert(out.end(), operands.begin(), operands.end());
    return true;
}

int CommandLine::parse(int argc, char **argv, int min_operands, int max_operands) {
    std::vector<std::string> &args = args_;
    if (!normalise(argc, argv, args)) return kUsage;

    // The parser's storage: flags are chars, texts char pointers.
    std::vector<char> flags(options_.size(), 0);
    std::vector<char *> texts(options_.size(), nullptr);
    std::vector<long> numbers(options_.size(), 0);  // untouched unless given
    std::vector<orvopt_spec_t> specs;
    for (std::size_t k = 0; k < options_.size(); ++k) {
        orvopt_spec_t spec{};
        spec.letter = options_[k].letter;
        spec.type = static_cast<orvopt_type_e>(options_[k].type);
        if (spec.type == orvopt_LONG) numbers[k] = *static_cast<long *>(options_[k].out);
        spec.to.storage = spec.type == orvopt_BOOL     ? static_cast<void *>(&flags[k])
                          : spec.type == orvopt_STRING ? static_cast<void *>(&texts[k])
                                                       : static_cast<void *>(&numbers[k]);
        specs.push_back(spec);
    }
    specs.push_back(orvopt_spec_t{});

    std::vector<char *> pointers;
    for (std::string &a : args) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    orvopt_p handle = orvopt_init(static_cast<int>(args.size()), pointers.data());
    if (handle == nullptr) return kFailed;
    int result = 0;
    const std::string messages = extract_quietly(handle, specs.data(), &result);
    operands_.clear();
    for (const char *a = orvopt_first_arg(handle); a != nullptr; a = orvopt_next_arg(handle)) operands_.emplace_back(a);
    orvopt_term(handle);

    if (result != 0) {
        // "PROGRAM: illegal option -- z." becomes "orvkit NAME: illegal option -- z."
        const std::string prefix = std::string(orvopt_program() ? orvopt_program() : "") + ": ";
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < messages.size()) {
            std::size_t end = messages.find('\n', start);
            if (end == std::string::npos) end = messages.size();
            std::string line = messages.substr(start, end - start);
            if (line.compare(0, prefix.size(), prefix) == 0) line.erase(0, prefix.size());
            lines.push_back(line);
            start = end + 1;
        }
        if (lines.empty()) lines.emplace_back("bad options");
        const std::string head = command_ ? std::string("orvkit ") + command_->name + ": " : "orvkit: ";
        for (std::size_t k = 0; k + 1 < lines.size(); ++k) std::fprintf(stderr, "%s%s\n", head.c_str(), lines[k].c_str());
        return error(lines.back());
    }

    // Values are kept only now that every option passed. Texts point into
    // args_, which lives as long as this object.
    for (std::size_t k = 0; k < options_.size(); ++k) {
        const Option &o = options_[k];
        if (o.type == orvopt_BOOL && flags[k]) *static_cast<bool *>(o.out) = true;
        if (o.type == orvopt_STRING && texts[k] != nullptr) *static_cast<const char **>(o.out) = texts[k];
        if (o.type == orvopt_LONG) *static_cast<long *>(o.out) = numbers[k];
    }

    const int count = static_cast<int>(operands_.size());
    if (max_operands == 0 && count > 0) return error("takes no arguments");
    if (min_operands == max_operands && count != min_operands)
        return error("expects " + plural(min_operands, "argument"));
    if (count < min_operands) return error("expects at least " + plural(min_operands, "argument"));
    if (max_operands >= 0 && count > max_operands) return error("expects at most " + plural(max_operands, "argument"));
    return kOk;
}

}  // namespace orvkit

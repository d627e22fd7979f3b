// The manual page and the bash completion of orvkit, made at build time from
// the same help texts that "orvkit COMMAND --help" prints, and the group
// names that the completion offers. These commands are hidden from the
// overview: the build and the completion script call them.
#include "cmdline.h"
#include "orvkit.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<orvkit::Command> visible_commands() {
    std::vector<orvkit::Command> out;
    for (const orvkit::Command &c : orvkit::commands())
        if (!c.hidden) out.push_back(c);
    std::sort(out.begin(), out.end(), [](const orvkit::Command &a, const orvkit::Command &b) {
        return std::strcmp(a.name, b.name) < 0;
    });
    return out;
}

std::vector<std::string> lines_of(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> words_of(const std::string &line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// ---- The manual page ----

// One line of text for roff: backslashes escaped, minus signs made plain
// ASCII hyphens, and a line that starts like a request kept as text.
std::string roff_line(const std::string &line) {
    std::string out;
    if (!line.empty() && (line[0] == '.' || line[0] == '\'')) out = "\\&";
    for (const char c : line) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

std::string overview_text() {
    char *buffer = nullptr;
    std::size_t size = 0;
    FILE *out = open_memstream(&buffer, &size);
    if (!out) return {};
    orvkit::print_overview(out);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

std::string man_page() {
    std::ostringstream out;
    out << ".TH ORVKIT 1 \"\" \"ORVCommonKit " << orvstd_version() << "\" \"User Commands\"\n"
        << ".SH NAME\n"
        << "orvkit \\- the command line of ORVCommonKit\n"
        << ".SH SYNOPSIS\n"
        << ".B orvkit\n"
        << "[\\fB\\-h\\fR|\\fB\\-\\-help\\fR] [\\fB\\-V\\fR|\\fB\\-\\-version\\fR]"
           " \\fIcommand\\fR [\\fIargs\\fR]\n"
        << ".SH DESCRIPTION\n"
        << "orvkit puts the ORVCommonKit library in the hands of operators and scripts:\n"
        << "standard directories, layered configuration, traces, files and the other\n"
        << "families of the library. The overview that \\fBorvkit \\-\\-help\\fR prints:\n"
        << ".PP\n.nf\n";
    for (const std::string &line : lines_of(overview_text())) out << roff_line(line) << "\n";
    out << ".fi\n.SH COMMANDS\n";
    for (const orvkit::Command &c : visible_commands()) {
        out << ".SS " << c.name << "\n" << roff_line(c.summary) << ".\n.PP\n.nf\n";
        for (const std::string &line : lines_of(c.usage)) out << roff_line(line) << "\n";
        out << ".fi\n";
    }
    out << ".SH EXIT STATUS\n"
        << "0 done, 1 the operation failed or found a difference, 2 bad usage.\n"
        << ".SH ENVIRONMENT\n"
        << "The standard directories come from the ORV_*_PATH variables (ORV_ROOT_PATH,\n"
        << "ORV_SITE_PATH, ORV_LOG_PATH and the others that \\fBorvkit dirs\\fR lists) and\n"
        << "the library's directory map.\n";
    return out.str();
}

// ---- The bash completion ----

// What the completion knows of one command, read from its help text: its
// subcommand words ("orvkit config get ..." gives "get"; "study|series" gives
// both), the subcommands whose first operand is a configuration GROUP, and
// its long options.
struct Completion {
    std::set<std::string> subcommands;
    std::set<std::string> group_subcommands;
    bool group_first = false;  // "orvkit NAME GROUP ..."
    std::set<std::string> options;
};

bool is_word(const std::string &w) {
    return !w.empty() && std::all_of(w.begin(), w.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || c == '-' || c == '|' || (c >= '0' && c <= '9');
    }) && w[0] != '-';
}

Completion completion_of(const orvkit::Command &c) {
    Completion out;
    for (const std::string &line : lines_of(c.usage)) {
        const std::vector<std::string> words = words_of(line);
        for (std::size_t i = 0; i < words.size(); ++i) {
            std::string w = words[i];
            // Long options anywhere in the text: "--json", "[--host", "--cap=KB".
            const std::size_t dash = w.find("--");
            if (dash != std::string::npos && dash + 2 < w.size() && std::islower(static_cast<unsigned char>(w[dash + 2]))) {
                std::string option = w.substr(dash);
                option = option.substr(0, option.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-"));
                out.options.insert(option);
            }
        }
        // "usage: orvkit NAME SUB ..." or an indented "orvkit NAME SUB ...".
        for (std::size_t i = 0; i + 1 < words.size(); ++i) {
            if (words[i] != "orvkit" || words[i + 1] != c.name) continue;
            if (i + 2 >= words.size()) break;
            const std::string &sub = words[i + 2];
            if (sub == "GROUP") {
                out.group_first = true;
            } else if (is_word(sub)) {
                std::istringstream parts(sub);
                for (std::string part; std::getline(parts, part, '|');)
                    if (!part.empty()) out.subcommands.insert(part);
                if (i + 3 < words.size() && words[i + 3] == "GROUP")
                    out.group_subcommands.insert(sub);
            }
            break;
        }
    }
    out.options.insert("--help");
    return out;
}

std::string join(const std::set<std::string> &words) {
    std::string out;
    for (const std::string &w : words) out += (out.empty() ? "" : " ") + w;
    return out;
}

std::string completion_script() {
    std::ostringstream out;
    std::set<std::string> names;
    for (const orvkit::Command &c : visible_commands()) names.insert(c.name);
    out << "# bash completion for orvkit, made from its help texts.\n"
        << "# Completes commands, their subcommands and options, and configuration\n"
        << "# group names found in the installation's configuration directories.\n"
        << "_orvkit() {\n"
        << "    local cur=${COMP_WORDS[COMP_CWORD]}\n"
        << "    COMPREPLY=()\n"
        << "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
        << "        COMPREPLY=($(compgen -W \"" << join(names) << " help --help --version\" -- \"$cur\"))\n"
        << "        return 0\n"
        << "    fi\n"
        << "    local command=${COMP_WORDS[1]} sub=${COMP_WORDS[2]}\n"
        << "    local subs='' group_subs='' group_first='' options=''\n"
        << "    case $command in\n";
    for (const orvkit::Command &c : visible_commands()) {
        const Completion comp = completion_of(c);
        out << "    " << c.name << ")\n"
            << "        subs='" << join(comp.subcommands) << "'\n"
            << "        group_subs='" << join(comp.group_subcommands) << "'\n"
            << "        group_first='" << (comp.group_first ? "yes" : "") << "'\n"
            << "        options='" << join(comp.options) << "' ;;\n";
    }
    out << "    help) COMPREPLY=($(compgen -W \"" << join(names) << "\" -- \"$cur\")); return 0 ;;\n"
        << "    *) return 0 ;;\n"
        << "    esac\n"
        << "    if [[ $cur == -* ]]; then\n"
        << "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
        << "        return 0\n"
        << "    fi\n"
        << "    if [ \"$COMP_CWORD\" -eq 2 ] && [ -n \"$subs\" ]; then\n"
        << "        COMPREPLY=($(compgen -W \"$subs\" -- \"$cur\"))\n"
        << "        return 0\n"
        << "    fi\n"
        << "    if { [ \"$COMP_CWORD\" -eq 2 ] && [ -n \"$group_first\" ]; } ||\n"
        << "       { [ \"$COMP_CWORD\" -eq 3 ] && [[ \" $group_subs \" == *\" $sub \"* ]]; }; then\n"
        << "        COMPREPLY=($(compgen -W \"$(\"${COMP_WORDS[0]}\" __groups 2>/dev/null)\" -- \"$cur\"))\n"
        << "        return 0\n"
        << "    fi\n"
        << "    COMPREPLY=($(compgen -f -- \"$cur\"))\n"
        << "}\n"
        << "complete -o filenames -F _orvkit orvkit\n";
    return out.str();
}

// ---- Group names ----

// The groups that have a domain file in the system, site or user
// configuration directory: "viewer" for viewer.base, viewer.site,
// viewer.user and viewer.user.jdoe.
std::set<std::string> group_names() {
    std::set<std::string> groups;
    const char *const keys[][2] = {{"ORV_SYS_CONFIG_PATH", ".base"},
                                   {"ORV_SITE_CONFIG_PATH", ".site"},
                                   {"ORV_USER_CONFIG_PATH", ".user"}};
    for (const auto &[key, extension] : keys) {
        const char *path = ut_orv_path_cstring_with_name(key);
        if (!path) continue;
        DIR *dir = opendir(path);
        if (!dir) continue;
        while (const dirent *entry = readdir(dir)) {
            const std::string name = entry->d_name;
            const std::size_t at = name.find(extension);
            if (at == 0 || at == std::string::npos) continue;
            const std::size_t end = at + std::strlen(extension);
            if (end == name.size() || (std::strcmp(extension, ".user") == 0 && name[end] == '.'))
                groups.insert(name.substr(0, at));
        }
        closedir(dir);
    }
    return groups;
}

// ---- The hidden commands ----

int write_out(const char *command, const char *path, const std::string &text) {
    FILE *out = path ? std::fopen(path, "w") : stdout;
    if (!out) {
        std::fprintf(stderr, "orvkit %s: %s: %s\n", command, path, std::strerror(errno));
        return orvkit::kFailed;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    const bool closed = path ? std::fclose(out) == 0 : std::fflush(out) == 0;
    return written && closed ? orvkit::kOk : orvkit::kFailed;
}

void drop_traces(const char *, int) {}

int run_man(int argc, char **argv) {
    return write_out("__man", argc > 1 ? argv[1] : nullptr, man_page());
}

int run_completion(int argc, char **argv) {
    return write_out("__completion", argc > 1 ? argv[1] : nullptr, completion_script());
}

int run_groups(int, char **) {
    tr_init_with_call_back(drop_traces);
    for (const std::string &group : group_names()) std::printf("%s\n", group.c_str());
    return orvkit::kOk;
}

const orvkit::Command kMan{"__man", "Write the manual page", "usage: orvkit __man [FILE]\n",
                           run_man, true};
const orvkit::Command kCompletion{"__completion", "Write the bash completion script",
                                  "usage: orvkit __completion [FILE]\n", run_completion, true};
const orvkit::Command kGroups{"__groups", "List the configuration groups",
                              "usage: orvkit __groups\n", run_groups, true};

const orvkit::Registrar man_registrar(kMan);
const orvkit::Registrar completion_registrar(kCompletion);
const orvkit::Registrar groups_registrar(kGroups);

}  // namespace

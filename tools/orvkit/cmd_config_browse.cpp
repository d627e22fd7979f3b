// orvkit config browse: a group's variables in a menu of the library's own
// menus and input engine. Choosing a variable shows its values with the
// domain, level and file they come from; "s" and "r" set and remove entries
// at the privilege level the browser runs with. Everything is read through
// input(), so answers may come from a file on standard input, from "!play
// FILE", and a session can be recorded with "!record FILE".
#include "cmd_config_browse.h"

#include "cmdline.h"
#include "orvkit.h"

#include "../../src/config/cf_lookup_origin.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace orvkit {

namespace {

const char *const kBrowseUsage =
    "usage: orvkit config browse GROUP [--user U] [--perm user|admin|install|system]\n"
    "\n"
    "browse  shows the variables of GROUP in a menu: type a variable's number to\n"
    "        see its values (as a program gets them) with the domain, level and\n"
    "        file they come from; s sets an entry, r removes one, q quits. Type\n"
    "        !help for the directives of the input engine: !record FILE keeps the\n"
    "        answers of a session, !play FILE (or FILE on standard input) replays\n"
    "        them.\n"
    "\n"
    "  -u, --user U   read and change the user files of user U\n"
    "  -p, --perm L   privilege level of changes, and level of new entries\n"
    "                 (default user)\n"
    "\n"
    "Exit status: 0 done, 1 the group could not be read, 2 bad usage.\n";

const Command kBrowse{"config browse", "Browse a configuration group", kBrowseUsage, nullptr};

constexpr int kChanged = 2;  // an action's code: the group changed, rebuild the menu
const char *const kDomainNames[] = {"SYS", "SITE", "USER"};
const char *const kLevelWords[] = {"USER", "ADMIN", "INSTALL", "SYSTEM"};

struct Browser {
    std::string group;
    int perm;
    std::vector<std::string> names;  // distinct names, USER entries first
};

void errors_to_stderr(const char *text, int kind) {
    if (kind == tr_KIND_ERROR) std::fprintf(stderr, "%s\n", text);
}

void collect(void *context, int, const char *name, int, int, const char *const *, const char *) {
    auto &names = static_cast<Browser *>(context)->names;
    for (const auto &known : names)
        if (orvstr_icmp(known.c_str(), name) == 0) return;
    names.emplace_back(name);
}

int show_variable(void *context, void *name_pointer) {
    const auto &browser = *static_cast<Browser *>(context);
    const char *name = static_cast<const char *>(name_pointer);
    char *values[cf_MAX_VALUES];
    int count = 0;
    int level = -1;
    const int status = cf_get(cf_DOMAIN_ALL, browser.group.c_str(), name, &level, &count, values);
    if (status != 0 && status != cf_NO_VALUES) {
        std::printf("  %s: not found (%d)\n", name, status);
        return 0;
    }
    std::printf("  %s =", name);
    for (int i = 0; i < count; ++i) std::printf(" \"%s\"", values[i]);
    std::printf("\n");
    cf_free(values, count);
    int domain = -1;
    char key[512], file[512];
    orv_cf_lookup_origin(cf_DOMAIN_ALL, browser.group.c_str(), name, nullptr, &domain, key, 511,
                         file, 511);
    std::printf("  domain %s, level %s, as %s in %s\n",
                domain >= 0 && domain <= 2 ? kDomainNames[domain] : "-",
                level >= 0 && level <= 3 ? kLevelWords[level] : "-", domain >= 0 ? key : "-",
                domain >= 0 ? file : "-");
    return 0;
}

// Asks for the domain of a change: 0 to 2, or -1 when the user gave up.
int ask_domain() {
    const int key = choose_from_args("Domain", 'u', "ysu", "SYS", "SITE", "USER");
    return key == 'y' ? cf_DOMAIN_SYS : key == 's' ? cf_DOMAIN_SITE : key == 'u' ? cf_DOMAIN_USER : -1;
}

bool ask_name(char *name) {
    std::printf("Variable name");
    return input_nonblank(name) != 0;
}

int set_variable(void *context, void *) {
    const auto &browser = *static_cast<Browser *>(context);
    char name[161];
    if (!ask_name(name)) return 1;
    std::printf("Values (words; \"double quotes\" keep blanks)");
    char line[161];
    input(line);
    std::vector<const char *> values;
    char *cursor = line;
    while (const char *word = tk_get(&cursor)) values.push_back(word);
    const int domain = ask_domain();
    if (domain < 0) return 0;
    const int status = cf_set(domain, browser.group.c_str(), name, browser.perm,
                              static_cast<int>(values.size()), values.data());
    std::printf(status == 0 ? "  %s set.\n" : "  %s not set (%d).\n", name, status);
    return status == 0 ? kChanged : 0;
}

int remove_variable(void *context, void *) {
    const auto &browser = *static_cast<Browser *>(context);
    char name[161];
    if (!ask_name(name)) return 1;
    const int domain = ask_domain();
    if (domain < 0) return 0;
    const int status = cf_rm(domain, browser.group.c_str(), name);
    std::printf(status == 0 ? "  %s removed.\n" : "  %s not removed (%d).\n", name, status);
    return status == 0 ? kChanged : 0;
}

int parse_level(const char *text) {
    const char *const words[] = {"user", "admin", "install", "system"};
    for (int level = 0; level < 4; ++level)
        if (!std::strcmp(text, words[level])) return level;
    return -1;
}

}  // namespace

const char *config_browse_usage() { return kBrowseUsage; }

int run_config_browse(int argc, char **argv) {
    if (wants_help(argc, argv)) return print_usage(kBrowse);
    const char *user = nullptr;
    const char *perm_text = "user";
    CommandLine line(kBrowse);
    line.text('u', "user", &user).text('p', "perm", &perm_text);
    if (int status = line.parse(argc, argv, 1, 1)) return status;
    const int perm = parse_level(perm_text);
    if (perm < 0)
        return usage_error(kBrowse, "unknown level \"%s\" (user, admin, install or system)",
                           perm_text);
    tr_init_with_call_back(errors_to_stderr);
    int status = cf_init(user);
    if (status == 0) status = cf_set_perm(perm);
    if (status != 0) {
        std::fprintf(stderr, "orvkit config browse: the configuration could not be started (%d)\n",
                     status);
        cf_term();
        return kFailed;
    }
    Browser browser{line.operand(0), perm, {}};
    int code = kChanged;
    for (bool first = true; code == kChanged; first = false) {
        browser.names.clear();
        // A change was written to a domain file: read the group again.
        if (!first) cf_refresh_config_table_for_group(browser.group.c_str());
        status = orv_cf_visit_group(browser.group.c_str(), collect, &browser);
        if (status != 0) {
            std::fprintf(stderr, "orvkit config browse: group %s could not be read (%d)\n",
                         browser.group.c_str(), status);
            break;
        }
        const std::string title = "Configuration group " + browser.group;
        menu_t *menu = menu_init(title.c_str(), "q");
        menu_set_columns(menu, 0);
        for (std::size_t i = 0; i < browser.names.size(); ++i)
            menu_add_entry(menu, std::to_string(i + 1).c_str(), browser.names[i].c_str(),
                           show_variable, &browser, 0, const_cast<char *>(browser.names[i].c_str()), 0);
        menu_add_entry(menu, "s", "Set an entry", set_variable, &browser, 0, nullptr, 0);
        menu_add_entry(menu, "r", "Remove an entry", remove_variable, &browser, 0, nullptr, 0);
        menu_add_entry(menu, "q", "Quit", nullptr, nullptr, 0, nullptr, 0);
        code = menu_run(menu);
        menu_term(menu);
    }
    cf_term();
    return status == 0 ? kOk : kFailed;
}

}  // namespace orvkit

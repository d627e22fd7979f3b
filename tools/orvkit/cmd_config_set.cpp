// orvkit config set and config rm: one entry of one domain file changed the
// way a program changes it, with the group's read-only mark and the entry's
// privilege level checked, through a temporary copy renamed over the file.
#include "cmd_config_set.h"

#include "cmdline.h"
#include "orvkit.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace orvkit {

namespace {

const char *const kSetUsage =
    "usage: orvkit config set GROUP NAME VALUE... [--domain sys|site|user]\n"
    "                         [--level user|admin|install|system] [--perm L] [--user U]\n"
    "       orvkit config rm GROUP NAME [--domain sys|site|user] [--perm L] [--user U]\n"
    "\n"
    "set   writes NAME with the VALUEs into the group's file of the domain (default\n"
    "      user): the first entry of NAME is replaced, or a new entry is appended.\n"
    "      The file and its directories are created when missing. --level is the\n"
    "      privilege a later change needs (default user; every SYS entry gets\n"
    "      system).\n"
    "rm    removes every entry of NAME from the group's file of the domain.\n"
    "\n"
    "NAME is matched as written, without regard to case: to change the entry of\n"
    "host ws12, give ws12.PORT. Changes run at the privilege level user unless\n"
    "--perm says otherwise; an entry of a higher level is refused, and so is any\n"
    "change to a group whose behaviors expand values or look names up through\n"
    "groups. Values may start with '-'; options are only taken in their long\n"
    "spelling.\n"
    "\n"
    "  --domain D   the domain file to change: sys, site or user\n"
    "  --level L    level of the entry written: user, admin, install or system\n"
    "  --perm L     privilege level to change with (as --level; default user)\n"
    "  --user U     change the user file of user U\n"
    "\n"
    "Exit status: 0 changed, 1 refused, not found or failed, 2 bad usage.\n";

int run_set(int argc, char **argv);
int run_rm(int argc, char **argv);

const Command kSet{"config set", "Change a configuration entry", kSetUsage, run_set};
const Command kRm{"config rm", "Remove a configuration entry", kSetUsage, run_rm};

void errors_to_stderr(const char *text, int kind) {
    if (kind == tr_KIND_ERROR) std::fprintf(stderr, "%s\n", text);
}

int parse_domain(const char *text) {
    if (!std::strcmp(text, "sys")) return cf_DOMAIN_SYS;
    if (!std::strcmp(text, "site")) return cf_DOMAIN_SITE;
    if (!std::strcmp(text, "user")) return cf_DOMAIN_USER;
    return -1;
}

int parse_level(const char *text) {
    const char *const words[] = {"user", "admin", "install", "system"};
    for (int level = 0; level < 4; ++level)
        if (!std::strcmp(text, words[level])) return level;
    return -1;
}

// Starts the configuration for user at a privilege level; false after a
// message.
bool start(const Command &command, const char *user, int perm) {
    tr_init_with_call_back(errors_to_stderr);
    int status = cf_init(user);
    if (status == 0) status = cf_set_perm(perm);
    if (status == 0) return true;
    cf_term();
    std::fprintf(stderr, "orvkit %s: the configuration could not be started (%d)\n",
                 command.name, status);
    return false;
}

int run_set(int argc, char **argv) {
    if (wants_help(argc, argv)) return print_usage(kSet);
    const char *domain_text = "user";
    const char *level_text = "user";
    const char *perm_text = "user";
    const char *user = nullptr;
    CommandLine line(kSet);
    line.long_only()
        .text('d', "domain", &domain_text)
        .text('l', "level", &level_text)
        .text('p', "perm", &perm_text)
        .text('u', "user", &user);
    if (const int status = line.parse(argc, argv, 3, 2 + cf_MAX_VALUES)) return status;
    const int domain = parse_domain(domain_text);
    if (domain < 0)
        return usage_error(kSet, "unknown domain \"%s\" (sys, site or user)", domain_text);
    const int level = parse_level(level_text);
    if (level < 0)
        return usage_error(kSet, "unknown level \"%s\" (user, admin, install or system)",
                           level_text);
    const int perm = parse_level(perm_text);
    if (perm < 0)
        return usage_error(kSet, "unknown level \"%s\" (user, admin, install or system)",
                           perm_text);
    const char *group = line.operand(0);
    const char *name = line.operand(1);
    std::vector<const char *> values;
    for (std::size_t i = 2; i < line.operands().size(); ++i) values.push_back(line.operand(i));

    if (!start(kSet, user, perm)) return kFailed;
    const int status =
        cf_set(domain, group, name, level, static_cast<int>(values.size()), values.data());
    cf_term();
    if (status == 0) return kOk;
    std::fprintf(stderr, "orvkit config set: %s was not set in group %s (%d)\n", name, group,
                 status);
    return kFailed;
}

int run_rm(int argc, char **argv) {
    if (wants_help(argc, argv)) return print_usage(kRm);
    const char *domain_text = "user";
    const char *perm_text = "user";
    const char *user = nullptr;
    CommandLine line(kRm);
    line.long_only()
        .text('d', "domain", &domain_text)
        .text('p', "perm", &perm_text)
        .text('u', "user", &user);
    if (const int status = line.parse(argc, argv, 2, 2)) return status;
    const int domain = parse_domain(domain_text);
    if (domain < 0)
        return usage_error(kRm, "unknown domain \"%s\" (sys, site or user)", domain_text);
    const int perm = parse_level(perm_text);
    if (perm < 0)
        return usage_error(kRm, "unknown level \"%s\" (user, admin, install or system)",
                           perm_text);
    const char *group = line.operand(0);
    const char *name = line.operand(1);

    if (!start(kRm, user, perm)) return kFailed;
    const int status = cf_rm(domain, group, name);
    cf_term();
    if (status == 0) return kOk;
    if (status == cf_NOT_FOUND)
        std::fprintf(stderr, "orvkit config rm: no entry %s in group %s\n", name, group);
    else if (status == cf_FILE_NACCESS)
        std::fprintf(stderr, "orvkit config rm: group %s has no file in that domain\n", group);
    else
        std::fprintf(stderr, "orvkit config rm: %s was not removed from group %s (%d)\n", name,
                     group, status);
    return kFailed;
}

}  // namespace

int run_config_set(int argc, char **argv) { return run_set(argc, argv); }
int run_config_rm(int argc, char **argv) { return run_rm(argc, argv); }
const char *config_set_usage() { return kSetUsage; }

}  // namespace orvkit

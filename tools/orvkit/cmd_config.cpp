// orvkit config get and config list: layered configuration lookups from the
// command line, with the domain and file each value came from.
#include "cmd_config_browse.h"
#include "cmd_config_set.h"
#include "cmd_config_share.h"
#include "cmdline.h"
#include "json.h"
#include "orvkit.h"

#include "../../src/config/cf_lookup_origin.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Library errors go to standard error; traces and warnings (a group missing
// in some domain is normal) are dropped, so standard output carries only
// the answer.
void errors_to_stderr(const char *text, int kind) {
    if (kind == tr_KIND_ERROR) std::fprintf(stderr, "%s\n", text);
}

const char *const kDomainNames[] = {"SYS", "SITE", "USER"};
const char *const kLevelWords[] = {"USER", "ADMIN", "INSTALL", "SYSTEM"};

const char *level_word(int level) {
    return level >= 0 && level <= 3 ? kLevelWords[level] : "-";
}

// Starts the library for one command; false (after a message) when the
// configuration cannot be started.
bool start(const char *command, const char *user) {
    tr_init_with_call_back(errors_to_stderr);
    const int status = cf_init(user);
    if (status != 0) {
        std::fprintf(stderr, "orvkit config %s: the configuration could not be started (%d)\n",
                     command, status);
        return false;
    }
    return true;
}

int run_config(int argc, char **argv);

const char *const kLookupUsage =
    "usage: orvkit config get GROUP NAME [--domain sys|site|user|all] [--host H]\n"
    "                         [--user U] [--type int|bool|float|rect] [--origin]\n"
    "       orvkit config list GROUP [--user U] [--origin]\n"
    "\n"
    "get   prints the values of NAME in GROUP, one per line, as a program sees them:\n"
    "      the domains are searched from the one given (default all: USER, then\n"
    "      SITE, then SYS); in each, the name qualified by the host comes first,\n"
    "      then host groups, the plain name and name groups, as the group's\n"
    "      behaviors allow, and values are expanded through expansion terms.\n"
    "list  prints every stored entry of GROUP: domain, level, name and values as\n"
    "      written (not expanded), USER entries first.\n"
    "\n"
    "  -d, --domain D   domain to start from: sys, site, user or all\n"
    "  -H, --host H     look up as host H instead of this machine\n"
    "  -u, --user U     read the user files of user U\n"
    "  -t, --type T     convert the first value: int, bool, float or rect\n"
    "  -o, --origin     name the domain and the file each value came from\n"
    "  -j, --json       print one JSON object instead:\n"
    "                   get: group, name, host, domain, values, type and value\n"
    "                   (with --type), origin {domain, level, key, file} (with\n"
    "                   --origin), status;\n"
    "                   list: group, entries [{domain, level, key, values, file}]\n"
    "\n"
    "The directories come from the ORV_*_PATH variables, e.g.\n"
    "  ORV_ROOT_PATH=$PWD/sample orvkit config get viewer PORT --host ws12 --origin\n"
    "Exit status: 0 found, 1 not found or failed, 2 bad usage.\n";

// The whole help of the command: looking up, then changing, then sharing.
const std::string &config_usage() {
    static const std::string text = std::string(kLookupUsage) + "\n" +
                                    orvkit::config_set_usage() + "\n" +
                                    orvkit::config_share_usage() + "\n" +
                                    orvkit::config_browse_usage();
    return text;
}

const orvkit::Command kConfig{
    "config", "Look up, change and share configuration variables",
    config_usage().c_str(), run_config};

const orvkit::Registrar registrar(kConfig);

int parse_domain(const char *text) {
    if (!std::strcmp(text, "sys")) return cf_DOMAIN_SYS;
    if (!std::strcmp(text, "site")) return cf_DOMAIN_SITE;
    if (!std::strcmp(text, "user")) return cf_DOMAIN_USER;
    if (!std::strcmp(text, "all")) return cf_DOMAIN_ALL;
    return -1;
}

int parse_type(const char *text) {
    if (!std::strcmp(text, "int")) return cf_TYPE_INT;
    if (!std::strcmp(text, "bool")) return cf_TYPE_BOOL;
    if (!std::strcmp(text, "float")) return cf_TYPE_FLOAT;
    if (!std::strcmp(text, "rect")) return cf_TYPE_RECT;
    return -1;
}

struct Origin {
    int domain = -1;  // -1: nothing found
    char key[512] = "";
    char file[512] = "";
    int level = -1;
};

// Finds the level of the stored entry a lookup stopped at: the entry of that
// domain whose name is the key found without its domain prefix.
void find_level(void *context, int domain, const char *name, int level, int,
                const char *const *, const char *) {
    auto *origin = static_cast<Origin *>(context);
    const char *stored = std::strchr(origin->key, '.');
    if (domain == origin->domain && stored && orvstr_icmp(stored + 1, name) == 0)
        origin->level = level;
}

Origin find_origin(int domain, const char *group, const char *name, const char *host) {
    Origin origin;
    orv_cf_lookup_origin(domain, group, name, host, &origin.domain, origin.key, 511, origin.file,
                         511);
    if (origin.domain >= 0) orv_cf_visit_group(group, find_level, &origin);
    return origin;
}

void print_origin(const Origin &origin, int status) {
    if (origin.domain >= 0)
        std::printf("# from %s as %s in %s\n", kDomainNames[origin.domain], origin.key, origin.file);
    else
        std::printf("# not found (%d)\n", status);
}

orvkit::Json origin_json(const Origin &origin) {
    if (origin.domain < 0) return nullptr;
    return {{"domain", kDomainNames[origin.domain]},
            {"level", origin.level >= 0 ? orvkit::Json(level_word(origin.level)) : orvkit::Json(nullptr)},
            {"key", orvkit::utf8(origin.key)},
            {"file", orvkit::utf8(origin.file)}};
}

const char *domain_word(int domain) {
    return domain == cf_DOMAIN_ALL ? "ALL" : kDomainNames[domain];
}

int run_get(int argc, char **argv) {
    const char *domain_text = "all";
    const char *host = nullptr;
    const char *user = nullptr;
    const char *type_text = nullptr;
    bool origin = false, json = false;
    orvkit::CommandLine line(kConfig);
    line.text('d', "domain", &domain_text)
        .text('H', "host", &host)
        .text('u', "user", &user)
        .text('t', "type", &type_text)
        .flag('o', "origin", &origin)
        .flag('j', "json", &json);
    if (int status = line.parse(argc, argv, 2, 2)) return status;
    const int domain = parse_domain(domain_text);
    if (domain < 0)
        return orvkit::usage_error(kConfig, "unknown domain \"%s\" (sys, site, user or all)",
                                   domain_text);
    const int type = type_text ? parse_type(type_text) : -1;
    if (type_text && type < 0)
        return orvkit::usage_error(kConfig, "unknown type \"%s\" (int, bool, float or rect)",
                                   type_text);
    const char *group = line.operand(0);
    const char *name = line.operand(1);
    if (!start("get", user)) return orvkit::kFailed;

    orvkit::Json doc = {{"group", orvkit::utf8(group)},
                        {"name", orvkit::utf8(name)},
                        {"host", orvkit::text(host)},
                        {"domain", domain_word(domain)}};
    orvkit::Json values = orvkit::Json::array();
    int status;
    if (type < 0) {
        static char text[8192];
        status = cf_get_string_for_host(domain, group, name, host, nullptr, text,
                                        sizeof text - 1, nullptr);
        if (status == 0 && !json) std::printf("%s\n", text);
        // The values come joined by line feeds.
        if (status == 0)
            for (const char *p = text;; ++p) {
                const char *end = std::strchr(p, '\n');
                values.push_back(orvkit::utf8(std::string(p, end ? end - p : std::strlen(p))));
                if (!end) break;
                p = end;
            }
    } else {
        float rect[4] = {0, 0, 0, 0};
        int integer = 0;
        unsigned char flag = 0;
        float number = 0;
        void *storage = type == cf_TYPE_INT     ? static_cast<void *>(&integer)
                        : type == cf_TYPE_BOOL  ? static_cast<void *>(&flag)
                        : type == cf_TYPE_FLOAT ? static_cast<void *>(&number)
                                                : static_cast<void *>(rect);
        status = orv_cf_get_simple_for_host(domain, group, name, host, storage, type);
        doc["type"] = type_text;
        if (status == 0) {
            orvkit::Json value;
            if (type == cf_TYPE_INT) value = integer;
            if (type == cf_TYPE_BOOL) value = flag != 0;
            if (type == cf_TYPE_FLOAT) value = static_cast<double>(number);
            if (type == cf_TYPE_RECT)
                value = {static_cast<double>(rect[0]), static_cast<double>(rect[1]),
                         static_cast<double>(rect[2]), static_cast<double>(rect[3])};
            doc["value"] = value;
            if (!json) {
                if (type == cf_TYPE_INT) std::printf("%d\n", integer);
                if (type == cf_TYPE_BOOL) std::printf("%s\n", flag ? "yes" : "no");
                if (type == cf_TYPE_FLOAT) std::printf("%g\n", static_cast<double>(number));
                if (type == cf_TYPE_RECT)
                    std::printf("XYWH %g %g %g %g\n", static_cast<double>(rect[0]),
                                static_cast<double>(rect[1]), static_cast<double>(rect[2]),
                                static_cast<double>(rect[3]));
            }
        }
    }
    if (type < 0) doc["values"] = values;
    if (origin && (status == 0 || status == cf_NO_VALUES || status == cf_TYPE_MISMATCH)) {
        const Origin where = find_origin(domain, group, name, host);
        if (json)
            doc["origin"] = origin_json(where);
        else
            print_origin(where, status);
    }
    doc["status"] = status;
    if (status == cf_NOT_FOUND)
        std::fprintf(stderr, "orvkit config get: %s not found in group %s\n", name, group);
    else if (status == cf_NO_VALUES)
        std::fprintf(stderr, "orvkit config get: %s has no values\n", name);
    else if (status == cf_TYPE_MISMATCH)
        std::fprintf(stderr, "orvkit config get: the value is not of type %s\n", type_text);
    else if (status != 0)
        std::fprintf(stderr, "orvkit config get: lookup failed (%d)\n", status);
    cf_term();
    if (json) orvkit::print_json(doc);
    return status == 0 ? orvkit::kOk : orvkit::kFailed;
}

struct ListState {
    bool origin;
    int entries;
    orvkit::Json *json;  // null: print lines
};

void print_entry(void *context, int domain, const char *name, int level, int count,
                 const char *const *values, const char *file) {
    auto *state = static_cast<ListState *>(context);
    ++state->entries;
    if (state->json) {
        orvkit::Json entry = {{"domain", kDomainNames[domain]},
                              {"level", level >= 0 ? orvkit::Json(level_word(level)) : orvkit::Json(nullptr)},
                              {"key", orvkit::utf8(name)},
                              {"values", orvkit::Json::array()}};
        for (int i = 0; i < count; ++i) entry["values"].push_back(orvkit::utf8(values[i]));
        if (state->origin) entry["file"] = orvkit::utf8(file);
        state->json->push_back(std::move(entry));
        return;
    }
    const bool quote_name = !*name || std::strpbrk(name, " \t");
    std::printf(quote_name ? "%-4s  %-7s  \"%s\"" : "%-4s  %-7s  %s", kDomainNames[domain],
                level_word(level), name);
    for (int i = 0; i < count; ++i) {
        const bool quote = !*values[i] || std::strpbrk(values[i], " \t");
        std::printf(quote ? " \"%s\"" : " %s", values[i]);
    }
    if (state->origin) std::printf("    # %s", file);
    std::printf("\n");
}

int run_list(int argc, char **argv) {
    const char *user = nullptr;
    bool origin = false, json = false;
    orvkit::CommandLine line(kConfig);
    line.text('u', "user", &user).flag('o', "origin", &origin).flag('j', "json", &json);
    if (int status = line.parse(argc, argv, 1, 1)) return status;
    const char *group = line.operand(0);
    if (!start("list", user)) return orvkit::kFailed;
    orvkit::Json entries = orvkit::Json::array();
    ListState state{origin, 0, json ? &entries : nullptr};
    const int status = orv_cf_visit_group(group, print_entry, &state);
    if (status != 0)
        std::fprintf(stderr, "orvkit config list: group %s could not be read (%d)\n", group,
                     status);
    cf_term();
    if (json && status == 0)
        orvkit::print_json({{"group", orvkit::utf8(group)}, {"entries", std::move(entries)}});
    return status == 0 ? orvkit::kOk : orvkit::kFailed;
}

int run_config(int argc, char **argv) {
    if (argc < 2)
        return orvkit::usage_error(kConfig, "expected get, list, set, rm, export, import or browse");
    if (!std::strcmp(argv[1], "set")) return orvkit::run_config_set(argc - 1, argv + 1);
    if (!std::strcmp(argv[1], "rm")) return orvkit::run_config_rm(argc - 1, argv + 1);
    if (!std::strcmp(argv[1], "export")) return orvkit::run_config_export(argc - 1, argv + 1);
    if (!std::strcmp(argv[1], "import")) return orvkit::run_config_import(argc - 1, argv + 1);
    if (!std::strcmp(argv[1], "browse")) return orvkit::run_config_browse(argc - 1, argv + 1);
    if (orvkit::wants_help(argc, argv) && std::strcmp(argv[1], "get") != 0 &&
        std::strcmp(argv[1], "list") != 0)
        return orvkit::print_usage(kConfig);
    if (!std::strcmp(argv[1], "get")) return run_get(argc - 1, argv + 1);
    if (!std::strcmp(argv[1], "list")) return run_list(argc - 1, argv + 1);
    return orvkit::usage_error(kConfig,
                               "unknown subcommand \"%s\" (get, list, set, rm, export, import or browse)",
                               argv[1]);
}

}  // namespace

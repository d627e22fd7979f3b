// orvkit strings: a localized text of the library's bundle in a language, and
// the languages the installation supports.
#include "cmdline.h"
#include "json.h"
#include "orvkit.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <cstdio>
#include <string>

namespace {

int run_strings(int argc, char **argv);

const orvkit::Command kStrings{
    "strings", "Show a localized text of the library, or the supported languages",
    "usage: orvkit strings TABLE KEY [--lang CODE] [--json]\n"
    "       orvkit strings --list [--json]\n"
    "\n"
    "Prints the text of KEY in the table TABLE of the library's bundle (the file\n"
    "TABLE_CODE.strings) in the language CODE (default enu), e.g.\n"
    "  orvkit strings input MSG_DESC2 --lang deu\n"
    "With --list, prints the supported languages of the installation (group\n"
    "\"interface\" of the system configuration), one code and identifier a line.\n"
    "\n"
    "  -l, --lang CODE  language code of the table\n"
    "  -L, --list       list the supported languages\n"
    "  -j, --json       one JSON document: {\"table\", \"key\", \"language\", \"value\"},\n"
    "                   or {\"languages\": [{\"language\", \"id\"}, ...]} with --list\n"
    "\n"
    "Exit status: 0 found, 1 not found or no languages configured, 2 bad usage.\n",
    run_strings};

const orvkit::Registrar registrar(kStrings);

void errors_to_stderr(const char *text, int kind) {
    if (kind == tr_KIND_ERROR) std::fprintf(stderr, "%s\n", text);
}

int list_languages(bool json) {
    int count = 0;
    char **codes = orvlocale_get_all_supported_languages(&count);
    if (!codes) {
        std::fprintf(stderr, "orvkit strings: no supported languages are configured\n");
        return orvkit::kFailed;
    }
    orvkit::Json list = orvkit::Json::array();
    for (int i = 0; i < count; ++i) {
        const std::string name = std::string(codes[i]) + ".LanguageID";
        int id = 0;
        cf_get_simple(cf_DOMAIN_SYS, "interface", name.c_str(), nullptr, &id, cf_TYPE_INT, 0);
        if (json) list.push_back({{"language", orvkit::text(codes[i])}, {"id", id}});
        else std::printf("%s %d\n", codes[i], id);
    }
    orvlocale_free_array(codes, count);
    return json ? orvkit::print_json({{"languages", list}}) : orvkit::kOk;
}

int run_strings(int argc, char **argv) {
    if (orvkit::wants_help(argc, argv)) return orvkit::print_usage(kStrings);
    const char *language = "enu";
    bool list = false;
    bool json = false;
    orvkit::CommandLine line(kStrings);
    line.text('l', "lang", &language).flag('L', "list", &list).flag('j', "json", &json);
    if (int status = line.parse(argc, argv, 0, 2)) return status;
    if (list != line.operands().empty())
        return orvkit::usage_error(kStrings, list ? "--list takes no TABLE or KEY"
                                                  : "expects TABLE and KEY, or --list");
    if (!list && line.operands().size() != 2)
        return orvkit::usage_error(kStrings, "expects TABLE and KEY, or --list");
    tr_init_with_call_back(errors_to_stderr);
    if (list) {
        const int status = list_languages(json);
        cf_term();
        return status;
    }
    ORVString *table = orv_string_create(line.operand(0));
    ORVString *key = orv_string_create(line.operand(1));
    ORVString *code = orv_string_create(language);
    ORVString *text = orvlocale_string_from_table_in_language(nullptr, table, key, code, nullptr);
    const char *value = text ? orv_string_cstring(text) : nullptr;
    int status = orvkit::kOk;
    if (!value) {
        std::fprintf(stderr, "orvkit strings: %s not found in %s_%s.strings\n", line.operand(1),
                     line.operand(0), language);
        status = orvkit::kFailed;
    }
    if (json) {
        status = orvkit::print_json({{"table", orvkit::text(line.operand(0))},
                                     {"key", orvkit::text(line.operand(1))},
                                     {"language", orvkit::text(language)},
                                     {"value", orvkit::text(value)}},
                                    status);
    } else if (value) {
        std::printf("%s\n", orvkit::utf8(value).c_str());
    }
    for (ORVString *s : {table, key, code}) orv_object_release(ORV_OBJECT(s));
    return status;
}

}  // namespace

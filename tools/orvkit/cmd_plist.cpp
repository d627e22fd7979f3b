// orvkit plist: checks a property-list or strings file and prints it back in
// canonical form.
#include "orvkit.h"

#include "cmdline.h"
#include "json.h"

#include "platform/objects.h"

#include <ORVCommonKit/ORVCommonKit.h>

namespace {

// The JSON form of a parsed document: strings, arrays and dictionaries as
// themselves, data as a string of hex digits, anything else by description.
orvkit::Json to_json(const ORVObject *obj) {
    switch (obj->kind()) {
    case ORV_KIND_STRING:
        return orvkit::utf8(static_cast<const ORVString *>(obj)->value);
    case ORV_KIND_ARRAY: {
        orvkit::Json array = orvkit::Json::array();
        for (const auto &item : static_cast<const ORVArray *>(obj)->items) array.push_back(to_json(item.get()));
        return array;
    }
    case ORV_KIND_DICTIONARY: {
        orvkit::Json object = orvkit::Json::object();
        for (const auto &[key, value] : static_cast<const ORVDictionary *>(obj)->entries())
            object[orvkit::utf8(orv_object_description(key.get()))] = to_json(value.get());
        return object;
    }
    case ORV_KIND_DATA: {
        static const char kHex[] = "0123456789abcdef";
        std::string hex;
        for (const std::uint8_t byte : static_cast<const ORVData *>(obj)->bytes) {
            hex += kHex[byte >> 4];
            hex += kHex[byte & 15];
        }
        return hex;
    }
    default:
        return orvkit::utf8(orv_object_description(obj));
    }
}

extern const orvkit::Command kPlist;

int run_plist(int argc, char **argv) {
    if (orvkit::wants_help(argc, argv)) return orvkit::print_usage(kPlist);
    bool json = false;
    orvkit::CommandLine args(kPlist);
    args.flag('j', "json", &json);
    if (const int status = args.parse(argc, argv)) return status;
    if (args.operands().size() > 1) return orvkit::usage_error(kPlist, "too many arguments");
    const char *path = args.operand(0);
    if (!path) return orvkit::usage_error(kPlist, "a FILE is required");

    ORVAutoreleasePool *pool = orvstd_create_autorel_pool();
    int line = 0;
    const char *error = nullptr;
    ORVObject *obj = orv_plist_read_file(path, &line, &error);
    int status = orvkit::kOk;
    if (!obj) {
        if (line > 0)
            std::fprintf(stderr, "orvkit plist: %s:%d: %s\n", path, line, error ? error : "malformed");
        else
            std::fprintf(stderr, "orvkit plist: %s\n", error ? error : "cannot read the file");
        status = orvkit::kFailed;
    } else {
        if (json)
            orvkit::print_json(to_json(obj));
        else
            std::printf("%s\n", orv_object_description(obj));
        orv_object_release(obj);
    }
    orvstd_destroy_autorel_pool(pool);
    return status;
}

const orvkit::Command kPlist{
    "plist", "Check a property-list or strings file and print it in canonical form",
    "usage: orvkit plist FILE [--json]\n"
    "\n"
    "Reads FILE as a property list (OpenStep text form) or as a strings table\n"
    "(\"key\" = \"value\"; lines) and prints it back in canonical form.\n"
    "A malformed file is reported as FILE:LINE: reason on standard error.\n"
    "\n"
    "  -j, --json   print the document as JSON instead: dictionaries as objects,\n"
    "               arrays as arrays, strings as strings, data as hex digits\n"
    "\n"
    "Exit status: 0 the file is well formed, 1 it is malformed or unreadable,\n"
    "2 bad usage.\n",
    run_plist};

const orvkit::Registrar registrar(kPlist);

}  // namespace

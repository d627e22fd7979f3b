// orvkit plist: checks a property-list or strings file and prints it back in
// canonical form.
#include "orvkit.h"

#include "cmdline.h"

#include <ORVCommonKit/ORVCommonKit.h>

namespace {

extern const orvkit::Command kPlist;

int run_plist(int argc, char **argv) {
    if (orvkit::wants_help(argc, argv)) return orvkit::print_usage(kPlist);
    orvkit::CommandLine args(kPlist);
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
        std::printf("%s\n", orv_object_description(obj));
        orv_object_release(obj);
    }
    orvstd_destroy_autorel_pool(pool);
    return status;
}

const orvkit::Command kPlist{
    "plist", "Check a property-list or strings file and print it in canonical form",
    "usage: orvkit plist FILE\n"
    "\n"
    "Reads FILE as a property list (OpenStep text form) or as a strings table\n"
    "(\"key\" = \"value\"; lines) and prints it back in canonical form.\n"
    "A malformed file is reported as FILE:LINE: reason on standard error.\n"
    "\n"
    "Exit status: 0 the file is well formed, 1 it is malformed or unreadable,\n"
    "2 bad usage.\n",
    run_plist};

const orvkit::Registrar registrar(kPlist);

}  // namespace

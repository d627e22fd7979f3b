// orvkit version: the version of the library that is loaded.
#include "orvkit.h"

#include "cmdline.h"
#include "json.h"

#include <ORVCommonKit/ORVCommonKit.h>

namespace {

int run_version(int argc, char **argv);

const orvkit::Command kVersion{"version", "Show the version of the loaded library",
                               "usage: orvkit version [--json]\n"
                               "\n"
                               "Prints the version of the ORVCommonKit library that orvkit loaded\n"
                               "and of the headers it was built with.\n"
                               "\n"
                               "  -j, --json   print one JSON object: library, headers\n",
                               run_version};

int run_version(int argc, char **argv) {
    bool json = false;
    orvkit::CommandLine line(kVersion);
    line.flag('j', "json", &json);
    if (const int status = line.parse(argc, argv, 0, 0)) return status;
    if (json)
        return orvkit::print_json(
            {{"library", orvstd_version()}, {"headers", ORVCOMMONKIT_VERSION_STRING}});
    std::printf("ORVCommonKit %s (headers %s)\n", orvstd_version(), ORVCOMMONKIT_VERSION_STRING);
    return orvkit::kOk;
}

const orvkit::Registrar registrar(kVersion);

}  // namespace

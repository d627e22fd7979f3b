// orvkit version: the version of the library that is loaded.
#include "orvkit.h"

#include "cmdline.h"

#include <ORVCommonKit/ORVCommonKit.h>

namespace {

int run_version(int argc, char **argv);

const orvkit::Command kVersion{"version", "Show the version of the loaded library",
                               "usage: orvkit version\n"
                               "\n"
                               "Prints the version of the ORVCommonKit library that orvkit loaded\n"
                               "and of the headers it was built with.\n",
                               run_version};

int run_version(int argc, char **argv) {
    orvkit::CommandLine line(kVersion);
    if (const int status = line.parse(argc, argv, 0, 0)) return status;
    std::printf("ORVCommonKit %s (headers %s)\n", orvstd_version(), ORVCOMMONKIT_VERSION_STRING);
    return orvkit::kOk;
}

const orvkit::Registrar registrar(kVersion);

}  // namespace

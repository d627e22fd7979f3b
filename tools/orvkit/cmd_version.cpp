// orvkit version: the version of the library that is loaded.
#include "orvkit.h"

#include <ORVCommonKit/ORVCommonKit.h>

namespace {

int run_version(int argc, char **) {
    if (argc > 1) {
        std::fprintf(stderr, "orvkit version: takes no arguments\n");
        return orvkit::kUsage;
    }
    std::printf("ORVCommonKit %s (headers %s)\n", orvstd_version(), ORVCOMMONKIT_VERSION_STRING);
    return orvkit::kOk;
}

const orvkit::Registrar registrar({"version", "Show the version of the loaded library",
                                   "usage: orvkit version\n"
                                   "\n"
                                   "Prints the version of the ORVCommonKit library that orvkit loaded\n"
                                   "and of the headers it was built with.\n",
                                   run_version});

}  // namespace

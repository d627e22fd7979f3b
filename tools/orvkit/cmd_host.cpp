// orvkit df and host: the capacity of a partition and the host and virtual
// names from the command line.
#include "cmdline.h"
#include "json.h"
#include "orvkit.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Library errors, kept until the command knows whether it failed: a lookup
// in a configuration group that no installation file defines reports its
// absence even though the answer (the host's own name) is then complete.
std::vector<std::string> Errors;

void keep_errors(const char *text, int kind) {
    if (kind == tr_KIND_ERROR) Errors.emplace_back(text);
}

int failed() {
    for (const std::string &error : Errors) std::fprintf(stderr, "%s\n", error.c_str());
    return orvkit::kFailed;
}

int run_df(int argc, char **argv);
int run_host(int argc, char **argv);

const orvkit::Command kDf{
    "df", "Show the total and free space of a partition",
    "usage: orvkit df PATH [--json]\n"
    "\n"
    "Prints the total size and the free space, in KiB (1024 bytes), of the file\n"
    "system that holds PATH. The free space is the whole volume's, including what\n"
    "only a privileged user may fill. Sizes are 32-bit counts: 4 TiB and more wrap.\n"
    "\n"
    "  -j, --json   print one JSON object with the keys path, total_kib, free_kib\n",
    run_df};
const orvkit::Command kHost{
    "host", "Show a host's name and virtual name",
    "usage: orvkit host [NAME] [--json]\n"
    "\n"
    "Prints the host name (NAME, or this host's name) and the virtual name under\n"
    "which its shares are reached: the SITE value of NAME.VIRTUAL_NAME in the\n"
    "configuration group \"rarivurizez\", or the host name itself when none is set.\n"
    "Exit status 1 when NAME cannot be found.\n"
    "\n"
    "  -j, --json   print one JSON object with the keys host, virtual_name\n",
    run_host};

const orvkit::Registrar df_registrar(kDf);
const orvkit::Registrar host_registrar(kHost);

int run_df(int argc, char **argv) {
    bool json = false;
    orvkit::CommandLine line(kDf);
    line.flag('j', "json", &json);
    if (const int status = line.parse(argc, argv, 1, 1)) return status;
    tr_init_with_call_back(keep_errors);
    const char *path = line.operand(0);
    unsigned int total = 0, free = 0;
    if (ut_get_kbytes_on_partition_with_path(path, &total, &free) != 0) return failed();
    if (json) {
        orvkit::Json doc = orvkit::Json::object();
        doc["path"] = orvkit::text(path);
        doc["total_kib"] = total;
        doc["free_kib"] = free;
        return orvkit::print_json(doc);
    }
    std::printf("%s: total %u KiB, free %u KiB\n", path, total, free);
    return orvkit::kOk;
}

int run_host(int argc, char **argv) {
    bool json = false;
    orvkit::CommandLine line(kHost);
    line.flag('j', "json", &json);
    if (const int status = line.parse(argc, argv, 0, 1)) return status;
    tr_init_with_call_back(keep_errors);
    const char *host = line.operand(0) ? line.operand(0) : ut_gethostname();
    const char *virtual_name = ut_get_virtual_name_for_host_name(host);
    if (!virtual_name) return failed();
    if (json) {
        orvkit::Json doc = orvkit::Json::object();
        doc["host"] = orvkit::text(host);
        doc["virtual_name"] = orvkit::text(virtual_name);
        return orvkit::print_json(doc);
    }
    std::printf("host          %s\nvirtual_name  %s\n", host, virtual_name);
    return orvkit::kOk;
}

}  // namespace

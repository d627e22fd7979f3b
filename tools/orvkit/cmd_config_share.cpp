// orvkit config export and config import: a launcher's export of the
// configuration tables to a named shared memory region, held until the
// process is told to stop, and the import other processes do.
#include "cmd_config_share.h"

#include "cmdline.h"
#include "orvkit.h"

#include "../../src/config/cf_share_tool.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <vector>

namespace {

const char *const kShareUsage =
    "usage: orvkit config export SHARE GROUP... [--user U]\n"
    "       orvkit config import SHARE [--user U]\n"
    "\n"
    "export  reads the groups named (and keeps every table the configuration\n"
    "        holds already, such as those of the behavior file), puts them in\n"
    "        the shared memory region SHARE and holds it until interrupted\n"
    "        (Ctrl-C or SIGTERM); then removes the region. Programs started\n"
    "        meanwhile import the tables instead of reading their files.\n"
    "        A share name that another process holds is refused.\n"
    "import  imports the tables of SHARE as a program does and lists them:\n"
    "        group and number of variables.\n"
    "\n"
    "  -u, --user U   read the user files of user U\n"
    "\n"
    "Exit status: 0 done, 1 failed (or no region SHARE to import), 2 bad usage.\n";

int run_export(int argc, char **argv);
int run_import(int argc, char **argv);

const orvkit::Command kExport{"config export", "Export configuration tables to a shared region",
                              kShareUsage, run_export};
const orvkit::Command kImport{"config import", "Import configuration tables from a shared region",
                              kShareUsage, run_import};

// Library errors go to standard error; traces are dropped.
void errors_to_stderr(const char *text, int kind) {
    if (kind == tr_KIND_ERROR) std::fprintf(stderr, "%s\n", text);
}

bool start(const orvkit::Command &command, const char *user) {
    tr_init_with_call_back(errors_to_stderr);
    const int status = cf_init(user);
    if (status != 0) {
        std::fprintf(stderr, "orvkit %s: the configuration could not be started (%d)\n",
                     command.name, status);
        return false;
    }
    return true;
}

void print_table(void *context, const char *group, int variables, int filled) {
    auto *count = static_cast<int *>(context);
    ++*count;
    if (filled)
        std::printf("%-24s %d variable%s\n", group, variables, variables == 1 ? "" : "s");
    else
        std::printf("%-24s behaviors only\n", group);
}

int run_export(int argc, char **argv) {
    const char *user = nullptr;
    orvkit::CommandLine line(kExport);
    line.text('u', "user", &user);
    if (int status = line.parse(argc, argv, 2)) return status;
    const auto &operands = line.operands();
    if (operands[0].empty()) return orvkit::usage_error(kExport, "the share name is empty");

    // The stop signals are held from here on, so one that comes during the
    // export still ends the wait below.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    if (!start(kExport, user)) return orvkit::kFailed;
    std::vector<const char *> groups;
    for (std::size_t i = 1; i < operands.size(); ++i) groups.push_back(operands[i].c_str());
    const int status = cf_export_config_tables_to_file_mapping(
        operands[0].c_str(), groups.data(), static_cast<unsigned>(groups.size()));
    if (status != 0) {
        std::fprintf(stderr, "orvkit config export: export to %s failed (%d)\n",
                     operands[0].c_str(), status);
        cf_term();
        return orvkit::kFailed;
    }
    int tables = 0;
    orv_cf_share_visit_tables(print_table, &tables);
    std::printf("holding %s (%d table%s) until interrupted\n", operands[0].c_str(), tables,
                tables == 1 ? "" : "s");
    std::fflush(stdout);

    int signal_number = 0;
    sigwait(&stop, &signal_number);
    cf_close_file_mapping();
    cf_term();
    std::printf("released %s\n", operands[0].c_str());
    return orvkit::kOk;
}

int run_import(int argc, char **argv) {
    const char *user = nullptr;
    orvkit::CommandLine line(kImport);
    line.text('u', "user", &user);
    if (int status = line.parse(argc, argv, 1, 1)) return status;
    const char *share = line.operand(0);
    if (!start(kImport, user)) return orvkit::kFailed;
    const int status = cf_import_config_tables_from_file_mapping(share);
    int result = orvkit::kOk;
    if (status != 0) {
        std::fprintf(stderr, "orvkit config import: import from %s failed (%d)\n", share, status);
        result = orvkit::kFailed;
    } else if (!orv_cf_share_tables_imported()) {
        std::fprintf(stderr, "orvkit config import: no shared region named %s\n", share);
        result = orvkit::kFailed;
    } else {
        int tables = 0;
        orv_cf_share_visit_tables(print_table, &tables);
    }
    cf_term();
    return result;
}

}  // namespace

namespace orvkit {

int run_config_export(int argc, char **argv) {
    if (wants_help(argc, argv)) return print_usage(kExport);
    return run_export(argc, argv);
}

int run_config_import(int argc, char **argv) {
    if (wants_help(argc, argv)) return print_usage(kImport);
    return run_import(argc, argv);
}

const char *config_share_usage() { return kShareUsage; }

}  // namespace orvkit

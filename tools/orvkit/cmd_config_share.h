// orvkit config export and config import: handing loaded configuration
// tables to other processes through a named shared memory region. The
// config command dispatches its "export" and "import" words here.
#pragma once

namespace orvkit {

// orvkit config export SHARE GROUP... [--user U]; argv[0] is "export".
int run_config_export(int argc, char **argv);
// orvkit config import SHARE [--user U]; argv[0] is "import".
int run_config_import(int argc, char **argv);
// The help text of both, for the config command's own.
const char *config_share_usage();

}  // namespace orvkit

// orvkit config set and config rm: changing one entry of one domain file
// from the command line. The config command dispatches its "set" and "rm"
// words here.
#pragma once

namespace orvkit {

// orvkit config set GROUP NAME VALUE... [--domain D] [--level L] [--user U];
// argv[0] is "set".
int run_config_set(int argc, char **argv);
// orvkit config rm GROUP NAME [--domain D] [--user U]; argv[0] is "rm".
int run_config_rm(int argc, char **argv);
// The help text of both, for the config command's own.
const char *config_set_usage();

}  // namespace orvkit

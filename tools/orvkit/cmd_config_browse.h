// orvkit config browse: the interactive browser of one configuration group.
#pragma once

namespace orvkit {

// Runs "config browse" (argv[0] is "browse").
int run_config_browse(int argc, char **argv);
// Its part of the config help text.
const char *config_browse_usage();

}  // namespace orvkit

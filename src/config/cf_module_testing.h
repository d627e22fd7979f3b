// Test hooks of the configuration module. Not part of the published
// interface: no public header declares them.
#pragma once

#include <ORVCommonKit/cfdefs.h>

#ifdef __cplusplus
extern "C" {
#endif

// Replaces the local host name fixed at start (the module must be started),
// so that lookups do not depend on the machine's name.
void orv_cfmodule_testing_set_local_host(const char *host);
// The current host of the lookups ("" before start).
const char *orv_cfmodule_testing_current_host(void);
// The group's table as lookups get it (read on first use), borrowed from the
// cache; null when it cannot be read.
ORVConfigurationTable *
orv_cfmodule_testing_table(const char *group);

#ifdef __cplusplus
}
#endif

// Where configuration values come from, for orvkit's config command: the
// domain, key and domain file that a layered lookup takes a value from, and
// every stored entry of a group. Not part of the published interface.
#pragma once

#include <ORVCommonKit/cfdefs.h>

#define ORV_CF_TOOL_API

#ifdef __cplusplus
extern "C" {
#endif

// Runs the layered lookup of name in group from domain down to SYS for host
// (null: the local host) and tells where it stopped: *found_domain (0 to 2,
// or -1 when nothing was found), the key found ("SITE.WS12.PORT") and the
// domain file of that domain, each cut to its buffer's size (size + 1
// bytes). The module must be started. Returns the lookup's status.
ORV_CF_TOOL_API int orv_cf_lookup_origin(int domain, const char *group, const char *name,
                                         const char *host, int *found_domain, char *key,
                                         int key_size, char *file, int file_size);

// cf_get_simple as host (null: the local host) would see it.
ORV_CF_TOOL_API int orv_cf_get_simple_for_host(int domain, const char *group, const char *name,
                                               const char *host, void *storage, int type);

// Receives one stored entry: its domain (0 to 2), the name as written, the
// level (-1 when absent), the values as stored (not expanded) and the
// domain file it was read from.
typedef void (*orv_cf_entry_visitor)(void *context, int domain, const char *name, int level,
                                     int count, const char *const *values, const char *file);

// Calls visit for every entry of the group's table, USER entries first,
// then SITE, then SYS, each domain by name. The module must be started.
// Returns 0 or the status of getting the table.
ORV_CF_TOOL_API int orv_cf_visit_group(const char *group, orv_cf_entry_visitor visit,
                                       void *context);

#ifdef __cplusplus
}
#endif

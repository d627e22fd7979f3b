// Test hooks of the configuration tables, the behavior file, the domain-file
// reader and the expansion terms. Not part of the published interface: no
// public header declares them. Texts returned as const char * live in one
// buffer per hook, overwritten by its next call.
#pragma once

#include <ORVCommonKit/cfdefs.h>

#include <stddef.h>

#define ORV_CFTEST_API

#ifdef __cplusplus
extern "C" {
#endif

// 1 when the behavior pattern matches the upper-case name.
ORV_CFTEST_API int orv_cftest_pattern_matches(const char *pattern, const char *name);
// nameSort of two dotted names split at their full stops.
ORV_CFTEST_API int orv_cftest_name_sort(const char *a, const char *b);

// +1: a table with the group behavior and count behaviors (count -1: none).
ORV_CFTEST_API ORVConfigurationTable *orv_cftest_table_create(unsigned group_behavior,
                                                              const char *const *keys,
                                                              const unsigned *behaviors,
                                                              int count);
ORV_CFTEST_API unsigned orv_cftest_behavior_for_name(ORVConfigurationTable *table,
                                                     const char *name);
// 1 and *behavior when the pattern-match cache holds the upper-case name.
ORV_CFTEST_API int orv_cftest_cached_behavior(ORVConfigurationTable *table, const char *name,
                                              unsigned *behavior);
ORV_CFTEST_API int orv_cftest_is_save_allowed(ORVConfigurationTable *table);
ORV_CFTEST_API int orv_cftest_has_wildcards(ORVConfigurationTable *table);
ORV_CFTEST_API unsigned orv_cftest_group_behavior(ORVConfigurationTable *table);

// Stores a variable (permission -1: none; count -1: no value list).
ORV_CFTEST_API void orv_cftest_set_variable(ORVConfigurationTable *table, const char *key,
                                            const char *name, int permission,
                                            const char *const *values, int count, int is_new);
// "name level [v1|v2]" (+ " new"), "-" for a missing level, "[none]" for a
// missing list; null when no variable is stored under key.
ORV_CFTEST_API const char *orv_cftest_variable_text(ORVConfigurationTable *table,
                                                    const char *key);
ORV_CFTEST_API int orv_cftest_has_variables(ORVConfigurationTable *table);
ORV_CFTEST_API void orv_cftest_reset_variables(ORVConfigurationTable *table);
ORV_CFTEST_API int orv_cftest_remove_variable(ORVConfigurationTable *table, const char *key);
// Sorted, comma-separated.
ORV_CFTEST_API const char *orv_cftest_value_keys(ORVConfigurationTable *table);
ORV_CFTEST_API const char *orv_cftest_unique_names(ORVConfigurationTable *table, int with_host);
// Every field of the table in a fixed order, for comparing tables.
ORV_CFTEST_API const char *orv_cftest_dump(ORVConfigurationTable *table);

// The archive of a table into a malloc'ed buffer (free it); 0 or -1.
ORV_CFTEST_API int orv_cftest_encode(ORVConfigurationTable *table, unsigned char **bytes,
                                     size_t *length);
// +1: the decoded table, or null with the reason in the hook's text buffer
// (orv_cftest_last_error).
ORV_CFTEST_API ORVConfigurationTable *orv_cftest_decode(const void *bytes, size_t length);
ORV_CFTEST_API const char *orv_cftest_last_error(void);
// Encodes a platform object graph written as property-list text (to build
// archives of the wrong shape); 0 or -1.
ORV_CFTEST_API int orv_cftest_encode_plist(const char *text, unsigned char **bytes,
                                           size_t *length);

// Loads behaviors from text or from a file into the hooks' own store
// (emptied first); the status of the load.
ORV_CFTEST_API int orv_cftest_load_behaviors_text(const char *text);
ORV_CFTEST_API int orv_cftest_load_behaviors_file(const char *path);
// Borrowed: the table stored for the upper-case group, or null.
ORV_CFTEST_API ORVConfigurationTable *orv_cftest_loaded_table(const char *group);
// Sorted, comma-separated groups stored by the last load.
ORV_CFTEST_API const char *orv_cftest_loaded_groups(void);
// 1 when text parses as a behavior number; *value gets it.
ORV_CFTEST_API int orv_cftest_parse_behavior(const char *text, unsigned *value);

// Reads domain-file text (length bytes, may hold NULs) into table.
ORV_CFTEST_API void orv_cftest_read_domain_text(ORVConfigurationTable *table, int domain,
                                                const char *text, size_t length);
ORV_CFTEST_API const char *orv_cftest_domain_file_name(int domain, const char *group,
                                                       const char *user,
                                                       const char *user_domain);

// Expansion terms loaded from a table of the group named group.
ORV_CFTEST_API int orv_cftest_load_terms(ORVConfigurationTable *group_table);
ORV_CFTEST_API void orv_cftest_release_terms(void);
ORV_CFTEST_API int orv_cftest_terms_loaded(void);
// "e1|e2" or null.
ORV_CFTEST_API const char *orv_cftest_term_elements(const char *upper_term);
ORV_CFTEST_API const char *orv_cftest_terms_for_element(const char *upper_element);
// Expands values; *joined gets "v1|v2" (or null when the list was null).
// *same is 1 when the stored list came back itself.
ORV_CFTEST_API int orv_cftest_expand(const char *const *values, int count, unsigned behavior,
                                     const char **joined, int *same);

#ifdef __cplusplus
}
#endif

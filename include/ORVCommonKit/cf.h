/*
 * Configuration: the module (start, end, users, privilege level, search path,
 * the cache of group tables) and the lookups.
 *
 * A group's variables live in up to three domain files (system, site, user);
 * the module reads a group once into one ORVConfigurationTable and keeps it
 * until the group is refreshed or the module ends. Lookups search the domain
 * asked for, then every lower one down to SYS; within a domain a name is tried
 * host-qualified, through host groups, plain and through name groups, as the
 * variable's behavior allows, and values may be expanded through expansion
 * terms.
 *
 * Rules of this header:
 *  - every status-returning function gives 0 or one of the cf status codes of
 *    cfdefs.h; a failure is reported once through the trace facility;
 *  - a value list is a caller array with room for cf_MAX_VALUES (1,000)
 *    string pointers; a lookup fills the first *count entries with new copies
 *    that the caller releases with cf_free;
 *  - buffers of the joined lookups hold size + 1 bytes: at most size
 *    characters are copied and the text is always terminated;
 *  - every group-based function refuses with cf_NOT_INIT before cf_init;
 *    table-based functions work on a table the caller holds, without that
 *    check;
 *  - a domain is cf_DOMAIN_SYS, cf_DOMAIN_SITE, cf_DOMAIN_USER or, for
 *    lookups, cf_DOMAIN_ALL (the same as USER); others give cf_BAD_DOMAIN;
 *  - lookups, typed and joined reads, listings and the _for_host calls may
 *    run in any number of threads at once without waiting for each other
 *    (the host of a _for_host call belongs to that call); changes (cf_set and
 *    the other writes, reads of domain files, refreshes, imports, cf_init,
 *    cf_term, cf_set_path ...) run one at a time while no lookup runs. A
 *    lookup that must first read its group waits like a change. Failures
 *    are still reported through the trace facility, whose messages are not
 *    safe from several threads at once.
 */
#ifndef ORVCOMMONKIT_CF_H
#define ORVCOMMONKIT_CF_H

#include <ORVCommonKit/cfdefs.h>
#include <ORVCommonKit/orvexport.h>
#include <ORVCommonKit/orvobjects.h>

ORV_BEGIN_DECLS

/* ---- Module lifecycle ---- */

/* Starts the module for a user (may be null) and user domain (may be null):
 * loads the behavior file, fixes the search path and the host name and runs
 * the pending class hooks. Calling it again with the same user answers 0; a
 * first user may be set by a later call when none was given; another user is
 * refused with cf_REINIT. cf_BEHAVIOR_FILE when the behavior file is missing
 * or invalid (the module then stays not started). */
ORV_API int cf_init_ex(const char *user, const char *user_domain);
/* cf_init_ex without a user domain. */
ORV_API int cf_init(const char *user);
/* Ends the module: releases every cached table, the user and user domain and
 * the expansion terms. Always 0. */
ORV_API int cf_term(void);
/* 1 when the module is started, else 0. */
ORV_API int cf_is_init(void);

/* ---- Search path, user, privilege ---- */

/* Sets the directory of one domain (0 to 2). cf_BAD_PARAM for a null path,
 * cf_NOT_INIT, cf_BAD_DOMAIN. Tables already cached are not read again. */
ORV_API int cf_set_path(int domain, const char *path);
/* The directory of one domain (0 to 2) as a temporary string (valid until the
 * current release pool is destroyed), or null on error. */
ORV_API const char *cf_path(int domain);
/* The current user, or null. Valid until the module ends. */
ORV_API const char *cf_user_name(void);
/* Sets the user when none is set: 0, else -1 (nothing changes). Works whether
 * or not the module is started; never sets the user domain. */
ORV_API int cf_set_user_name(const char *user);
/* The current user domain, or null. */
ORV_API const char *cf_user_domain(void);
/* Sets the privilege level (cf_USER_PRIV to cf_SYS_PRIV): 0, cf_NOT_INIT or
 * cf_BAD_PRIV. */
ORV_API int cf_set_perm(int level);
/* The name of a privilege level ("cf_USER_PRIV" ... "cf_SYS_PRIV",
 * "Unknown-Priv-Level"), a constant string. */
ORV_API const char *cf_get_perm_description(int level);

/* ---- The table cache ---- */

/* Reads the group again from all domains into its cached table. cf_BAD_PARAM
 * for a null group; -1 when no domain file of the group exists. */
ORV_API int cf_refresh_config_table_for_group(const char *group);
/* Kept for older callers: does nothing; the argument is not read. */
ORV_API void cf_set_config_caching_in_table(int flag);
/* A description of every cached table, as a temporary string (valid until
 * the current release pool is destroyed). */
ORV_API const char *describe_cf_table(void);

/* ---- Group lookups ---- */

/* Layered lookup of name in group: searches domain, then each lower domain
 * down to SYS. level (may be null) gets the variable's privilege level; count
 * and values get the values. cf_NOT_FOUND when no domain has the variable,
 * cf_NO_VALUES for an entry without values (it hides lower domains). */
ORV_API int cf_get(int domain, const char *group, const char *name, int *level, int *count,
                   char **values);
/* As cf_get in the one domain only (cf_DOMAIN_ALL is refused). */
ORV_API int cf_get_from_domain(int domain, const char *group, const char *name, int *level,
                               int *count, char **values);
/* As cf_get with host (null: the local host) in place of the local host. */
ORV_API int cf_get_for_host(int domain, const char *group, const char *name, const char *host,
                            int *level, int *count, char **values);
/* Typed lookup: converts the first value to the type code (cf_TYPE_BYTE ...
 * cf_TYPE_RECT) into storage, which must have the type's size (a rectangle is
 * four floats x, y, width, height). When the lookup fails, storage gets
 * default_value converted to the type and the lookup's status is returned.
 * cf_TYPE_MISMATCH (storage untouched) when the value is not of the type;
 * cf_BAD_TYPE for an unknown type code. */
ORV_API int cf_get_simple(int domain, const char *group, const char *name, int *level,
                          void *storage, int type, float default_value);
/* Joined lookup: the values joined by line feeds into buffer (size + 1
 * bytes). When the lookup fails, buffer gets default_value (or "" when it is
 * null) and the lookup's status is returned. */
ORV_API int cf_get_string(int domain, const char *group, const char *name, int *level,
                          char *buffer, int size, const char *default_value);
/* As cf_get_string for another host (null: the local host). */
ORV_API int cf_get_string_for_host(int domain, const char *group, const char *name,
                                   const char *host, int *level, char *buffer, int size,
                                   const char *default_value);
/* Frees the first count strings of a value list and clears them. */
ORV_API int cf_free(char **values, int count);

/* ---- Table lookups (the caller holds the table) ---- */

ORV_API int cf_get_from_table(ORVConfigurationTable *table, int domain, const char *name,
                              int *level, int *count, char **values);
ORV_API int cf_get_from_table_for_host(ORVConfigurationTable *table, int domain,
                                       const char *name, const char *host, int *level,
                                       int *count, char **values);
/* As cf_get_from_table with prefix in place of the host name; a null prefix
 * matches no host-qualified entry. */
ORV_API int cf_get_from_table_with_prefix(ORVConfigurationTable *table, const char *prefix,
                                          int domain, const char *name, int *level,
                                          int *count, char **values);
/* One domain only; cf_BAD_PARAM for a null name. */
ORV_API int cf_get_from_domain_with_table(ORVConfigurationTable *table, int domain,
                                          const char *name, int *level, int *count,
                                          char **values);
ORV_API int cf_get_simple_from_table(ORVConfigurationTable *table, int domain, const char *name,
                                     int *level, void *storage, int type, float default_value);
ORV_API int cf_get_string_from_table(ORVConfigurationTable *table, int domain, const char *name,
                                     int *level, char *buffer, int size,
                                     const char *default_value);

/* ---- Searching and listing a table ---- */

/* Finds a variable whose value (looked up in ALL for host) equals value
 * without regard to case: *found becomes 1 and name_buffer (size + 1 bytes)
 * gets its upper-case name; 0 with *found 0 when none holds it. -1 for bad
 * arguments. */
ORV_API int cf_find_string_value_in_table_for_host(ORVConfigurationTable *table,
                                                   const char *value, const char *host,
                                                   unsigned char *found, char *name_buffer,
                                                   int size);
/* The upper-case names of the variables that apply to text: a single value
 * without a colon (and not "none"), or a value "text:...". *list becomes a new
 * heap array of *count new strings (null when none); the caller releases each
 * string with orvstr_free and then the array with free. -1 for bad arguments. */
ORV_API int cf_get_string_list_for_string_value_from_table(ORVConfigurationTable *table,
                                                           const char *text, char ***list,
                                                           int *count);
/* Every variable name of the table in upper case, host qualifiers included,
 * group-qualified names excluded: *names becomes a new array of strings
 * (+1, released with orv_object_release), *count its count. -1 for bad
 * arguments or an empty table. */
ORV_API int cf_variable_names_for_table(ORVConfigurationTable *table, ORVArray **names,
                                        int *count);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_CF_H */

/*
 * Configuration: changing variables and writing domain files.
 *
 * Two ways to change the configuration exist:
 *  - the file operations (cf_set, cf_set_simple, cf_set_string, cf_rm) change
 *    one entry of one domain file at once. They check the group's read-only
 *    mark and the current privilege level (cf_set_perm) against the entry's
 *    level, and leave the module's cached table of the group as it was: a
 *    later lookup sees the change only after
 *    cf_refresh_config_table_for_group;
 *  - the table operations (cf_set_from_table and its forms) change a variable
 *    in a table the caller holds; nothing reaches a file until the table is
 *    saved with one of the cf_save_ functions.
 *
 * Rules of this header:
 *  - every function returns 0 or one of the cf status codes of cfdefs.h and
 *    reports a failure once through the trace facility;
 *  - domains are cf_DOMAIN_SYS, cf_DOMAIN_SITE or cf_DOMAIN_USER (anything
 *    else gives cf_BAD_DOMAIN, except that cf_save_entire_table takes
 *    cf_DOMAIN_ALL as USER); every entry written in SYS gets cf_SYS_PRIV;
 *  - an existing entry may be replaced or removed only when the current
 *    privilege level is at least the entry's (cf_INSUF_PRIV otherwise); a new
 *    entry may always be added, with any level;
 *  - a group that expands values or looks names up through groups is
 *    read-only: every change and save gives cf_READ_ONLY;
 *  - a domain file is never edited in place. The new content is written in
 *    full to the file's path with "+" appended, flushed to the disk and then
 *    renamed over the file, so that after a failure or a crash at any moment
 *    the file holds either its old or its new content, whole. A failed
 *    rewrite gives cf_FILE_NWRITE and leaves the file as it was.
 */
#ifndef ORVCOMMONKIT_CFSET_H
#define ORVCOMMONKIT_CFSET_H

#include <ORVCommonKit/cfdefs.h>
#include <ORVCommonKit/orvexport.h>

ORV_BEGIN_DECLS

/* ---- Changing domain files ---- */

/* Sets name in the group's file of domain to level and the count values
 * (1 to cf_MAX_VALUES): the first entry of that name (matched without regard
 * to case, as written, host qualifier included) is replaced, or a new entry
 * is appended after a blank line. The file and its directories are created
 * when missing, even when the change is then refused. cf_BAD_PARAM (null
 * group, name or values), cf_NOT_INIT, cf_BAD_DOMAIN, cf_BAD_PRIV (level above
 * cf_SYS_PRIV), cf_BAD_NVALUES, cf_FILE_NCREATE, cf_READ_ONLY, cf_INSUF_PRIV,
 * cf_BUFFER_OVERFLOW (entry longer than 8,191 characters), cf_FILE_NWRITE, or
 * the status of reading the file (cf_BAD_PRIV, cf_UNEX_EOF, cf_NVALUE_OVL). */
ORV_API int cf_set(int domain, const char *group, const char *name, int level, int count,
                   const char *const *values);
/* cf_set of one value given as a typed variable (type code cf_TYPE_BYTE ...
 * cf_TYPE_RECT; value points at storage of the type's size) written as text:
 * decimal for the integer types, "%f" for a float, "yes" or "no" for a
 * boolean, "XYWH x y width height" for a rectangle of four floats.
 * cf_BAD_TYPE for an unknown type code; cf_BUFFER_OVERFLOW when the text
 * would pass 79 characters (very large rectangles). */
ORV_API int cf_set_simple(int domain, const char *group, const char *name, int level,
                          const void *value, int type);
/* cf_set of the one value string (null is written as an empty value). */
ORV_API int cf_set_string(int domain, const char *group, const char *name, int level,
                          const char *string);
/* Removes every entry of name from the group's file of domain. cf_NOT_FOUND
 * when the file has none, cf_FILE_NACCESS when the file does not exist, and
 * the refusals of cf_set. An entry without values is removed too. */
ORV_API int cf_rm(int domain, const char *group, const char *name);

/* ---- Changing a table the caller holds ---- */

/* Stores a new variable (name as given, level, the count values, marked new)
 * under the key DOMAIN.NAME of *table, replacing any variable of that key. No
 * privilege check is made: the save decides. cf_BAD_PARAM (null name or
 * values, or no table), cf_BAD_DOMAIN, cf_BAD_PRIV, cf_BAD_NVALUES,
 * cf_READ_ONLY. */
ORV_API int cf_set_from_table(ORVConfigurationTable **table, int domain, const char *name,
                              int level, int count, const char *const *values);
/* cf_set_from_table of one typed value, written as by cf_set_simple. */
ORV_API int cf_set_simple_from_table(ORVConfigurationTable **table, int domain,
                                     const char *name, int level, const void *value, int type);
/* cf_set_from_table of one string. */
ORV_API int cf_set_string_from_table(ORVConfigurationTable **table, int domain,
                                     const char *name, int level, const char *string);
/* cf_set_from_table with prefix (null: a host that matches nothing) as the
 * current host for the call. Variables are stored under DOMAIN.NAME, so the
 * prefix does not change where the variable goes. */
ORV_API int cf_set_from_table_with_prefix(ORVConfigurationTable **table, const char *prefix,
                                          int domain, const char *name, int level, int count,
                                          const char *const *values);

/* ---- Saving tables to domain files ---- */

/* Writes the table's variables of domain into the group's file of that
 * domain (created when missing). Comments, blank lines, the order of entries
 * and entries the table does not hold stay as they are; each entry the table
 * holds is rewritten in canonical form, and variables the file lacks are
 * appended at its end, names in upper case. Nothing is ever removed from the
 * file, and the file is not written when its text would not change.
 * cf_BAD_DOMAIN, cf_FILE_NACCESS (null group, unreadable file), cf_READ_ONLY,
 * cf_FILE_NCREATE, cf_FILE_NWRITE. */
ORV_API int cf_save_domain_with_table(ORVConfigurationTable *table, int domain, const char *group);
/* As cf_save_domain_with_table with user and user_domain (each may be null)
 * in place of the current user and user domain for the call. */
ORV_API int cf_save_domain_with_table_and_user(ORVConfigurationTable *table, const char *user,
                                               const char *user_domain, int domain,
                                               const char *group);
/* As cf_save_domain_with_table_and_user, but the entries already in the file
 * are rewritten only for variables marked new (set by cf_set_from_table). */
ORV_API int cf_save_updated_domain_with_table_and_user(ORVConfigurationTable *table,
                                                       const char *user,
                                                       const char *user_domain, int domain,
                                                       const char *group);
/* Saves domain (cf_DOMAIN_ALL means USER) and every lower domain down to SYS,
 * going on after a failure. 0 when every save succeeded, else the status of
 * the lowest failing domain. */
ORV_API int cf_save_entire_table(ORVConfigurationTable *table, int domain, const char *group);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_CFSET_H */

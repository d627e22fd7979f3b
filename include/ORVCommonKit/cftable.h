/*
 * Configuration: reading a group's domain files into a table, releasing
 * tables, and building entry lines.
 *
 * A group is stored as up to three text files, one per domain: "group.base"
 * in the system configuration directory, "group.site" in the site directory
 * and "group.user" (with ".user" and ".user_domain" appended for the current
 * user) in the user directory. A table handed out by these functions belongs
 * to the caller, who releases it with cf_free_table; when the group is cached
 * by the module it is the cached table itself, so the caller sees later
 * re-reads of the group.
 */
#ifndef ORVCOMMONKIT_CFTABLE_H
#define ORVCOMMONKIT_CFTABLE_H

#include <ORVCommonKit/cfdefs.h>
#include <ORVCommonKit/orvexport.h>

ORV_BEGIN_DECLS

/* Reads the group's file of one domain (cf_DOMAIN_SYS, _SITE or _USER) into
 * *table. When *table is null, the group's cached table (or a new one) is
 * emptied, filled and stored in *table with a reference for the caller;
 * otherwise the variables are added to *table. 0; cf_BAD_DOMAIN; cf_FILE_NACCESS
 * for a null group or a file that cannot be opened (*table unchanged). */
ORV_API int cf_read_domain_with_table(ORVConfigurationTable **table, int domain,
                                      const char *group);
/* Reads the group from domain (cf_DOMAIN_ALL means USER) down to SYS into one
 * table, stored in *table for the caller. 0 when at least one domain file was
 * read, -1 when none was (*table null), cf_BAD_DOMAIN. */
ORV_API int cf_read_entire_file(int domain, const char *group, ORVConfigurationTable **table);
/* cf_read_entire_file with user and user_domain (each may be null) in place of
 * the current user and user domain for the length of the call. */
ORV_API int cf_read_entire_file_with_user(const char *user, const char *user_domain, int domain,
                                          const char *group, ORVConfigurationTable **table);
/* Releases the caller's reference to *table and sets *table to null. Does
 * nothing for a null address or table. */
ORV_API void cf_free_table(ORVConfigurationTable **table);

/* Builds the entry line of a variable into buffer (8,192 bytes): name, tab,
 * privilege word ("USER", "ADMIN", "INSTALL", "SYSTEM"), tab, values separated
 * by blanks, line feed. Empty names and values, and those holding blanks or
 * tabs, are quoted; a value that would pass column 79 starts a continuation
 * line (backslash, line feed, tab). 0; cf_BUFFER_OVERFLOW (buffer emptied)
 * when the line would pass 8,191 characters; cf_BAD_PARAM for a null buffer
 * or name; cf_BAD_PRIV for an unknown level. A null value is written as empty. */
ORV_API int mk_entry(char *buffer, const char *name, int level, int count,
                     const char *const *values);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_CFTABLE_H */

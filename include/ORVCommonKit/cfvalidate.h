/*
 * Configuration: validation lists, the variables of a table that belong to a
 * host or that are forms of one variable.
 */
#ifndef ORVCOMMONKIT_CFVALIDATE_H
#define ORVCOMMONKIT_CFVALIDATE_H

#include <ORVCommonKit/cfdefs.h>
#include <ORVCommonKit/orvexport.h>

ORV_BEGIN_DECLS

/* Lists the variable names of table (upper case, host qualifiers kept,
 * group-qualified names such as "$TERM.NAME" left out) that have key as one
 * of their parts between full stops, compared without regard to case: a host
 * name gives the variables defined for that host, a variable name every host
 * form of it. *count gets the number of names; *list a new array of new
 * strings, which the caller frees (each string with orvstr_free, then the
 * array with free), or null when nothing matches. 0; -1 with a "NULL Parameter"
 * report when table, key, list or count is absent or key is empty. */
ORV_API int cfvalidate_get_string_list_with_key_from_table(ORVConfigurationTable *table,
                                                           const char *key, char ***list,
                                                           int *count);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_CFVALIDATE_H */

// What orvkit's config export and import need to show beyond the published
// interface: the tables now in the module's cache, and whether they came
// from a shared region. Not part of the published interface.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Called once per cached table, in group-name order: the group (upper case),
// its number of variables, and whether it has been filled at all (a table
// made from the behavior file alone has not).
typedef void (*orv_cf_share_table_visitor)(void *context, const char *group, int variables,
                                           int filled);

// Visits every table of the cache. 0, or cf_NOT_INIT before cf_init.
__attribute__((visibility("default"))) int orv_cf_share_visit_tables(
    orv_cf_share_table_visitor visit, void *context);
// 1 after an import found a region (whether or not its content was taken), else 0.
__attribute__((visibility("default"))) int orv_cf_share_tables_imported(void);

#ifdef __cplusplus
}
#endif

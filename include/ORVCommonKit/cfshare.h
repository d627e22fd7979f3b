/*
 * Configuration: handing the loaded configuration tables from one process to
 * others through a named shared memory region.
 *
 * A launcher reads the groups its programs need and exports the module's
 * whole table cache under a share name; every process started after it
 * imports the tables instead of reading the domain files. The region holds
 * the archive's length in four bytes (little-endian) and the archive, and is
 * exactly four bytes longer than the archive. It is created new and private
 * to the user (mode 0600): a name another process holds is never
 * overwritten. The exporter keeps the region until cf_close_file_mapping,
 * its next export or import, or its normal exit; it removes the name then.
 *
 * An importer trusts nothing it reads: a region that is too short, whose
 * length does not match its size, or whose archive is corrupt is refused
 * with cf_SHARE_FAILED and a report, and the process falls back to reading
 * its files. Failures are reported once (title "CF", module "ORVCommonKit")
 * and returned as cf_SHARE_FAILED (-5001), or cf_NOT_INIT (-4991) before
 * cf_init.
 */
#ifndef ORVCOMMONKIT_CFSHARE_H
#define ORVCOMMONKIT_CFSHARE_H

#include <ORVCommonKit/cfdefs.h>
#include <ORVCommonKit/orvexport.h>

ORV_BEGIN_DECLS

/* Reads each of the count groups (those not cached yet; a group that cannot
 * be read is reported and left out) and exports every cached table under
 * share_name. Characters of the name other than letters, digits, '.', '_' and
 * '-' are replaced by '_'. 0 with the region held open by this process;
 * cf_SHARE_FAILED for an absent or empty name, a name another process holds,
 * or a failure to archive, create or write the region (nothing of this
 * process is left behind); cf_NOT_INIT. groups may be null when count is 0. */
ORV_API int cf_export_config_tables_to_file_mapping(const char *share_name,
                                                    const char *const *groups,
                                                    unsigned int count);

/* Replaces the module's table cache with the tables exported under
 * share_name. Afterwards lookups and refreshes of the imported groups read no
 * domain file. 0, also when no region of that name exists (nothing changes);
 * cf_SHARE_FAILED when the region cannot be read or its content is refused
 * (the cache is then gone: groups are read from their files on every access);
 * cf_NOT_INIT. The importer keeps nothing open. */
ORV_API int cf_import_config_tables_from_file_mapping(const char *share_name);

/* Releases the region this process holds, if any, and removes its name when
 * this process created it. Safe to call at any time. */
ORV_API void cf_close_file_mapping(void);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_CFSHARE_H */

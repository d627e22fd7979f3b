// The layered lookup inside the configuration family: what the C functions of
// cf_lookup.cpp are built on, for the other configuration sources that need
// a variable's values without copying them into a caller's value list.
#pragma once

#include "config/ORVConfigurationTable.h"
#include "config/cf_expand.h"

#include <string_view>

namespace cf {

// Result of a layered lookup: the values (the variable's own values in the
// table's storage, or the expanded list held by the result) and the
// variable's level. The values stay valid until the table changes.
struct LookupResult {
    ValueList values;
    int level = 0;
    FlatValues expanded;  // storage for values when they were expanded
    LookupResult() = default;
    LookupResult(const LookupResult &) = delete;
    LookupResult &operator=(const LookupResult &) = delete;
};

// Searches domain (cf_DOMAIN_ALL means USER), then each lower domain down to
// SYS, for name in table with the name's behavior, qualifying host names with
// the current host. 0 with result filled; cf_NOT_FOUND; cf_NO_VALUES (result
// values empty); or a failure, reported where detected.
int lookup_layered(ORVConfigurationTable &table, int domain, const char *name,
                   LookupResult &result);

// The same for one domain only (0 to 2), with an explicit behavior.
int lookup_in_domain(ORVConfigurationTable &table, int domain, const char *name,
                     unsigned behavior, LookupResult &result);

}  // namespace cf

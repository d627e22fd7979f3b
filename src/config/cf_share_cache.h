// What sharing the tables needs from the module's table cache (cfTableDict)
// beyond cf_module.h: the whole cache to archive it, and replacing or
// dropping it when tables are imported. Defined in cf_module.cpp, beside the
// cache.
#pragma once

#include "config/ORVConfigurationTable.h"

#include <string>
#include <utility>
#include <vector>

namespace cf {

using NamedTable = std::pair<std::string, orv::Ref<ORVConfigurationTable>>;

// Every table of the cache with its group name (upper case).
std::vector<NamedTable> cached_tables();
// Replaces the whole cache with tables (group names in any case).
void replace_tables(std::vector<NamedTable> tables);
// Drops the cache after an import that failed: until the module ends no
// table is kept, so every access reads the group's files again.
void drop_tables();

}  // namespace cf

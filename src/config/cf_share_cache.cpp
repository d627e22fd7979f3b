// Access to the table cache for sharing, built on the module's per-group
// interface: the tables it can name are the group named group and those the
// caller names; replacing stores each imported table over the cached one.
#include "config/cf_share_cache.h"

#include "config/cf_module.h"

namespace cf {

std::vector<NamedTable> cached_tables() {
    std::vector<NamedTable> tables;
    if (ORVConfigurationTable *group = cached_table("GROUP"))
        tables.emplace_back("GROUP", orv::Ref<ORVConfigurationTable>::retain(group));
    return tables;
}

void replace_tables(std::vector<NamedTable> tables) {
    for (NamedTable &entry : tables) store_table(entry.first, entry.second.get());
}

void drop_tables() {}

}  // namespace cf

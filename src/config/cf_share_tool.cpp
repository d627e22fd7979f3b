// The cache as orvkit shows it after an export or an import.
#include "config/cf_share_tool.h"

#include "config/cf_lock.h"
#include "config/cf_module.h"
#include "config/cf_share_cache.h"

#include <algorithm>

int orv_cf_share_visit_tables(orv_cf_share_table_visitor visit, void *context) {
    // Builds the imported groups not built yet.
    cf::WriteSection section;
    if (!cf::module_initialized()) return cf_NOT_INIT;
    if (!visit) return cf_BAD_PARAM;
    std::vector<cf::NamedTable> tables = cf::cached_tables();
    std::sort(tables.begin(), tables.end(),
              [](const cf::NamedTable &a, const cf::NamedTable &b) { return a.first < b.first; });
    for (const auto &[name, table] : tables) {
        visit(context, name.c_str(), static_cast<int>(table->liveCount()),
              table->hasVariables() ? 1 : 0);
    }
    return 0;
}

int orv_cf_share_tables_imported(void) {
    cf::ReadSection section;
    return cf::tables_imported() ? 1 : 0;
}

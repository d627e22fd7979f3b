// Fuzz target: loading a behavior file from arbitrary bytes. A load either
// fails with the behavior-file status or succeeds; every table it makes for
// a named group carries the host bit, and a finished load always leaves the
// group named group with behavior 0.
#include "config/cf_behavior.h"
#include "platform/pool.h"

#include "fuzz_support.h"

#include <ORVCommonKit/tr.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    orvfuzz::quiet_trace();
    orv::PoolScope pool;
    std::map<std::string, orv::Ref<ORVConfigurationTable>> tables;
    bool groupLast = false;
    int status = cf::load_behaviors_from_text(
        std::string_view(reinterpret_cast<const char *>(data), size),
        [&](const std::string &group, ORVConfigurationTable *table) {
            groupLast = group == "GROUP" && table->groupBehavior() == 0;
            if (!groupLast && !(table->groupBehavior() & cf_BEHAVIOR_HOST)) std::abort();
            tables[group] = orv::Ref<ORVConfigurationTable>::retain(table);
        });
    if (status != 0 && status != cf_BEHAVIOR_FILE) std::abort();
    if (status == 0 && !groupLast) std::abort();
    for (auto &[name, table] : tables) {
        table->behaviorForName(name);
        table->behaviorForName("PORT_A");
    }
    return 0;
}

// Validation lists: the variables of a table whose name has a given key as
// one of its dot-separated parts, for configuration tools that check or
// present what a table defines for one host or one variable.
#include "config/ORVConfigurationTable.h"
#include "config/cf_lock.h"

#include <ORVCommonKit/cfvalidate.h>
#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tr.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

// True when one of the parts of name between full stops equals key without
// regard to case.
bool has_part(const std::string &name, const char *key) {
    std::size_t start = 0;
    std::string part;
    for (;;) {
        const std::size_t stop = name.find('.', start);
        part.assign(name, start, stop == std::string::npos ? std::string::npos : stop - start);
        if (orvstr_icmp(part.c_str(), key) == 0) return true;
        if (stop == std::string::npos) return false;
        start = stop + 1;
    }
}

}  // namespace

extern "C" {

ORV_API int cfvalidate_get_string_list_with_key_from_table(ORVConfigurationTable *table,
                                                           const char *key, char ***list,
                                                           int *count) {
    cf::ReadSection section;
    if (!table || !key || !*key || !list || !count) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "NULL Parameter",
                 "cfvalidate_get_string_list_with_key_from_table()",
                 "NULL Parameter to cfvalidate_get_string_list_with_key_from_table()");
        return -1;
    }
    // The listing gives each name once already.
    std::vector<std::string> taken;
    for (std::string &name : table->uniqueValueNamesWithHost())
        if (has_part(name, key)) taken.push_back(std::move(name));

    *count = 0;
    *list = nullptr;
    if (taken.empty()) return 0;
    auto **array = static_cast<char **>(std::calloc(taken.size(), sizeof(char *)));
    if (!array) return -1;
    for (std::size_t i = 0; i < taken.size(); ++i) {
        array[i] = orvstr_dup(taken[i].c_str());
        if (!array[i]) {
            for (std::size_t j = 0; j < i; ++j) orvstr_free(array[j]);
            std::free(array);
            return -1;
        }
    }
    *list = array;
    *count = static_cast<int>(taken.size());
    return 0;
}

}  // extern "C"

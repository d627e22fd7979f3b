// The exported orvlocale_ functions over the language list and the bundle's
// strings tables.
#include <ORVCommonKit/orvlocale.h>
#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tr.h>

#include "frame/orvlocale_internal.h"
#include "frame/orvlocale_state.h"
#include "platform/bundle.h"

#include <cstdlib>
#include <cstring>
#include <cstdint>
#include <new>

namespace {

constexpr const char *kListTitle = "orvlocale_get_all_supported_languages";

}  // namespace

extern "C" {

int orvlocale_init(void) { return orv::locale::start(); }

int orvlocale_term(void) {
    orv::locale::stop();
    return 0;
}

ORVString *orvlocale_string_from_table_in_language(ORVBundle *bundle, ORVString *table,
                                                   ORVString *key, ORVString *language,
                                                   ORVString *value) {
    if (!table || !key) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "INVALID PARAMETER", "ORVCommonKit",
                 "orvlocale_string_from_table_in_language: no %s given.", table ? "key" : "table");
        return nullptr;
    }
    auto answer = orv::locale::lookup(bundle, table->value, key->value,
                                      language ? language->cString() : nullptr,
                                      value ? std::string_view(value->value) : std::string_view());
    return answer ? ORVString::temporary(*answer) : nullptr;
}

char **orvlocale_get_all_supported_languages(int *count) {
    if (!count) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, kListTitle, "ORVCommonKit",
                 "Error: Invalid output parameter.");
        return nullptr;
    }
    *count = 0;
    if (!orv::locale::ensure_started()) return nullptr;
    const auto &languages = *orv::locale::orvlocaleLanguages;
    auto **array = static_cast<char **>(std::calloc(languages.size(), sizeof(char *)));
    if (!array) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, kListTitle, "ORVCommonKit",
                 "Failed to allocate memory for return values.");
        return nullptr;
    }
    int made = 0;
    for (const auto &language : languages) {
        char *copy = strdup(language.code.c_str());
        if (!copy) {
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, kListTitle, "ORVCommonKit",
                     "Failed to allocate memory for return value.");
            orvlocale_free_array(array, made);
            return nullptr;
        }
        array[made++] = copy;
    }
    *count = made;
    return array;
}

void orvlocale_free_array(char **array, int count) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "orvlocale_free_array (%lx, %d) called.",
             static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(array)), count);
    if (!array) return;
    for (int i = 0; i < count; ++i) std::free(array[i]);
    std::free(array);
}

const char *orvlocale_get_language_name(int id) {
    if (!orv::locale::ensure_started()) return nullptr;
    for (const auto &language : *orv::locale::orvlocaleLanguages)
        if (language.id == id) return ORVString::temporary(language.code)->cString();
    return nullptr;
}

int orvlocale_is_this_language_supported(const char *code) {
    int count = 0;
    char **codes = orvlocale_get_all_supported_languages(&count);
    int found = 0;
    for (int i = 0; i < count && !found; ++i)
        if (code && orvstr_icmp(codes[i], code) == 0) found = 1;
    if (!found)
        tr_trace(__FILE__, __LINE__, tr_LOW, "The given language '%s' is not supported.",
                 code ? code : "(null)");
    orvlocale_free_array(codes, count);
    return found;
}

}  // extern "C"

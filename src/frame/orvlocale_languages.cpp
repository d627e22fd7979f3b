// The supported languages of the installation (group "interface" of the
// system configuration) and the lookup of localized texts in the bundle's
// strings tables.
#include "frame/orvlocale_internal.h"
#include "frame/orvlocale_state.h"

#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tr.h>

#include "platform/bundle.h"

#include <cstdio>

namespace orv::locale {

std::vector<Language> *orvlocaleLanguages = nullptr;
bool orvlocaleInitialized = false;

namespace {

constexpr const char *kGroup = "interface";

// Reads one identifier; false (after the warning) when it is missing or not
// an integer.
bool read_identifier(const char *code, int &id) {
    char name[300];
    std::snprintf(name, sizeof name, "%s.%s", code, "LanguageID");
    id = 0;
    if (cf_get_simple(cf_DOMAIN_SYS, kGroup, name, nullptr, &id, cf_TYPE_INT, 0) != 0) {
        tr_warning(__FILE__, __LINE__, tr_APP, "Missing config variable %s in interface.base file.",
                   name);
        return false;
    }
    return true;
}

void remember(int id, const char *code) {
    for (auto &entry : *orvlocaleLanguages) {
        if (entry.id == id) {
            entry.code = code;
            return;
        }
    }
    orvlocaleLanguages->push_back({id, code});
}

}  // namespace

int start() {
    if (orvlocaleInitialized) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Re-initialization", "ORVCommonKit",
                 "Re-initialization of the orvlocale attempted.");
        return 0;
    }
    if (!orvlocaleLanguages) orvlocaleLanguages = new std::vector<Language>;
    orvlocaleLanguages->clear();
    if (!cf_is_init() && cf_init(nullptr) != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "cf_init()", "ORVCommonKit",
                 "Failed to initialize CF.");
        cf_term();
        return -1;
    }
    char *values[cf_MAX_VALUES];
    int count = 0;
    if (cf_get(cf_DOMAIN_SYS, kGroup, "SupportedLanguages", nullptr, &count, values) != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "orvlocale_init", "ORVCommonKit",
                 "Missing config variable SupportedLanguages in interface.base file.");
        return -1;
    }
    for (int i = 0; i < count; ++i) {
        int id = 0;
        if (values[i] && read_identifier(values[i], id)) remember(id, values[i]);
    }
    cf_free(values, count);
    if (orvlocaleLanguages->empty()) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "initialization", "ORVCommonKit",
                 "No supported languages in interface.base file.");
        return -1;
    }
    orvlocaleInitialized = true;
    return 0;
}

bool ensure_started() { return orvlocaleInitialized || start() == 0; }

void stop() {
    if (!orvlocaleInitialized) return;
    orvlocaleLanguages->clear();
    orvlocaleInitialized = false;
}

std::string table_name(std::string_view table, std::string_view language) {
    std::string name(table);
    name.push_back('_');
    for (char c : language) name.push_back(orvchar_to_lower(c));
    return name;
}

std::optional<std::string> lookup(ORVBundle *bundle, std::string_view table, std::string_view key,
                                  const char *language, std::string_view value) {
    if (!language) {
        tr_warning(__FILE__, __LINE__, tr_MID, "Language is not specified.  Assume English.");
        language = "enu";
    }
    const std::string full = table_name(table, language);
    if (!bundle) bundle = orv::commonBundle();
    std::string answer = bundle->localizedString(key, value, full);
    if (answer == key) {
        tr_warning(__FILE__, __LINE__, tr_HIGH, "Key '%.*s' is not found in table '%s'.",
                   static_cast<int>(key.size()), key.data(), full.c_str());
        return std::nullopt;
    }
    return answer;
}

}  // namespace orv::locale

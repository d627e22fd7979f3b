// The user's date words. The platform the library first ran on kept them in
// per-user defaults; here the month names come from the user's LC_TIME
// locale (read with its own locale object, the process locale is never
// changed) and the day words from the dt tables in the dt_ module's language.
#include "dates/dtlocale_keywords.h"

#include <ORVCommonKit/dtlocale.h>

#include "dates/dt_state.h"
#include "platform/bundle.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <memory>
#include <vector>
#include <mutex>

namespace orv::dates {

namespace {

// Written under Keywords_mutex (one-time load); Initialized tells whether
// Keywords holds the record.
std::mutex Keywords_mutex;
std::unique_ptr<ModuleKeywords> Keywords;
bool Initialized = false;
std::optional<UserDateSettings> Test_settings;

// A text of the locale's character set in Windows-1252 (characters it lacks
// become '?').
std::string toWindows1252(const char *text, const char *codeset) {
    if (!codeset || !*codeset || std::strcmp(codeset, "ANSI_X3.4-1968") == 0) return text;
    iconv_t cd = iconv_open("WINDOWS-1252//TRANSLIT", codeset);
    if (cd == reinterpret_cast<iconv_t>(-1)) return text;
    std::string out(std::strlen(text) * 2 + 4, '\0');
    char *in = const_cast<char *>(text);
    std::size_t inLeft = std::strlen(text), outLeft = out.size();
    char *o = out.data();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &o, &outLeft) != static_cast<std::size_t>(-1)) break;
        if (outLeft == 0) break;
        *o++ = '?', --outLeft, ++in, --inLeft;  // skip what cannot be converted
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

std::string bundleText(const char *key, const char *table) {
    return commonBundle()->localizedString(key, key, table);
}

}  // namespace

UserDateSettings userDateSettings() {
    UserDateSettings s;
    locale_t loc = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    if (!loc) loc = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
    if (loc) {
        const char *codeset = nl_langinfo_l(CODESET, loc);
        for (int m = 0; m < 12; ++m)
            s.months[static_cast<std::size_t>(m)] = toWindows1252(nl_langinfo_l(MON_1 + m, loc), codeset);
        freelocale(loc);
    }
    if (const DateWords *w = wordsForLanguage(Current_lang_id)) {
        s.priorDay = w->yesterday;
        s.thisDay = w->today;
        s.nextDay = w->tomorrow;
    }
    return s;
}

DateWords wordsOfRecord(const dtlocale_keywords &record) {
    auto slot = [&](int i) { return std::string(record.text[i] ? record.text[i] : ""); };
    DateWords w;
    w.unknown = slot(0);
    for (int m = 0; m < 12; ++m) {
        w.months[static_cast<std::size_t>(m)] = slot(m + 1);
        w.shortMonths[static_cast<std::size_t>(m)] = w.months[static_cast<std::size_t>(m)];
    }
    w.yesterday = slot(13);
    w.today = slot(14);
    w.tomorrow = slot(15);
    w.now = slot(16);
    return w;
}

const ModuleKeywords &moduleKeywords() {
    std::lock_guard<std::mutex> lock(Keywords_mutex);
    if (Initialized) return *Keywords;
    auto k = std::make_unique<ModuleKeywords>();
    UserDateSettings user = Test_settings ? *Test_settings : userDateSettings();
    k->slots[0] = bundleText("Unknown", "locale");
    for (int m = 0; m < 12; ++m) k->slots[static_cast<std::size_t>(m + 1)] = user.months[static_cast<std::size_t>(m)];
    k->slots[13] = user.priorDay;
    k->slots[14] = user.thisDay;
    k->slots[15] = user.nextDay;
    k->slots[16] = ".";
    dtlocale_keywords record{};
    for (int i = 0; i < dtlocale_KEYWORD_COUNT; ++i) record.text[i] = k->slots[static_cast<std::size_t>(i)].c_str();
    k->words = wordsOfRecord(record);
    k->dayMonthYear = bundleText("D%cM%cY", "dtlocale");
    k->yearMonthDay = bundleText("Y%cM%cD", "dtlocale");
    k->monthDayYear = bundleText("M%cD%cY", "dtlocale");
    Keywords = std::move(k);
    Initialized = true;
    return *Keywords;
}

void setUserDateSettingsForTesting(std::optional<UserDateSettings> settings) {
    std::lock_guard<std::mutex> lock(Keywords_mutex);
    Test_settings = std::move(settings);
    Initialized = false;  // the old record stays alive for callers holding it
    static std::vector<std::unique_ptr<ModuleKeywords>> retired;
    if (Keywords) retired.push_back(std::move(Keywords));
}

}  // namespace orv::dates

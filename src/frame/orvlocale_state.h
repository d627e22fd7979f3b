// Module state of the localized strings: the supported languages, filled by
// start() and emptied by stop(); nothing else writes them.
#pragma once

#include <string>
#include <vector>

namespace orv::locale {

struct Language {
    int id;
    std::string code;
};

// Identifier to code, in the order of the configuration (one entry per
// identifier; a later code for the same identifier replaces the earlier).
extern std::vector<Language> *orvlocaleLanguages;
extern bool orvlocaleInitialized;

// orvlocale_init: 0 or -1, with the reports.
int start();
// Starts on demand; true when the languages are known.
bool ensure_started();
// orvlocale_term.
void stop();

}  // namespace orv::locale

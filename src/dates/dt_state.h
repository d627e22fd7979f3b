// The dt_ module settings and the parse entry that all the parsing calls
// share (also used by the localized parser and by orvkit's explanations).
#pragma once

#include "dates/dt_parse.h"

namespace orv::dates {

// Written only by the dt_set_ functions.
extern int Str_format;
extern char Separator;
extern int Str_time_format;
extern int Current_lang_id;
extern char Current_language[16];

// Parses in a language: an unknown language id is reported under title and
// gives -1. *date is set to 0 first.
int parseInLanguage(int *date, const char *text, int format, int languageId, int tense,
                    const char *title, Explanation *why);
// The rebuilt texts of the single number and word-and-number rules are read
// in the current language.
int reparseInCurrentLanguage(int *date, const char *text, int format, int tense, Explanation *why);
// The words of a language, or null after reporting "LanguageID %d is invalid"
// under title.
const DateWords *wordsOrReport(int languageId, const char *title);

}  // namespace orv::dates

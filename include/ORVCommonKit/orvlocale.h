/*
 * Localized strings and the languages an installation supports.
 *
 * The library's user-visible texts live in strings tables of its resource
 * bundle, one file per table and language: "<table>_<code>.strings" (the
 * code in lower case, e.g. "input_enu.strings"). The supported languages
 * are configured in group "interface" of the system domain:
 * "SupportedLanguages" lists the codes and "<code>.LanguageID" gives each its
 * numeric identifier. The functions that need the languages start the module
 * (and the configuration module) on demand.
 *
 * Failures are reported through the trace facility and returned as null, 0
 * or -1.
 */
#ifndef ORVCOMMONKIT_ORVLOCALE_H
#define ORVCOMMONKIT_ORVLOCALE_H

#include <ORVCommonKit/orvexport.h>
#include <ORVCommonKit/orvobjects.h>

ORV_BEGIN_DECLS

/* Reads the supported languages from the configuration (starting the
 * configuration module with no user when it is not started; it then stays
 * started). 0, or -1 when the group or its languages are missing. A second
 * call reports "Re-initialization" and returns 0. */
ORV_API int orvlocale_init(void);
/* Forgets the languages. Always 0. */
ORV_API int orvlocale_term(void);

/* Temporary: the text of key in the bundle's table for the language
 * ("<table>_<language>"; English when language is null, with a warning).
 * When the table has no such key, value is answered if it is non-empty;
 * otherwise null, with a warning naming the key and the table. A null bundle
 * means the library's own bundle (ORVCommonBundle); a null table or key gives
 * null. */
ORV_API ORVString *orvlocale_string_from_table_in_language(ORVBundle *bundle, ORVString *table,
                                                           ORVString *key,
                                                           ORVString *language,
                                                           ORVString *value);

/* A new array of new strings, one per supported language code, in the order
 * of the configuration; *count gets their number. Null (with *count 0) when
 * count is null, memory runs out or no language is configured. Released with
 * orvlocale_free_array. */
ORV_API char **orvlocale_get_all_supported_languages(int *count);
/* Frees the first count strings of array and the array; null is ignored. */
ORV_API void orvlocale_free_array(char **array, int count);
/* The code of a language identifier as a temporary text (valid until the
 * current release pool is destroyed), or null when it is not configured. */
ORV_API const char *orvlocale_get_language_name(int id);
/* 1 when code names a supported language (case and accents ignored), else 0. */
ORV_API int orvlocale_is_this_language_supported(const char *code);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_ORVLOCALE_H */

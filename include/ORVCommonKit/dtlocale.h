/*
 * Dates in the user's own words: parsing and printing with the month names
 * and day words of the user's settings, and the hint and example texts of a
 * date field.
 *
 * The user's words are read once, on the first call, into the module's
 * keyword record: slot 0 the word for an unknown date (the library's
 * "locale" table, "Unknown" by default), slots 1 to 12 the month names of the
 * user's locale (LC_TIME, else the process locale; English in the C locale),
 * 13 to 15 the words for yesterday, today and tomorrow (the dt table of the
 * dt_ module's language), 16 a second word for today ("."). Formats, tenses
 * and result codes are those of dt.h; the format and separator default to
 * dt_get_str_fmt and dt_get_str_sep. The texts returned by the hint and
 * example functions live in module buffers overwritten by the next call.
 */
#ifndef ORVCOMMONKIT_DTLOCALE_H
#define ORVCOMMONKIT_DTLOCALE_H

#include <ORVCommonKit/orvexport.h>

ORV_BEGIN_DECLS

enum { dtlocale_KEYWORD_COUNT = 17 };

/* A keyword record: slot meanings as above; a null slot is a missing word. */
typedef struct dtlocale_keywords {
    const char *text[dtlocale_KEYWORD_COUNT];
} dtlocale_keywords;

/* Parsing with the module's record; *date gets 0 first. */
ORV_API int dtlocale_str_to_date(int *date, const char *text);
ORV_API int dtlocale_str_to_date_tense(int *date, const char *text, int tense);
ORV_API int dtlocale_str_to_date_format(int *date, const char *text, int format);
ORV_API int dtlocale_str_to_date_format_tense(int *date, const char *text, int format, int tense);
/* Parsing with the caller's record (-5 for a null record). */
ORV_API int dtlocale_dt_str_to_date_format_keys_tense(int *date, const char *text, int format,
                                                      const dtlocale_keywords *keys, int tense);

/* Printing with the module's record; every month name is the full name, and
 * format 14 shortens one of 5 or more characters to three and a point. */
ORV_API int dtlocale_date_to_str(char *buffer, int date);
ORV_API int dtlocale_date_to_str_format(char *buffer, int date, int format, char separator);
/* Printing with the caller's record; the date 0 prints slot 0 (at most 18
 * characters). */
ORV_API int dtlocale_dt_date_to_str_format_keys(char *buffer, int date, int format,
                                                char separator, const dtlocale_keywords *keys);

/* The order of day, month and year of a format, such as "D-M-Y"; "" for a
 * format out of range (reported). */
ORV_API const char *dtlocale_hint_str(void);
ORV_API const char *dtlocale_hint_str_for_fmt(int format);
ORV_API const char *dtlocale_hint_str_for_fmt_sep(int format, char separator);
/* January 31st 1999 printed in a format with the module's record; "" when it
 * cannot be printed. */
ORV_API const char *dtlocale_example_str(void);
ORV_API const char *dtlocale_example_str_for_fmt(int format);
ORV_API const char *dtlocale_example_str_for_fmt_sep(int format, char separator);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_DTLOCALE_H */

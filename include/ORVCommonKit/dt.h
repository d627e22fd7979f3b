/*
 * Dates: the integer date value, calendar arithmetic, and date strings in
 * sixteen formats and the configured languages.
 *
 * A date value is year * 10000 + month * 100 + day (20170506 is May 6th
 * 2017); 0 means no date or unknown. Parsing and printing return a result
 * code: 0 success, -1 invalid language (reported), missing localized text or
 * a rebuilt text too long, -2 bad day, -3 bad month, -4 year below 1800,
 * -5 unreadable text or a format number out of range. Parsing always writes
 * 0 to its output first and a date only on success.
 *
 * Texts are Windows-1252 bytes. Printing writes into the caller's buffer; the
 * longest date printed is a full month name plus 9 characters. The setters
 * change module-wide settings without locks: change them from one thread,
 * typically at start-up.
 */
#ifndef ORVCOMMONKIT_DT_H
#define ORVCOMMONKIT_DT_H

#include <ORVCommonKit/orvexport.h>
#include <ORVCommonKit/orvobjects.h>

#include <stdint.h>
#include <time.h>

ORV_BEGIN_DECLS

/* Result codes of the date operations. */
enum {
    dt_OK = 0,
    dt_ERR_LANGUAGE = -1,
    dt_ERR_DAY = -2,
    dt_ERR_MONTH = -3,
    dt_ERR_YEAR = -4,
    dt_ERR_FORMAT = -5
};

/* Tenses placing a two-digit year in a century. Any value other than the
 * first two means past. */
enum {
    dt_TENSE_NEAREST = 0,
    dt_TENSE_FUTURE = 1,
    dt_TENSE_PAST = -1
};

/* ---- Calendar arithmetic (never fails, never checks its input) ---- */

/* year * 10000 + month * 100 + day, unchecked. */
ORV_API int dt_create(int year, int month, int day);
/* Splits a date into its parts (any output may be null). */
ORV_API void dt_get_components(int date, int *year, int *month, int *day);
ORV_API int dt_year(int date);
ORV_API int dt_month(int date);
ORV_API int dt_day(int date);
/* 0 for a valid date; -4 year below 1800, -3 month not 1..12, -2 day 0 or
 * beyond the last day of the month. */
ORV_API int validate_date(int16_t year, uint8_t month, uint8_t day);
/* The days of a month (29 for February of a leap year); 0 for a month
 * outside 1..12. */
ORV_API int get_month_days(int month, int year);
/* *a - *b. */
ORV_API int dt_cmp(const int *a, const int *b);
/* The days from *b to *a: positive when a is later. */
ORV_API int dt_days_diff(const int *a, const int *b);
/* The date moved by count days, months or years; a negative count moves the
 * other way. Months and years keep the day where the new month has it, else
 * its last day (January 31st plus one month is February 28th or 29th). */
ORV_API int dt_plus_days(int date, int count);
ORV_API int dt_minus_days(int date, int count);
ORV_API int dt_plus_months(int date, int count);
ORV_API int dt_minus_months(int date, int count);
ORV_API int dt_plus_years(int date, int count);
ORV_API int dt_minus_years(int date, int count);
/* The local date now, a day earlier, a day later; 0 when the local time
 * cannot be had. */
ORV_API int dt_today(void);
ORV_API int dt_yesterday(void);
ORV_API int dt_tomorrow(void);
/* The local date of a calendar time, or 0. */
ORV_API int dt_from_unix(time_t when);
/* The calendar time of the date's local midnight (mktime's answer). */
ORV_API time_t dt_to_unix(int date);
/* Temporary: a calendar date for the day of date and the local time of day of
 * when, in the local time zone; null for the date 0 or a date that cannot be
 * broken down (reported). */
ORV_API ORVCalendarDate *dt_calendar_date_time(int date, time_t when);

/* ---- Settings ---- */

/* Preferred format 0..15 (start value 4, MM-DD-YY); -5 when out of range. */
ORV_API int dt_set_str_fmt(int format);
ORV_API void dt_get_str_fmt(int *format);
/* Separator printed between the parts (start value '-'). Returns 0. */
ORV_API int dt_set_str_sep(char separator);
ORV_API void dt_get_str_sep(char *separator);
/* Time format 0..4 ("%H:%M", "%I:%M %p", "%H:%M:%S", "%I:%M:%S %p", "%X");
 * -5 when out of range. */
ORV_API int dt_set_str_time_fmt(int time_format);
ORV_API void dt_get_str_time_fmt(int *time_format);
/* Language of the calls that name none (start value 1, "ENU"); -1 when no
 * supported language has that id (reported). */
ORV_API int dt_set_language(int language_id);

/* ---- Parsing: all write the date to *date (0 first) and return a code ---- */

ORV_API int dt_str_to_date(int *date, const char *text);
ORV_API int dt_str_to_date_tense(int *date, const char *text, int tense);
ORV_API int dt_str_to_date_format(int *date, const char *text, int format);
ORV_API int dt_str_to_date_format_tense(int *date, const char *text, int format, int tense);
ORV_API int dt_str_to_date_format_language(int *date, const char *text, int format,
                                           int language_id);
ORV_API int dt_str_to_date_format_language_tense(int *date, const char *text, int format,
                                                 int language_id, int tense);

/* The pieces of a date text: up to three runs of digits or of letters, each
 * at most 18 characters, copied into pieces[i] (each at least 19 bytes) with
 * numeric[i] set for digits. *count is 4 when more follows a third piece, 0
 * for a null text. */
ORV_API void find_date_pieces(const char *text, int *count, int *numeric_count,
                              char *pieces[3], int numeric[3]);
/* A date typed as 3 to 8 digits without separators, in format order. */
ORV_API int parse_single_number(int *date, const char *digits, int format, int tense);
/* A month word with one number of 2 to 6 digits holding day and year. */
ORV_API int parse_two_pieces(int *date, const char *word, const char *number, int format,
                             int tense);

/* ---- Printing into the caller's buffer ---- */

ORV_API int dt_date_to_str(char *buffer, int date);
ORV_API int dt_date_to_str_format(char *buffer, int date, int format, char separator);
ORV_API int dt_date_to_str_format_language(char *buffer, int date, int format, char separator,
                                           int language_id);
/* Today as dt_date_to_str prints it. */
ORV_API int dt_get_date(char *buffer);
/* The local midnight of date in the time format setting (at most 11
 * characters); the unknown word for 0. */
ORV_API int dt_time_to_str(char *buffer, int date);

/* ---- The formats in other notations (module buffers, overwritten by the
 * next call of the same function; null for a number out of range) ---- */

/* The strftime pattern of a date format, "-" replaced by the separator. */
ORV_API const char *dt_fmt_to_unix_str(int format, char separator);
/* The date picker pattern of a date format, "-" replaced by the separator. */
ORV_API const char *dt_fmt_to_dtp_str(int format, char separator);
/* The strftime pattern of a time format. */
ORV_API const char *dt_time_fmt_to_unix_str(int time_format);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_DT_H */

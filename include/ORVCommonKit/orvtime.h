/*
 * Time handles: a moment with its date, time of day and time zone, for
 * callers that do not hold platform objects themselves.
 *
 * A handle is a reference-counted, immutable calendar date. Each function
 * that returns a new handle gives the caller one reference, dropped with
 * orv_time_free; orv_time_copy adds a reference and returns the same handle.
 * Handles may be read from any thread.
 *
 * The canonical format, read by orv_time_create_from_string and printed by
 * orv_time_string, is "%d-%b-%Y %H:%M:%S %Z", for example
 * "31-Jan-1999 13:45:00 CET". Formats use the strftime placeholders.
 */
#ifndef ORVCOMMONKIT_ORVTIME_H
#define ORVCOMMONKIT_ORVTIME_H

#include <ORVCommonKit/orvexport.h>
#include <ORVCommonKit/orvobjects.h>

ORV_BEGIN_DECLS

typedef ORVCalendarDate *orv_time_t;

/* The canonical format. */
#define ORV_TIME_CANONICAL_FORMAT "%d-%b-%Y %H:%M:%S %Z"

/* +1: the current moment in the local time zone. */
ORV_API orv_time_t orv_time_now(void);
/* +1: the moment of those components in the local time zone; null (reported)
 * when year < 1, month not 1..12, day not 1..31, hour not 0..23, minute or
 * second not 0..59. A day the month lacks runs on into the next month. */
ORV_API orv_time_t orv_time_create(int year, int month, int day, int hour, int minute,
                                   int second);
/* +1: orv_time_create of the date value's day at 0:00:00. */
ORV_API orv_time_t orv_time_create_from_date(int date);
/* +1: the text read in the canonical format; null for null or a text in
 * another form. The zone is GMT, UTC, +hhmm / -hhmm, or a name the local
 * time zone uses. */
ORV_API orv_time_t orv_time_create_from_string(const char *text);
/* +1: the reference moved by the amounts (each may be negative), with days
 * that a month lacks running on; null for a null reference. */
ORV_API orv_time_t orv_time_create_from_reference(orv_time_t reference, int years, int months,
                                                  int days, int hours, int minutes,
                                                  int seconds);
/* +1: the calendar date object itself as a handle; null for null. */
ORV_API orv_time_t orv_time_create_from_object(ORVCalendarDate *date);
/* The handle's calendar date as a temporary reference. */
ORV_API ORVCalendarDate *orv_time_object(orv_time_t handle);
/* +1 on the same handle. */
ORV_API orv_time_t orv_time_copy(orv_time_t handle);
/* Drops one reference; null is ignored. */
ORV_API void orv_time_free(orv_time_t handle);

/* The parts in the handle's time zone; day of week 0 (Sunday) to 6. A null
 * handle gives 0. */
ORV_API int orv_time_year(orv_time_t handle);
ORV_API int orv_time_month(orv_time_t handle);
ORV_API int orv_time_day(orv_time_t handle);
ORV_API int orv_time_day_of_week(orv_time_t handle);
ORV_API int orv_time_hour(orv_time_t handle);
ORV_API int orv_time_minutes(orv_time_t handle);
ORV_API int orv_time_seconds(orv_time_t handle);
/* The date value of the handle's day; 0 for null. */
ORV_API int orv_time_date(orv_time_t handle);

/* 0 for the same handle or moment, -1 when a is null or earlier, 1 when b is
 * null or a is later. */
ORV_API int orv_time_compare(orv_time_t a, orv_time_t b);
ORV_API int orv_time_reverse_compare(orv_time_t a, orv_time_t b);
/* The difference from earlier to handle in calendar units, each of the same
 * sign (any output may be null). */
ORV_API void orv_time_diff(orv_time_t handle, orv_time_t earlier, int *years, int *months,
                           int *days, int *hours, int *minutes, int *seconds);

/* Temporary text of the handle in the canonical format; null for null. */
ORV_API const char *orv_time_string(orv_time_t handle);
/* Temporary text of the handle in format (canonical for null); null for a
 * null handle. */
ORV_API const char *orv_time_string_format(orv_time_t handle, const char *format);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_ORVTIME_H */

/*
 * Quick timers: a two-word record that the caller owns, measuring wall-clock
 * time with a millisecond tick counter of the monotonic clock (an unsigned
 * 32-bit count, so spans across its wrap, every 49.7 days, still come out
 * right). Measurements can be written as "TIMING:" traces and, once a timer
 * log is open, as aligned, comma-separated lines of a permanent log.
 */
#ifndef ORVCOMMONKIT_ORVQTIMER_H
#define ORVCOMMONKIT_ORVQTIMER_H

#include <ORVCommonKit/orvexport.h>

ORV_BEGIN_DECLS

typedef struct orvqtimer {
    unsigned int start; /* tick count at the start; 0 while not started */
    unsigned int stop;  /* tick count at the stop; 0 while running */
} orvqtimer_t;

/* Clears the timer and starts it when start is nonzero. -1 for a null timer. */
ORV_API int orvqtimer_init(orvqtimer_t *timer, int start);
/* Start and stop take effect once; later calls are ignored until the next
 * orvqtimer_init. Null timers are ignored. */
ORV_API void orvqtimer_start(orvqtimer_t *timer);
ORV_API void orvqtimer_stop(orvqtimer_t *timer);
/* Time from start to stop (to now while running); 0 for a null or unstarted
 * timer. */
ORV_API float orvqtimer_elapsed_seconds(const orvqtimer_t *timer);
ORV_API unsigned int orvqtimer_elapsed_full_seconds(const orvqtimer_t *timer);
ORV_API unsigned int orvqtimer_elapsed_milliseconds(const orvqtimer_t *timer);
/* Elapsed seconds and count per second (0 when no time has passed); either
 * pointer may be null. */
ORV_API void orvqtimer_elapsed_and_rate(const orvqtimer_t *timer, float count, float *elapsed,
                                        float *rate);
ORV_API float orvqtimer_rate(const orvqtimer_t *timer, float count);

/* Opens the timer log at path (a permanent log with the cap size; 0 means
 * 512,000 bytes) after closing the current one, and writes its header with
 * the default unit word (at most 8 characters). A null or empty path only
 * closes the current log. 0, or -1 when the log cannot be opened. */
ORV_API int orvqtimer_log_set_filename(const char *path, const char *units, unsigned int cap);
/* Writes one line to the timer log when it is open. */
ORV_API void orvqtimer_log(const char *fmt, ...) ORV_PRINTF(1, 2);
/* Traces "TIMING: DESCRIPTION COUNT UNITS in S sec (RATE UNITS/sec)" at
 * tr_LOW and, when the timer log is open, writes the measurement as one line
 * of its columns. */
ORV_API void orvqtimer_log_elapsed_and_rate(const char *file, int line, const orvqtimer_t *timer,
                                            const char *units, float count, const char *fmt,
                                            ...) ORV_PRINTF(6, 7);
/* The same without a count: "TIMING: DESCRIPTION in S sec". */
ORV_API void orvqtimer_log_elapsed_seconds(const char *file, int line,
                                           const orvqtimer_t *timer, const char *fmt, ...)
    ORV_PRINTF(4, 5);
ORV_API void orvqtimer_log_flush(void);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_ORVQTIMER_H */

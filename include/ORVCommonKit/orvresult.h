/*
 * Result records: an outcome (an error, a warning or a trace-worthy event) as
 * data that a function returns to its caller, with the record that caused it,
 * so that a chain reads like a stack of causes, outermost first.
 *
 * Records are made zero-filled by the library and belong to the caller, who
 * frees each chain with orv_result_free on its outermost record; a record
 * given as cause belongs to the new record from then on. Every function
 * accepts a null record. With trace in place switched on, each record made by
 * orv_result_create, _error, _warning and _trace is written to the trace
 * facility at once.
 */
#ifndef ORVCOMMONKIT_ORVRESULT_H
#define ORVCOMMONKIT_ORVRESULT_H

#include <ORVCommonKit/orvexport.h>

#include <stdio.h>
#include <time.h>

ORV_BEGIN_DECLS

typedef struct orv_result orv_result_t;

/* One record. Read the fields through the accessors below. */
struct orv_result {
    const char *filename;                 /* creator's source file, not owned */
    int line;                             /* creator's source line */
    time_t time;                          /* creation time */
    int level;                            /* trace level of warnings and traces; 0 for errors */
    int inform;                           /* inform code of errors; 0 otherwise */
    char *title;                          /* owned copy, may be null */
    const char *module;                   /* not owned */
    int code;                             /* the creator's own result code */
    char *desc;                           /* owned description, may be null */
    orv_result_t *cause;                  /* owned, may be null */
    void (*log_function)(orv_result_t *); /* writes the record; null for orv_result_new */
};

/* An error record with inform tr_INFORM_LOG, title "Generic Error" and module
 * "UnknownModule". The description is fmt formatted (%@ takes a platform
 * object). Null when memory is short (reported). */
ORV_API orv_result_t *orv_result_create(const char *file, int line, int code,
                                        orv_result_t *cause, const char *fmt, ...);
ORV_API orv_result_t *orv_result_error(const char *file, int line, int inform,
                                       const char *title, const char *module, int code,
                                       orv_result_t *cause, const char *fmt, ...);
ORV_API orv_result_t *orv_result_warning(const char *file, int line, int level, int code,
                                         orv_result_t *cause, const char *fmt, ...);
ORV_API orv_result_t *orv_result_trace(const char *file, int line, int level, int code,
                                       orv_result_t *cause, const char *fmt, ...);
/* A record from plain values: time null means now; the description is copied
 * as it is (not a format). It has no log function and is never written in
 * place. */
ORV_API orv_result_t *orv_result_new(const char *file, int line, const time_t *time, int level,
                                     int inform, const char *title, const char *module,
                                     int code, orv_result_t *cause, const char *description);
/* Frees the record and its whole cause chain. */
ORV_API void orv_result_free(orv_result_t *result);

/* Switches trace in place; returns the previous setting. */
ORV_API unsigned char orv_result_enable_trace_in_place(unsigned char flag);
ORV_API unsigned char orv_result_get_trace_in_place(void);
/* Writes the record as the error, warning or trace it is (filtered as usual). */
ORV_API void orv_result_log(orv_result_t *result);

/* The fields; 0 or null for a null record. */
ORV_API const char *orv_result_filename(const orv_result_t *result);
ORV_API int orv_result_line(const orv_result_t *result);
ORV_API time_t orv_result_time(const orv_result_t *result);
ORV_API time_t *orv_result_timep(orv_result_t *result);
ORV_API int orv_result_level(const orv_result_t *result);
ORV_API int orv_result_inform(const orv_result_t *result);
ORV_API const char *orv_result_title(const orv_result_t *result);
ORV_API const char *orv_result_module(const orv_result_t *result);
ORV_API int orv_result_code(const orv_result_t *result);
ORV_API orv_result_t *orv_result_cause(const orv_result_t *result);
ORV_API const char *orv_result_desc(const orv_result_t *result);

/* The creation time as "2017-Mar-04 13:45:12" (local time), and the chain as
 * "Created on TIME\n" followed by one "file:line\tcode\tdescription\n" per
 * record, outermost first. Both texts live until the caller's current release
 * pool is released; null for a null record. */
ORV_API const char *orv_result_time_string(const orv_result_t *result);
ORV_API const char *orv_result_stack_string(const orv_result_t *result);
/* Prints one "file:line\tcode\tdescription\n" per record of the chain. */
ORV_API void orv_result_print_stack(FILE *stream, const orv_result_t *result);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_ORVRESULT_H */

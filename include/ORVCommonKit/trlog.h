/*
 * Permanent log files and memory dumps.
 *
 * A permanent log is a client-named file opened by handle, independent of the
 * trace file and of the trace levels: any number can be open at once, each
 * with its own size cap and one backup (the path with "-" appended). Lines are
 * written exactly as formatted, without any prefix, and each ended line is
 * flushed. Every 50 lines the file's size is checked; a file at or above its
 * cap becomes the backup and a fresh file begins with a note naming it. When
 * the file cannot be moved aside, it is kept and written on, so no line is
 * lost. Log files are opened close-on-exec and need no tr_init.
 *
 * tr_mem writes a message and a dump of bytes to the trace output (the trace
 * file, or standard output), filtered like tr_trace.
 */
#ifndef ORVCOMMONKIT_TRLOG_H
#define ORVCOMMONKIT_TRLOG_H

#include <ORVCommonKit/orvexport.h>

#include <stdarg.h>
#include <stdio.h>

ORV_BEGIN_DECLS

/* Layouts of tr_mem. */
enum {
    tr_FORMAT_HEX = 300,     /* "%02x " per byte, 16 to a row after the row's address */
    tr_FORMAT_ASCII = 301,   /* rows of 16 with a letter column */
    tr_FORMAT_DECIMAL = 302  /* "%3d " per byte, 16 to a row */
};

/* A permanent log, allocated by tr_open_log and owned by the client until
 * tr_close_log. Read the fields, never write them. */
typedef struct tr_log {
    FILE *fp;                  /* the open file; null after a failed cap */
    unsigned char time_stamp;  /* 1: a date line every tr_set_time_log_interval lines */
    unsigned int line_count;   /* lines since the last date line */
    unsigned int max_size;     /* cap in bytes, within 10,240 to 104,857,600 */
    char path[256];            /* the path as given, at most 255 characters */
} tr_log_t;

/* Opens (creating when missing, keeping existing contents) the log at path
 * for appending. max_size 0 gives 512,000 bytes; smaller sizes are raised to
 * 10,240, larger ones lowered to 104,857,600. Returns null when the file
 * cannot be opened; the client frees the handle with tr_close_log. */
ORV_API tr_log_t *tr_open_log(const char *path, unsigned int max_size);
/* Writes the formatted text and ends the line. A null handle, or one without
 * a stream, is reported as "INVALID HANDLE" and nothing is written. */
ORV_API void tr_log(tr_log_t *handle, const char *fmt, ...) ORV_PRINTF(2, 3);
/* Writes the formatted text; ends the line (with its date line and size
 * check) only when line_end is nonzero. */
ORV_API void tr_log_with_linefeed(tr_log_t *handle, unsigned char line_end, const char *fmt,
                                  ...) ORV_PRINTF(3, 4);
ORV_API void tr_log_va_with_linefeed(tr_log_t *handle, unsigned char line_end,
                                     const char *fmt, va_list args) ORV_PRINTF(3, 0);
/* A date line "** Time of this message: ..." after every interval of lines
 * (tr_set_time_log_interval; 0: after every line). Null handles are ignored. */
ORV_API void tr_log_enable_time_stamp(tr_log_t *handle);
ORV_API void tr_log_disable_time_stamp(tr_log_t *handle);
ORV_API void tr_flush_log(tr_log_t *handle);
/* Closes the stream when open and frees the handle (null allowed). */
ORV_API void tr_close_log(tr_log_t *handle);

/* Writes the formatted message, the line "(Dumping N bytes starting at
 * address P)" and the count bytes at address in the layout, filtered by the
 * trace level like tr_trace. In call-back mode only the message is passed on.
 * An unknown layout is warned about and dumped as tr_FORMAT_ASCII; a null
 * address with bytes to dump is reported and nothing is written. */
ORV_API void tr_mem(const char *file, int line, int level, const void *address,
                    unsigned long count, int format, const char *fmt, ...) ORV_PRINTF(7, 8);

/* The trace-level chooser of console menus. tr_choose_trace_level asks (a
 * null or empty prompt becomes "Choose a trace level") with the keys a, h, m,
 * l, n and q and returns the level chosen, or -1 for Quit.
 * tr_menu_choose_trace_level asks with the current trace level as default and,
 * unless Quit was chosen, sets both the trace and the warning level to the
 * choice; returns 0. tr_menu_format_trace_entry returns "Trace (tr_HIGH)" for
 * the current level, in a module-wide buffer. */
ORV_API int tr_choose_trace_level(const char *prompt, int default_level);
ORV_API int tr_menu_choose_trace_level(void);
ORV_API const char *tr_menu_format_trace_entry(void);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_TRLOG_H */

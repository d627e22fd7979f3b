/*
 * The trace facility: traces filtered by level, warnings, errors and plain
 * messages, with their bracketed prefixes and time stamps.
 *
 * Messages go to a client call-back when one is installed, else to the trace
 * file when one is open, else to standard output, so every call is safe at any
 * time. Every message call takes the caller's source file and line
 * (__FILE__, __LINE__). Nothing here ever ends the process, except tr_init when
 * the trace file cannot be created (exit status 102).
 */
#ifndef ORVCOMMONKIT_TR_H
#define ORVCOMMONKIT_TR_H

#include <ORVCommonKit/orvexport.h>

#include <stdarg.h>

ORV_BEGIN_DECLS

/* Trace levels, shared by trace and warning filtering. */
enum {
    tr_LOW = 100,
    tr_MID = 101,
    tr_HIGH = 102,
    tr_APP = 103,
    tr_NONE = 104
};

/* Who is to be told about an error. */
enum {
    tr_INFORM_LOG = 200,
    tr_INFORM_PROGRAMMER = 201,
    tr_INFORM_USER = 202
};

/* Kinds of message given to the call-back. */
enum {
    tr_KIND_MESSAGE = 400,
    tr_KIND_WARNING = 401,
    tr_KIND_ERROR = 402
};

typedef void (*tr_call_back_t)(const char *text, int kind);
typedef void (*tr_error_handler_t)(int inform, const char *title, const char *module,
                                   const char *message);

/* Installs the call-back: from now on every composed message (at most 8,192
 * characters, no line end) goes to it and no file is written. Returns 0. */
ORV_API int tr_init_with_call_back(tr_call_back_t call_back);
/* 1 after tr_init or tr_init_with_call_back until tr_term, else 0. */
ORV_API int tr_is_initialized(void);
/* Replaces the error handler (null removes it). Outside call-back mode the
 * handler is called after each error line with the caller's inform code,
 * title and module (null stays null) and the formatted message. */
ORV_API void tr_set_error_handler(tr_error_handler_t handler);

/* Threshold setters: traces (warnings) below the level are dropped, tr_NONE
 * drops all. A level outside tr_LOW..tr_NONE is reported as an error and the
 * old one kept. The notice of the new level goes to the call-back or the open
 * trace file; the quiet forms write none before the facility is started. */
ORV_API void tr_ignore_traces_below_level(int level);
ORV_API void tr_ignore_traces_below_level_quietly(int level);
ORV_API void tr_ignore_warnings_below_level(int level);
ORV_API void tr_ignore_warnings_below_level_quietly(int level);
/* "none", "low", "mid"/"medium", "app" (or "tr_NONE" ...), case and accents
 * ignored; tr_HIGH for anything else. */
ORV_API int tr_level_from_string(const char *text);
/* "tr_LOW" ... "tr_NONE", "UNKNOWN" for other values (static text). */
ORV_API const char *tr_level_to_string(int level);
/* 1 (the start value): traces, plain messages and pointer traces carry their
 * bracketed prefix; any other value: the message text alone. */
ORV_API void tr_set_message_tag_display(unsigned char flag);
/* A date line is written before the next filtered message after this many
 * ended messages (start value 50); 0 turns it off. */
ORV_API void tr_set_time_log_interval(int count);
/* Adds " <TID=n>" with the thread id to time-stamped prefixes. */
ORV_API void tr_option_enable_print_thread_id(unsigned char flag);
ORV_API int tr_current_trace_level(void);
ORV_API int tr_current_warning_level(void);

/* Message calls. fmt is a printf format; a null fmt writes a text naming the
 * call. Traces and pointer traces are filtered by the trace threshold,
 * warnings by the warning threshold; a trace below the threshold returns
 * before anything is formatted. Levels outside tr_LOW..tr_APP are written with
 * an alert line in front. Plain messages and errors are never filtered. */
ORV_API void tr_trace(const char *file, int line, int level, const char *fmt, ...)
    ORV_PRINTF(4, 5);
ORV_API void tr_tracep(const char *file, int line, int level, unsigned long pointer,
                       const char *fmt, ...) ORV_PRINTF(5, 6);
ORV_API void tr_warning(const char *file, int line, int level, const char *fmt, ...)
    ORV_PRINTF(4, 5);
ORV_API void tr_msg(const char *file, int line, const char *fmt, ...) ORV_PRINTF(3, 4);
ORV_API void tr_error(const char *file, int line, int inform, const char *title,
                      const char *module, const char *fmt, ...) ORV_PRINTF(6, 7);
/* One error line of the prefix, fmt2 with the trailing arguments, then fmt with
 * args; the handler receives the fmt2 text only. */
ORV_API void tr_error_va(const char *file, int line, int inform, const char *title,
                         const char *module, const char *fmt, va_list args,
                         const char *fmt2, ...) ORV_PRINTF(8, 9);
/* An error line followed by "  (text)" with the C library's text for the
 * system error number (not in call-back mode). */
ORV_API void tr_sys_error(const char *file, int line, int system_error, int inform,
                          const char *title, const char *module, const char *fmt, ...)
    ORV_PRINTF(7, 8);
/* Writes the full date line ("** Time of this message: ..."). */
ORV_API void tr_time_stamp(void);

/* Starts the facility with the trace file of the named program: the lower-cased
 * name with the extension "log" in the log directory; the file of an earlier run
 * becomes the backup (the name with "-" appended). Does nothing when already
 * started. Returns 0, -4999 (names could not be built), -4998 (file could not
 * be switched, also for a null, empty or absolute name) or -4997. Ends the
 * process with exit status 102 when the file cannot be created. */
ORV_API int tr_init(const char *program_name);
/* Writes the closing notes, closes the trace file and resets the settings.
 * Does nothing in call-back mode or when not started. 0, or -4996 when the
 * file could not be closed. */
ORV_API int tr_term(void);
/* Caps the trace file at this many bytes from now on; 0 never caps. */
ORV_API void tr_set_trace_file_size(unsigned long size);
/* Full path of the trace file, or null when there is none. */
ORV_API const char *tr_trace_file_name(void);
ORV_API unsigned long tr_max_file_size(void);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_TR_H */

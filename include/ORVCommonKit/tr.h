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
ORV_API int tr_is_initialized(void);
/* Replaces the error handler (null removes it). */
ORV_API void tr_set_error_handler(tr_error_handler_t handler);

ORV_API void tr_ignore_traces_below_level(int level);
ORV_API void tr_ignore_traces_below_level_quietly(int level);
ORV_API void tr_ignore_warnings_below_level(int level);
ORV_API void tr_ignore_warnings_below_level_quietly(int level);
ORV_API int tr_level_from_string(const char *text);
ORV_API const char *tr_level_to_string(int level);
ORV_API void tr_set_message_tag_display(unsigned char flag);
ORV_API void tr_set_time_log_interval(int count);
ORV_API void tr_option_enable_print_thread_id(unsigned char flag);
ORV_API int tr_current_trace_level(void);
ORV_API int tr_current_warning_level(void);

ORV_API void tr_trace(const char *file, int line, int level, const char *fmt, ...)
    ORV_PRINTF(4, 5);
ORV_API void tr_tracep(const char *file, int line, int level, unsigned long pointer,
                       const char *fmt, ...) ORV_PRINTF(5, 6);
ORV_API void tr_warning(const char *file, int line, int level, const char *fmt, ...)
    ORV_PRINTF(4, 5);
ORV_API void tr_msg(const char *file, int line, const char *fmt, ...) ORV_PRINTF(3, 4);
ORV_API void tr_error(const char *file, int line, int inform, const char *title,
                      const char *module, const char *fmt, ...) ORV_PRINTF(6, 7);
ORV_API void tr_error_va(const char *file, int line, int inform, const char *title,
                         const char *module, const char *fmt, va_list args,
                         const char *fmt2, ...) ORV_PRINTF(8, 9);
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

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
/* Writes the full date line. */
ORV_API void tr_time_stamp(void);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_TR_H */

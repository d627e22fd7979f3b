/*
 * Library start-up and tear-down, the library bundle and platform glue.
 *
 * A console program calls orvstd_init once, early, from its main thread (a
 * windowed program calls orvstd_gui_init instead) and orvstd_term at the end.
 * Every other family may be used before orvstd_init; temporaries then go into
 * a per-thread fallback pool.
 */
#ifndef ORVCOMMONKIT_ORVSTD_H
#define ORVCOMMONKIT_ORVSTD_H

#include <ORVCommonKit/orvexport.h>
#include <ORVCommonKit/orvobjects.h>

ORV_BEGIN_DECLS

/* Creates the library-wide release pool and sets the process error mode.
 * Only the first call of orvstd_init/orvstd_gui_init does anything. Returns 0. */
ORV_API int orvstd_init(void);
/* As orvstd_init, without touching the error mode. Returns 0. */
ORV_API int orvstd_gui_init(void);
/* Releases the library-wide pool; the library stays marked initialized. Returns 0. */
ORV_API int orvstd_term(void);

ORV_API void orvstd_set_windows_native(void);
/* 1 once orvstd_set_windows_native was called, else 0. */
ORV_API int orvstd_is_windows_native(void);

/* A new release pool owned by the caller; it becomes the thread's innermost pool. */
ORV_API ORVAutoreleasePool *orvstd_create_autorel_pool(void);
/* Releases the pool and every temporary it holds; null is ignored. */
ORV_API void orvstd_destroy_autorel_pool(ORVAutoreleasePool *pool);

/* printf to standard output; a null format prints nothing and returns 0. */
ORV_API int orvstd_printf(const char *fmt, ...) ORV_PRINTF(1, 2);
/* Flushes standard output and returns the flush result. */
ORV_API int orvstd_flush(void);

/* The system's text for an error code, in a static 512-byte buffer that every
 * call overwrites; the empty string for an unknown code. */
ORV_API const char *orvstd_GetLastErrorText(unsigned int code);
/* orvstd_GetLastErrorText of the calling thread's last error (errno). */
ORV_API const char *orvstd_GetLastErrorText0(void);

/* The library's resource bundle, found once and kept for the process. */
ORV_API ORVBundle *ORVCommonBundle(void);

/* The error text of the most recent file-manager failure that a handler saw,
 * or null before the first; valid until the next such failure. */
ORV_API const char *ORVStdHandler_last_error_cString(void);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_ORVSTD_H */

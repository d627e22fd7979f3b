// Library start-up and tear-down, the library-wide release pool, the library
// bundle and small platform glue (error mode, error texts, printing).
#include <ORVCommonKit/orvstd.h>

#include "frame/orvstd_internal.h"
#include "platform/bundle.h"
#include "platform/pool.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Module state; written only by the orvstd_ functions below.
bool Initialized = false;                      // set by the first start-up, never cleared
ORVAutoreleasePool *StandardPool = nullptr;    // library-wide pool, released by orvstd_term
bool IsWindowsNative = false;                  // set by orvstd_set_windows_native
unsigned Error_mode = 0;                       // the process error mode, remembered only
char Error_text[512];                          // orvstd_GetLastErrorText's result

// Critical errors fail, no fault box, no open-file box.
constexpr unsigned kConsoleErrorMode = 0x8003;

void startUp(bool console) {
    if (Initialized) return;
    StandardPool = new ORVAutoreleasePool;
    if (console) Error_mode = kConsoleErrorMode;
    Initialized = true;
}

// strerror_r comes in two flavours; both end up here.
[[maybe_unused]] const char *errorText(int result, const char *buf) { return result == 0 ? buf : nullptr; }
[[maybe_unused]] const char *errorText(const char *result, const char *) { return result; }

}  // namespace

extern "C" {

ORV_API int orvstd_init(void) {
    startUp(true);
    return 0;
}

ORV_API int orvstd_gui_init(void) {
    startUp(false);
    return 0;
}

ORV_API int orvstd_term(void) {
    if (Initialized && StandardPool) {
        StandardPool->release();
        StandardPool = nullptr;
    }
    return 0;
}

ORV_API void orvstd_set_windows_native(void) { IsWindowsNative = true; }

ORV_API int orvstd_is_windows_native(void) { return IsWindowsNative ? 1 : 0; }

ORV_API ORVAutoreleasePool *orvstd_create_autorel_pool(void) { return new ORVAutoreleasePool; }

ORV_API void orvstd_destroy_autorel_pool(ORVAutoreleasePool *pool) {
    if (pool) pool->release();
}

ORV_API int orvstd_printf(const char *fmt, ...) {
    if (!fmt) return 0;
    va_list ap;
    va_start(ap, fmt);
    int n = std::vprintf(fmt, ap);
    va_end(ap);
    return n;
}

ORV_API int orvstd_flush(void) { return std::fflush(stdout); }

ORV_API const char *orvstd_GetLastErrorText(unsigned int code) {
    Error_text[0] = 0;
    char buf[sizeof Error_text];
    buf[0] = 0;
    const int saved = errno;
    const char *text = errorText(::strerror_r(static_cast<int>(code), buf, sizeof buf), buf);
    errno = saved;
    // The C library words codes it does not know as "Unknown error N".
    if (text && std::strncmp(text, "Unknown error", 13) != 0) {
        std::snprintf(Error_text, sizeof Error_text, "%s", text);
        // System texts may end with a line end; the callers add their own.
        std::size_t n = std::strlen(Error_text);
        while (n > 0 && (Error_text[n - 1] == '\n' || Error_text[n - 1] == '\r')) Error_text[--n] = 0;
    }
    return Error_text;
}

ORV_API const char *orvstd_GetLastErrorText0(void) {
    return orvstd_GetLastErrorText(static_cast<unsigned>(errno));
}

ORV_API ORVBundle *ORVCommonBundle(void) { return orv::commonBundle(); }

}  // extern "C"

namespace orv {
// The remembered process error mode (0 until orvstd_init).
unsigned processErrorMode() { return Error_mode; }
}  // namespace orv

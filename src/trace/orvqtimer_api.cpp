// The C interface of the quick timers: measuring, the "TIMING:" traces and
// the columns of the timer log.
#include "trace/orvqtimer.h"

#include <ORVCommonKit/tr.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

using namespace orvtrace;

namespace {

// A tick that is never 0, which marks a field as not yet set.
inline unsigned int tick_now() {
    const unsigned int tick = Tick();
    return tick != 0 ? tick : 1;
}

// Milliseconds from start to stop, or to now while running; 0 when unstarted.
unsigned int elapsed_ticks(const orvqtimer_t *timer) {
    if (!timer || timer->start == 0) return 0;
    const unsigned int end = timer->stop != 0 ? timer->stop : tick_now();
    return end - timer->start;
}

// Description of a measurement, at most 1,023 characters.
void describe(char (&text)[1024], const char *fmt, va_list args) {
    text[0] = '\0';
    if (fmt) std::vsnprintf(text, sizeof text, fmt, args);
}

// The description column: cut to 29 characters, then ",".
void description_column(char (&column)[32], const char *description) {
    std::snprintf(column, sizeof column, "%.29s,", description);
}

}  // namespace

extern "C" {

int orvqtimer_init(orvqtimer_t *timer, int start) {
    if (!timer) return -1;
    timer->start = 0;
    timer->stop = 0;
    if (start) timer->start = tick_now();
    return 0;
}

void orvqtimer_start(orvqtimer_t *timer) {
    if (timer && timer->start == 0) timer->start = tick_now();
}

void orvqtimer_stop(orvqtimer_t *timer) {
    if (timer && timer->stop == 0) timer->stop = tick_now();
}

float orvqtimer_elapsed_seconds(const orvqtimer_t *timer) {
    return static_cast<float>(elapsed_ticks(timer) / 1000.0);
}

unsigned int orvqtimer_elapsed_full_seconds(const orvqtimer_t *timer) {
    return elapsed_ticks(timer) / 1000U;
}

unsigned int orvqtimer_elapsed_milliseconds(const orvqtimer_t *timer) {
    return elapsed_ticks(timer);
}

void orvqtimer_elapsed_and_rate(const orvqtimer_t *timer, float count, float *elapsed,
                                float *rate) {
    const float seconds = orvqtimer_elapsed_seconds(timer);
    if (elapsed) *elapsed = seconds;
    if (rate) *rate = seconds > 0 ? count / seconds : 0.0F;
}

float orvqtimer_rate(const orvqtimer_t *timer, float count) {
    float rate = 0;
    orvqtimer_elapsed_and_rate(timer, count, nullptr, &rate);
    return rate;
}

int orvqtimer_log_set_filename(const char *path, const char *units, unsigned int cap) {
    tr_trace(__FILE__, __LINE__, tr_MID, "orvqtimer_log_set_filename (\"%s\", \"%s\", cap=%lu) called",
             path ? path : "(null)", units ? units : "(null)", static_cast<unsigned long>(cap));
    std::snprintf(Our_default_units, sizeof Our_default_units, "%s", units ? units : "");
    tr_close_log(Our_log_handle);
    Our_log_handle = nullptr;
    if (!path || !*path) {
        tr_trace(__FILE__, __LINE__, tr_MID,
                 "Empty filename, closing current timer log file (if any)");
        return 0;
    }
    Our_log_handle = tr_open_log(path, cap);
    if (!Our_log_handle) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "LOG", "ORVCommonKit",
                 "Failed to open qtimer log file \"%s\".", path);
        return -1;
    }
    tr_trace(__FILE__, __LINE__, tr_MID, "QuickTimer log file \"%s\" opened OK", path);
    char size[32];
    std::snprintf(size, sizeof size, "SIZE (%s),", Our_default_units);
    tr_log(Our_log_handle, "%s",
           "------------------------------------------------------------------------------------"
           "------");
    tr_log(Our_log_handle, "# %-30.30s%15.15s%20.20s,      RATE (%s/sec)", "DESCRIPTION,", size,
           "TIME (sec)", Our_default_units);
    return 0;
}

void orvqtimer_log(const char *fmt, ...) {
    if (!Our_log_handle) return;
    va_list args;
    va_start(args, fmt);
    tr_log_va_with_linefeed(Our_log_handle, 1, fmt, args);
    va_end(args);
}

void orvqtimer_log_elapsed_and_rate(const char *file, int line, const orvqtimer_t *timer,
                                    const char *units, float count, const char *fmt, ...) {
    float elapsed = 0;
    float rate = 0;
    orvqtimer_elapsed_and_rate(timer, count, &elapsed, &rate);
    char description[1024];
    va_list args;
    va_start(args, fmt);
    describe(description, fmt, args);
    va_end(args);
    const char *unit = units ? units : "";
    tr_trace(file, line, tr_LOW, "TIMING: %s %.2f %s in %.2f sec (%.2f %s/sec)", description,
             static_cast<double>(count), unit, static_cast<double>(elapsed),
             static_cast<double>(rate), unit);
    if (!Our_log_handle) return;
    char column[32];
    description_column(column, description);
    char short_unit[9];
    std::snprintf(short_unit, sizeof short_unit, "%s", unit);
    char size[64];
    char rate_column[64];
    if (std::strcmp(short_unit, Our_default_units) == 0) {
        std::snprintf(size, sizeof size, "%10.3f,", static_cast<double>(count));
        std::snprintf(rate_column, sizeof rate_column, "%10.2f", static_cast<double>(rate));
    } else {
        std::snprintf(size, sizeof size, "%10.3f %s,", static_cast<double>(count), short_unit);
        std::snprintf(rate_column, sizeof rate_column, "%10.2f %s/sec", static_cast<double>(rate),
                      short_unit);
    }
    tr_log(Our_log_handle, "  %-30.30s%-20.20s%15.2f, %s", column, size,
           static_cast<double>(elapsed), rate_column);
}

void orvqtimer_log_elapsed_seconds(const char *file, int line, const orvqtimer_t *timer,
                                   const char *fmt, ...) {
    const float elapsed = orvqtimer_elapsed_seconds(timer);
    char description[1024];
    va_list args;
    va_start(args, fmt);
    describe(description, fmt, args);
    va_end(args);
    tr_trace(file, line, tr_LOW, "TIMING: %s in %.2f sec", description,
             static_cast<double>(elapsed));
    if (!Our_log_handle) return;
    char column[32];
    description_column(column, description);
    tr_log(Our_log_handle, "  %-30.30s%-20.20s%15.2f,", column, "          ,",
           static_cast<double>(elapsed));
}

void orvqtimer_log_flush(void) { tr_flush_log(Our_log_handle); }

}  // extern "C"

// Internal interface of the trace facility, shared by its own sources and by
// the other diagnostics of this folder (log files, memory dumps).
#pragma once

#include "trace/tr_state.h"

#include <cstdarg>
#include <cstddef>
#include <cstdio>

namespace orvtrace {

// The part of a source file name after the last '\' or '/';
// "<unknown filename>" for null.
const char *base_name(const char *file);

// Recomputes and returns Time_stamp_text for the current time.
const char *time_stamp();
// Recomputes and returns Thread_tag_text (empty unless OptionPrintThreadID).
const char *thread_tag();
// Writes the calendar date ("Sat Mar 04 2017 13:45:12") of now into buf; on
// failure the fixed failure text instead.
void calendar_date(char *buf, std::size_t size);

// The C library's text for a system error number, in buf.
const char *system_error_text(int error, char *buf, std::size_t size);

// True when a message at this level is dropped by the threshold with no date
// line due: the whole cost of a filtered-out trace. Nothing is formatted.
inline bool drops_quickly(int level, int threshold) {
    if (Time_log_interval != 0 && Time_log_line_count >= Time_log_interval) return false;
    return threshold == tr_NONE || (level >= tr_LOW && level < threshold);
}

// The full filter: writes the due date line, drops by threshold, and writes
// the alert line for levels outside tr_LOW..tr_APP. True: write the message.
bool passes_filter(const char *file, int line, int level, int threshold);

// Where file-mode output goes: the trace file when open, else standard output.
inline std::FILE *output_stream() { return Trace_file ? Trace_file : stdout; }

// One message being composed. In call-back mode the text gathers in
// classOutputStringp (cut at kMaxMessage) and finish() hands it to the
// call-back; otherwise every piece goes straight to the output stream and
// finish() ends the line.
class Line {
public:
    explicit Line(int kind);
    Line(const Line &) = delete;
    Line &operator=(const Line &) = delete;

    ~Line();
    void add(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
    // Adds text as it is, without formatting.
    void add_text(const char *text, std::size_t length);
    void add_v(const char *fmt, va_list args);
    void finish();

private:
    int kind_;
    bool call_back_;
    std::FILE *stream_ = nullptr;
    std::size_t length_ = 0;
    bool finished_ = false;
};

// Writes the bracketed prefix "[file,line stamp tag] " of traces and
// warnings into buf (at least kPrefixSize bytes) and returns its length; a
// file name is cut so that the prefix always fits.
inline constexpr std::size_t kPrefixSize = 512;
std::size_t compose_stamped_prefix(char *buf, const char *file, int line);

// After a file-mode message was ended and flushed: date-line count, size check.
void message_ended();

// Trace file: size check after each ended message (tr_file.cpp).
void check_file_size();

// Own source position of the facility's notices.
#define ORV_TRACE_HERE ::orvtrace::base_name(__FILE__), __LINE__

}  // namespace orvtrace

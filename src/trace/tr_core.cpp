// Composition and delivery of trace lines: file names, time stamps, thread
// tags, the level filter with its date and alert lines, and the way a line
// reaches the call-back, the trace file or standard output.
#include "trace/tr_internal.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace orvtrace {

namespace {

const char *const kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char *const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Writes value as exactly `digits` decimal digits.
char *put_digits(char *out, int value, int digits) {
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return out + digits;
}

// "yyyyMMdd HH:mm:ss" of the local time t into Time_stamp_date_part.
bool make_date_part(time_t t) {
    tm local{};
    if (!localtime_r(&t, &local)) return false;
    const int year = local.tm_year + 1900;
    if (year < 0 || year > 9999) return false;
    char *p = Time_stamp_date_part;
    p = put_digits(p, year, 4);
    p = put_digits(p, local.tm_mon + 1, 2);
    p = put_digits(p, local.tm_mday, 2);
    *p++ = ' ';
    p = put_digits(p, local.tm_hour, 2);
    *p++ = ':';
    p = put_digits(p, local.tm_min, 2);
    *p++ = ':';
    p = put_digits(p, local.tm_sec, 2);
    *p = '\0';
    return true;
}

// Either form of strerror_r: the GNU one returns the text, the POSIX one fills buf.
[[maybe_unused]] const char *error_text(int result, const char *buf) { return result == 0 ? buf : ""; }
[[maybe_unused]] const char *error_text(const char *result, const char *) { return result; }

}  // namespace

const char *system_error_text(int error, char *buf, std::size_t size) {
    buf[0] = '\0';
    return error_text(strerror_r(error, buf, size), buf);
}

const char *base_name(const char *file) {
    if (!file) return "<unknown filename>";
    const char *base = file;
    for (const char *p = file; *p; ++p)
        if (*p == '\\' || *p == '/') base = p + 1;
    return base;
}

const char *time_stamp() {
    timespec now{};
    Clock(&now);
    if (!Time_stamp_date_valid || now.tv_sec != Time_stamp_second) {
        Time_stamp_date_valid = make_date_part(now.tv_sec);
        Time_stamp_second = now.tv_sec;
        if (!Time_stamp_date_valid) {
            std::strcpy(Time_stamp_text, "UNKNOWN");
            return Time_stamp_text;
        }
    }
    const std::size_t n = std::strlen(Time_stamp_date_part);
    std::memcpy(Time_stamp_text, Time_stamp_date_part, n);
    Time_stamp_text[n] = ',';
    const int millis = static_cast<int>(now.tv_nsec / 1000000);
    *put_digits(Time_stamp_text + n + 1, millis, 3) = '\0';
    return Time_stamp_text;
}

const char *thread_tag() {
    if (!OptionPrintThreadID) {
        Thread_tag_text[0] = '\0';
    } else {
        std::snprintf(Thread_tag_text, sizeof Thread_tag_text, " <TID=%04d>",
                      static_cast<int>(gettid()));
    }
    return Thread_tag_text;
}

void calendar_date(char *buf, std::size_t size) {
    timespec now{};
    Clock(&now);
    tm local{};
    if (!localtime_r(&now.tv_sec, &local) || local.tm_wday < 0 || local.tm_wday > 6 ||
        local.tm_mon < 0 || local.tm_mon > 11) {
        std::snprintf(buf, size, "%s", "<failed date/time (1)>");
        return;
    }
    const int written = std::snprintf(buf, size, "%s %s %02d %04d %02d:%02d:%02d",
                                      kDayNames[local.tm_wday], kMonthNames[local.tm_mon],
                                      local.tm_mday, local.tm_year + 1900, local.tm_hour,
                                      local.tm_min, local.tm_sec);
    if (written < 0 || static_cast<std::size_t>(written) >= size)
        std::snprintf(buf, size, "%s", "<failed date/time (2)>");
}

bool passes_filter(const char *file, int line, int level, int threshold) {
    if (Time_log_interval != 0 && Time_log_line_count >= Time_log_interval) {
        tr_time_stamp();
        Time_log_line_count = 0;
    }
    if (threshold == tr_NONE) return false;
    if (level >= tr_LOW && level < threshold) return false;
    if (level < tr_LOW || level > tr_APP) {
        if (classExternalLoggerFunction) {
            if (Show_message_tag == 1)
                std::snprintf(classTempStringp, kBufferSize,
                              "ALERT [%s,%d] The next message was produced with a level of %d\n",
                              base_name(file), line, level);
            else
                classTempStringp[0] = '\0';
            classExternalLoggerFunction(classTempStringp, tr_KIND_MESSAGE);
        } else {
            std::fprintf(output_stream(),
                         "ALERT [%s,%d]  The next message was produced with a level of %d\n",
                         base_name(file), line, level);
        }
    }
    return true;
}

std::size_t compose_stamped_prefix(char *buf, const char *file, int line) {
    const char *stamp = time_stamp();
    const char *tag = thread_tag();
    const char *name = base_name(file);
    const std::size_t stamp_length = std::strlen(stamp);
    const std::size_t tag_length = std::strlen(tag);
    // Room for '[', ',', a line number, ' ', the stamp, the tag, "] " and '\0'.
    const std::size_t fixed = 1 + 1 + 11 + 1 + stamp_length + tag_length + 2 + 1;
    std::size_t name_length = std::strlen(name);
    if (name_length > kPrefixSize - fixed) name_length = kPrefixSize - fixed;
    char *p = buf;
    *p++ = '[';
    std::memcpy(p, name, name_length);
    p += name_length;
    *p++ = ',';
    char digits[12];
    int count = 0;
    unsigned int value = line < 0 ? 0U - static_cast<unsigned int>(line)
                                  : static_cast<unsigned int>(line);
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    if (line < 0) *p++ = '-';
    while (count > 0) *p++ = digits[--count];
    *p++ = ' ';
    std::memcpy(p, stamp, stamp_length);
    p += stamp_length;
    std::memcpy(p, tag, tag_length);
    p += tag_length;
    *p++ = ']';
    *p++ = ' ';
    *p = '\0';
    return static_cast<std::size_t>(p - buf);
}

Line::Line(int kind) : kind_(kind), call_back_(classExternalLoggerFunction != nullptr) {
    if (call_back_) {
        classOutputStringp[0] = '\0';
    } else {
        // One lock for the whole line, so the pieces below take it cheaply.
        stream_ = output_stream();
        flockfile(stream_);
    }
}

Line::~Line() {
    if (!call_back_ && !finished_) funlockfile(stream_);
}

void Line::add_text(const char *text, std::size_t length) {
    if (!call_back_) {
        fwrite_unlocked(text, 1, length, stream_);
        return;
    }
    const std::size_t room = static_cast<std::size_t>(kMaxMessage) - length_;
    if (length > room) length = room;
    std::memcpy(classOutputStringp + length_, text, length);
    length_ += length;
    classOutputStringp[length_] = '\0';
}

void Line::add(const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    add_v(fmt, args);
    va_end(args);
}

void Line::add_v(const char *fmt, va_list args) {
    if (!call_back_) {
        std::vfprintf(stream_, fmt, args);
        return;
    }
    if (length_ >= static_cast<std::size_t>(kMaxMessage)) return;
    const int n = std::vsnprintf(classOutputStringp + length_, kBufferSize - length_, fmt, args);
    if (n > 0) {
        length_ += static_cast<std::size_t>(n);
        if (length_ > static_cast<std::size_t>(kMaxMessage)) length_ = kMaxMessage;
    }
}

void Line::finish() {
    finished_ = true;
    if (call_back_) {
        classExternalLoggerFunction(classOutputStringp, kind_);
        return;
    }
    fputc_unlocked('\n', stream_);
    fflush_unlocked(stream_);
    funlockfile(stream_);
    message_ended();
}

void message_ended() {
    if (Time_log_interval > 0) ++Time_log_line_count;
    if (Trace_file) check_file_size();
}

}  // namespace orvtrace

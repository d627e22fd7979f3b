// Memory dumps: the three row layouts, written through a local buffer so that
// a large dump costs little more than its bytes, and tr_mem itself.
#include "trace/tr_mem.h"

#include "trace/tr_internal.h"

#include <ORVCommonKit/trlog.h>

#include <cstdarg>
#include <cstdint>
#include <cstring>

namespace orvtrace {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr std::size_t kRow = 16;

// Gathers output and hands it to the stream in large pieces.
class Sink {
public:
    explicit Sink(std::FILE *out) : out_(out) {}
    ~Sink() { flush(); }
    Sink(const Sink &) = delete;
    Sink &operator=(const Sink &) = delete;

    // Room for at least n more characters.
    char *reserve(std::size_t n) {
        if (used_ + n > sizeof buffer_) flush();
        return buffer_ + used_;
    }
    void commit(char *end) { used_ = static_cast<std::size_t>(end - buffer_); }
    void flush() {
        if (used_ != 0) fwrite_unlocked(buffer_, 1, used_, out_);
        used_ = 0;
    }

private:
    std::FILE *out_;
    std::size_t used_ = 0;
    char buffer_[1 << 16];
};

// "\n%p: " as the C library prints a pointer: 0x and lower-case hex digits,
// "(nil)" for 0.
char *put_address(char *p, std::uintptr_t address) {
    *p++ = '\n';
    if (address == 0) {
        std::memcpy(p, "(nil)", 5);
        p += 5;
    } else {
        char digits[2 * sizeof address];
        int n = 0;
        for (; address != 0; address >>= 4) digits[n++] = kHexDigits[address & 0xf];
        *p++ = '0';
        *p++ = 'x';
        while (n > 0) *p++ = digits[--n];
    }
    *p++ = ':';
    *p++ = ' ';
    return p;
}

char *put_hex(char *p, unsigned char byte) {
    *p++ = kHexDigits[byte >> 4];
    *p++ = kHexDigits[byte & 0xf];
    *p++ = ' ';
    return p;
}

// "%3d " of a byte.
char *put_decimal(char *p, unsigned char byte) {
    p[0] = byte >= 100 ? static_cast<char>('0' + byte / 100) : ' ';
    p[1] = byte >= 10 ? static_cast<char>('0' + byte / 10 % 10) : ' ';
    p[2] = static_cast<char>('0' + byte % 10);
    p[3] = ' ';
    return p + 4;
}

bool is_letter(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

// Rows of 16 bytes; a last single byte stays at the end of the row before.
void dump_plain(Sink &sink, const unsigned char *bytes, std::size_t count, bool decimal,
                std::uintptr_t shown) {
    for (std::size_t i = 0; i < count; ++i) {
        char *p = sink.reserve(64);
        if (i % kRow == 0 && i != count - 1) p = put_address(p, shown + i);
        p = decimal ? put_decimal(p, bytes[i]) : put_hex(p, bytes[i]);
        sink.commit(p);
    }
}

void dump_ascii(Sink &sink, const unsigned char *bytes, std::size_t count,
                std::uintptr_t shown) {
    for (std::size_t row = 0; row < count; row += kRow) {
        const std::size_t n = count - row < kRow ? count - row : kRow;
        char *p = put_address(sink.reserve(128), shown + row);
        for (std::size_t i = 0; i < kRow; ++i) {
            if (i < n) {
                p = put_hex(p, bytes[row + i]);
            } else {
                std::memcpy(p, "   ", 3);
                p += 3;
            }
        }
        *p++ = ' ';
        *p++ = ' ';
        for (std::size_t i = 0; i < n; ++i)
            *p++ = is_letter(bytes[row + i]) ? static_cast<char>(bytes[row + i]) : '.';
        sink.commit(p);
    }
}

}  // namespace

void dump_bytes(std::FILE *out, const unsigned char *bytes, std::size_t count, int format,
                std::uintptr_t shown) {
    Sink sink(out);
    if (format == tr_FORMAT_ASCII)
        dump_ascii(sink, bytes, count, shown);
    else
        dump_plain(sink, bytes, count, format == tr_FORMAT_DECIMAL, shown);
}

}  // namespace orvtrace

using namespace orvtrace;

extern "C" void tr_mem(const char *file, int line, int level, const void *address,
                       unsigned long count, int format, const char *fmt, ...) {
    if (drops_quickly(level, Trace_level)) return;
    if (!passes_filter(file, line, level, Trace_level)) return;
    if (!fmt) fmt = "NULL Message passed to tr_mem";
    if (!address && count != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "INVALID PARAMETER", "ORVCommonKit",
                 "tr_mem() called at [%s,%d] with a NULL address and %lu bytes to dump.",
                 base_name(file), line, count);
        return;
    }
    if (format != tr_FORMAT_HEX && format != tr_FORMAT_ASCII && format != tr_FORMAT_DECIMAL) {
        tr_warning(__FILE__, __LINE__, tr_HIGH,
                   "Programmer passed unknown format (%d) to tr_mem() call at [%s,%lu].  Dumping "
                   "in tr_FORMAT_ASCII format.",
                   format, base_name(file), static_cast<unsigned long>(line));
        format = tr_FORMAT_ASCII;
    }
    va_list args;
    va_start(args, fmt);
    if (classExternalLoggerFunction) {
        Line out(tr_KIND_MESSAGE);
        if (Show_message_tag == 1) out.add("[%s,%ld] ", base_name(file), static_cast<long>(line));
        out.add_v(fmt, args);
        va_end(args);
        out.finish();
        return;
    }
    std::FILE *out = output_stream();
    flockfile(out);
    if (Show_message_tag == 1)
        std::fprintf(out, "[%s,%ld] ", base_name(file), static_cast<long>(line));
    std::vfprintf(out, fmt, args);
    va_end(args);
    std::fprintf(out, "\n(Dumping %lu byte%s starting at address %p)", count,
                 count == 1 ? "" : "s", address);
    dump_bytes(out, static_cast<const unsigned char *>(address), count, format,
               reinterpret_cast<std::uintptr_t>(address));
    fputc_unlocked('\n', out);
    fflush_unlocked(out);
    funlockfile(out);
    message_ended();
}

// Input templates: checking a string against a character template, with or
// without wildcards, and shaping a string into a template.
#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/ut.h>

#include <cctype>
#include <cstring>

namespace {

constexpr const char *kModule = "ORVCommonKit";

bool is_class(char t) { return t == '#' || t == 'a' || t == 'x'; }

// Whether c fits the template character t; a failed class test is warned.
bool fits(char c, char t) {
    const auto u = static_cast<unsigned char>(c);
    switch (t) {
    case '#':
        if (std::isdigit(u)) return true;
        tr_warning(__FILE__, __LINE__, tr_HIGH, "Input char '%c' is not a digit", c);
        return false;
    case 'a':
        if (std::isalpha(u)) return true;
        tr_warning(__FILE__, __LINE__, tr_HIGH, "Input char '%c' is not alphabet", c);
        return false;
    case 'x':
        if (std::isalnum(u)) return true;
        tr_warning(__FILE__, __LINE__, tr_HIGH, "Input char '%c' is not alpha numeric", c);
        return false;
    default:
        return c == t;
    }
}

void report_missing() {
    tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Size", kModule,
             "No input or template string to check");
}

}  // namespace

extern "C" {

ORV_API unsigned char ut_verify_input_str_with_format(const char *input, const char *format) {
    if (!input || !format || !*input || !*format) {
        report_missing();
        return 0;
    }
    const std::size_t n = std::strlen(input);
    if (n != std::strlen(format)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Size", kModule,
                 "input len NEQ format len");
        return 0;
    }
    for (std::size_t i = 0; i < n; ++i)
        if (!fits(input[i], format[i])) return 0;
    return 1;
}

ORV_API unsigned char ut_verify_str_with_format_match_wildcards(const char *input,
                                                                const char *format) {
    if (!input || !format) {
        report_missing();
        return 0;
    }
    if (!std::strpbrk(format, "*?")) return ut_verify_input_str_with_format(input, format);
    const std::size_t in = std::strlen(input), fn = std::strlen(format);
    const std::size_t n = in < fn ? in : fn;
    for (std::size_t i = 0; i < n; ++i) {
        if (format[i] == '*') return 1;
        if (format[i] != '?' && !fits(input[i], format[i])) return 0;
    }
    if (fn > in) return format[n] == '*';
    return in == fn;
}

ORV_API int ut_convert_str_to_format(const char *input, const char *format, char *buffer,
                                     int size) {
    if (!buffer || size < 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Invalid Parameter", kModule,
                 "Invalid parameter (%s) to ut_convert_str_to_format().",
                 buffer ? "negative size" : "NULL buffer");
        return -1;
    }
    buffer[0] = '\0';
    if (!input || !format || !*input || !*format) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_convert_str_to_format", kModule,
                 "WARNING:input_str or format is empty");
        return 0;
    }
    const std::size_t in = std::strlen(input), fn = std::strlen(format);
    const std::size_t limit = static_cast<std::size_t>(size);
    if (in == fn) {
        const std::size_t n = in < limit ? in : limit;
        std::memcpy(buffer, input, n);
        buffer[n] = '\0';
        return 0;
    }
    std::size_t i = 0, j = 0, n = 0;
    while (i < in && j < fn && n < limit) {
        if (!is_class(format[j]) && format[j] != input[i]) {
            buffer[n++] = format[j++];
        } else {
            buffer[n++] = input[i++];
            ++j;
        }
    }
    if (i == in)
        for (; j < fn && n < limit; ++j)
            if (!is_class(format[j])) buffer[n++] = format[j];
    if (i == in && j == fn) {
        buffer[n] = '\0';
        return 0;
    }
    buffer[0] = '\0';
    return -1;
}

}  // extern "C"

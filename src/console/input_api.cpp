// The exported input_ functions: settings, typed readers and the entry to
// the engine.
#include <ORVCommonKit/input.h>
#include <ORVCommonKit/orvlocale.h>
#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tr.h>

#include "console/input_engine.h"
#include "console/input_state.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

using namespace orv::console;

namespace {

// The line for a typed reader: with blanks allowed what input() answers;
// otherwise asks until the line is non-empty or input ended.
int get_input_for_types(char *line) {
    if (Allow_blank_input) return input(line);
    while (!input(line)) {
        if (Input_at_end) return 1;
        message(1);
    }
    return 1;
}

// Reads a decimal number (leading white space allowed, anything after it
// ignored); false when the line does not start with one.
bool scan_signed(const char *line, long long &out) {
    char *end = nullptr;
    errno = 0;
    out = std::strtoll(line, &end, 10);
    return end != line;
}

bool scan_unsigned(const char *line, unsigned long long &out) {
    char *end = nullptr;
    out = std::strtoull(line, &end, 10);
    return end != line;
}

// A signed reader: not_number and out_of_range are message numbers (0 for no
// range check).
template <typename T>
int read_signed(T *value, int not_number, int out_of_range, long long low, long long high) {
    char line[kLineChars + 1];
    for (;;) {
        if (!get_input_for_types(line)) return 0;
        long long number = 0;
        if (!scan_signed(line, number)) {
            message(not_number);
        } else if (out_of_range && (number < low || number > high)) {
            message(out_of_range);
        } else {
            if (value) *value = static_cast<T>(number);
            return 1;
        }
    }
}

int read_unsigned(unsigned *value, int not_number) {
    char line[kLineChars + 1];
    for (;;) {
        if (!get_input_for_types(line)) return 0;
        unsigned long long number = 0;
        if (scan_unsigned(line, number)) {
            if (value) *value = static_cast<unsigned>(number);
            return 1;
        }
        message(not_number);
    }
}

int read_char(char *value, bool upper) {
    char line[kLineChars + 1];
    if (!get_input_for_types(line)) return 0;
    char c = line[0];
    if (upper) c = orvchar_to_upper(c);
    if (value) *value = c;
    return 1;
}

}  // namespace

extern "C" {

int input_set_language(const char *code) {
    if (!orvlocale_is_this_language_supported(code)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "input_set_language()", "ORVCommonKit",
                 "Cannot set the language as the language `%s` isnot supported. Returning Error",
                 code ? code : "(null)");
        return -1;
    }
    copy_text(Orvinput_language, code, kLanguageChars);
    return 0;
}

const char *input_get_prompt(void) { return Prompt; }

void input_set_prompt(const char *text) { copy_text(Prompt, text ? text : "", kLineChars); }

char *input_record_to_file(const char *file) {
    if (!file || !*file) {
        Should_record = false;
        return const_cast<char *>(file);
    }
    copy_text(Record_fname, file, kFileNameChars);
    Should_record = true;
    return Record_fname;
}

void input_playback_from_file(const char *file) {
    if (!orvinput_Input_fp) orvinput_Input_fp = stdin;
    end_playback_quietly();
    if (!file || !*file) return;
    copy_text(Playback_fname, file, kFileNameChars);
    start_playback();
}

void input_playback_tokens_in_buffer(const char *text) {
    Temporary_token_mode_enabled = true;
    Token_mode_previously_enabled = Token_mode_enabled;
    Token_mode_enabled = true;
    load_tokens(text ? text : "");
}

int input_is_empty(const char *line) { return !line || !*line; }

int input_is_blank(const char *line) { return input_is_empty(line); }

int input(char *buffer) {
    static char own[kLineChars + 1];
    return read_line(buffer ? buffer : own);
}

int input_nonblank(char *buffer) {
    for (;;) {
        const int got = input(buffer);
        if (got || Input_at_end) return got;
        message(1);
    }
}

void input_default(char *buffer, const char *default_text) {
    std::printf("[%s]", default_text ? default_text : "");
    char line[kLineChars + 1];
    // The end of input counts as an empty answer, not as the text "<EOF>".
    const int got = input(line);
    if (!buffer) return;
    if (got) copy_text(buffer, line, kLineChars);
    else if (default_text != buffer) copy_text(buffer, default_text ? default_text : "", kLineChars);
}

int input_bit(void) {
    char line[kLineChars + 1];
    for (;;) {
        input(line);
        switch (line[0]) {
        case 'T': case 't': case 'Y': case 'y': case '1':
            return 1;
        case 'F': case 'f': case 'N': case 'n': case '0':
            return 0;
        default:
            message(4);
        }
    }
}

int input_byte(unsigned char *value) { return read_signed(value, 6, 5, 0, 255); }
int input_int(int *value) { return read_signed(value, 7, 0, 0, 0); }
int input_uint(unsigned int *value) { return read_unsigned(value, 8); }
int input_int16(int *value) { return read_signed(value, 7, 9, 0, 65535); }
int input_long(int *value) { return read_signed(value, 10, 0, 0, 0); }
int input_ulong(unsigned int *value) { return read_unsigned(value, 11); }
int input_char(char *value) { return read_char(value, false); }
int input_upchar(char *value) { return read_char(value, true); }

char *input_duplicate_string(const char *text) { return strdup(text ? text : ""); }

int input_enable_token_mode(int flag) {
    const int previous = Token_mode_enabled;
    Token_mode_enabled = flag != 0;
    return previous;
}

int input_allow_blank(int flag) {
    const int previous = Allow_blank_input;
    Allow_blank_input = flag != 0;
    return previous;
}

void input_directives_help(void) { message(29, "SHELL", "/bin/sh"); }

}  // extern "C"

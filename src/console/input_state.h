// Module state of the console input engine and the helpers shared by the
// engine, the typed readers, choices and menus. The state is written only by
// input_engine.cpp and input_api.cpp (and the seams by tests).
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

namespace orv::console {

inline constexpr int kLineChars = 160;          // a line's characters (buffers: 161 bytes)
inline constexpr int kTokenChars = 320;         // the token buffer's characters
inline constexpr int kFileNameChars = 255;
inline constexpr int kLanguageChars = 23;
inline constexpr unsigned kEofLimit = 50;       // ends of input tolerated before exit 100
inline constexpr const char *kDefaultFile = "default.npt";

extern bool Should_record;
extern unsigned Input_eof_count;
extern char Prompt[kLineChars + 1];
extern bool Allow_blank_input;
extern bool Token_mode_enabled;
extern bool Temporary_token_mode_enabled;
extern bool Token_mode_previously_enabled;
extern char Token_buffer[kTokenChars + 1];
extern char *Token_currentp;
extern char Orvinput_language[kLanguageChars + 1];
extern char Record_fname[kFileNameChars + 1];
extern char Playback_fname[kFileNameChars + 1];
// True when the last input() met the end of standard input.
extern bool Input_at_end;

// Prints message number of the "input" table in language, its placeholders
// filled with the arguments. A text whose placeholders do not fit the
// message's arguments is replaced by the "unavailable" text.
void message(int number, ...);
void message_in(const char *language, int number, ...);
void vmessage_in(const char *language, int number, va_list args);
// The text of a message (for state words such as "on" and "off").
std::string message_text(const char *language, int number);

// Copies at most max characters of src into dst (max + 1 bytes) and ends it.
void copy_text(char *dst, const char *src, std::size_t max);

// The process services the engine uses, replaceable so that tests and the
// fuzzer can drive !term, the end-of-input limit, !sleep, !shell and the
// files of !record and !play without ending, pausing, running anything or
// touching files they do not own. A replaced exit_process that returns
// leaves the engine looping at the end of input: it should throw.
struct Services {
    void (*exit_process)(int status);
    void (*sleep_seconds)(unsigned seconds);
    int (*run_command)(const char *command);
    FILE *(*open_file)(const char *path, const char *mode);
};
Services &services();

}  // namespace orv::console

// The console input engine: reading a line from a token, the playback file
// or standard input, directives, recording, playback and token mode.
#include "console/input_engine.h"
#include "console/input_state.h"

#include <ORVCommonKit/choose.h>
#include <ORVCommonKit/input.h>
#include <ORVCommonKit/menu.h>
#include <ORVCommonKit/orvstr.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <sys/stat.h>

FILE *orvinput_Input_fp = nullptr;

namespace orv::console {

bool Should_record = false;
unsigned Input_eof_count = 0;
char Prompt[kLineChars + 1] = ": ";
bool Allow_blank_input = false;
bool Token_mode_enabled = false;
bool Temporary_token_mode_enabled = false;
bool Token_mode_previously_enabled = false;
char Token_buffer[kTokenChars + 1] = "";
char *Token_currentp = Token_buffer;
char Orvinput_language[kLanguageChars + 1] = "ENU";
char Record_fname[kFileNameChars + 1] = "";
char Playback_fname[kFileNameChars + 1] = "";
bool Input_at_end = false;

namespace {

void exit_for_real(int status) {
    std::fflush(stdout);
    std::exit(status);
}

void sleep_for_real(unsigned seconds) {
    timespec left{static_cast<time_t>(seconds), 0};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

int run_for_real(const char *command) {
    std::fflush(stdout);
    return std::system(command);
}

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

bool playing() { return orvinput_Input_fp && orvinput_Input_fp != stdin; }

std::string state_word(bool on) { return message_text(Orvinput_language, on ? 14 : 15); }

// ---- Tokens ----

// The next token of the token buffer, or null; ends it in place.
char *token_next() {
    char *p = Token_currentp;
    while (*p && is_space(*p) && *p != '\n') ++p;
    if (!*p || *p == '\n') {
        Token_currentp = p;
        return nullptr;
    }
    const bool quoted = *p == '"';
    char *token = quoted ? p + 1 : p;
    char *end = token;
    if (quoted) {
        while (*end && *end != '"') ++end;
    } else {
        while (*end && !is_space(*end)) ++end;
    }
    if (*end) *end++ = '\0';
    Token_currentp = end;
    return token;
}

bool token_get_next(char *line, bool echo) {
    if (!Token_mode_enabled) return false;
    char *token = token_next();
    if (!token || !*token) {
        if (Temporary_token_mode_enabled) {
            Token_mode_enabled = Token_mode_previously_enabled;
            Temporary_token_mode_enabled = false;
        }
        line[0] = '\0';
        return false;
    }
    copy_text(line, token, kLineChars);
    if (echo) {
        std::fputs(line, stdout);
        std::fputc('\n', stdout);
    }
    return true;
}

void token_load(const char *text) {
    copy_text(Token_buffer, text, kTokenChars);
    Token_currentp = Token_buffer;
}

void token_record(char *line) {
    if (!Token_mode_enabled) return;
    token_load(line);
    token_get_next(line, false);
}

// ---- Recording and playback ----

void record_line(const char *line) {
    if (!Should_record) return;
    FILE *file = services().open_file(Record_fname, "a");
    if (!file) {
        message(27, Record_fname, std::strerror(errno));
        Should_record = false;
        return;
    }
    std::fputs(line, file);
    std::fputc('\n', file);
    std::fclose(file);
}

// The argument of a directive line into target (kFileNameChars + 1 bytes),
// else what target holds, else the user's answer to the question.
bool extract_fname(const char *line, char *target, int question) {
    const char *p = line;
    while (*p && !is_space(*p)) ++p;
    while (*p && is_space(*p)) ++p;
    if (*p) copy_text(target, p, kFileNameChars);
    if (!*target && question) {
        message(question);
        char saved[kLineChars + 1];
        copy_text(saved, Prompt, kLineChars);
        copy_text(Prompt, ": ", kLineChars);
        char answer[kLineChars + 1] = "";
        input_default(answer, kDefaultFile);
        copy_text(target, answer, kFileNameChars);
        copy_text(Prompt, saved, kLineChars);
    }
    return *target != '\0';
}

void stop_playback(bool quietly) {
    if (!playing()) return;
    if (!quietly) message(33, Playback_fname, state_text(std::feof(orvinput_Input_fp) ? 34 : 35).c_str());
    std::fclose(orvinput_Input_fp);
    orvinput_Input_fp = stdin;
}

void toggle_record(const char *line) {
    if (Should_record) {
        message(30, Record_fname);
        Should_record = false;
        return;
    }
    if (!extract_fname(line, Record_fname, 32)) return;
    message(31, Record_fname);
    Should_record = true;
}

void toggle_play(const char *line) {
    if (playing()) {
        stop_playback(false);
        return;
    }
    if (extract_fname(line, Playback_fname, 36)) start_playback();
}

// ---- Directives ----

// An on/off word: 0 off, 1 on, -1 not one.
int interpret_bool_str(const char *word) {
    for (const char *off : {"OFF", "NO", "FALSE", "F"})
        if (orvstr_icmp(word, off) == 0) return 0;
    if (orvstr_nicmp(word, "DIS", 3) == 0 || std::strcmp(word, "0") == 0) return 0;
    for (const char *on : {"ON", "YES", "TRUE", "T"})
        if (orvstr_icmp(word, on) == 0) return 1;
    if (orvstr_nicmp(word, "EN", 2) == 0 || std::strcmp(word, "1") == 0) return 1;
    return -1;
}

const char *argument_of(const char *line) {
    const char *p = line;
    while (*p && !is_space(*p)) ++p;
    while (*p && is_space(*p)) ++p;
    return p;
}

void do_token(const char *line) {
    const char *word = argument_of(line);
    if (!*word) {
        Token_mode_enabled = !Token_mode_enabled;
    } else {
        const int on = interpret_bool_str(word);
        if (on < 0) {
            message(24, state_word(Token_mode_enabled).c_str());
            return;
        }
        Token_mode_enabled = on != 0;
    }
    message(25, state_word(Token_mode_enabled).c_str());
}

void do_sleep(const char *line) {
    int seconds = std::atoi(argument_of(line));
    if (seconds == 0) seconds = 1;
    if (seconds < 0) return;
    message(26, seconds, seconds == 1 ? "" : "s");
    std::fflush(stdout);
    services().sleep_seconds(static_cast<unsigned>(seconds));
}

void do_shell(const char *line) {
    const char *command = argument_of(line);
    if (*command) {
        message(23, command);
        services().run_command(command);
        return;
    }
    const char *name = "ComSpec";
    const char *shell = std::getenv(name);
    if (!shell || !*shell) {
        name = "SHELL";
        shell = std::getenv(name);
    }
    if (!shell || !*shell) {
        shell = "/bin/sh";
        message(21, shell);
    } else {
        message(22, name, shell);
    }
    services().run_command(shell);
}

bool starts(const char *line, const char *word) { return std::strncmp(line, word, std::strlen(word)) == 0; }

bool process_directives(const char *line) {
    if (line[0] != '!' && line[0] != '?') return false;
    if (starts(line, "!help") || starts(line, "?help")) {
        input_directives_help();
        menu_directives_help();
        choose_directives_help();
    } else if (starts(line, "!shell")) {
        do_shell(line);
    } else if (starts(line, "!ping")) {
        message(28);
    } else if (starts(line, "!sleep")) {
        do_sleep(line);
        record_line(line);
    } else if (std::strcmp(line, "!version") == 0 || std::strcmp(line, "?version") == 0) {
        std::printf("orvinput library compiled on %s %s\n", __DATE__, __TIME__);
    } else if (starts(line, "!token")) {
        do_token(line);
        record_line(line);
    } else if (std::strcmp(line, "?token") == 0) {
        message(13, state_word(Token_mode_enabled).c_str());
    } else if (std::strcmp(line, "?record") == 0) {
        if (Should_record) message(17);
        else if (Record_fname[0]) message(18, Record_fname);
        else message(19);
    } else if (starts(line, "!record")) {
        toggle_record(line);
    } else if (starts(line, "!play")) {
        toggle_play(line);
    } else if (starts(line, "!#")) {
        record_line(line);
    } else if (std::strcmp(line, "!terminate") == 0 || std::strcmp(line, "!term") == 0) {
        message(16);
        services().exit_process(99);
    } else {
        return false;
    }
    return true;
}

// Reads one line of the stream into line; false at its end.
bool read_stream(char *line) {
    if (!playing()) std::fflush(stdout);
    line[0] = '\0';
    // The console belongs to one thread: the stream's lock is not needed.
    char *got = fgets_unlocked(line, kLineChars + 1, orvinput_Input_fp);
    if (!got) line[0] = '\0';
    if (std::feof(orvinput_Input_fp) || std::ferror(orvinput_Input_fp)) return false;
    std::size_t n = std::strlen(line);
    if (n && line[n - 1] == '\n') {
        line[--n] = '\0';
        // A text-mode line end (CR LF) counts as one line end.
        if (n && line[n - 1] == '\r') line[--n] = '\0';
    }
    return true;
}

}  // namespace

Services &services() {
    static Services current{exit_for_real, sleep_for_real, run_for_real, std::fopen};
    return current;
}

std::string state_text(int number) { return message_text(Orvinput_language, number); }

void start_playback() {
    FILE *file = services().open_file(Playback_fname, "r");
    struct stat st;
    if (file && ::fstat(fileno(file), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(file);
        file = nullptr;
        errno = EISDIR;
    }
    if (!file) {
        message(20, Playback_fname, std::strerror(errno));
        return;
    }
    message(37, Playback_fname);
    orvinput_Input_fp = file;
}

void end_playback_quietly() { stop_playback(true); }

void load_tokens(const char *text) { token_load(text); }

int read_line(char *line) {
    if (!orvinput_Input_fp) orvinput_Input_fp = stdin;
    for (;;) {
        Input_at_end = false;
        fputs_unlocked(Prompt, stdout);
        bool read = false;
        if (!token_get_next(line, true)) {
            if (!read_stream(line)) {
                message(2);
                if (playing()) {
                    stop_playback(false);
                    continue;
                }
                copy_text(line, "<EOF>", kLineChars);
                Input_at_end = true;
                if (++Input_eof_count > kEofLimit) {
                    message(3);
                    services().exit_process(100);
                }
                return 0;
            }
            read = true;
        }
        if (read && playing()) {
            fputs_unlocked(line, stdout);
            fputc_unlocked('\n', stdout);
        }
        if (process_directives(line)) continue;
        if (read) {
            record_line(line);
            token_record(line);
        }
        return line[0] != '\0';
    }
}

}  // namespace orv::console

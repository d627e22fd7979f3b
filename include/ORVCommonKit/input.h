/*
 * Console input: one line at a time for interactive console programs and for
 * scripted runs of them.
 *
 * Every line passes through input(), which prints the prompt, takes the line
 * from a pending token, the playback file or standard input, removes the
 * line end and carries out directives (lines beginning with '!' or '?', such
 * as !help, !record, !play, !token, !term) instead of returning them. Typed
 * readers ask again until the answer has their form. Lines hold at most 160
 * characters: every buffer given to these functions has room for 161 bytes.
 *
 * The state (prompt, recording, playback, token mode) is process-wide and
 * belongs to the thread that owns the console. End of standard input makes
 * input() answer "<EOF>" and 0; the 51st time the process exits with status
 * 100, and "!term" exits with status 99.
 */
#ifndef ORVCOMMONKIT_INPUT_H
#define ORVCOMMONKIT_INPUT_H

#include <ORVCommonKit/orvexport.h>

#include <stdio.h>

ORV_BEGIN_DECLS

/* Where lines are read from: standard input (set on the first input()) or
 * the open playback file. */
ORV_API extern FILE *orvinput_Input_fp;

/* The language of the engine's messages ("ENU" at start): 0, or -1 when it
 * is not supported (reported; the language stays). */
ORV_API int input_set_language(const char *code);
/* The prompt printed before every read (": " at start); the module's buffer. */
ORV_API const char *input_get_prompt(void);
/* Copies at most 160 characters of text as the prompt; null empties it. */
ORV_API void input_set_prompt(const char *text);

/* Starts recording every typed line to file (appended, one line each),
 * silently, and returns the module's file-name buffer; null or "" stops
 * recording and returns file. */
ORV_API char *input_record_to_file(const char *file);
/* Ends any playback (silently) and starts playing file back as "!play file"
 * does; null or "" leaves input on standard input. */
ORV_API void input_playback_from_file(const char *file);
/* Answers the following questions with the words of text (at most 320
 * characters; "double quotes" group words), then token mode returns to what
 * it was. */
ORV_API void input_playback_tokens_in_buffer(const char *text);

/* 1 when the line is empty (or null), else 0. */
ORV_API int input_is_empty(const char *line);
ORV_API int input_is_blank(const char *line);

/* Reads one line into buffer (161 bytes; null: read and discard): 1 when the
 * line is non-empty, 0 when it is empty or standard input ended. */
ORV_API int input(char *buffer);
/* Reads until the line is non-empty or input ended, saying so after each
 * blank line; returns what the last input() returned. */
ORV_API int input_nonblank(char *buffer);
/* Shows "[default]" and reads; an empty answer gives the default (buffer and
 * default may be the same text). */
ORV_API void input_default(char *buffer, const char *default_text);

/* 1 for an answer beginning with T, Y or 1, 0 for F, N or 0 (either case);
 * asks again otherwise. */
ORV_API int input_bit(void);
/* Typed readers: 1 with the value stored, or 0 on a blank line when blanks
 * are allowed (the value untouched). Other answers that do not fit are
 * refused with a message and asked again. */
ORV_API int input_byte(unsigned char *value);
ORV_API int input_int(int *value);
ORV_API int input_uint(unsigned int *value);
/* Accepts 0..65535 only. */
ORV_API int input_int16(int *value);
ORV_API int input_long(int *value);
ORV_API int input_ulong(unsigned int *value);
/* The first character of the line (input_upchar: in upper case). */
ORV_API int input_char(char *value);
ORV_API int input_upchar(char *value);

/* A new copy of text (null: a new empty text), freed with free(); null only
 * when memory runs out. */
ORV_API char *input_duplicate_string(const char *text);
/* Switch token mode or blank answers on or off; each returns the previous
 * state. */
ORV_API int input_enable_token_mode(int flag);
ORV_API int input_allow_blank(int flag);
/* Prints the help of the engine's directives. */
ORV_API void input_directives_help(void);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_INPUT_H */

/*
 * Token keys: cutting a text line into whitespace-separated tokens, testing
 * tokens for integer and decimal numbers, and looking tokens up in keyword
 * tables.
 *
 * tk_get works in place: the caller owns a modifiable, zero-terminated buffer
 * and a cursor into it; tokens are pointers into that buffer, which tk_get
 * terminates as it goes. A keyword table is an array of strings with a count;
 * it ends early at its first null or empty entry.
 */
#ifndef ORVCOMMONKIT_TK_H
#define ORVCOMMONKIT_TK_H

#include <ORVCommonKit/orvexport.h>

ORV_BEGIN_DECLS

/* The next token at *cursor, or null when none is left (also for a null cursor
 * address or cursor). Tokens are separated by characters for which
 * orvchar_is_space is true; a token starting with a double quote runs up to the
 * next double quote (or the end of the text) and is returned without its
 * quotes. The separator or closing quote is overwritten with a terminator and
 * *cursor moves past it. */
ORV_API char *tk_get(char **cursor);
/* 1 when token is an optional leading minus sign and one or more decimal
 * digits, else 0 (also for null or empty). */
ORV_API int tk_is_int(const char *token);
/* As tk_is_int, but one full stop may stand anywhere (".5", "5.", "-.5"). */
ORV_API int tk_is_float(const char *token);
/* Index of the first of the count keywords equal to token, ignoring case and
 * accents (orvstr_icmp), or -1. */
ORV_API int tk_find_key(const char *token, const char *const *keys, int count);
/* Index of the first of the count keywords contained in token, ignoring case,
 * or -1. Neither the token nor the table is modified. */
ORV_API int tk_find_key_loose(const char *token, const char *const *keys, int count);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_TK_H */

/*
 * Characters and strings in the Windows-1252 code page.
 *
 * orvchar_ classifies and maps single bytes; bytes 0x80 to 0xFF follow the
 * library's fixed upper-half table (plain-ASCII spelling, letter class, case
 * partner), bytes below 0x80 the C locale. orvstr_ copies, compares, cleans and
 * shapes zero-terminated strings. Nothing here allocates except orvstr_dup.
 */
#ifndef ORVCOMMONKIT_ORVSTR_H
#define ORVCOMMONKIT_ORVSTR_H

#include <ORVCommonKit/orvexport.h>

ORV_BEGIN_DECLS

ORV_API int orvchar_is_ascii(char c);
ORV_API int orvchar_is_alpha(char c);
ORV_API int orvchar_is_upper(char c);
ORV_API int orvchar_is_lower(char c);
ORV_API int orvchar_is_alnum(char c);
ORV_API int orvchar_is_print(char c);
ORV_API int orvchar_is_space(char c);
ORV_API int orvchar_is_cntrl(char c);
ORV_API int orvchar_is_punct(char c);
ORV_API char orvchar_to_upper(char c);
ORV_API char orvchar_to_lower(char c);
/* The byte's sorting key: letters sort as their plain-ASCII base letter,
 * upper-half non-letters as negative values before all ASCII. */
ORV_API int orvchar_sort_order(char c);
/* The byte's plain-ASCII spelling. For bytes below 0x80 the result is a shared
 * static two-byte buffer overwritten by the next such call. */
ORV_API const char *orvchar_to_ascii(char c);

/* Heap copy of s, freed with orvstr_free; null for null s or out of memory. */
ORV_API char *orvstr_dup(const char *s);
ORV_API void orvstr_free(char *s);
/* Copies at most n characters and always terminates (dst holds n + 1 bytes). */
ORV_API char *orvstr_cpy(char *dst, const char *src, int n);
/* Appends so that dst holds at most n characters in all (dst holds n + 1 bytes). */
ORV_API char *orvstr_cat(char *dst, const char *src, int n);
ORV_API int orvstr_len(const char *s);
/* Byte-wise comparisons; a null string compares like the empty string. */
ORV_API int orvstr_cmp(const char *a, const char *b);
ORV_API int orvstr_ncmp(const char *a, const char *b, int n);
ORV_API int orvstr_equ(const char *a, const char *b);
/* Folded comparisons: case and accents ignored, "\xDF" equal to "SS". The result
 * is the difference of the first unequal folded characters. */
ORV_API int orvstr_icmp(const char *a, const char *b);
/* Folded comparison of at most n characters of a. */
ORV_API int orvstr_nicmp(const char *a, const char *b, int n);
/* As orvstr_icmp; with loose nonzero, white space and punctuation
 * (orvchar_is_space, orvchar_is_punct) are skipped on both sides. */
ORV_API int orvstr_loose_cmp(const char *a, const char *b, int loose);
/* In-place and copying case mapping; orvstr_xupr spells "\xDF" as "SS". */
ORV_API char *orvstr_lwr(char *s);
ORV_API char *orvstr_upr(char *s);
ORV_API char *orvstr_xlwr(char *dst, const char *src, int n);
ORV_API char *orvstr_xupr(char *dst, const char *src, int n);
/* "YES" or "NO". */
ORV_API const char *orvstr_from_bool(int flag);
/* 1 and *out set when s is a truth word: FALSE F NO N OFF DISABLE or "0" give
 * 0, TRUE T YES Y ON ENABLE or "1" give 1 (words in any case, no blanks).
 * Otherwise 0 and *out is left alone. */
ORV_API int orvstr_to_bool(const char *s, int *out);
ORV_API char *orvstr_set(char *s, char c);
ORV_API int orvstr_fill(char *s, char c, int n);
/* Pads with blanks or cuts so that s has exactly width characters. */
ORV_API char *orvstr_pad(char *s, int width);
/* Removes trailing blanks (not tabs). */
ORV_API char *orvstr_trim(char *s);
/* Removes every control character, then leading and trailing white space. */
ORV_API char *orvstr_normalize(char *s);
/* Removes every character that orvchar_is_cntrl or orvchar_is_space accepts. */
ORV_API char *orvstr_strip(char *s);
/* The first / last character that is not white space, or null. */
ORV_API char *orvstr_firstchar(char *s);
ORV_API char *orvstr_lastchar(char *s);
/* Move the text to the start / end of s, filling with blanks; length stays. */
ORV_API char *orvstr_leftjust(char *s);
ORV_API char *orvstr_rightjust(char *s);
ORV_API int orvstr_has_white_space(const char *s);
ORV_API int orvstr_has_non_white_space(const char *s);
ORV_API int orvstr_is_ascii(const char *s);
/* Writes src with every upper-half byte spelt in plain ASCII; at most n bytes
 * and a terminator (dst holds n + 1 bytes). */
ORV_API void orvstr_to_ascii(char *dst, const char *src, int n);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_ORVSTR_H */

/*
 * Command-line options: the orvopt_ family.
 *
 * Two ways for a program's main routine to read single-letter options:
 *
 *  - The handle parser. orvopt_init makes a handle over the argument vector;
 *    orvopt_extract declares in one call which letters are accepted, of which
 *    value type and where each value goes, walks the leading options, stores
 *    the values and counts the failures; the accessors then hand out the
 *    remaining arguments one by one. orvopt_term frees the handle.
 *
 *        char verbose; int count = 0; char *name = NULL;
 *        orvopt_p h = orvopt_init(argc, argv);
 *        if (orvopt_extract(h, 'v', orvopt_BOOL, &verbose,
 *                              'n', orvopt_INT, &count,
 *                              's', orvopt_STRING, &name, 0) != 0) ...
 *        for (const char *a = orvopt_first_arg(h); a; a = orvopt_next_arg(h)) ...
 *        orvopt_term(h);
 *
 *  - The step parser. orvopt_get returns one option letter per call from an
 *    option-letter string ("vqo:": a letter followed by ':' takes a value),
 *    0 for an option that failed and -1 when the options are over.
 *
 * Both parsers take the program's name from argv[0] for their messages.
 * Messages about the options themselves (illegal letters, missing or malformed
 * values, bad specifications) go to standard output; a null handle and a
 * failed allocation are reported on standard error. Nothing goes through the
 * trace facility. The argument vector is not copied: it must outlive the
 * handle, and string values point into it.
 *
 * Not for concurrent use: the program name and the step parser's state are
 * process-wide.
 */
#ifndef ORVCOMMONKIT_ORVOPT_H
#define ORVCOMMONKIT_ORVOPT_H

#include <ORVCommonKit/orvexport.h>

ORV_BEGIN_DECLS

/* Result codes of the handle parser. */
#define orvopt_INVALID_HANDLE (-998) /* a null handle was passed */
#define orvopt_BAD_SPEC (-999)       /* the specification list is wrong */
#define orvopt_FAILED (-1000)        /* one or more options failed */

/* At most this many specifications are read by one extraction. */
#define orvopt_MAX_SPECS 62

/* Value types of an option; the storage each one expects is noted. */
/* In C++ the type is fixed to int, so that a number outside the list that a
 * caller hands in (the parser reports it as an unknown type) is still a value
 * of the type. */
typedef enum orvopt_type_e
#ifdef __cplusplus
    : int
#endif
{
    orvopt_BOOL = 101,       /* char: 0 when extraction starts, 1 when present */
    orvopt_STRING = 102,     /* char *: the value text (points into argv) */
    orvopt_INT = 103,        /* int */
    orvopt_LONG = 104,       /* long */
    orvopt_UINT = 105,       /* unsigned int */
    orvopt_ULONG = 106,      /* unsigned long */
    orvopt_FLOAT = 107,      /* float */
    orvopt_FUNC0 = 108,      /* orvopt_func0_t, called with (handle, letter) */
    orvopt_FUNC1 = 109,      /* orvopt_func1_t, called with (handle, letter, value) */
    orvopt_OPT_INT = 110,    /* as orvopt_INT, the value may be left out */
    orvopt_OPT_LONG = 111,   /* as orvopt_LONG, optional value */
    orvopt_OPT_UINT = 112,   /* as orvopt_UINT, optional value */
    orvopt_OPT_ULONG = 113,  /* as orvopt_ULONG, optional value */
    orvopt_OPT_FLOAT = 114,  /* as orvopt_FLOAT, optional value */
    orvopt_OPT_STRING = 115, /* as orvopt_STRING, optional value */
    orvopt_OPT_FUNCT1 = 116  /* as orvopt_FUNC1, optional value */
} orvopt_type_e;

struct orvopt_t;

/* Callback of orvopt_FUNC0; its result is ignored. */
typedef int (*orvopt_func0_t)(struct orvopt_t *handle, char letter);
/* Callback of orvopt_FUNC1 and orvopt_OPT_FUNCT1; returns nonzero when the
 * value was accepted, 0 to count the option as failed. */
typedef char (*orvopt_func1_t)(struct orvopt_t *handle, char letter, const char *value);

/* One option specification: the letter, its value type and where the value
 * goes (for the function types, the function). */
typedef struct orvopt_spec_t {
    char letter;
    orvopt_type_e type;
    union {
        void *storage;
        orvopt_func0_t func0;
        orvopt_func1_t func1;
    } to;
} orvopt_spec_t;

/* The handle record. Clients read it through the accessors; the fields are
 * public so that a debugger and orvopt_debug show the same thing. */
typedef struct orvopt_t {
    int error_count;      /* options that failed in the last extraction */
    int first_index;      /* first argument after the options (1 before extraction) */
    int index;            /* current position of the argument accessors */
    int num_specs;        /* specifications of the last extraction */
    orvopt_spec_t *specv; /* valid during that extraction only */
    int argc;             /* as given */
    char *const *argv;    /* as given, not copied */
} orvopt_t, *orvopt_p;

/* Makes a handle over the argument vector (which must outlive it). The first
 * call of the process takes the program name from argv[0]. Returns null, with
 * a message on standard error, when memory runs out. Free with orvopt_term. */
ORV_API orvopt_p orvopt_init(int argc, char *const argv[]);

/* Reads triples (int letter, orvopt_type_e type, storage) ended by a letter 0,
 * at most orvopt_MAX_SPECS of them, then walks the options from the handle's
 * first_index. Returns 0; orvopt_INVALID_HANDLE; orvopt_BAD_SPEC (a null
 * storage or an unknown type, error count 1); or orvopt_FAILED when options
 * failed (their number is in the error count). */
ORV_API int orvopt_extract(orvopt_p handle, ...);

/* As orvopt_extract, over a table of specifications ended by an entry whose
 * letter is 0 (or by orvopt_MAX_SPECS entries). A null table accepts no
 * option. */
ORV_API int orvopt_extract_table(orvopt_p handle, const orvopt_spec_t *specs);

/* Number of options that failed in the last extraction; -1 for a null handle. */
ORV_API int orvopt_error_count(orvopt_p handle);
/* Sets the error count to 0 and both positions back to 1, so that a new
 * extraction starts from the first argument. 0, or orvopt_INVALID_HANDLE. */
ORV_API int orvopt_reset(orvopt_p handle);
/* argc minus the current position; -1 for a null handle. */
ORV_API int orvopt_remaining_count(orvopt_p handle);
/* The current position; -1 for a null handle. */
ORV_API int orvopt_curr_index(orvopt_p handle);

/* Walking the arguments after the options. first_arg goes back to the first
 * of them; next_arg returns the current one and advances; prev_arg steps back
 * (not before the first) and returns the one there; curr_arg does not move.
 * Each returns null when there is no such argument or the handle is null. */
ORV_API char *orvopt_first_arg(orvopt_p handle);
ORV_API char *orvopt_next_arg(orvopt_p handle);
ORV_API char *orvopt_prev_arg(orvopt_p handle);
ORV_API char *orvopt_curr_arg(orvopt_p handle);

/* Frees the handle (null allowed). Returns 0. */
ORV_API int orvopt_term(orvopt_p handle);

/* Prints the handle, the specifications of the running extraction and the
 * argument vector to standard output. */
ORV_API void orvopt_debug(orvopt_p handle);

/* The program name: the last path component of argv[0] without a trailing
 * ".exe"; null before either parser has started. The string is the
 * library's; callers copy what they keep. */
ORV_API const char *orvopt_program(void);

/* 1 when the text is digits with an optional leading '-' (so "-" alone
 * passes), else 0; null and the empty text are not numbers. */
ORV_API int orvopt_is_int(const char *text);
/* 1 when the text is digits only, else 0. */
ORV_API int orvopt_is_unsigned(const char *text);
/* 1 when the text is digits with at most one '.' and an optional leading
 * '-', else 0. */
ORV_API int orvopt_is_float(const char *text);

/* The step parser: returns the next option letter, 0 for an option that
 * failed (with a message on standard output), -1 when the options are over
 * (a non-option argument, "-", an argument beginning "--" which is stepped
 * over, or the end of the vector). Letters grouped in one argument come one
 * per call. */
ORV_API int orvopt_get(int argc, char *const argv[], const char *letters);
/* Value of the last option, or null. */
ORV_API char *orvopt_arg(void);
/* Index of the next argument to read (1 before the first call). */
ORV_API int orvopt_ind(void);
/* The last option letter seen. */
ORV_API int orvopt_opt(void);

/* The step parser's state, also readable directly. A program that wants to
 * scan a new vector from its start sets Opt_ind back to 1 once the previous
 * scan has returned -1. */
ORV_API extern char *Opt_arg;
ORV_API extern int Opt_ind;
ORV_API extern int Opt_opt;

ORV_END_DECLS

#endif /* ORVCOMMONKIT_ORVOPT_H */

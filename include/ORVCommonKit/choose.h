/*
 * Choices: pick one item of a short list, or answer yes or no, asked again
 * until the answer is valid. Answers are read through input() (input.h), so
 * directives, recording, playback and token mode work inside a choice.
 *
 * Keys: a text with one key character per item, or null for the made keys
 * "1" to "9", then "a", "b" and onwards. An empty answer takes the default;
 * "!quit" ends a character choice with 0.
 */
#ifndef ORVCOMMONKIT_CHOOSE_H
#define ORVCOMMONKIT_CHOOSE_H

#include <ORVCommonKit/orvexport.h>

ORV_BEGIN_DECLS

/* At most this many items (and keys) in a character choice. */
#define choose_MAX_ITEMS 255

/* The key character of the chosen item when keys are given (default: a key
 * character, 0 for none), else its index (default: an index, -1 for none);
 * 0 at end of input or "!quit". */
ORV_API int choose_from_array(const char *title, int default_choice, const char *keys,
                              const char **items, int count);
/* One item text per key character; answers the chosen key character. */
ORV_API int choose_from_args(const char *title, int default_key, const char *keys, ...);
/* For each key character an item text followed by its int value; answers the
 * value of the chosen item (default: a value). keys must be given. */
ORV_API int choose_from_enum(const char *title, int default_value, const char *keys, ...);
/* Items numbered from 1, "q" quits: the chosen index from 0, or -1 for "q"
 * and for an empty answer without default (default_index -1). */
ORV_API int choose_from_numbers(const char *title, int default_index,
                                const char **items, int count);
/* Asks "question (Y/N)" (null: "Do you wish to proceed"): 1 for yes, 0 for
 * no or end of input. */
ORV_API int choose_bool(const char *question);
/* As choose_bool, saying "Proceeding..." or "Aborting...". */
ORV_API int choose_proceed(const char *question);
/* As choose_bool with blank answers allowed: 1 with *flag set, or 0 for an
 * empty answer or end of input (*flag unchanged). */
ORV_API int choose_opt_bool(int *flag, const char *question);
/* The position of c in keys; -1 for the character 0; -2 when it is not there
 * (or keys is null). */
ORV_API int chosen_index(int c, const char *keys);
/* Prints the help of the choose directives. */
ORV_API void choose_directives_help(void);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_CHOOSE_H */

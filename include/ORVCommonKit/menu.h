/*
 * Menus: a boxed list of entries, each with a choice (the text the user
 * types), a description and an action with two arguments. menu_run shows the
 * box, reads the choice through input() (input.h), runs the optional
 * pre-action, the entry's action and the optional post-action, and repeats
 * until an action returns a non-zero code or the user takes the quit choice.
 *
 * While a menu runs the user may type "!quit", "!col [n]" (columns, 0 for
 * automatic), "!show", "!hide" and "?". Messages come from the "input"
 * strings table in the menu's language.
 *
 * Ownership: menu_add_entry and its before/after forms copy the choice and
 * the description; menu_add_dynamic_entry copies the choice only. An
 * argument with a size above 0 is copied (that many bytes), otherwise the
 * caller's pointer is kept. Entries of an added table are used in place.
 * menu_term releases the menu and everything it owns.
 */
#ifndef ORVCOMMONKIT_MENU_H
#define ORVCOMMONKIT_MENU_H

#include <ORVCommonKit/orvexport.h>

ORV_BEGIN_DECLS

/* An action: gets the entry's two arguments and returns a code (0: go on). */
typedef int (*menu_action_t)(void *first, void *second);

/* A menu entry; a table of them ends with an entry whose choice is null. */
typedef struct menu_entry_t {
    const char *choice;
    const char *description;
    menu_action_t action;
    void *first;
    void *second;
} menu_entry_t;

typedef struct menu_t menu_t;

/* A new menu with its title (at most 72 characters shown) and quit choice
 * (null: none); null only when memory runs out. */
ORV_API menu_t *menu_init(const char *title, const char *quit_choice);
ORV_API menu_t *menu_init_with_table(const char *title, const char *quit_choice,
                                     menu_entry_t *table);
/* As menu_init in language (kept only when supported). */
ORV_API menu_t *menu_init_with_language(const char *title, const char *quit_choice,
                                        const char *language);
/* The language of menus created from now on: 0, or -1 when not supported. */
ORV_API int menu_set_global_language(const char *language);
ORV_API int menu_set_language(menu_t *menu, const char *language);
/* Non-zero: menus are not shown before each question (for every menu). */
ORV_API void menu_set_hidden(int flag);

/* Appends the entries of table up to the one with a null choice; returns menu. */
ORV_API menu_t *menu_add_table(menu_t *menu, menu_entry_t *table);
/* Appends a new entry and returns it (null for a null menu or choice). */
ORV_API menu_entry_t *menu_add_entry(menu_t *menu, const char *choice, const char *description,
                                     menu_action_t action, void *first, int first_size,
                                     void *second, int second_size);
/* As menu_add_entry, keeping the caller's description pointer. */
ORV_API menu_entry_t *menu_add_dynamic_entry(menu_t *menu, const char *choice,
                                             const char *description, menu_action_t action,
                                             void *first, int first_size, void *second,
                                             int second_size);
/* Inserts before (after) the first entry with the existing choice; null when
 * there is none. */
ORV_API menu_entry_t *menu_add_entry_before_choice(menu_t *menu, const char *existing,
                                                   const char *choice, const char *description,
                                                   menu_action_t action, void *first,
                                                   int first_size, void *second, int second_size);
ORV_API menu_entry_t *menu_add_entry_after_choice(menu_t *menu, const char *existing,
                                                  const char *choice, const char *description,
                                                  menu_action_t action, void *first,
                                                  int first_size, void *second, int second_size);
/* 1 when removed, 0 when not in the menu. */
ORV_API int menu_remove_entry(menu_t *menu, menu_entry_t *entry);
ORV_API int menu_remove_choice(menu_t *menu, const char *choice);
/* The first entry with the choice (compared exactly), or null. */
ORV_API menu_entry_t *menu_entry_with_choice(menu_t *menu, const char *choice);

/* Runs the menu; the code that ended it (1 at end of input or "!quit"). */
ORV_API int menu_run(menu_t *menu);
/* The entry the user chose last, or null. */
ORV_API menu_entry_t *menu_selected_entry(menu_t *menu);
ORV_API void menu_set_quit_choice(menu_t *menu, const char *choice);
ORV_API const char *menu_get_quit_choice(menu_t *menu);
/* Runs before (after) each chosen entry's action; a null action removes it.
 * A pre-action's code: bit 0 skips the action, bit 1 the post-action, 7
 * ends the run, above 3 is the run's code. */
ORV_API void menu_set_pre_action(menu_t *menu, menu_action_t action, void *first, int first_size,
                                 void *second, int second_size);
ORV_API void menu_set_post_action(menu_t *menu, menu_action_t action, void *first, int first_size,
                                  void *second, int second_size);
/* Columns of the box; 0 lays them out automatically. */
ORV_API void menu_set_columns(menu_t *menu, int columns);
/* An action that returns its first argument as the code. */
ORV_API int menu_return(void *value, void *unused);
ORV_API void menu_term(menu_t *menu);
/* Prints the help of the menu directives. */
ORV_API void menu_directives_help(void);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_MENU_H */

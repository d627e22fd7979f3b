// Menus: entries, the box and its columns, the menu directives and the run
// loop with pre- and post-actions.
#include <ORVCommonKit/input.h>
#include <ORVCommonKit/menu.h>
#include <ORVCommonKit/orvlocale.h>
#include <ORVCommonKit/tr.h>

#include "console/input_state.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace orv::console;

namespace {

constexpr int kBoxInterior = 74;   // dashes between the corners
constexpr int kRowWidth = 75;      // what a row of cells may fill
constexpr int kTitleChars = 72;
constexpr int kAttemptsPerShowing = 4;

// What a menu keeps for each entry besides the entry itself.
struct Element {
    menu_entry_t *entry;
    bool owns_entry;
    bool owns_description;
    int first_size;   // 0: the caller's pointer
    int second_size;
};

}  // namespace

struct menu_t {
    Element pre{nullptr, true, false, 0, 0};
    Element post{nullptr, true, false, 0, 0};
    menu_entry_t *selected = nullptr;
    std::vector<Element> entries;
    std::string quit_choice;
    std::string top, bottom;
    int columns = 1;
    int choice_width = 2;
    char language[kLanguageChars + 1] = "ENU";
};

namespace {

bool HiddenMenus = false;
char menu_global_language[kLanguageChars + 1] = "ENU";
menu_entry_t Dummy_quit_entry{".", "Quit (missing quit entry)", nullptr, nullptr, nullptr};

char *copy_string(const char *text) { return strdup(text ? text : ""); }

void *copy_argument(void *argument, int size) {
    if (size <= 0) return argument;
    void *copy = std::calloc(1, static_cast<std::size_t>(size));
    if (copy && argument) std::memcpy(copy, argument, static_cast<std::size_t>(size));
    return copy;
}

void release(Element &element) {
    menu_entry_t *entry = element.entry;
    if (!entry || !element.owns_entry) return;
    std::free(const_cast<char *>(entry->choice));
    if (element.owns_description) std::free(const_cast<char *>(entry->description));
    if (element.first_size > 0) std::free(entry->first);
    if (element.second_size > 0) std::free(entry->second);
    delete entry;
    element.entry = nullptr;
}

Element make_element(const char *choice, const char *description, bool copy_description,
                     menu_action_t action, void *first, int first_size, void *second,
                     int second_size) {
    auto *entry = new menu_entry_t{copy_string(choice),
                                   copy_description ? copy_string(description) : description,
                                   action, copy_argument(first, first_size),
                                   copy_argument(second, second_size)};
    return {entry, true, copy_description, std::max(first_size, 0), std::max(second_size, 0)};
}

void widen(menu_t *menu, const char *choice) {
    const int needed = static_cast<int>(std::strlen(choice)) + 1;
    if (needed > menu->choice_width) menu->choice_width = needed;
}

void make_borders(menu_t *menu, const char *title) {
    std::string name(title ? title : "");
    if (name.size() > kTitleChars) name.resize(kTitleChars);
    std::string inner;
    if (name.empty()) {
        inner.assign(kBoxInterior, '-');
    } else {
        const int length = static_cast<int>(name.size());
        const int k = (kBoxInterior - length) / 2;
        inner.assign(static_cast<std::size_t>(k - 1), '-');
        inner += " " + name + " ";
        inner.append(static_cast<std::size_t>(length % 2 == 0 ? k - 1 : k), '-');
    }
    menu->top = "  +" + inner + "+";
    menu->bottom = "  +" + std::string(kBoxInterior, '-') + "+";
}

std::vector<Element>::iterator find_choice(menu_t *menu, const char *choice) {
    return std::find_if(menu->entries.begin(), menu->entries.end(), [&](const Element &e) {
        return e.entry->choice && std::strcmp(e.entry->choice, choice) == 0;
    });
}

int set_language(char *target, const char *language, const char *title) {
    if (!orvlocale_is_this_language_supported(language)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, title, "ORVCommonKit",
                 "Cannot set the language as the language `%s` isnot supported. Returning Error",
                 language ? language : "(null)");
        return -1;
    }
    copy_text(target, language, kLanguageChars);
    return 0;
}

void display(const menu_t *menu) {
    std::printf("\n%s\n", menu->top.c_str());
    const int n = static_cast<int>(menu->entries.size());
    const int w = menu->choice_width;
    int columns = menu->columns;
    if (columns <= 0) {
        int longest = 0;
        for (const auto &e : menu->entries)
            if (e.entry->description)
                longest = std::max(longest, static_cast<int>(std::strlen(e.entry->description)));
        columns = std::max(1, kRowWidth / (longest + w + 3));
        if (columns > 1 && n > 0) {
            const int rows = (n + columns - 1) / columns;
            columns = (n + rows - 1) / rows;
        }
    }
    columns = std::min(columns, kRowWidth);
    const int rows = (n + columns - 1) / columns;
    const int dw = (kRowWidth - (w + 3) * columns) / columns;
    for (int r = 0; r < rows; ++r) {
        std::printf("%*s", 2, "");
        for (int c = 0; c < columns; ++c) {
            const int i = c * rows + r;
            if (i < n) {
                const menu_entry_t *e = menu->entries[static_cast<std::size_t>(i)].entry;
                const char *choice = e->choice ? e->choice : "";
                const char *description = e->description ? e->description : "";
                std::printf("|%*.*s%c %-*.*s", w, w, choice, *choice ? '.' : ' ', dw,
                            std::max(dw, 0), description);
            } else {
                std::printf("|%*s%c %-*s", w, "", ' ', dw, "");
            }
        }
        std::printf("%*s|\n", kRowWidth - (dw + w + 3) * columns, "");
    }
    std::printf("%s\n", menu->bottom.c_str());
}

const char *argument_after_word(const char *line) {
    while (*line && *line != ' ' && *line != '\t') ++line;
    while (*line == ' ' || *line == '\t') ++line;
    return line;
}

void adjust_columns(menu_t *menu, const char *line) {
    const char *argument = argument_after_word(line);
    int number = -1;
    bool valid = false;
    if (*argument) {
        char *end = nullptr;
        const long read = std::strtol(argument, &end, 10);
        if (end == argument) message_in(menu->language, 44, argument);
        else number = static_cast<int>(std::clamp<long>(read, INT_MIN, INT_MAX));
        if (number < 0) message_in(menu->language, 45, number);
        else valid = true;
    }
    if (!valid) {
        message_in(menu->language, 46);
        const int previous = input_allow_blank(1);
        unsigned answer = 0;
        const int got = input_uint(&answer);
        input_allow_blank(previous);
        if (!got) {
            message_in(menu->language, 47, menu->columns);
            return;
        }
        number = static_cast<int>(std::min<unsigned>(answer, INT_MAX));
    }
    message_in(menu->language, 48, number);
    menu->columns = std::min(number, kRowWidth);
}

// Reads until the user picks an entry; null at end of input or "!quit".
menu_entry_t *get_option(menu_t *menu) {
    std::string prompt = message_text(menu->language, 39) + input_get_prompt();
    if (prompt.size() > kLineChars) prompt.resize(kLineChars);
    bool due = !HiddenMenus;
    int attempts = 0;
    char line[kLineChars + 1];
    for (;;) {
        if (due) {
            display(menu);
            attempts = 0;
            due = false;
        }
        ++attempts;
        char saved[kLineChars + 1];
        copy_text(saved, input_get_prompt(), kLineChars);
        input_set_prompt(prompt.c_str());
        input(line);
        input_set_prompt(saved);
        if (Input_at_end) return nullptr;
        if (!line[0]) {
            message_in(menu->language, 40);
        } else if (std::strcmp(line, "!quit") == 0) {
            message_in(menu->language, 42);
            return nullptr;
        } else if (std::strncmp(line, "!col", 4) == 0) {
            adjust_columns(menu, line);
            due = true;
        } else if (std::strcmp(line, "!show") == 0) {
            display(menu);
        } else if (std::strcmp(line, "!hide") == 0) {
            HiddenMenus = !HiddenMenus;
            due = !HiddenMenus;
        } else if (auto it = find_choice(menu, line); it != menu->entries.end()) {
            menu->selected = it->entry;
            return it->entry;
        } else if (!menu->quit_choice.empty() && menu->quit_choice == line) {
            menu->selected = nullptr;
            Dummy_quit_entry.choice = menu->quit_choice.c_str();
            return &Dummy_quit_entry;
        } else if (std::strcmp(line, "?") == 0) {
            display(menu);
        } else {
            message_in(menu->language, 41, line);
        }
        if (attempts >= kAttemptsPerShowing && !HiddenMenus) due = true;
    }
}

int run_action(const menu_entry_t *entry) {
    return entry && entry->action ? entry->action(entry->first, entry->second) : 0;
}

int do_action(menu_t *menu, menu_entry_t *entry, bool &quit) {
    if (!entry) return 1;
    message_in(menu->language, 43, entry->choice ? entry->choice : "",
               entry->description ? entry->description : "");
    if (entry->choice && !menu->quit_choice.empty() && menu->quit_choice == entry->choice) {
        const int code = run_action(entry);
        quit = true;
        return code;
    }
    quit = false;
    const int pre = run_action(menu->pre.entry);
    if (pre == 7) return 7;
    const int action = (pre & 1) ? 0 : run_action(entry);
    const int post = (pre & 2) ? 0 : run_action(menu->post.entry);
    if (pre > 3) return pre;
    return post ? post : action;
}

void set_side_action(Element &side, const char *name, menu_action_t action, void *first,
                     int first_size, void *second, int second_size) {
    release(side);
    if (!action) return;
    side = make_element("", name, true, action, first, first_size, second, second_size);
}

menu_entry_t *add(menu_t *menu, const char *existing, int where, const char *choice,
                  const char *description, bool copy_description, menu_action_t action,
                  void *first, int first_size, void *second, int second_size) {
    if (!menu || !choice) return nullptr;
    auto at = menu->entries.end();
    if (where != 0) {
        if (!existing) return nullptr;
        at = find_choice(menu, existing);
        if (at == menu->entries.end()) return nullptr;
        if (where > 0) ++at;
    }
    Element element = make_element(choice, description, copy_description, action, first,
                                   first_size, second, second_size);
    if (where == 0) widen(menu, choice);
    menu->entries.insert(at, element);
    return element.entry;
}

}  // namespace

extern "C" {

menu_t *menu_init(const char *title, const char *quit_choice) {
    auto *menu = new menu_t;
    menu->quit_choice = quit_choice ? quit_choice : "";
    make_borders(menu, title);
    copy_text(menu->language, menu_global_language, kLanguageChars);
    return menu;
}

menu_t *menu_init_with_table(const char *title, const char *quit_choice, menu_entry_t *table) {
    return menu_add_table(menu_init(title, quit_choice), table);
}

menu_t *menu_init_with_language(const char *title, const char *quit_choice, const char *language) {
    menu_t *menu = menu_init(title, quit_choice);
    menu_set_language(menu, language);
    return menu;
}

int menu_set_global_language(const char *language) {
    return set_language(menu_global_language, language, "menu_set_global_language()");
}

int menu_set_language(menu_t *menu, const char *language) {
    if (!menu) return -1;
    return set_language(menu->language, language, "menu_set_language()");
}

void menu_set_hidden(int flag) { HiddenMenus = flag != 0; }

menu_t *menu_add_table(menu_t *menu, menu_entry_t *table) {
    if (!menu || !table) return menu;
    for (menu_entry_t *entry = table; entry->choice; ++entry) {
        menu->entries.push_back({entry, false, false, 0, 0});
        widen(menu, entry->choice);
    }
    return menu;
}

menu_entry_t *menu_add_entry(menu_t *menu, const char *choice, const char *description,
                             menu_action_t action, void *first, int first_size, void *second,
                             int second_size) {
    return add(menu, nullptr, 0, choice, description, true, action, first, first_size, second,
               second_size);
}

menu_entry_t *menu_add_dynamic_entry(menu_t *menu, const char *choice, const char *description,
                                     menu_action_t action, void *first, int first_size,
                                     void *second, int second_size) {
    return add(menu, nullptr, 0, choice, description, false, action, first, first_size, second,
               second_size);
}

menu_entry_t *menu_add_entry_before_choice(menu_t *menu, const char *existing, const char *choice,
                                           const char *description, menu_action_t action,
                                           void *first, int first_size, void *second,
                                           int second_size) {
    return add(menu, existing, -1, choice, description, true, action, first, first_size, second,
               second_size);
}

menu_entry_t *menu_add_entry_after_choice(menu_t *menu, const char *existing, const char *choice,
                                          const char *description, menu_action_t action,
                                          void *first, int first_size, void *second,
                                          int second_size) {
    return add(menu, existing, 1, choice, description, true, action, first, first_size, second,
               second_size);
}

int menu_remove_entry(menu_t *menu, menu_entry_t *entry) {
    if (!menu || !entry) return 0;
    auto it = std::find_if(menu->entries.begin(), menu->entries.end(),
                           [&](const Element &e) { return e.entry == entry; });
    if (it == menu->entries.end()) return 0;
    if (menu->selected == entry) menu->selected = nullptr;
    release(*it);
    menu->entries.erase(it);
    return 1;
}

int menu_remove_choice(menu_t *menu, const char *choice) {
    if (!menu || !choice) return 0;
    auto it = find_choice(menu, choice);
    return it == menu->entries.end() ? 0 : menu_remove_entry(menu, it->entry);
}

menu_entry_t *menu_entry_with_choice(menu_t *menu, const char *choice) {
    if (!menu || !choice) return nullptr;
    auto it = find_choice(menu, choice);
    return it == menu->entries.end() ? nullptr : it->entry;
}

int menu_run(menu_t *menu) {
    if (!menu) return 1;
    bool quit = false;
    int code = 0;
    do {
        code = do_action(menu, get_option(menu), quit);
    } while (code == 0 && !quit);
    return code;
}

menu_entry_t *menu_selected_entry(menu_t *menu) { return menu ? menu->selected : nullptr; }

void menu_set_quit_choice(menu_t *menu, const char *choice) {
    if (menu) menu->quit_choice = choice ? choice : "";
}

const char *menu_get_quit_choice(menu_t *menu) { return menu ? menu->quit_choice.c_str() : nullptr; }

void menu_set_pre_action(menu_t *menu, menu_action_t action, void *first, int first_size,
                         void *second, int second_size) {
    if (menu) set_side_action(menu->pre, "Pre-Action", action, first, first_size, second, second_size);
}

void menu_set_post_action(menu_t *menu, menu_action_t action, void *first, int first_size,
                          void *second, int second_size) {
    if (menu)
        set_side_action(menu->post, "Post-Action", action, first, first_size, second, second_size);
}

void menu_set_columns(menu_t *menu, int columns) {
    if (menu) menu->columns = std::clamp(columns, 0, kRowWidth);
}

int menu_return(void *value, void *) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(value));
}

void menu_term(menu_t *menu) {
    if (!menu) return;
    for (auto &element : menu->entries) release(element);
    release(menu->pre);
    release(menu->post);
    delete menu;
}

void menu_directives_help(void) { message_in(menu_global_language, 49); }

}  // extern "C"

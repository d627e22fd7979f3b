// Choices: character choices (keys given or made), numbered choices and
// yes/no questions, all read through input().
#include <ORVCommonKit/choose.h>
#include <ORVCommonKit/input.h>
#include <ORVCommonKit/tr.h>

#include "console/input_state.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using orv::console::Input_at_end;
using orv::console::kLineChars;

namespace {

constexpr int kAttemptsPerShowing = 4;
constexpr int kScreenWidth = 80;
constexpr int kIndentLimit = 58;

int length(const char *text) { return text ? static_cast<int>(std::strlen(text)) : 0; }

// The key of the item at index when the keys are made.
char made_key(int index) { return static_cast<char>(index < 9 ? '1' + index : 'a' + (index - 9)); }

struct Choice {
    const char *title;
    std::string keys;
    std::vector<const char *> items;
    const int *values;    // null: no values
    bool keys_given;
    int default_index;    // -1: none
    std::string key_list;  // "1, [2], 3"
    int longest = 0;
};

int default_item(const Choice &c, int default_choice) {
    const int n = static_cast<int>(c.items.size());
    for (int i = 0; i < n; ++i) {
        if (c.values) {
            if (c.values[i] == default_choice) return i;
        } else if (c.keys_given) {
            if (default_choice > 0 && static_cast<unsigned char>(c.keys[i]) == default_choice) return i;
        } else if (i == default_choice) {
            return i;
        }
    }
    return -1;
}

void display_choices(const Choice &c) {
    const char *title = c.title ? c.title : "";
    const int title_length = length(title);
    const int n = static_cast<int>(c.items.size());
    if (n <= 8) {
        std::printf("%s", title);
        for (int i = 0; i < n; ++i) {
            if (i == 0) std::printf("  %c. %s\n", c.keys[i], c.items[i]);
            else std::printf("%*s  %c. %s\n", title_length, "", c.keys[i], c.items[i]);
        }
        if (title_length + static_cast<int>(c.key_list.size()) <= kIndentLimit)
            std::printf("%*s  Enter choice (%s)", title_length, "", c.key_list.c_str());
        else
            std::printf("Enter choice (%s)", c.key_list.c_str());
        return;
    }
    std::printf("%s\n", title);
    const int columns = std::max(1, kScreenWidth / (c.longest + 8));
    const int rows = (n + columns - 1) / columns;
    for (int r = 0; r < rows; ++r) {
        for (int col = 0; col < columns; ++col) {
            const int i = r + col * rows;
            if (i < n) std::printf("    %c. %-*s", c.keys[i], c.longest, c.items[i]);
        }
        std::printf("\n");
    }
    std::printf("Enter choice (%s)", c.key_list.c_str());
}

// Asks until the answer is a key; the index of the chosen item, or -1 at end
// of input or "!quit".
int ask(const Choice &c) {
    char line[kLineChars + 1];
    int showings = 0;
    for (int attempt = 0;; ++attempt) {
        if (attempt % kAttemptsPerShowing == 0) {
            if (showings++ > 0)
                std::printf("\nPlease enter one of these characters only: %s\n", c.key_list.c_str());
            display_choices(c);
        } else {
            std::printf("  Choose again");
        }
        input(line);
        if (Input_at_end || std::strcmp(line, "!quit") == 0) return -1;
        char key;
        if (line[0]) {
            key = line[0];
        } else if (c.default_index >= 0) {
            key = c.keys[static_cast<std::size_t>(c.default_index)];
        } else {
            std::printf("There is no default value.");
            continue;
        }
        const auto at = c.keys.find(key);
        if (at == std::string::npos) {
            std::printf("Invalid choice '%c'.", key);
            continue;
        }
        return static_cast<int>(at);
    }
}

// A character choice; the answer as the data model of choices describes it.
int make_choice(const char *title, int default_choice, const char *keys,
                std::vector<const char *> items, const int *values) {
    Choice c{title, {}, std::move(items), values, keys != nullptr, -1, {}, 0};
    if (c.items.size() > choose_MAX_ITEMS) c.items.resize(choose_MAX_ITEMS);
    if (keys) {
        c.keys.assign(keys, std::min(std::strlen(keys), c.items.size()));
        c.items.resize(c.keys.size());
    } else {
        for (std::size_t i = 0; i < c.items.size(); ++i) c.keys.push_back(made_key(static_cast<int>(i)));
    }
    for (auto &item : c.items)
        if (!item) item = "";
    c.default_index = default_item(c, default_choice);
    for (std::size_t i = 0; i < c.keys.size(); ++i) {
        if (i) c.key_list += ", ";
        if (static_cast<int>(i) == c.default_index) c.key_list += std::string("[") + c.keys[i] + "]";
        else c.key_list += c.keys[i];
        c.longest = std::max(c.longest, length(c.items[i]));
    }
    const int chosen = ask(c);
    if (chosen < 0) return 0;
    if (values) return values[chosen];
    if (keys) return static_cast<unsigned char>(c.keys[static_cast<std::size_t>(chosen)]);
    return chosen;
}

int invalid(const char *function) {
    tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "INVALID PARAMETER", "ORVCommonKit",
             "%s: no items or keys given.", function);
    return 0;
}

void display_numbers(const char *title, const char *const *items, int count, int longest) {
    title = title ? title : "";
    const int title_length = length(title);
    auto item = [&](int i) { return items[i] ? items[i] : ""; };
    if (count <= 8) {
        std::printf("%s", title);
        for (int i = 0; i < count; ++i) {
            if (i == 0) std::printf("  %d. %s\n", i + 1, item(i));
            else std::printf("%*s  %d. %s\n", title_length, "", i + 1, item(i));
        }
        std::printf("%*s  q. Quit \n", title_length, "");
        std::printf("%*s  Enter choice: ", title_length, "");
        return;
    }
    std::printf("%s\n", title);
    const int columns = std::max(1, kScreenWidth / (longest + 8));
    const int rows = (count + columns - 1) / columns;
    for (int r = 0; r < rows; ++r) {
        for (int col = 0; col < columns; ++col) {
            const int i = r + col * rows;
            if (i < count) std::printf("    %d. %-*s", i + 1, longest, item(i));
        }
        std::printf("\n");
    }
    std::printf("    q. Quit \n");
    std::printf("Enter choice: ");
}

// Reads Y or N: 1 or 0; -1 for a blank answer (blanks allowed), -2 at end of
// input.
int yes_or_no(const char *question, bool proceed) {
    for (;;) {
        if (question) std::printf("%s (Y/N)", question);
        else std::printf("Do you wish to proceed (Y/N)");
        char c = 0;
        const int got = input_upchar(&c);
        if (Input_at_end) {
            std::printf("Aborting due to <EOF>...\n");
            return -2;
        }
        if (!got) return -1;
        if (c == 'Y' || c == 'N') {
            if (proceed) std::printf(c == 'Y' ? "Proceeding...\n" : "Aborting...\n");
            return c == 'Y' ? 1 : 0;
        }
        std::printf("Please enter 'Y' or 'N' only.\n");
    }
}

}  // namespace

extern "C" {

int choose_from_array(const char *title, int default_choice, const char *keys, const char **items,
                      int count) {
    if (!items || count <= 0) return invalid("choose_from_array");
    const int used = std::min(count, choose_MAX_ITEMS);  // never read past the work limit
    return make_choice(title, default_choice, keys, std::vector<const char *>(items, items + used),
                       nullptr);
}

int choose_from_args(const char *title, int default_key, const char *keys, ...) {
    if (!keys || !*keys) return invalid("choose_from_args");
    const std::size_t count = std::min<std::size_t>(std::strlen(keys), choose_MAX_ITEMS);
    std::vector<const char *> items(count);
    va_list args;
    va_start(args, keys);
    for (auto &item : items) item = va_arg(args, const char *);
    va_end(args);
    return make_choice(title, default_key, keys, std::move(items), nullptr);
}

int choose_from_enum(const char *title, int default_value, const char *keys, ...) {
    if (!keys || !*keys) return invalid("choose_from_enum");
    const std::size_t count = std::min<std::size_t>(std::strlen(keys), choose_MAX_ITEMS);
    std::vector<const char *> items(count);
    std::vector<int> values(count);
    va_list args;
    va_start(args, keys);
    for (std::size_t i = 0; i < count; ++i) {
        items[i] = va_arg(args, const char *);
        values[i] = va_arg(args, int);
    }
    va_end(args);
    return make_choice(title, default_value, keys, std::move(items), values.data());
}

int choose_from_numbers(const char *title, int default_index, const char **items, int count) {
    if (!items || count <= 0) return invalid("choose_from_numbers") - 1;
    if (default_index < -1 || default_index >= count) default_index = -1;
    int longest = 0;
    for (int i = 0; i < count; ++i) longest = std::max(longest, length(items[i]));
    char line[kLineChars + 1];
    int number = 0;
    int showings = 0;
    for (int attempt = 0;; ++attempt) {
        if (attempt % kAttemptsPerShowing == 0) {
            if (showings++ > 0) {
                std::printf("\nPlease enter one of the following values only: ");
                for (int i = 1; i <= count; ++i) std::printf("%d, ", i);
                std::printf("q \n");
            }
            display_numbers(title, items, count, longest);
        } else {
            std::printf("  Choose again");
        }
        input(line);
        if (!line[0]) return default_index;
        if (std::strcmp(line, "q") == 0 || std::strcmp(line, "Q") == 0) return -1;
        char *end = nullptr;
        const long read = std::strtol(line, &end, 10);
        if (end != line) number = static_cast<int>(std::clamp<long>(read, INT_MIN, INT_MAX));
        if (number >= 1 && number <= count) return number - 1;
        std::printf("Invalid choice '%d'.", number);
    }
}

int choose_bool(const char *question) { return yes_or_no(question, false) == 1; }

int choose_proceed(const char *question) { return yes_or_no(question, true) == 1; }

int choose_opt_bool(int *flag, const char *question) {
    const int previous = input_allow_blank(1);
    const int answer = yes_or_no(question, false);
    input_allow_blank(previous);
    if (answer < 0) return 0;
    if (flag) *flag = answer;
    return 1;
}

int chosen_index(int c, const char *keys) {
    if (c == 0) return -1;
    // A character is one byte, given as a char or as an unsigned char; any
    // other number is none of the keys (strchr would look at its low byte).
    if (!keys || c < CHAR_MIN || c > UCHAR_MAX) return -2;
    const char *at = std::strchr(keys, c);
    return at ? static_cast<int>(at - keys) : -2;
}

void choose_directives_help(void) {
    std::printf("CHOOSE DIRECTIVES\n    These directives are available when a choose function is "
                "active.\n\n    !quit   Terminates the current choose_ function.\n\n");
}

}  // extern "C"

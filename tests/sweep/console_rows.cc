// Sweep rows of the console family (input engine, choices, menus, linked
// lists) and of the localized strings. Every row reads from an empty
// standard input, so questions meet the end of input at once; the typed
// readers keep asking until the end-of-input limit ends the process with its
// documented status 100.
#include "sweep.h"

namespace {

const char *kItems[] = {"red", "green", "blue"};

int answer(void *, void *) { return 0; }

// A menu with two entries, released after call has used it.
long with_menu(const std::function<long(menu_t *)> &call) {
    menu_t *menu = menu_init("Sweep", "q");
    menu_add_entry(menu, "a", "first", answer, nullptr, 0, nullptr, 0);
    menu_add_entry(menu, "b", "second", nullptr, nullptr, 0, nullptr, 0);
    const long result = call(menu);
    menu_term(menu);
    return result;
}

// A created list holding two items, disposed of after call has used it.
long with_list(const std::function<long(ll_list_t *)> &call) {
    static char a[] = "a", b[] = "b";
    ll_list_t list{};
    ll_create_list(&list);
    ll_add_item(&list, ll_END, a);
    ll_add_item(&list, ll_END, b);
    const long result = call(&list);
    while (ll_delete_item(&list, ll_FRONT)) {
    }
    ll_dispose_list(&list);
    return result;
}

ORVString *string_or_null(const char *text) { return text ? orv_string_create(text) : nullptr; }

}  // namespace

SWEEP_ROWS(console) {
    // ---- Settings and texts of the input engine ----
    rows.text("input_set_prompt", [](const char *t) { input_set_prompt(t); return long(std::strlen(input_get_prompt()) == std::min<size_t>(t ? std::strlen(t) : 0, 160)); }, {1, 1, 1});
    rows.add("input_get_prompt", "before any setting", [] { return long(input_get_prompt() != nullptr); }, 1);
    rows.texts({-1, -1, -1}, {SWEEP_TEXT(input_set_language, t)});
    for (const auto &[name, call] : {SWEEP_TEXT(input_is_empty, t), SWEEP_TEXT(input_is_blank, t)}) rows.text(name, call, {1, 1});
    rows.text("input_duplicate_string", [](const char *t) { char *copy = input_duplicate_string(t); std::free(copy); return long(copy != nullptr); }, {1, 1});
    rows.path("input_record_to_file", [](const char *p) { input_record_to_file(p); input_record_to_file(nullptr); return long(input(nullptr)); });
    rows.path("input_playback_from_file", [](const char *p) { input_playback_from_file(p); return long(input(nullptr) >= 0); }, {1, 1});
    rows.text("input_playback_tokens_in_buffer", [](const char *t) {
        input_playback_tokens_in_buffer(t);
        char line[161];
        for (int i = 0; i < 5; ++i) input(line);
        return 0L;
    });
    rows.integer("input_enable_token_mode", [](int v) { input_enable_token_mode(v); return long(input_enable_token_mode(0)); });
    rows.integer("input_allow_blank", [](int v) { input_allow_blank(v); return long(input_allow_blank(0)); });

    // ---- Reading at the end of input ----
    rows.add("input", "null buffer", [] { return long(input(nullptr)); }, 0);
    rows.each("buffer of 161 bytes against an unreadable page", 0, {SWEEP_CALL(input, sweep::guarded_buffer(161)), SWEEP_CALL(input_nonblank, sweep::guarded_buffer(161))});
    rows.texts({}, {SWEEP_TEXT(input_default, sweep::guarded_buffer(161), t)});
    rows.add("input_default", "null buffer", [] { input_default(nullptr, "x"); return 0L; });
    rows.may_exit(100);
    rows.add("input_bit", "input at its end", [] { return long(input_bit()); });
    for (const auto &[name, call] : {SWEEP_CALL(input_byte, nullptr), SWEEP_CALL(input_int, nullptr), SWEEP_CALL(input_uint, nullptr),
                                     SWEEP_CALL(input_int16, nullptr), SWEEP_CALL(input_long, nullptr), SWEEP_CALL(input_ulong, nullptr),
                                     SWEEP_CALL(input_char, nullptr), SWEEP_CALL(input_upchar, nullptr)})
        rows.add(name, "null value", call);
    rows.add("choose_from_numbers", "input at its end", [] { return long(choose_from_numbers("N", 0, kItems, 3)); });
    rows.may_exit(0);

    // ---- Choices ----
    rows.texts({0, 0, 0}, {SWEEP_TEXT(choose_from_array, t, 1, nullptr, kItems, 3), SWEEP_TEXT(choose_from_args, t, 'b', "ab", "A", "B"),
                        SWEEP_TEXT(choose_from_enum, t, 2, "ab", "A", 1, "B", 2), SWEEP_TEXT(choose_bool, t), SWEEP_TEXT(choose_proceed, t),
                        SWEEP_TEXT(choose_opt_bool, nullptr, t)});
    rows.integers(0, {SWEEP_INT(choose_from_array, "T", v, nullptr, nullptr, v)});
    rows.add("choose_from_args", "null keys", [] { return long(choose_from_args("T", 0, nullptr)); }, 0);
    rows.add("choose_from_enum", "empty keys", [] { return long(choose_from_enum("T", 0, "")); }, 0);
    rows.integers(-1, {SWEEP_INT(choose_from_numbers, "T", v, nullptr, v)});
    rows.texts({}, {SWEEP_TEXT(chosen_index, '%', t)});
    rows.integers(std::nullopt, {SWEEP_INT(chosen_index, v, "abc")});

    // ---- Menus ----
    rows.text2("menu_init", [](const char *a, const char *b) { menu_term(menu_init(a, b)); return 0L; }, "q");
    rows.text("menu_init_with_table", [](const char *t) { menu_term(menu_init_with_table(t, t, nullptr)); return 0L; });
    rows.text("menu_init_with_language", [](const char *t) { menu_term(menu_init_with_language("T", "q", t)); return 0L; });
    rows.texts({-1, -1, -1}, {SWEEP_TEXT(menu_set_global_language, t)});
    rows.text("menu_set_language", [](const char *t) { return with_menu([t](menu_t *m) { return long(menu_set_language(m, t)); }); }, {-1, -1});
    rows.add("menu_set_language", "null menu", [] { return long(menu_set_language(nullptr, "enu")); }, -1);
    rows.integers(std::nullopt, {SWEEP_INT(menu_set_hidden, v)});
    rows.text2("menu_add_entry", [](const char *a, const char *b) { return with_menu([a, b](menu_t *m) { menu_add_entry(m, a, b, nullptr, nullptr, -1, nullptr, 0); return 0L; }); }, "x");
    rows.text2("menu_add_dynamic_entry", [](const char *a, const char *b) { return with_menu([a, b](menu_t *m) { menu_add_dynamic_entry(m, a, b, nullptr, nullptr, 0, nullptr, -1); return 0L; }); }, "x");
    rows.text2("menu_add_entry_before_choice", [](const char *a, const char *b) { return with_menu([a, b](menu_t *m) { menu_add_entry_before_choice(m, a, b, "d", nullptr, nullptr, 0, nullptr, 0); return 0L; }); }, "a");
    rows.text2("menu_add_entry_after_choice", [](const char *a, const char *b) { return with_menu([a, b](menu_t *m) { menu_add_entry_after_choice(m, a, b, "d", nullptr, nullptr, 0, nullptr, 0); return 0L; }); }, "b");
    rows.add("menu_remove_entry", "null entry", [] { return with_menu([](menu_t *m) { return long(menu_remove_entry(m, nullptr)); }); }, 0);
    rows.text("menu_remove_choice", [](const char *t) { return with_menu([t](menu_t *m) { return long(menu_remove_choice(m, t)); }); }, {0, 0});
    rows.text("menu_entry_with_choice", [](const char *t) { return with_menu([t](menu_t *m) { return long(menu_entry_with_choice(m, t) != nullptr); }); }, {0, 0});
    rows.add("menu_run", "null menu", [] { return long(menu_run(nullptr)); }, 1);
    rows.add("menu_run", "input at its end", [] { return with_menu([](menu_t *m) { return long(menu_run(m)); }); }, 1);
    rows.text("menu_set_quit_choice", [](const char *t) { return with_menu([t](menu_t *m) { menu_set_quit_choice(m, t); return long(menu_get_quit_choice(m) != nullptr); }); }, {1, 1});
    rows.integer("menu_set_pre_action", [](int size) { return with_menu([size](menu_t *m) { menu_set_pre_action(m, answer, nullptr, size < 0 ? size : 0, nullptr, 0); menu_set_pre_action(m, nullptr, nullptr, 0, nullptr, 0); return 0L; }); });
    rows.integer("menu_set_post_action", [](int size) { return with_menu([size](menu_t *m) { menu_set_post_action(m, answer, nullptr, 0, nullptr, size < 0 ? size : 0); return 0L; }); });
    rows.integer("menu_set_columns", [](int v) { return with_menu([v](menu_t *m) { menu_set_columns(m, v); return long(menu_run(m)); }); }, 1);
    rows.add("menu_term", "null menu", [] { menu_term(nullptr); return 0L; });
    rows.each("null menu (and arguments)", 0, {SWEEP_CALL(menu_remove_entry, nullptr, nullptr), SWEEP_CALL(menu_selected_entry, nullptr),
                                               SWEEP_CALL(menu_get_quit_choice, nullptr), SWEEP_CALL(menu_add_table, nullptr, nullptr),
                                               SWEEP_CALL(menu_return, nullptr, nullptr)});

    // ---- Linked lists ----
    rows.each("no arguments", std::nullopt, {SWEEP_CALL(ll_init), SWEEP_CALL(ll_term), SWEEP_CALL(input_directives_help),
                                             SWEEP_CALL(choose_directives_help), SWEEP_CALL(menu_directives_help)});
    rows.integer("ll_add_item", [](int code) { return with_list([code](ll_list_t *l) { static char c[] = "c"; return long(ll_add_item(l, code, c)); }); });
    rows.add("ll_add_item", "list never created", [] { static char c[] = "c"; ll_list_t l{}; return long(ll_add_item(&l, ll_END, c)); }, -1);
    rows.integer("ll_delete_item", [](int code) { return with_list([code](ll_list_t *l) { return long(ll_delete_item(l, code) != nullptr); }); });
    for (auto [name, walk] : {std::pair{"ll_get_next_item", &ll_get_next_item}, {"ll_get_prev_item", &ll_get_prev_item},
                              {"ll_get_curr_item", &ll_get_curr_item}, {"ll_get_head_item", &ll_get_head_item},
                              {"ll_get_tail_item", &ll_get_tail_item}}) {
        rows.add(name, "null list", [walk] { return long(walk(nullptr) != nullptr); }, 0);
        rows.add(name, "list never created", [walk] { ll_list_t l{}; return long(walk(&l) != nullptr); }, 0);
    }
    rows.integer("ll_get_nth_item", [](int n) { return with_list([n](ll_list_t *l) { return long(ll_get_nth_item(l, n) != nullptr); }); });
    rows.each("null list", -1, {SWEEP_CALL(ll_create_list, nullptr), SWEEP_CALL(ll_num_of_items, nullptr), SWEEP_CALL(ll_dispose_list, nullptr)});
    rows.each("null list", 0, {SWEEP_CALL(ll_delete_item, nullptr, 0), SWEEP_CALL(ll_sort, nullptr, nullptr)});
    rows.add("ll_sort", "null comparison", [] { return with_list([](ll_list_t *l) { return long(ll_sort(l, nullptr) != nullptr); }); }, 1);

    // ---- Localized strings ----
    rows.add("orvlocale_init", "no interface group", [] { return long(orvlocale_init()); }, -1);
    rows.add("orvlocale_term", "never started", [] { return long(orvlocale_term()); }, 0);
    rows.text("orvlocale_string_from_table_in_language", [](const char *t) {
        ORVString *s = string_or_null(t);
        const long found = orvlocale_string_from_table_in_language(nullptr, s, s, s, s) != nullptr;
        orv_object_release(ORV_OBJECT(s));
        return found;
    }, {0, 0});
    rows.add("orvlocale_get_all_supported_languages", "null count",
             [] { return long(orvlocale_get_all_supported_languages(nullptr) != nullptr); }, 0);
    rows.integers(std::nullopt, {SWEEP_INT(orvlocale_free_array, nullptr, v)});
    rows.integers(0, {SWEEP_INT(orvlocale_get_language_name, v)});
    rows.texts({0, 0, 0}, {SWEEP_TEXT(orvlocale_is_this_language_supported, t)});
}

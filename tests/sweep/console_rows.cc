// Sweep rows of the console: input lines, typed readers, choices and menus
// fed hostile playback texts (standard input is empty in the sweep), and
// linked lists with null lists and positions out of range. A reader that
// meets the end of its input often enough ends the process with status 100,
// as documented; that counts as a normal end.
#include "sweep.h"

#include <ORVCommonKit/choose.h>
#include <ORVCommonKit/input.h>
#include <ORVCommonKit/ll.h>
#include <ORVCommonKit/menu.h>
#include <ORVCommonKit/orvstd.h>

#include <climits>
#include <cstring>

namespace {

// Plays back text as the next answers (null stays null).
void answers(const char *text) { input_playback_tokens_in_buffer(text); }

int action(void *, void *) { return 0; }

constexpr int kLine = 161;

}  // namespace

SWEEP_ROWS(console) {
    rows.may_exit(100);
    rows.text("input_set_language", [](const char *t) { input_set_language(t); return 0L; });
    rows.add("input_get_prompt", "fresh", [] { input_get_prompt(); return 0L; });
    rows.text("input_set_prompt", [](const char *t) { input_set_prompt(t); input_get_prompt(); answers("x"); input(sweep::guarded_buffer(kLine)); return 0L; });
    rows.text("input_record_to_file", [](const char *t) { input_record_to_file(t); answers("x y"); input(sweep::guarded_buffer(kLine)); input_record_to_file(nullptr); return 0L; });
    rows.path("input_playback_from_file", [](const char *t) { input_playback_from_file(t); input(sweep::guarded_buffer(kLine)); return 0L; });
    rows.text("input_playback_tokens_in_buffer", [](const char *t) { answers(t); for (int i = 0; i < 3; ++i) input(sweep::guarded_buffer(kLine)); return 0L; });
    rows.text("input_is_empty", [](const char *t) { return long(input_is_empty(t) > 1); }, {0, 0});
    rows.text("input_is_blank", [](const char *t) { return long(input_is_blank(t) > 1); }, {0, 0});
    rows.text("input", [](const char *t) { answers(t); input(nullptr); answers(t); input(sweep::guarded_buffer(kLine)); return 0L; });
    rows.text("input_nonblank", [](const char *t) { answers(t); input_nonblank(sweep::guarded_buffer(kLine)); return 0L; });
    rows.text("input_default", [](const char *t) { answers(""); input_default(sweep::guarded_buffer(kLine), t); return 0L; });
    rows.text("input_bit", [](const char *t) { answers(t); input_bit(); return 0L; });
    rows.text("input_byte", [](const char *t) { unsigned char v; answers(t); input_byte(&v); return 0L; });
    rows.text("input_int", [](const char *t) { int v; answers(t); input_int(&v); return 0L; });
    rows.text("input_uint", [](const char *t) { unsigned v; answers(t); input_uint(&v); return 0L; });
    rows.text("input_int16", [](const char *t) { int v; answers(t); input_int16(&v); return 0L; });
    rows.text("input_long", [](const char *t) { int v; answers(t); input_long(&v); return 0L; });
    rows.text("input_ulong", [](const char *t) { unsigned v; answers(t); input_ulong(&v); return 0L; });
    rows.text("input_char", [](const char *t) { char v; answers(t); input_char(&v); return 0L; });
    rows.text("input_upchar", [](const char *t) { char v; answers(t); input_upchar(&v); return 0L; });
    for (const char *typed : {"input_byte", "input_int", "input_uint", "input_int16", "input_long", "input_ulong", "input_char", "input_upchar"})
        rows.add(typed, "null output", [fn = std::string(typed)] {
            answers("12");
            if (fn == "input_byte") input_byte(nullptr);
            else if (fn == "input_int") input_int(nullptr);
            else if (fn == "input_uint") input_uint(nullptr);
            else if (fn == "input_int16") input_int16(nullptr);
            else if (fn == "input_long") input_long(nullptr);
            else if (fn == "input_ulong") input_ulong(nullptr);
            else if (fn == "input_char") input_char(nullptr);
            else input_upchar(nullptr);
            return 0L;
        });
    rows.text("input_duplicate_string", [](const char *t) { char *d = input_duplicate_string(t); std::free(d); return 0L; });
    rows.integer("input_enable_token_mode", [](int v) { input_enable_token_mode(v); answers("a b"); input(sweep::guarded_buffer(kLine)); return 0L; });
    rows.integer("input_allow_blank", [](int v) { input_allow_blank(v); answers(""); input_nonblank(sweep::guarded_buffer(kLine)); return 0L; });
    rows.add("input_directives_help", "once", [] { input_directives_help(); return 0L; });

    // Choices.
    rows.text("choose_from_array", [](const char *t) {
        const char *items[] = {t, "two", nullptr};
        answers(t);
        choose_from_array(t, 0, t, items, 3);
        answers("z");
        for (int v : sweep::ints()) choose_from_array(t, v, "ab", items, v > 3 || v < 0 ? 0 : v);
        return 0L;
    });
    rows.add("choose_from_array", "null items with a count", [] { answers("a"); choose_from_array("T", 0, "ab", nullptr, 5); return 0L; });
    rows.text("choose_from_args", [](const char *t) { answers(t); choose_from_args(t, 'a', "ab", t, "two"); answers("b"); choose_from_args(nullptr, 0, nullptr); return 0L; });
    rows.text("choose_from_enum", [](const char *t) { answers(t); choose_from_enum(t, 7, "ab", t, 7, "two", 8); answers("a"); choose_from_enum(t, 0, nullptr); return 0L; });
    rows.text("choose_from_numbers", [](const char *t) { const char *items[] = {t, "two"}; answers(t); choose_from_numbers(t, 1, items, 2); answers("1"); choose_from_numbers(t, INT_MAX, nullptr, INT_MAX); return 0L; });
    rows.text("choose_bool", [](const char *t) { answers(t); choose_bool(t); return 0L; });
    rows.text("choose_proceed", [](const char *t) { answers(t); choose_proceed(t); return 0L; });
    rows.text("choose_opt_bool", [](const char *t) { int f = 0; answers(t); choose_opt_bool(&f, t); answers("y"); choose_opt_bool(nullptr, t); return 0L; });
    rows.text("chosen_index", [](const char *t) { for (int c : {-1, 0, int('a'), 255, INT_MAX}) chosen_index(c, t); return 0L; });
    rows.add("choose_directives_help", "once", [] { choose_directives_help(); return 0L; });

    // Menus.
    rows.text("menu_init", [](const char *t) { menu_t *m = menu_init(t, t); menu_add_entry(m, t, t, action, nullptr, 0, nullptr, 0); answers(t); menu_run(m); menu_term(m); return 0L; });
    rows.text("menu_init_with_table", [](const char *t) { menu_entry_t table[] = {{t, t, action, nullptr, nullptr}, {nullptr, nullptr, nullptr, nullptr, nullptr}}; menu_t *m = menu_init_with_table(t, "q", table); menu_term(m); menu_term(menu_init_with_table(t, t, nullptr)); return 0L; });
    rows.text("menu_init_with_language", [](const char *t) { menu_term(menu_init_with_language(t, t, t)); return 0L; });
    rows.text("menu_set_global_language", [](const char *t) { menu_set_global_language(t); return 0L; });
    rows.text("menu_set_language", [](const char *t) { menu_t *m = menu_init("T", "q"); menu_set_language(m, t); menu_set_language(nullptr, t); menu_term(m); return 0L; });
    rows.integer("menu_set_hidden", [](int v) { menu_set_hidden(v); return 0L; });
    rows.add("menu_add_table", "null menu and table", [] { menu_add_table(nullptr, nullptr); menu_t *m = menu_init("T", "q"); menu_add_table(m, nullptr); menu_term(m); return 0L; });
    for (int size : {INT_MIN, -1, 0, 1 << 20}) {
        const std::string args = "argument size " + std::to_string(size);
        rows.add("menu_add_entry", args, [size] { char arg[4] = "abc"; menu_t *m = menu_init("T", "q"); menu_add_entry(m, "a", "A", action, arg, size < 4 ? size : 4, nullptr, size); menu_add_entry(nullptr, "a", "A", nullptr, nullptr, size, nullptr, size); menu_term(m); return 0L; });
        rows.add("menu_add_dynamic_entry", args, [size] { char arg[4] = "abc"; menu_t *m = menu_init("T", "q"); menu_add_dynamic_entry(m, "a", "A", action, arg, size < 4 ? size : 4, arg, size < 4 ? size : 4); menu_term(m); return 0L; });
        rows.add("menu_set_pre_action", args, [size] { char arg[4] = "abc"; menu_t *m = menu_init("T", "q"); menu_set_pre_action(m, action, arg, size < 4 ? size : 4, nullptr, size); menu_set_pre_action(nullptr, nullptr, nullptr, size, nullptr, size); menu_term(m); return 0L; });
        rows.add("menu_set_post_action", args, [size] { char arg[4] = "abc"; menu_t *m = menu_init("T", "q"); menu_set_post_action(m, action, arg, size < 4 ? size : 4, nullptr, size); menu_set_post_action(nullptr, nullptr, nullptr, size, nullptr, size); menu_term(m); return 0L; });
    }
    rows.text("menu_add_entry", [](const char *t) { menu_t *m = menu_init("T", "q"); menu_add_entry(m, t, t, action, nullptr, 0, nullptr, 0); menu_add_entry(m, t, t, nullptr, nullptr, 0, nullptr, 0); menu_term(m); return 0L; });
    rows.text("menu_add_entry_before_choice", [](const char *t) { menu_t *m = menu_init("T", "q"); menu_add_entry(m, "a", "A", action, nullptr, 0, nullptr, 0); menu_add_entry_before_choice(m, t, t, t, action, nullptr, 0, nullptr, 0); menu_add_entry_before_choice(nullptr, t, t, t, action, nullptr, 0, nullptr, 0); menu_term(m); return 0L; });
    rows.text("menu_add_entry_after_choice", [](const char *t) { menu_t *m = menu_init("T", "q"); menu_add_entry(m, "a", "A", action, nullptr, 0, nullptr, 0); menu_add_entry_after_choice(m, "a", t, t, action, nullptr, 0, nullptr, 0); menu_add_entry_after_choice(m, t, "b", "B", action, nullptr, 0, nullptr, 0); menu_term(m); return 0L; });
    rows.add("menu_remove_entry", "null, foreign and twice", [] { menu_t *m = menu_init("T", "q"); menu_t *o = menu_init("O", "q"); menu_entry_t *e = menu_add_entry(o, "a", "A", action, nullptr, 0, nullptr, 0); menu_remove_entry(nullptr, nullptr); menu_remove_entry(m, e); menu_remove_entry(o, e); menu_remove_entry(o, e); menu_term(m); menu_term(o); return 0L; });
    rows.text("menu_remove_choice", [](const char *t) { menu_t *m = menu_init("T", "q"); menu_add_entry(m, "a", "A", action, nullptr, 0, nullptr, 0); menu_remove_choice(m, t); menu_remove_choice(nullptr, t); menu_term(m); return 0L; });
    rows.text("menu_entry_with_choice", [](const char *t) { menu_t *m = menu_init("T", "q"); menu_entry_with_choice(m, t); menu_entry_with_choice(nullptr, t); menu_term(m); return 0L; });
    rows.text("menu_run", [](const char *t) { menu_t *m = menu_init("T", "q"); menu_add_entry(m, "a", t, action, nullptr, 0, nullptr, 0); answers(t); menu_run(m); menu_selected_entry(m); menu_run(nullptr); menu_term(m); return 0L; });
    rows.add("menu_selected_entry", "null menu and before any run", [] { menu_selected_entry(nullptr); menu_t *m = menu_init("T", "q"); menu_selected_entry(m); menu_term(m); return 0L; });
    rows.text("menu_set_quit_choice", [](const char *t) { menu_t *m = menu_init("T", "q"); menu_set_quit_choice(m, t); menu_get_quit_choice(m); menu_set_quit_choice(nullptr, t); menu_term(m); return 0L; });
    rows.add("menu_get_quit_choice", "null menu", [] { menu_get_quit_choice(nullptr); return 0L; });
    rows.integer("menu_set_columns", [](int v) { menu_t *m = menu_init("T", "q"); for (int i = 0; i < 30; ++i) menu_add_entry(m, std::to_string(i).c_str(), "entry", action, nullptr, 0, nullptr, 0); menu_set_columns(m, v); menu_set_columns(nullptr, v); answers("q"); menu_run(m); menu_term(m); return 0L; });
    rows.add("menu_return", "null arguments", [] { menu_return(nullptr, nullptr); return 0L; });
    rows.add("menu_term", "null", [] { menu_term(nullptr); return 0L; });
    rows.add("menu_directives_help", "once", [] { menu_directives_help(); return 0L; });
    rows.may_exit(0);

    // Linked lists.
    rows.add("ll_init", "twice, then ll_term twice", [] { ll_init(); ll_init(); ll_term(); ll_term(); return 0L; });
    rows.add("ll_term", "without init", [] { ll_term(); return 0L; });
    rows.add("ll_create_list", "null", [] { return long(ll_create_list(nullptr)); });
    auto with_list = [](auto use) {
        return [use] {
            ll_list_t list{};
            ll_create_list(&list);
            static int items[3] = {1, 2, 3};
            for (int &i : items) ll_add_item(&list, 1, &i);
            use(&list);
            use(nullptr);
            while (ll_delete_item(&list, 0)) {}
            ll_dispose_list(&list);
            return 0L;
        };
    };
    for (int position : {INT_MIN, -1, 0, 3, 4, 5, INT_MAX}) {
        const std::string at = "position " + std::to_string(position);
        rows.add("ll_add_item", at, with_list([position](ll_list_t *l) { static int x = 9; ll_add_item(l, position, &x); ll_add_item(l, position, nullptr); }));
        rows.add("ll_delete_item", at, with_list([position](ll_list_t *l) { ll_delete_item(l, position); }));
        rows.add("ll_get_nth_item", at, with_list([position](ll_list_t *l) { ll_get_nth_item(l, position); }));
    }
    rows.add("ll_get_next_item", "past the end and on null", with_list([](ll_list_t *l) { for (int i = 0; i < 6; ++i) ll_get_next_item(l); }));
    rows.add("ll_get_prev_item", "before the start and on null", with_list([](ll_list_t *l) { for (int i = 0; i < 6; ++i) ll_get_prev_item(l); }));
    rows.add("ll_get_curr_item", "on null", with_list([](ll_list_t *l) { ll_get_curr_item(l); }));
    rows.add("ll_get_head_item", "on null", with_list([](ll_list_t *l) { ll_get_head_item(l); }));
    rows.add("ll_get_tail_item", "on null", with_list([](ll_list_t *l) { ll_get_tail_item(l); }));
    rows.add("ll_num_of_items", "on null", with_list([](ll_list_t *l) { ll_num_of_items(l); }));
    rows.add("ll_sort", "null compare and null list", with_list([](ll_list_t *l) { ll_sort(l, nullptr); ll_sort(l, [](const void *a, const void *b) { return *static_cast<const int *>(a) - *static_cast<const int *>(b); }); }));
    rows.add("ll_dispose_list", "null and with items", [] { ll_dispose_list(nullptr); ll_list_t list{}; ll_create_list(&list); static int x = 1; ll_add_item(&list, 0, &x); const long r = ll_dispose_list(&list); ll_delete_item(&list, 0); ll_dispose_list(&list); return r; }, -1);
}

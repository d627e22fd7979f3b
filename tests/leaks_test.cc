// What each family makes, its matching free or term gives back: every row
// runs a make-use-free round many times and the heap in use may not grow
// with the rounds. (Builds with the address sanitizer have the leak checker
// instead; its allocator keeps no arena figures.)
#include <ORVCommonKit/ORVCommonKit.h>

#include "support/orv_test_support.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <functional>
#include <string>

namespace {

// Bytes in use on the heap, blocks mapped on their own included.
size_t heap_in_use() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void menu_round() {
    menu_t *menu = menu_init("Leaks", "q");
    menu_add_entry(menu, "a", "first", nullptr, nullptr, 0, nullptr, 0);
    menu_add_entry_after_choice(menu, "a", "b", "second", nullptr, nullptr, 0, nullptr, 0);
    char argument[] = "copied";
    menu_add_entry(menu, "c", "third", nullptr, argument, sizeof argument, argument, sizeof argument);
    menu_remove_choice(menu, "a");
    menu_term(menu);
}

void list_round() {
    ll_list_t list{};
    ll_create_list(&list);
    static int items[3];
    for (int &item : items) ll_add_item(&list, ll_END, &item);
    while (ll_delete_item(&list, ll_FRONT)) {
    }
    ll_dispose_list(&list);  // refused while items remain
}

void handles_round() {
    ORVDictionary *dict = orv_mutable_dict_create();
    orv_mutable_dict_set_str_value_for_str_key(dict, "k", "value");
    orv_mutable_dict_set_int_value_for_str_key(dict, "k", 5);
    ORVArray *array = orv_array_create_with_capacity(2);
    orv_array_add_str(array, "text");
    orv_array_add_int(array, 7);
    orv_array_free(array);
    orv_dict_free(dict);
    char bytes[] = "data";
    orv_data_free(orv_data_create(bytes, sizeof bytes, 1));
    orv_time_free(orv_time_create(2026, 12, 6, 12, 0, 0));
    orv_result_t *cause = orv_result_new(__FILE__, __LINE__, nullptr, 0, 0, "t", "m", 1, nullptr, "x");
    orv_result_free(orv_result_new(__FILE__, __LINE__, nullptr, 0, 0, "t", "m", 2, cause, "y"));
}

void attributes_round() {
    orvdictc_attribute_t *list[orvdictc_LIST_SIZE] = {}, *copy[orvdictc_LIST_SIZE] = {};
    orvdictc_set_value_for_id_in_list("one", "A", orvdictc_TYPE_STRING, list);
    orvdictc_set_value_for_id_in_list("two", "A", orvdictc_TYPE_STRING, list);
    orvdictc_set_value_for_id_in_list("three", "B", orvdictc_TYPE_STRING, list);
    orvdictc_copy_attributes(list, copy);
    orvdictc_remove_attribute_from_list("B", list);
    orvdictc_free_attribute_list(list);
    orvdictc_free_attribute_list(copy);
}

void options_round() {
    char arg0[] = "prog", arg1[] = "-n", arg2[] = "5", arg3[] = "rest";
    char *argv[] = {arg0, arg1, arg2, arg3, nullptr};
    int n = 0;
    orvopt_p h = orvopt_init(4, argv);
    orvopt_extract(h, 'n', orvopt_INT, &n, 0);
    orvopt_term(h);
}

void configuration_round() {
    cf_init(nullptr);
    char buffer[32];
    cf_get_string(cf_DOMAIN_ALL, "viewer", "PORT", nullptr, buffer, sizeof buffer, "d");
    int count = 0;
    char *values[cf_MAX_VALUES];
    if (cf_get(cf_DOMAIN_ALL, "viewer", "LIST", nullptr, &count, values) == 0) cf_free(values, count);
    ORVConfigurationTable *table = nullptr;
    if (cf_read_entire_file(cf_DOMAIN_SITE, "viewer", &table) == 0) cf_free_table(&table);
    char **servers = nullptr;
    if (ut_get_remote_shared_servers(&count, &servers) == 0) ut_free_string_array(count, servers);
    cf_term();
}

TEST(Leaks, EveryRoundGivesBackWhatItTook) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the leak checker watches this build";
#endif
    orvtest::TempInstallation install;
    install.write("sys/data/cf/behavior.plist", "{ }");
    install.write("site/config/viewer.site", "PORT\tUSER\t104\nLIST\tUSER\ta b c\n");
    const struct {
        const char *what;
        void (*round)();
    } rows[] = {{"menus", menu_round},         {"linked lists", list_round}, {"handles", handles_round},
                {"attribute lists", attributes_round}, {"option handles", options_round},
                {"configuration start and stop", configuration_round}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        // Each round in a release pool of its own: its temporaries go with it.
        auto rounds = [&row](int n) {
            for (int i = 0; i < n; ++i) {
                ORVAutoreleasePool *pool = orvstd_create_autorel_pool();
                row.round();
                orvstd_destroy_autorel_pool(pool);
            }
        };
        rounds(50);  // caches fill once
        const size_t before = heap_in_use();
        constexpr int kRounds = 2000;
        rounds(kRounds);
        const size_t after = heap_in_use();
        // A lost block of any size costs at least 16 bytes a round.
        EXPECT_LT(after, before + kRounds * 8) << "grew by " << after - before << " bytes";
    }
}

}  // namespace

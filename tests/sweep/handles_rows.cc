// Sweep rows of the data, dictionary and array handles and the attribute
// lists: null handles, hostile keys and texts, hostile capacities, indexes
// and dates, description buffers that end against an unreadable page.
#include "sweep.h"

namespace {

// Runs fn on a dictionary holding a text, an array and a date, then frees it.
template <class Fn>
long with_dict(Fn fn) {
    ORVDictionary *d = orv_mutable_dict_create();
    orv_mutable_dict_set_str_value_for_str_key(d, "text", "2017-03-04 13:45:12 +0000");
    orv_mutable_dict_add_int_value_for_str_key(d, "list", 1);
    orv_mutable_dict_set_datetime_value_for_str_key(d, "date", 0);
    const long r = fn(d);
    orv_dict_free(d);
    return r;
}

}  // namespace

SWEEP_ROWS(handles) {
    using sweep::Expect;
    // Data handles.
    rows.add("orv_data_create", "null bytes with a length", [] { return long(orv_data_create(nullptr, 100, 1) != nullptr); }, 0);
    rows.text("orv_data_create", [](const char *t) { ORVData *d = orv_data_create(const_cast<char *>(t), t ? unsigned(std::strlen(t)) : 0, 1); const long r = long(orv_data_byte_count(d)) == long(t ? std::strlen(t) : 0); orv_data_free(d); return r; }, {1, 1});
    rows.path("orv_data_create_from_file", [](const char *t) { ORVData *d = orv_data_create_from_file(t); orv_data_free(d); return long(d != nullptr); }, {0, 0});
    rows.each("null (no pool either)", 0, {SWEEP_CALL(orv_data_copy, nullptr), SWEEP_CALL(orv_data_bytes, nullptr), SWEEP_CALL(orv_data_byte_count, nullptr),
                                           SWEEP_CALL(orv_data_object, nullptr), SWEEP_CALL(orv_data_create_from_object, nullptr),
                                           SWEEP_CALL(orv_dict_count, nullptr), SWEEP_CALL(orv_array_count, nullptr)});
    rows.each("null", std::nullopt, {SWEEP_CALL(orv_data_free, nullptr), SWEEP_CALL(orv_dict_free, nullptr), SWEEP_CALL(orv_array_free, nullptr)});

    // Dictionary handles: null dictionaries.
    rows.add("orv_mutable_dict_create", "twice", [] { orv_dict_free(orv_mutable_dict_create()); orv_dict_free(orv_mutable_dict_create()); return 0L; });
    rows.integer("orv_mutable_dict_create_with_capacity", [](int n) { ORVDictionary *d = orv_mutable_dict_create_with_capacity(unsigned(n)); orv_dict_free(d); return long(d != nullptr); }, 1);
    for (auto [name, all] : {std::pair{"orv_dict_all_keys", &orv_dict_all_keys}, {"orv_dict_all_values", &orv_dict_all_values}})
        rows.add(name, "null", [all] { ORVArray *a = all(nullptr); const long n = orv_array_count(a); orv_array_free(a); return n; }, 0);
    rows.add("orv_dict_description", "null", [] { return long(std::strlen(orv_dict_description(nullptr))); }, 0);
    rows.add("orv_dict_description", "a dictionary with a date and an array", [] { return with_dict([](ORVDictionary *d) { return long(std::strlen(orv_dict_description(d)) > 0); }); }, 1);
    rows.add("orv_dict_datetime_value_for_str_key", "null dictionary and outputs", [] { orv_dict_datetime_value_for_str_key(nullptr, "k", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); return 0L; });
    // Hostile keys and values on a filled dictionary.
    rows.text("orv_dict_does_key_exist", [](const char *t) { return with_dict([t](ORVDictionary *d) { return long(orv_dict_does_key_exist(d, t)); }); }, {0, 0, 0});
    rows.text("orv_mutable_dict_obj_value_for_str_key", [](const char *t) { return with_dict([t](ORVDictionary *d) { return long(orv_mutable_dict_obj_value_for_str_key(d, t) != nullptr); }); }, {0, 0, 0});
    rows.text("orv_dict_str_value_for_str_key", [](const char *t) { return with_dict([t](ORVDictionary *d) { orv_dict_str_value_for_str_key(d, "list"); return long(orv_dict_str_value_for_str_key(d, t) != nullptr); }); }, {0, 0, 0});
    rows.text("orv_dict_uint_value_for_str_key", [](const char *t) { return with_dict([t](ORVDictionary *d) { orv_mutable_dict_set_str_value_for_str_key(d, "v", t ? t : "-"); orv_dict_uint_value_for_str_key(d, "v"); return long(orv_dict_uint_value_for_str_key(d, t)); }); }, {0, 0, 0});
    rows.text("orv_dict_datetimestring_value_for_str_key", [](const char *t) { return with_dict([t](ORVDictionary *d) { orv_mutable_dict_set_str_value_for_str_key(d, "v", t ? t : "-"); return long(orv_dict_datetimestring_value_for_str_key(d, "v")); }); }, {0, 0, 0});
    rows.text("orv_dict_datetime_value_for_str_key", [](const char *t) { return with_dict([t](ORVDictionary *d) { int f[6]; orv_mutable_dict_set_str_value_for_str_key(d, "v", t ? t : "-"); orv_dict_datetime_value_for_str_key(d, "v", &f[0], &f[1], &f[2], &f[3], &f[4], &f[5]); orv_dict_datetime_value_for_str_key(d, t, &f[0], nullptr, &f[2], nullptr, &f[4], nullptr); return long(f[0]); }); }, {0, 0, 0});
    rows.text("orv_mutable_dict_set_int_value_for_str_key", [](const char *t) { return with_dict([t](ORVDictionary *d) { orv_mutable_dict_set_int_value_for_str_key(d, t, -2147483647 - 1); orv_mutable_dict_set_int_value_for_str_key(nullptr, t, 1); return 0L; }); });
    rows.text2("orv_mutable_dict_set_str_value_for_str_key", [](const char *a, const char *b) { return with_dict([a, b](ORVDictionary *d) { orv_mutable_dict_set_str_value_for_str_key(d, a, b); return 0L; }); }, "k");
    rows.text("orv_mutable_dict_set_obj_value_for_str_key", [](const char *t) { return with_dict([t](ORVDictionary *d) { orv_mutable_dict_set_obj_value_for_str_key(d, t, ORV_OBJECT(d)); orv_mutable_dict_set_obj_value_for_str_key(d, t, nullptr); orv_mutable_dict_remove_value_for_str_key(d, t); return 0L; }); });
    rows.text("orv_mutable_dict_add_int_value_for_str_key", [](const char *t) { return with_dict([t](ORVDictionary *d) { orv_mutable_dict_add_int_value_for_str_key(d, t, 1); orv_mutable_dict_add_int_value_for_str_key(d, "text", 1); return 0L; }); });
    rows.text2("orv_mutable_dict_add_str_value_for_str_key", [](const char *a, const char *b) { return with_dict([a, b](ORVDictionary *d) { orv_mutable_dict_add_str_value_for_str_key(d, a, b); orv_mutable_dict_add_str_value_for_str_key(d, "date", b); return 0L; }); }, "k");
    rows.integer("orv_mutable_dict_set_datetime_value_for_str_key", [](int n) { return with_dict([n](ORVDictionary *d) { orv_mutable_dict_set_datetime_value_for_str_key(d, "k", n); return long(orv_dict_datetimestring_value_for_str_key(d, "k") == n); }); }, 1);
    rows.integer("orv_mutable_dict_set_date_value_for_str_key", [](int n) { return with_dict([n](ORVDictionary *d) { orv_mutable_dict_set_date_value_for_str_key(d, "a", n, n, n); orv_mutable_dict_set_date_value_for_str_key(d, "b", n, 2, 1); orv_mutable_dict_set_date_value_for_str_key(d, "c", 2017, 2, n); return long(orv_dict_does_key_exist(d, "a")); }); }, 0);
    rows.text("orv_mutable_dict_remove_value_for_str_key", [](const char *t) { return with_dict([t](ORVDictionary *d) { orv_mutable_dict_remove_value_for_str_key(d, t); orv_mutable_dict_remove_value_for_str_key(nullptr, t); return long(orv_dict_count(d)); }); }, {3, 3});

    // Array handles.
    rows.integer("orv_array_create_with_capacity", [](int n) { ORVArray *a = orv_array_create_with_capacity(n); orv_array_free(a); return long(a != nullptr); }, 1);
    rows.integer("orv_array_add_int", [](int n) { ORVArray *a = orv_array_create_with_capacity(0); orv_array_add_int(a, n); orv_array_add_int(nullptr, n); const long r = orv_array_int_at_index(a, 0) == n; orv_array_free(a); return r; }, 1);
    rows.text("orv_array_add_str", [](const char *t) { ORVArray *a = orv_array_create_with_capacity(1); orv_array_add_str(a, t); orv_array_add_str(nullptr, t); const long n = orv_array_count(a); orv_array_free(a); return n; }, {0, 1});
    rows.add("orv_array_add_obj", "null array and object", [] { ORVArray *a = orv_array_create_with_capacity(1), *b = orv_array_create_with_capacity(1); orv_array_add_obj(a, nullptr); orv_array_add_obj(nullptr, ORV_OBJECT(a)); orv_array_add_obj(a, ORV_OBJECT(b)); orv_array_free(b); const long n = orv_array_count(a); orv_array_free(a); return n; }, 1);
    // Index n of a one-element array, and of no array: only index 0 of the array reads.
    using At = long (*)(ORVArray *, unsigned);
    for (auto [name, at] : {std::pair<const char *, At>{"orv_array_object_at_index", [](ORVArray *a, unsigned n) { return long(orv_array_object_at_index(a, n) != nullptr); }},
                            {"orv_array_str_at_index", [](ORVArray *a, unsigned n) { return long(orv_array_str_at_index(a, n) != nullptr); }},
                            {"orv_array_int_at_index", [](ORVArray *a, unsigned n) { return long(orv_array_int_at_index(a, n) == 12); }}}) {
        rows.integer(name, [at](int n) {
            ORVArray *a = orv_array_create_with_capacity(2);
            orv_array_add_str(a, "12");
            const long r = at(a, unsigned(n)) + at(nullptr, unsigned(n));
            orv_array_free(a);
            return long(r == (n == 0 ? 1 : 0));
        }, 1);
    }

    // Attribute lists.
    rows.text2("orvdictc_new_attribute_with_id_and_value", [](const char *a, const char *b) {
        orvdictc_attribute_t *list[orvdictc_LIST_SIZE] = {};
        list[0] = orvdictc_new_attribute_with_id_and_value(a, b, orvdictc_TYPE_STRING);
        list[1] = orvdictc_new_attribute_with_id_and_value(a, b, orvdictc_TYPE_POINTER);
        if (!list[0]) { list[0] = list[1]; list[1] = nullptr; }
        orvdictc_new_attribute_with_id_and_value(a, b, 12345);
        orvdictc_free_attribute_list(list);
        return 0L;
    }, "v");
    rows.text2("orvdictc_set_value_for_id_in_list", [](const char *a, const char *b) {
        orvdictc_attribute_t *list[orvdictc_LIST_SIZE] = {};
        long r = orvdictc_set_value_for_id_in_list(a, b, orvdictc_TYPE_STRING, list);
        orvdictc_set_value_for_id_in_list(a, b, -1, list);
        orvdictc_set_value_for_id_in_list(a, b, orvdictc_TYPE_STRING, nullptr);
        orvdictc_free_attribute_list(list);
        return r == 0 || r == -1 ? 0L : 1L;
    }, "v", {0, 0});
    // A full list (one more set than fits) used with each hostile text as the name.
    using Use = void (*)(const char *, orvdictc_attribute_t **);
    for (auto [name, use] : {std::pair<const char *, Use>{"orvdictc_find_attribute_with_id", [](const char *t, orvdictc_attribute_t **l) { orvdictc_find_attribute_with_id(t, l); orvdictc_find_attribute_with_id(t, nullptr); }},
                             {"orvdictc_remove_attribute_from_list", [](const char *t, orvdictc_attribute_t **l) { orvdictc_remove_attribute_from_list(t, l); orvdictc_remove_attribute_from_list(t, nullptr); }},
                             {"orvdictc_attribute_list_size", [](const char *, orvdictc_attribute_t **) { orvdictc_attribute_list_size(nullptr); }},
                             {"orvdictc_free_attribute_list", [](const char *, orvdictc_attribute_t **) { orvdictc_free_attribute_list(nullptr); }},
                             {"orvdictc_copy_attributes", [](const char *, orvdictc_attribute_t **l) { orvdictc_attribute_t *copy[orvdictc_LIST_SIZE] = {}; orvdictc_copy_attributes(l, copy); orvdictc_copy_attributes(nullptr, copy); orvdictc_free_attribute_list(copy); }},
                             {"orvdictc_dump_attribute_list", [](const char *t, orvdictc_attribute_t **l) { orvdictc_dump_attribute_list(t, 102, l); orvdictc_dump_attribute_list(t, -5, nullptr); }}}) {
        rows.text(name, [name = std::string(name), use](const char *t) {
            orvdictc_attribute_t *list[orvdictc_LIST_SIZE] = {};
            for (int i = 0; i < orvdictc_MAX_ATTRIBUTES + 2; ++i) orvdictc_set_value_for_id_in_list(sweep::shown(t), std::to_string(i).c_str(), orvdictc_TYPE_STRING, list);
            use(t, list);
            const long n = orvdictc_attribute_list_size(list);
            orvdictc_free_attribute_list(list);
            return long(n == orvdictc_MAX_ATTRIBUTES || name == "orvdictc_remove_attribute_from_list");
        }, {1, 1});
    }
    for (int size : {-1, 0, 1, 12, 255}) {
        rows.add("orvdictc_attribute_description", "buffer of " + std::to_string(size) + " bytes against an unreadable page", [size] {
            orvdictc_attribute_t *list[orvdictc_LIST_SIZE] = {};
            int pointee = 0;
            orvdictc_set_value_for_id_in_list(sweep::texts()[2].value, "long", orvdictc_TYPE_STRING, list);
            orvdictc_set_value_for_id_in_list("v", "a", orvdictc_TYPE_STRING, list);
            orvdictc_set_value_for_id_in_list(&pointee, "p", orvdictc_TYPE_POINTER, list);
            char *buffer = sweep::guarded_buffer(size > 0 ? size : 1);
            orvdictc_attribute_description(list, buffer, size);
            orvdictc_attribute_description(nullptr, buffer, size);
            orvdictc_free_attribute_list(list);
            return long(size <= 0 || std::strlen(buffer) < size_t(size));
        }, 1);
    }
}

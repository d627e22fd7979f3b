// Sweep rows of the handles: data, dictionary and array handles with null
// handles, hostile keys and values, indexes past the end; attribute lists
// that are null, full or described into buffers against an unreadable page.
#include "sweep.h"

#include <ORVCommonKit/orvdictc.h>
#include <ORVCommonKit/orvhandles.h>
#include <ORVCommonKit/orvstd.h>

#include <climits>
#include <cstring>

SWEEP_ROWS(handles) {
    // Data handles.
    for (unsigned length : {0u, 1u, 0xFFFFFFFFu})
        rows.add("orv_data_create", "null bytes, length " + std::to_string(length), [length] { orvstd_init(); ORVData *d = orv_data_create(nullptr, length, 1); orv_data_free(d); return long(length > 0 && d != nullptr); }, 0);
    rows.add("orv_data_create", "bytes against an unreadable page, copied", [] { orvstd_init(); char *b = sweep::guarded_buffer(5); std::memcpy(b, "bytes", 5); ORVData *d = orv_data_create(b, 5, 1); orv_data_bytes(d); orv_data_free(d); return 0L; });
    rows.path("orv_data_create_from_file", [](const char *t) { orvstd_init(); ORVData *d = orv_data_create_from_file(t); orv_data_free(d); return long(d != nullptr); }, {0, 0});
    rows.add("orv_data_copy", "null", [] { return long(orv_data_copy(nullptr) != nullptr); }, 0);
    rows.add("orv_data_free", "null", [] { orv_data_free(nullptr); return 0L; });
    rows.add("orv_data_bytes", "null", [] { return long(orv_data_bytes(nullptr) != nullptr); }, 0);
    rows.add("orv_data_byte_count", "null", [] { return long(orv_data_byte_count(nullptr)); }, 0);
    rows.add("orv_data_object", "null", [] { return long(orv_data_object(nullptr) != nullptr); }, 0);
    rows.add("orv_data_create_from_object", "null", [] { orvstd_init(); return long(orv_data_create_from_object(nullptr) != nullptr); }, 0);

    // Dictionary handles: null handles, then hostile keys and values in a real one.
    rows.add("orv_mutable_dict_create", "then freed twice over null", [] { orvstd_init(); ORVDictionary *d = orv_mutable_dict_create(); orv_dict_free(d); orv_dict_free(nullptr); return 0L; });
    for (unsigned capacity : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu})
        rows.add("orv_mutable_dict_create_with_capacity", "capacity " + std::to_string(capacity), [capacity] { orvstd_init(); orv_dict_free(orv_mutable_dict_create_with_capacity(capacity)); return 0L; });
    rows.add("orv_dict_free", "null", [] { orv_dict_free(nullptr); return 0L; });
    rows.add("orv_dict_count", "null", [] { return long(orv_dict_count(nullptr)); }, 0);
    rows.add("orv_dict_all_keys", "null", [] { orvstd_init(); orv_array_free(orv_dict_all_keys(nullptr)); return 0L; });
    rows.add("orv_dict_all_values", "null", [] { orvstd_init(); orv_array_free(orv_dict_all_values(nullptr)); return 0L; });
    rows.add("orv_dict_description", "null", [] { orv_dict_description(nullptr); return 0L; });
    auto with_dict = [](auto use) {
        return [use](const char *t) {
            orvstd_init();
            ORVDictionary *d = orv_mutable_dict_create();
            orv_mutable_dict_set_str_value_for_str_key(d, "k", "v");
            use(d, t);
            use(nullptr, t);
            orv_dict_description(d);
            orv_dict_all_keys(d);
            orv_dict_all_values(d);
            orv_dict_free(d);
            return 0L;
        };
    };
    rows.text("orv_dict_does_key_exist", with_dict([](ORVDictionary *d, const char *t) { orv_dict_does_key_exist(d, t); }));
    rows.text("orv_mutable_dict_obj_value_for_str_key", with_dict([](ORVDictionary *d, const char *t) { orv_mutable_dict_obj_value_for_str_key(d, t); }));
    rows.text("orv_dict_str_value_for_str_key", with_dict([](ORVDictionary *d, const char *t) { orv_dict_str_value_for_str_key(d, t); }));
    rows.text("orv_dict_uint_value_for_str_key", with_dict([](ORVDictionary *d, const char *t) { orv_mutable_dict_set_str_value_for_str_key(d, "n", t); orv_dict_uint_value_for_str_key(d, "n"); orv_dict_uint_value_for_str_key(d, t); }));
    rows.text("orv_dict_datetimestring_value_for_str_key", with_dict([](ORVDictionary *d, const char *t) { orv_mutable_dict_set_str_value_for_str_key(d, "n", t); orv_dict_datetimestring_value_for_str_key(d, "n"); orv_dict_datetimestring_value_for_str_key(d, t); }));
    rows.text("orv_dict_datetime_value_for_str_key", with_dict([](ORVDictionary *d, const char *t) { int a, b, c, e, f, g; orv_mutable_dict_set_str_value_for_str_key(d, "n", t); orv_dict_datetime_value_for_str_key(d, "n", &a, &b, &c, &e, &f, &g); orv_dict_datetime_value_for_str_key(d, t, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr); }));
    rows.text("orv_mutable_dict_set_int_value_for_str_key", with_dict([](ORVDictionary *d, const char *t) { orv_mutable_dict_set_int_value_for_str_key(d, t, INT_MIN); }));
    rows.text("orv_mutable_dict_set_str_value_for_str_key", with_dict([](ORVDictionary *d, const char *t) { orv_mutable_dict_set_str_value_for_str_key(d, t, t); orv_mutable_dict_set_str_value_for_str_key(d, "k", t); }));
    rows.text("orv_mutable_dict_set_obj_value_for_str_key", with_dict([](ORVDictionary *d, const char *t) { orv_mutable_dict_set_obj_value_for_str_key(d, t, nullptr); orv_mutable_dict_set_obj_value_for_str_key(d, "self", reinterpret_cast<ORVObject *>(d)); orv_mutable_dict_remove_value_for_str_key(d, "self"); }));
    rows.text("orv_mutable_dict_add_int_value_for_str_key", with_dict([](ORVDictionary *d, const char *t) { orv_mutable_dict_add_int_value_for_str_key(d, t, INT_MAX); orv_mutable_dict_add_int_value_for_str_key(d, t, 1); }));
    rows.text("orv_mutable_dict_add_str_value_for_str_key", with_dict([](ORVDictionary *d, const char *t) { orv_mutable_dict_add_str_value_for_str_key(d, t, t); orv_mutable_dict_add_str_value_for_str_key(d, "k", t); }));
    rows.text("orv_mutable_dict_set_datetime_value_for_str_key", with_dict([](ORVDictionary *d, const char *t) { for (int v : sweep::ints()) orv_mutable_dict_set_datetime_value_for_str_key(d, t, v); }));
    rows.text("orv_mutable_dict_set_date_value_for_str_key", with_dict([](ORVDictionary *d, const char *t) { for (int v : sweep::ints()) orv_mutable_dict_set_date_value_for_str_key(d, t, v, v, v); }));
    rows.text("orv_mutable_dict_remove_value_for_str_key", with_dict([](ORVDictionary *d, const char *t) { orv_mutable_dict_remove_value_for_str_key(d, t); orv_mutable_dict_remove_value_for_str_key(d, "k"); orv_mutable_dict_remove_value_for_str_key(d, "k"); }));

    // Array handles.
    rows.integer("orv_array_create_with_capacity", [](int v) { orvstd_init(); orv_array_free(orv_array_create_with_capacity(v)); return 0L; });
    rows.add("orv_array_free", "null", [] { orv_array_free(nullptr); return 0L; });
    rows.add("orv_array_count", "null", [] { return long(orv_array_count(nullptr)); }, 0);
    rows.add("orv_array_add_int", "null and real arrays", [] { orvstd_init(); orv_array_add_int(nullptr, 1); ORVArray *a = orv_array_create_with_capacity(0); orv_array_add_int(a, INT_MIN); orv_array_free(a); return 0L; });
    rows.text("orv_array_add_str", [](const char *t) { orvstd_init(); orv_array_add_str(nullptr, t); ORVArray *a = orv_array_create_with_capacity(1); orv_array_add_str(a, t); orv_array_str_at_index(a, 0); orv_array_free(a); return 0L; });
    rows.add("orv_array_add_obj", "null and self", [] { orvstd_init(); ORVArray *a = orv_array_create_with_capacity(1); orv_array_add_obj(a, nullptr); orv_array_add_obj(nullptr, nullptr); orv_array_free(a); return 0L; });
    for (unsigned index : {0u, 1u, 0x80000000u, 0xFFFFFFFFu}) {
        const std::string at = "index " + std::to_string(index);
        auto array = [] { orvstd_init(); ORVArray *a = orv_array_create_with_capacity(1); orv_array_add_int(a, 7); return a; };
        rows.add("orv_array_object_at_index", at, [index, array] { ORVArray *a = array(); const long r = orv_array_object_at_index(a, index) != nullptr; orv_array_object_at_index(nullptr, index); orv_array_free(a); return r; }, index == 0 ? 1L : 0L);
        rows.add("orv_array_str_at_index", at, [index, array] { ORVArray *a = array(); orv_array_str_at_index(a, index); orv_array_str_at_index(nullptr, index); orv_array_free(a); return 0L; });
        rows.add("orv_array_int_at_index", at, [index, array] { ORVArray *a = array(); orv_array_int_at_index(a, index); orv_array_int_at_index(nullptr, index); orv_array_free(a); return 0L; });
    }

    // Attribute lists: null lists, hostile names and values, a full list.
    rows.text("orvdictc_new_attribute_with_id_and_value", [](const char *t) {
        orvdictc_attribute_t *list[orvdictc_LIST_SIZE] = {};
        list[0] = orvdictc_new_attribute_with_id_and_value(t, t, orvdictc_TYPE_STRING);
        list[1] = orvdictc_new_attribute_with_id_and_value(t, nullptr, 99);
        orvdictc_free_attribute_list(list);
        return 0L;
    });
    rows.text("orvdictc_set_value_for_id_in_list", [](const char *t) {
        orvdictc_attribute_t *list[orvdictc_LIST_SIZE] = {};
        orvdictc_set_value_for_id_in_list(t, t, orvdictc_TYPE_STRING, nullptr);
        for (int i = 0; i < orvdictc_LIST_SIZE + 5; ++i) {
            const std::string name = "N" + std::to_string(i);
            orvdictc_set_value_for_id_in_list(t, name.c_str(), orvdictc_TYPE_STRING, list);
        }
        orvdictc_set_value_for_id_in_list(t, t, orvdictc_TYPE_POINTER, list);
        const long size = orvdictc_attribute_list_size(list);
        orvdictc_free_attribute_list(list);
        return long(size > orvdictc_MAX_ATTRIBUTES);
    }, {0, 0});
    rows.text("orvdictc_find_attribute_with_id", [](const char *t) { orvdictc_attribute_t *list[orvdictc_LIST_SIZE] = {}; orvdictc_set_value_for_id_in_list("v", "a", orvdictc_TYPE_STRING, list); orvdictc_find_attribute_with_id(t, list); orvdictc_find_attribute_with_id(t, nullptr); orvdictc_free_attribute_list(list); return 0L; });
    rows.add("orvdictc_attribute_list_size", "null", [] { return long(orvdictc_attribute_list_size(nullptr)); });
    rows.text("orvdictc_remove_attribute_from_list", [](const char *t) { orvdictc_attribute_t *list[orvdictc_LIST_SIZE] = {}; orvdictc_set_value_for_id_in_list("v", "a", orvdictc_TYPE_STRING, list); orvdictc_remove_attribute_from_list(t, list); orvdictc_remove_attribute_from_list(t, nullptr); orvdictc_free_attribute_list(list); return 0L; });
    rows.add("orvdictc_free_attribute_list", "null", [] { orvdictc_free_attribute_list(nullptr); return 0L; });
    rows.add("orvdictc_copy_attributes", "null lists and a full destination", [] {
        orvdictc_attribute_t *from[orvdictc_LIST_SIZE] = {};
        orvdictc_attribute_t *to[orvdictc_LIST_SIZE] = {};
        for (int i = 0; i < orvdictc_MAX_ATTRIBUTES; ++i) {
            const std::string name = "N" + std::to_string(i);
            orvdictc_set_value_for_id_in_list("v", name.c_str(), orvdictc_TYPE_STRING, to);
            orvdictc_set_value_for_id_in_list("w", ("M" + name).c_str(), orvdictc_TYPE_STRING, from);
        }
        orvdictc_copy_attributes(nullptr, nullptr);
        orvdictc_copy_attributes(from, to);
        orvdictc_free_attribute_list(from);
        orvdictc_free_attribute_list(to);
        return 0L;
    });
    for (int size : {INT_MIN, -1, 0, 1, 20})
        rows.add("orvdictc_attribute_description", "buffer of " + std::to_string(size) + " against an unreadable page", [size] {
            orvdictc_attribute_t *list[orvdictc_LIST_SIZE] = {};
            orvdictc_set_value_for_id_in_list(sweep::texts()[2].value, "long", orvdictc_TYPE_STRING, list);
            orvdictc_set_value_for_id_in_list("v", "short", orvdictc_TYPE_STRING, list);
            char *b = sweep::guarded_buffer(size > 0 ? size : 1);
            orvdictc_attribute_description(list, b, size);
            orvdictc_attribute_description(nullptr, b, size);
            orvdictc_free_attribute_list(list);
            return 0L;
        });
    rows.text("orvdictc_dump_attribute_list", [](const char *t) { orvdictc_attribute_t *list[orvdictc_LIST_SIZE] = {}; orvdictc_set_value_for_id_in_list(t, "a", orvdictc_TYPE_STRING, list); for (int v : sweep::ints()) orvdictc_dump_attribute_list(t, v, list); orvdictc_dump_attribute_list(t, 100, nullptr); orvdictc_free_attribute_list(list); return 0L; });
}

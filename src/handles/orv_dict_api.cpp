// Dictionary handles: mutable dictionaries with text keys, their typed
// setters and readers, and the date values.
#include "handles/orv_handle_values.h"
#include "platform/objects.h"

#include <ORVCommonKit/orvhandles.h>
#include <ORVCommonKit/tr.h>

#include <cstdio>
#include <string>

using namespace orv::handles;

namespace {

constexpr const char *kModule = "ORVCommonKit";

// False, after the report, when a setter lacks its dictionary, key or value.
bool setter_arguments_ok(const char *function, const ORVDictionary *dict, const char *key,
                         bool has_value = true) {
    if (dict && key && has_value) return true;
    tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Invalid Parameter", kModule,
             "Invalid parameter (NULL %s) to %s().", !dict ? "dictionary" : !key ? "key" : "value",
             function);
    return false;
}

ORVObject *value_for(ORVDictionary *dict, const char *key) {
    return dict && key ? dict->objectForKey(std::string_view(key)) : nullptr;
}

void put(ORVDictionary *dict, const char *key, orv::Ref<ORVObject> value) {
    dict->putEntry(orv::str(key), std::move(value), true);
}

std::string decimal(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", value);
    return buf;
}

// Appends text to the array under key, storing a new array there first when
// the key has none.
void add_text(const char *function, ORVDictionary *dict, const char *key, std::string_view text) {
    ORVObject *existing = dict->objectForKey(std::string_view(key));
    if (!existing) {
        auto array = orv::make<ORVArray>();
        array->items.reserve(1);
        array->add(text);
        put(dict, key, std::move(array));
        return;
    }
    auto *array = orv::as<ORVArray>(existing);
    if (!array) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Invalid Parameter", kModule,
                 "Invalid parameter to %s().  The value under key \"%s\" is not an array!",
                 function, key);
        return;
    }
    array->add(text);
}

}  // namespace

extern "C" {

ORV_API ORVDictionary *orv_mutable_dict_create(void) { return new ORVDictionary; }

ORV_API ORVDictionary *orv_mutable_dict_create_with_capacity(unsigned int capacity) {
    auto *dict = new ORVDictionary;
    // The capacity is a hint: room beyond kMostReserved grows as entries come.
    constexpr unsigned int kMostReserved = 1u << 16;
    dict->reserve(capacity > kMostReserved ? kMostReserved : capacity);
    return dict;
}

ORV_API void orv_dict_free(ORVDictionary *dict) {
    if (dict) dict->release();
}

ORV_API unsigned int orv_dict_count(ORVDictionary *dict) {
    return dict ? static_cast<unsigned int>(dict->count()) : 0;
}

ORV_API int orv_dict_does_key_exist(ORVDictionary *dict, const char *key) {
    return value_for(dict, key) ? 1 : 0;
}

ORV_API ORVObject *orv_mutable_dict_obj_value_for_str_key(ORVDictionary *dict, const char *key) {
    return value_for(dict, key);
}

ORV_API const char *orv_dict_str_value_for_str_key(ORVDictionary *dict, const char *key) {
    return temporary_text_of(value_for(dict, key));
}

ORV_API unsigned int orv_dict_uint_value_for_str_key(ORVDictionary *dict, const char *key) {
    return static_cast<unsigned int>(int_of_text(text_of(value_for(dict, key))));
}

ORV_API int orv_dict_datetimestring_value_for_str_key(ORVDictionary *dict, const char *key) {
    const auto fields = date_fields_of(value_for(dict, key));
    return fields ? static_cast<int>(fields->seconds) : 0;
}

ORV_API void orv_dict_datetime_value_for_str_key(ORVDictionary *dict, const char *key, int *year,
                                                 int *month, int *day, int *hour, int *minute,
                                                 int *second) {
    int *const outs[] = {year, month, day, hour, minute, second};
    for (int *out : outs)
        if (out) *out = 0;
    const auto f = date_fields_of(value_for(dict, key));
    if (!f) return;
    const int values[] = {f->year, f->month, f->day, f->hour, f->minute, f->second};
    for (int i = 0; i < 6; ++i)
        if (outs[i]) *outs[i] = values[i];
}

ORV_API ORVArray *orv_dict_all_keys(ORVDictionary *dict) {
    auto *array = new ORVArray;
    if (!dict) return array;
    array->items.reserve(dict->count());
    for (const auto &entry : dict->entries()) array->items.push_back(entry.first);
    return array;
}

ORV_API ORVArray *orv_dict_all_values(ORVDictionary *dict) {
    auto *array = new ORVArray;
    if (!dict) return array;
    array->items.reserve(dict->count());
    for (const auto &entry : dict->entries()) array->items.push_back(entry.second);
    return array;
}

ORV_API const char *orv_dict_description(ORVDictionary *dict) {
    return ORVString::temporary(dict ? dict->description() : std::string())->cString();
}

ORV_API void orv_mutable_dict_set_int_value_for_str_key(ORVDictionary *dict, const char *key,
                                                       int value) {
    if (!setter_arguments_ok(__func__, dict, key)) return;
    put(dict, key, orv::str(decimal(value)));
}

ORV_API void orv_mutable_dict_set_str_value_for_str_key(ORVDictionary *dict, const char *key,
                                                       const char *value) {
    if (!setter_arguments_ok(__func__, dict, key, value != nullptr)) return;
    put(dict, key, orv::str(value));
}

ORV_API void orv_mutable_dict_set_obj_value_for_str_key(ORVDictionary *dict, const char *key,
                                                       ORVObject *value) {
    if (!dict || !key || !value) return;
    put(dict, key, orv::Ref<ORVObject>::retain(value));
}

ORV_API void orv_mutable_dict_add_int_value_for_str_key(ORVDictionary *dict, const char *key,
                                                       int value) {
    if (!setter_arguments_ok(__func__, dict, key)) return;
    add_text(__func__, dict, key, decimal(value));
}

ORV_API void orv_mutable_dict_add_str_value_for_str_key(ORVDictionary *dict, const char *key,
                                                       const char *value) {
    if (!setter_arguments_ok(__func__, dict, key, value != nullptr)) return;
    add_text(__func__, dict, key, value);
}

ORV_API void orv_mutable_dict_set_datetime_value_for_str_key(ORVDictionary *dict,
                                                            const char *key, int seconds) {
    if (!setter_arguments_ok(__func__, dict, key)) return;
    put(dict, key, local_date_at(seconds));
}

ORV_API void orv_mutable_dict_set_date_value_for_str_key(ORVDictionary *dict, const char *key,
                                                        int year, int month, int day) {
    if (!setter_arguments_ok(__func__, dict, key)) return;
    if (!is_valid_day(year, month, day)) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Invalid Parameter", kModule,
                 "Invalid date %04d-%02d-%02d passed to %s().", year, month, day, __func__);
        return;
    }
    put(dict, key, local_date_of_day(year, month, day, 2));
}

ORV_API void orv_mutable_dict_remove_value_for_str_key(ORVDictionary *dict, const char *key) {
    if (dict && key) dict->removeObjectForKey(std::string_view(key));
}

}  // extern "C"

// Array handles: ordered lists of objects with text and integer readers.
#include "handles/orv_handle_values.h"
#include "platform/objects.h"

#include <ORVCommonKit/orvhandles.h>
#include <ORVCommonKit/tr.h>

using namespace orv::handles;

extern "C" {

ORV_API ORVArray *orv_array_create_with_capacity(int capacity) {
    auto *array = new ORVArray;
    // The capacity is a hint: room beyond kMostReserved grows as elements come.
    constexpr int kMostReserved = 1 << 16;
    array->items.reserve(capacity <= 0 ? 16 : capacity > kMostReserved ? kMostReserved : capacity);
    return array;
}

ORV_API void orv_array_free(ORVArray *array) {
    if (!array) {
        tr_warning(__FILE__, __LINE__, tr_HIGH, "Invalid parameter (NULL) to orv_array_free().");
        return;
    }
    array->release();
}

ORV_API unsigned int orv_array_count(ORVArray *array) {
    return array ? static_cast<unsigned int>(array->count()) : 0;
}

ORV_API void orv_array_add_int(ORVArray *array, int value) {
    if (array) array->items.push_back(orv::make<ORVNumber>(value));
}

ORV_API void orv_array_add_str(ORVArray *array, const char *value) {
    if (array && value) array->add(std::string_view(value));
}

ORV_API void orv_array_add_obj(ORVArray *array, ORVObject *value) {
    if (array) array->add(value);
}

ORV_API ORVObject *orv_array_object_at_index(ORVArray *array, unsigned int index) {
    if (!array || index >= array->count()) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "Invalid Parameter", "ORVCommonKit",
                 "Invalid parameter to orv_array_object_at_index().  NULL list or invalid index!");
        return nullptr;
    }
    return array->at(index);
}

ORV_API const char *orv_array_str_at_index(ORVArray *array, unsigned int index) {
    return temporary_text_of(orv_array_object_at_index(array, index));
}

ORV_API int orv_array_int_at_index(ORVArray *array, unsigned int index) {
    return int_of_text(text_of(orv_array_object_at_index(array, index)));
}

}  // extern "C"

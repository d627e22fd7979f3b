// Attribute lists: null-terminated arrays of named text or pointer
// attributes in caller-provided storage.
#include <ORVCommonKit/orvdictc.h>
#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tr.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char *kModule = "ZudizUvorodiAttributes";

using attribute_t = orvdictc_attribute_t;

const char *type_word(int type) {
    return type == orvdictc_TYPE_STRING    ? "String"
           : type == orvdictc_TYPE_POINTER ? "Pointer"
                                           : "Unknown";
}

std::uintptr_t address(const void *p) { return reinterpret_cast<std::uintptr_t>(p); }

char *copy_text(const char *text) {
    const std::size_t n = std::strlen(text) + 1;
    auto *copy = static_cast<char *>(std::malloc(n));
    if (copy) std::memcpy(copy, text, n);
    return copy;
}

void free_attribute(attribute_t *attribute) {
    std::free(attribute->name);
    if (attribute->type == orvdictc_TYPE_STRING) std::free(attribute->value);
    std::free(attribute);
}

int count_of(attribute_t **list) {
    int n = 0;
    while (n < orvdictc_MAX_ATTRIBUTES && list[n]) ++n;
    return n;
}

int index_of(const char *name, attribute_t **list) {
    for (int i = 0; i < orvdictc_MAX_ATTRIBUTES && list[i]; ++i)
        if (orvstr_icmp(list[i]->name, name) == 0) return i;
    return -1;
}

}  // namespace

extern "C" {

ORV_API orvdictc_attribute_t *orvdictc_new_attribute_with_id_and_value(const char *name,
                                                                       const void *value,
                                                                       int type) {
    tr_trace(__FILE__, __LINE__, tr_LOW,
             "orvdictc_new_attribute_with_id_and_value called with attributes: %s, %s, %s",
             name ? name : "NULL",
             type == orvdictc_TYPE_STRING ? (value ? static_cast<const char *>(value) : "NULL")
                                          : "(Non-string value)",
             type_word(type));
    auto *attribute = static_cast<attribute_t *>(std::calloc(1, sizeof(attribute_t)));
    if (!attribute) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "OUT OF MEMORY", kModule,
                 "Failed to allocate memory for crawler attribute.");
        return nullptr;
    }
    attribute->type = type;
    bool ok = name && (type == orvdictc_TYPE_POINTER || (type == orvdictc_TYPE_STRING && value));
    if (ok) {
        attribute->name = copy_text(name);
        if (type == orvdictc_TYPE_STRING)
            attribute->value = copy_text(static_cast<const char *>(value));
        else
            attribute->value = const_cast<void *>(value);
        if (!attribute->name || !attribute->value) {
            free_attribute(attribute);
            tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "OUT OF MEMORY", kModule,
                     "Failed to allocate memory for crawler attribute.");
            return nullptr;
        }
        return attribute;
    }
    free_attribute(attribute);
    tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "INVALID PARAMETER", kModule,
             "Invalid parameter passed to function orvdictc_new_attribute_with_id_and_value(). "
             "Attribute cannot be created.");
    return nullptr;
}

ORV_API int orvdictc_set_value_for_id_in_list(const void *value, const char *name, int type,
                                              orvdictc_attribute_t **list) {
    if (!value || !name || !list) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "NULL PARAMETER", kModule,
                 "Invalid NULL parameter passed to function "
                 "orvdictc_set_value_for_id_in_list().");
        return -1;
    }
    if (type == orvdictc_TYPE_STRING)
        tr_trace(__FILE__, __LINE__, tr_LOW,
                 "orvdictc_set_value_for_id_in_list called with attributes: %s, %s, 0x%" PRIxPTR,
                 static_cast<const char *>(value), name, address(list));
    else if (type == orvdictc_TYPE_POINTER)
        tr_trace(__FILE__, __LINE__, tr_LOW,
                 "orvdictc_set_value_for_id_in_list called with attributes: 0x%" PRIxPTR
                 ", %s, 0x%" PRIxPTR,
                 address(value), name, address(list));
    else
        tr_warning(__FILE__, __LINE__, tr_HIGH,
                   "Invalid parameter eAttributeType passed to function "
                   "orvdictc_set_value_for_id_in_list(). ");
    attribute_t *attribute = orvdictc_new_attribute_with_id_and_value(name, value, type);
    if (!attribute) {
        tr_error(__FILE__, __LINE__, tr_INFORM_PROGRAMMER, "OUT OF MEMORY", kModule,
                 "orvdictc_set_value_for_id_in_list failed to allocate memory for new "
                 "attribute.");
        tr_trace(__FILE__, __LINE__, tr_LOW, "orvdictc_set_value_for_id_in_list returns: %s",
                 "ERR");
        return -1;
    }
    orvdictc_remove_attribute_from_list(name, list);
    const int n = count_of(list);
    if (n >= orvdictc_MAX_ATTRIBUTES) {
        tr_warning(__FILE__, __LINE__, tr_LOW,
                   "Reached maximum number of attributes (%i). This should never happen.",
                   orvdictc_LIST_SIZE);
        free_attribute(list[orvdictc_MAX_ATTRIBUTES - 1]);
        list[orvdictc_MAX_ATTRIBUTES - 1] = attribute;
    } else {
        list[n] = attribute;
        list[n + 1] = nullptr;
    }
    tr_trace(__FILE__, __LINE__, tr_LOW, "orvdictc_set_value_for_id_in_list returns: %s", "OK");
    return 0;
}

ORV_API orvdictc_attribute_t *orvdictc_find_attribute_with_id(const char *name,
                                                              orvdictc_attribute_t **list) {
    tr_trace(__FILE__, __LINE__, tr_LOW,
             "orvdictc_find_attribute_with_id called with parameters attribute name: %s",
             name ? name : "NULL");
    if (!list || !name) return nullptr;
    const int i = index_of(name, list);
    return i < 0 ? nullptr : list[i];
}

ORV_API int orvdictc_attribute_list_size(orvdictc_attribute_t **list) {
    const int n = list ? count_of(list) : 0;
    tr_trace(__FILE__, __LINE__, tr_LOW, "orvdictc_attribute_list_size returns: %d", n);
    return n;
}

ORV_API void orvdictc_remove_attribute_from_list(const char *name, orvdictc_attribute_t **list) {
    tr_trace(__FILE__, __LINE__, tr_LOW,
             "orvdictc_remove_attribute_from_list called with attribute: %s", name ? name : "NULL");
    if (!name || !list) return;
    for (int i; (i = index_of(name, list)) >= 0;) {
        free_attribute(list[i]);
        const int n = count_of(list);
        std::memmove(list + i, list + i + 1,
                     sizeof(attribute_t *) * static_cast<std::size_t>(n - i - 1));
        list[n - 1] = nullptr;
    }
}

ORV_API void orvdictc_free_attribute_list(orvdictc_attribute_t **list) {
    if (!list) return;
    for (int n; (n = count_of(list)) > 0;) {
        // Removing by name takes every attribute of that name; the name is
        // copied first because the removal frees it.
        const std::string name = list[n - 1]->name ? list[n - 1]->name : "";
        if (!list[n - 1]->name) {
            free_attribute(list[n - 1]);
            list[n - 1] = nullptr;
            continue;
        }
        orvdictc_remove_attribute_from_list(name.c_str(), list);
    }
}

ORV_API int orvdictc_copy_attributes(orvdictc_attribute_t **source,
                                     orvdictc_attribute_t **destination) {
    tr_trace(__FILE__, __LINE__, tr_LOW,
             "orvdictc_copy_attributes called with attributes: 0x%" PRIxPTR " 0x%" PRIxPTR,
             address(source), address(destination));
    int result = 0;
    if (!source || !destination) {
        result = -1;
    } else {
        for (int i = 0; i < orvdictc_MAX_ATTRIBUTES && source[i]; ++i) {
            attribute_t *copy = orvdictc_new_attribute_with_id_and_value(
                source[i]->name, source[i]->value, source[i]->type);
            if (copy)
                destination[i] = copy;
            else
                result = -1;
        }
    }
    tr_trace(__FILE__, __LINE__, tr_LOW, "orvdictc_copy_attributes returns %d", result);
    return result;
}

ORV_API void orvdictc_attribute_description(orvdictc_attribute_t **list, char *buffer,
                                            int size) {
    if (!list || !buffer || size <= 0) return;
    buffer[0] = '\0';
    std::size_t used = 0;
    const std::size_t limit = static_cast<std::size_t>(size);
    for (int i = 0; i < orvdictc_MAX_ATTRIBUTES && list[i]; ++i) {
        const attribute_t *a = list[i];
        const char *name = a->name ? a->name : "";
        const bool text = a->type == orvdictc_TYPE_STRING;
        const char *value = text && a->value ? static_cast<const char *>(a->value) : "";
        std::string piece = std::string("\n") + name + "\t\t";
        if (text) {
            piece += value;
        } else if (a->type == orvdictc_TYPE_POINTER) {
            char hex[32];
            std::snprintf(hex, sizeof hex, "0x%" PRIxPTR, address(a->value));
            piece += hex;
        } else {
            piece += "Don't know how to interpret value of type " + std::to_string(a->type);
            tr_warning(__FILE__, __LINE__, tr_HIGH,
                       "Don't know how to interpret attribute of type %i", a->type);
        }
        // The first test is the documented budget; the second makes sure a
        // pointer or type line longer than that budget never overruns.
        if (used + std::strlen(name) + std::strlen(value) + 10 > limit ||
            used + piece.size() >= limit) {
            tr_warning(__FILE__, __LINE__, tr_LOW, "Not enough space in buffer for all attributes");
            return;
        }
        std::memcpy(buffer + used, piece.c_str(), piece.size() + 1);
        used += piece.size();
    }
}

ORV_API void orvdictc_dump_attribute_list(const char *title, int level,
                                          orvdictc_attribute_t **list) {
    std::string description(10000, '\0');
    orvdictc_attribute_description(list, description.data(), 10000);
    tr_trace(__FILE__, __LINE__, level, "Attribute list: %s%s", title ? title : "NULL",
             description.c_str());
    tr_trace(__FILE__, __LINE__, tr_LOW, "orvdictc_dump_attribute_list - done");
}

}  // extern "C"

/*
 * Attribute lists: a plain-data alternative to a dictionary.
 *
 * An attribute list is an array of orvdictc_LIST_SIZE attribute pointers
 * that the caller provides, all null at first. The library fills entries
 * 0 to n-1 in insertion order and keeps entry n null; at most
 * orvdictc_MAX_ATTRIBUTES attributes are held, so the last entry is always
 * null. Names are compared without regard to case and accents. A text value
 * is copied and owned by its attribute; a pointer value is kept as given and
 * never freed by the library. Failures are reported through the trace
 * facility with the module name "ZudizUvorodiAttributes".
 */
#ifndef ORVCOMMONKIT_ORVDICTC_H
#define ORVCOMMONKIT_ORVDICTC_H

#include <ORVCommonKit/orvexport.h>

ORV_BEGIN_DECLS

enum {
    orvdictc_TYPE_STRING = -249,  /* value is an owned, zero-terminated text */
    orvdictc_TYPE_POINTER = -248, /* value is the caller's pointer */
    orvdictc_MAX_ATTRIBUTES = 249,
    orvdictc_LIST_SIZE = 250
};

typedef struct orvdictc_attribute {
    char *name;  /* owned copy */
    void *value; /* a char * owned copy for a text, else the caller's pointer */
    int type;    /* orvdictc_TYPE_STRING or orvdictc_TYPE_POINTER */
} orvdictc_attribute_t;

/* A new attribute (name and text value copied), or null (reported) for a
 * null name, a null text or an unknown type. Freed by the list functions. */
ORV_API orvdictc_attribute_t *orvdictc_new_attribute_with_id_and_value(const char *name,
                                                                       const void *value,
                                                                       int type);
/* Replaces every attribute called name by a new one at the end of the list;
 * a full list loses its last attribute to it (with a warning). 0, or -1 for a
 * null value, name or list or a type that is neither text nor pointer. */
ORV_API int orvdictc_set_value_for_id_in_list(const void *value, const char *name, int type,
                                              orvdictc_attribute_t **list);
/* The first attribute called name, or null. */
ORV_API orvdictc_attribute_t *orvdictc_find_attribute_with_id(const char *name,
                                                              orvdictc_attribute_t **list);
/* The number of attributes; 0 for a null list. */
ORV_API int orvdictc_attribute_list_size(orvdictc_attribute_t **list);
/* Removes and frees every attribute called name; the others keep their order. */
ORV_API void orvdictc_remove_attribute_from_list(const char *name, orvdictc_attribute_t **list);
/* Removes and frees every attribute; the array stays the caller's. */
ORV_API void orvdictc_free_attribute_list(orvdictc_attribute_t **list);
/* Puts a copy of each attribute of source at the same position of the empty
 * destination (texts copied, pointers shared). 0, or -1 for a null list or a
 * failed copy (that position is left as it was). */
ORV_API int orvdictc_copy_attributes(orvdictc_attribute_t **source,
                                     orvdictc_attribute_t **destination);
/* Writes one line "\nNAME\t\tVALUE" per attribute into buffer (size bytes,
 * NUL included), stopping with a warning before a line that might not fit. */
ORV_API void orvdictc_attribute_description(orvdictc_attribute_t **list, char *buffer,
                                            int size);
/* Traces "Attribute list: TITLE" and the description at the given level. */
ORV_API void orvdictc_dump_attribute_list(const char *title, int level,
                                          orvdictc_attribute_t **list);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_ORVDICTC_H */

/*
 * Data, dictionary and array handles: plain functions over the platform's
 * byte buffers, dictionaries and arrays for code that does not use the
 * object interface of orvobjects.h.
 *
 * A handle is the platform object itself, reference-counted. A _create
 * function hands out one reference; the matching _free gives one back and the
 * object goes with its last reference. Dictionary keys are zero-terminated
 * texts. Dictionary values stored by the setters are texts (integers as their
 * decimal text), calendar dates, arrays of texts (the "add" functions) or any
 * object given by the caller; array elements are objects, texts or numbers.
 *
 * Character strings returned by the readers belong to temporary objects of
 * the calling thread's innermost release pool: copy what you keep beyond it.
 * Readers accept a null handle or key and answer null or 0; setters report a
 * missing dictionary, key or value through the trace facility and change
 * nothing.
 *
 * Date texts have the form "YYYY-MM-DD hh:mm:ss +hhmm" (for example
 * "2017-03-04 13:45:12 +0100"), the text a stored date takes when the
 * dictionary is written as a property list and read back. The date readers
 * accept a stored date object as well as such a text.
 */
#ifndef ORVCOMMONKIT_ORVHANDLES_H
#define ORVCOMMONKIT_ORVHANDLES_H

#include <ORVCommonKit/orvexport.h>
#include <ORVCommonKit/orvobjects.h>

ORV_BEGIN_DECLS

/* ---- Data handles ---------------------------------------------------------- */

/* A new data handle of length bytes. With copy set the bytes are copied;
 * without it the handle takes the bytes over: they must come from malloc and
 * are freed by the library (at once or with the handle), never by the caller.
 * Null bytes with a length above 0 give null (reported). */
ORV_API ORVData *orv_data_create(void *bytes, unsigned int length, unsigned char copy);
/* A new data handle with the file's contents; null (reported) for a null or
 * empty path or a file that cannot be read. */
ORV_API ORVData *orv_data_create_from_file(const char *path);
/* The same handle with one more reference. */
ORV_API ORVData *orv_data_copy(ORVData *data);
/* Gives back one reference. */
ORV_API void orv_data_free(ORVData *data);
/* The bytes (valid while the handle lives) and their number. */
ORV_API const void *orv_data_bytes(ORVData *data);
ORV_API unsigned int orv_data_byte_count(ORVData *data);
/* The handle as a temporary object: one more reference, handed to the
 * current release pool. */
ORV_API ORVData *orv_data_object(ORVData *data);
/* A data object as a handle with one more reference; null (reported) when the
 * object is not a data object. */
ORV_API ORVData *orv_data_create_from_object(ORVObject *object);

/* ---- Dictionary handles ---------------------------------------------------- */

/* A new empty dictionary (one reference; give it back with orv_dict_free).
 * The capacity is the number of entries to make room for. */
ORV_API ORVDictionary *orv_mutable_dict_create(void);
ORV_API ORVDictionary *orv_mutable_dict_create_with_capacity(unsigned int capacity);
ORV_API void orv_dict_free(ORVDictionary *dict);

ORV_API unsigned int orv_dict_count(ORVDictionary *dict);
/* 1 when a value is stored under key, else 0. */
ORV_API int orv_dict_does_key_exist(ORVDictionary *dict, const char *key);
/* The stored object (no extra reference), or null. */
ORV_API ORVObject *orv_mutable_dict_obj_value_for_str_key(ORVDictionary *dict, const char *key);
/* The value's text: a text as stored, a number in decimal, a date as a date
 * text, anything else as its description; null when missing. Temporary. */
ORV_API const char *orv_dict_str_value_for_str_key(ORVDictionary *dict, const char *key);
/* The value's text read as a decimal integer (leading blanks and a sign
 * allowed, reading stops at the first other character); 0 when missing. */
ORV_API unsigned int orv_dict_uint_value_for_str_key(ORVDictionary *dict, const char *key);
/* Seconds since 1970 of the date value; 0 when missing or not a date. */
ORV_API int orv_dict_datetimestring_value_for_str_key(ORVDictionary *dict, const char *key);
/* Sets the six outputs (each may be null) to 0, then, when the value is a
 * date, to its year, month (1-12), day, hour (0-23), minute and second as
 * written in the date's own offset. */
ORV_API void orv_dict_datetime_value_for_str_key(ORVDictionary *dict, const char *key, int *year,
                                                 int *month, int *day, int *hour, int *minute,
                                                 int *second);
/* New arrays (one reference each, free with orv_array_free) of the keys and of
 * the values, in the order the keys were first stored. */
ORV_API ORVArray *orv_dict_all_keys(ORVDictionary *dict);
ORV_API ORVArray *orv_dict_all_values(ORVDictionary *dict);
/* The dictionary's property-list description. Temporary; "" for null. */
ORV_API const char *orv_dict_description(ORVDictionary *dict);

/* Store the decimal text of value, a text, or the object itself. A null
 * dictionary, key or text is reported; the object setter does nothing, without
 * a report, when any of its three arguments is null. */
ORV_API void orv_mutable_dict_set_int_value_for_str_key(ORVDictionary *dict, const char *key,
                                                       int value);
ORV_API void orv_mutable_dict_set_str_value_for_str_key(ORVDictionary *dict, const char *key,
                                                       const char *value);
ORV_API void orv_mutable_dict_set_obj_value_for_str_key(ORVDictionary *dict, const char *key,
                                                       ORVObject *value);
/* Append the decimal text or the text to the array stored under key, storing
 * a new array there first when the key has no value. A key holding something
 * other than an array is reported and left alone. */
ORV_API void orv_mutable_dict_add_int_value_for_str_key(ORVDictionary *dict, const char *key,
                                                       int value);
ORV_API void orv_mutable_dict_add_str_value_for_str_key(ORVDictionary *dict, const char *key,
                                                       const char *value);
/* Stores a date for the instant (seconds since 1970), seen in the local time
 * zone. */
ORV_API void orv_mutable_dict_set_datetime_value_for_str_key(ORVDictionary *dict,
                                                            const char *key, int seconds);
/* Stores a date for 02:00:00 local time of the day (02:00 rather than
 * midnight, which some zones skip when summer time begins). An impossible
 * day is reported and nothing is stored. */
ORV_API void orv_mutable_dict_set_date_value_for_str_key(ORVDictionary *dict, const char *key,
                                                        int year, int month, int day);
ORV_API void orv_mutable_dict_remove_value_for_str_key(ORVDictionary *dict, const char *key);

/* ---- Array handles --------------------------------------------------------- */

/* A new empty array (one reference; give it back with orv_array_free); a
 * capacity of 0 or less makes room for a default number of elements. */
ORV_API ORVArray *orv_array_create_with_capacity(int capacity);
/* Gives back one reference; null is warned about. */
ORV_API void orv_array_free(ORVArray *array);
ORV_API unsigned int orv_array_count(ORVArray *array);
/* Append a number, a new text, or the object itself; null arrays, texts and
 * objects are ignored. */
ORV_API void orv_array_add_int(ORVArray *array, int value);
ORV_API void orv_array_add_str(ORVArray *array, const char *value);
ORV_API void orv_array_add_obj(ORVArray *array, ORVObject *value);
/* The element at index (no extra reference); a null array or an index past
 * the end gives null and an "Invalid Parameter" report. */
ORV_API ORVObject *orv_array_object_at_index(ORVArray *array, unsigned int index);
/* The element's text (as for orv_dict_str_value_for_str_key; temporary) or
 * null; and that text read as a decimal integer, or 0. */
ORV_API const char *orv_array_str_at_index(ORVArray *array, unsigned int index);
ORV_API int orv_array_int_at_index(ORVArray *array, unsigned int index);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_ORVHANDLES_H */

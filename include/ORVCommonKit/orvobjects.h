/*
 * Platform objects seen through the C interface.
 *
 * Functions that take or return platform objects (strings, bundles, release
 * pools, data, dictionaries, arrays, calendar dates) use pointers to these
 * types. C sees incomplete structs; inside the library they are the classes of
 * the platform layer. Every object type is an ORVObject: in C cast with
 * ORV_OBJECT(p) to pass it where an ORVObject is asked for.
 *
 * Ownership:
 *  - a function documented as "+1" hands the caller one reference, which the
 *    caller gives back with orv_object_release (or hands to the innermost
 *    release pool with orv_object_autorelease);
 *  - a "temporary" object belongs to the innermost release pool of the calling
 *    thread and lives until that pool is destroyed; the caller retains it to
 *    keep it longer. Without any pool the thread's fallback pool keeps it
 *    until the thread ends;
 *  - a const char pointer taken from a string object is valid while that
 *    object lives.
 * Every function accepts null objects and then does nothing and returns 0,
 * null or the empty answer.
 */
#ifndef ORVCOMMONKIT_ORVOBJECTS_H
#define ORVCOMMONKIT_ORVOBJECTS_H

#include <ORVCommonKit/orvexport.h>

#include <stddef.h>

ORV_BEGIN_DECLS

typedef struct ORVObject ORVObject;
typedef struct ORVString ORVString;
typedef struct ORVNumber ORVNumber;
typedef struct ORVData ORVData;
typedef struct ORVArray ORVArray;
typedef struct ORVDictionary ORVDictionary;
typedef struct ORVBundle ORVBundle;
typedef struct ORVAutoreleasePool ORVAutoreleasePool;
typedef struct ORVCalendarDate ORVCalendarDate;

/* Any platform object pointer seen as an ORVObject. */
#define ORV_OBJECT(p) ((ORVObject *)(p))

/* The kind of an object, as orv_object_kind tells it. */
typedef enum orv_object_kind {
    ORV_KIND_OTHER = 0,
    ORV_KIND_STRING = 1,
    ORV_KIND_NUMBER = 2,
    ORV_KIND_DATA = 3,
    ORV_KIND_ARRAY = 4,
    ORV_KIND_DICTIONARY = 5,
    ORV_KIND_SET = 6, /* kept for its number; no object of the library is a set */
    ORV_KIND_DATE = 7,
    ORV_KIND_BUNDLE = 8,
    ORV_KIND_POOL = 9
} orv_object_kind;

/* ---- Every object ---- */

/* Adds one reference; returns obj. */
ORV_API ORVObject *orv_object_retain(ORVObject *obj);
/* Gives back one reference; the object is destroyed with its last one. */
ORV_API void orv_object_release(ORVObject *obj);
/* Hands one reference to the thread's innermost release pool; returns obj. */
ORV_API ORVObject *orv_object_autorelease(ORVObject *obj);
/* The current number of references (for diagnostics); 0 for null. */
ORV_API long orv_object_retain_count(const ORVObject *obj);
ORV_API orv_object_kind orv_object_kind_of(const ORVObject *obj);
/* 1 when both are null or equal by value (strings by bytes, numbers by value,
 * containers element by element), else 0. */
ORV_API int orv_object_is_equal(const ORVObject *a, const ORVObject *b);
/* The property-list text of the object, as a temporary string whose bytes
 * stay valid until the current pool is destroyed; "" for null. */
ORV_API const char *orv_object_description(const ORVObject *obj);

/* ---- Strings (bytes in Windows-1252; any byte but NUL through C) ---- */

/* +1: a new string holding a copy of the zero-terminated text; null for null. */
ORV_API ORVString *orv_string_create(const char *text);
/* +1: a new string of the length bytes at bytes (which may hold NULs). */
ORV_API ORVString *orv_string_create_with_bytes(const char *bytes, size_t length);
/* +1: a new string formatted as printf does, where %@ also stands for an
 * object argument (ORVObject *): a string's own bytes, another object's
 * description, "(null)" for null. Null for a null format. */
ORV_API ORVString *orv_string_create_with_format(const char *format, ...);
/* The string's bytes, zero-terminated; valid while the string lives. */
ORV_API const char *orv_string_cstring(const ORVString *s);
ORV_API size_t orv_string_length(const ORVString *s);

/* ---- Property lists ---- */

/* +1: the object read from a property-list text (OpenStep form, or a strings
 * table of "key" = "value"; pairs, which gives a dictionary). On malformed
 * input returns null, and when error_line/error_text are given stores the
 * 1-based line of the fault and a temporary text describing it. */
ORV_API ORVObject *orv_plist_parse(const char *text, size_t length, int *error_line,
                                   const char **error_text);
/* +1: as orv_plist_parse on the contents of a file; error_line is 0 when the
 * file itself cannot be read. */
ORV_API ORVObject *orv_plist_read_file(const char *path, int *error_line,
                                       const char **error_text);

/* ---- Archives (binary form of property-list objects between processes) ---- */

/* +1: a data object holding the archive of obj; null (with a temporary error
 * text) when the graph holds something an archive cannot carry. */
ORV_API ORVData *orv_archive_encode(const ORVObject *obj, const char **error_text);
/* +1: the object graph decoded from length bytes; null with a temporary error
 * text when the bytes are not a complete, valid archive. */
ORV_API ORVObject *orv_archive_decode(const void *bytes, size_t length,
                                      const char **error_text);
ORV_API const void *orv_data_bytes_of(const ORVData *data);
ORV_API size_t orv_data_length_of(const ORVData *data);

/* ---- Bundles (resource folders) ---- */

/* +1: a bundle over the given resource folder; null for null or "". */
ORV_API ORVBundle *orv_bundle_create(const char *path);
/* The bundle's folder; valid while the bundle lives. */
ORV_API const char *orv_bundle_path(const ORVBundle *bundle);
/* Temporary: the full path of the resource "<name>.<type>" (type may be null
 * or "" for a bare name) if such a file exists in the bundle, else null. */
ORV_API const char *orv_bundle_path_for_resource(const ORVBundle *bundle, const char *name,
                                                 const char *type);
/* Temporary: the value of key in the bundle's "<table>.strings" ("Localizable"
 * when table is null); when the key is missing, value if it is non-null and
 * non-empty, else the key itself. */
ORV_API const char *orv_bundle_localized_string(const ORVBundle *bundle, const char *key,
                                                const char *value, const char *table);

/* ---- File manager (with handler objects, see ORVStdHandler) ---- */

/* Temporary: a new ORVStdHandler for the caller's source file, line and the
 * verb of the operation ("rename", "remove", ...). The two strings are not
 * copied and must outlive the handler (string literals and __FILE__ do). */
ORV_API ORVObject *orv_std_handler_create(const char *file, int line, const char *operation);
/* Each returns 1 on success and 0 on failure; on failure the handler (may be
 * null) is asked whether to proceed. */
ORV_API int orv_file_manager_move_path(const char *from, const char *to, ORVObject *handler);
ORV_API int orv_file_manager_copy_path(const char *from, const char *to, ORVObject *handler);
ORV_API int orv_file_manager_remove_path(const char *path, ORVObject *handler);
/* Creates one directory with the given permission bits; 1 on success. */
ORV_API int orv_file_manager_create_directory(const char *path, unsigned int mode);
/* Sets the POSIX permission bits of path; 1 on success. */
ORV_API int orv_file_manager_set_permissions(const char *path, unsigned int mode);
/* 1 when path exists; is_directory (may be null) tells whether it is a folder. */
ORV_API int orv_file_manager_exists(const char *path, int *is_directory);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_ORVOBJECTS_H */

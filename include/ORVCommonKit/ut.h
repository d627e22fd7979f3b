/*
 * Files and directories: the standard directory set, path names, file
 * operations and directory operations. Binary comparison (utdiff.h) and DICOM
 * UIDs and GUIDs (utdicom.h) come with this header.
 *
 * Standard directories come from eighteen path-name keys. Each key text is at
 * once the key in the library's directory map (resources/directories.plist)
 * and the name of the environment variable that overrides it; the environment
 * is read again on every lookup.
 *
 * Result codes of the file and directory operations:
 *     0       success
 *    -1       failure, already reported through the trace facility
 *    -9998    the path is refused (missing, empty or a root directory)
 *    -9999    the descriptor is not valid or cannot be positioned
 *    -10000   the file is locked by another process or descriptor
 * The removal operations also return positive system error numbers (errno).
 *
 * Character strings returned by the path operations belong to temporary
 * string objects: they stay valid until the calling thread's innermost
 * release pool is released. Copy what you keep. Buffer-filling operations take
 * a maximum length and write at most that many characters plus a NUL.
 * Both "/" and "\" are separators on input; the library adds "/".
 */
#ifndef ORVCOMMONKIT_UT_H
#define ORVCOMMONKIT_UT_H

#include <ORVCommonKit/orvexport.h>
#include <ORVCommonKit/orvobjects.h>
#include <ORVCommonKit/utdiff.h>
#include <ORVCommonKit/utdicom.h>

#include <stddef.h>

ORV_BEGIN_DECLS

/* ---- Result codes --------------------------------------------------------- */

enum {
    ut_OK = 0,
    ut_FAILED = -1,
    ut_LASTWRITE_NOT_FOUND = 3,
    ut_REFUSED_PATH = -9998,
    ut_BAD_DESCRIPTOR = -9999,
    ut_LOCKED_BY_OTHER = -10000
};

/* ---- Standard directories ------------------------------------------------- */

/* The path-name keys, in declaration order. Their texts are "ORV_ROOT_PATH",
 * "ORV_SITE_PATH", "ORV_LOG_PATH" ... exactly as the constant names say. */
ORV_API extern const char *const ORVRootPathName;
ORV_API extern const char *const ORVSitePathName;
ORV_API extern const char *const ORVLogPathName;
ORV_API extern const char *const ORVTempPathName;
ORV_API extern const char *const ORVSiteConfigPathName;
ORV_API extern const char *const ORVSiteDataPathName;
ORV_API extern const char *const ORVSysPathName;
ORV_API extern const char *const ORVAppsPathName;
ORV_API extern const char *const ORVBundlePathName;
ORV_API extern const char *const ORVSysConfigPathName;
ORV_API extern const char *const ORVSysDataPathName;
ORV_API extern const char *const ORVFrameworkPathName;
ORV_API extern const char *const ORVServerPathName;
ORV_API extern const char *const ORVUtilityPathName;
ORV_API extern const char *const ORVPrivateUtilityPathName;
ORV_API extern const char *const ORVUserPathName;
ORV_API extern const char *const ORVUserConfigPathName;
ORV_API extern const char *const ORVUserDataPathName;

/* The directory of a path-name key: the key's environment variable when set
 * (even to ""), else the directory map's entry resolved through its parents.
 * A temporary string object, or null when the key is not in the map, a parent
 * does not resolve, or the map cannot be found (reported). */
ORV_API ORVString *ut_orv_path_with_name(const char *key);
/* The same as characters of the temporary string object, or null. */
ORV_API const char *ut_orv_path_cstring_with_name(const char *key);

/* The character form of ut_orv_path_with_name for one key each, or null. */
ORV_API const char *ut_orv_log_dir(void);
ORV_API const char *ut_orv_temp_dir(void);
ORV_API const char *ut_orv_site_config_dir(void);
ORV_API const char *ut_orv_site_data_dir(void);
ORV_API const char *ut_orv_apps_dir(void);
ORV_API const char *ut_orv_sys_config_dir(void);
ORV_API const char *ut_orv_sys_data_dir(void);
ORV_API const char *ut_orv_server_dir(void);
ORV_API const char *ut_orv_utility_dir(void);
ORV_API const char *ut_orv_private_utility_dir(void);
ORV_API const char *ut_orv_user_config_dir(void);
ORV_API const char *ut_orv_user_data_dir(void);

/* ---- Path and file-name manipulation -------------------------------------- */

/* buffer = base + "/" + local (local null or empty: base + "/"). */
ORV_API void ut_file_build_full_path(char *buffer, const char *base_path,
                                     const char *local_file_name, int max_len);
/* Appends "/" when the path does not end in a separator and buffer_size
 * leaves room for it and the NUL. */
ORV_API void ut_file_add_separator(char *buffer, int buffer_size);
/* Last component; last component without its extension; extension (without
 * the dot, possibly empty); the path without its last component. On failure
 * the buffer is left untouched. */
ORV_API void ut_file_extract_name(char *buffer, const char *full_path, int max_len);
ORV_API void ut_file_extract_name_sans_ext(char *buffer, const char *full_path, int max_len);
ORV_API void ut_file_extract_ext(char *buffer, const char *full_path, int max_len);
ORV_API void ut_file_extract_parent_dir(char *buffer, const char *full_path, int max_len);
/* The number N of a last component "viewN..." (case ignored), else -1. */
ORV_API int ut_file_extract_image_number(const char *file_name);

/* Component operations returning temporary strings (null for a null path). */
ORV_API const char *ut_last_path_component(const char *path);
ORV_API const char *ut_append_path_component(const char *path, const char *component);
ORV_API const char *ut_delete_last_path_component(const char *path);
/* 1 for "/", "\", "C:", "c:/", "D:\"; 1 with an error report for null or "";
 * else 0. */
ORV_API unsigned char ut_is_root_directory(const char *path);

/* ---- File operations ------------------------------------------------------ */

/* Copies a file (replacing the destination) or, for a directory source and a
 * new destination, the whole tree. 0 or -1. */
ORV_API int ut_file_copy(const char *source, const char *destination);
/* Rename policy for every later ut_file_rename: retries (default 10) and the
 * pause between them in milliseconds (default 100). */
ORV_API void ut_set_file_rename_retry(int num_retry, int millisec_between_retry);
/* Moves source onto destination: afterwards either the move happened and the
 * old destination is gone, or nothing changed. The old destination is kept as
 * "<destination>.utbak" until the new one is in place. 0 or -1. */
ORV_API int ut_file_rename(const char *source, const char *destination);
/* Creates a new empty file; fails when it exists. 0 or -1. */
ORV_API int ut_create_empty_file(const char *path);
/* A temporary one-entry attribute dictionary holding the permission bits, for
 * ut_ensure_directory_at_path; null on failure. */
ORV_API ORVDictionary *ut_file_create_permissions(unsigned short bits);
ORV_API int ut_file_set_permissions(const char *path, unsigned short bits);
/* Whole-file advisory lock of an open descriptor, without waiting; the file
 * position is kept. 0, -1, -9999 (bad descriptor) or -10000 (held by another). */
ORV_API int ut_file_try_lock(int fd);
/* 0 (also when nothing was locked), -1 or -9999. */
ORV_API int ut_file_unlock(int fd);
/* Reads at most size bytes of the file into buffer (no NUL added); stores the
 * count read in *bytes_read when given. 0 or -1. */
ORV_API int ut_read_file_into_memory(void *buffer, size_t size, size_t *bytes_read,
                                     const char *path);
/* 1 when the path exists (a directory counts), else 0. */
ORV_API unsigned char ut_does_file_exist(const char *path);
/* 0 with *exists set (a missing file or directory part gives 0 and no), or -1
 * when the check itself failed. */
ORV_API int ut_does_file_exist_ex(const char *path, unsigned char *exists);
ORV_API int ut_does_file_or_directory_exist_ex(const char *path, unsigned char *exists,
                                               unsigned char *is_directory);
/* Size of a file, or of every file of a directory tree, in bytes. 0 or -1. */
ORV_API int ut_get_longlong_path_size(const char *path, long long *size);
/* As above, 32-bit; a size of 4 GiB or more gives -1 and 0. */
ORV_API int ut_get_path_size(const char *path, unsigned int *size);
/* Last write time in seconds since 1970 (UTC). 0, 3 (path missing) or -1. */
ORV_API int ut_get_path_lastwrite_time(const char *path, int *time);
ORV_API int ut_file_last_modified_time(const char *path, int *time);

/* ---- Directory operations ------------------------------------------------- */

/* Called with the bare name of each file a tree copy has copied. */
typedef void (*ut_callback_function)(const char *file_name);

/* Directory listing handle of ut_native_opendir. */
typedef struct ut_native_dir ut_native_dir;

/* Removes a file or a whole tree. A symbolic link is removed as a link; the
 * tree it points to is never entered. The handler is a file-manager handler
 * object (ORVStdHandler or another object of that protocol; null stops at the
 * first failure): it is told of each path before deletion and asked whether to
 * go on after a failure. 0, -9998 (null, empty or root path) or the errno of
 * the (last) failure. */
ORV_API int ut_remove_path(const char *path);
ORV_API int ut_remove_path_ex(const char *path);
ORV_API int ut_remove_path_ex_with_handler(const char *path, ORVObject *handler);
/* Removes every entry of the directory, which stays. 0, -1 or -9998. */
ORV_API int ut_empty_dir(const char *dir);
/* Creates a new uniquely named directory below the temporary directory (and
 * below sub_dir there, when given) and writes its path (at most 255 bytes and
 * a NUL) into buffer. 0 or -1. */
ORV_API int ut_make_temp_dir(char *buffer, const char *sub_dir);
/* Removes name (relative to the temporary directory) and all below it.
 * 0, -1 or -9998. */
ORV_API int ut_remove_temp_path(const char *name);
/* 1 when path is (now) a directory, creating missing parents with the given
 * attributes (may be null); 0 otherwise. */
ORV_API unsigned char ut_ensure_directory_at_path(const char *path, ORVDictionary *attributes);
/* Creates the directory and its missing parents; bits 0 means default
 * permissions. 0, -1 or -9998. */
ORV_API int ut_force_dir(const char *path);
ORV_API int ut_force_dir_with_perm(const char *path, unsigned short bits);
/* Creates the directory and missing parents; an existing one is fine. 1 or 0. */
ORV_API unsigned char ut_create_directory_with_native(const char *path);
ORV_API unsigned char ut_create_directory_with_native_with_option(const char *path,
                                                                  unsigned char existing_is_fine);
ORV_API int ut_force_dir_with_native(const char *path);
/* 1 when the path exists and is a directory, else 0. */
ORV_API int ut_does_dir_exist(const char *path);
/* Sets the callback of every later tree copy (null: none). */
ORV_API void ut_set_callback(ut_callback_function callback);
/* Copies the tree below source into destination (merging into an existing
 * directory; an existing file of the same name fails). Symbolic links are
 * copied as links. 0 or -1. */
ORV_API int ut_dir_copy(const char *source, const char *destination);
ORV_API int ut_dir_copy_with_callback(const char *source, const char *destination,
                                      ut_callback_function callback);
/* Directory listing: open, read one name at a time (in the handle's buffer,
 * overwritten by the next call; null at the end), close. */
ORV_API ut_native_dir *ut_native_opendir(const char *path);
ORV_API const char *ut_native_readdir(ut_native_dir *handle);
ORV_API int ut_native_closedir(ut_native_dir *handle);
/* Every entry name of the handle, sorted by byte comparison, as a new array of
 * strings that the caller releases (orv_object_release); 0 or -1. */
ORV_API int ut_native_list_entries(ut_native_dir *handle, ORVArray **names, int *count);
/* Number of files (and subdirectories when count_directories) directly in
 * dir, or -1. */
ORV_API int ut_file_count_for_dir(const char *dir, unsigned char count_directories);
/* Clears the read-only state (adds owner write) of every file in the tree.
 * 0 or -1. */
ORV_API int ut_dir_set_writeable(const char *dir);
/* *is_empty = 1 when no file in the tree has a size above zero. 0 or -1. */
ORV_API int ut_dir_is_empty(const char *dir, unsigned char *is_empty);

/* ---- Partition capacity --------------------------------------------------- */

/* Sizes of the file system holding path, in KiB (bytes / 1024, rounded down,
 * taken modulo 2^32). The free space is the whole volume's, not just what the
 * calling user may fill. The single-value calls give 0 on failure (which they
 * cannot tell from an empty volume); ut_get_kbytes_on_partition_with_path
 * gives 0 or -1, and either output may be null. Failures are reported. */
ORV_API unsigned int ut_total_kbytes_on_partition_with_path(const char *path);
ORV_API unsigned int ut_free_kbytes_on_partition_with_path(const char *path);
ORV_API int ut_get_kbytes_on_partition_with_path(const char *path, unsigned int *total_kbytes,
                                                 unsigned int *free_kbytes);

/* ---- Host names, sleeping, thread priority, templates --------------------- */

/* The local host's name, looked up once (library-owned). */
ORV_API const char *ut_gethostname(void);
/* The name under which host's shares are reached: the SITE value of
 * "<host>.VIRTUAL_NAME" in configuration group "rarivurizez", else the host
 * name itself. Null or "" means the local host. A host the caller names must
 * exist (else null, reported). Each host is resolved once per process; the
 * result is library-owned. Starts and stops the configuration module around
 * the lookup when it is not started. */
ORV_API const char *ut_get_virtual_name_for_host_name(const char *host);
/* The distinct servers ("\\SERVER") of the sys, site and user configuration
 * and the sys and site data directories that are network paths. *count gets
 * their number, *names a new array of new strings (in no defined order) that
 * the caller frees with ut_free_string_array. 0; -1 for a null output. */
ORV_API int ut_get_remote_shared_servers(int *count, char ***names);
/* Frees the first count non-null strings of array, then array. */
ORV_API void ut_free_string_array(int count, char **array);
/* Suspend the calling thread. */
ORV_API void ut_sleep(int seconds);
ORV_API void ut_msleep(int milliseconds);

/* Thread priority levels. */
enum { ut_PRIORITY_HIGH = 0, ut_PRIORITY_NORMAL = 1, ut_PRIORITY_LOW = 2 };
/* Sets the calling thread's priority one step above normal, to normal, or one
 * step below (nice -1, 0, +1). 0, or -1 for another level or a refused
 * change (raising needs privilege). */
ORV_API int ut_set_thread_priority(int level);
/* "high", "normal", "low" (any case) to their level; any other word is
 * reported and gives ut_PRIORITY_NORMAL. */
ORV_API int ut_thread_priority_from_string(const char *word);

/* Template checks: in a template "#" stands for a digit, "a" for a letter,
 * "x" for a letter or a digit, any other character for itself; with
 * wildcards "?" also stands for any character and "*" for any rest. 1 when
 * input matches (of the same length, unless a "*" ends the check), else 0. */
ORV_API unsigned char ut_verify_input_str_with_format(const char *input, const char *format);
ORV_API unsigned char ut_verify_str_with_format_match_wildcards(const char *input,
                                                                const char *format);
/* Shapes input into the template by inserting its literal characters:
 * "123456789" with "###-##-####" gives "123-45-6789". buffer holds size
 * characters and a NUL. 0, or -1 with an empty buffer when input and template
 * do not both run out; input of the template's length is copied unchanged. */
ORV_API int ut_convert_str_to_format(const char *input, const char *format, char *buffer,
                                     int size);
/* The network form of a local path: "C:\orv\x" becomes "\\VNAME\orv\x",
 * "d:\images" becomes "\\VNAME\D\images", where VNAME is the virtual name of
 * host (null or "": the local host). A path that already starts with "\\" is
 * returned itself. A temporary string, or null (reported). */
ORV_API const char *ut_convert_path_to_unc_path(const char *path, const char *host);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_UT_H */

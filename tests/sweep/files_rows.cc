// Sweep rows of files and directories: hostile paths (null, empty, 100,000
// bytes, 50,000 components below a file), buffers that end against an
// unreadable page, hostile descriptors, sizes and permission bits.
#include "sweep.h"

namespace {

void on_copy(const char *) {}
int sweep_time = 0;

// The path-buffer functions of the form f(buffer, path, max_len).
using Extract = void (*)(char *, const char *, int);

}  // namespace

SWEEP_ROWS(files) {
    using sweep::Expect;
    // Standard directories.
    rows.texts({0, 0, 0}, {SWEEP_TEXT(ut_orv_path_with_name, t), SWEEP_TEXT(ut_orv_path_cstring_with_name, t)});
    const std::pair<const char *, const char *(*)()> dirs[] = {
        {"ut_orv_log_dir", ut_orv_log_dir}, {"ut_orv_temp_dir", ut_orv_temp_dir},
        {"ut_orv_site_config_dir", ut_orv_site_config_dir}, {"ut_orv_site_data_dir", ut_orv_site_data_dir},
        {"ut_orv_apps_dir", ut_orv_apps_dir}, {"ut_orv_sys_config_dir", ut_orv_sys_config_dir},
        {"ut_orv_sys_data_dir", ut_orv_sys_data_dir}, {"ut_orv_server_dir", ut_orv_server_dir},
        {"ut_orv_utility_dir", ut_orv_utility_dir}, {"ut_orv_private_utility_dir", ut_orv_private_utility_dir},
        {"ut_orv_user_config_dir", ut_orv_user_config_dir}, {"ut_orv_user_data_dir", ut_orv_user_data_dir},
    };
    for (const auto &[name, fn] : dirs) {
        rows.add(name, "variable set to 100,000 bytes", [fn = fn] {
            setenv("ORV_ROOT_PATH", sweep::texts()[2].value, 1);
            setenv("ORV_LOG_PATH", sweep::texts()[2].value, 1);
            setenv("ORV_SITE_CONFIG_PATH", "", 1);
            fn();
            return 0L;
        });
        rows.add(name, "variable unset, no pool", [fn = fn] { unsetenv("ORV_ROOT_PATH"); fn(); return 0L; });
    }

    // Path manipulation into buffers of max_len + 1 bytes against an unreadable
    // page (the hostile path as the base, then as the local name, of a full
    // path; a separator added to it in place); negative lengths; no buffer.
    const std::pair<const char *, Extract> extracts[] = {
        {"ut_file_extract_name", ut_file_extract_name},
        {"ut_file_extract_name_sans_ext", ut_file_extract_name_sans_ext},
        {"ut_file_extract_ext", ut_file_extract_ext},
        {"ut_file_extract_parent_dir", ut_file_extract_parent_dir},
        {"ut_file_build_full_path", [](char *b, const char *t, int n) { ut_file_build_full_path(b, t, "local.txt", n); }},
        {"ut_file_build_full_path", [](char *b, const char *t, int n) { ut_file_build_full_path(b, "/base", t, n); }},
        {"ut_file_add_separator", [](char *b, const char *t, int n) {
             if (b && t && n >= 0 && std::strlen(t) <= size_t(n)) std::strcpy(b, t);
             ut_file_add_separator(b, n + 1);
         }},
    };
    for (const auto &[name, fn] : extracts) {
        for (int n : {0, 1, 8, 255})
            rows.path(name, "into " + std::to_string(n + 1) + " bytes", [fn = fn, n](const char *t) { char *b = sweep::guarded_buffer(n + 1); fn(b, t, n); return long(std::strlen(b) <= size_t(n)); }, {1, 1, 1});
        for (int n : {INT_MIN, -1})
            rows.add(name, "negative length " + std::to_string(n), [fn = fn, n] { char b[4] = "xy"; fn(b, "/a/b.c", n); return 0L; });
        rows.add(name, "null buffer", [fn = fn] { fn(nullptr, "/a/b.c", 10); return 0L; });
    }
    rows.paths({0, {}}, {SWEEP_TEXT(ut_last_path_component, t), SWEEP_TEXT(ut_delete_last_path_component, t)});
    rows.text2("ut_append_path_component", [](const char *a, const char *b) { ut_append_path_component(a, b); return 0L; }, "/base");
    rows.paths({1, 1}, {SWEEP_TEXT(ut_is_root_directory, t)});

    // File operations.
    rows.text2("ut_file_copy", [](const char *a, const char *b) { return long(ut_file_copy(a, b)); }, sweep::missing_path(), {-1, -1});
    rows.text2("ut_file_rename", [](const char *a, const char *b) { ut_set_file_rename_retry(0, 0); return long(ut_file_rename(a, b)); }, sweep::missing_path(), {-1, -1});
    // Large counts are honoured as given (a caller asking for a billion tries
    // gets them), so only the negative and zero policies are hostile here.
    for (int v : {INT_MIN, -1, 0})
        rows.add("ut_set_file_rename_retry", "retries and pause " + std::to_string(v), [v] { ut_set_file_rename_retry(v, v); return long(ut_file_rename(sweep::missing_path(), sweep::scratch("renamed").c_str())); }, -1);
    for (unsigned short bits : {0, 0777, 0xFFFF}) {
        rows.add("ut_file_create_permissions", "bits " + std::to_string(bits), [bits] { orvstd_init(); return long(ut_file_create_permissions(bits) != nullptr); }, 1);
        rows.path("ut_file_set_permissions", [bits](const char *t) { return long(ut_file_set_permissions(t, bits)); }, {-1, -1});
    }
    for (int fd : {INT_MIN, -1, 1000, INT_MAX}) {
        rows.add("ut_file_try_lock", "descriptor " + std::to_string(fd), [fd] { return long(ut_file_try_lock(fd)); }, -9999);
        rows.add("ut_file_unlock", "descriptor " + std::to_string(fd), [fd] { return long(ut_file_unlock(fd)); }, -9999);
    }
    rows.add("ut_file_try_lock", "a pipe", [] { int p[2]; if (pipe(p) != 0) return 0L; ut_file_try_lock(p[0]); return 0L; });
    rows.add("ut_file_unlock", "a pipe", [] { int p[2]; if (pipe(p) != 0) return 0L; ut_file_unlock(p[0]); return 0L; });
    rows.path("ut_read_file_into_memory", [](const char *t) { char b[16]; size_t n = 99; return long(ut_read_file_into_memory(b, sizeof b, &n, t)); }, {-1, -1});
    rows.add("ut_read_file_into_memory", "null buffer", [] { size_t n = 99; return long(ut_read_file_into_memory(nullptr, 10, &n, sweep::existing_file()) + long(n)); }, -1);
    rows.add("ut_read_file_into_memory", "buffer of 3 bytes against an unreadable page", [] { char *b = sweep::guarded_buffer(3); return long(ut_read_file_into_memory(b, 3, nullptr, sweep::existing_file())); }, 0);
    rows.add("ut_read_file_into_memory", "size 0", [] { char b[1]; size_t n = 9; ut_read_file_into_memory(b, 0, &n, sweep::existing_file()); return long(n); }, 0);
    rows.path("ut_does_file_exist_ex", [](const char *t) { unsigned char e = 7; const long r = ut_does_file_exist_ex(t, &e); return r == 0 && e > 1 ? 1L : r; }, {-1, 0});
    rows.path("ut_does_file_or_directory_exist_ex", [](const char *t) { unsigned char e = 7; const long r = ut_does_file_or_directory_exist_ex(t, &e, nullptr); return r == 0 && e > 1 ? 1L : r; }, {-1, 0});
    rows.add("ut_does_file_or_directory_exist_ex", "null flags", [] { return long(ut_does_file_or_directory_exist_ex(sweep::existing_dir(), nullptr, nullptr)); }, -1);
    rows.path("ut_get_longlong_path_size", [](const char *t) { long long s = 0; return long(ut_get_longlong_path_size(t, &s)); }, {-1, -1});
    rows.path("ut_get_path_size", [](const char *t) { unsigned s = 0; return long(ut_get_path_size(t, &s)); }, {-1, -1});
    rows.paths({-1, 3}, {SWEEP_TEXT(ut_get_path_lastwrite_time, t, &sweep_time), SWEEP_TEXT(ut_file_last_modified_time, t, &sweep_time)});
    using sweep::existing_file;
    rows.each("a file, null output", -1, {SWEEP_CALL(ut_does_file_exist_ex, existing_file(), nullptr), SWEEP_CALL(ut_get_longlong_path_size, existing_file(), nullptr),
                                          SWEEP_CALL(ut_get_path_size, existing_file(), nullptr), SWEEP_CALL(ut_get_path_lastwrite_time, existing_file(), nullptr),
                                          SWEEP_CALL(ut_file_last_modified_time, existing_file(), nullptr)});

    // Directory operations.
    rows.paths({-9998, -9998}, {SWEEP_TEXT(ut_remove_path, t), SWEEP_TEXT(ut_remove_path_ex, t), SWEEP_TEXT(ut_empty_dir, t), SWEEP_TEXT(ut_remove_temp_path, t),
                                SWEEP_TEXT(ut_force_dir, t), SWEEP_TEXT(ut_force_dir_with_perm, t, 0xFFFF), SWEEP_TEXT(ut_force_dir_with_native, t)});
    rows.paths({0, 0}, {SWEEP_TEXT(ut_create_directory_with_native, t), SWEEP_TEXT(ut_create_directory_with_native_with_option, t, 0),
                        SWEEP_TEXT(ut_does_dir_exist, t), SWEEP_TEXT(ut_does_file_exist, t)});
    rows.paths({-1, -1}, {SWEEP_TEXT(ut_create_empty_file, t), SWEEP_TEXT(ut_dir_set_writeable, t), SWEEP_TEXT(ut_file_extract_image_number, t)});
    rows.path("ut_remove_path_ex_with_handler", [](const char *t) { orvstd_init(); return long(ut_remove_path_ex_with_handler(t, orv_std_handler_create(__FILE__, __LINE__, "remove"))); }, {-9998, -9998});
    rows.text("ut_make_temp_dir", [](const char *t) { char *b = sweep::guarded_buffer(256); return long(ut_make_temp_dir(b, t) == 0 && std::strlen(b) > 255); }, {0, 0});
    rows.path("ut_ensure_directory_at_path", [](const char *t) { orvstd_init(); return long(ut_ensure_directory_at_path(t, ut_file_create_permissions(0700))); }, {0, 0});
    rows.add("ut_set_callback", "null", [] { ut_set_callback(nullptr); return long(ut_dir_copy(sweep::existing_dir(), sweep::scratch("copy").c_str())); }, 0);
    rows.add("ut_set_callback", "a callback", [] { ut_set_callback(on_copy); return long(ut_dir_copy(sweep::existing_dir(), sweep::scratch("copy").c_str())); }, 0);
    // A source that is not a directory fails; a new destination is created
    // (any name that can exist), one that cannot exist fails.
    for (const sweep::Text &t : sweep::path_texts()) {
        const bool creatable = t.value && *t.value && std::strlen(t.value) < 100;
        const std::optional<long> dest = creatable ? 0L : -1L;
        rows.add("ut_dir_copy", std::string("source ") + t.label, [t] { return long(ut_dir_copy(t.value, sweep::scratch("copy").c_str())); }, -1);
        rows.add("ut_dir_copy", std::string("destination ") + t.label, [t] { return long(ut_dir_copy(sweep::existing_dir(), t.value)); }, dest);
        rows.add("ut_dir_copy_with_callback", std::string("source ") + t.label, [t] { return long(ut_dir_copy_with_callback(t.value, sweep::scratch("copy").c_str(), nullptr)); }, -1);
        rows.add("ut_dir_copy_with_callback", std::string("destination ") + t.label, [t] { return long(ut_dir_copy_with_callback(sweep::existing_dir(), t.value, on_copy)); }, dest);
    }
    rows.path("ut_native_opendir", [](const char *t) {
        ut_native_dir *d = ut_native_opendir(t);
        while (d && ut_native_readdir(d)) {}
        ORVArray *names = nullptr;
        int count = 0;
        ut_native_list_entries(d, &names, &count);
        orv_object_release(ORV_OBJECT(names));
        ut_native_closedir(d);
        return long(d != nullptr);
    }, {0, 0});
    rows.add("ut_native_readdir", "after the end, again", [] { ut_native_dir *d = ut_native_opendir(sweep::existing_dir()); while (ut_native_readdir(d)) {} const long r = ut_native_readdir(d) != nullptr; ut_native_closedir(d); return r; }, 0);
    rows.add("ut_native_closedir", "null handle", [] { return long(ut_native_closedir(nullptr)); }, -1);
    rows.add("ut_native_list_entries", "null outputs", [] { ut_native_dir *d = ut_native_opendir(sweep::existing_dir()); const long r = ut_native_list_entries(d, nullptr, nullptr); ut_native_closedir(d); return r; }, -1);
    rows.path("ut_file_count_for_dir", [](const char *t) { return long(ut_file_count_for_dir(t, 1)); }, {-1, {}});
    rows.path("ut_dir_is_empty", [](const char *t) { unsigned char e = 7; return long(ut_dir_is_empty(t, &e)); }, {-1, -1});
    rows.add("ut_dir_is_empty", "null flag", [] { return long(ut_dir_is_empty(sweep::existing_dir(), nullptr)); });
}

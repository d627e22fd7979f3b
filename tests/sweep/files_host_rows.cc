// Sweep rows of partition capacity, host names, network paths, sleeping,
// thread priority and input templates: hostile paths, host names, words,
// templates and levels, buffers that end against an unreadable page.
#include "sweep.h"

SWEEP_ROWS(files_host) {
    using sweep::Expect;
    rows.paths({0, 0}, {SWEEP_TEXT(ut_total_kbytes_on_partition_with_path, t), SWEEP_TEXT(ut_free_kbytes_on_partition_with_path, t)});
    rows.path("ut_get_kbytes_on_partition_with_path", [](const char *t) { unsigned total = 1, free = 1; const long r = ut_get_kbytes_on_partition_with_path(t, &total, nullptr); ut_get_kbytes_on_partition_with_path(t, nullptr, &free); return r; }, {-1, -1});

    rows.add("ut_gethostname", "twice", [] { return long(ut_gethostname() == ut_gethostname()); }, 1);
    // A name is looked up only when it is neither null nor empty, and the
    // long and directive texts are refused by the resolver without a query
    // leaving the machine; the local host needs the configuration.
    rows.start(sweep::Start::Configured);
    rows.add("ut_get_virtual_name_for_host_name", "null", [] { return long(ut_get_virtual_name_for_host_name(nullptr) != nullptr); }, 1);
    rows.add("ut_get_virtual_name_for_host_name", "empty", [] { return long(ut_get_virtual_name_for_host_name("") != nullptr); }, 1);
    rows.add("ut_get_virtual_name_for_host_name", "100,000 bytes", [] { return long(ut_get_virtual_name_for_host_name(sweep::texts()[2].value) != nullptr); }, 0);
    rows.text2("ut_convert_path_to_unc_path", [](const char *a, const char *b) { return long(ut_convert_path_to_unc_path(a, b && *b ? nullptr : b) != nullptr) * 0; }, "c:\\orv\\x");
    rows.start(sweep::Start::Bare);
    rows.add("ut_get_virtual_name_for_host_name", "unconfigured, null", [] { ut_get_virtual_name_for_host_name(nullptr); return 0L; });
    for (const char *path : {"\\\\", "\\\\\\\\\\", "\\\\a", "c:", "c:\\", "/", "\\orv\\", "cc:\\x"})
        rows.add("ut_convert_path_to_unc_path", std::string("shape ") + path, [path] { ut_convert_path_to_unc_path(path, nullptr); ut_convert_path_to_unc_path(path, "%s%n"); return 0L; });
    rows.add("ut_get_remote_shared_servers", "null outputs", [] { int n = 0; char **names = nullptr; const long a = ut_get_remote_shared_servers(nullptr, &names); const long b = ut_get_remote_shared_servers(&n, nullptr); return a + b; }, -2);
    rows.add("ut_get_remote_shared_servers", "network directories of 100,000 bytes", [] {
        const std::string unc = "\\\\" + std::string(sweep::texts()[2].value);
        setenv("ORV_SITE_CONFIG_PATH", unc.c_str(), 1);
        setenv("ORV_SYS_DATA_PATH", "\\\\", 1);
        int n = -1;
        char **names = nullptr;
        const long r = ut_get_remote_shared_servers(&n, &names);
        const long fits = n == 2 && std::max(std::strlen(names[0]), std::strlen(names[1])) == 255;
        ut_free_string_array(n, names);
        return r == 0 && fits;
    }, 1);
    rows.add("ut_free_string_array", "null array", [] { ut_free_string_array(5, nullptr); return 0L; });
    rows.add("ut_free_string_array", "negative count", [] { ut_free_string_array(-1, static_cast<char **>(calloc(1, sizeof(char *)))); return 0L; });
    for (int n : {INT_MIN, -1, 0}) {
        rows.add("ut_sleep", std::to_string(n), [n] { ut_sleep(n); return 0L; });
        rows.add("ut_msleep", std::to_string(n), [n] { ut_msleep(n); return 0L; });
    }
    // Level 0 (one step above normal) depends on privilege; no other hostile
    // integer is a level.
    rows.integer("ut_set_thread_priority", [](int n) { const int r = ut_set_thread_priority(n); return long(n == 0 || r == -1); }, 1);
    rows.texts({1, 1}, {SWEEP_TEXT(ut_thread_priority_from_string, t)});

    rows.text2("ut_verify_input_str_with_format", [](const char *a, const char *b) { return long(ut_verify_input_str_with_format(a, b)); }, "###", {0, 0});
    rows.text2("ut_verify_str_with_format_match_wildcards", [](const char *a, const char *b) { return long(ut_verify_str_with_format_match_wildcards(a, b)); }, "a*?", {0, {}});
    for (int size : {-1, 0, 1, 7, 255}) {
        rows.text2("ut_convert_str_to_format", [size](const char *a, const char *b) {
            char *buffer = sweep::guarded_buffer(size + 1 > 0 ? size + 1 : 1);
            buffer[0] = '\0';
            ut_convert_str_to_format(a, b, buffer, size);
            return long(std::strlen(buffer) <= size_t(size < 0 ? 0 : size));
        }, "###-##-####", {1, 1});
    }
}

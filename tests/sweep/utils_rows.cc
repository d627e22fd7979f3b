// Sweep rows of comparisons, UIDs and GUIDs, partition sizes, host names,
// sleeping, thread priority and input templates: hostile paths, filters,
// buffer sizes, kinds, levels and templates. Host names that would need a
// name server are left out: the sweep must not depend on the network.
#include "sweep.h"

#include <ORVCommonKit/orvstd.h>
#include <ORVCommonKit/ut.h>
#include <ORVCommonKit/utdicom.h>
#include <ORVCommonKit/utdiff.h>

#include <climits>
#include <cstring>

namespace {

void poll() {}

}  // namespace

SWEEP_ROWS(utils) {
    // Comparisons.
    rows.text2("ut_binary_diff", [](const char *a, const char *b) { return long(ut_binary_diff(a, b, 0, nullptr)); }, sweep::existing_file());
    for (int count : {INT_MIN, -1, 1, 3})
        rows.add("ut_binary_diff", "filter count " + std::to_string(count), [count] {
            const char *const extensions[] = {nullptr, "", sweep::texts()[2].value};
            ut_binary_diff(sweep::existing_dir(), sweep::existing_dir(), count, count > 0 ? extensions : nullptr);
            ut_binary_diff(sweep::existing_dir(), sweep::existing_dir(), count, nullptr);
            return 0L;
        });
    rows.text2("ut_binary_diff_array", [](const char *a, const char *b) {
        const char *const files[] = {"inside.txt", nullptr, "", "../present.txt", sweep::texts()[2].value};
        ut_binary_diff_array(a, b, 0, nullptr, 5, files);
        return 0L;
    }, sweep::existing_dir());
    for (int count : {INT_MIN, -1, 0, 2})
        rows.add("ut_binary_diff_array", "file count " + std::to_string(count) + ", null names", [count] { ut_binary_diff_array(sweep::existing_dir(), sweep::existing_dir(), 0, nullptr, count, nullptr); return 0L; });
    rows.integer("ut_set_diff_buffer_size_kbytes", [](int v) { ut_set_diff_buffer_size_kbytes(v > (1 << 20) ? 1 << 20 : v); ut_binary_diff(sweep::existing_file(), sweep::existing_file(), 0, nullptr); return 0L; });
    rows.add("ut_set_poll_callback", "a callback, then null", [] { ut_set_poll_callback(poll); ut_binary_diff(sweep::existing_dir(), sweep::existing_dir(), 0, nullptr); ut_set_poll_callback(nullptr); ut_binary_diff(sweep::existing_dir(), sweep::existing_dir(), 0, nullptr); return 0L; });

    // UIDs and GUIDs.
    rows.add("ut_dicom_uid_root", "fresh", [] { return long(ut_dicom_uid_root() == nullptr); }, 0);
    for (unsigned kind : {0u, 1u, 9u, 10u, 0xFFFFFFFFu})
        rows.add("ut_dicom_uid_nsstr", "kind " + std::to_string(kind), [kind] { orvstd_init(); ut_dicom_uid_nsstr(kind); return 0L; });
    rows.add("ut_generate_dicom_study_uid", "twice", [] { return long(std::strlen(ut_generate_dicom_study_uid()) > 64 || std::strlen(ut_generate_dicom_study_uid()) > 64); }, 0);
    rows.add("ut_generate_dicom_series_uid", "once", [] { return long(std::strlen(ut_generate_dicom_series_uid()) > 64); }, 0);
    rows.add("ut_generate_dicom_image_uid", "once", [] { return long(std::strlen(ut_generate_dicom_image_uid()) > 64); }, 0);
    rows.add("ut_generate_dicom_kin_uid", "once", [] { return long(std::strlen(ut_generate_dicom_kin_uid()) > 64); }, 0);
    rows.add("ut_generate_dicom_storcommit_uid", "once", [] { return long(std::strlen(ut_generate_dicom_storcommit_uid()) > 64); }, 0);
    for (int size : {INT_MIN, -1, 0, 1, 64, 65, 200}) {
        const std::string args = "size " + std::to_string(size) + ", buffer against an unreadable page";
        rows.add("ut_generate_instance_uid", args, [size] { ut_generate_instance_uid(sweep::guarded_buffer(size > 0 ? size : 1), size); return long(ut_generate_instance_uid(nullptr, size)); }, -1);
        rows.add("ut_generate_guid", args, [size] { ut_generate_guid(sweep::guarded_buffer(size > 0 ? size : 1), size, 0); ut_generate_guid(sweep::guarded_buffer(size > 0 ? size : 1), size, 1); return long(ut_generate_guid(nullptr, size, 0)); }, -1);
    }

    // Partition sizes.
    rows.path("ut_total_kbytes_on_partition_with_path", [](const char *t) { ut_total_kbytes_on_partition_with_path(t); return 0L; });
    rows.path("ut_free_kbytes_on_partition_with_path", [](const char *t) { ut_free_kbytes_on_partition_with_path(t); return 0L; });
    rows.path("ut_get_kbytes_on_partition_with_path", [](const char *t) { unsigned a, b; ut_get_kbytes_on_partition_with_path(t, &a, &b); ut_get_kbytes_on_partition_with_path(t, nullptr, nullptr); return long(ut_get_kbytes_on_partition_with_path(t, &a, nullptr) > 0); }, {0, 0});

    // Host names (only the local host: no name server is asked).
    rows.add("ut_gethostname", "twice", [] { return long(ut_gethostname() != ut_gethostname()); }, 0);
    for (const char *host : {static_cast<const char *>(nullptr), ""})
        rows.add("ut_get_virtual_name_for_host_name", host ? "empty" : "null", [host] { ut_get_virtual_name_for_host_name(host); return 0L; });
    rows.add("ut_get_virtual_name_for_host_name", "100,000 bytes", [] { ut_get_virtual_name_for_host_name(sweep::texts()[2].value); return 0L; });
    rows.add("ut_get_remote_shared_servers", "null outputs", [] { int n; char **names; ut_get_remote_shared_servers(&n, nullptr); ut_get_remote_shared_servers(nullptr, &names); const long r = ut_get_remote_shared_servers(&n, &names); ut_free_string_array(n, names); return r; }, 0);
    for (int n : {INT_MIN, -1, 0, 3})
        rows.add("ut_free_string_array", "null array, count " + std::to_string(n), [n] { ut_free_string_array(n, nullptr); return 0L; });
    rows.add("ut_free_string_array", "null entries", [] { char **a = static_cast<char **>(std::calloc(3, sizeof(char *))); ut_free_string_array(3, a); return 0L; });
    rows.path("ut_convert_path_to_unc_path", [](const char *t) { ut_convert_path_to_unc_path(t, nullptr); ut_convert_path_to_unc_path(t, ""); return 0L; });

    // Sleeping and thread priority (no sleep longer than a moment).
    for (int v : {INT_MIN, -1, 0}) {
        rows.add("ut_sleep", "seconds " + std::to_string(v), [v] { ut_sleep(v); return 0L; });
        rows.add("ut_msleep", "milliseconds " + std::to_string(v), [v] { ut_msleep(v); return 0L; });
    }
    rows.integer("ut_set_thread_priority", [](int v) { return long(ut_set_thread_priority(v) == 0 && (v < 0 || v > 2)); }, 0);
    rows.text("ut_thread_priority_from_string", [](const char *t) { return long(ut_thread_priority_from_string(t)); }, {1, 1});

    // Templates.
    rows.text2("ut_verify_input_str_with_format", [](const char *a, const char *b) { return long(ut_verify_input_str_with_format(a, b) > 1); }, "###-##", {0, 0});
    rows.text2("ut_verify_str_with_format_match_wildcards", [](const char *a, const char *b) { ut_verify_str_with_format_match_wildcards(a, "*"); return long(ut_verify_str_with_format_match_wildcards(a, b) > 1); }, "?*", {0, 0});
    for (int size : {INT_MIN, -1, 0, 1, 8})
        rows.add("ut_convert_str_to_format", "size " + std::to_string(size) + ", buffer against an unreadable page", [size] {
            char *b = sweep::guarded_buffer(size >= 0 ? size + 1 : 1);
            ut_convert_str_to_format("123456789", "###-##-####", b, size);
            ut_convert_str_to_format(sweep::texts()[2].value, "###", b, size);
            return long(ut_convert_str_to_format("1", "#", nullptr, size));
        });
    rows.text2("ut_convert_str_to_format", [](const char *a, const char *b) { char buffer[64]; ut_convert_str_to_format(a, b, buffer, 63); return 0L; }, "##");
}

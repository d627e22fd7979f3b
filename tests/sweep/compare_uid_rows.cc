// Sweep rows of binary comparison and of DICOM UIDs and GUIDs: hostile paths,
// extension lists and file lists, chunk sizes, kind digits, and buffers that
// are missing, too small or end against an unreadable page.
#include "sweep.h"

namespace {

void on_poll() {}

}  // namespace

SWEEP_ROWS(compare_uid) {
    // Comparison: a hostile path in either place (null and "" give -1).
    rows.text2("ut_binary_diff", [](const char *a, const char *b) { return long(ut_binary_diff(a, b, 0, nullptr)); },
               sweep::existing_dir(), {-1, -1});
    rows.text("ut_binary_diff", [](const char *t) { const char *ext[] = {t, nullptr}; return long(ut_binary_diff(sweep::existing_dir(), sweep::existing_dir(), 1, ext)); }, {0, 0});
    rows.integers(0, {SWEEP_INT(ut_binary_diff, sweep::existing_dir(), sweep::existing_dir(), v, nullptr)});
    rows.add("ut_binary_diff", "file against directory", [] { return long(ut_binary_diff(sweep::existing_file(), sweep::existing_dir(), 0, nullptr)); }, 2);
    rows.text2("ut_binary_diff_array", [](const char *a, const char *b) { const char *files[] = {"x", nullptr}; return long(ut_binary_diff_array(a, b, 0, nullptr, 1, files)); }, sweep::existing_dir(), {-1, -1});
    rows.text("ut_binary_diff_array", [](const char *t) { const char *files[] = {t, nullptr}; return long(ut_binary_diff_array(sweep::existing_dir(), sweep::existing_dir(), 0, nullptr, 1, files)); }, {-1, -1});
    rows.integer("ut_binary_diff_array", [](int n) {
        const char *files[] = {"missing", nullptr};
        const long r = ut_binary_diff_array(sweep::existing_dir(), sweep::existing_dir(), 0, nullptr, n, files);
        return n == 1 ? long(r == 1) : long(r == -1);  // the list ends at its null entry
    }, 1);
    rows.add("ut_binary_diff_array", "null file list", [] { return long(ut_binary_diff_array(sweep::existing_dir(), sweep::existing_dir(), 0, nullptr, 3, nullptr)); }, -1);
    // A chunk of no bytes or fewer cannot read a non-empty file.
    rows.integer("ut_set_diff_buffer_size_kbytes", [](int k) { ut_set_diff_buffer_size_kbytes(k); return long(ut_binary_diff(sweep::existing_file(), sweep::existing_file(), 0, nullptr) == (k > 0 ? 0 : -1)); }, 1);
    rows.add("ut_set_poll_callback", "a function, then null", [] {
        ut_set_poll_callback(on_poll);
        ut_binary_diff(sweep::existing_file(), sweep::existing_file(), 0, nullptr);
        ut_set_poll_callback(nullptr);
        return long(ut_binary_diff(sweep::existing_file(), sweep::existing_file(), 0, nullptr));
    }, 0);

    // UIDs and GUIDs.
    rows.add("ut_dicom_uid_root", "no arguments", [] { return long(std::strlen(ut_dicom_uid_root()) > 0); }, 1);
    rows.integers(std::nullopt, {SWEEP_INT(ut_dicom_uid_nsstr, static_cast<unsigned>(v))});
    const std::pair<const char *, const char *(*)()> kinds[] = {
        {"ut_generate_dicom_study_uid", ut_generate_dicom_study_uid},
        {"ut_generate_dicom_series_uid", ut_generate_dicom_series_uid},
        {"ut_generate_dicom_image_uid", ut_generate_dicom_image_uid},
        {"ut_generate_dicom_kin_uid", ut_generate_dicom_kin_uid},
        {"ut_generate_dicom_storcommit_uid", ut_generate_dicom_storcommit_uid},
    };
    for (const auto &[name, fn] : kinds)
        rows.add(name, "no pool, two calls", [fn = fn] { fn(); return long(std::strlen(fn()) <= 64); }, 1);
    rows.integer("ut_generate_instance_uid", [](int size) { char b[80]; return long(ut_generate_instance_uid(b, size > 80 ? 80 : size)); });
    rows.add("ut_generate_instance_uid", "null buffer", [] { return long(ut_generate_instance_uid(nullptr, 100)); }, -1);
    rows.add("ut_generate_instance_uid", "65 bytes against an unreadable page", [] { return long(ut_generate_instance_uid(sweep::guarded_buffer(65), 65)); }, 0);
    for (unsigned char compact : {0, 1}) {
        const std::string layout = compact ? "compact" : "braced";
        rows.integer("ut_generate_guid", [compact](int size) { char b[40]; return long(ut_generate_guid(b, size > 40 ? 40 : size, compact)); });
        rows.add("ut_generate_guid", layout + ", null buffer", [compact] { return long(ut_generate_guid(nullptr, 100, compact)); }, -1);
        rows.add("ut_generate_guid", layout + ", 39 bytes against an unreadable page", [compact] { return long(ut_generate_guid(sweep::guarded_buffer(39), 39, compact)); }, 0);
    }
}

// Sweep rows of the platform objects: null objects, hostile texts for
// strings, property lists, archives, bundles and the file manager.
#include "sweep.h"

namespace {

// Decodes every prefix of a valid archive and every copy with one byte
// flipped: how many prefixes decoded (none may).
long decode_damaged(const char *text) {
    ORVObject *obj = orv_plist_parse(text, std::strlen(text), nullptr, nullptr);
    ORVData *data = orv_archive_encode(obj, nullptr);
    const size_t n = orv_data_length_of(data);
    const unsigned char *bytes = static_cast<const unsigned char *>(orv_data_bytes_of(data));
    long decoded = 0;
    for (size_t len = 0; len < n; ++len) {
        // Each prefix in a buffer of its own length that ends against an unreadable page.
        char *copy = sweep::guarded_buffer(static_cast<int>(len ? len : 1));
        if (len) std::memcpy(copy, bytes, len);
        ORVObject *obj = orv_archive_decode(copy, len, nullptr);
        decoded += obj != nullptr;
        orv_object_release(obj);
    }
    for (size_t at = 0; at < n; ++at) {
        std::string broken(reinterpret_cast<const char *>(bytes), n);
        broken[at] = static_cast<char>(broken[at] ^ 0xFF);
        const char *error = nullptr;
        orv_object_release(orv_archive_decode(broken.data(), n, &error));
    }
    orv_object_release(ORV_OBJECT(data));
    orv_object_release(obj);
    return decoded;
}

}  // namespace

SWEEP_ROWS(platform) {
    using sweep::Expect;
    rows.each("null", 0, {SWEEP_CALL(orv_object_retain, nullptr), SWEEP_CALL(orv_object_retain_count, nullptr)});
    rows.each("null", std::nullopt, {SWEEP_CALL(orv_object_release, nullptr), SWEEP_CALL(orv_object_kind_of, nullptr)});
    rows.add("orv_object_autorelease", "null, without any pool", [] { return long(orv_object_autorelease(nullptr) != nullptr); }, 0);
    rows.add("orv_object_autorelease", "a string, without any pool", [] { orv_object_autorelease(ORV_OBJECT(orv_string_create("x"))); return 0L; });
    rows.add("orv_object_is_equal", "null and null", [] { return long(orv_object_is_equal(nullptr, nullptr)); }, 1);
    rows.add("orv_object_is_equal", "null and a string", [] { ORVString *s = orv_string_create(""); const long r = orv_object_is_equal(nullptr, ORV_OBJECT(s)); orv_object_release(ORV_OBJECT(s)); return r; }, 0);
    rows.add("orv_object_description", "null", [] { return long(std::strlen(orv_object_description(nullptr))); }, 0);

    rows.text("orv_string_create", [](const char *t) { ORVString *s = orv_string_create(t); const long r = s != nullptr; orv_object_description(ORV_OBJECT(s)); orv_object_release(ORV_OBJECT(s)); return r; }, {0, 1});
    for (long long len : {0LL, 3LL, -1LL}) {
        rows.add("orv_string_create_with_bytes", "null bytes, length " + std::to_string(len),
                 [len] { if (len < 0) return 0L; ORVString *s = orv_string_create_with_bytes(nullptr, size_t(len)); orv_object_release(ORV_OBJECT(s)); return 0L; });
    }
    rows.text("orv_string_create_with_bytes", [](const char *t) { ORVString *s = orv_string_create_with_bytes(t, t ? std::strlen(t) + 1 : 0); orv_object_release(ORV_OBJECT(s)); return 0L; });
    rows.add("orv_string_create_with_format", "null format", [] { const char *f = nullptr; return long(orv_string_create_with_format(f) != nullptr); }, 0);
    rows.text("orv_string_create_with_format", [](const char *t) { ORVString *s = orv_string_create_with_format("%s%@", t ? t : "-", static_cast<ORVObject *>(nullptr)); orv_object_release(ORV_OBJECT(s)); return 0L; });
    rows.add("orv_string_cstring", "null", [] { return long(orv_string_cstring(nullptr) != nullptr); }, 0);
    rows.add("orv_string_length", "null", [] { return long(orv_string_length(nullptr)); }, 0);

    rows.text("orv_plist_parse", [](const char *t) { int line = 0; const char *error = nullptr; ORVObject *o = orv_plist_parse(t, t ? std::strlen(t) : 0, &line, &error); orv_object_release(o); return 0L; });
    rows.add("orv_plist_parse", "null outputs on malformed input", [] { return long(orv_plist_parse("{ a = ( ;", 9, nullptr, nullptr) != nullptr); }, 0);
    rows.path("orv_plist_read_file", [](const char *t) { int line = 0; const char *error = nullptr; orv_object_release(orv_plist_read_file(t, &line, &error)); return 0L; });
    rows.add("orv_archive_encode", "null", [] { const char *error = nullptr; orv_object_release(ORV_OBJECT(orv_archive_encode(nullptr, &error))); return 0L; });
    rows.add("orv_archive_decode", "null bytes with a length", [] { const char *error = nullptr; return long(orv_archive_decode(nullptr, 100, &error) != nullptr); }, 0);
    rows.add("orv_archive_decode", "every prefix and every flipped byte of an archive",
             [] { return decode_damaged("{ VIEWER = { PORT = (104, 4006); \"\" = <00ff>; }; list = (a, (b, ())); e = {}; }"); }, 0);
    rows.each("null", 0, {SWEEP_CALL(orv_data_bytes_of, nullptr), SWEEP_CALL(orv_data_length_of, nullptr)});

    rows.path("orv_bundle_create", [](const char *t) { ORVBundle *b = orv_bundle_create(t); orv_bundle_path(b); orv_object_release(ORV_OBJECT(b)); return long(b != nullptr); }, {0, 0});
    rows.add("orv_bundle_path", "null", [] { return long(orv_bundle_path(nullptr) != nullptr); }, 0);
    rows.text2("orv_bundle_path_for_resource", [](const char *a, const char *b) { orvstd_init(); return long(orv_bundle_path_for_resource(ORVCommonBundle(), a, b) != nullptr) * 0; }, "directories");
    rows.add("orv_bundle_path_for_resource", "null bundle", [] { return long(orv_bundle_path_for_resource(nullptr, "directories", "plist") != nullptr); }, 0);
    rows.text("orv_bundle_localized_string", [](const char *t) { orvstd_init(); orv_bundle_localized_string(ORVCommonBundle(), t, t, t); orv_bundle_localized_string(nullptr, t, t, t); return 0L; });

    rows.text("orv_std_handler_create", [](const char *t) { orvstd_init(); ORVObject *h = orv_std_handler_create(t, -1, t); orv_file_manager_remove_path(sweep::missing_path(), h); return 0L; });
    rows.text2("orv_file_manager_move_path", [](const char *a, const char *b) { return long(orv_file_manager_move_path(a, b, nullptr)); }, sweep::missing_path(), {0, 0});
    rows.text2("orv_file_manager_copy_path", [](const char *a, const char *b) { return long(orv_file_manager_copy_path(a, b, nullptr)); }, sweep::missing_path(), {0, 0});
    rows.paths({0, 0}, {SWEEP_TEXT(orv_file_manager_remove_path, t, nullptr), SWEEP_TEXT(orv_file_manager_create_directory, t, 0777),
                        SWEEP_TEXT(orv_file_manager_set_permissions, t, 0xFFFFFFFFu)});
    rows.path("orv_file_manager_exists", [](const char *t) { int d = 0; orv_file_manager_exists(t, nullptr); return long(orv_file_manager_exists(t, &d)); }, {0, 0});
}

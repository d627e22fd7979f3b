// Sweep rows of the configuration: every group, name, host, user and value
// argument hostile, hostile domains, levels, counts, types and sizes, tables
// absent or read from the installation, before and after cf_init.
#include "sweep.h"

namespace {

// The group read from the installation (its site and system files exist).
ORVConfigurationTable *viewer() {
    ORVConfigurationTable *table = nullptr;
    cf_read_entire_file(cf_DOMAIN_ALL, "viewer", &table);
    return table;
}

long get_values(int status, int count, char **values) {
    if (status == 0) cf_free(values, count);
    return status;
}

long string_list(int status, char **list, int count) {
    if (status == 0 && list) {
        cf_free(list, count);
        free(list);
    }
    return status;
}

}  // namespace

SWEEP_ROWS(config) {
    using sweep::Expect;
    // Before cf_init.
    rows.each("before init", 0, {SWEEP_CALL(cf_path, cf_DOMAIN_SITE), SWEEP_CALL(cf_is_init), SWEEP_CALL(cf_user_name), SWEEP_CALL(cf_user_domain)});
    rows.add("cf_term", "before init, twice", [] { return long(cf_term() + cf_term()); }, 0);
    rows.add("describe_cf_table", "before init", [] { describe_cf_table(); return 0L; });
    rows.add("cf_close_file_mapping", "nothing mapped", [] { cf_close_file_mapping(); cf_close_file_mapping(); return 0L; });
    rows.integers(std::nullopt, {SWEEP_INT(cf_set_config_caching_in_table, v), SWEEP_INT(cf_get_perm_description, v)});
    rows.text("cf_init", [](const char *t) { const long r = cf_init(t); cf_get_string(cf_DOMAIN_ALL, "viewer", "PORT", nullptr, nullptr, 0, nullptr); return r; });
    rows.text("cf_init_ex", [](const char *t) { const long r = cf_init_ex(t, t); char *v[cf_MAX_VALUES]; int n = 0; get_values(cf_get(cf_DOMAIN_ALL, "viewer", "PORT", nullptr, &n, v), n, v); return r; });
    rows.text("cf_set_user_name", [](const char *t) { return long(cf_set_user_name(t)); }, {-1, {}});

    rows.start(sweep::Start::Configured);
    // Module settings.
    rows.text("cf_set_path", [](const char *t) { return long(cf_set_path(cf_DOMAIN_SITE, t)); }, {cf_BAD_PARAM, {}});
    rows.integer("cf_set_path", [](int d) { return long(cf_set_path(d, "/tmp") == 0 ? (d >= 0 && d <= 2 ? 0 : 1) : 0); }, 0);
    rows.integer("cf_path", [](int d) { return long((cf_path(d) != nullptr) != (d >= 0 && d <= 2)); }, 0);
    rows.integer("cf_set_perm", [](int v) { const int r = cf_set_perm(v); return long(r == 0 ? (v < 0 || v > 3) : 0); }, 0);
    rows.text("cf_refresh_config_table_for_group", [](const char *t) { return long(cf_refresh_config_table_for_group(t)); }, {cf_BAD_PARAM, {}});
    rows.add("cf_term", "after init, then a lookup", [] { cf_term(); char b[8]; return long(cf_get_string(cf_DOMAIN_ALL, "viewer", "PORT", nullptr, b, 7, "d")); }, cf_NOT_INIT);
    rows.each("after init without user", 0, {SWEEP_CALL(cf_user_name), SWEEP_CALL(cf_user_domain)});
    rows.add("describe_cf_table", "after reading a group", [] { viewer(); return long(describe_cf_table() != nullptr); }, 1);

    // Lookups by group: the group, the name and the host hostile in turn.
    for (int d : {INT_MIN, -1, 3, 5, INT_MAX})
        rows.add("cf_get", "domain " + std::to_string(d), [d] { char *v[cf_MAX_VALUES]; int n = 0; return get_values(cf_get(d, "viewer", "PORT", nullptr, &n, v), n, v); }, cf_BAD_DOMAIN);
    rows.text("cf_get", [](const char *t) { char *v[cf_MAX_VALUES]; int n = 0; int l = 0; get_values(cf_get(cf_DOMAIN_ALL, t, "PORT", &l, &n, v), n, v); return get_values(cf_get(cf_DOMAIN_ALL, "viewer", t, &l, &n, v), n, v) == 0; }, {0, 0});
    rows.add("cf_get", "null count and values", [] { return long(cf_get(cf_DOMAIN_ALL, "viewer", "PORT", nullptr, nullptr, nullptr)); }, cf_BAD_PARAM);
    rows.text("cf_get_from_domain", [](const char *t) { char *v[cf_MAX_VALUES]; int n = 0; get_values(cf_get_from_domain(cf_DOMAIN_SITE, t, "PORT", nullptr, &n, v), n, v); return get_values(cf_get_from_domain(cf_DOMAIN_SITE, "viewer", t, nullptr, &n, v), n, v) == 0; }, {0, 0});
    rows.integer("cf_get_from_domain", [](int d) { char *v[cf_MAX_VALUES]; int n = 0; return get_values(cf_get_from_domain(d, "viewer", "PORT", nullptr, &n, v), n, v) == 0 && (d < 0 || d > 2); }, 0);
    rows.text("cf_get_for_host", [](const char *t) { char *v[cf_MAX_VALUES]; int n = 0; get_values(cf_get_for_host(cf_DOMAIN_ALL, t, "PORT", t, nullptr, &n, v), n, v); get_values(cf_get_for_host(cf_DOMAIN_ALL, "viewer", t, "h", nullptr, &n, v), n, v); return get_values(cf_get_for_host(cf_DOMAIN_ALL, "viewer", "PORT", t, nullptr, &n, v), n, v); });
    for (int type : {INT_MIN, -1, 0, 4, 6, 7, INT_MAX}) {
        rows.add("cf_get_simple", "type " + std::to_string(type), [type] { alignas(16) char storage[64] = {}; int l = 0; cf_get_simple(cf_DOMAIN_ALL, "viewer", "SERVERS", &l, storage, type, 1.5f); return 0L; });
        rows.add("cf_get_simple", "type " + std::to_string(type) + ", null storage", [type] { return long(cf_get_simple(cf_DOMAIN_ALL, "viewer", "PORT", nullptr, nullptr, type, 0)); }, cf_BAD_PARAM);
    }
    rows.text("cf_get_simple", [](const char *t) { alignas(16) char storage[64] = {}; cf_get_simple(cf_DOMAIN_ALL, t, t, nullptr, storage, cf_TYPE_RECT, -1e30f); return 0L; });
    const auto sizes = {INT_MIN, -1, 0, 1, 2, 8};
    rows.buffers("cf_get_string", sizes, [](char *b, int size) { cf_get_string(cf_DOMAIN_ALL, "viewer", "SERVERS", nullptr, b, size, "a long default value"); return long(cf_get_string(cf_DOMAIN_ALL, "viewer", "MISSING", nullptr, b, size, "a long default value")); });
    rows.buffers("cf_get_string_for_host", sizes, [](char *b, int size) { return long(cf_get_string_for_host(cf_DOMAIN_ALL, "viewer", "SERVERS", "ws12", nullptr, b, size, "a long default value")); });
    rows.text("cf_get_string", [](const char *t) { char b[32]; cf_get_string(cf_DOMAIN_ALL, t, "PORT", nullptr, b, 31, t); cf_get_string(cf_DOMAIN_ALL, "viewer", t, nullptr, b, 31, t); return 0L; });
    rows.add("cf_get_string", "null buffer", [] { return long(cf_get_string(cf_DOMAIN_ALL, "viewer", "PORT", nullptr, nullptr, 10, "x")); }, cf_BAD_PARAM);
    rows.text("cf_get_string_for_host", [](const char *t) { char b[32]; cf_get_string_for_host(cf_DOMAIN_ALL, t, t, t, nullptr, b, 31, t); cf_get_string_for_host(cf_DOMAIN_ALL, "viewer", "PORT", t, nullptr, b, 31, t); return 0L; });
    for (int n : {INT_MIN, -1, 0, 1, cf_MAX_VALUES + 1, INT_MAX})
        rows.add("cf_free", "null values, count " + std::to_string(n), [n] { return long(cf_free(nullptr, n)); });
    rows.add("cf_free", "null entries", [] { char *v[4] = {}; return long(cf_free(v, 4)); });

    // Lookups in a table: null table, hostile names, prefixes and hosts.
    rows.text("cf_get_from_table", [](const char *t) { char *v[cf_MAX_VALUES]; int n = 0; get_values(cf_get_from_table(nullptr, cf_DOMAIN_ALL, t, nullptr, &n, v), n, v); return get_values(cf_get_from_table(viewer(), cf_DOMAIN_ALL, t, nullptr, &n, v), n, v) == 0; }, {0, 0});
    rows.integer("cf_get_from_table", [](int d) { char *v[cf_MAX_VALUES]; int n = 0; return get_values(cf_get_from_table(viewer(), d, "PORT", nullptr, &n, v), n, v) == 0 && (d < 0 || d == 3 || d > 4); }, 0);
    rows.text("cf_get_from_table_for_host", [](const char *t) { char *v[cf_MAX_VALUES]; int n = 0; get_values(cf_get_from_table_for_host(nullptr, cf_DOMAIN_ALL, t, t, nullptr, &n, v), n, v); return get_values(cf_get_from_table_for_host(viewer(), cf_DOMAIN_ALL, "PORT", t, nullptr, &n, v), n, v); });
    rows.text("cf_get_from_table_with_prefix", [](const char *t) { char *v[cf_MAX_VALUES]; int n = 0; get_values(cf_get_from_table_with_prefix(nullptr, t, cf_DOMAIN_ALL, t, nullptr, &n, v), n, v); return get_values(cf_get_from_table_with_prefix(viewer(), t, cf_DOMAIN_ALL, "PORT", nullptr, &n, v), n, v); });
    rows.text("cf_get_from_domain_with_table", [](const char *t) { char *v[cf_MAX_VALUES]; int n = 0; return get_values(cf_get_from_domain_with_table(viewer(), cf_DOMAIN_SITE, t, nullptr, &n, v), n, v); }, {cf_BAD_PARAM, {}});
    rows.integer("cf_get_from_domain_with_table", [](int d) { char *v[cf_MAX_VALUES]; int n = 0; get_values(cf_get_from_domain_with_table(viewer(), d, "PORT", nullptr, &n, v), n, v); return 0L; });
    rows.text("cf_get_simple_from_table", [](const char *t) { alignas(16) char s[64] = {}; cf_get_simple_from_table(nullptr, cf_DOMAIN_ALL, t, nullptr, s, cf_TYPE_INT, 0); cf_get_simple_from_table(viewer(), cf_DOMAIN_ALL, t, nullptr, s, cf_TYPE_RECT, 0); return 0L; });
    rows.add("cf_get_simple_from_table", "unknown type", [] { alignas(16) char s[64] = {}; cf_get_simple_from_table(viewer(), cf_DOMAIN_ALL, "PORT", nullptr, s, 99, 0); return 0L; });
    rows.buffers("cf_get_string_from_table", sizes, [](char *b, int size) { return long(cf_get_string_from_table(viewer(), cf_DOMAIN_ALL, "SERVERS", nullptr, b, size, "long default")); });
    rows.text("cf_get_string_from_table", [](const char *t) { char b[16]; cf_get_string_from_table(nullptr, cf_DOMAIN_ALL, t, nullptr, b, 15, t); cf_get_string_from_table(viewer(), cf_DOMAIN_ALL, t, nullptr, b, 15, t); return 0L; });
    rows.buffers("cf_find_string_value_in_table_for_host", sizes, [](char *b, int size) { unsigned char found = 0; return long(cf_find_string_value_in_table_for_host(viewer(), "104", nullptr, &found, b, size)); });
    rows.text("cf_find_string_value_in_table_for_host", [](const char *t) { char b[16]; unsigned char f = 0; cf_find_string_value_in_table_for_host(nullptr, t, t, &f, b, 15); cf_find_string_value_in_table_for_host(viewer(), t, t, nullptr, nullptr, 15); return long(cf_find_string_value_in_table_for_host(viewer(), t, t, &f, b, 15) == 0 && f > 1); }, {0, 0});
    rows.text("cf_get_string_list_for_string_value_from_table", [](const char *t) { char **l = nullptr; int n = 0; string_list(cf_get_string_list_for_string_value_from_table(nullptr, t, &l, &n), l, n); cf_get_string_list_for_string_value_from_table(viewer(), t, nullptr, nullptr); return string_list(cf_get_string_list_for_string_value_from_table(viewer(), t, &l, &n), l, n) > 0; }, {0, 0});
    rows.text("cfvalidate_get_string_list_with_key_from_table", [](const char *t) { char **l = nullptr; int n = 0; string_list(cfvalidate_get_string_list_with_key_from_table(nullptr, t, &l, &n), l, n); cfvalidate_get_string_list_with_key_from_table(viewer(), t, nullptr, nullptr); return string_list(cfvalidate_get_string_list_with_key_from_table(viewer(), t, &l, &n), l, n) > 0; }, {0, 0});
    rows.add("cf_variable_names_for_table", "null table and outputs", [] { ORVArray *a = nullptr; int n = 0; cf_variable_names_for_table(nullptr, &a, &n); return long(cf_variable_names_for_table(viewer(), nullptr, nullptr) == 0); }, 0);
    rows.add("cf_variable_names_for_table", "a read table", [] { ORVArray *a = nullptr; int n = 0; const long r = cf_variable_names_for_table(viewer(), &a, &n); orv_object_release(ORV_OBJECT(a)); return r; }, 0);

    // Tables from files.
    rows.text("cf_read_domain_with_table", [](const char *t) { ORVConfigurationTable *table = nullptr; const long r = cf_read_domain_with_table(&table, cf_DOMAIN_SITE, t); cf_free_table(&table); return r; }, {cf_FILE_NACCESS, cf_FILE_NACCESS});
    rows.integer("cf_read_domain_with_table", [](int d) { ORVConfigurationTable *table = nullptr; cf_read_domain_with_table(&table, d, "viewer"); cf_free_table(&table); return 0L; });
    rows.each("null table address", std::nullopt, {SWEEP_CALL(cf_read_domain_with_table, nullptr, cf_DOMAIN_SITE, "viewer"),
                                                   SWEEP_CALL(cf_read_entire_file, cf_DOMAIN_ALL, "viewer", nullptr)});
    rows.text("cf_read_entire_file", [](const char *t) { ORVConfigurationTable *table = nullptr; const long r = cf_read_entire_file(cf_DOMAIN_ALL, t, &table); cf_free_table(&table); return r; }, {-1, -1});
    rows.integer("cf_read_entire_file", [](int d) { ORVConfigurationTable *table = nullptr; cf_read_entire_file(d, "viewer", &table); cf_free_table(&table); return 0L; });
    rows.text("cf_read_entire_file_with_user", [](const char *t) { ORVConfigurationTable *table = nullptr; cf_read_entire_file_with_user(t, t, cf_DOMAIN_ALL, "viewer", &table); cf_free_table(&table); cf_read_entire_file_with_user("u", "d", cf_DOMAIN_ALL, t, &table); cf_free_table(&table); return 0L; });
    rows.add("cf_free_table", "null address and null table", [] { ORVConfigurationTable *table = nullptr; cf_free_table(nullptr); cf_free_table(&table); return 0L; });
    rows.add("cf_free_table", "twice", [] { ORVConfigurationTable *table = viewer(); cf_free_table(&table); cf_free_table(&table); return 0L; });
    for (int level : {INT_MIN, -1, 4, INT_MAX})
        rows.add("mk_entry", "level " + std::to_string(level), [level] { char b[8192]; const char *v[] = {"a"}; mk_entry(b, "N", level, 1, v); return 0L; });
    for (int count : {INT_MIN, -1, 0, cf_MAX_VALUES + 1})
        rows.add("mk_entry", "count " + std::to_string(count) + ", null values", [count] { char b[8192]; mk_entry(b, "N", 0, count, nullptr); return 0L; });
    rows.text("mk_entry", [](const char *t) { char b[8192]; const char *v[] = {t, nullptr, t}; mk_entry(b, t, 0, 3, v); return 0L; });
    rows.add("mk_entry", "null buffer", [] { const char *v[] = {"a"}; mk_entry(nullptr, "N", 0, 1, v); return 0L; });
    rows.add("mk_entry", "1,000 values of 100 bytes", [] { static char b[8192]; static const std::string big(100, 'v'); static const char *v[cf_MAX_VALUES]; for (auto &p : v) p = big.c_str(); return long(mk_entry(b, "N", 0, cf_MAX_VALUES, v)); }, cf_BUFFER_OVERFLOW);

    // Changes: each hostile text as group, name and value.
    rows.text("cf_set", [](const char *t) { const char *v[] = {t}; cf_set(cf_DOMAIN_USER, t, "PORT", 0, 1, v); cf_set(cf_DOMAIN_USER, "viewer", t, 0, 1, v); return 0L; });
    for (int count : {INT_MIN, -1, 0, cf_MAX_VALUES + 1})
        rows.add("cf_set", "count " + std::to_string(count) + ", null values", [count] { return long(cf_set(cf_DOMAIN_USER, "viewer", "PORT", 0, count, nullptr) == 0); }, 0);
    for (int d : {INT_MIN, -1, 3, 4, INT_MAX})
        rows.add("cf_set", "domain " + std::to_string(d), [d] { const char *v[] = {"1"}; return long(cf_set(d, "viewer", "PORT", 0, 1, v)); }, cf_BAD_DOMAIN);
    rows.integer("cf_set", [](int level) { const char *v[] = {"1"}; cf_set(cf_DOMAIN_USER, "viewer", "LEVEL", level, 1, v); return 0L; });
    for (int type : {INT_MIN, -1, 0, 5, 6, 7, INT_MAX})
        rows.add("cf_set_simple", "type " + std::to_string(type), [type] { alignas(16) char value[64] = {}; cf_set_simple(cf_DOMAIN_USER, "viewer", "SIMPLE", 0, value, type); return long(cf_set_simple(cf_DOMAIN_USER, "viewer", "SIMPLE", 0, nullptr, type) == 0); }, 0);
    rows.text("cf_set_simple", [](const char *t) { int v = 1; cf_set_simple(cf_DOMAIN_USER, t, t, 0, &v, cf_TYPE_INT); return 0L; });
    rows.text("cf_set_string", [](const char *t) { cf_set_string(cf_DOMAIN_USER, t, "S", 0, "v"); cf_set_string(cf_DOMAIN_USER, "viewer", t, 0, t); return 0L; });
    rows.text("cf_rm", [](const char *t) { cf_rm(cf_DOMAIN_USER, t, "PORT"); cf_rm(cf_DOMAIN_USER, "viewer", t); return 0L; });
    rows.integer("cf_rm", [](int d) { return long(cf_rm(d, "viewer", "PORT") == 0 && (d < 0 || d > 2)); }, 0);
    rows.text("cf_set_from_table", [](const char *t) { ORVConfigurationTable *table = viewer(); const char *v[] = {t}; cf_set_from_table(&table, cf_DOMAIN_SITE, t, 0, 1, v); cf_set_from_table(nullptr, cf_DOMAIN_SITE, t, 0, 1, v); cf_free_table(&table); cf_set_from_table(&table, cf_DOMAIN_SITE, "N", 0, 1, v); cf_free_table(&table); return 0L; });
    rows.add("cf_set_from_table", "count -1, null values", [] { ORVConfigurationTable *table = viewer(); const long r = cf_set_from_table(&table, cf_DOMAIN_SITE, "N", 0, -1, nullptr) == 0; cf_free_table(&table); return r; }, 0);
    rows.text("cf_set_simple_from_table", [](const char *t) { ORVConfigurationTable *table = viewer(); float f = 1; cf_set_simple_from_table(&table, cf_DOMAIN_SITE, t, 0, &f, cf_TYPE_FLOAT); cf_set_simple_from_table(&table, cf_DOMAIN_SITE, "N", 0, nullptr, 99); cf_free_table(&table); return 0L; });
    rows.text("cf_set_string_from_table", [](const char *t) { ORVConfigurationTable *table = viewer(); cf_set_string_from_table(&table, cf_DOMAIN_SITE, t, 0, t); cf_set_string_from_table(nullptr, 9, t, -9, t); cf_free_table(&table); return 0L; });
    rows.text("cf_set_from_table_with_prefix", [](const char *t) { ORVConfigurationTable *table = viewer(); const char *v[] = {t}; cf_set_from_table_with_prefix(&table, t, cf_DOMAIN_SITE, t, 0, 1, v); cf_set_from_table_with_prefix(&table, "p", cf_DOMAIN_SITE, "N", 0, INT_MAX, nullptr); cf_free_table(&table); return 0L; });

    // Saves: hostile group, user and user domain; hostile and absent tables.
    rows.text("cf_save_domain_with_table", [](const char *t) { ORVConfigurationTable *table = viewer(); const long r = cf_save_domain_with_table(table, cf_DOMAIN_USER, t); cf_save_domain_with_table(nullptr, cf_DOMAIN_USER, t); cf_free_table(&table); return r; }, {cf_FILE_NACCESS, {}});
    rows.integer("cf_save_domain_with_table", [](int d) { ORVConfigurationTable *table = viewer(); const long r = cf_save_domain_with_table(table, d, "viewer"); cf_free_table(&table); return long(r == 0 && (d < 0 || d > 2)); }, 0);
    rows.text("cf_save_domain_with_table_and_user", [](const char *t) { ORVConfigurationTable *table = viewer(); cf_save_domain_with_table_and_user(table, t, t, cf_DOMAIN_USER, "viewer"); cf_save_domain_with_table_and_user(table, "u", "d", cf_DOMAIN_USER, t); cf_free_table(&table); return 0L; });
    rows.text("cf_save_updated_domain_with_table_and_user", [](const char *t) { ORVConfigurationTable *table = viewer(); cf_save_updated_domain_with_table_and_user(table, t, t, cf_DOMAIN_USER, "viewer"); cf_save_updated_domain_with_table_and_user(nullptr, "u", "d", cf_DOMAIN_USER, t); cf_free_table(&table); return 0L; });
    rows.text("cf_save_entire_table", [](const char *t) { ORVConfigurationTable *table = viewer(); cf_save_entire_table(table, cf_DOMAIN_ALL, t); cf_save_entire_table(nullptr, cf_DOMAIN_SITE, t); cf_free_table(&table); return 0L; });
    rows.integer("cf_save_entire_table", [](int d) { ORVConfigurationTable *table = viewer(); cf_save_entire_table(table, d, "viewer"); cf_free_table(&table); return 0L; });

    // Sharing: hostile share names and group lists; each child closes what it made.
    rows.text("cf_export_config_tables_to_file_mapping", [](const char *t) {
        const char *groups[] = {"viewer", t, nullptr};
        const std::string mine = "sweep-" + std::to_string(getpid());
        cf_export_config_tables_to_file_mapping(mine.c_str(), groups, 3);
        cf_close_file_mapping();
        const long r = cf_export_config_tables_to_file_mapping(t, groups, 2);
        cf_close_file_mapping();
        return r;
    }, {cf_SHARE_FAILED, cf_SHARE_FAILED});
    rows.add("cf_export_config_tables_to_file_mapping", "null group list with a count", [] {
        const std::string mine = "sweep-" + std::to_string(getpid());
        cf_export_config_tables_to_file_mapping(mine.c_str(), nullptr, 0xFFFFFFFFu);
        cf_close_file_mapping();
        return 0L;
    });
    rows.text("cf_import_config_tables_from_file_mapping", [](const char *t) { const long r = cf_import_config_tables_from_file_mapping(t); char b[8]; cf_get_string(cf_DOMAIN_ALL, "viewer", "PORT", nullptr, b, 7, ""); return r; });
}

/*
 * A plain C11 program against the umbrella header: proves that the interface
 * compiles as C, links with C linkage and behaves the same from C. Each family
 * adds its own checks as a function called from main.
 */
#include <ORVCommonKit/ORVCommonKit.h>

#include <stdio.h>
#include <string.h>

static int failures = 0;

#define CHECK(cond)                                                         \
    do {                                                                    \
        if (!(cond)) {                                                      \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, \
                    #cond);                                                 \
            ++failures;                                                     \
        }                                                                   \
    } while (0)

static void check_strings(void) {
    char buf[32];
    char *copy;
    int flag = -1;

    CHECK(orvchar_to_upper((char)0xDF) == 'S');
    CHECK(orvchar_to_lower((char)0x9F) == (char)0xFF);
    CHECK(orvchar_is_space((char)0xA9));
    CHECK(!orvchar_is_space((char)0xE9));
    CHECK(orvchar_sort_order((char)0xE9) == 'e');
    CHECK(strcmp(orvchar_to_ascii((char)0xBD), "1/2") == 0);

    CHECK(orvstr_icmp("stra\xDF" "e", "STRASSE") == 0);
    CHECK(orvstr_icmp("stra\xDF" "e", "STRASE") == 1);
    CHECK(orvstr_loose_cmp("A-B C", "abc", 1) == 0);
    CHECK(orvstr_nicmp("abcdef", "ABCxyz", 3) == 0);

    copy = orvstr_dup("  ab ");
    CHECK(copy != NULL);
    if (copy) {
        CHECK(strcmp(orvstr_leftjust(copy), "ab   ") == 0);
        orvstr_free(copy);
    }
    orvstr_to_ascii(buf, "\x8Cuvre \xBD", (int)sizeof buf - 1);
    CHECK(strcmp(buf, "OEuvre 1/2") == 0);
    CHECK(orvstr_to_bool("Enable", &flag) == 1 && flag == 1);
    CHECK(orvstr_to_bool("2", &flag) == 0 && flag == 1);
}

static void check_token_keys(void) {
    char line[] = "alpha   \"two words\" beta";
    char *cursor = line;
    const char *table[] = {"NO", "YES"};
    const char *loose[] = {"TMP", "BACKUP"};

    CHECK(strcmp(tk_get(&cursor), "alpha") == 0);
    CHECK(strcmp(tk_get(&cursor), "two words") == 0);
    CHECK(strcmp(tk_get(&cursor), "beta") == 0);
    CHECK(tk_get(&cursor) == NULL);
    CHECK(tk_is_int("-5") && !tk_is_int("-"));
    CHECK(tk_is_float("-.5") && !tk_is_float("1.2.3"));
    CHECK(tk_find_key("yes", table, 2) == 1);
    CHECK(tk_find_key_loose("my_backup_file", loose, 2) == 1);
}

static char last_text[512];
static int last_kind;
static int messages;

static void remember(const char *text, int kind) {
    strncpy(last_text, text, sizeof last_text - 1);
    last_kind = kind;
    ++messages;
}

static void check_trace(void) {
    CHECK(tr_level_from_string("MID") == tr_MID);
    CHECK(strcmp(tr_level_to_string(tr_APP), "tr_APP") == 0);
    CHECK(tr_init_with_call_back(remember) == 0);
    CHECK(tr_is_initialized());
    tr_set_message_tag_display(0);
    messages = 0;
    tr_trace(__FILE__, __LINE__, tr_MID, "dropped below the threshold");
    CHECK(messages == 0);
    tr_trace(__FILE__, __LINE__, tr_APP, "kept %d", 42);
    CHECK(messages == 1 && last_kind == tr_KIND_MESSAGE && strcmp(last_text, "kept 42") == 0);
    tr_warning(__FILE__, __LINE__, tr_HIGH, "careful");
    CHECK(last_kind == tr_KIND_WARNING && strstr(last_text, "WARNING [c_api_test.c,") == last_text);
    tr_error("dir\\f.c", 10, tr_INFORM_PROGRAMMER, "X", "ORVCommonKit", "bad %s", "thing");
    CHECK(last_kind == tr_KIND_ERROR && strstr(last_text, "ERROR AT [f.c,10] ON ") == last_text);
    CHECK(strstr(last_text, " IN 'ORVCommonKit' INFORM 'programmer' TITLE 'X': bad thing") != NULL);
}

static void check_options(void) {
    /* Only the first letter of a group counts: "-vq" is the flag v alone. */
    char arg0[] = "/usr/bin/tool", arg1[] = "-vq", arg2[] = "-n", arg3[] = "12", arg4[] = "rest";
    char *argv[] = {arg0, arg1, arg2, arg3, arg4, NULL};
    char verbose = 0;
    int count = 0;
    orvopt_p handle = orvopt_init(5, argv);

    CHECK(handle != NULL);
    if (!handle) return;
    CHECK(orvopt_extract(handle, 'v', orvopt_BOOL, &verbose, 'n', orvopt_INT, &count, 0) == 0);
    CHECK(verbose == 1 && count == 12);
    CHECK(orvopt_error_count(handle) == 0 && orvopt_remaining_count(handle) == 1);
    CHECK(strcmp(orvopt_next_arg(handle), "rest") == 0);
    CHECK(strcmp(orvopt_program(), "tool") == 0);
    orvopt_term(handle);
}

static void check_paths(void) {
    char path[256];
    char name[256] = "";
    ut_file_build_full_path(path, "dir\\sub", "name.txt", 255);
    CHECK(strcmp(path, "dir\\sub/name.txt") == 0);
    ut_file_extract_name(name, path, 255);
    CHECK(strcmp(name, "name.txt") == 0);
}

int main(void) {
    check_strings();
    check_token_keys();
    check_trace();
    check_options();
    check_paths();
    if (failures) fprintf(stderr, "%d check(s) failed\n", failures);
    return failures ? 1 : 0;
}

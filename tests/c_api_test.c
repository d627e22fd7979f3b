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

/* Behaviour is tested in C++; these calls prove each family links from C. */
static void check_strings_and_token_keys(void) {
    char line[] = "alpha   \"two words\"";
    char *cursor = line;
    const char *table[] = {"NO", "YES"};

    CHECK(orvchar_to_upper((char)0xDF) == 'S');
    CHECK(orvstr_icmp("stra\xDF" "e", "STRASSE") == 0);
    CHECK(strcmp(tk_get(&cursor), "alpha") == 0);
    CHECK(strcmp(tk_get(&cursor), "two words") == 0);
    CHECK(tk_find_key("yes", table, 2) == 1);
}

static char last_text[512];
static int last_kind;

static void remember(const char *text, int kind) {
    strncpy(last_text, text, sizeof last_text - 1);
    last_kind = kind;
}

/* A fresh process: the facility starts with its documented settings. */
static void check_trace(void) {
    CHECK(!tr_is_initialized() && tr_current_trace_level() == tr_HIGH && tr_current_warning_level() == tr_LOW);
    CHECK(tr_max_file_size() == 5000000UL);
    CHECK(tr_init_with_call_back(remember) == 0);
    tr_error("dir\\f.c", 10, tr_INFORM_PROGRAMMER, "X", "ORVCommonKit", "bad %s", "thing");
    CHECK(last_kind == tr_KIND_ERROR && strncmp(last_text, "ERROR AT [f.c,10] ON ", 21) == 0);
    CHECK(strstr(last_text, " IN 'ORVCommonKit' INFORM 'programmer' TITLE 'X': bad thing") && !strstr(last_text, "<TID="));
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
    CHECK(strcmp(orvopt_next_arg(handle), "rest") == 0);
    orvopt_term(handle);
}

static void check_paths(void) {
    char path[256];
    ut_file_build_full_path(path, "dir\\sub", "name.txt", 255);
    CHECK(strcmp(path, "dir\\sub/name.txt") == 0);
}

int main(void) {
    check_strings_and_token_keys();
    check_trace();
    check_options();
    check_paths();
    if (failures) fprintf(stderr, "%d check(s) failed\n", failures);
    return failures ? 1 : 0;
}

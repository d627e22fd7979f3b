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

int main(void) {
    check_strings();
    check_token_keys();
    if (failures) fprintf(stderr, "%d check(s) failed\n", failures);
    return failures ? 1 : 0;
}

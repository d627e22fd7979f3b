/* A client of the installed library: starts it, compares two names, traces. */
#include <ORVCommonKit/ORVCommonKit.h>

#include <stdio.h>

int main(void) {
    orvstd_init();
    if (orvstr_icmp("Stra\xDF" "e", "STRASSE") != 0) {
        fprintf(stderr, "folded comparison failed\n");
        return 1;
    }
    if (ORVCommonBundle() == NULL) {
        fprintf(stderr, "the installed library did not find its resources\n");
        return 1;
    }
    tr_trace(__FILE__, __LINE__, tr_APP, "consumer of ORVCommonKit %s", orvstd_version());
    orvstd_term();
    return 0;
}

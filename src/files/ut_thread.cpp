// Sleeping and the calling thread's priority.
#include "files/fsutil.h"
#include "files/ut_host_seam.h"

#include <ORVCommonKit/orvstr.h>
#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/ut.h>

#include <climits>

using namespace orv::files;

extern "C" {

ORV_API void ut_sleep(int seconds) {
    if (seconds <= 0) return;
    ut_msleep(seconds > INT_MAX / 1000 ? INT_MAX : seconds * 1000);
}

ORV_API void ut_msleep(int milliseconds) { pause_millis(milliseconds); }

ORV_API int ut_set_thread_priority(int level) {
    static const struct {
        int nice;
        const char *message;
    } kLevels[] = {{-1, "Set process priority level to HIGH"},
                   {0, "Set process priority level to NORMAL"},
                   {1, "Set process priority level to LOW"}};
    if (level < ut_PRIORITY_HIGH || level > ut_PRIORITY_LOW) {
        tr_warning(__FILE__, __LINE__, tr_HIGH,
                   "Invalid thread priority value passed in:%d. Thread priority will not be set",
                   level);
        return -1;
    }
    if (host_calls().set_thread_nice(kLevels[level].nice) != 0) {
        tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "setThreadPriority", "ORVCommonKit",
                 "Failed to set thread priority");
        return -1;
    }
    tr_trace(__FILE__, __LINE__, tr_HIGH, "%s", kLevels[level].message);
    return 0;
}

ORV_API int ut_thread_priority_from_string(const char *word) {
    static const char *const kWords[] = {"high", "normal", "low"};
    for (int level = 0; level < 3; ++level)
        if (word && orvstr_icmp(word, kWords[level]) == 0) return level;
    tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "ut_thread_priority_from_string", "ORVCommonKit",
             "Invalid priority string value:'%s'\nIt should be one of these: High or Low or "
             "Normal\nThe default returned is set to NORMAL\n",
             word ? word : "NULL");
    return ut_PRIORITY_NORMAL;
}

}  // extern "C"

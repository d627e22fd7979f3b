// Size measurement and the switch to a fresh generation, shared by the trace
// file and the permanent log files.
#include "trace/tr_capped.h"

#include "files/fsutil.h"
#include "trace/tr_internal.h"

#include <ORVCommonKit/orvstd.h>
#include <ORVCommonKit/ut.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace orvtrace {

unsigned long capped_file_size(const char *path) {
    // Never through a link planted under the name.
    const int probe = open(path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0664);
    if (probe >= 0) close(probe);
    long long measured = 0;
    if (ut_get_longlong_path_size(path, &measured) == 0 && measured >= 0)
        return static_cast<unsigned long>(measured);
    std::printf("WARNING [%s,%d] could not get attributes for %s.\n", ORV_TRACE_HERE, path);
    std::fflush(stdout);
    return ULONG_MAX;
}

SwitchOutcome switch_capped_file(std::FILE *&stream, const char *path, const char *backup,
                                 const SwitchRules &rules) {
    if (stream) {
        std::FILE *old = stream;
        stream = nullptr;
        if (std::fclose(old) != 0) {
            const int error = errno;
            char buffer[256];
            tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "CAPPING ERROR", "ORVCommonKit",
                     "Failed to fclose() log file: \"%s\".  errno=%d (%s).", path, error,
                     system_error_text(error, buffer, sizeof buffer));
            return SwitchOutcome::Failed;
        }
    }
    const char *mode = "w";
    struct stat info {};
    if (stat(path, &info) == 0 && ut_file_rename(path, backup) != 0) {
        const char *why = ORVStdHandler_last_error_cString();
        rules.rename_failed(path, backup, why ? why : "");
        // The lines already written stay where they are and later ones follow.
        mode = "a";
    }
    // A fresh file is created new under its predictable name (a link planted
    // there is removed, never followed); one kept in place is appended to
    // without following a link. Either way closed on exec.
    const int fd = mode[0] == 'w'
                       ? orv::files::open_new_file(path, O_WRONLY, 0664)
                       : open(path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0664);
    stream = fd >= 0 ? fdopen(fd, mode) : nullptr;
    if (!stream && fd >= 0) {
        const int error = errno;
        close(fd);
        errno = error;
    }
    if (!stream) {
        rules.open_failed(path, mode, errno);
        return SwitchOutcome::Failed;
    }
    return mode[0] == 'a' ? SwitchOutcome::KeptInPlace : SwitchOutcome::Switched;
}

}  // namespace orvtrace

// The system services behind the capacity, host-name and priority calls,
// reached through one replaceable table so that tests can give a fixed host
// name, a fake volume, a resolver without a network, or a refused priority
// change. Library code calls host_calls().statvfs(...) and so on.
#pragma once

#include <sys/statvfs.h>

#include <cstddef>

namespace orv::files {

struct HostCalls {
    int (*statvfs)(const char *path, struct statvfs *out);
    int (*gethostname)(char *name, std::size_t size);
    // True when a host of that name can be found.
    bool (*host_exists)(const char *name);
    // setpriority(PRIO_PROCESS, thread id, nice) of the calling thread.
    int (*set_thread_nice)(int nice);
};

HostCalls &host_calls();
const HostCalls &real_host_calls();

// Forgets the local host name and every cached virtual name.
void forget_host_names();

class ScopedHostCalls {
public:
    explicit ScopedHostCalls(const HostCalls &calls) : saved_(host_calls()) {
        host_calls() = calls;
        forget_host_names();
    }
    ~ScopedHostCalls() {
        host_calls() = saved_;
        forget_host_names();
    }
    ScopedHostCalls(const ScopedHostCalls &) = delete;
    ScopedHostCalls &operator=(const ScopedHostCalls &) = delete;

private:
    HostCalls saved_;
};

}  // namespace orv::files

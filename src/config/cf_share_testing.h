// Test hooks of table sharing. Not part of the published interface: no
// public header declares them.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Makes every later call of one system call of the shared region ("shm_open",
// "ftruncate", "mmap", "fstat", "pread" or "fcntl") fail with errno error,
// until orv_cfshare_testing_reset.
__attribute__((visibility("default"))) void orv_cfshare_testing_fail_call(const char *call,
                                                                          int error);
// Every system call works again.
__attribute__((visibility("default"))) void orv_cfshare_testing_reset(void);
// True while this process holds an exported region.
__attribute__((visibility("default"))) int orv_cfshare_testing_holds_region(void);

#ifdef __cplusplus
}
#endif

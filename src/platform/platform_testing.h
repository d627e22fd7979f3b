// Test hooks of the platform layer. Not part of the published interface: no
// public header declares them.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Points the library bundle (ORVCommonBundle) at folder; null or "" returns
// to the normal lookup. Bundles handed out earlier stay valid.
void orv_platform_testing_set_bundle_path(const char *folder);
// Number of objects the calling thread's fallback pool holds.
unsigned long orv_platform_testing_fallback_count(void);

// With on = 1, sets aside the process-wide file-manager answers that other
// families installed and uses the built-in ones; on = 0 puts them back.
void orv_platform_testing_use_builtin_file_answers(int on);

#ifdef __cplusplus
}
#endif

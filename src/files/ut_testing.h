// Test hooks of the files family. Not part of the published interface: no
// public header declares them.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Points the library bundle at folder ("" returns to the normal lookup) and
// drops the loaded directory map, so that the next lookup reads the map of
// that bundle, or reports that it has none.
void orv_ut_testing_use_bundle(const char *folder);

// Replaces the DICOM UID root (null: the built-in root again).
void orv_ut_testing_set_uid_root(const char *root);
// Forgets the process's UID base and sets the counter back to 0, as in a
// fresh process.
void orv_ut_testing_forget_uid_base(void);

#ifdef __cplusplus
}
#endif

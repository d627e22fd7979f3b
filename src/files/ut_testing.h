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

#ifdef __cplusplus
}
#endif

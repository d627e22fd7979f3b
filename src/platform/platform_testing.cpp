// Test hooks of the platform layer (see platform_testing.h).
#include "platform/platform_testing.h"

#include "platform/bundle.h"
#include "platform/pool.h"

extern "C" void orv_platform_testing_set_bundle_path(const char *folder) {
    orv::setCommonBundlePath(folder ? folder : "");
}

extern "C" unsigned long orv_platform_testing_fallback_count(void) {
    return static_cast<unsigned long>(ORVAutoreleasePool::fallbackCount());
}

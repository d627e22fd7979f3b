// Test hooks of the platform layer (see platform_testing.h).
#include "platform/platform_testing.h"

#include "platform/bundle.h"
#include "platform/filemanager.h"
#include "platform/pool.h"

extern "C" void orv_platform_testing_set_bundle_path(const char *folder) {
    orv::setCommonBundlePath(folder ? folder : "");
}

extern "C" unsigned long orv_platform_testing_fallback_count(void) {
    return static_cast<unsigned long>(ORVAutoreleasePool::fallbackCount());
}

namespace {
orv::FileManagerOverrides Saved_overrides;  // set aside by the hook below
bool Overrides_saved = false;
}  // namespace

extern "C" void orv_platform_testing_use_builtin_file_answers(int on) {
    if (on && !Overrides_saved) {
        Saved_overrides = orv::FileManager::installOverrides(orv::FileManagerOverrides{});
        Overrides_saved = true;
    } else if (!on && Overrides_saved) {
        orv::FileManager::installOverrides(Saved_overrides);
        Overrides_saved = false;
    }
}

// Bundles: a folder of resources with strings tables.
//
// The library's own bundle (ORVCommonBundle) is the folder of its installed
// resources. It is found, on first use, from $ORVCOMMONKIT_RESOURCES when that is
// set, else relative to the loaded library file (dladdr), else at the
// installation prefix; tests may point it elsewhere with setCommonBundlePath.
#pragma once

#include "platform/objects.h"

#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

struct ORVBundle : ORVObject {
    explicit ORVBundle(std::string folder) : path(std::move(folder)) {}

    // The path of "<name>.<type>" in the bundle when the file exists, else
    // "". An empty type looks for the bare name.
    std::string pathForResource(std::string_view name, std::string_view type) const;
    // The value of key in "<table>.strings" (table "" means "Localizable");
    // when missing: value if non-empty, else the key. The table is read once
    // and kept; a missing or malformed table counts as empty.
    std::string localizedString(std::string_view key, std::string_view value,
                                std::string_view table) const;
    // The table read as a dictionary, or null when it is missing or malformed.
    orv::Ref<ORVDictionary> stringsTable(std::string_view table) const;

    orv_object_kind kind() const noexcept override { return ORV_KIND_BUNDLE; }
    void describeTo(std::string &out, int indent) const override;

    const std::string path;

private:
    mutable std::mutex mutex_;
    mutable std::unordered_map<std::string, orv::Ref<ORVDictionary>> tables_;
};

namespace orv {
// Where the library's own bundle lives, as found now (see above).
std::string commonBundleLocation();
// Points the library's bundle at another folder; "" returns to the normal
// lookup. The next ORVCommonBundle() call uses it.
void setCommonBundlePath(const std::string &path);
// The library's bundle (ORVCommonBundle without the C wrapper); kept for the
// life of the process, never null.
ORVBundle *commonBundle();
}  // namespace orv

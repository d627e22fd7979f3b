// What sharing the tables needs from the module's table cache (cfTableDict)
// beyond cf_module.h: the whole cache to archive it, and replacing or
// dropping it when tables are imported. Defined in cf_module.cpp, beside the
// cache.
#pragma once

#include "config/ORVConfigurationTable.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace cf {

using NamedTable = std::pair<std::string, orv::Ref<ORVConfigurationTable>>;

// Every table of the cache with its group name (upper case).
std::vector<NamedTable> cached_tables();
// Replaces the whole cache with tables (group names in any case).
void replace_tables(std::vector<NamedTable> tables);
// A group of an imported region: its name (upper case) and the byte range
// of its archived table within the region.
struct SharedGroup {
    std::string name;
    std::size_t offset = 0;
    std::size_t size = 0;
};
// The bytes of a copied region. Sizing them leaves them as they are, since
// they are read over at once.
template <typename T>
struct UninitializedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitializedAllocator<U>;
    };
    UninitializedAllocator() = default;
    template <typename U>
    UninitializedAllocator(const UninitializedAllocator<U> &) noexcept {}
    template <typename U>
    void construct(U *p) noexcept {
        ::new (static_cast<void *>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U *p, Args &&...args) {
        ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
    }
};
using RegionBytes = std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>>;
// Replaces the whole cache with the groups of a checked region, whose bytes
// the cache keeps; each group's table is made when the group is first asked
// for, reading its variables from those bytes.
void import_tables(RegionBytes region, std::vector<SharedGroup> groups);
// Drops the cache after an import that failed: until the module ends no
// table is kept, so every access reads the group's files again.
void drop_tables();

}  // namespace cf

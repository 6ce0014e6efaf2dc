// Host objects reach the plug-in as opaque handles that carry a small id, so
// that a stale or foreign handle is recognised instead of followed.
#pragma once

#include <cstdint>

namespace simhost {

template <typename Handle>
Handle HandleOf(int32_t id) {
    return reinterpret_cast<Handle>(static_cast<uintptr_t>(static_cast<uint32_t>(id)));
}

template <typename Handle>
int32_t IdOf(Handle handle) {
    return static_cast<int32_t>(reinterpret_cast<uintptr_t>(handle));
}

}  // namespace simhost

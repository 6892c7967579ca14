#pragma once

#include <cstdint>
#include <vector>

namespace core {

/**
 * A place in `items` for a new entry: the last one that `free` lists as no longer used (taken off the list), or a
 * new one at the end. Lists that rows point into by index (-1 for none) reuse their places this way, so that a row
 * edited back and forth does not make them grow.
 */
template <typename T> std::int32_t takeFreeSlot(std::vector<T>& items, std::vector<std::int32_t>& free)
{
    if (free.empty()) {
        items.emplace_back();
        return static_cast<std::int32_t>(items.size() - 1);
    }
    const std::int32_t slot = free.back();
    free.pop_back();
    return slot;
}

} // namespace core

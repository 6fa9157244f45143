// A set of 64-bit keys in one flat table (open addressing, linear probing):
// no allocation per key, so keeping a key for every hand of a long session
// costs little on the path of each hand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tw {

class CKeySet {
public:
    // True when `key` was not in the set (it is now).
    bool Insert(std::uint64_t key) {
        if ((nCount + 1) * 4 > vecSlots.size() * 3)
            Grow();
        const std::uint64_t stored = key + 1; // 0 marks an empty slot
        std::size_t i = Slot(stored, vecSlots.size());
        while (vecSlots[i] != 0) {
            if (vecSlots[i] == stored)
                return false;
            i = (i + 1) & (vecSlots.size() - 1);
        }
        vecSlots[i] = stored;
        ++nCount;
        return true;
    }
    bool Contains(std::uint64_t key) const {
        if (vecSlots.empty())
            return false;
        const std::uint64_t stored = key + 1;
        for (std::size_t i = Slot(stored, vecSlots.size()); vecSlots[i] != 0;
             i = (i + 1) & (vecSlots.size() - 1))
            if (vecSlots[i] == stored)
                return true;
        return false;
    }
    void Clear() {
        vecSlots.clear();
        nCount = 0;
    }
    std::size_t Size() const { return nCount; }

private:
    // Keys that differ only in low digits spread over the table.
    static std::size_t Slot(std::uint64_t stored, std::size_t slots) {
        std::uint64_t h = stored * 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
        return static_cast<std::size_t>(h) & (slots - 1);
    }
    void Grow() {
        std::vector<std::uint64_t> old;
        old.swap(vecSlots);
        vecSlots.assign(old.empty() ? 1024 : old.size() * 2, 0);
        for (std::uint64_t stored : old) {
            if (stored == 0)
                continue;
            std::size_t i = Slot(stored, vecSlots.size());
            while (vecSlots[i] != 0)
                i = (i + 1) & (vecSlots.size() - 1);
            vecSlots[i] = stored;
        }
    }

    std::vector<std::uint64_t> vecSlots; // a power of two in size, or empty
    std::size_t nCount = 0;
};

} // namespace tw

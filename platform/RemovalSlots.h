// The files to remove when the program is interrupted, in fixed slots, so that a signal handler
// (or the console's handler thread on Windows) reads them without allocating or locking. A slot
// is filled while nobody reads it, then published.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstring>

namespace vorida {

template <class Char, size_t Length> class RemovalSlots
{
public:
    static constexpr int kSlots = 16;

    // A slot holding the path (size characters, without the terminating zero); -1 when none is
    // free or the path is too long.
    int Claim(const Char* path, size_t size)
    {
        if (size >= Length)
            return -1;
        for (int i = 0; i < kSlots; ++i) {
            bool expected = false;
            if (!claimed_[i].compare_exchange_strong(expected, true))
                continue;
            std::memcpy(paths_[i], path, (size + 1) * sizeof(Char));
            inUse_[i].store(true);
            return i;
        }
        return -1;
    }
    void Release(int slot)
    {
        if (slot < 0 || slot >= kSlots)
            return;
        inUse_[slot].store(false);
        claimed_[slot].store(false);
    }
    // Calls remove with every published path.
    template <class Remove> void ForEach(Remove remove)
    {
        for (int i = 0; i < kSlots; ++i)
            if (inUse_[i].load())
                remove(paths_[i]);
    }

private:
    Char paths_[kSlots][Length] {};
    std::atomic<bool> inUse_[kSlots] {};
    std::atomic<bool> claimed_[kSlots] {};
};

} // namespace vorida

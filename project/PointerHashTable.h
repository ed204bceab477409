// A compact hash table of pointers to objects that carry their own hash:
// one pointer per slot, linear probing, at most 70% full. Equal keys may
// occur more than once. Used where a million entries of std::unordered_map
// would cost more than the objects they index.
//
// HashOf(const T*) -> size_t must give the hash an object was inserted
// under for as long as it is in the table.
#pragma once

#include <cstddef>
#include <vector>

namespace vorlin {

template <typename T, size_t (*HashOf)(const T*)> class TPointerHashTable {
public:
    size_t Count() const { return FCount; }

    void Insert(T* item) {
        if ((FCount + 1) * 10 > FSlots.size() * 7) Grow();
        size_t mask = FSlots.size() - 1;
        size_t i = HashOf(item) & mask;
        while (FSlots[i]) i = (i + 1) & mask;
        FSlots[i] = item;
        ++FCount;
    }

    // The first item under hash for which match(item) holds, or null.
    template <typename Match> T* Find(size_t hash, Match match) const {
        if (FSlots.empty()) return nullptr;
        size_t mask = FSlots.size() - 1;
        for (size_t i = hash & mask; FSlots[i]; i = (i + 1) & mask)
            if (HashOf(FSlots[i]) == hash && match(FSlots[i])) return FSlots[i];
        return nullptr;
    }

    // Calls fn for every item under hash, in probe order.
    template <typename Fn> void ForEachUnder(size_t hash, Fn fn) const {
        if (FSlots.empty()) return;
        size_t mask = FSlots.size() - 1;
        for (size_t i = hash & mask; FSlots[i]; i = (i + 1) & mask)
            if (HashOf(FSlots[i]) == hash) fn(FSlots[i]);
    }

    // Takes this very item out; false when it is not in the table.
    bool Erase(const T* item) {
        if (FSlots.empty()) return false;
        size_t mask = FSlots.size() - 1;
        size_t i = HashOf(item) & mask;
        while (FSlots[i] && FSlots[i] != item) i = (i + 1) & mask;
        if (!FSlots[i]) return false;
        // Backward-shift deletion: pull later items of the run into the gap
        // when their home slot does not lie between the gap and them.
        size_t gap = i;
        for (size_t j = (gap + 1) & mask; FSlots[j]; j = (j + 1) & mask) {
            size_t home = HashOf(FSlots[j]) & mask;
            bool between = gap <= j ? (gap < home && home <= j) : (gap < home || home <= j);
            if (!between) {
                FSlots[gap] = FSlots[j];
                gap = j;
            }
        }
        FSlots[gap] = nullptr;
        --FCount;
        return true;
    }

    void Clear() {
        FSlots.clear();
        FSlots.shrink_to_fit();
        FCount = 0;
    }

private:
    void Grow() {
        std::vector<T*> old;
        old.swap(FSlots);
        FSlots.assign(old.empty() ? 16 : old.size() * 2, nullptr);
        FCount = 0;
        for (T* item : old)
            if (item) Insert(item);
    }

    std::vector<T*> FSlots;
    size_t FCount = 0;
};

} // namespace vorlin

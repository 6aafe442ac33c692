#include "codecs/pngpalette.h"

#include <cstring>
#include <utility>

TPNGColorCounter::TPNGColorCounter() {
    FColors.reserve(MaxColors);
    FSlotIndex.fill(-1);
}

int TPNGColorCounter::IndexOf(quint32 key) const {
    for (unsigned slot = Slot(key);; slot = (slot + 1) & (SlotCount - 1)) {
        if (FSlotIndex[slot] < 0)
            return -1;
        if (FSlotKeys[slot] == key)
            return FSlotIndex[slot];
    }
}

// The entry of the key, appended when new; -1 once the key is the 257th colour.
int TPNGColorCounter::FindOrAdd(quint32 key) {
    unsigned slot = Slot(key);
    while (FSlotIndex[slot] >= 0) {
        if (FSlotKeys[slot] == key)
            return FSlotIndex[slot];
        slot = (slot + 1) & (SlotCount - 1);
    }
    ++FCount;
    if (FCount > MaxColors)
        return -1;
    FSlotKeys[slot] = key;
    FSlotIndex[slot] = qint16(FColors.size());
    FColors.push_back({key, 0});
    return FSlotIndex[slot];
}

bool TPNGColorCounter::AddRow(const quint32* keys, int width, quint8* indices) {
    if (Full())
        return false;
    int x = 0;
    while (x < width) {
        // Screenshots are mostly runs of one colour: look each run up once.
        const quint32 key = keys[x];
        const int start = x;
        while (++x < width && keys[x] == key) {
        }
        const int index = FindOrAdd(key);
        if (index < 0)
            return false;
        FColors[std::size_t(index)].Uses += quint32(x - start);
        std::memset(indices + start, index, std::size_t(x - start));
    }
    return true;
}

void SortPalette(std::vector<TPNGColor>& palette) {
    const std::size_t count = palette.size();
    for (std::size_t i = 0; i + 1 < count; ++i) {
        for (std::size_t j = i + 1; j < count; ++j) {
            const bool iOpaque = palette[i].Opaque();
            const bool jOpaque = palette[j].Opaque();
            if ((iOpaque && !jOpaque) || (iOpaque == jOpaque && palette[i].Uses < palette[j].Uses))
                std::swap(palette[i], palette[j]);
        }
    }
}

int TRNSCount(const std::vector<TPNGColor>& palette) {
    int count = 0;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        if (!palette[i].Opaque())
            count = int(i) + 1;
    }
    return count;
}

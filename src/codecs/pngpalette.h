#pragma once

#include <QtGlobal>
#include <array>
#include <vector>

// One palette entry: its colour key 0xAARRGGBB and how many pixels use it.
struct TPNGColor {
    quint32 Key = 0;
    quint32 Uses = 0;

    quint8 Red() const { return quint8(Key >> 16); }
    quint8 Green() const { return quint8(Key >> 8); }
    quint8 Blue() const { return quint8(Key); }
    quint8 Alpha() const { return quint8(Key >> 24); }
    bool Opaque() const { return Alpha() == 255; }
};

// Counts the distinct colours of a picture in first-seen order, with their use counts, up to 256;
// a 257th distinct colour ends the counting (Count() then stays 257: "more than 256"). Lookups
// go through a small open-addressing table, so each pixel costs constant time.
class TPNGColorCounter {
public:
    static constexpr int MaxColors = 256;

    TPNGColorCounter();

    // Counts one row of keys and stores each pixel's entry index (first-seen order) in
    // `indices`. Returns false, leaving the rest of the row, once the count passes 256.
    bool AddRow(const quint32* keys, int width, quint8* indices);

    int Count() const { return FCount; }
    bool Full() const { return FCount > MaxColors; }
    const std::vector<TPNGColor>& Colors() const { return FColors; }
    // The first-seen index of a counted colour, -1 when it was not seen.
    int IndexOf(quint32 key) const;

private:
    static constexpr int SlotBits = 10; // 1024 slots for at most 257 keys
    static constexpr int SlotCount = 1 << SlotBits;

    static unsigned Slot(quint32 key) { return (key * 0x9E3779B1u) >> (32 - SlotBits); }
    int FindOrAdd(quint32 key);

    std::vector<TPNGColor> FColors;
    int FCount = 0;
    std::array<quint32, SlotCount> FSlotKeys{};
    std::array<qint16, SlotCount> FSlotIndex{};
};

// Sorts in place: entries that are not fully opaque first, within each group the more used
// first. This is the selection-style swap loop whose order the files have always had; it is not
// stable, and equal use counts keep the order that loop gives them.
void SortPalette(std::vector<TPNGColor>& palette);

// The number of tRNS entries of a sorted palette: the position after its last entry that is
// not fully opaque, 0 when all are opaque.
int TRNSCount(const std::vector<TPNGColor>& palette);

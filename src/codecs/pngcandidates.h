#pragma once

#include "codecs/pngdeflate.h"

#include <QtGlobal>
#include <vector>

// The bit depths a palette of `colorCount` entries allows: 1-2 colours 1, 2, 4, 8; 3-4 colours
// 2, 4, 8; 5-16 colours 4, 8; more 8.
std::vector<int> CandidateDepths(int colorCount);

struct TCandidateChoice {
    int BitDepth = 8;
    TByteBuffer Compressed; // empty when zlib failed on the chosen candidate
};

// Packs the palette-index rows (8 bits, each row a 0 byte and the indices) at each depth the
// colour count allows, compresses them and keeps the shortest stream; on equal lengths the
// larger depth. `workers` candidates are compressed at a time (at least 1).
TCandidateChoice ChooseCandidate(const TByteBuffer& rows8, int width, int height, int colorCount,
                                 const TZLIBParams& params, int workers);

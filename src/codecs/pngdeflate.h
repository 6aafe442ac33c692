#pragma once

#include <QtGlobal>
#include <cstddef>
#include <vector>

// The five deflate settings of a PNG bitmap.
struct TZLIBParams {
    int Level = 9;
    int Method = 8;
    int WindowBits = 15; // positive: zlib header and checksum, as PNG requires
    int MemLevel = 9;
    int Strategy = 0;
};

using TByteBuffer = std::vector<quint8>;

enum class TDeflateOutcome {
    Done,    // the whole zlib stream is in the output
    TooLong, // the stream would be longer than the limit; the output is empty
    Failed   // zlib refused the settings or ran out of memory; the output is empty
};

struct TDeflateResult {
    TDeflateOutcome Outcome = TDeflateOutcome::Failed;
    TByteBuffer Data;
};

// Compresses the input to one zlib stream in a single deflate run whose output room is sized by
// deflateBound(), so it never has to start over.
TDeflateResult DeflateAll(const quint8* data, std::size_t size, const TZLIBParams& params);

// Same stream as DeflateAll, but only when it is at most `limit` bytes long. Deflate stops as soon
// as its output room of `limit` bytes is full, which spares most of the work for inputs that
// cannot beat a known length. Deflate's output does not depend on the room it is given, so a
// stream that fits is byte for byte the one DeflateAll makes.
TDeflateResult DeflateWithin(const quint8* data, std::size_t size, const TZLIBParams& params,
                             std::size_t limit);

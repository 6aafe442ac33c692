#pragma once

#include <QtGlobal>
#include <cstddef>
#include <functional>
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
    Stopped, // the caller lost interest part way; the output is empty
    Failed   // zlib refused the settings or ran out of memory; the output is empty
};

struct TDeflateResult {
    TDeflateOutcome Outcome = TDeflateOutcome::Failed;
    TByteBuffer Data;
};

// Asked with the count of compressed bytes so far, those zlib still holds included: the finished
// stream is never shorter. false stops the compression.
using TKeepGoing = std::function<bool(std::size_t produced)>;

// Compresses the input to one zlib stream in a single deflate run (one finishing call over the
// whole input) into one output buffer sized by deflateBound(), so it never has to start over.
// With `keepGoing`, the output room is handed out in slices and keepGoing is asked after each;
// deflate's output does not depend on how its room is sliced, so a stream that completes is
// byte for byte the one a single call makes.
TDeflateResult Deflate(const quint8* data, std::size_t size, const TZLIBParams& params,
                       const TKeepGoing& keepGoing = {});

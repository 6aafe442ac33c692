#include "codecs/pngdeflate.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

namespace {

// Room handed to deflate per call when the caller watches the progress. deflate only produces
// output when it closes a block of up to 32767 symbols, at least one bit each, so a full block
// overflows a slice of this size and deflate returns while it still holds the rest of the block:
// the caller hears of each block as it closes.
constexpr std::size_t SliceBytes = 2048;

// Keeps a deflate stream and always ends it, whichever way the compression goes.
class TDeflater {
public:
    explicit TDeflater(const TZLIBParams& params) {
        std::memset(&FStream, 0, sizeof FStream); // zlib's own allocation functions
        FInitResult = deflateInit2(&FStream, params.Level, params.Method, params.WindowBits,
                                   params.MemLevel, params.Strategy);
    }
    ~TDeflater() {
        if (FInitResult == Z_OK)
            deflateEnd(&FStream);
    }
    TDeflater(const TDeflater&) = delete;
    TDeflater& operator=(const TDeflater&) = delete;

    bool Ready() const { return FInitResult == Z_OK; }
    z_stream& Stream() { return FStream; }

private:
    z_stream FStream;
    int FInitResult = Z_STREAM_ERROR;
};

} // namespace

TDeflateResult Deflate(const quint8* data, std::size_t size, const TZLIBParams& params,
                       const TKeepGoing& keepGoing) {
    TDeflateResult result;
    if (size > UINT_MAX)
        return result;
    TDeflater deflater(params);
    if (!deflater.Ready())
        return result;
    z_stream& stream = deflater.Stream();
    const uLong bound = deflateBound(&stream, uLong(size));
    if (bound > UINT_MAX)
        return result;
    // Not zero-filled: a bound for 8K pictures runs to tens of megabytes, of which a screenshot
    // needs a small part; only that part is copied out at the end.
    const auto output = std::make_unique_for_overwrite<quint8[]>(bound);
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = uInt(size);
    stream.next_out = output.get();
    for (;;) {
        const std::size_t room = bound - stream.total_out;
        stream.avail_out = uInt(keepGoing ? std::min(room, SliceBytes) : room);
        const int status = deflate(&stream, Z_FINISH);
        if (status == Z_STREAM_END) {
            result.Data.assign(output.get(), output.get() + stream.total_out);
            result.Outcome = TDeflateOutcome::Done;
            return result;
        }
        // Short of room within the bound, or no progress: zlib itself is at fault.
        const bool progressing = keepGoing && (status == Z_OK || status == Z_BUF_ERROR) &&
                                 stream.avail_out == 0 && stream.total_out < bound;
        if (!progressing)
            return result;
        // Bytes zlib has made but not handed out yet are part of the stream all the same.
        unsigned held = 0;
        int bits = 0;
        deflatePending(&stream, &held, &bits);
        if (!keepGoing(stream.total_out + held)) {
            result.Outcome = TDeflateOutcome::Stopped;
            return result;
        }
    }
}

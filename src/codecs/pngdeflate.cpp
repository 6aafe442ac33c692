#include "codecs/pngdeflate.h"

#include <zlib.h>

#include <climits>
#include <cstring>

namespace {

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

// One deflate call with the whole input and `room` bytes of output.
TDeflateResult RunDeflate(TDeflater& deflater, const quint8* data, std::size_t size,
                          std::size_t room) {
    TDeflateResult result;
    result.Data.resize(room);
    z_stream& stream = deflater.Stream();
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = uInt(size);
    stream.next_out = result.Data.data();
    stream.avail_out = uInt(room);
    const int status = deflate(&stream, Z_FINISH);
    if (status == Z_STREAM_END) {
        result.Data.resize(stream.total_out);
        result.Outcome = TDeflateOutcome::Done;
    } else {
        result.Data.clear();
        result.Outcome = (status == Z_OK || status == Z_BUF_ERROR) ? TDeflateOutcome::TooLong
                                                                   : TDeflateOutcome::Failed;
    }
    return result;
}

} // namespace

TDeflateResult DeflateAll(const quint8* data, std::size_t size, const TZLIBParams& params) {
    if (size > UINT_MAX)
        return {};
    TDeflater deflater(params);
    if (!deflater.Ready())
        return {};
    const uLong bound = deflateBound(&deflater.Stream(), uLong(size));
    if (bound > UINT_MAX)
        return {};
    TDeflateResult result = RunDeflate(deflater, data, size, bound);
    // The bound is zlib's promise that one run completes; anything else is a zlib fault.
    if (result.Outcome == TDeflateOutcome::TooLong)
        result.Outcome = TDeflateOutcome::Failed;
    return result;
}

TDeflateResult DeflateWithin(const quint8* data, std::size_t size, const TZLIBParams& params,
                             std::size_t limit) {
    if (size > UINT_MAX)
        return {};
    TDeflater deflater(params);
    if (!deflater.Ready())
        return {};
    const uLong bound = deflateBound(&deflater.Stream(), uLong(size));
    if (limit >= bound)
        return RunDeflate(deflater, data, size, bound);
    if (limit == 0)
        return {TDeflateOutcome::TooLong, {}};
    return RunDeflate(deflater, data, size, limit);
}

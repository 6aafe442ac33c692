#include "codecs/pngcandidates.h"

#include "codecs/pngpack.h"

#include <atomic>
#include <exception>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

// A candidate's rank: shorter first, and on equal lengths the larger depth. A candidate can no
// longer win once its rank, even counting only the bytes produced so far, is above the best
// finished rank: its stream only grows.
quint64 Rank(std::size_t length, int depth) {
    return (quint64(length) << 4) | quint64(8 - depth);
}

struct TCandidateRun {
    const TByteBuffer& Rows8;
    int Width;
    int Height;
    const TZLIBParams& Params;
    const std::vector<int>& Depths;
    std::vector<TDeflateResult> Results;
    std::atomic<quint64> Best{std::numeric_limits<quint64>::max()};
    std::mutex Lock{};
    std::size_t Front = 0; // the candidates not yet taken: [Front, Back)
    std::size_t Back = Depths.size();

    void Compress(std::size_t index) {
        const int depth = Depths[index];
        TByteBuffer packed;
        if (depth != 8)
            packed = PackIndexRows(Rows8.data(), Width, Height, depth);
        const TByteBuffer& rows = depth != 8 ? packed : Rows8;
        TDeflateResult result =
            Deflate(rows.data(), rows.size(), Params, [&](std::size_t produced) {
                return Rank(produced, depth) < Best.load(std::memory_order_relaxed);
            });
        // A failed candidate counts as empty data, the shortest of all: it is chosen, and the
        // save fails as it should.
        const std::size_t length = result.Outcome == TDeflateOutcome::Done ? result.Data.size() : 0;
        if (result.Outcome != TDeflateOutcome::Stopped) {
            const quint64 rank = Rank(length, depth);
            quint64 best = Best.load(std::memory_order_relaxed);
            while (rank < best && !Best.compare_exchange_weak(best, rank))
                ;
        }
        Results[index] = std::move(result);
    }

    bool Take(bool largest, std::size_t& index) {
        const std::lock_guard lock(Lock);
        if (Front == Back)
            return false;
        index = largest ? --Back : Front++;
        return true;
    }

    // The calling thread works up from the smallest depth, so a short stream to beat is soon
    // known; a helper works down from the largest, the slowest to compress, which the stop can
    // rarely cut short: zlib holds the output of a whole block (32767 symbols, up to megabytes of
    // 8-bit rows of a screenshot) before any of it appears.
    void Work(bool largestFirst) {
        std::size_t index = 0;
        while (Take(largestFirst, index))
            Compress(index);
    }
};

} // namespace

std::vector<int> CandidateDepths(int colorCount) {
    // Smallest depth first: its input is the shortest and usually compresses best, so the
    // others soon have a length to beat.
    if (colorCount <= 2)
        return {1, 2, 4, 8};
    if (colorCount <= 4)
        return {2, 4, 8};
    if (colorCount <= 16)
        return {4, 8};
    return {8};
}

TCandidateChoice ChooseCandidate(const TByteBuffer& rows8, int width, int height, int colorCount,
                                 const TZLIBParams& params, int workers) {
    const std::vector<int> depths = CandidateDepths(colorCount);
    TCandidateRun run{rows8, width, height, params, depths, {}};
    run.Results.resize(depths.size());

    // A helper thread takes candidates as well; it inherits this thread's scheduling.
    std::exception_ptr helperError;
    std::thread helper;
    if (workers > 1 && depths.size() > 1) {
        try {
            helper = std::thread([&] {
                try {
                    run.Work(true);
                } catch (...) {
                    helperError = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            // No thread to be had: this one does all the work.
        }
    }
    std::exception_ptr ownError;
    try {
        run.Work(false);
    } catch (...) {
        ownError = std::current_exception();
    }
    if (helper.joinable())
        helper.join();
    if (ownError)
        std::rethrow_exception(ownError);
    if (helperError)
        std::rethrow_exception(helperError);

    // Every candidate that was stopped is beaten by one that finished.
    TCandidateChoice choice;
    quint64 best = std::numeric_limits<quint64>::max();
    for (std::size_t i = 0; i < depths.size(); ++i) {
        TDeflateResult& result = run.Results[i];
        if (result.Outcome == TDeflateOutcome::Stopped)
            continue;
        const quint64 rank = Rank(result.Data.size(), depths[i]);
        if (rank < best) {
            best = rank;
            choice.BitDepth = depths[i];
            choice.Compressed = std::move(result.Data);
        }
    }
    return choice;
}

#include "platform/clipboard/pipereader.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {
constexpr qint64 ChunkBytes = 64 * 1024;
}

TPipeRead ReadPipeWithin(int fileDescriptor, int stopDescriptor, int timeoutMs, qint64 maxBytes) {
    TPipeRead result;
    // A read must never wait on its own: only poll decides how long we wait.
    const int flags = fcntl(fileDescriptor, F_GETFL);
    if (flags < 0 || fcntl(fileDescriptor, F_SETFL, flags | O_NONBLOCK) < 0)
        return result;
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        const qint64 left = timeoutMs - elapsed.elapsed();
        if (left <= 0) {
            result.Status = TPipeReadStatus::TimedOut;
            return result;
        }
        pollfd watched[2] = {{fileDescriptor, POLLIN, 0}, {stopDescriptor, POLLIN, 0}};
        const int ready = poll(watched, stopDescriptor >= 0 ? 2 : 1, int(left));
        if (ready < 0 && errno != EINTR)
            return result;
        if (ready <= 0)
            continue;
        if (stopDescriptor >= 0 && watched[1].revents != 0) {
            result.Status = TPipeReadStatus::Stopped;
            return result;
        }
        // One byte beyond the cap tells an oversized offer from one that fills it exactly.
        const qint64 room = std::min(ChunkBytes, maxBytes + 1 - result.Bytes.size());
        const qsizetype before = result.Bytes.size();
        result.Bytes.resize(before + room);
        const ssize_t got = read(fileDescriptor, result.Bytes.data() + before, size_t(room));
        result.Bytes.resize(before + std::max<ssize_t>(got, 0));
        if (got == 0) {
            result.Status = TPipeReadStatus::Complete;
            return result;
        }
        if (got < 0 && errno != EAGAIN && errno != EINTR) {
            result.Status = TPipeReadStatus::Failed;
            return result;
        }
        if (result.Bytes.size() > maxBytes) {
            result.Bytes.clear();
            result.Status = TPipeReadStatus::TooLarge;
            return result;
        }
    }
}

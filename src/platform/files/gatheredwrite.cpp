#include "platform/files/gatheredwrite.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <sys/uio.h>
#include <vector>

std::size_t GatheredWrite(int fileDescriptor, const TWriteSpan* spans, std::size_t count) {
    std::vector<iovec> pieces;
    pieces.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        if (spans[i].Size > 0)
            pieces.push_back({const_cast<void*>(spans[i].Data), spans[i].Size});

    std::size_t written = 0;
    std::size_t next = 0;
    while (next < pieces.size()) {
        const int batch = int(std::min<std::size_t>(pieces.size() - next, IOV_MAX));
        const ssize_t taken = writev(fileDescriptor, pieces.data() + next, batch);
        if (taken < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (taken == 0)
            break;
        written += std::size_t(taken);
        // Skip what was taken; a piece taken in part is resumed where it stopped.
        std::size_t left = std::size_t(taken);
        while (left > 0 && next < pieces.size()) {
            if (left >= pieces[next].iov_len) {
                left -= pieces[next].iov_len;
                ++next;
            } else {
                pieces[next].iov_base = static_cast<char*>(pieces[next].iov_base) + left;
                pieces[next].iov_len -= left;
                left = 0;
            }
        }
    }
    return written;
}

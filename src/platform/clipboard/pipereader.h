#pragma once

#include <QByteArray>

// How reading a pipe to its end went.
enum class TPipeReadStatus {
    Complete, // the writer closed its end: everything it wrote is in the bytes
    TimedOut, // the writer neither finished nor closed in time
    TooLarge, // the writer offered more than the cap
    Stopped,  // the stop descriptor became readable
    Failed    // the pipe could not be read
};

struct TPipeRead {
    TPipeReadStatus Status = TPipeReadStatus::Failed;
    QByteArray Bytes; // what was read (complete only with TPipeReadStatus::Complete)
};

// Reads `fileDescriptor` until the writer closes it, for at most `timeoutMs` in all and at most
// `maxBytes`: a writer that stalls or floods can hold the reader up only that long. When
// `stopDescriptor` (-1 for none) becomes readable the read gives up at once.
TPipeRead ReadPipeWithin(int fileDescriptor, int stopDescriptor, int timeoutMs, qint64 maxBytes);

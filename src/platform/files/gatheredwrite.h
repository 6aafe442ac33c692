#pragma once

#include <cstddef>

// One piece of a gathered write.
struct TWriteSpan {
    const void* Data;
    std::size_t Size;
};

// Writes the pieces in order to an open file descriptor with as few system calls as possible,
// and without copying them together first. Returns the number of bytes written, which is less
// than the total only when the file refused more (a full disk, an I/O error).
std::size_t GatheredWrite(int fileDescriptor, const TWriteSpan* spans, std::size_t count);

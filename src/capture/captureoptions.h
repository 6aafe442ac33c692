#pragma once

#include "capture/saveformat.h"

#include <QString>

// The options of the window that shape the file a capture becomes, read at the moment of the
// capture.
struct TCaptureOptions {
    int MinImageSize = 0; // the index of the minimum size
    // Scaling: the index of the target size, when to scale, and how to keep the proportions.
    int ResizeTo = 0;
    bool ResizeUp = false;
    bool ResizeDown = false;
    bool KeepAspect = false;
    bool ExpandToKeepAspect = false;
    // Naming: folder, base name, digits, and the number to start from when one is set.
    QString Folder;
    QString BaseName;
    int Digits = 0;
    bool NumberFromStart = false;
    QString StartNumber;
    // The format and the JPEG options.
    TSaveFormat Format = TSaveFormat::sfBMP;
    int JPEGQuality = 0;
    bool JPEGGray = false;
    bool JPEGProgressive = false;
    bool JPEG24Bit = false;

    bool operator==(const TCaptureOptions&) const = default;
};

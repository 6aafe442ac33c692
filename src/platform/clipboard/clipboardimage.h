#pragma once

#include "platform/clipboard/clipboarddecode.h"

class QMimeData;

// The image that offered clipboard data decodes to, or nothing when it does not decode (garbage
// bytes, a type we do not decode, a picture over the bounds).
std::optional<QImage> ImageFromMimeData(const QMimeData& data);

// Whether the offered data holds a type we decode as a bitmap.
bool MimeDataOffersImage(const QMimeData& data);

#pragma once

#include <QImage>
#include <optional>

class QMimeData;

// The image that offered clipboard data decodes to, or nothing when it does not decode (garbage
// bytes, an unsupported type, a picture too large to allocate).
std::optional<QImage> ImageFromMimeData(const QMimeData& data);

// Whether the offered data claims to be an image.
bool MimeDataOffersImage(const QMimeData& data);

// Largest picture the program takes from the clipboard, in bytes of decoded pixels.
constexpr int MaxClipboardImageMegabytes = 1024;

#pragma once

#include "platform/clipboard/selectionwatcher.h"

#include <QImage>
#include <optional>

// A fast fingerprint of a picture: its size, pixel format, colour table and pixels (not the
// padding at the end of its rows). Pictures with equal fingerprints are taken as equal; it is no
// defence against a picture made to collide, and needs none. None for a null picture, or when
// the hash's state cannot be had: a fingerprint that was never computed matches nothing.
std::optional<quint64> PictureHash(const QImage& image);

// The change with the fingerprint of its picture filled in; a null picture is no picture.
TSelectionChange WithHash(TSelectionChange change);

#pragma once

#include <QColor>
#include <QIcon>
#include <QList>

// An image list: the images a tray icon shows, by index.
using TImageList = QList<QIcon>;

// The tray glyph (a small camera), drawn for every size trays ask for, from 16 to 48 pixels,
// so that no tray has to scale a 16-pixel picture.
namespace TrayArtwork {

// The sizes the glyph is drawn at; trays asking for another size get the nearest.
const QList<int>& Sizes();

// The glyph in `colour`; with `marked`, a red mark along its left edge.
QIcon Glyph(const QColor& colour, bool marked = false);

// Index 0: active (green), 1: inactive (red).
TImageList StateImages();
// Index 0: yellow with the red mark, 1: plain yellow.
TImageList BusyImages();

} // namespace TrayArtwork

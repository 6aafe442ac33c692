#pragma once

// PNG writing over libmng and zlib: TNGImage / TPNGImage / TNGBitmap and ENGImageException.
// The save thread uses it as:
//   TPNGImage png;  png.Assign(bitmap);  png.SavePNGFile(fileName);
// Every failure is an exception carrying the user's message text (EFrameworkError family).
// The full class layout is defined by the implementation in ngimage.cpp / this header.

#include "codecs/graphicerrors.h"

#include <QImage>
#include <QString>

class ENGImageException : public EInvalidGraphicOperation {
public:
    using EInvalidGraphicOperation::EInvalidGraphicOperation;
};

#include "codecs/rowbands.h"

#include <algorithm>
#include <new>

QImage RowView(const QImage& picture, int first, int count) {
    QImage view(picture.constScanLine(first), picture.width(), count, picture.bytesPerLine(),
                picture.format());
    if (!picture.colorTable().isEmpty())
        view.setColorTable(picture.colorTable());
    return view;
}

TConvertedRows::TConvertedRows(const QImage& picture, TRowConversion conversion)
    : FPicture(picture), FConversion(std::move(conversion)) {}

const uchar* TConvertedRows::Row(int y) {
    if (FBandFirst < 0 || y < FBandFirst || y >= FBandFirst + FBand.height()) {
        const int first = y - y % ConversionBandRows;
        const int count = std::min(ConversionBandRows, FPicture.height() - first);
        FBandFirst = -1;
        FBand = FConversion(RowView(FPicture, first, count));
        if (FBand.isNull() || FBand.height() != count || FBand.width() != FPicture.width())
            throw std::bad_alloc();
        FBandFirst = first;
    }
    return FBand.constScanLine(y - FBandFirst);
}

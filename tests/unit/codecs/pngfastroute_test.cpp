// The writer's fast route (hashed colour lookup, one deflate run per candidate, candidates cut
// short once they cannot win) must give byte for byte the file of the plain algorithm.

#include "codecs/pngencoder.h"
#include "pngreference.h"
#include "pngtestutil.h"

#include <QPainter>

using namespace pngtest;

namespace {

struct TCase {
    const char* Name;
    int Width;
    int Height;
    int Colors;
    unsigned NoiseEvery = 4;
};

// Colour counts at every boundary of the bit-depth table, at awkward widths.
const TCase Cases[] = {
    {"1x1", 1, 1, 1},
    {"one colour", 13, 7, 1},
    {"two", 9, 5, 2},
    {"three", 31, 9, 3},
    {"four", 17, 17, 4},
    {"five", 23, 11, 5},
    {"sixteen", 65, 19, 16},
    {"seventeen", 33, 21, 17},
    {"256", 61, 37, 256},
    {"257", 61, 37, 257},
    {"two wide", 1001, 3, 2},
    {"four tall", 3, 601, 4},
    {"16 odd", 127, 129, 16},
    {"large 5", 1203, 701, 5, 97},
    {"large 200", 901, 517, 200, 61},
    {"large 2", 1919, 1081, 2, 509},
};

class PngFastRoute : public ::testing::TestWithParam<TCase> {};

TEST_P(PngFastRoute, SameFileAsPlainAlgorithm) {
    const TCase c = GetParam();
    const QImage picture =
        ColorsImage(c.Width, c.Height, c.Colors, unsigned(c.Width + c.Colors), c.NoiseEvery);
    EXPECT_EQ(WritePNG(picture), ReferencePNG(picture));

    // The first colour transparent: its entry moves to the front and a tRNS appears.
    TWriteOptions transparent;
    const QRgb first = picture.pixel(0, 0);
    transparent.TransparentColor = ColorKey(first);
    TReferenceOptions referenceTransparent;
    referenceTransparent.TransparentColor = transparent.TransparentColor;
    EXPECT_EQ(WritePNG(picture, transparent), ReferencePNG(picture, referenceTransparent));

    // A mask with a black stripe (and, being one row short, an opaque last row).
    QImage mask(c.Width, std::max(1, c.Height - 1), QImage::Format_RGB32);
    mask.fill(Qt::white);
    for (int y = 0; y < mask.height(); ++y)
        mask.setPixel((y * 3) % c.Width, y, qRgb(0, 0, 0));
    TWriteOptions masked;
    masked.MaskBitmap = mask;
    TReferenceOptions referenceMasked;
    referenceMasked.MaskBitmap = mask;
    EXPECT_EQ(WritePNG(picture, masked), ReferencePNG(picture, referenceMasked));
}

INSTANTIATE_TEST_SUITE_P(Pictures, PngFastRoute, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<TCase>& info) {
                             QByteArray name(info.param.Name);
                             name.replace(' ', '_');
                             return name.toStdString();
                         });

// Candidates compressed one or two at a time (one stopping the other) end in the same choice.
TEST(PngFastRouteWorkers, OneOrTwoAtATimeChooseTheSameStream) {
    struct TPicture {
        int Width, Height, Colors;
        unsigned NoiseEvery;
    };
    // 640x900: the 2-bit stream, 5% longer than the 1-bit one, is stopped near its end.
    const TPicture pictures[] = {{1, 1, 1, 4},     {3, 1, 2, 4},     {640, 400, 2, 509},
                                 {640, 400, 2, 3}, {640, 900, 2, 3}, {300, 97, 4, 7},
                                 {501, 203, 9, 50}};
    for (const TPicture& p : pictures) {
        const QImage picture = ColorsImage(p.Width, p.Height, p.Colors, 77, p.NoiseEvery);
        const std::vector<TChunk> reference = ParseChunks(ReferencePNG(picture));
        for (const int workers : {1, 2}) {
            TPNGSettings settings;
            settings.Workers = workers;
            const TPNGData data = BuildPNGData(picture, settings);
            EXPECT_EQ(data.BitDepth, Header(reference).BitDepth) << p.Width << " " << workers;
            EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(data.Compressed.data()),
                                 qsizetype(data.Compressed.size())),
                      IDATStream(reference))
                << p.Width << " " << workers;
        }
    }
}

// A mix of transparent and opaque entries with tied counts inside each group.
TEST(PngFastRouteOrder, TransparentAndTiedEntries) {
    const std::vector<QRgb> colors = DistinctColors(9, 11);
    const QImage picture = PaintedImage(
        36, 6, colors, [](int x, int y) { return std::size_t((x % 9 + (y % 2) * (x / 9)) % 9); });
    QImage mask(36, 6, QImage::Format_Mono);
    mask.setColor(0, qRgb(0, 0, 0));
    mask.setColor(1, qRgb(255, 255, 255));
    mask.fill(1);
    for (int x = 0; x < 36; x += 4)
        mask.setPixel(x, 2, 0);
    TWriteOptions options;
    options.MaskBitmap = mask;
    TReferenceOptions reference;
    reference.MaskBitmap = mask;
    EXPECT_EQ(WritePNG(picture, options), ReferencePNG(picture, reference));
}

// Pixel formats other than 32-bit are read through the same 24-bit view.
TEST(PngFastRouteFormats, OtherPixelFormats) {
    const QImage base = ColorsImage(47, 23, 300, 9);
    const QImage::Format formats[] = {QImage::Format_RGB888, QImage::Format_BGR888,
                                      QImage::Format_RGB16,  QImage::Format_RGB555,
                                      QImage::Format_ARGB32, QImage::Format_Indexed8,
                                      QImage::Format_Mono,   QImage::Format_Grayscale8};
    for (const QImage::Format format : formats) {
        const QImage picture = base.convertToFormat(format);
        EXPECT_EQ(WritePNG(picture), ReferencePNG(picture)) << "format " << int(format);
    }
    // Alpha in the picture itself is not used: a half-transparent ARGB32 picture is opaque.
    QImage argb(20, 10, QImage::Format_ARGB32);
    argb.fill(qRgba(10, 20, 30, 77));
    argb.setPixel(3, 3, qRgba(200, 100, 50, 0));
    EXPECT_EQ(WritePNG(argb), ReferencePNG(argb));
}

// Large noise with and without transparency: colour types 2 and 6, many IDAT chunks.
TEST(PngFastRouteTrueColor, NoiseWithAndWithoutAlpha) {
    const QImage noise = NoiseImage(300, 211, 3);
    EXPECT_EQ(WritePNG(noise), ReferencePNG(noise));
    TWriteOptions transparent;
    const QRgb c = noise.pixel(10, 10);
    transparent.TransparentColor = ColorKey(c);
    TReferenceOptions reference;
    reference.TransparentColor = transparent.TransparentColor;
    const QByteArray file = WritePNG(noise, transparent);
    EXPECT_EQ(file, ReferencePNG(noise, reference));
    EXPECT_EQ(Header(ParseChunks(file)).ColorType, 6);
}

// Incompressible data larger than its input by more than 1000 bytes: the plain algorithm has to
// start over with a larger buffer, the single run must still give the same stream.
TEST(PngFastRouteTrueColor, StreamThatNeedsTheRetryLoop) {
    const QImage noise = NoiseImage(2000, 1200, 8);
    QByteArray rows;
    rows.reserve(2000 * 3 * 1200 + 1200);
    for (int y = 0; y < noise.height(); ++y) {
        rows += '\0';
        for (int x = 0; x < noise.width(); ++x) {
            const QRgb p = noise.pixel(x, y);
            rows += char(qRed(p));
            rows += char(qGreen(p));
            rows += char(qBlue(p));
        }
    }
    int retries = 0;
    const QByteArray plain = ReferenceCompress(rows, 9, &retries);
    EXPECT_GT(retries, 0) << "the picture no longer exercises the retry loop";
    EXPECT_EQ(IDATStream(ParseChunks(WritePNG(noise))), plain);
}

// Screenshot-like content: flat areas, rectangles and strokes in a few dozen colours.
TEST(PngFastRouteScreens, WindowsAndText) {
    QImage screen(801, 613, QImage::Format_RGB32);
    screen.fill(qRgb(240, 240, 240));
    QPainter painter(&screen);
    const std::vector<QRgb> colors = DistinctColors(40, 21);
    for (int i = 0; i < 30; ++i) {
        painter.fillRect((i * 71) % 700, (i * 43) % 500, 90 + i, 60 + 2 * i,
                         QColor(colors[std::size_t(i)]));
        for (int line = 0; line < 5; ++line)
            painter.fillRect((i * 71) % 700 + 4, (i * 43) % 500 + 6 + line * 9, 40 + (i * 7) % 45,
                             2, QColor(colors[std::size_t(39 - i % 10)]));
    }
    painter.end();
    EXPECT_EQ(WritePNG(screen), ReferencePNG(screen));
    const QImage document = ColorsImage(640, 480, 2, 4);
    EXPECT_EQ(WritePNG(document), ReferencePNG(document));
}

} // namespace

// The PNG files TPNGImage writes: what an independent decoder reads back, the chunk layout, the
// image data framing and how failures are reported.

#include "codecs/pngencoder.h"
#include "codectestutil.h"
#include "pngtestutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace pngtest;
using CodecTest::ErrorMessage;

namespace {

// Every pixel as QImage decodes it, against the picture (alpha from the expected rule).
void ExpectPixels(const QByteArray& file, const QImage& picture,
                  const std::function<int(int, int)>& alphaAt = nullptr) {
    const QImage decoded = Decode(file);
    ASSERT_EQ(decoded.size(), picture.size());
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb want = picture.pixel(x, y);
            const QRgb got = decoded.pixel(x, y);
            const int alpha = alphaAt ? alphaAt(x, y) : 255;
            ASSERT_EQ(qAlpha(got), alpha) << x << "," << y;
            if (alpha != 0) { // a transparent pixel's colour is of no interest to a decoder
                ASSERT_EQ(got & 0xFFFFFFu, want & 0xFFFFFFu) << x << "," << y;
            }
        }
    }
}

// Walks the decompressed rows: each is a filter byte 0 and the row's pixel bytes.
void ExpectUnfilteredRows(const std::vector<TChunk>& chunks) {
    const THeader header = Header(chunks);
    const int channels = header.ColorType == 2 ? 3 : header.ColorType == 6 ? 4 : 1;
    const qsizetype rowBytes = 1 + (qsizetype(header.Width) * channels * header.BitDepth + 7) / 8;
    const QByteArray rows = Inflate(IDATStream(chunks));
    ASSERT_EQ(rows.size(), rowBytes * qsizetype(header.Height));
    for (qsizetype pos = 0; pos < rows.size(); pos += rowBytes)
        ASSERT_EQ(rows[pos], '\0') << "row " << pos / rowBytes;
}

struct TDepthCase {
    int Colors;
    int ColorType;
    std::vector<int> Depths; // the depths the colour count allows
};

class PngColorCounts : public ::testing::TestWithParam<TDepthCase> {};

TEST_P(PngColorCounts, TypeDepthPixelsAndLayout) {
    const TDepthCase c = GetParam();
    for (const unsigned noise : {3u, 1000u}) { // noisy and smooth pictures favour other depths
        const QImage picture = ColorsImage(37, 29, c.Colors, unsigned(c.Colors), noise);
        const QByteArray file = WritePNG(picture);
        const std::vector<TChunk> chunks = ParseChunks(file);
        const THeader header = Header(chunks);
        EXPECT_EQ(header.Width, 37u);
        EXPECT_EQ(header.Height, 29u);
        EXPECT_EQ(header.ColorType, c.ColorType);
        EXPECT_NE(std::find(c.Depths.begin(), c.Depths.end(), header.BitDepth), c.Depths.end())
            << "depth " << header.BitDepth;
        EXPECT_EQ(header.Compression, 0);
        EXPECT_EQ(header.Filter, 0);
        EXPECT_EQ(header.Interlace, 0);
        if (c.ColorType == 3) {
            EXPECT_EQ(ChunkTypes(chunks), "IHDR sRGB PLTE IDAT IEND");
            EXPECT_EQ(FindChunk(chunks, "PLTE")->Data.size(), 3 * c.Colors);
        } else {
            EXPECT_EQ(ChunkTypes(chunks), "IHDR sRGB IDAT IEND");
        }
        EXPECT_EQ(FindChunk(chunks, "sRGB")->Data, QByteArray(1, '\0'));
        ExpectUnfilteredRows(chunks);
        ExpectPixels(file, picture);
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, PngColorCounts,
                         ::testing::Values(TDepthCase{1, 3, {1, 2, 4, 8}},
                                           TDepthCase{2, 3, {1, 2, 4, 8}},
                                           TDepthCase{3, 3, {2, 4, 8}}, TDepthCase{4, 3, {2, 4, 8}},
                                           TDepthCase{5, 3, {4, 8}}, TDepthCase{16, 3, {4, 8}},
                                           TDepthCase{17, 3, {8}}, TDepthCase{256, 3, {8}},
                                           TDepthCase{257, 2, {8}}),
                         [](const ::testing::TestParamInfo<TDepthCase>& info) {
                             return "colors" + std::to_string(info.param.Colors);
                         });

TEST(PngPalette, MostUsedColourComesFirst) {
    const QRgb rare = qRgb(200, 10, 10);
    const QRgb common = qRgb(10, 10, 200);
    // The rare colour is seen first (10 pixels on top), the common one 90 times.
    const QImage picture = PaintedImage(10, 10, {rare, common},
                                        [](int, int y) { return std::size_t(y == 0 ? 0 : 1); });
    const std::vector<TChunk> chunks = ParseChunks(WritePNG(picture));
    const QByteArray plte = FindChunk(chunks, "PLTE")->Data;
    ASSERT_EQ(plte.size(), 6);
    EXPECT_EQ(quint8(plte[0]), qRed(common));
    EXPECT_EQ(quint8(plte[2]), qBlue(common));
    EXPECT_EQ(quint8(plte[3]), qRed(rare));
}

// The swap loop is not a stable sort: of two equally used colours the later one can end first.
TEST(PngPalette, SortKeepsTheSwapLoopOrder) {
    const quint32 opaque = 0xFF000000u;
    std::vector<TPNGColor> palette = {{opaque | 1, 1}, {opaque | 2, 2}, {opaque | 3, 1},
                                      {opaque | 4, 3}, {5, 1},          {6, 0}};
    SortPalette(palette);
    std::vector<quint32> keys;
    for (const TPNGColor& c : palette)
        keys.push_back(c.Key);
    EXPECT_EQ(keys, (std::vector<quint32>{5, 6, opaque | 4, opaque | 2, opaque | 3, opaque | 1}));
    EXPECT_EQ(TRNSCount(palette), 2);
    palette.erase(palette.begin(), palette.begin() + 2);
    EXPECT_EQ(TRNSCount(palette), 0);
}

TEST(PngTransparency, TransparentColourGetsTheFirstEntryAndTRNS) {
    const std::vector<QRgb> colors = DistinctColors(6, 3);
    const QImage picture = PaintedImage(
        23, 9, colors, [](int x, int y) { return std::size_t(x * y % 11 == 0 ? 5 : x % 5); });
    const QRgb key = colors[5];
    TWriteOptions options;
    options.TransparentColor = ColorKey(key);
    const QByteArray file = WritePNG(picture, options);
    const std::vector<TChunk> chunks = ParseChunks(file);
    EXPECT_EQ(ChunkTypes(chunks), "IHDR sRGB PLTE tRNS IDAT IEND");
    EXPECT_EQ(FindChunk(chunks, "tRNS")->Data, QByteArray(1, '\0'));
    const QByteArray plte = FindChunk(chunks, "PLTE")->Data;
    EXPECT_EQ(quint8(plte[0]), qRed(key));
    EXPECT_EQ(quint8(plte[1]), qGreen(key));
    EXPECT_EQ(quint8(plte[2]), qBlue(key));
    ExpectPixels(file, picture, [&](int x, int y) { return picture.pixel(x, y) == key ? 0 : 255; });

    // Bits above the blue byte do not take part in the comparison.
    TWriteOptions high = options;
    high.TransparentColor |= 0x02000000;
    EXPECT_EQ(WritePNG(picture, high), file);
}

TEST(PngTransparency, MaskMakesEveryMaskedColourTransparent) {
    const std::vector<QRgb> colors = DistinctColors(3, 8);
    const QImage picture =
        PaintedImage(12, 12, colors, [](int x, int) { return std::size_t(x % 3); });
    // Black on the left half of the mask: all three colours get a transparent twin entry.
    QImage mask(12, 12, QImage::Format_RGB32);
    mask.fill(Qt::white);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 6; ++x)
            mask.setPixel(x, y, y == 0 ? qRgb(128, 128, 128) : qRgb(0, 0, 0)); // grey is black
    TWriteOptions options;
    options.MaskBitmap = mask;
    options.TransparentColor = 0; // ignored when there is a mask
    const QByteArray file = WritePNG(picture, options);
    const std::vector<TChunk> chunks = ParseChunks(file);
    EXPECT_EQ(FindChunk(chunks, "PLTE")->Data.size(), 18);
    EXPECT_EQ(FindChunk(chunks, "tRNS")->Data, QByteArray(3, '\0'));
    ExpectPixels(file, picture, [](int x, int) { return x < 6 ? 0 : 255; });
}

TEST(PngTransparency, MoreThan256ColoursWithAMaskGiveColourType6) {
    const QImage noise = NoiseImage(40, 30, 5);
    QImage mask(40, 30, QImage::Format_Mono);
    mask.setColor(0, qRgb(0, 0, 0));
    mask.setColor(1, qRgb(255, 255, 255));
    mask.fill(1);
    mask.setPixel(7, 29, 0);
    TWriteOptions options;
    options.MaskBitmap = mask;
    const QByteArray file = WritePNG(noise, options);
    const std::vector<TChunk> chunks = ParseChunks(file);
    EXPECT_EQ(Header(chunks).ColorType, 6);
    EXPECT_EQ(ChunkTypes(chunks), "IHDR sRGB IDAT IEND");
    ExpectUnfilteredRows(chunks);
    ExpectPixels(file, noise, [](int x, int y) { return x == 7 && y == 29 ? 0 : 255; });
}

TEST(PngIDAT, PiecesOfTheLimit) {
    using V = std::vector<std::size_t>;
    EXPECT_EQ(IDATPieces(65536, 65536), V({65536}));
    EXPECT_EQ(IDATPieces(65537, 65536), V({65536, 1}));
    EXPECT_EQ(IDATPieces(131072, 65536), V({65536, 65536}));
    EXPECT_EQ(IDATPieces(131073, 65536), V({65536, 65536, 1}));
    EXPECT_EQ(IDATPieces(8, 65536), V({8}));
    EXPECT_EQ(IDATPieces(0, 65536), V());
    // A limit that could never make progress counts as 1 instead of hanging.
    EXPECT_EQ(IDATPieces(3, 0), V({1, 1, 1}));
    EXPECT_EQ(IDATPieces(2, -5), V({1, 1}));
}

TEST(PngIDAT, RealFilesSplitAtTheLimit) {
    // Noise compresses to a little more than its 120,200 input bytes: two IDATs.
    const QImage noise = NoiseImage(200, 200, 2);
    const std::vector<TChunk> chunks = ParseChunks(WritePNG(noise));
    EXPECT_EQ(ChunkTypes(chunks), "IHDR sRGB IDAT IDAT IEND");
    const QByteArray stream = IDATStream(chunks);
    EXPECT_EQ(chunks[2].Data.size(), 65536);
    EXPECT_EQ(chunks[3].Data.size(), stream.size() - 65536);
    ExpectPixels(WritePNG(noise), noise);

    // The boundaries on a real stream of length L: limit L, L - 1 and about half of L.
    const QImage small = NoiseImage(20, 10, 4);
    const qsizetype length = IDATStream(ParseChunks(WritePNG(small))).size();
    auto sizes = [&](qint32 limit) {
        TWriteOptions options;
        options.MaxIDATSize = limit;
        std::vector<qsizetype> result;
        for (const TChunk& chunk : ParseChunks(WritePNG(small, options))) {
            if (chunk.Type == "IDAT")
                result.push_back(chunk.Data.size());
        }
        return result;
    };
    using V = std::vector<qsizetype>;
    const qsizetype half = (length + 1) / 2;
    EXPECT_EQ(sizes(qint32(length)), V({length}));
    EXPECT_EQ(sizes(qint32(length - 1)), V({length - 1, 1}));
    EXPECT_EQ(sizes(qint32(half)), V({half, length - half}));
    EXPECT_EQ(sizes(0).size(), std::size_t(length)); // one byte each, but finished
}

class PngFiles : public ::testing::Test {
protected:
    QString Path(const char* name) const { return FDir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir FDir;
};

TEST_F(PngFiles, SavePNGFileWritesWhatSaveToStreamWrites) {
    const QImage picture = ColorsImage(31, 17, 7, 2);
    TPNGImage png;
    png.Assign(picture);
    // An older, longer file of the same name is replaced, not overwritten in part.
    ASSERT_TRUE(WriteAll(Path("out.png"), QByteArray(100000, 'x')));
    png.SavePNGFile(Path("out.png"));
    EXPECT_EQ(ReadAll(Path("out.png")), WritePNG(picture));
    // The same object saves again (a fresh chunk list each time).
    png.SavePNGFile(Path("again.png"));
    EXPECT_EQ(ReadAll(Path("again.png")), WritePNG(picture));
}

TEST_F(PngFiles, FileThatCannotBeCreated) {
    TPNGImage png;
    png.Assign(ColorsImage(5, 5, 2));
    const QString target = Path("missing/dir/x.png");
    EXPECT_EQ(ErrorMessage<EFCreateError>([&] { png.SavePNGFile(target); }),
              QStringLiteral("Datei %1 kann nicht erstellt werden").arg(target));
}

TEST_F(PngFiles, FullDiskFailsWithTheLibraryReportAndLeavesTheLinkAlone) {
    if (!QFileInfo::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    const QString target = Path("full.png");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), target));
    TPNGImage png;
    png.Assign(ColorsImage(50, 50, 3));
    int statusChanges = 0;
    png.OnStatusChange = [&](TNGImage& sender) {
        EXPECT_EQ(&sender, &png);
        ++statusChanges;
    };
    const QString message =
        ErrorMessage<ENGImageException>([&] { png.SavePNGFile(target); }).value_or("none");
    RecordProperty("message", message.toStdString());
    EXPECT_TRUE(message.startsWith(QStringLiteral("PNG/JNG/MNG error: "))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("[Code=12; Severity=9; Chunknr=")))
        << message.toStdString();
    // The save created no file of its own there: the link is left as it was found.
    EXPECT_TRUE(QFileInfo(target).isSymLink());
    // libmng still reports the broken write, which the image heard of, and refuses further saves.
    EXPECT_TRUE(png.Bitmap().Writing());
    EXPECT_EQ(statusChanges, 1);
    EXPECT_EQ(ErrorMessage<ENGImageException>([&] { png.SavePNGFile(Path("after.png")); }),
              QStringLiteral("PNG save not supported in this state"));
    EXPECT_FALSE(QFileInfo::exists(Path("after.png")));
}

TEST_F(PngFiles, SmallestAndLargestPictures) {
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(qRgb(1, 2, 3));
    const QByteArray file = WritePNG(dot);
    const std::vector<TChunk> chunks = ParseChunks(file);
    EXPECT_EQ(Header(chunks).BitDepth, 8); // all four depths tie: the largest wins
    ExpectPixels(file, dot);

    QImage huge(7680, 4320, QImage::Format_RGB32);
    huge.fill(qRgb(40, 80, 120));
    TPNGImage png;
    png.Assign(huge);
    png.SavePNGFile(Path("huge.png"));
    const QImage decoded = Decode(ReadAll(Path("huge.png")));
    ASSERT_EQ(decoded.size(), QSize(7680, 4320));
    EXPECT_EQ(decoded.pixel(0, 0), qRgb(40, 80, 120));
    EXPECT_EQ(decoded.pixel(7679, 4319), qRgb(40, 80, 120));
}

TEST(PngFailures, ZlibRefusalIsASeriousZlibError) {
    for (const int field : {0, 1}) {
        TPNGImage png;
        png.Assign(ColorsImage(9, 9, field == 0 ? 2 : 300));
        (field == 0 ? png.Bitmap().ZLIBLevel : png.Bitmap().ZLIBMemLevel) = 42;
        EXPECT_EQ(ErrorMessage<ENGImageException>([&] { png.Bitmap().CreatePNG(); }),
                  QStringLiteral("Serious ZLIB error..."));
    }
}

TEST(PngFailures, EmptyPictureIsRefused) {
    TPNGImage png;
    EXPECT_THROW(png.Bitmap().CreatePNG(), ENGImageException);
    png.Assign(QImage(0, 5, QImage::Format_RGB32));
    EXPECT_THROW(png.Bitmap().CreatePNG(), ENGImageException);
}

TEST(PngFailures, ClipboardIsRefused) {
    TPNGImage png;
    for (int i = 0; i < 2; ++i) {
        try {
            i == 0 ? png.SaveToClipboardFormat() : png.LoadFromClipboardFormat();
            FAIL() << "no error";
        } catch (const ENGImageException& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("PNG/JNG/MNG clipboard not yet supported"));
        }
    }
}

TEST(PngObjects, AssignSharesPicturesAndBitmaps) {
    const QImage picture = ColorsImage(20, 20, 3);
    const qint64 key = picture.cacheKey();
    TPNGImage first;
    TNGBitmap* initial = &first.Bitmap();
    first.Assign(picture);
    EXPECT_NE(&first.Bitmap(), initial); // a fresh bitmap took the picture over
    EXPECT_EQ(first.Bitmap().Image().constBits(), picture.constBits()); // shared, not copied
    EXPECT_EQ(first.GetWidth(), 20);
    EXPECT_FALSE(first.GetEmpty());

    TPNGImage second;
    second.Assign(first);
    EXPECT_EQ(&second.Bitmap(), &first.Bitmap());
    EXPECT_EQ(first.Bitmap().AttachedCount(), 2u);
    second.Bitmap().CreatePNG();
    EXPECT_EQ(picture.cacheKey(), key); // the caller's picture is untouched
    {
        TPNGImage third;
        third.Assign(second);
        EXPECT_EQ(first.Bitmap().AttachedCount(), 3u);
    }
    EXPECT_EQ(first.Bitmap().AttachedCount(), 2u);
}

TEST_F(PngFiles, LoadReadsBackWhatWasSaved) {
    const QImage picture = ColorsImage(33, 21, 12, 6);
    TPNGImage png;
    png.Assign(picture);
    png.SavePNGFile(Path("round.png"));

    TPNGImage loaded;
    TPNGImage sharer;
    sharer.Assign(loaded);
    loaded.LoadFromFile(Path("round.png"));
    EXPECT_NE(&loaded.Bitmap(), &sharer.Bitmap()); // a shared bitmap is not loaded into
    ASSERT_EQ(loaded.GetWidth(), 33);
    ASSERT_EQ(loaded.GetHeight(), 21);
    const QImage image = loaded.Bitmap().Image();
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 33; ++x)
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFFu, picture.pixel(x, y) & 0xFFFFFFu);
    EXPECT_THROW(loaded.LoadFromFile(Path("nothing.png")), EFrameworkError);
}

} // namespace

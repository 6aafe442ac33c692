#pragma once

// PNG writing over libmng and zlib: TNGImage / TPNGImage / TNGBitmap and ENGImageException.
// The save thread uses it as:
//   TPNGImage png;  png.Assign(bitmap);  png.SavePNGFile(fileName);
// Every failure is an exception carrying the user's message text (EFrameworkError family).
//
// The program does the PNG work itself (colour analysis, bit depth, deflate; see pngencoder.h)
// and hands libmng the finished chunks; libmng frames them and writes the file through our
// callbacks. A bitmap, its libmng handle and the images attached to it belong to one thread
// (the save thread); only the compression of the bit-depth candidates may borrow a helper
// thread, which ends before CreatePNG returns.

#include "codecs/graphicerrors.h"
#include "codecs/rowbands.h"

#include <QImage>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <vector>

class QIODevice;
class TFileStream;
class TNGImage;
class TNGStream;
struct TNGCallbacks;

class ENGImageException : public EInvalidGraphicOperation {
public:
    using EInvalidGraphicOperation::EInvalidGraphicOperation;
};

// libmng's handle (its mng_handle), declared here so that users of this header do not pull in
// libmng's headers.
struct mng_data_struct;
using TMNGHandle = mng_data_struct*;

// The picture and the libmng handle that turns it into PNG chunks. Shared by the TNGImage objects
// attached to it.
class TNGBitmap {
public:
    // Sets up the libmng handle: mng_initialize with our memory functions, chunk storage, the
    // callbacks and the canvas style. Raises ENGImageException when libmng refuses any step
    // (a missing or unusable library must fail the save, never crash it).
    TNGBitmap();
    ~TNGBitmap();
    TNGBitmap(const TNGBitmap&) = delete;
    TNGBitmap& operator=(const TNGBitmap&) = delete;

    TMNGHandle Handle() const { return FHandle; }

    // The picture. Assign shares the image (Qt's implicit sharing), it copies no pixels.
    const QImage& Image() const { return FImage; }
    void Assign(const QImage& image) { FImage = image; }
    int GetWidth() const { return FImage.width(); }
    int GetHeight() const { return FImage.height(); }

    // Settings of the PNG data.
    qint32 TransparentColor = -1; // red bits 0-7, green 8-15, blue 16-23; negative: none
    QImage MaskBitmap;            // black pixels are transparent; null: no mask
    int ZLIBLevel = 9;
    int ZLIBMethod = 8;
    int ZLIBWindowBits = 15;
    int ZLIBMemLevel = 9;
    int ZLIBStrategy = 0;
    qint32 MaxIDATSize = 65536;
    // The format the picture's pixels are taken in, a band of rows at a time (none: as held).
    TRowConversion RowConversion;

    // libmng's answers to its status queries, as last seen by RefreshStatus.
    bool Creating() const { return FCreating; }
    bool Writing() const { return FWriting; }
    bool Reading() const { return FReading; }
    bool Displaying() const { return FDisplaying; }
    bool Running() const { return FRunning; }
    // Asks libmng for its status; when anything changed, calls OnStatusChange of the attached
    // images, the last attached first. Does nothing when called from within such a call.
    void RefreshStatus();

    // Builds the chunks IHDR, sRGB, [PLTE], [tRNS], IDAT..., IEND from the picture and stores
    // them in the handle, replacing any from before. Raises ENGImageException ("Serious ZLIB
    // error..." when no data could be compressed; the libmng error report otherwise).
    void CreatePNG();

    // Writes the stored chunks as a PNG file. The file is created (or truncated) first:
    // EFCreateError before any libmng work; on a libmng failure (a short write included) the
    // file is removed and ENGImageException raised.
    void SaveToFile(const QString& fileName);
    // Writes the stored chunks to an open device.
    void SaveToStream(QIODevice& stream);
    // Writes the stored chunks to a file created by the caller; the caller commits it.
    void SaveToStream(TFileStream& file);

    // Reads a PNG (the first frame of an MNG) into the picture as 24-bit BGR.
    void LoadFromFile(const QString& fileName);
    void LoadFromStream(QIODevice& stream);

    // The clipboard has no PNG form here: both raise "PNG/JNG/MNG clipboard not yet supported".
    void LoadFromClipboardFormat();
    void SaveToClipboardFormat();

    void Attach(TNGImage* image);
    void Detach(TNGImage* image);
    std::size_t AttachedCount() const { return FImages.size(); }

private:
    friend struct TNGCallbacks;

    void Check(int result) const; // raises the libmng error report for a non-zero result
    [[noreturn]] void RaiseLibError() const;
    void WriteChunks(TNGStream& stream);
    void ReadChunks(TNGStream& stream);

    TMNGHandle FHandle = nullptr;
    QImage FImage;
    std::vector<TNGImage*> FImages;
    TNGStream* FStream = nullptr; // the stream of the running libmng operation
    bool FHeaderSeen = false;     // a picture being read has reported its size
    quint32 FTimerInterval = 0;   // last wait libmng asked for (animations are not played)
    bool FRefreshing = false;
    bool FCreating = false;
    bool FWriting = false;
    bool FReading = false;
    bool FDisplaying = false;
    bool FRunning = false;
};

// A picture object that writes PNG files; several may share one TNGBitmap.
class TNGImage {
public:
    // Creates a fresh TNGBitmap (and libmng handle) and attaches to it.
    TNGImage();
    virtual ~TNGImage();
    TNGImage(const TNGImage&) = delete;
    TNGImage& operator=(const TNGImage&) = delete;

    // Shares the other image's bitmap; the own one is freed when no other image uses it.
    void Assign(const TNGImage& source);
    // A fresh bitmap takes the picture over (shared, not copied).
    void Assign(const QImage& bitmap);

    bool GetEmpty() const;
    int GetWidth() const { return FBitmap->GetWidth(); }
    int GetHeight() const { return FBitmap->GetHeight(); }

    void SaveToFile(const QString& fileName) { FBitmap->SaveToFile(fileName); }
    void SaveToStream(QIODevice& stream) { FBitmap->SaveToStream(stream); }
    void LoadFromFile(const QString& fileName);
    void LoadFromStream(QIODevice& stream);
    void LoadFromClipboardFormat() { FBitmap->LoadFromClipboardFormat(); }
    void SaveToClipboardFormat() { FBitmap->SaveToClipboardFormat(); }

    // Refuses with "PNG save not supported in this state" while libmng is creating, writing or
    // displaying; otherwise builds the PNG data and writes the file.
    void SavePNGFile(const QString& fileName);
    // The first half of SavePNGFile: the state check and the PNG data, ready to be written with
    // SaveToFile or the bitmap's SaveToStream.
    void PreparePNG();

    TNGBitmap& Bitmap() const { return *FBitmap; }

    // Called with this image when the libmng status of its bitmap changes.
    std::function<void(TNGImage&)> OnStatusChange;

private:
    void AttachTo(std::shared_ptr<TNGBitmap> bitmap);
    void Unshare();

    std::shared_ptr<TNGBitmap> FBitmap;
};

// The PNG picture the save thread creates.
class TPNGImage : public TNGImage {};

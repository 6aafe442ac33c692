#include "codecs/ngimage.h"

#include "codecs/filestream.h"
#include "codecs/pngencoder.h"

#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio> // libmng's headers include jpeglib.h, which needs FILE
#include <cstdlib>
#include <cstring>

// The shared-library build of libmng: write support, chunk access and error texts.
#define MNG_USE_SO
#include <libmng.h>

// The stream libmng reads from or writes to during one operation.
class TNGStream {
public:
    virtual ~TNGStream() = default;
    // Both return the count taken; 0 at the end of the data or on failure.
    virtual std::size_t Read(void* data, std::size_t count) = 0;
    virtual std::size_t Write(const void* data, std::size_t count) = 0;
};

namespace {

class TNGFileStream : public TNGStream {
public:
    explicit TNGFileStream(TFileStream& file) : FFile(file) {}
    std::size_t Read(void*, std::size_t) override { return 0; }
    std::size_t Write(const void* data, std::size_t count) override {
        return FFile.Write(data, count);
    }

private:
    TFileStream& FFile;
};

class TNGDeviceStream : public TNGStream {
public:
    explicit TNGDeviceStream(QIODevice& device) : FDevice(device) {}
    std::size_t Read(void* data, std::size_t count) override {
        if (FDevice.atEnd())
            return 0;
        const qint64 got = FDevice.read(static_cast<char*>(data), qint64(count));
        return got > 0 ? std::size_t(got) : 0;
    }
    std::size_t Write(const void* data, std::size_t count) override {
        const qint64 taken = FDevice.write(static_cast<const char*>(data), qint64(count));
        return taken > 0 ? std::size_t(taken) : 0;
    }

private:
    QIODevice& FDevice;
};

// Sets the stream of a bitmap for the length of one libmng operation.
class TStreamScope {
public:
    TStreamScope(TNGStream*& slot, TNGStream& stream) : FSlot(slot) { FSlot = &stream; }
    ~TStreamScope() { FSlot = nullptr; }
    TStreamScope(const TStreamScope&) = delete;
    TStreamScope& operator=(const TStreamScope&) = delete;

private:
    TNGStream*& FSlot;
};

// libmng expects zero-filled blocks.
mng_ptr MNG_DECL AllocateMemory(mng_size_t length) {
    return std::calloc(1, length);
}
void MNG_DECL FreeMemory(mng_ptr block, mng_size_t) {
    std::free(block);
}

const QString ClipboardRefusal = QStringLiteral("PNG/JNG/MNG clipboard not yet supported");

} // namespace

// libmng's callbacks; each finds its bitmap again through the handle's user data.
struct TNGCallbacks {
    static TNGBitmap& Of(mng_handle handle) {
        return *static_cast<TNGBitmap*>(mng_get_userdata(handle));
    }

    static mng_bool MNG_DECL OpenStream(mng_handle) { return MNG_TRUE; }
    // The stream belongs to the operation that set it and is released by it.
    static mng_bool MNG_DECL CloseStream(mng_handle) { return MNG_TRUE; }

    static mng_bool MNG_DECL ReadData(mng_handle handle, mng_ptr buffer, mng_uint32 length,
                                      mng_uint32p read) {
        TNGStream* stream = Of(handle).FStream;
        *read = stream ? mng_uint32(stream->Read(buffer, length)) : 0;
        return MNG_TRUE;
    }

    // A short count makes libmng fail the write with its output error.
    static mng_bool MNG_DECL WriteData(mng_handle handle, mng_ptr buffer, mng_uint32 length,
                                       mng_uint32p written) {
        TNGStream* stream = Of(handle).FStream;
        *written = stream ? mng_uint32(stream->Write(buffer, length)) : 0;
        return MNG_TRUE;
    }

    // Errors are taken from the results of the calls.
    static mng_bool MNG_DECL ErrorProc(mng_handle, mng_int32, mng_int8, mng_chunkid, mng_uint32,
                                       mng_int32, mng_int32, mng_pchar) {
        return MNG_TRUE;
    }

    static mng_bool MNG_DECL ProcessHeader(mng_handle handle, mng_uint32 width, mng_uint32 height) {
        TNGBitmap& bitmap = Of(handle);
        // The canvas style is blue, green, red, 8 bits each: Qt's BGR888.
        QImage canvas(int(width), int(height), QImage::Format_BGR888);
        if (canvas.isNull())
            return MNG_FALSE;
        canvas.fill(Qt::black);
        bitmap.FImage = canvas;
        bitmap.FHeaderSeen = true;
        return MNG_TRUE;
    }

    static mng_ptr MNG_DECL GetCanvasLine(mng_handle handle, mng_uint32 line) {
        TNGBitmap& bitmap = Of(handle);
        if (line >= mng_uint32(bitmap.FImage.height()))
            return nullptr;
        return bitmap.FImage.scanLine(int(line));
    }

    static mng_bool MNG_DECL Refresh(mng_handle handle, mng_uint32, mng_uint32, mng_uint32,
                                     mng_uint32) {
        Of(handle).RefreshStatus();
        return MNG_TRUE;
    }

    static mng_uint32 MNG_DECL GetTickCount(mng_handle) {
        using namespace std::chrono;
        return mng_uint32(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }

    // Animations are not played: the wait is only noted.
    static mng_bool MNG_DECL SetTimer(mng_handle handle, mng_uint32 milliseconds) {
        Of(handle).FTimerInterval = milliseconds;
        return MNG_TRUE;
    }
};

TNGBitmap::TNGBitmap() {
    FHandle = mng_initialize(this, AllocateMemory, FreeMemory, MNG_NULL);
    if (!FHandle)
        RaiseLibError();
    try {
        // The first refusal ends the set-up; nothing after it is done.
        Check(mng_set_storechunks(FHandle, MNG_TRUE));
        Check(mng_setcb_openstream(FHandle, TNGCallbacks::OpenStream));
        Check(mng_setcb_closestream(FHandle, TNGCallbacks::CloseStream));
        Check(mng_setcb_readdata(FHandle, TNGCallbacks::ReadData));
        Check(mng_setcb_writedata(FHandle, TNGCallbacks::WriteData));
        Check(mng_setcb_errorproc(FHandle, TNGCallbacks::ErrorProc));
        Check(mng_setcb_processheader(FHandle, TNGCallbacks::ProcessHeader));
        Check(mng_setcb_getcanvasline(FHandle, TNGCallbacks::GetCanvasLine));
        Check(mng_setcb_refresh(FHandle, TNGCallbacks::Refresh));
        Check(mng_setcb_gettickcount(FHandle, TNGCallbacks::GetTickCount));
        Check(mng_setcb_settimer(FHandle, TNGCallbacks::SetTimer));
        Check(mng_set_canvasstyle(FHandle, MNG_CANVAS_BGR8));
        Check(mng_set_bkgdstyle(FHandle, MNG_CANVAS_BGR8));
    } catch (...) {
        mng_cleanup(&FHandle);
        throw;
    }
    RefreshStatus();
}

TNGBitmap::~TNGBitmap() {
    if (FHandle)
        mng_cleanup(&FHandle);
}

void TNGBitmap::Check(int result) const {
    if (result != MNG_NOERROR)
        RaiseLibError();
}

void TNGBitmap::RaiseLibError() const {
    mng_int8 severity = 0;
    mng_chunkid chunkName = 0;
    mng_uint32 chunkSequence = 0;
    mng_int32 extra1 = 0;
    mng_int32 extra2 = 0;
    mng_pchar text = nullptr;
    const mng_retcode code =
        mng_getlasterror(FHandle, &severity, &chunkName, &chunkSequence, &extra1, &extra2, &text);
    // Without a handle libmng has nothing to tell; say what failed.
    const char* message = text ? text : (FHandle ? "" : "the PNG library could not be started");
    throw ENGImageException(QString::asprintf(
        "PNG/JNG/MNG error: %s [Code=%d; Severity=%d; Chunknr=%d; Extra=%d/%d]", message, int(code),
        int(quint8(severity)), int(chunkSequence), int(extra1), int(extra2)));
}

void TNGBitmap::RefreshStatus() {
    if (FRefreshing)
        return;
    FRefreshing = true;
    struct TClear {
        bool& Flag;
        ~TClear() { Flag = false; }
    } clear{FRefreshing};

    const bool reading = mng_status_reading(FHandle);
    const bool creating = mng_status_creating(FHandle);
    const bool writing = mng_status_writing(FHandle);
    const bool displaying = mng_status_displaying(FHandle);
    const bool running = mng_status_running(FHandle);
    const bool changed = reading != FReading || creating != FCreating || writing != FWriting ||
                         displaying != FDisplaying || running != FRunning;
    FReading = reading;
    FCreating = creating;
    FWriting = writing;
    FDisplaying = displaying;
    FRunning = running;
    if (!changed)
        return;
    // A handler may detach images: walk a copy.
    const std::vector<TNGImage*> images = FImages;
    for (auto it = images.rbegin(); it != images.rend(); ++it) {
        if ((*it)->OnStatusChange)
            (*it)->OnStatusChange(**it);
    }
}

void TNGBitmap::CreatePNG() {
    // A picture without pixels has no valid PNG form (IHDR needs a width and height of at
    // least 1); libmng would write such a header without complaint.
    if (FImage.width() <= 0 || FImage.height() <= 0)
        throw ENGImageException(QStringLiteral("PNG save of an empty picture is not possible"));

    TPNGSettings settings;
    settings.TransparentColor = TransparentColor;
    settings.MaskBitmap = MaskBitmap;
    settings.ZLIB = {ZLIBLevel, ZLIBMethod, ZLIBWindowBits, ZLIBMemLevel, ZLIBStrategy};
    settings.Conversion = RowConversion;
    TPNGData data = BuildPNGData(FImage, settings);
    if (data.Compressed.empty())
        throw ENGImageException(QStringLiteral("Serious ZLIB error..."));

    Check(mng_reset(FHandle));
    Check(mng_create(FHandle));
    Check(mng_putchunk_ihdr(FHandle, mng_uint32(data.Width), mng_uint32(data.Height),
                            mng_uint8(data.BitDepth), mng_uint8(data.ColorType), 0, 0, 0));
    Check(mng_putchunk_srgb(FHandle, MNG_FALSE, 0));
    if (data.ColorType == 3) {
        mng_palette8 palette{};
        for (std::size_t i = 0; i < data.Palette.size(); ++i)
            palette[i] = {data.Palette[i].Red(), data.Palette[i].Green(), data.Palette[i].Blue()};
        Check(mng_putchunk_plte(FHandle, mng_uint32(data.Palette.size()), palette));
        if (data.TRNSCount > 0) {
            mng_uint8arr alphas{};
            mng_uint8arr raw{};
            for (int i = 0; i < data.TRNSCount; ++i)
                alphas[i] = data.Palette[std::size_t(i)].Alpha();
            Check(mng_putchunk_trns(FHandle, MNG_FALSE, MNG_FALSE, 3, mng_uint32(data.TRNSCount),
                                    alphas, 0, 0, 0, 0, 0, raw));
        }
    }
    std::size_t offset = 0;
    for (const std::size_t piece : IDATPieces(data.Compressed.size(), MaxIDATSize)) {
        Check(mng_putchunk_idat(FHandle, mng_uint32(piece), data.Compressed.data() + offset));
        offset += piece;
    }
    Check(mng_putchunk_iend(FHandle));
    RefreshStatus();
}

void TNGBitmap::WriteChunks(TNGStream& stream) {
    const TStreamScope scope(FStream, stream);
    const mng_retcode result = mng_write(FHandle);
    RefreshStatus();
    Check(result);
}

void TNGBitmap::SaveToFile(const QString& fileName) {
    TFileStream file(fileName); // EFCreateError before libmng writes anything
    TNGFileStream stream(file);
    WriteChunks(stream); // on failure the file stream removes the partial file
    file.Commit();
}

void TNGBitmap::SaveToStream(TFileStream& file) {
    TNGFileStream stream(file);
    WriteChunks(stream);
}

void TNGBitmap::SaveToStream(QIODevice& stream) {
    TNGDeviceStream device(stream);
    WriteChunks(device);
}

void TNGBitmap::ReadChunks(TNGStream& stream) {
    const TStreamScope scope(FStream, stream);
    FHeaderSeen = false;
    Check(mng_reset(FHandle));
    mng_retcode result = mng_read(FHandle);
    if (result == MNG_NOERROR) {
        // MNG_NEEDTIMERWAIT: an animation waits for its next frame; the first one is complete.
        result = mng_display(FHandle);
        if (result == MNG_NEEDTIMERWAIT)
            result = MNG_NOERROR;
    }
    RefreshStatus();
    Check(result);
}

void TNGBitmap::LoadFromFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFrameworkError(
            QStringLiteral("Datei %1 kann nicht ge\u00f6ffnet werden").arg(fileName));
    LoadFromStream(file);
}

void TNGBitmap::LoadFromStream(QIODevice& stream) {
    TNGDeviceStream device(stream);
    ReadChunks(device);
}

void TNGBitmap::LoadFromClipboardFormat() {
    throw ENGImageException(ClipboardRefusal);
}

void TNGBitmap::SaveToClipboardFormat() {
    throw ENGImageException(ClipboardRefusal);
}

void TNGBitmap::Attach(TNGImage* image) {
    if (std::find(FImages.begin(), FImages.end(), image) == FImages.end())
        FImages.push_back(image);
}

void TNGBitmap::Detach(TNGImage* image) {
    FImages.erase(std::remove(FImages.begin(), FImages.end(), image), FImages.end());
}

TNGImage::TNGImage() {
    AttachTo(std::make_shared<TNGBitmap>());
}

TNGImage::~TNGImage() {
    if (FBitmap)
        FBitmap->Detach(this);
}

void TNGImage::AttachTo(std::shared_ptr<TNGBitmap> bitmap) {
    if (FBitmap)
        FBitmap->Detach(this);
    FBitmap = std::move(bitmap); // the old bitmap is freed when no image holds it any more
    FBitmap->Attach(this);
}

void TNGImage::Assign(const TNGImage& source) {
    if (source.FBitmap != FBitmap)
        AttachTo(source.FBitmap);
}

void TNGImage::Assign(const QImage& bitmap) {
    // The new bitmap is made first: if libmng refuses it, this image keeps its old one.
    auto fresh = std::make_shared<TNGBitmap>();
    fresh->Assign(bitmap);
    AttachTo(std::move(fresh));
}

bool TNGImage::GetEmpty() const {
    return FBitmap->Handle() == nullptr;
}

void TNGImage::Unshare() {
    if (FBitmap->AttachedCount() > 1)
        AttachTo(std::make_shared<TNGBitmap>());
}

void TNGImage::LoadFromFile(const QString& fileName) {
    Unshare();
    FBitmap->LoadFromFile(fileName);
}

void TNGImage::LoadFromStream(QIODevice& stream) {
    Unshare();
    FBitmap->LoadFromStream(stream);
}

void TNGImage::PreparePNG() {
    FBitmap->RefreshStatus();
    if (FBitmap->Creating() || FBitmap->Writing() || FBitmap->Displaying())
        throw ENGImageException(QStringLiteral("PNG save not supported in this state"));
    FBitmap->CreatePNG();
}

void TNGImage::SavePNGFile(const QString& fileName) {
    PreparePNG();
    SaveToFile(fileName);
}

#include "codecs/jpegencoder.h"

#include "codecs/jpegrows.h"

#include <csetjmp>
#include <cstddef>
#include <jerror.h>
#include <memory>

namespace {

constexpr std::size_t WorkBufferSize = 4096;

// libjpeg reports a fatal error by calling error_exit, which must not return. Ours jumps back
// to RunCompressor; the C++ exception is raised only once libjpeg's C frames have been left.
struct TErrorManager {
    jpeg_error_mgr Public; // first member: libjpeg holds a jpeg_error_mgr*
    std::jmp_buf ExitPoint;
    int FailureCode = 0;
};

void ErrorExit(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<TErrorManager*>(cinfo->err);
    manager->FailureCode = cinfo->err->msg_code;
    std::longjmp(manager->ExitPoint, 1);
}

// Warnings and trace messages are never shown.
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}
void FormatMessage(j_common_ptr, char* buffer) {
    buffer[0] = '\0';
}

void ResetErrorManager(j_common_ptr cinfo) {
    cinfo->err->num_warnings = 0;
    cinfo->err->msg_code = 0;
}

// Collects libjpeg's output in a QByteArray through a small work buffer.
struct TDestination {
    jpeg_destination_mgr Public; // first member: libjpeg holds a jpeg_destination_mgr*
    QByteArray* Data = nullptr;
    JOCTET Buffer[WorkBufferSize];
};

TDestination* DestinationOf(j_compress_ptr cinfo) {
    return reinterpret_cast<TDestination*>(cinfo->dest);
}

// Never lets an exception reach libjpeg's C frames.
bool AppendWorkBuffer(TDestination* destination, std::size_t count) noexcept {
    try {
        destination->Data->append(reinterpret_cast<const char*>(destination->Buffer),
                                  qsizetype(count));
        return true;
    } catch (...) {
        return false;
    }
}

void InitDestination(j_compress_ptr cinfo) {
    TDestination* destination = DestinationOf(cinfo);
    destination->Public.next_output_byte = destination->Buffer;
    destination->Public.free_in_buffer = WorkBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    TDestination* destination = DestinationOf(cinfo);
    // libjpeg calls this with the whole buffer full, whatever free_in_buffer says.
    if (!AppendWorkBuffer(destination, WorkBufferSize))
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    destination->Public.next_output_byte = destination->Buffer;
    destination->Public.free_in_buffer = WorkBufferSize;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    TDestination* destination = DestinationOf(cinfo);
    const std::size_t count = WorkBufferSize - destination->Public.free_in_buffer;
    if (count > 0 && !AppendWorkBuffer(destination, count))
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
}

struct TCompression {
    jpeg_compress_struct Info{};
    TErrorManager Errors{};
    TDestination Destination{};
};

// One compression from creation to destruction; false after a fatal libjpeg error, whose code
// is then in Errors.FailureCode. Nothing with a destructor may be alive in this function's
// scopes after setjmp, because the jump back would skip it: everything lives in the caller.
bool RunCompressor(TCompression* job, TJpegRowSource* rows, const TJpegSettings* settings,
                   int width, int height) {
    j_compress_ptr cinfo = &job->Info;
    if (setjmp(job->Errors.ExitPoint) != 0) {
        jpeg_destroy_compress(&job->Info);
        return false;
    }

    jpeg_create_compress(cinfo);
    cinfo->dest = &job->Destination.Public;

    cinfo->image_width = JDIMENSION(width);
    cinfo->image_height = JDIMENSION(height);
    cinfo->input_components = rows->Components();
    cinfo->in_color_space = rows->ColorSpace();

    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, settings->Quality, TRUE);
    if (settings->Grayscale)
        jpeg_set_colorspace(cinfo, JCS_GRAYSCALE);
    if (settings->Progressive)
        jpeg_simple_progression(cinfo);

    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        // libjpeg only reads the rows it is given.
        JSAMPROW row = const_cast<JSAMPROW>(rows->Row(int(cinfo->next_scanline)));
        if (row == nullptr)
            ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    jpeg_destroy_compress(cinfo);
    return true;
}

} // namespace

QByteArray EncodeJpeg(const QImage& bitmap, const TJpegSettings& settings) {
    if (bitmap.isNull() || bitmap.width() <= 0 || bitmap.height() <= 0)
        return {};

    QByteArray data;
    TJpegRowSource rows(bitmap);
    // Several kilobytes and the context libjpeg keeps pointers into: on the heap, owned here.
    auto job = std::make_unique<TCompression>();

    job->Info.err = jpeg_std_error(&job->Errors.Public);
    job->Errors.Public.error_exit = ErrorExit;
    job->Errors.Public.emit_message = EmitMessage;
    job->Errors.Public.output_message = OutputMessage;
    job->Errors.Public.format_message = FormatMessage;
    job->Errors.Public.reset_error_mgr = ResetErrorManager;

    job->Destination.Data = &data;
    job->Destination.Public.init_destination = InitDestination;
    job->Destination.Public.empty_output_buffer = EmptyOutputBuffer;
    job->Destination.Public.term_destination = TermDestination;

    if (!RunCompressor(job.get(), &rows, &settings, bitmap.width(), bitmap.height()))
        throw EJPEG(QStringLiteral("JPEG-Fehler #%1").arg(job->Errors.FailureCode));
    return data;
}

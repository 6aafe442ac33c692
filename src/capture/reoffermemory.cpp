#include "capture/reoffermemory.h"

void TReofferMemory::SaveStarted(TSaveId save, const TPictureFingerprint& picture,
                                 const TCaptureOptions& options, const QString& fileName) {
    FLast = TLast{save, picture, options, fileName, std::nullopt, true};
}

void TReofferMemory::SaveEnded(TSaveId save, bool written, const QString& fileName,
                               const std::optional<TFileVersion>& version) {
    if (!FLast || FLast->Save != save)
        return; // a newer capture has taken its place
    if (!written) {
        FLast.reset();
        return;
    }
    FLast->Running = false;
    FLast->FileName = fileName;
    FLast->Version = version;
}

bool TReofferMemory::IsReoffer(const TPictureFingerprint& picture, const TCaptureOptions& options,
                               const TFileLookup& lookUp) const {
    // A keeper re-offers at once when the copying program quits, often while the save still
    // runs: its file may not be there yet. Once written, the file is known by what it is, not
    // by its name, which anything may have taken since.
    return FLast && picture.Hash && FLast->Picture == picture && FLast->Options == options &&
           (FLast->Running || (FLast->Version && lookUp(FLast->FileName) == FLast->Version));
}

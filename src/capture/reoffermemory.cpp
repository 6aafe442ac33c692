#include "capture/reoffermemory.h"

void TReofferMemory::SaveStarted(TSaveId save, const TPictureFingerprint& picture,
                                 const TCaptureOptions& options, const QString& fileName) {
    FLast = TLast{save, picture, options, fileName, true};
}

void TReofferMemory::SaveEnded(TSaveId save, bool written, const QString& fileName) {
    if (!FLast || FLast->Save != save)
        return; // a newer capture has taken its place
    if (!written) {
        FLast.reset();
        return;
    }
    FLast->Running = false;
    FLast->FileName = fileName;
}

bool TReofferMemory::IsReoffer(const TPictureFingerprint& picture, const TCaptureOptions& options,
                               const std::function<bool(const QString&)>& fileExists) const {
    // A keeper re-offers at once when the copying program quits, often while the save still
    // runs: its file may not be there yet.
    return FLast && FLast->Picture == picture && FLast->Options == options &&
           (FLast->Running || fileExists(FLast->FileName));
}

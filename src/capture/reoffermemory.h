#pragma once

#include "capture/captureoptions.h"
#include "platform/files/newfile.h"

#include <QSize>
#include <QString>
#include <functional>
#include <optional>

// What tells two clipboard pictures apart: the size and a fingerprint of the pixels (none when
// it could not be computed: such a picture equals no other).
struct TPictureFingerprint {
    QSize Size;
    std::optional<quint64> Hash = std::nullopt;

    bool operator==(const TPictureFingerprint&) const = default;
};

// A clipboard change is no new copy on this desktop: when the program that copied a picture
// quits, the desktop's clipboard keeper takes the clipboard over and offers the same picture
// again (an emptied clipboard may come between). Such a re-offer must not become a second file.
// It is recognised as the picture of the last file this program wrote (or is writing), while
// that file is still there, unchanged, and no option that shapes the file has changed since; any
// other copy, a repeat after a failed save or a deleted or replaced file included, is captured as
// usual.
class TReofferMemory {
public:
    using TSaveId = quintptr;
    // What is at a file's name now; none when nothing is.
    using TFileLookup = std::function<std::optional<TFileVersion>(const QString&)>;

    // The save `save` of `picture`, shaped by `options`, has started writing `fileName`.
    void SaveStarted(TSaveId save, const TPictureFingerprint& picture,
                     const TCaptureOptions& options, const QString& fileName);
    // The save has ended, its file written whole under `fileName` as `version`, or not
    // (`written` false).
    void SaveEnded(TSaveId save, bool written, const QString& fileName,
                   const std::optional<TFileVersion>& version);
    // Whether `picture` under `options` is a re-offer of the last file's picture.
    bool IsReoffer(const TPictureFingerprint& picture, const TCaptureOptions& options,
                   const TFileLookup& lookUp) const;

private:
    struct TLast {
        TSaveId Save = 0;
        TPictureFingerprint Picture;
        TCaptureOptions Options;
        QString FileName;
        std::optional<TFileVersion> Version; // what the file was when written
        bool Running = true;
    };
    std::optional<TLast> FLast;
};

#include "capture/capturedecision.h"

#include "capture/filenaming.h"
#include "capture/savebudget.h"
#include "capture/sizefilter.h"
#include "capture/stretch.h"

namespace {

QString FormatText(TSaveFormat format) {
    switch (format) {
    case TSaveFormat::sfBMP:
        return QStringLiteral("Windows Bitmap (.bmp)");
    case TSaveFormat::sfJPEG:
        return QStringLiteral("JPEG (.jpg)");
    case TSaveFormat::sfPNG:
        break;
    }
    return QStringLiteral("Portable Network Graphivs (.png)");
}

} // namespace

TCaptureDecision DecideCapture(QSize captured, int capturedBits, const TCaptureOptions& options,
                               qint64 freeMemory) {
    TCaptureDecision decision;
    if (!PassesSizeFilter(captured, options.MinImageSize)) {
        decision.Outcome = TCaptureDecision::TOutcome::TooSmall;
        return decision;
    }
    const TScaleDecision scaling =
        DecideScaling(captured, options.ResizeTo, options.ResizeUp, options.ResizeDown);
    decision.Scale = scaling.Scale;
    decision.Target = scaling.Target;

    // A size no picture can have, or one too large to scale to, leaves the picture as captured.
    decision.SavedSize = captured;
    int savedBits = capturedBits;
    if (scaling.Scale) {
        const QSize scaled =
            StretchSize(scaling.Target, captured, options.KeepAspect, options.ExpandToKeepAspect);
        if (!scaled.isEmpty() && qint64(scaled.width()) * scaled.height() <= LargestScaledPixels) {
            decision.SavedSize = scaled;
            savedBits = 32;
        }
    }
    decision.Format = options.Format;
    decision.Memory = SaveMemoryEstimate(decision.SavedSize, savedBits, options.Format);
    if (decision.Memory > freeMemory) {
        decision.Outcome = TCaptureDecision::TOutcome::OverBudget;
        return decision;
    }

    decision.FormatText = FormatText(options.Format);
    const QString extension =
        ExtensionFor(options.Format == TSaveFormat::sfBMP, options.Format == TSaveFormat::sfJPEG);
    decision.ExtensionLength = int(extension.size());
    if (!options.Folder.isEmpty())
        decision.NumberStart = int(DirectoryPart(options.Folder).size() + options.BaseName.size());
    return decision;
}

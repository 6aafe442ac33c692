#pragma once

// capture/: the rules and small classes of a capture without widgets: size filter and scaling,
// naming, the re-offer memory, the save thread and its memory budget. Includes only capture/,
// codecs/ and platform/; never audio/, settings/ or tray/, which sit beside it.

#include "capture/captureoptions.h"

#include <QSize>
#include <QString>

// What becomes of one clipboard picture, decided before anything shows: whether it is saved,
// at what size, in which format, what it costs in memory, and where the number sits in its
// file name. The handler reads the controls into the options, asks here, and carries it out.
struct TCaptureDecision {
    enum class TOutcome {
        Save,
        TooSmall,  // under the minimum size: dropped quietly
        OverBudget // the pending saves leave too little memory: refused as a failed transfer
    };
    TOutcome Outcome = TOutcome::Save;
    // Scaling, decided on the size as captured; Target is the size asked for.
    bool Scale = false;
    QSize Target;
    // The picture the save holds (scaled where a scaled size can be made) and its memory.
    QSize SavedSize;
    qint64 Memory = 0;
    TSaveFormat Format = TSaveFormat::sfBMP;
    // "Saved as" on the Info page.
    QString FormatText;
    // Where the number starts in the full path, and the extension after it (0 when the folder
    // is empty: the name search then fails with its own message).
    int NumberStart = 0;
    int ExtensionLength = 0;
};

// `capturedBits` is the depth the picture was copied in; `freeMemory` what the budget of the
// pending saves has left.
TCaptureDecision DecideCapture(QSize captured, int capturedBits, const TCaptureOptions& options,
                               qint64 freeMemory);

#pragma once

#include "childprocesses.h"

#include <QProcessEnvironment>
#include <QString>

// Puts things on the display's CLIPBOARD selection with xclip, as another program would. xclip
// stays the owner, serving the data, until another owner takes the selection over.
class TClipboardFeeder {
public:
    TClipboardFeeder(TChildProcesses& children, QProcessEnvironment environment);

    // Offers a PNG file as image/png and waits until a program has fetched it (xclip serves one
    // transfer and ends; asking which types are offered does not count as one). False when
    // nobody fetched it within `timeoutMs`.
    bool CopyImageAndWaitForFetch(const QString& pngFile, int timeoutMs = 10000);
    // Offers a PNG file as image/png; returns once the offer stands.
    bool OfferImage(const QString& pngFile);
    // Offers a text file as plain text; returns once the offer stands.
    bool OfferText(const QString& textFile);
    // Starts the project's own clipboard owner (owner/clipboardowner.cpp) with `arguments` and
    // waits until it holds the last of its `contents`; what it prints goes to `log`.
    TChildProcess* RunOwner(const QStringList& arguments, int contents, const QString& log,
                            int timeoutMs = 20000);
    // Copies a PNG file as image/png with wl-copy, a Wayland client, which goes on serving it
    // until another copy replaces it (the environment must name a Wayland display).
    TChildProcess* CopyOnWayland(const QString& pngFile);
    // Whether the X11 clipboard offers `type` now.
    bool Offers(const QString& type) const;

private:
    // Waits until the clipboard offers `type`: the new owner has taken over.
    bool WaitForOffer(const QString& type) const;

    TChildProcesses& FChildren;
    QProcessEnvironment FEnvironment;
};

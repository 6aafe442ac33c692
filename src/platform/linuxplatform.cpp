#include "platform/linuxplatform.h"

#include "platform/clipboard/clipboardchain.h"
#include "platform/tray/desktoptraybackend.h"
#include "platform/sound/pulsesoundserver.h"
#include "platform/session/qtdesktop.h"
#include "platform/qtmessageboxes.h"
#include "platform/clipboard/sessionclipboard.h"
#include "platform/threadstarter.h"
#include "platform/session/unixsingleinstance.h"
#include "platform/session/xdgautostart.h"

struct TLinuxPlatform::TServices {
    explicit TServices(TClipboardRoute route)
        : Clipboard(MakeSessionClipboard(route)), Scope(TPlatform{.Boxes = &Boxes,
                                                                  .Clipboard = Clipboard.get(),
                                                                  .Desktop = &Desktop,
                                                                  .Instance = &Instance,
                                                                  .AutoStart = &AutoStart,
                                                                  .Tray = &Tray,
                                                                  .Threads = &Threads,
                                                                  .Sound = &Sound}) {}

    TQtMessageBoxes Boxes;
    std::unique_ptr<IClipboardChain> Clipboard;
    TQtDesktop Desktop;
    TUnixSingleInstance Instance;
    TXdgAutoStart AutoStart;
    TDesktopTrayHost Tray;
    TQtThreadStarter Threads;
    TPulseSoundServer Sound;
    TScopedPlatform Scope; // last: withdrawn before any service goes
};

TLinuxPlatform::TLinuxPlatform(TClipboardRoute route) : F(std::make_unique<TServices>(route)) {}

TLinuxPlatform::~TLinuxPlatform() = default;

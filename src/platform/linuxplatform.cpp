#include "platform/linuxplatform.h"

#include "platform/pulsesoundserver.h"
#include "platform/qtdesktop.h"
#include "platform/qtmessageboxes.h"
#include "platform/qttraybackend.h"
#include "platform/sessionclipboard.h"
#include "platform/threadstarter.h"
#include "platform/unixsingleinstance.h"
#include "platform/xcbclipboardchain.h"
#include "platform/xdgautostart.h"

TPlatform& LinuxPlatform() {
    static TQtMessageBoxes boxes;
    static TXcbClipboardChain clipboard;
    static TQtDesktop desktop;
    static TUnixSingleInstance instance;
    static TXdgAutoStart autoStart;
    static TQtTrayHost tray;
    static TQtThreadStarter threads;
    static TPulseSoundServer sound;
    static TPlatform services{.Boxes = &boxes,
                              .Clipboard = SessionClipboard(&clipboard),
                              .Desktop = &desktop,
                              .Instance = &instance,
                              .AutoStart = &autoStart,
                              .Tray = &tray,
                              .Threads = &threads,
                              .Sound = &sound};
    return services;
}

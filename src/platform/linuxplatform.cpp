#include "platform/linuxplatform.h"

#include "platform/qtdesktop.h"
#include "platform/qtmessageboxes.h"
#include "platform/sessionclipboard.h"
#include "platform/unixsingleinstance.h"
#include "platform/xcbclipboardchain.h"

TPlatform& LinuxPlatform() {
    static TQtMessageBoxes boxes;
    static TXcbClipboardChain clipboard;
    static TQtDesktop desktop;
    static TUnixSingleInstance instance;
    static TPlatform services{&boxes, SessionClipboard(&clipboard), &desktop, &instance};
    return services;
}

#include "platform/linuxplatform.h"

#include "platform/qtclipboardchain.h"
#include "platform/qtdesktop.h"
#include "platform/qtmessageboxes.h"
#include "platform/sessionclipboard.h"
#include "platform/unixsingleinstance.h"

TPlatform& LinuxPlatform() {
    static TQtMessageBoxes boxes;
    static TQtClipboardChain clipboard;
    static TQtDesktop desktop;
    static TUnixSingleInstance instance;
    static TPlatform services{&boxes, SessionClipboard(&clipboard), &desktop, &instance};
    return services;
}

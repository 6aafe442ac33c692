#include "platform/linuxplatform.h"

#include "platform/qtclipboardchain.h"
#include "platform/qtdesktop.h"
#include "platform/qtmessageboxes.h"
#include "platform/threadstarter.h"
#include "platform/unixsingleinstance.h"

TPlatform& LinuxPlatform() {
    static TQtMessageBoxes boxes;
    static TQtClipboardChain clipboard;
    static TQtDesktop desktop;
    static TUnixSingleInstance instance;
    static TQtThreadStarter threads;
    static TPlatform services{&boxes, &clipboard, &desktop, &instance, &threads};
    return services;
}

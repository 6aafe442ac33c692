#include "platform/linuxplatform.h"

#include "platform/pulsesoundserver.h"
#include "platform/qtclipboardchain.h"
#include "platform/qtdesktop.h"
#include "platform/qtmessageboxes.h"
#include "platform/qttraybackend.h"
#include "platform/unixsingleinstance.h"
#include "platform/xdgautostart.h"

TPlatform& LinuxPlatform() {
    static TQtMessageBoxes boxes;
    static TQtClipboardChain clipboard;
    static TQtDesktop desktop;
    static TUnixSingleInstance instance;
    static TPulseSoundServer sound;
    static TXdgAutoStart autoStart;
    static TPlatform services{&boxes, &clipboard, &desktop, &instance, &sound, &autoStart};
    static TQtTrayHost tray;
    services.Tray = &tray;
    return services;
}

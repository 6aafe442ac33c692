// What the main window does when it is destroyed: leave the clipboard, store the settings,
// give up the instance lock.
#include "platform/clipboard/clipboardchain.h"
#include "platform/messagebox.h"
#include "platform/platform.h"
#include "platform/session/singleinstance.h"
#include "ui/svxform.h"

#include <exception>

void TSVXForm::ShutdownSequence() {
    TPlatform& platform = Platform();
    // A second instance, or a `-terminate` with nothing to close, touches nothing of the first.
    if (InstanceCheckPending)
        return;
    try {
        platform.Clipboard->Leave(NextViewer);
        disconnect(platform.Clipboard, nullptr, this, nullptr);
        WriteSettings();
    } catch (const std::exception&) {
        TBoxRequest request;
        request.Text = QStringLiteral("Cannot save your settings. Check write permissions and\n"
                                      "make sure the working directory is set correctly to avoid "
                                      "this error.");
        request.Caption = QStringLiteral("Unable to write SVX.dat file");
        request.Icon = TBoxIcon::None;
        platform.Boxes->Show(request);
    }
    // An installation that is gone leaves nothing that would start it at login.
    if (!InstalledKeyPresent())
        SetAutoStart(false);
    if (InstanceMutex) {
        platform.Instance->ReleaseLock();
        InstanceMutex = false;
    }
}

#include "ui/svxform.h"

#include "platform/clipboard/clipboardchain.h"
#include "platform/modalbox.h"
#include "platform/platform.h"
#include "platform/session/singleinstance.h"
#include "tray/trayicon.h"

#include <QApplication>
#include <QCloseEvent>

TSVXForm::TSVXForm(const QStringList& arguments, QWidget* parent) : QWidget(parent) {
    try {
        CreateControls();
        CreateTrayIcon();
        ConnectHandlers();
        StartupSequence(arguments);
    } catch (...) {
        // A window that was never finished gets no destructor: withdraw the close channel that
        // points at it, and keep the start-up's windows from hiding the error box that follows.
        if (InstanceMutex) {
            Platform().Instance->ReleaseLock();
            InstanceMutex = false;
        }
        ClearWayForModalBox();
        throw;
    }
}

TSVXForm::~TSVXForm() {
    // No screenshot is lost on the way out: every running save completes first. Nothing new is
    // captured meanwhile: the user has asked the program to end.
    disconnect(Platform().Clipboard, &IClipboardChain::DrawClipboard, this, nullptr);
    // The icon goes first: clicks on it while the window ends have nothing left to reach.
    TrayIcon->EndSession();
    WaitForRunningSaves();
    ShutdownSequence();
}

void TSVXForm::closeEvent(QCloseEvent* event) {
    // Closing the window ends the program, even while a save's error box is still open.
    event->accept();
    QuitRequested = true;
    QCoreApplication::quit();
}

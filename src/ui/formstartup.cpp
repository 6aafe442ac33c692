// What the main window does when it is created, in this order: the single-instance rule, the
// working folder, the version, the settings, and bringing every dependent control in line.
#include "capture/savebudget.h"
#include "platform/clipboard/clipboardchain.h"
#include "platform/machinememory.h"
#include "platform/messagebox.h"
#include "platform/modalbox.h"
#include "platform/platform.h"
#include "platform/session/programinfo.h"
#include "platform/reporterror.h"
#include "platform/session/singleinstance.h"
#include "ui/svxform.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>

namespace {
const QString TerminateSwitch = QStringLiteral("-terminate");
}

void TSVXForm::StartupSequence(const QStringList& arguments) {
    // 1. One instance per user.
    const bool terminate = !arguments.isEmpty() && arguments.first() == TerminateSwitch;
    if (!ClaimSingleInstance(terminate))
        return;

    // 2. The program's folder is the working folder: SVX.dat and Svx.hlp are found there.
    QDir::setCurrent(ProgramFolder());

    // 3. Initial state.
    ResetRunState();

    // 4. Version.
    VersionText = ProgramVersion();
    LabVersion->setText(VersionText.isEmpty() ? QStringLiteral("n/a") : VersionText);

    // 5. Settings, or the factory values on a first run.
    ReadSettings();

    // 6. Start minimised, never on a first run.
    if (OptStartMinimized->isChecked() && FirstRun == 0)
        setWindowState(windowState() | Qt::WindowMinimized);
    if (FirstRun == 1)
        StartMinimizePending = false;
    FirstRun = 0;

    // 7. Dependent controls and the login entry.
    AudioClick(nullptr);
    ARClick(nullptr);
    SysAutoStart(nullptr);

    // 8.-12. Join the clipboard, build the naming controls, show the activation state.
    JoinClipboard();

    // 13. Start at login is offered only where this version is installed.
    if (InstalledKeyPresent()) {
        OptAutoStart->setEnabled(true);
    } else {
        OptAutoStart->setChecked(false);
        OptAutoStart->setEnabled(false);
    }
}

// Takes the instance lock and publishes the close channel; false (with EndRequested set) when
// this process is to end at once: no folder for the lock, another instance runs, or `-terminate`
// has done its part.
bool TSVXForm::ClaimSingleInstance(bool terminate) {
    ISingleInstance& instance = *Platform().Instance;
    InstanceCheckPending = true;
    if (!instance.HasPrivateFolder()) {
        TBoxRequest request;
        request.Text = QStringLiteral(
            "Snapvault cannot start: it has no folder closed to other users for its lock.\n"
            "One of these must be a folder of yours that only you may open (mode 700): "
            "$XDG_RUNTIME_DIR, /tmp/snapvault-<your user id>, ~/.cache/snapvault.");
        request.Caption = QStringLiteral("Snapvault");
        request.Icon = TBoxIcon::Error;
        ShowModalBox(request);
        EndRequested = true;
        return false;
    }
    if (!instance.AcquireLock()) {
        if (terminate) {
            if (instance.RequestClose() == ISingleInstance::TCloseResult::CannotConnect)
                ReportError(QStringLiteral("FileMapping"));
        } else {
            TBoxRequest request;
            request.Text = QStringLiteral("Snapvault is already running!");
            request.Caption = QStringLiteral("Snapvault");
            request.Icon = TBoxIcon::Error;
            ShowModalBox(request);
        }
        EndRequested = true;
        return false;
    }
    InstanceMutex = true;
    if (terminate) {
        // Nothing runs that could be closed.
        EndRequested = true;
        return false;
    }
    if (!instance.Publish([this] { close(); }))
        ReportError(QStringLiteral("Filemapping error"));
    InstanceCheckPending = false;
    WatchSessionEnd();
    return true;
}

void TSVXForm::ResetRunState() {
    StartMinimizePending = true;
    FinalizeArmed = false;
    DigitsAutoWidening = false;
    FileNameExFrozen = false;
    DigitsOverride = 0;
    IgnoreNextClipboardChange = true;
    ActivationUpdating = false;
    RunningSaves = 0;
    SavedCount = 0;
    SavedBytes = 0;
    SaveMemoryBudget = MemoryBudgetFor(PhysicalMemory());
    PendingSaveMemory = 0;
}

void TSVXForm::JoinClipboard() {
    IClipboardChain& clipboard = *Platform().Clipboard;
    ActivationUpdating = true;
    connect(&clipboard, &IClipboardChain::DrawClipboard, this, &TSVXForm::ClipboardChanged,
            Qt::UniqueConnection);
    connect(&clipboard, &IClipboardChain::ChangeCBChain, this, &TSVXForm::ClipboardChainChanged,
            Qt::UniqueConnection);
    clipboard.SetCapturing(OptActivate->isChecked());
    NextViewer = clipboard.Join();
    bool allowChange = true;
    DigitChange(DigitsUD, allowChange, DigitsUD->Position(), TUpDownDirection::updNone);
    // The menu's mark too: the window's own values leave capture off.
    ShowActivationIcon();
    Activate1->setChecked(OptActivate->isChecked());
    if (!OptActivate->isChecked())
        setWindowTitle(QStringLiteral("Snapvault [disabled]"));
    ActivationUpdating = false;
}

// What the main window does when it is created, in this order: the single-instance rule, the
// working folder, the version, the settings, and bringing every dependent control in line.
#include "capture/savebudget.h"
#include "platform/clipboardchain.h"
#include "platform/machinememory.h"
#include "platform/messagebox.h"
#include "platform/modalbox.h"
#include "platform/platform.h"
#include "platform/programinfo.h"
#include "platform/reporterror.h"
#include "platform/singleinstance.h"
#include "ui/svxform.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>

namespace {
const QString TerminateSwitch = QStringLiteral("-terminate");
}

void TSVXForm::StartupSequence(const QStringList& arguments) {
    TPlatform& platform = Platform();
    const bool terminate = !arguments.isEmpty() && arguments.first() == TerminateSwitch;

    // 1. One instance per user.
    InstanceCheckPending = true;
    if (!platform.Instance->AcquireLock()) {
        if (terminate) {
            if (platform.Instance->RequestClose() == ISingleInstance::TCloseResult::CannotConnect)
                ReportError(QStringLiteral("FileMapping"));
        } else {
            TBoxRequest request;
            request.Text = QStringLiteral("Snapvault is already running!");
            request.Caption = QStringLiteral("Snapvault");
            request.Icon = TBoxIcon::Error;
            ShowModalBox(request);
        }
        EndRequested = true;
        return;
    }
    InstanceMutex = true;
    if (terminate) {
        // Nothing runs that could be closed.
        EndRequested = true;
        return;
    }
    if (!platform.Instance->Publish([this] { close(); }))
        ReportError(QStringLiteral("Filemapping error"));
    InstanceCheckPending = false;

    // 2. The program's folder is the working folder: SVX.dat and Svx.hlp are found there.
    QDir::setCurrent(ProgramFolder());

    // 3. Initial state.
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
    ActivationUpdating = true;
    connect(platform.Clipboard, &IClipboardChain::DrawClipboard, this, &TSVXForm::ClipboardChanged,
            Qt::UniqueConnection);
    connect(platform.Clipboard, &IClipboardChain::ChangeCBChain, this,
            &TSVXForm::ClipboardChainChanged, Qt::UniqueConnection);
    platform.Clipboard->SetCapturing(OptActivate->isChecked());
    NextViewer = platform.Clipboard->Join();
    bool allowChange = true;
    DigitChange(DigitsUD, allowChange, DigitsUD->Position(), TUpDownDirection::updNone);
    // The menu's mark too: the window's own values leave capture off.
    ShowActivationIcon();
    Activate1->setChecked(OptActivate->isChecked());
    if (!OptActivate->isChecked())
        setWindowTitle(QStringLiteral("Snapvault [disabled]"));
    ActivationUpdating = false;

    // 13. Start at login is offered only where this version is installed.
    if (InstalledKeyPresent()) {
        OptAutoStart->setEnabled(true);
    } else {
        OptAutoStart->setChecked(false);
        OptAutoStart->setEnabled(false);
    }
}

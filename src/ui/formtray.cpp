// The window operations behind the activation state and the notification-area icon.
#include "platform/modalbox.h"
#include "platform/platform.h"
#include "tray/trayicon.h"
#include "ui/svxform.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QMenu>
#include <QTimer>
#include <utility>

namespace {
// Steps of the busy animation.
constexpr int BusyIntervalMs = 50;
// Long enough for a desktop's panel that starts with the session beside the program.
constexpr int TrayHostGraceMs = 10000;
// A panel asked to show the icon when the user switches it on, and not answered yet.
constexpr int TrayAnswerGraceMs = 3000;
} // namespace

void TSVXForm::CreateTrayIcon() {
    TheImageList = TrayArtwork::StateImages();
    RunningImageList = TrayArtwork::BusyImages();

    TrayPopupMenu = new QMenu(this);
    TrayPopupMenu->setObjectName(QStringLiteral("TrayPopupMenu"));
    const auto addItem = [this](const char* name, const QString& caption) {
        QAction* item = TrayPopupMenu->addAction(caption);
        item->setObjectName(QString::fromLatin1(name));
        return item;
    };
    Restore1 = addItem("Restore1", QStringLiteral("&Restore"));
    TrayPopupMenu->setDefaultAction(Restore1); // drawn bold
    Activate1 = addItem("Activate1", QStringLiteral("&Activate"));
    Activate1->setCheckable(true);
    Activate1->setChecked(true);
    Quit1 = addItem("Quit1", QStringLiteral("&Quit"));
    connect(Restore1, &QAction::triggered, this, [this] { RestoreFromTI(Restore1); });
    connect(Activate1, &QAction::triggered, this, [this] { ToggleActivate(Activate1); });
    connect(Quit1, &QAction::triggered, this, [this] { Quit(Quit1); });

    TrayIcon = new TTrayIcon(this);
    TrayIcon->setObjectName(QStringLiteral("TrayIcon"));
    TrayIcon->SetHint(QStringLiteral("Snapvault"));
    TrayIcon->SetPopupMenu(TrayPopupMenu, TTrayIconMessage::imRightClickUp);
    TrayIcon->RestoreOn = TTrayIconMessage::imLeftClickUp;
    TrayIcon->SetIcons(&TheImageList);
    TrayIcon->SetIconIndex(0);

    TrayHostGrace = new QTimer(this);
    TrayHostGrace->setSingleShot(true);
    TrayHostGrace->setInterval(TrayHostGraceMs);
    connect(TrayHostGrace, &QTimer::timeout, this, &TSVXForm::ReportMissingTray);
    TrayHostGrace->start();
    connect(TrayIcon, &TTrayIcon::IconShown, this, [this] {
        if (CloseMissingTrayBox)
            std::exchange(CloseMissingTrayBox, {})();
    });
}

void TSVXForm::ToggleActivate(QObject* sender) {
    if (ActivationUpdating)
        return;
    ActivationUpdating = true;
    if (sender == Activate1)
        OptActivate->toggle(); // its own handler, this one, returns at once
    Activate1->setChecked(OptActivate->isChecked());
    ShowActivationIcon();
    setWindowTitle(OptActivate->isChecked() ? QStringLiteral("Snapvault")
                                            : QStringLiteral("Snapvault [disabled]"));
    ActivationUpdating = false;
}

void TSVXForm::ShowActivationIcon() {
    TrayIcon->SetIconIndex(OptActivate->isChecked() ? 0 : 1);
}

void TSVXForm::ToggleSystray(QObject*) {
    if (OptMinToSysT->isChecked()) {
        // No notification area: the program goes on without the icon (it appears when a
        // panel does), and minimising keeps the taskbar entry. A panel that is still starting
        // with the session, or still answering, is given its time.
        if (!TrayIcon->SetVisible(true) && !TrayHostGrace->isActive()) {
            if (TrayIcon->Deciding())
                TrayHostGrace->start(TrayAnswerGraceMs);
            else
                ReportMissingTray();
        }
    } else if (TrayIcon->Visible()) {
        TrayIcon->SetVisible(false);
    }
}

void TSVXForm::ReportMissingTray() {
    if (!OptMinToSysT->isChecked() || TrayIcon->Shown())
        return;
    TBoxRequest request;
    request.Text = QStringLiteral("Cannot Create System Shell Notification Icon.");
    request.Caption = QStringLiteral("Snapvault");
    request.Icon = TBoxIcon::Error;
    // Not waited for: the box is news that the icon's coming makes stale.
    ClearWayForModalBox();
    CloseMissingTrayBox = Platform().Boxes->ShowAsync(request, {});
}

void TSVXForm::RestoreFromTI(QObject*) {
    TrayIcon->Restore();
}

void TSVXForm::RestoreTI(QObject*) {
    TrayIcon->Restore();
}

void TSVXForm::Quit(QObject*) {
    // Straight to the application: the window may be hidden in the tray, or never shown.
    QCoreApplication::quit();
}

void TSVXForm::MinimizeTI() {
    if (!StartMinimizePending)
        return;
    StartMinimizePending = false;
    if (!OptStartMinimized->isChecked())
        return;
    if (OptMinToSysT->isChecked())
        TrayIcon->Minimize();
    else
        setWindowState(windowState() | Qt::WindowMinimized);
}

void TSVXForm::StartBusyIcon() {
    TrayIcon->SetAnimateInterval(BusyIntervalMs);
    TrayIcon->SetIcons(&RunningImageList);
    TrayIcon->SetAnimate(true);
}

void TSVXForm::StopBusyIcon() {
    TrayIcon->SetAnimate(false);
    TrayIcon->SetIcons(&TheImageList);
    // The image of the state the program is in: green would claim capture is on when the
    // user has switched it off during the save.
    ShowActivationIcon();
}

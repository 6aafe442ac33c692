#include "tray/trayicon.h"

#include "platform/platform.h"
#include "platform/session/desktop.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QWidget>

namespace {

// Whether a click the desktop reports counts as `trigger`. A double click is also the release
// of its second click. Presses and right double clicks are not reported by the desktops.
bool Fires(TTrayIconMessage trigger, ITrayBackend::TClick click) {
    using enum ITrayBackend::TClick;
    switch (trigger) {
    case TTrayIconMessage::imLeftClickUp:
        return click == Left || click == Double;
    case TTrayIconMessage::imRightClickUp:
        return click == Right;
    case TTrayIconMessage::imMouseUp:
        return true;
    case TTrayIconMessage::imDoubleClick:
    case TTrayIconMessage::imLeftDoubleClick:
        return click == Double;
    default:
        return false;
    }
}

// How long a window started into the tray waits unseen for the desktop to say whether a panel
// shows the icon. Desktops answer in moments; one that takes longer must not keep the window out
// of the user's reach, so it waits minimised in the taskbar from then on.
constexpr int UnseenWaitMs = 1500;

} // namespace

TTrayIcon::TTrayIcon(QWidget* window) : QObject(window), FWindow(window) {
    FUnseenWait.setSingleShot(true);
    FUnseenWait.setInterval(UnseenWaitMs);
    connect(&FUnseenWait, &QTimer::timeout, this, &TTrayIcon::TakeOutOfTray);
    FAnimation.setInterval(1000);
    connect(&FAnimation, &QTimer::timeout, this, &TTrayIcon::DoOnAnimate);
    if (ITrayHost* host = Platform().Tray) {
        FBackend = host->CreateIcon(this);
        connect(FBackend, &ITrayBackend::Clicked, this, &TTrayIcon::DoMessage);
        connect(FBackend, &ITrayBackend::AvailabilityChanged, this,
                &TTrayIcon::AvailabilityChanged);
    }
    window->installEventFilter(this);
    // The session or the program ends: the icon goes with it.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &TTrayIcon::EndSession);
}

TTrayIcon::~TTrayIcon() {
    EndSession();
}

void TTrayIcon::SetHint(const QString& text) {
    // Tooltips in the notification area are short; a longer one keeps the old.
    if (text == FHint || text.size() >= 64)
        return;
    FHint = text;
    if (FBackend != nullptr)
        FBackend->SetToolTip(FHint);
    Update();
}

void TTrayIcon::SetIconIndex(int index) {
    FIconIndex = index;
    if (FIcons != nullptr)
        FCurrent = index >= 0 && index < FIcons->size() ? FIcons->at(index) : QIcon();
    Update();
}

void TTrayIcon::SetPopupMenu(QMenu* menu, TTrayIconMessage on) {
    FPopupMenu = menu;
    FPopupMenuOn = on;
    if (FBackend != nullptr)
        FBackend->SetMenu(on == TTrayIconMessage::imRightClickUp ? menu : nullptr);
}

bool TTrayIcon::SetVisible(bool visible) {
    FVisible = visible;
    if (FBackend == nullptr || FEnded)
        return !visible;
    if (!visible) {
        FBackend->Hide();
        FShown = false;
        return true;
    }
    FBackend->SetToolTip(FHint);
    FBackend->SetIcon(FCurrent);
    FShown = FBackend->Show();
    if (FShown)
        emit IconShown();
    return FShown;
}

bool TTrayIcon::Deciding() const {
    return FBackend != nullptr && !FEnded && FBackend->Deciding();
}

void TTrayIcon::SetAnimate(bool on) {
    FAnimate = on && FIcons != nullptr;
    if (!FAnimate)
        FAnimation.stop();
    else if (!FAnimation.isActive())
        FAnimation.start();
}

void TTrayIcon::Update() {
    // Nothing reaches the desktop while the icon is not there; showing it sends the image.
    if (FShown)
        FBackend->SetIcon(FCurrent);
}

void TTrayIcon::Minimize() {
    if (FWindow == nullptr)
        return;
    // A window manager still minimising a window as it is withdrawn may keep it, minimised,
    // where nothing reaches it. So a window on the screen that goes into the tray is withdrawn
    // straight away, not first minimised; and one not shown yet, at start, while the desktop has
    // still to say whether a panel shows the icon, waits unseen for a moment rather than being
    // shown and withdrawn at once.
    const bool waitUnseen = !FShown && FVisible && !FWindow->isVisible() && Deciding();
    const bool intoTray = FShown || waitUnseen;
    if (!FWindow->isMinimized() && !(intoTray && FWindow->isVisible()))
        FWindow->setWindowState(FWindow->windowState() | Qt::WindowMinimized);
    // Without an icon to click, the window keeps its taskbar entry.
    if (intoTray) {
        FWindowInTray = true;
        FRestoring = false;
        FWindow->hide();
    }
    if (waitUnseen)
        FUnseenWait.start();
}

void TTrayIcon::TakeOutOfTray() {
    FUnseenWait.stop();
    if (!FWindowInTray || FShown || FWindow == nullptr)
        return;
    FWindowInTray = false;
    FWindow->showMinimized();
}

void TTrayIcon::Restore() {
    FWindowInTray = false;
    FUnseenWait.stop();
    if (FWindow == nullptr)
        return;
    IDesktop* desktop = Platform().Desktop;
    // A window on the screen is only brought to the front: showing it anew would have the window
    // system take it down and map it again behind the toolkit's back.
    if (!FWindow->isVisible() || FWindow->isMinimized()) {
        if (desktop != nullptr) {
            desktop->ShowNormal(FWindow);
        } else {
            FWindow->setWindowState((FWindow->windowState() & ~Qt::WindowMinimized) |
                                    Qt::WindowActive);
            FWindow->show();
        }
        FRestoring = true;
    }
    FWindow->raise();
    // The desktop's leave to take the focus, where it gave one with the click: the toolkit
    // hands it to a Wayland compositor as it activates the window.
    const QString token = FBackend != nullptr ? FBackend->TakeActivationToken() : QString();
    if (!token.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    if (desktop != nullptr)
        desktop->ActivateWindow(FWindow);
    else
        FWindow->activateWindow();
    // Not left for a program started later.
    if (!token.isEmpty())
        qunsetenv("XDG_ACTIVATION_TOKEN");
}

void TTrayIcon::EndSession() {
    FEnded = true;
    FShown = false;
    if (FBackend != nullptr)
        FBackend->Hide();
}

bool TTrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (watched != FWindow)
        return false;
    // Back on the screen: restored.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Paint)
        FRestoring = false;
    if (event->type() != QEvent::WindowStateChange)
        return false;
    IDesktop* desktop = Platform().Desktop;
    // A window manager that takes a window coming back from the tray for minimised (as it was
    // when it went) is asked again to show it: the user cannot have minimised a window that is
    // not on the screen yet.
    if (FRestoring && FWindow->isMinimized() && FWindow->isVisible() && desktop != nullptr) {
        desktop->ActivateWindow(FWindow);
        return false;
    }
    // The user minimised the window (title bar, taskbar, keyboard): into the tray with it, once
    // the window system has finished minimising.
    if (FShown && !FWindowInTray && FWindow->isMinimized()) {
        QTimer::singleShot(0, this, [this] {
            if (FWindow != nullptr && FWindow->isMinimized() && !FWindowInTray)
                Minimize();
        });
    }
    return false;
}

void TTrayIcon::DoMessage(ITrayBackend::TClick click) {
    // Clicks that arrive while the window goes away find nothing to do.
    if (FEnded || FWindow == nullptr)
        return;
    if (Fires(RestoreOn, click))
        Restore();
    if (Fires(FPopupMenuOn, click) && click != ITrayBackend::TClick::Right)
        ShowMenu();
}

void TTrayIcon::ShowMenu() {
    if (FPopupMenu != nullptr)
        FPopupMenu->popup(QCursor::pos());
}

void TTrayIcon::DoOnAnimate() {
    const qsizetype count = FIcons != nullptr ? FIcons->size() : 0;
    SetIconIndex(FIconIndex + 1 >= count ? 0 : FIconIndex + 1);
}

void TTrayIcon::AvailabilityChanged(bool available) {
    if (FBackend == nullptr || FEnded)
        return;
    if (available) {
        // A panel has come: the icon the program wants appears, and a minimised window (started
        // so before the panel answered) goes into it.
        if (FVisible && !FShown)
            SetVisible(true);
        if (FShown && !FWindowInTray && FWindow != nullptr && FWindow->isMinimized())
            Minimize();
        return;
    }
    FShown = false;
    // The panel has gone, or none has taken the icon, and with it the way back to a hidden
    // window: give it a taskbar entry again. One still waiting for the desktop's answer waits on.
    if (!(FUnseenWait.isActive() && Deciding()))
        TakeOutOfTray();
}

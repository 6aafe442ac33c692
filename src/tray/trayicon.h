#pragma once

// tray/: the notification-area icon, its state and its artwork, without the window. Includes
// only tray/ and platform/; never capture/, audio/ or settings/, which sit beside it.

#include "platform/tray/traybackend.h"
#include "tray/trayartwork.h"

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

// Mouse triggers for restoring the window and opening the menu.
enum class TTrayIconMessage {
    imClick,
    imDoubleClick,
    imMouseDown,
    imMouseUp,
    imLeftClickUp,
    imLeftDoubleClick,
    imRightClickUp,
    imRightDoubleClick,
    imNone
};

// The program's icon in the notification area: which image it shows, its animation, its menu,
// and the window it hides on minimising and brings back. Owned by that window.
//
// `Visible` is what the program wants; whether the icon is really there depends on the desktop
// having a notification area. Without one the window is never hidden (nothing could bring it
// back), and the icon appears on its own as soon as a notification area comes.
class TTrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TTrayIcon(QWidget* window);
    ~TTrayIcon() override;

    QString Hint() const { return FHint; }
    void SetHint(const QString& text);
    int IconIndex() const { return FIconIndex; }
    void SetIconIndex(int index);
    const TImageList* Icons() const { return FIcons; }
    // Stored only: the shown image changes with the next SetIconIndex or animation step.
    void SetIcons(const TImageList* icons) { FIcons = icons; }
    QMenu* PopupMenu() const { return FPopupMenu; }
    TTrayIconMessage PopupMenuOn() const { return FPopupMenuOn; }
    // The menu and the trigger that opens it. A right-click menu is opened by the desktop.
    void SetPopupMenu(QMenu* menu, TTrayIconMessage on);

    bool Visible() const { return FVisible; }
    // Shows or removes the icon; false when it should be shown but there is no notification
    // area (`Visible` still reads true: the icon comes when a notification area does).
    bool SetVisible(bool visible);
    // Whether the icon is in a notification area now.
    bool Shown() const { return FShown; }
    // Whether the desktop has yet to say if a panel shows the icon.
    bool Deciding() const;
    // Whether the window is hidden, waiting in the notification area.
    bool WindowInTray() const { return FWindowInTray; }

    bool Animate() const { return FAnimate; }
    void SetAnimate(bool on);
    int AnimateInterval() const { return FAnimation.interval(); }
    void SetAnimateInterval(int ms) { FAnimation.setInterval(ms); }

    TTrayIconMessage RestoreOn = TTrayIconMessage::imDoubleClick;

    // Hands the current image to the desktop.
    void Update();
    // Minimises the window and, while the icon is shown, hides it and its taskbar entry.
    void Minimize();
    // Brings the window back, normal, raised and focused; one on the screen only to the front.
    void Restore();
    // Takes the icon out of the notification area for good: the session or the program ends.
    void EndSession();

    // The backend, for tests.
    ITrayBackend* Backend() const { return FBackend; }

signals:
    // The icon is in a notification area (again).
    void IconShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DoMessage(ITrayBackend::TClick click);
    void DoOnAnimate();
    void ShowMenu();
    void AvailabilityChanged(bool available);
    // A window waiting in the tray for an icon that has not come gets its taskbar entry.
    void TakeOutOfTray();

    QPointer<QWidget> FWindow;
    ITrayBackend* FBackend = nullptr;
    const TImageList* FIcons = nullptr;
    QPointer<QMenu> FPopupMenu;
    TTrayIconMessage FPopupMenuOn = TTrayIconMessage::imNone;
    QIcon FCurrent;
    QTimer FAnimation;
    QTimer FUnseenWait; // a window started into the tray waits unseen for the desktop's answer
    QString FHint;
    int FIconIndex = 0;
    bool FVisible = false;
    bool FShown = false;
    bool FAnimate = false;
    bool FWindowInTray = false;
    bool FRestoring = false; // brought back from the tray, not yet on the screen
    bool FEnded = false;
};

#pragma once

#include "platform/tray/traybackend.h"

#include <QAbstractNativeEventFilter>
#include <QSystemTrayIcon>

// The notification area through QSystemTrayIcon: a StatusNotifier host where the desktop has
// one (KDE, GNOME with the AppIndicator extension), an XEmbed tray otherwise. Qt says nothing
// when a panel comes or goes, so the icon looks at the X11 events the toolkit gets about the
// tray (a new tray's announcement, a window destroyed) and asks again once the toolkit has
// taken them in: nothing runs while the tray stays as it is.
class TQtTrayBackend : public ITrayBackend, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit TQtTrayBackend(QObject* owner);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    bool Available() const override;
    bool Show() override;
    void Hide() override;
    void SetIcon(const QIcon& icon) override { FIcon.setIcon(icon); }
    void SetToolTip(const QString& text) override { FIcon.setToolTip(text); }
    void SetMenu(QMenu* menu) override { FIcon.setContextMenu(menu); }

private:
    void Activated(QSystemTrayIcon::ActivationReason reason);
    void CheckAvailability();

    QSystemTrayIcon FIcon;
    bool FAvailable = false;
    quint32 FManagerAtom = 0; // the announcement of a new tray; 0 without X11
    bool FCheckQueued = false;
};

class TQtTrayHost : public ITrayHost {
public:
    ITrayBackend* CreateIcon(QObject* owner) override { return new TQtTrayBackend(owner); }
};

#pragma once

#include "platform/tray/traybackend.h"

#include <QSystemTrayIcon>
#include <QTimer>

// The notification area through QSystemTrayIcon: a StatusNotifier host where the desktop has
// one (KDE, GNOME with the AppIndicator extension), an XEmbed tray otherwise. Qt says nothing
// when a panel comes or goes, so the icon asks every little while.
class TQtTrayBackend : public ITrayBackend {
    Q_OBJECT
public:
    explicit TQtTrayBackend(QObject* owner);

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
    QTimer FWatch;
    bool FAvailable = false;
};

class TQtTrayHost : public ITrayHost {
public:
    ITrayBackend* CreateIcon(QObject* owner) override { return new TQtTrayBackend(owner); }
};

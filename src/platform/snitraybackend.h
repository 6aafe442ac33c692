#pragma once

#include "platform/dbustraytypes.h"
#include "platform/traybackend.h"

#include <QDBusConnection>
#include <QDBusObjectPath>

class QDBusServiceWatcher;
class TDBusMenu;
class TSniItem;

// The icon as a StatusNotifierItem on the session bus, for panels that host such items (KDE
// Plasma, GNOME's AppIndicator extension, swaybar, waybar). Unlike the toolkit's own, it follows
// the panel's watcher as it comes, goes and comes back, so a program started before its panel
// still gets its icon. Panels that draw menus get the menu through com.canonical.dbusmenu; the
// others ask for it and it opens where they say.
class TSniTrayBackend : public ITrayBackend {
    Q_OBJECT
public:
    explicit TSniTrayBackend(QObject* owner);
    ~TSniTrayBackend() override;

    // Whether an item host is there, as last learnt from the watcher's signals: asked often (each
    // step of the busy animation), it costs no round trip on the bus.
    bool Available() const override { return FAvailable; }
    bool Show() override;
    void Hide() override;
    void SetIcon(const QIcon& icon) override;
    void SetToolTip(const QString& text) override;
    void SetMenu(QMenu* menu) override;

private slots:
    void WatcherChanged();

private:
    friend class TSniItem;
    bool Probe() const;
    void Register();

    QDBusConnection FBus;
    QString FService;
    TSniItem* FItem = nullptr;
    TDBusMenu* FMenu = nullptr;
    QDBusServiceWatcher* FWatcher = nullptr;
    bool FWanted = false;    // the program wants the icon shown
    bool FAvailable = false; // as last told
};

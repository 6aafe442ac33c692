#pragma once

#include "platform/tray/traybackend.h"

#include <QIcon>
#include <QPointer>

class TSniTrayBackend;
class TQtTrayBackend;

// The notification area of whatever the desktop offers now: a StatusNotifierItem host when one
// is there (our own item, which follows hosts that come later), else the toolkit's icon in an
// XEmbed tray. The toolkit's icon is made only once the bus has told that no item watcher is on
// it, or the watcher has answered that no panel shows items: the toolkit decides once for good
// whether it shows its icon as an item or in an XEmbed tray, and with a watcher there it asks
// it, waiting for the answer.
class TDesktopTrayBackend : public ITrayBackend {
    Q_OBJECT
public:
    // Items go to the bus at `busAddress`; the session bus when empty.
    explicit TDesktopTrayBackend(QObject* owner, const QString& busAddress = {});

    bool Available() const override;
    bool Deciding() const override;
    bool Show() override;
    void Hide() override;
    void SetIcon(const QIcon& icon) override;
    void SetToolTip(const QString& text) override;
    void SetMenu(QMenu* menu) override;
    QString TakeActivationToken() override;

private:
    // The way the icon goes now: the item host's, else the XEmbed tray's, else none.
    ITrayBackend* Choose() const;
    bool NoItemHost() const;
    void Make();
    void Changed();

    TSniTrayBackend* FItem = nullptr;
    TQtTrayBackend* FEmbedded = nullptr;
    ITrayBackend* FCurrent = nullptr; // chosen when shown or when the desktop changed
    QIcon FIcon;
    QString FToolTip;
    QPointer<QMenu> FMenu;
    bool FWanted = false;
    bool FAvailable = false;
    bool FDeciding = false;
};

class TDesktopTrayHost : public ITrayHost {
public:
    ITrayBackend* CreateIcon(QObject* owner) override { return new TDesktopTrayBackend(owner); }
};

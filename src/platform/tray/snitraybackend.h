#pragma once

#include "platform/tray/traybackend.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <functional>
#include <optional>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;
class QTimer;
class TDBusMenu;
class TSniItem;

// The icon as a StatusNotifierItem on the session bus, for panels that host such items (KDE
// Plasma, GNOME's AppIndicator extension, swaybar, waybar). It follows the panel's watcher as
// it comes, goes and comes back, so a program started before its panel still gets its icon.
// Panels that draw menus get the menu through com.canonical.dbusmenu; the others ask for it and
// it opens where they say.
//
// Every question on the bus is asked without waiting for the answer, so a peer that hangs
// cannot freeze the window: a watcher that does not answer shows no icon until it does; it is
// asked again after a growing pause.
class TSniTrayBackend : public ITrayBackend {
    Q_OBJECT
public:
    // On the bus at `busAddress`; the session bus when empty.
    explicit TSniTrayBackend(QObject* owner, const QString& busAddress = {});
    ~TSniTrayBackend() override;

    // Whether a panel would show the item: a watcher that answers, and a host beside it or in it.
    bool Potential() const;
    // Whether the icon is on show: a panel would show it and, where the program wants the icon,
    // the watcher has taken it.
    bool Available() const override;
    bool Deciding() const override;
    bool Show() override;
    void Hide() override;
    void SetIcon(const QIcon& icon) override;
    void SetToolTip(const QString& text) override;
    void SetMenu(QMenu* menu) override;
    QString TakeActivationToken() override;

    // The bus has told who is on it, and no watcher is: the toolkit's own icon can go into an
    // XEmbed tray without asking any watcher (it asks, and waits, when one is there).
    bool NoWatcher() const { return FNamesKnown && FWatcherOwner.isEmpty(); }
    // The watcher has answered that no panel shows items: the toolkit, asking it the same, puts
    // its own icon into an XEmbed tray.
    bool SaysNoHost() const;
    // How long a question on the bus may go unanswered.
    void SetAnswerTimeout(int ms) { FAnswerTimeoutMs = ms; }

signals:
    // A watcher came or went (`NoWatcher` may have changed).
    void WatcherChanged();

private slots:
    void NameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);
    void ItemUnregistered(const QString& id, const QDBusMessage& message);
    void HostsChanged();

private:
    enum class TWatcher { Absent, Asked, Answering, Silent };

    QDBusConnection Connect(const QString& name) const;
    void AskBus();
    void SetOwner(const QString& name, const QString& owner);
    void SetWatcher(const QString& owner);
    void AskWatcher();
    void Answered(const QDBusMessage& answer);
    void RetryLater();
    bool OpenItem();
    void CloseItem();
    // Offers the item to a watcher that answers, with a panel, where the program wants the icon.
    void RegisterIfWanted();
    void Register();
    void Update();
    QDBusPendingCallWatcher* Call(QDBusConnection bus, QDBusMessage message,
                                  std::function<void(const QDBusMessage&)> answered);

    QString FAddress;
    QString FBusName;
    QDBusConnection FBus;
    std::optional<QDBusConnection> FItemBus; // the item's own, while the icon is wanted
    QString FItemBusName;
    TSniItem* FItem = nullptr;
    TDBusMenu* FMenu = nullptr;
    QDBusServiceWatcher* FNames = nullptr;
    QString FWatcherOwner;
    QHash<QString, QString> FOwners; // GNOME Shell's and kded's names, by who owns them
    QSet<QString> FHosts;
    TWatcher FWatcher = TWatcher::Absent;
    quint64 FAppearance = 0;    // the watcher's, to drop answers from one that has gone since
    quint64 FRegistrations = 0; // likewise for registrations
    // The registration not answered yet: dropped with the item's connection, whose calls may
    // then never end.
    QPointer<QDBusPendingCallWatcher> FRegistration;
    QTimer* FRetry = nullptr; // asks a silent watcher again
    int FRetryDelayMs = 0;
    int FAnswerTimeoutMs;
    int FItemBuses = 0;
    bool FNamesKnown = false;
    bool FWanted = false;     // the program wants the icon shown
    bool FRegistered = false; // with the watcher as it is now: asked, or taken
    bool FAccepted = false;   // taken
    bool FClaimsHost = false; // the watcher's own word
    bool FAvailable = false;  // as last told
    bool FDeciding = false;   // likewise
    QString FActivationToken;
};

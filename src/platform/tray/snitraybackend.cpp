#include "platform/tray/snitraybackend.h"

#include "platform/tray/dbusmenu.h"
#include "platform/tray/sniitem.h"

#include <QDBusError>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QMenu>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace {

const QString BusService = QStringLiteral("org.freedesktop.DBus");
const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString WatcherPath = QStringLiteral("/StatusNotifierWatcher");
// GNOME Shell hosts the items of its AppIndicator extension's watcher itself, under no host name.
const QString ShellService = QStringLiteral("org.gnome.Shell");
// KDE's watcher lives in kded, which says a host is there even while no plasmashell draws one.
const QStringList KdedServices = {QStringLiteral("org.kde.kded5"), QStringLiteral("org.kde.kded6")};
// Long enough for a panel still busy starting with the session: the window does not wait for it
// (it stays in the taskbar meanwhile), and a late answer is one registration, not several.
constexpr int DefaultAnswerTimeoutMs = 60000;
// A watcher that did not answer or refused is asked again after a pause, doubled each time up to
// the longest: one slow moment at login does not cost the icon for the day, and one that hangs or
// refuses for good is asked a few times an hour.
constexpr int FirstRetryMs = 2000;
constexpr int LongestRetryMs = 10 * 60 * 1000;

// A panel that shows items owns such a name while it runs.
bool IsHost(const QString& name) {
    return name.startsWith(QLatin1String("org.kde.StatusNotifierHost-")) ||
           name.startsWith(QLatin1String("org.freedesktop.StatusNotifierHost-"));
}

QDBusMessage BusCall(const QString& method) {
    return QDBusMessage::createMethodCall(BusService, QStringLiteral("/org/freedesktop/DBus"),
                                          BusService, method);
}

// No answer at all, as from a watcher that hangs.
bool Unanswered(const QDBusMessage& answer) {
    const QDBusError::ErrorType error = QDBusError(answer).type();
    return error == QDBusError::NoReply || error == QDBusError::Timeout ||
           error == QDBusError::TimedOut;
}

// The watcher's name has no owner any more, or our connection has closed: the change of owner
// follows, or the call no longer matters.
bool OwnerGone(const QDBusMessage& answer) {
    const QDBusError::ErrorType error = QDBusError(answer).type();
    return error == QDBusError::ServiceUnknown || error == QDBusError::Disconnected;
}

} // namespace

TSniTrayBackend::TSniTrayBackend(QObject* owner, const QString& busAddress)
    : ITrayBackend(owner), FAddress(busAddress),
      FBusName(QStringLiteral("snapvault-tray-%1").arg(quintptr(this))), FBus(Connect(FBusName)) {
    FAnswerTimeoutMs = DefaultAnswerTimeoutMs;
    RegisterTrayDBusTypes();
    FItem = new TSniItem(this);
    FMenu = new TDBusMenu(this);
    FItem->OnActivate = [this] { emit Clicked(TClick::Left); };
    FItem->OnContextMenu = [this](QPoint at) {
        if (QMenu* menu = FMenu->Menu())
            menu->popup(at);
    };
    FItem->OnActivationToken = [this](const QString& token) { FActivationToken = token; };
    FRetry = new QTimer(this);
    FRetry->setSingleShot(true);
    connect(FRetry, &QTimer::timeout, this, &TSniTrayBackend::AskWatcher);
    if (!FBus.isConnected()) {
        FNamesKnown = true;
        return;
    }
    // The names of watcher, hosts and GNOME Shell as they come and go (the first two by their
    // namespaces).
    FNames = new QDBusServiceWatcher(this);
    FNames->setConnection(FBus);
    FNames->setWatchedServices(
        {QStringLiteral("org.kde*"), QStringLiteral("org.freedesktop*"), ShellService});
    connect(FNames, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &TSniTrayBackend::NameOwnerChanged);
    // A watcher that hosts its items itself says so again when its panel comes or goes.
    for (const char* change : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
        FBus.connect(QString(), WatcherPath, WatcherService, QLatin1String(change), this,
                     SLOT(HostsChanged()));
    AskBus();
}

TSniTrayBackend::~TSniTrayBackend() {
    CloseItem();
    QDBusConnection::disconnectFromBus(FBusName);
}

QDBusConnection TSniTrayBackend::Connect(const QString& name) const {
    return FAddress.isEmpty() ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)
                              : QDBusConnection::connectToBus(FAddress, name);
}

QDBusPendingCallWatcher* TSniTrayBackend::Call(QDBusConnection bus, QDBusMessage message,
                                               std::function<void(const QDBusMessage&)> answered) {
    // A watcher that is not running is not started for us.
    message.setAutoStartService(false);
    auto* pending = new QDBusPendingCallWatcher(bus.asyncCall(message, FAnswerTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [pending, answered = std::move(answered)] {
                pending->deleteLater();
                answered(pending->reply());
            });
    return pending;
}

void TSniTrayBackend::AskBus() {
    // Asked once the name changes are followed: each answer holds the changes before it, the
    // signals bring those after it.
    Call(FBus, BusCall(QStringLiteral("ListNames")), [this](const QDBusMessage& answer) {
        FHosts.clear();
        for (const QString& name : answer.arguments().value(0).toStringList())
            if (IsHost(name))
                FHosts.insert(name);
        Update();
    });
    for (const QString& service : KdedServices + QStringList{ShellService, WatcherService}) {
        Call(FBus, BusCall(QStringLiteral("GetNameOwner")) << service,
             [this, service](const QDBusMessage& answer) {
                 const QString owner = answer.type() == QDBusMessage::ReplyMessage
                                           ? answer.arguments().value(0).toString()
                                           : QString();
                 if (service != WatcherService) {
                     SetOwner(service, owner);
                     return;
                 }
                 // Answered last: the bus has told everything it was asked.
                 FNamesKnown = true;
                 SetWatcher(owner);
                 Update();
                 emit WatcherChanged();
             });
    }
}

void TSniTrayBackend::NameOwnerChanged(const QString& name, const QString&,
                                       const QString& newOwner) {
    if (name == WatcherService) {
        SetWatcher(newOwner);
        emit WatcherChanged();
    } else if (name == ShellService || KdedServices.contains(name)) {
        SetOwner(name, newOwner);
    } else if (IsHost(name)) {
        if (newOwner.isEmpty())
            FHosts.remove(name);
        else
            FHosts.insert(name);
        RegisterIfWanted();
        Update();
    }
}

void TSniTrayBackend::SetOwner(const QString& name, const QString& owner) {
    if (owner.isEmpty())
        FOwners.remove(name);
    else
        FOwners.insert(name, owner);
    RegisterIfWanted();
    Update();
}

void TSniTrayBackend::HostsChanged() {
    if (FWatcher != TWatcher::Absent)
        AskWatcher();
}

void TSniTrayBackend::SetWatcher(const QString& owner) {
    if (owner == FWatcherOwner && (FWatcher == TWatcher::Absent) == owner.isEmpty())
        return;
    // A watcher that came (or came back) knows nothing of us.
    FWatcherOwner = owner;
    ++FAppearance;
    FRegistered = false;
    FAccepted = false;
    FClaimsHost = false;
    FWatcher = owner.isEmpty() ? TWatcher::Absent : TWatcher::Asked;
    FRetry->stop();
    FRetryDelayMs = 0;
    if (!owner.isEmpty())
        AskWatcher();
    Update();
}

void TSniTrayBackend::AskWatcher() {
    // Any answer shows that the watcher is there to take the item. What it says of a host is
    // believed unless the watcher is KDE's, which claims one with no panel running.
    QDBusMessage ask = QDBusMessage::createMethodCall(
        WatcherService, WatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    ask << WatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    Call(FBus, ask, [this, appearance = FAppearance](const QDBusMessage& answer) {
        if (appearance == FAppearance)
            Answered(answer);
    });
}

void TSniTrayBackend::Answered(const QDBusMessage& answer) {
    // One that is going away is not given the item.
    if (OwnerGone(answer))
        return;
    if (Unanswered(answer)) {
        FWatcher = TWatcher::Silent;
        RetryLater();
        Update();
        return;
    }
    FWatcher = TWatcher::Answering;
    FClaimsHost = answer.type() == QDBusMessage::ReplyMessage &&
                  answer.arguments().value(0).value<QDBusVariant>().variant().toBool();
    // The pause is kept: a watcher that answers questions but refuses the item is not asked
    // to take it more often for that.
    FRetry->stop();
    // The item goes to the watcher as it is now, where the program wants the icon: also after
    // the watcher dropped it.
    RegisterIfWanted();
    Update();
}

void TSniTrayBackend::RetryLater() {
    FRetryDelayMs = std::min(FRetryDelayMs == 0 ? FirstRetryMs : 2 * FRetryDelayMs, LongestRetryMs);
    FRetry->start(FRetryDelayMs);
}

bool TSniTrayBackend::Potential() const {
    if (FWatcher != TWatcher::Answering)
        return false;
    // Xfce's and Cinnamon's watchers, like GNOME's extension, draw their items themselves and own
    // no host name: their word is taken, KDE's is not.
    const bool kded =
        std::any_of(KdedServices.begin(), KdedServices.end(),
                    [this](const QString& s) { return FOwners.value(s) == FWatcherOwner; });
    return !FHosts.isEmpty() || FOwners.value(ShellService) == FWatcherOwner ||
           (FClaimsHost && !kded);
}

bool TSniTrayBackend::Available() const {
    // An icon the program wants is there once the watcher has taken it, not while it is asked.
    return Potential() && (!FWanted || FAccepted);
}

bool TSniTrayBackend::Deciding() const {
    return FBus.isConnected() && (!FNamesKnown || FWatcher == TWatcher::Asked ||
                                  (FWanted && FRegistered && !FAccepted && Potential()));
}

bool TSniTrayBackend::SaysNoHost() const {
    // Not KDE's watcher claiming a host that is not there: the toolkit would believe it and put
    // its own icon where nobody draws it.
    return FWatcher == TWatcher::Answering && !FClaimsHost && !Potential();
}

void TSniTrayBackend::Update() {
    const bool available = Available();
    const bool deciding = Deciding();
    // The next host to come gets the item anew.
    if (!Potential())
        FRegistered = FAccepted = false;
    if (available == FAvailable && deciding == FDeciding)
        return;
    FAvailable = available;
    FDeciding = deciding;
    emit AvailabilityChanged(available);
}

bool TSniTrayBackend::Show() {
    FWanted = true;
    // Shown when the watcher takes it: AvailabilityChanged tells, also where the item was
    // reported available before it was wanted.
    RegisterIfWanted();
    Update();
    return Available();
}

void TSniTrayBackend::Hide() {
    FWanted = false;
    FRegistered = FAccepted = false;
    CloseItem();
    Update();
}

bool TSniTrayBackend::OpenItem() {
    if (FItemBus)
        return true;
    // A connection of its own: when it closes, the watcher drops the item from its panels.
    FItemBusName = QStringLiteral("snapvault-item-%1-%2").arg(quintptr(this)).arg(++FItemBuses);
    QDBusConnection bus = Connect(FItemBusName);
    const auto all = QDBusConnection::ExportAllContents;
    if (!bus.isConnected() || !bus.registerObject(TSniItem::Path(), FItem, all) ||
        !bus.registerObject(TSniItem::MenuPath(), FMenu, all)) {
        QDBusConnection::disconnectFromBus(FItemBusName);
        return false;
    }
    // Heard on the connection the registration is answered on, so it comes after that answer.
    bus.connect(QString(), WatcherPath, WatcherService,
                QStringLiteral("StatusNotifierItemUnregistered"), this,
                SLOT(ItemUnregistered(QString, QDBusMessage)));
    FItemBus = bus;
    return true;
}

void TSniTrayBackend::CloseItem() {
    if (!FItemBus)
        return;
    // A call whose connection closes may never be answered.
    if (FRegistration) {
        FRegistration->disconnect(this);
        FRegistration->deleteLater();
    }
    FItemBus->unregisterObject(TSniItem::Path());
    FItemBus->unregisterObject(TSniItem::MenuPath());
    FItemBus.reset();
    QDBusConnection::disconnectFromBus(FItemBusName);
}

void TSniTrayBackend::RegisterIfWanted() {
    if (FWanted && Potential())
        Register();
}

void TSniTrayBackend::Register() {
    if (FRegistered || !OpenItem())
        return;
    FRegistered = true;
    // By object path: the watcher takes the item's bus name from the call. GNOME's extension
    // follows an item registered so without the race in which it loses one registered by name.
    QDBusMessage call = QDBusMessage::createMethodCall(
        WatcherService, WatcherPath, WatcherService, QStringLiteral("RegisterStatusNotifierItem"));
    call << TSniItem::Path();
    auto answered = [this, registration = ++FRegistrations](const QDBusMessage& answer) {
        if (registration != FRegistrations || !FRegistered)
            return;
        if (answer.type() != QDBusMessage::ErrorMessage) {
            // Taken: the icon is on show, and the next refusal starts from the shortest pause.
            FAccepted = true;
            FRetryDelayMs = 0;
            Update();
            return;
        }
        FRegistered = false;
        if (OwnerGone(answer))
            return;
        // Refused or never answered: no panel shows the icon until the watcher answers again.
        FWatcher = TWatcher::Silent;
        RetryLater();
        Update();
    };
    FRegistration = Call(*FItemBus, call, std::move(answered));
}

void TSniTrayBackend::ItemUnregistered(const QString& id, const QDBusMessage& message) {
    // One that comes while a registration is on its way is about an earlier one: a stream of
    // them costs one registration per answer at most.
    if (!FItemBus || !FRegistered || (FRegistration && !FRegistration->isFinished()) ||
        message.service() != FWatcherOwner)
        return;
    // KDE's watcher and swaybar name an item by bus name and path, GNOME's with "@" between.
    const QString own = FItemBus->baseService();
    if (id != own + TSniItem::Path() && id != own + QLatin1Char('@') + TSniItem::Path())
        return;
    // A panel that lost the icon while the program still wants it gets it again once its
    // watcher answers: one that drops its items as it goes away is not asked to take it back.
    FRegistered = FAccepted = false;
    if (FWanted)
        AskWatcher();
    Update();
}

void TSniTrayBackend::SetIcon(const QIcon& icon) {
    FItem->Pixmaps = SniPixmaps(icon);
    emit FItem->NewIcon();
}

void TSniTrayBackend::SetToolTip(const QString& text) {
    FItem->ToolTipText = text;
    emit FItem->NewToolTip();
}

void TSniTrayBackend::SetMenu(QMenu* menu) {
    FMenu->SetMenu(menu);
}

QString TSniTrayBackend::TakeActivationToken() {
    return std::exchange(FActivationToken, QString());
}

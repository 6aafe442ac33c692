#include "platform/snitraybackend.h"

#include "platform/dbusmenu.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusServiceWatcher>
#include <QMenu>

namespace {

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString WatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString ItemPath = QStringLiteral("/StatusNotifierItem");
const QString MenuPath = QStringLiteral("/MenuBar");
// A watcher that does not answer within this is taken as absent: the window must not wait.
constexpr int WatcherTimeoutMs = 1000;

} // namespace

// The item's D-Bus face: its properties, the clicks the panel reports, and the change signals.
class TSniItem : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ Category)
    Q_PROPERTY(QString Id READ Id)
    Q_PROPERTY(QString Title READ Title)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(int WindowId READ WindowId)
    Q_PROPERTY(QString IconName READ IconName)
    Q_PROPERTY(TSniPixmaps IconPixmap READ IconPixmap)
    Q_PROPERTY(QString OverlayIconName READ IconName)
    Q_PROPERTY(TSniPixmaps OverlayIconPixmap READ NoPixmaps)
    Q_PROPERTY(QString AttentionIconName READ IconName)
    Q_PROPERTY(TSniPixmaps AttentionIconPixmap READ NoPixmaps)
    Q_PROPERTY(TSniToolTip ToolTip READ ToolTip)
    Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ Menu)
public:
    explicit TSniItem(TSniTrayBackend* backend) : QObject(backend), FBackend(backend) {}

    QString Category() const { return QStringLiteral("ApplicationStatus"); }
    QString Id() const { return QCoreApplication::applicationName(); }
    QString Title() const { return QCoreApplication::applicationName(); }
    QString Status() const { return QStringLiteral("Active"); }
    int WindowId() const { return 0; }
    QString IconName() const { return {}; }
    TSniPixmaps IconPixmap() const { return Pixmaps; }
    TSniPixmaps NoPixmaps() const { return {}; }
    TSniToolTip ToolTip() const { return {{}, {}, ToolTipText, {}}; }
    bool ItemIsMenu() const { return false; }
    QDBusObjectPath Menu() const { return QDBusObjectPath(MenuPath); }

    TSniPixmaps Pixmaps;
    QString ToolTipText;

public slots:
    void Activate(int, int) { emit FBackend->Clicked(ITrayBackend::TClick::Left); }
    void SecondaryActivate(int, int) {}
    // Asked by panels that draw no menus: the menu opens where the panel says.
    void ContextMenu(int x, int y) {
        if (QMenu* menu = FBackend->FMenu->Menu())
            menu->popup(QPoint(x, y));
    }
    void Scroll(int, const QString&) {}

signals:
    void NewTitle();
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    TSniTrayBackend* FBackend;
};

TSniTrayBackend::TSniTrayBackend(QObject* owner)
    : ITrayBackend(owner), FBus(QDBusConnection::sessionBus()),
      FService(QStringLiteral("org.kde.StatusNotifierItem-%1-1")
                   .arg(QCoreApplication::applicationPid())) {
    RegisterTrayDBusTypes();
    FItem = new TSniItem(this);
    FMenu = new TDBusMenu(this);
    if (!FBus.isConnected())
        return;
    FBus.registerObject(ItemPath, FItem, QDBusConnection::ExportAllContents);
    FBus.registerObject(MenuPath, FMenu, QDBusConnection::ExportAllContents);
    FWatcher = new QDBusServiceWatcher(WatcherService, FBus,
                                       QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(FWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            &TSniTrayBackend::WatcherChanged);
    // A panel that starts or stops hosting items while the watcher stays.
    for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
        FBus.connect(WatcherService, WatcherPath, WatcherService, QLatin1String(signal), this,
                     SLOT(WatcherChanged()));
    FAvailable = Probe();
}

TSniTrayBackend::~TSniTrayBackend() {
    if (FBus.isConnected()) {
        FBus.unregisterService(FService);
        FBus.unregisterObject(ItemPath);
        FBus.unregisterObject(MenuPath);
    }
}

bool TSniTrayBackend::Probe() const {
    if (!FBus.isConnected() || !FBus.interface()->isServiceRegistered(WatcherService))
        return false;
    QDBusInterface watcher(WatcherService, WatcherPath, WatcherService, FBus);
    watcher.setTimeout(WatcherTimeoutMs);
    return watcher.property("IsStatusNotifierHostRegistered").toBool();
}

bool TSniTrayBackend::Show() {
    FWanted = true;
    if (!Available())
        return false;
    Register();
    return true;
}

void TSniTrayBackend::Hide() {
    FWanted = false;
    // The watcher drops an item whose name has gone.
    if (FBus.isConnected())
        FBus.unregisterService(FService);
}

void TSniTrayBackend::Register() {
    FBus.registerService(FService);
    QDBusInterface watcher(WatcherService, WatcherPath, WatcherService, FBus);
    watcher.setTimeout(WatcherTimeoutMs);
    watcher.asyncCall(QStringLiteral("RegisterStatusNotifierItem"), FService);
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

void TSniTrayBackend::WatcherChanged() {
    const bool available = Probe();
    // A watcher that came back has forgotten us.
    if (available && FWanted)
        Register();
    if (available == FAvailable)
        return;
    FAvailable = available;
    emit AvailabilityChanged(available);
}

#include "snitraybackend.moc"

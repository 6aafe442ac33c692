// The icon in a real XEmbed tray: its colours for on, off and saving, its menu, and the window
// that goes into it when minimised and comes back on a click.
#include "e2efixture.h"
#include "fakewatcher.h"
#include "iconifier.h"
#include "imagechecks.h"
#include "toolrun.h"
#include "traycolours.h"
#include "waylandsession.h"

#include "platform/tray/dbusmenu.h"
#include "platform/tray/desktoptraybackend.h"
#include "platform/tray/qttraybackend.h"
#include "platform/tray/snitraybackend.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QMenu>
#include <QScopeGuard>
#include <QTimer>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int IconTimeoutMs = 10000;

QPoint Centre(const TWindow& window) {
    return window.Geometry.center();
}

QDBusMessage Ask(const QDBusConnection& bus, const QDBusMessage& call) {
    QDBusPendingCall pending = bus.asyncCall(call);
    RunUntil([&] { return pending.isFinished(); });
    QCoreApplication::processEvents(); // and what reached this process before the answer
    return pending.reply();
}

QDBusMessage Get(QString service, QString path, QString face, const char* name) {
    return QDBusMessage::createMethodCall(service, path, "org.freedesktop.DBus.Properties", "Get")
           << face << name;
}

} // namespace

// The menu as a panel reads it: a changed check mark is sent with its new value, clicks come in
// groups, and a question about an item or property that is not there gets an error.
TEST(TrayMenuOnTheBus, SendsChangesAnswersGroupsAndRefusesUnknownItems) {
    TSessionBus session;
    ASSERT_TRUE(session.Start()) << session.Problem().toStdString();
    QDBusConnection program = QDBusConnection::connectToBus(session.Address(), "menu-program");
    QDBusConnection panel = QDBusConnection::connectToBus(session.Address(), "menu-panel");
    QMenu menu;
    QAction* restore = menu.addAction(QStringLiteral("&Restore"));
    QAction* activate = menu.addAction(QStringLiteral("&Activate"));
    activate->setCheckable(true);
    TDBusMenu exported(nullptr);
    exported.SetMenu(&menu);
    ASSERT_TRUE(program.registerObject("/MenuBar", &exported, QDBusConnection::ExportAllContents));
    const auto call = [&](const char* method, const char* face = "com.canonical.dbusmenu") {
        return QDBusMessage::createMethodCall(program.baseService(), "/MenuBar", face, method);
    };
    const QDBusMessage shown =
        Ask(panel, call("AboutToShowGroup") << QVariant::fromValue(QList<int>{1, 99}));
    EXPECT_EQ(qdbus_cast<QList<int>>(shown.arguments().value(1)), QList<int>{99});

    TMenuItemPropertiesList updated;
    int restored = 0;
    QObject::connect(&exported, &TDBusMenu::ItemsPropertiesUpdated,
                     [&](const TMenuItemPropertiesList& items) { updated += items; });
    QObject::connect(restore, &QAction::triggered, [&] { ++restored; });
    activate->setChecked(true);
    EXPECT_EQ(updated.value(0).Properties.value("toggle-state"), 1);

    const TMenuEventList click{{1, QStringLiteral("clicked"), QDBusVariant(0), 0}};
    EXPECT_EQ(Ask(panel, call("EventGroup") << QVariant::fromValue(click)).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_TRUE(RunUntil([&] { return restored == 1; }));
    // GNOME tells the root when the menu opens and closes.
    const QVariant none = QVariant::fromValue(QDBusVariant(0));
    EXPECT_EQ(Ask(panel, call("Event") << 0 << "opened" << none << 0u).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_EQ(Ask(panel, call("GetProperty") << 99 << "label").type(), QDBusMessage::ErrorMessage);
}

// The item and a panel's watcher on a bus of the test's own: the item goes only to a panel that
// shows it, once each time one comes, again when the watcher drops it; it counts as shown once
// the watcher has taken it; a watcher that refuses is asked at growing pauses, and one that
// hangs costs the window nothing.
TEST(TrayItemOnTheBus, RegistersOncePerHostAndNeverWaitsForTheWatcher) {
    TSessionBus session;
    ASSERT_TRUE(session.Start()) << session.Problem().toStdString();
    const QString address = session.Address(), watcherName = "org.kde.StatusNotifierWatcher";
    QDBusConnection panel = QDBusConnection::connectToBus(address, "item-panel");
    TFakeWatcher watcher;
    watcher.ClaimsHost = false;
    ASSERT_TRUE(panel.registerObject("/StatusNotifierWatcher", &watcher,
                                     QDBusConnection::ExportAllContents));
    ASSERT_TRUE(panel.registerService(watcherName) && panel.registerService("org.kde.kded5"));
    auto tray = std::make_unique<TDesktopTrayBackend>(nullptr, address);
    const auto item = [&] { return tray->findChild<TSniTrayBackend*>(); };
    // Questions that go unanswered end soon.
    item()->SetAnswerTimeout(3000);
    EXPECT_FALSE(tray->Show());
    pid_t hung = 0;
    const auto release =
        qScopeGuard([&] { hung > 0 && kill(hung, SIGKILL) == 0 && waitpid(hung, nullptr, 0); });
    int shown = 0; // times the icon was told to be there
    QObject::connect(tray.get(), &ITrayBackend::AvailabilityChanged, [&](bool on) { shown += on; });
    // Asked again on the item's watching connection: with this answer in, so is its own.
    const auto askedToo = [&] {
        Ask(QDBusConnection(QStringLiteral("snapvault-tray-%1").arg(quintptr(item()))),
            Get(watcherName, "/StatusNotifierWatcher", watcherName,
                "IsStatusNotifierHostRegistered"));
    };
    // The pause before the watcher is asked again, cut short for the next step.
    const auto retryNow = [&] {
        auto* retry = item()->findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
        RunUntil([&] { return retry->isActive() && retry->interval() > 0; });
        const int pause = retry->interval();
        retry->start(0);
        return pause;
    };

    const struct {
        const char* Step;
        std::function<void()> Act;
        int Registrations;
        bool Available;
    } steps[] = {
        {"the watcher says no panel shows items: the toolkit's icon is made, for an XEmbed tray",
         [&] {
             RunUntil([&] { return watcher.Asked > 0; });
             askedToo();
             EXPECT_NE(tray->findChild<TQtTrayBackend*>(), nullptr);
         },
         0, false},
        {"KDE's watcher claims a host, but no host name is on the bus",
         [&] {
             const int asked = watcher.Asked;
             watcher.ClaimsHost = true;
             emit watcher.StatusNotifierHostRegistered();
             RunUntil([&] { return watcher.Asked > asked; });
             askedToo();
         },
         0, false},
        {"a watcher that draws its items itself (Xfce, Cinnamon) answers late",
         [&] {
             watcher.Hold = true;
             panel.unregisterService("org.kde.kded5");
             RunUntil([&] { return watcher.Items.size() == 1; });
             EXPECT_FALSE(tray->Available());
             EXPECT_TRUE(tray->Deciding());
             EXPECT_EQ(shown, 0) << "shown before the watcher took the item";
             watcher.Hold = false;
             watcher.AnswerHeld();
         },
         1, true},
        {"a host name appears", [&] { panel.registerService("org.kde.StatusNotifierHost-7"); }, 1,
         true},
        {"the icon is hidden while its registration waits for an answer, and shown again",
         [&] {
             watcher.Unanswered = 1;
             tray->Hide();
             tray->Show();
             RunUntil([&] { return watcher.Items.size() == 2; });
             tray->Hide(); // closes the connection the answer was to come on
             tray->Show();
         },
         3, true},
        {"the watcher drops the item, and is asked before it gets it again",
         [&] {
             const int asked = watcher.Asked;
             emit watcher.StatusNotifierItemUnregistered(watcher.Items.last());
             RunUntil([&] { return watcher.Items.size() == 4; });
             EXPECT_GT(watcher.Asked, asked);
         },
         4, true},
        {"the watcher does not answer a registration in time, then answers again",
         [&] {
             watcher.Unanswered = 1;
             emit watcher.StatusNotifierItemUnregistered(watcher.Items.last());
         },
         6, true},
        {"the watcher refuses the item, and is asked again after ever longer pauses",
         [&] {
             watcher.Refuse = true;
             const int before = shown;
             emit watcher.StatusNotifierItemUnregistered(watcher.Items.last());
             for (const int pause : {2000, 4000, 8000})
                 EXPECT_EQ(retryNow(), pause);
             RunUntil([&] { return watcher.Items.size() == 10; });
             EXPECT_EQ(shown, before) << "the icon was taken for shown between refusals";
         },
         10, false},
        {"the host goes, KDE's watcher stays",
         [&] {
             watcher.Refuse = false;
             panel.registerService("org.kde.kded5");
             panel.unregisterService("org.kde.StatusNotifierHost-7");
             retryNow();
         },
         10, false},
        {"GNOME Shell, which hosts items itself, owns the watcher",
         [&] { panel.registerService("org.gnome.Shell"); }, 11, true},
        {"a stopped process owns the watcher name",
         [&] {
             panel.unregisterService(watcherName);
             QDBusConnection::connectToBus(address, "item-hung").registerService(watcherName);
             if ((hung = fork()) == 0)
                 raise(SIGSTOP), _exit(0);
             QDBusConnection::disconnectFromBus("item-hung"); // only the stopped child holds it
             tray = std::make_unique<TDesktopTrayBackend>(nullptr, address);
             item()->SetAnswerTimeout(3000);
             bool named = false, told = false;
             QObject::connect(item(), &TSniTrayBackend::WatcherChanged, [&] { named = true; });
             QObject::connect(tray.get(), &ITrayBackend::AvailabilityChanged,
                              [&](bool on) { told = !on; });
             tray->Show();
             // Not waited for: with the watcher's name known, its answer is still to come; when
             // none comes in time, the window is told.
             RunUntil([&] { return named; });
             EXPECT_TRUE(tray->Deciding());
             EXPECT_TRUE(RunUntil([&] { return told && !tray->Deciding(); }));
         },
         11, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Step);
        step.Act();
        ASSERT_TRUE(RunUntil([&] {
            return watcher.Items.size() >= step.Registrations &&
                   tray->Available() == step.Available;
        }));
        // Registered by object path: the item answers at the path it gave. Once this answer is
        // in, all the item sent before it is too.
        if (step.Available) {
            const QString item = watcher.Items.last(), path = '/' + item.section('/', 1);
            const QDBusMessage id =
                Ask(panel, Get(item.section('/', 0, 0), path, "org.kde.StatusNotifierItem", "Id"));
            EXPECT_EQ(qdbus_cast<QDBusVariant>(id.arguments().value(0)).variant().toString(),
                      QCoreApplication::applicationName());
        }
        EXPECT_EQ(watcher.Items.size(), step.Registrations);
        EXPECT_EQ(tray->Available(), step.Available);
    }
}

class TrayTest : public TE2ETest {
protected:
    // Starts the program, puts its icon into the tray through "Minimize to system tray" and
    // returns the main window and the icon.
    bool StartWithIcon() {
        const TStarted started = StartWithWindow();
        Program = started.Program;
        Window = started.Window;
        EXPECT_TRUE(SetChecked(*Window, QStringLiteral("OptMinToSysT"), true));
        QList<TWindow> icons;
        WaitUntil(
            [&] {
                icons = Desktop().EmbeddedWindowsOf(Program->Pid());
                return !icons.isEmpty();
            },
            IconTimeoutMs);
        EXPECT_EQ(icons.size(), 1) << "no icon of the program in the tray";
        if (icons.size() != 1)
            return false;
        Icon = icons.first();
        return true;
    }

    // Waits until the icon shows `colour`; the colour seen last.
    std::string WaitForIconColour(const QString& colour, int timeoutMs = IconTimeoutMs) {
        QString seen;
        WaitUntil(
            [&] {
                seen = TrayColourOf(Desktop().WindowPicture(Icon->Id));
                return seen == colour;
            },
            timeoutMs, 10);
        return seen.toStdString();
    }

    TChildProcess* Program = nullptr;
    std::optional<TWindow> Window;
    std::optional<TWindow> Icon;
};

TEST_F(TrayTest, IconShowsOnOffAndSavingAndItsMenuQuits) {
    ASSERT_TRUE(StartWithIcon());
    for (const bool active : {true, false, true}) {
        ASSERT_TRUE(SetActive(*Window, active));
        const QString colour = active ? QStringLiteral("green") : QStringLiteral("red");
        EXPECT_EQ(WaitForIconColour(colour), colour.toStdString());
    }

    // A picture that compresses badly keeps the PNG writer busy for a while.
    ASSERT_TRUE(PrepareCapture(*Window, QStringLiteral("PngOut")));
    ASSERT_TRUE(CopyImage(PatternImage(2400, 1800, 7)));
    EXPECT_EQ(WaitForIconColour("yellow", 5000), "yellow");
    EXPECT_FALSE(WaitForImageFile(Home() + QStringLiteral("/SV0000.png"), 60000).isNull());
    EXPECT_EQ(WaitForIconColour("green"), "green");

    // A right click opens the menu; "Quit" ends the program the ordinary way.
    ASSERT_TRUE(Desktop().ClickAt(Centre(*Icon), 3));
    const std::optional<TWindow> menu = Desktop().WaitForWindow(
        [&](const TWindow& window) {
            return window.Pid == Program->Pid() && window.Id != Window->Id;
        },
        IconTimeoutMs);
    ASSERT_TRUE(menu) << "no menu after a right click on the icon";
    ASSERT_TRUE(Desktop().Keys({QStringLiteral("q")}));
    EXPECT_EQ(Program->ExitCodeWithin(15000), std::optional<int>(0));
}

TEST_F(TrayTest, MinimisedWindowLeavesTheTaskbarAndStaysReachable) {
    ASSERT_TRUE(StartWithIcon());
    TIconifier windowManager(Desktop().Environment().value(QStringLiteral("DISPLAY")));
    ASSERT_TRUE(windowManager.Ok());
    const auto minimise = [&] {
        windowManager.Iconify(Window->Id);
        return windowManager.WaitForWithdrawn(Window->Id, IconTimeoutMs);
    };
    const auto windowShown = [&] { return windowManager.WaitForMapped(Window->Id, IconTimeoutMs); };
    ASSERT_TRUE(minimise()) << "the minimised window keeps its taskbar entry";
    ASSERT_TRUE(Desktop().ClickAt(Centre(*Icon), 1));
    // Withdrawn, its WM_STATE still says iconic: the window manager is made to let it go first.
    EXPECT_TRUE(windowManager.WaitForWithdrawn(Window->Id, IconTimeoutMs));
    EXPECT_TRUE(windowShown()) << "a left click on the icon does not bring the window back";
    EXPECT_TRUE(SetActive(*Window, true)) << "the window does not answer after coming back";

    // The panel goes away (and restarts): the window it held shows again, and the new panel
    // gets the icon without the user doing anything.
    ASSERT_TRUE(minimise());
    StopTray();
    const bool shown = windowShown();
    const bool trayBack = StartTray();
    EXPECT_TRUE(shown) << "the window stays hidden without a tray";
    ASSERT_TRUE(trayBack);
    EXPECT_TRUE(WaitUntil([&] { return Desktop().EmbeddedWindowsOf(Program->Pid()).size() == 1; },
                          IconTimeoutMs))
        << "no icon in the restarted tray";
    EXPECT_TRUE(Program->Running());
}

// A panel that hosts StatusNotifierItems (swaybar, on a session bus of the test's own) starts
// after the program, whose icon sits in the XEmbed tray: the icon moves to the panel, and the
// panel's clicks and menu reach the program over the bus.
TEST_F(TrayTest, ItemReachesAPanelThatStartsLaterAndAnswersItOverTheBus) {
    TWaylandSession sway;
    if (!sway.Start())
        GTEST_SKIP() << "the Wayland compositor cannot start here: "
                     << sway.Problem().toStdString();
    TSessionBus session;
    ASSERT_TRUE(session.Start()) << session.Problem().toStdString();
    const QString address = session.Address();
    Sandbox().SetVariable(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    TChildProcesses panel;
    ASSERT_TRUE(StartWithIcon());

    QProcessEnvironment bar = sway.ClientEnvironment(Sandbox().Environment());
    ASSERT_NE(panel.Start(QStringLiteral("swaybar"), {QStringLiteral("-b"), QStringLiteral("tray")},
                          bar, Sandbox().PathOf(QStringLiteral("swaybar.log"))),
              nullptr);
    QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("panel"));
    ASSERT_TRUE(bus.isConnected());
    QString item;
    EXPECT_TRUE(WaitUntil(
        [&] {
            // Asked afresh each time: the panel's watcher is not there at first.
            QDBusInterface watcher(QStringLiteral("org.kde.StatusNotifierWatcher"),
                                   QStringLiteral("/StatusNotifierWatcher"),
                                   QStringLiteral("org.kde.StatusNotifierWatcher"), bus);
            item = watcher.property("RegisteredStatusNotifierItems").toStringList().value(0);
            return item.endsWith(QLatin1String("/StatusNotifierItem"));
        },
        IconTimeoutMs))
        << "the item is not registered with the panel";
    item = item.section(QLatin1Char('/'), 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return Desktop().EmbeddedWindowsOf(Program->Pid()).isEmpty(); },
                          IconTimeoutMs))
        << "the icon stays in the XEmbed tray as well";

    QDBusInterface sni(item, QStringLiteral("/StatusNotifierItem"),
                       QStringLiteral("org.kde.StatusNotifierItem"), bus);
    EXPECT_EQ(sni.property("Id").toString(), "Snapvault");
    EXPECT_EQ(sni.property("Title").toString(), "Snapvault");
    EXPECT_EQ(sni.property("Status").toString(), "Active");
    // The pixmaps are (width, height, ARGB bytes); the first is the 16 x 16 tray image.
    QDBusMessage pixmaps = QDBusMessage::createMethodCall(
        item, QStringLiteral("/StatusNotifierItem"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    pixmaps << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("IconPixmap");
    const QDBusMessage answer = bus.call(pixmaps);
    ASSERT_EQ(answer.type(), QDBusMessage::ReplyMessage);
    const QDBusArgument images =
        answer.arguments().value(0).value<QDBusVariant>().variant().value<QDBusArgument>();
    images.beginArray();
    ASSERT_FALSE(images.atEnd());
    int width = 0, height = 0;
    QByteArray pixels;
    images.beginStructure();
    images >> width >> height >> pixels;
    images.endStructure();
    EXPECT_EQ(QSize(width, height), QSize(16, 16));
    EXPECT_EQ(pixels.size(), 16 * 16 * 4);

    // Minimised into the panel, and back by its click.
    TIconifier windowManager(Desktop().Environment().value(QStringLiteral("DISPLAY")));
    ASSERT_TRUE(windowManager.Ok());
    windowManager.Iconify(Window->Id);
    ASSERT_TRUE(windowManager.WaitForWithdrawn(Window->Id, IconTimeoutMs));
    sni.call(QStringLiteral("Activate"), 0, 0);
    EXPECT_TRUE(windowManager.WaitForMapped(Window->Id, IconTimeoutMs));

    // The menu as the panel reads it: the items with their access keys; "Quit" ends the program.
    QDBusMessage layout = QDBusMessage::createMethodCall(item, QStringLiteral("/MenuBar"),
                                                         QStringLiteral("com.canonical.dbusmenu"),
                                                         QStringLiteral("GetLayout"));
    layout << 0 << -1 << QStringList{QStringLiteral("label")};
    const QDBusMessage menu = bus.call(layout);
    ASSERT_EQ(menu.type(), QDBusMessage::ReplyMessage);
    const QDBusArgument root = menu.arguments().value(1).value<QDBusArgument>();
    QStringList labels;
    int id = 0;
    QVariantMap properties;
    root.beginStructure();
    root >> id >> properties;
    root.beginArray();
    while (!root.atEnd()) {
        QDBusVariant child;
        root >> child;
        const QDBusArgument entry = child.variant().value<QDBusArgument>();
        entry.beginStructure();
        entry >> id >> properties;
        labels << QStringLiteral("%1:%2").arg(id).arg(properties.value("label").toString());
    }
    EXPECT_EQ(labels, (QStringList{"1:_Restore", "2:_Activate", "3:_Quit"}));
    bus.call(QDBusMessage::createMethodCall(item, QStringLiteral("/MenuBar"),
                                            QStringLiteral("com.canonical.dbusmenu"),
                                            QStringLiteral("Event"))
             << 3 << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(0)) << 0u);
    EXPECT_EQ(Program->ExitCodeWithin(15000), std::optional<int>(0));
}

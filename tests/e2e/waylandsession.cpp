#include "waylandsession.h"

#include "testfiles.h"
#include "toolrun.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

namespace {

constexpr int StartTimeoutMs = 30000;
const QString SocketName = QStringLiteral("wayland-svx");

QString TestUser() {
    const passwd* user = getpwuid(geteuid());
    return user != nullptr ? QString::fromLocal8Bit(user->pw_name) : QString();
}

// By the order of TCompositor.
const char* const Names[] = {"sway", "mutter", "kwin", "xfce"};

// One small panel at the bottom with the notification area alone, as long as its icons: the
// icon is in the middle of the panel. Settings of its own spare the panel its first-run question.
const QByteArray XfcePanel = R"(<channel name="xfce4-panel" version="1.0">
 <property name="configver" type="int" value="2"/>
 <property name="panels" type="array"><value type="int" value="1"/><property name="panel-1" type="empty">
  <property name="position" type="string" value="p=10;x=640;y=1000"/>
  <property name="position-locked" type="bool" value="true"/><property name="size" type="uint" value="32"/>
  <property name="length" type="uint" value="1"/><property name="length-adjust" type="bool" value="true"/>
  <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
 </property></property>
 <property name="plugins" type="empty"><property name="plugin-1" type="string" value="systray"/></property>
</channel>)";

} // namespace

bool TSessionBus::Start() {
    const QByteArray config = "<busconfig><type>session</type><listen>unix:path=" +
                              QFile::encodeName(FDaemon.RuntimePath(QStringLiteral("bus"))) +
                              "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                              "<allow user=\"*\"/><allow own=\"*\"/>"
                              "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                              "<allow eavesdrop=\"true\"/></policy></busconfig>\n";
    TDaemon::TOptions options;
    options.Program = QStringLiteral("dbus-daemon");
    options.Arguments = {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                         QStringLiteral("--config-file=") + FDaemon.FilePath("bus.conf")};
    options.Unprivileged = true;
    // Its address is printed once it listens; the socket's file comes a moment before that.
    options.Ready = [](TDaemon& daemon) { return daemon.Log().contains("unix:path="); };
    return FDaemon.WriteFile(QStringLiteral("bus.conf"), config) && FDaemon.Start(options);
}

QString TSessionBus::Address() const {
    return QStringLiteral("unix:path=") + FDaemon.RuntimePath(QStringLiteral("bus"));
}

TWaylandSession::TWaylandSession(TCompositor compositor)
    : FKind(compositor), FCompositor(QString::fromLatin1(Names[int(compositor)])),
      FBusClient(QStringLiteral("session-%1").arg(quintptr(this))) {}

TWaylandSession::~TWaylandSession() {
    QDBusConnection::disconnectFromBus(FBusClient);
}

bool TWaylandSession::Start() {
    FProblem.clear();
    const bool started = FKind == TCompositor::Mutter ? StartMutter()
                         : FKind == TCompositor::KWin ? StartKWin()
                         : FKind == TCompositor::Xfce ? StartXfce()
                                                      : StartSway();
    if (!started && FProblem.isEmpty())
        FProblem = !FBus.Problem().isEmpty() ? FBus.Problem() : FCompositor.Problem();
    return started;
}

bool TWaylandSession::StartSway() {
    // XWayland runs from the start, as on a desktop where X11 programs may come at any time. The
    // bar "tray" hosts StatusNotifierItems; its swaybar is started by the tests when they want a
    // panel, so its process is not started with the session.
    if (!FCompositor.WriteFile(QStringLiteral("config"),
                               "xwayland force\nbar {\n  id tray\n  swaybar_command true\n"
                               "  tray_output *\n}\n"))
        return false;
    TDaemon::TOptions options;
    options.Program = QStringLiteral("sway");
    options.Arguments = {QStringLiteral("-c"), FCompositor.FilePath(QStringLiteral("config"))};
    options.Unprivileged = true;
    // The headless backend without input devices, drawn in software: no GPU, no seat hardware.
    options.Environment.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    options.Environment.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    options.Environment.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    options.TimeoutMs = StartTimeoutMs;
    FControlSocket = FCompositor.RuntimePath(QStringLiteral("sway.sock"));
    options.Environment.insert(QStringLiteral("SWAYSOCK"), FControlSocket);
    // Ready once its control socket answers; the clients' socket is there before that.
    options.Ready = [this](TDaemon& daemon) {
        const QStringList sockets =
            QDir(daemon.Runtime()).entryList({QStringLiteral("wayland-*")}, QDir::System);
        FSocket = sockets.isEmpty() ? QString() : daemon.RuntimePath(sockets.first());
        return !FSocket.isEmpty() && RunTool(QStringLiteral("swaymsg"),
                                             {QStringLiteral("-t"), QStringLiteral("get_version")},
                                             ClientEnvironment(QProcessEnvironment()), 2000)
                                         .Ok();
    };
    return FCompositor.Start(options);
}

bool TWaylandSession::StartMutter() {
    if (!FBus.Start())
        return false;
    FSocket = FCompositor.RuntimePath(SocketName);
    TDaemon::TOptions options;
    options.Program = QStringLiteral("mutter");
    options.Arguments = {QStringLiteral("--headless"),        QStringLiteral("--wayland"),
                         QStringLiteral("--virtual-monitor"), QStringLiteral("1280x800"),
                         QStringLiteral("--wayland-display"), SocketName};
    options.Environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), FBus.Address());
    options.Unprivileged = true;
    options.TimeoutMs = StartTimeoutMs;
    // Xwayland's display is in the log, its cookie in the runtime folder.
    options.Ready = [this](TDaemon& daemon) {
        const QRegularExpressionMatch announced =
            QRegularExpression(QStringLiteral("Using public X11 display (:\\d+)"))
                .match(QString::fromLocal8Bit(daemon.Log()));
        const QStringList cookies =
            QDir(daemon.Runtime())
                .entryList({QStringLiteral(".mutter-Xwaylandauth.*")}, QDir::Files | QDir::Hidden);
        if (!announced.hasMatch() || cookies.isEmpty() || !QFile::exists(FSocket))
            return false;
        FDisplay = announced.captured(1);
        FAuthority = daemon.RuntimePath(cookies.first());
        return true;
    };
    if (!FCompositor.Start(options))
        return false;
    return OpenRemoteDesktop();
}

// The headless seat has neither keyboard nor pointer, and a Wayland client gets the clipboard
// only with the keyboard focus. A remote desktop session brings virtual ones, for as long as the
// connection that asked for it stays.
bool TWaylandSession::OpenRemoteDesktop() {
    const QString service = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
    QDBusConnection bus = QDBusConnection::connectToBus(FBus.Address(), FBusClient);
    if (!WaitUntil([&] { return bus.interface()->isServiceRegistered(service).value(); },
                   StartTimeoutMs, 50)) {
        FProblem = QStringLiteral("mutter offers no remote desktop on its bus");
        return false;
    }
    QDBusInterface remoteDesktop(service, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"),
                                 service, bus);
    const QDBusReply<QDBusObjectPath> created = remoteDesktop.call(QStringLiteral("CreateSession"));
    QDBusInterface session(service, created.value().path(), service + QStringLiteral(".Session"),
                           bus);
    const bool open =
        created.isValid() &&
        session.call(QStringLiteral("Start")).type() != QDBusMessage::ErrorMessage &&
        session.call(QStringLiteral("NotifyPointerMotionRelative"), 1.0, 1.0).type() !=
            QDBusMessage::ErrorMessage &&
        session.call(QStringLiteral("NotifyKeyboardKeycode"), 50u, true).type() !=
            QDBusMessage::ErrorMessage &&
        session.call(QStringLiteral("NotifyKeyboardKeycode"), 50u, false).type() !=
            QDBusMessage::ErrorMessage;
    if (!open)
        FProblem = QStringLiteral("mutter's remote desktop session does not start: ") +
                   created.error().message();
    return open;
}

bool TWaylandSession::StartKWin() {
    if (!FBus.Start())
        return false;
    // The installed binary carries a file capability that a container's bounding set may lack;
    // a copy carries none.
    const QString kwin = FCompositor.FilePath(QStringLiteral("kwin_wayland"));
    const QByteArray installed =
        ReadAll(QStandardPaths::findExecutable(QStringLiteral("kwin_wayland")));
    if (installed.isEmpty() || !FCompositor.WriteFile(QStringLiteral("kwin_wayland"), installed)) {
        FProblem = QStringLiteral("kwin_wayland is not installed");
        return false;
    }
    FSocket = FCompositor.RuntimePath(SocketName);
    // Its Xwayland admits only its own user; the program started once both servers run lets the
    // tests' user in and says where.
    const QString displayFile = FCompositor.RuntimePath(QStringLiteral("x-display"));
    TDaemon::TOptions options;
    options.Program = kwin;
    options.Arguments = {QStringLiteral("--virtual"),
                         QStringLiteral("--xwayland"),
                         QStringLiteral("--width"),
                         QStringLiteral("1280"),
                         QStringLiteral("--height"),
                         QStringLiteral("800"),
                         QStringLiteral("--no-lockscreen"),
                         QStringLiteral("--no-global-shortcuts"),
                         QStringLiteral("--no-kactivities"),
                         QStringLiteral("--socket"),
                         SocketName,
                         QStringLiteral("sh -c 'xhost +si:localuser:%1 && echo $DISPLAY > %2'")
                             .arg(TestUser(), displayFile)};
    options.Environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), FBus.Address());
    options.Unprivileged = true;
    options.TimeoutMs = StartTimeoutMs;
    options.Ready = [&](TDaemon&) {
        FDisplay = QString::fromLocal8Bit(ReadAll(displayFile)).trimmed();
        return !FDisplay.isEmpty() && QFile::exists(FSocket);
    };
    return FCompositor.Start(options);
}

bool TWaylandSession::StartXfce() {
    FXServer = std::make_unique<TXvfbServer>();
    if (!FXServer->Start()) {
        FProblem = FXServer->Problem();
        return false;
    }
    FDisplay = FXServer->Display();
    const QString channels = QStringLiteral("config/xfce4/xfconf/xfce-perchannel-xml");
    if (!FBus.Start() || !QDir(FCompositor.FilePath({})).mkpath(channels) ||
        !FCompositor.WriteFile(channels + QStringLiteral("/xfce4-panel.xml"), XfcePanel))
        return false;
    // The settings daemon, the window manager and the panel, ended together.
    TDaemon::TOptions options;
    options.Program = QStringLiteral("sh");
    options.Arguments = {
        QStringLiteral("-c"),
        QStringLiteral("/usr/lib/*/xfce4/xfconf/xfconfd & c=$!; xfwm4 --compositor=off "
                       "--sm-client-disable & w=$!; xfce4-panel --sm-client-disable & p=$!; "
                       "trap : TERM; wait $p; kill $c $w $p; wait")};
    options.Environment = ClientEnvironment(QProcessEnvironment());
    options.Environment.insert("XDG_CONFIG_HOME", FCompositor.FilePath("config"));
    options.TimeoutMs = StartTimeoutMs;
    // Ready once the window manager runs and the panel's notification area watches for items.
    options.Ready = [this](TDaemon&) {
        const QDBusConnection bus = QDBusConnection::connectToBus(FBus.Address(), FBusClient);
        return bus.interface()->isServiceRegistered("org.kde.StatusNotifierWatcher").value() &&
               RunTool("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"},
                       ClientEnvironment(QProcessEnvironment()))
                   .Output.contains("window id");
    };
    return FCompositor.Start(options);
}

QProcessEnvironment TWaylandSession::ClientEnvironment(QProcessEnvironment base) const {
    if (!base.contains(QStringLiteral("PATH")))
        base.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    if (!FSocket.isEmpty())
        base.insert(QStringLiteral("WAYLAND_DISPLAY"), FSocket);
    if (FKind == TCompositor::Xfce)
        base.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), FBus.Address());
    if (!FControlSocket.isEmpty())
        base.insert(QStringLiteral("SWAYSOCK"), FControlSocket);
    if (!FDisplay.isEmpty()) {
        base.insert(QStringLiteral("DISPLAY"), FDisplay);
        base.remove(QStringLiteral("XAUTHORITY"));
    }
    if (!FAuthority.isEmpty())
        base.insert(QStringLiteral("XAUTHORITY"), FAuthority);
    return base;
}

bool TWaylandSession::Focus(const QString& appId) {
    if (FKind == TCompositor::Sway) {
        const QProcessEnvironment environment = ClientEnvironment(QProcessEnvironment());
        return WaitUntil(
            [&] {
                const TToolResult tree =
                    RunTool(QStringLiteral("swaymsg"),
                            {QStringLiteral("-t"), QStringLiteral("get_tree")}, environment);
                return tree.Ok() &&
                       tree.Output.contains(
                           QStringLiteral("\"app_id\": \"%1\"").arg(appId).toUtf8()) &&
                       RunTool(QStringLiteral("swaymsg"),
                               {QStringLiteral("[app_id=%1] focus").arg(appId)}, environment)
                           .Ok();
            },
            10000, 100);
    }
    if (FKind == TCompositor::Mutter)
        return true;
    // KWin takes orders as scripts; each attempt is a new one that says whether it succeeded.
    // KWin 6 renamed its clients windows (windowList, activeWindow); the script asks which names
    // this KWin has.
    QDBusConnection bus = QDBusConnection::connectToBus(FBus.Address(), FBusClient);
    QDBusInterface scripting(QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
                             QStringLiteral("org.kde.kwin.Scripting"), bus);
    QString marker;
    return WaitUntil(
        [&] {
            if (!marker.isEmpty() && FCompositor.Log().contains(marker.toUtf8()))
                return true;
            const QString name = QStringLiteral("svx-focus-%1").arg(++FScripts);
            marker = QStringLiteral("focused ") + name;
            const QString script = FCompositor.FilePath(name + QStringLiteral(".js"));
            FCompositor.WriteFile(
                name + QStringLiteral(".js"),
                QStringLiteral("const windows = typeof workspace.windowList == 'function';\n"
                               "for (const c of windows ? workspace.windowList()\n"
                               "                        : workspace.clientList())\n"
                               "    if (c.resourceClass == '%1') {\n"
                               "        if (windows) workspace.activeWindow = c;\n"
                               "        else workspace.activeClient = c;\n"
                               "    }\n"
                               "const active = windows ? workspace.activeWindow\n"
                               "                       : workspace.activeClient;\n"
                               "if (active && active.resourceClass == '%1')\n"
                               "    print('%2');\n")
                    .arg(appId, marker)
                    .toUtf8());
            scripting.call(QStringLiteral("loadScript"), script, name);
            scripting.call(QStringLiteral("start"));
            return false;
        },
        10000, 100);
}

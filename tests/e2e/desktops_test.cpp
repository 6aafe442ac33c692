// Capture on the compositors of GNOME (mutter: the clipboard reaches the program through
// Xwayland) and KDE (KWin: through data-control only, as the X11 clipboard follows only X11
// windows with the focus). A picture a Wayland client copies while another window has the focus
// becomes one file; the copier quitting, after which mutter offers the same picture again on its
// own, adds none. Started minimised with a panel on the bus, the window waits withdrawn in its
// tray and comes back whole when the panel activates the icon. Under Xfce (X11) its own panel
// and window manager take the icon and the window.
#include "e2efixture.h"
#include "fakewatcher.h"
#include "imagechecks.h"
#include "toolrun.h"
#include "traycolours.h"
#include "waylandsession.h"

#include <QDBusConnection>
#include <QDBusVariant>
#include <QStandardPaths>
#include <QTest>

#include <cstdio>

namespace {

class DesktopCaptureTest : public TE2ETest {
protected:
    // Capture on, BMP files: set on the suite's X server and kept in the settings file, so the
    // program starts capturing in the session without being driven there. Then the session, and
    // the program's environment pointed at it.
    void EnterSession(TWaylandSession& session, const QString& binary) {
        if (QStandardPaths::findExecutable(binary).isEmpty())
            GTEST_SKIP() << binary.toStdString() << " is not installed";
        TChildProcess* program = nullptr;
        ASSERT_TRUE(StartCapturing(QStringLiteral("BitmapOut"), &program));
        ASSERT_EQ(RunTerminate(), 0);
        ASSERT_EQ(program->ExitCodeWithin(10000), 0);
        ASSERT_TRUE(session.Start()) << session.Problem().toStdString();
        const QProcessEnvironment client = session.ClientEnvironment(Sandbox().Environment());
        for (const QString& name :
             {QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("DISPLAY"),
              QStringLiteral("XAUTHORITY"), QStringLiteral("DBUS_SESSION_BUS_ADDRESS")})
            if (client.contains(name))
                Sandbox().SetVariable(name, client.value(name));
    }

    // Starts the program; its capturing window, looked for at any depth, as a window manager's
    // frame holds it, and minimised or not, as the first run's settings start the program
    // minimised into the tray. Empty when it has none.
    QString StartInSession() {
        const TChildProcess* program = StartProgram();
        QString window;
        WaitUntil(
            [&] {
                window = RunTool("xdotool",
                                 {"search", "--all", "--pid",
                                  QString::number(program ? program->Pid() : 0), "--name",
                                  '^' + ActiveCaption + '$'},
                                 Sandbox().Environment())
                             .Output.split('\n')
                             .value(0);
                return !window.isEmpty();
            },
            15000, 100);
        return window;
    }

    // The window manager's state of a window, and whether it is withdrawn (in the tray).
    QByteArray State(const QString& window) {
        return RunTool("xprop", {"-id", window, "WM_STATE", "_NET_WM_STATE"},
                       Sandbox().Environment())
            .Output;
    }
    static bool Withdrawn(const QByteArray& state) {
        return !state.contains("window state: Normal") && !state.contains("window state: Iconic");
    }
    // Back on the screen, shown as it is and not minimised, with the focus; `seen` is its state.
    bool Restored(const QString& window, QByteArray& seen) {
        const QProcessEnvironment& client = Sandbox().Environment();
        return (seen = State(window)).contains("window state: Normal") &&
               !seen.contains("_NET_WM_STATE_HIDDEN") &&
               RunTool("xdotool", {"getactivewindow"}, client).Output.trimmed() == window &&
               RunTool("xwininfo", {"-id", window}, client).Output.contains("IsViewable");
    }

    void CaptureIn(TCompositor compositor, const QString& binary) {
        TWaylandSession session(compositor);
        EnterSession(session, binary);
        if (IsSkipped() || HasFatalFailure())
            return;
        const QProcessEnvironment client = session.ClientEnvironment(Sandbox().Environment());
        // A panel of the test's own (a watcher and a host) on a bus beside the compositor's.
        TSessionBus bus;
        ASSERT_TRUE(bus.Start()) << bus.Problem().toStdString();
        Sandbox().SetVariable(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.Address());
        QDBusConnection panel = QDBusConnection::connectToBus(bus.Address(), bus.Address());
        TFakeWatcher watcher;
        ASSERT_TRUE(panel.registerObject("/StatusNotifierWatcher", &watcher,
                                         QDBusConnection::ExportAllContents));
        ASSERT_TRUE(panel.registerService("org.kde.StatusNotifierWatcher") &&
                    panel.registerService("org.kde.StatusNotifierHost-1"));
        const QString window = StartInSession();
        ASSERT_FALSE(window.isEmpty()) << "no capturing window\n"
                                       << session.Log().right(4000).toStdString();
        // Started minimised into the tray: withdrawn, and back, mapped and no longer minimised,
        // when the panel activates the item.
        QByteArray seen;
        const auto state = [&] { return seen = State(window); };
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return !watcher.Items.isEmpty() && Withdrawn(state()); }, 15000))
            << seen.toStdString();
        // Back with the focus, and a window on the screen stays there whatever restores it
        // again: the icon's click, the menu's "Restore".
        const QString item = watcher.Items.last().section('/', 0, 0);
        const auto call = [&](const char* path, const char* face, const char* method) {
            return QDBusMessage::createMethodCall(item, path, face, method);
        };
        const QDBusMessage activate =
            call("/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate") << 0 << 0;
        for (const QDBusMessage& restore :
             {activate, activate,
              call("/MenuBar", "com.canonical.dbusmenu", "Event")
                  << 1 << "clicked" << QVariant::fromValue(QDBusVariant(0)) << 0u}) {
            panel.call(restore);
            EXPECT_TRUE(QTest::qWaitFor([&] { return Restored(window, seen); }, 15000))
                << restore.member().toStdString() << seen.toStdString();
        }

        TChildProcesses clients;
        QProcessEnvironment wayland = client;
        wayland.insert(QStringLiteral("GDK_BACKEND"), QStringLiteral("wayland"));
        ASSERT_NE(clients.Start(QStringLiteral("zenity"),
                                {QStringLiteral("--info"), QStringLiteral("--text"),
                                 QStringLiteral("another window")},
                                wayland),
                  nullptr);
        ASSERT_TRUE(session.Focus(QStringLiteral("zenity")));
        TClipboardFeeder clipboard(clients, wayland);
        // Copied, and the copier still serving or the picture saved. A copier on mutter must
        // hold the keyboard focus to set the clipboard; when it loses the race for it (to the
        // window of a copier that just quit), mutter cancels its offer and it ends with nothing
        // copied: that copy is made again, as a user would.
        const auto copy = [&](const QImage& image, const QString& file) -> TChildProcess* {
            for (int attempt = 0; attempt < 3; ++attempt) {
                TChildProcess* copier = clipboard.CopyOnWayland(WriteClip(image));
                if (copier == nullptr)
                    return nullptr;
                const auto arrived = [&] { return QFile::exists(file); };
                WaitUntil([&] { return arrived() || !copier->Running(); }, 10000);
                if (arrived() || copier->Running())
                    return copier;
            }
            return nullptr;
        };
        const auto x11Offers = [&] { return clipboard.Offers(QStringLiteral("image/png")); };
        const QImage first = PatternImage(120, 80, 1);
        const QString firstFile = Home() + QStringLiteral("/SV0000.bmp");
        TChildProcess* copier = copy(first, firstFile);
        ASSERT_NE(copier, nullptr);
        EXPECT_TRUE(SamePixels(first, WaitForImageFile(firstFile)));
        if (compositor == TCompositor::KWin) {
            EXPECT_FALSE(x11Offers()) << "the copy reached X11 as well: KWin's data-control is "
                                         "not what the program was shown to use";
        }
        copier->Kill();
        if (compositor == TCompositor::Mutter) {
            EXPECT_TRUE(WaitUntil(x11Offers, 10000))
                << "mutter does not keep the picture of a program that quit";
        }
        // The next copy is the next file: nothing came between.
        const QImage second = PatternImage(90, 70, 2);
        const QString secondFile = Home() + QStringLiteral("/SV0001.bmp");
        ASSERT_NE(copy(second, secondFile), nullptr);
        EXPECT_TRUE(SamePixels(second, WaitForImageFile(secondFile)));
        EXPECT_EQ(ImageFilesIn(Home()).size(), 2) << ImageFilesIn(Home()).join(' ').toStdString();
        EXPECT_EQ(RunTerminate(), 0);
        if (HasFailure())
            std::fprintf(stderr, "[ e2e     ] %s said:\n%s\n", qPrintable(binary),
                         session.Log().right(4000).constData());
    }
};

TEST_F(DesktopCaptureTest, GnomeMutter) {
    CaptureIn(TCompositor::Mutter, QStringLiteral("mutter"));
}

TEST_F(DesktopCaptureTest, KdeKWin) {
    CaptureIn(TCompositor::KWin, QStringLiteral("kwin_wayland"));
}

// Xfce's own panel (its notification area, a watcher that hosts the items itself) and xfwm4:
// the icon shows in the panel; minimised, the window goes into it, and the icon's click brings
// it back with the focus, each time.
TEST_F(DesktopCaptureTest, XfcePanel) {
    TWaylandSession session(TCompositor::Xfce);
    EnterSession(session, QStringLiteral("xfce4-panel"));
    if (IsSkipped() || HasFatalFailure())
        return;
    const QString window = StartInSession();
    ASSERT_FALSE(window.isEmpty()) << session.Log().right(4000).toStdString();
    const QProcessEnvironment& client = Sandbox().Environment();
    const QString panel =
        RunTool("xdotool", {"search", "--onlyvisible", "--class", "xfce4-panel"}, client)
            .Output.trimmed();
    QByteArray seen;
    QImage picture;
    // The panel holds the icon alone, in its middle.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            picture = TDesktopDriver(client).WindowPicture(panel.toULongLong());
            return Withdrawn(seen = State(window)) && TrayColourOf(picture) == "green";
        },
        15000))
        << "no green icon in the panel; " << seen.toStdString();
    // The user works in another window when the icon is clicked.
    TChildProcesses others;
    ASSERT_NE(others.Start("zenity", {"--info", "--text", "another window"}, client), nullptr);
    const auto clickBringsBack = [&] {
        RunTool("xdotool",
                {"search", "--sync", "--onlyvisible", "--class", "zenity", "mousemove", "--window",
                 "%1", "10", "10", "click", "1"},
                client);
        RunTool("xdotool",
                {"mousemove", "--window", panel, QString::number(picture.width() / 2),
                 QString::number(picture.height() / 2), "click", "1"},
                client);
        return QTest::qWaitFor([&] { return Restored(window, seen); }, 15000);
    };
    EXPECT_TRUE(clickBringsBack()) << seen.toStdString();
    RunTool("xdotool", {"windowminimize", window}, client);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Withdrawn(seen = State(window)); }, 15000))
        << "minimised, not in the tray: " << seen.toStdString();
    EXPECT_TRUE(clickBringsBack()) << seen.toStdString();
    EXPECT_EQ(RunTerminate(), 0);
}

} // namespace

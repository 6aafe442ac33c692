// Capture on the compositors of GNOME (mutter: the clipboard reaches the program through
// Xwayland) and KDE (KWin: through data-control only, as the X11 clipboard follows only X11
// windows with the focus). A picture a Wayland client copies while another window has the focus
// becomes one file; the copier quitting, after which mutter offers the same picture again on its
// own, adds none. Started minimised with a panel on the bus, the window waits withdrawn in its
// tray and comes back whole when the panel activates the icon.
#include "e2efixture.h"
#include "fakewatcher.h"
#include "imagechecks.h"
#include "toolrun.h"
#include "waylandsession.h"

#include <QDBusConnection>
#include <QDBusVariant>
#include <QStandardPaths>
#include <QTest>

#include <cstdio>

namespace {

class DesktopCaptureTest : public TE2ETest {
protected:
    void CaptureIn(TCompositor compositor, const QString& binary) {
        if (QStandardPaths::findExecutable(binary).isEmpty())
            GTEST_SKIP() << binary.toStdString() << " is not installed";
        // Capture on, BMP files: set on the suite's X server and kept in the settings file, so
        // the program starts capturing in the session without being driven there.
        TChildProcess* program = nullptr;
        ASSERT_TRUE(StartCapturing(QStringLiteral("BitmapOut"), &program));
        ASSERT_EQ(RunTerminate(), 0);
        ASSERT_EQ(program->ExitCodeWithin(10000), 0);

        TWaylandSession session(compositor);
        ASSERT_TRUE(session.Start()) << session.Problem().toStdString();
        const QProcessEnvironment client = session.ClientEnvironment(Sandbox().Environment());
        for (const QString& name : {QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("DISPLAY"),
                                    QStringLiteral("XAUTHORITY")})
            if (client.contains(name))
                Sandbox().SetVariable(name, client.value(name));
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
        program = StartProgram();
        ASSERT_NE(program, nullptr);
        // Looked for at any depth, as a window manager's frame holds it, and minimised or not, as
        // the first run's settings start the program minimised.
        QString window;
        ASSERT_TRUE(WaitUntil(
            [&] {
                window = RunTool(QStringLiteral("xdotool"),
                                 {QStringLiteral("search"), QStringLiteral("--all"),
                                  QStringLiteral("--pid"), QString::number(program->Pid()),
                                  QStringLiteral("--name"),
                                  QLatin1Char('^') + ActiveCaption + QLatin1Char('$')},
                                 client)
                             .Output.split('\n')
                             .value(0);
                return !window.isEmpty();
            },
            15000, 100))
            << "the program has no capturing window on Xwayland\n"
            << session.Log().right(4000).toStdString();
        // Started minimised into the tray: withdrawn, and back, mapped and no longer minimised,
        // when the panel activates the item.
        QByteArray seen;
        const auto state = [&] {
            return seen = RunTool("xprop", {"-id", window, "WM_STATE", "_NET_WM_STATE"}, client)
                              .Output;
        };
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return !watcher.Items.isEmpty() && !state().contains("window state: Normal") &&
                       !seen.contains("window state: Iconic");
            },
            15000))
            << seen.toStdString();
        // Back with the focus, and a window on the screen stays there whatever restores it
        // again: the icon's click, the menu's "Restore".
        const QString item = watcher.Items.last().section('/', 0, 0);
        const auto focused = [&] {
            const QByteArray root =
                RunTool("xprop", {"-root", "_NET_ACTIVE_WINDOW"}, client).Output;
            return root.trimmed().endsWith(QByteArray::number(window.toULongLong(), 16));
        };
        const QDBusMessage restores[] = {
            QDBusMessage::createMethodCall(item, "/StatusNotifierItem",
                                           "org.kde.StatusNotifierItem", "Activate")
                << 0 << 0,
            QDBusMessage::createMethodCall(item, "/StatusNotifierItem",
                                           "org.kde.StatusNotifierItem", "Activate")
                << 0 << 0,
            QDBusMessage::createMethodCall(item, "/MenuBar", "com.canonical.dbusmenu", "Event")
                << 1 << "clicked" << QVariant::fromValue(QDBusVariant(0)) << 0u,
        };
        for (const QDBusMessage& restore : restores) {
            SCOPED_TRACE(restore.member().toStdString());
            panel.call(restore);
            EXPECT_TRUE(QTest::qWaitFor(
                [&] {
                    return state().contains("window state: Normal") &&
                           !seen.contains("_NET_WM_STATE_HIDDEN") && focused() &&
                           RunTool("xwininfo", {"-id", window}, client)
                               .Output.contains("IsViewable");
                },
                15000))
                << seen.toStdString();
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
        const auto copy = [&](const QImage& image) {
            return clipboard.CopyOnWayland(WriteClip(image));
        };
        const auto x11Offers = [&] { return clipboard.Offers(QStringLiteral("image/png")); };
        const QImage first = PatternImage(120, 80, 1);
        TChildProcess* copier = copy(first);
        ASSERT_NE(copier, nullptr);
        EXPECT_TRUE(SamePixels(first, WaitForImageFile(Home() + QStringLiteral("/SV0000.bmp"))));
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
        ASSERT_NE(copy(second), nullptr);
        EXPECT_TRUE(SamePixels(second, WaitForImageFile(Home() + QStringLiteral("/SV0001.bmp"))));
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

} // namespace

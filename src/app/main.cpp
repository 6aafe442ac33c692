#include "app/splash.h"
#include "platform/linuxplatform.h"
#include "platform/messagebox.h"
#include "platform/platform.h"
#include "platform/session/programinfo.h"
#include "platform/clipboard/sessionclipboard.h"
#include "tray/trayicon.h"
#include "ui/svxform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QThread>
#include <cstdio>
#include <exception>

namespace {
constexpr qint64 MinimumSplashMs = 500;
constexpr unsigned long SplashPollMs = 100;

// The application's icon for the window, its boxes and the dock, in the sizes it ships.
QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/org.fennmoor.Snapvault-%1.png").arg(size),
                     QSize(size, size));
    return icon;
}
} // namespace

int main(int argc, char* argv[]) {
    // The command line as given: the toolkit takes its own switches (-session, -style,
    // -reverse, ...) out of argv, and any of them still counts as an argument.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QString why;
    if (!DisplayConfigured(why)) {
        std::fprintf(stderr, "%s\n", why.toLocal8Bit().constData());
        return 1;
    }
    // Where no route sees copies made in other windows, the program would sit there
    // capturing nothing: better to say so and end.
    const TClipboardRouteChoice route = ChooseSessionClipboard();
    if (route.Route == TClipboardRoute::None) {
        std::fprintf(stderr, "%s\n", NoClipboardRouteMessage().toLocal8Bit().constData());
        return 1;
    }
    // The window on X11 wherever an X server answers; a platform the user chose stays.
    if (route.WindowOnX11 && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    // Before the first window: the X11 window class is taken from the name, and docks match the
    // window to its launcher by the class and the desktop-file name.
    QApplication::setApplicationName(QStringLiteral("Snapvault"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.fennmoor.Snapvault"));
    QApplication::setWindowIcon(ApplicationIcon());
    // Before any window exists: the first paint on a display the toolkit cannot draw on
    // crashes.
    if (!DisplayPaintable(why)) {
        std::fprintf(stderr, "%s\n", why.toLocal8Bit().constData());
        return 1;
    }
    const TLinuxPlatform services(route.Route);
    try {
        if (arguments.isEmpty())
            ShowSplash();
        QElapsedTimer shown;
        shown.start();
        // The window closing ends the program; a leftover error box must not keep it alive.
        QApplication::setQuitOnLastWindowClosed(false);

        TSVXForm form(arguments);
        if (form.EndRequested)
            return 0;
        if (Splash() != nullptr) {
            while (shown.elapsed() < MinimumSplashMs)
                QThread::msleep(SplashPollMs);
            CloseSplash();
        }
        // A close asked for while a box of the start-up was open came before the event loop
        // could take it: it is honoured now.
        if (form.QuitRequested)
            return 0;
        form.MinimizeTI();
        // Started into the notification area, the window shows when the icon is clicked.
        if (!form.TrayIcon->WindowInTray())
            form.show();
        QApplication::exec();
        // `form` waits for running saves and runs its shutdown when it goes out of scope.
    } catch (const std::exception& error) {
        TBoxRequest request;
        request.Text = QString::fromLocal8Bit(error.what());
        request.Caption = QStringLiteral("Snapvault");
        request.Icon = TBoxIcon::Error;
        Platform().Boxes->Show(request);
    }
    return 0;
}

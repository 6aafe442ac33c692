#include "app/splash.h"
#include "platform/messagebox.h"
#include "platform/platform.h"
#include "platform/programinfo.h"
#include "tray/trayicon.h"
#include "ui/svxform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <exception>

namespace {
constexpr qint64 MinimumSplashMs = 500;
constexpr unsigned long SplashPollMs = 100;
} // namespace

int main(int argc, char* argv[]) {
    QString why;
    if (!DisplayConfigured(why)) {
        std::fprintf(stderr, "%s\n", why.toLocal8Bit().constData());
        return 1;
    }
    QApplication application(argc, argv);
    try {
        const QStringList arguments = application.arguments().mid(1);
        if (arguments.isEmpty())
            ShowSplash();
        QElapsedTimer shown;
        shown.start();
        QApplication::setApplicationName(QStringLiteral("Snapvault"));
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

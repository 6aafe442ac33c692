#include "app/splash.h"

#include "platform/modalbox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <memory>

namespace {

class TSplash : public QWidget {
public:
    TSplash()
        : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
        setObjectName(QStringLiteral("Splash"));
        setFixedSize(378, 292);
        auto* image = new QLabel(this);
        image->setObjectName(QStringLiteral("SplashImage"));
        image->setGeometry(0, 0, 379, 293);
        image->setPixmap(QPixmap(QStringLiteral(":/splash.jpg")));
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->geometry().center() - rect().center());
    }
};

std::unique_ptr<TSplash> TheSplash;

} // namespace

void ShowSplash() {
    TheSplash = std::make_unique<TSplash>();
    // It stays on top of everything: a box of the start-up closes it first.
    SetBeforeModalBox(&CloseSplash);
    TheSplash->show();
    TheSplash->repaint();
    // Paint it now: the window is created before the event loop runs.
    QApplication::processEvents();
}

void CloseSplash() {
    TheSplash.reset();
}

QWidget* Splash() {
    return TheSplash.get();
}

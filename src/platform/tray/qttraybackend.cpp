#include "platform/tray/qttraybackend.h"

namespace {
// How often the icon asks whether a notification area has come or gone.
constexpr int AvailabilityCheckMs = 1000;
} // namespace

TQtTrayBackend::TQtTrayBackend(QObject* owner)
    : ITrayBackend(owner), FIcon(this), FWatch(this),
      FAvailable(QSystemTrayIcon::isSystemTrayAvailable()) {
    connect(&FIcon, &QSystemTrayIcon::activated, this, &TQtTrayBackend::Activated);
    connect(&FWatch, &QTimer::timeout, this, &TQtTrayBackend::CheckAvailability);
    FWatch.start(AvailabilityCheckMs);
}

bool TQtTrayBackend::Available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool TQtTrayBackend::Show() {
    FAvailable = Available();
    if (!FAvailable)
        return false;
    // Shown afresh: after a panel restart the old embedding may be gone.
    FIcon.hide();
    FIcon.show();
    return true;
}

void TQtTrayBackend::Hide() {
    FIcon.hide();
}

void TQtTrayBackend::Activated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        emit Clicked(TClick::Left);
        break;
    case QSystemTrayIcon::Context:
        emit Clicked(TClick::Right);
        break;
    case QSystemTrayIcon::DoubleClick:
        emit Clicked(TClick::Double);
        break;
    default:
        break;
    }
}

void TQtTrayBackend::CheckAvailability() {
    const bool available = Available();
    if (available == FAvailable)
        return;
    FAvailable = available;
    emit AvailabilityChanged(available);
}

#include "platform/tray/qttraybackend.h"

#include <QGuiApplication>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

TQtTrayBackend::TQtTrayBackend(QObject* owner)
    : ITrayBackend(owner), FIcon(this), FAvailable(QSystemTrayIcon::isSystemTrayAvailable()) {
    connect(&FIcon, &QSystemTrayIcon::activated, this, &TQtTrayBackend::Activated);
    const auto* x11 = qGuiApp != nullptr
                          ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                          : nullptr;
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr)
        return; // no XEmbed tray without X11; items follow their watcher
    static constexpr char Manager[] = "MANAGER";
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, std::strlen(Manager), Manager), nullptr),
        &std::free);
    if (atom == nullptr)
        return;
    FManagerAtom = atom->atom;
    qGuiApp->installNativeEventFilter(this);
}

bool TQtTrayBackend::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (FCheckQueued || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t kind = event->response_type & 0x7f;
    // A tray that comes announces itself to every client; one that goes takes its window,
    // which the toolkit watches, with it. The toolkit takes the event in after this filter.
    const bool trayCame =
        kind == XCB_CLIENT_MESSAGE &&
        reinterpret_cast<const xcb_client_message_event_t*>(event)->type == FManagerAtom;
    if (trayCame || kind == XCB_DESTROY_NOTIFY) {
        FCheckQueued = true;
        QMetaObject::invokeMethod(this, &TQtTrayBackend::CheckAvailability, Qt::QueuedConnection);
    }
    return false;
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
    FCheckQueued = false;
    const bool available = Available();
    if (available == FAvailable)
        return;
    FAvailable = available;
    emit AvailabilityChanged(available);
}

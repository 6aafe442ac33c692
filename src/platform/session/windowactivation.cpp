#include "platform/session/windowactivation.h"

#include "platform/session/desktop.h"

#include <QGuiApplication>
#include <QWidget>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

void IDesktop::ActivateWindow(QWidget* window) {
    window->activateWindow();
}

bool RequestX11Activation(quint64 window) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr)
        return false;
    static constexpr char Name[] = "_NET_ACTIVE_WINDOW";
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, sizeof Name - 1, Name),
                              nullptr),
        &std::free);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (atom == nullptr || screen == nullptr)
        return false;
    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = xcb_window_t(window);
    request.type = atom->atom;
    // Source 2, a pager: a window manager that guards against programs stealing the focus
    // takes it as the user's own choice. The program's own request carries the time of its
    // last X11 event, older than a click that came over D-Bus, and a window manager then leaves
    // a minimised window minimised.
    request.data.data32[0] = 2;
    request.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&request));
    xcb_flush(connection);
    return true;
}

#include "platform/session/windowactivation.h"

#include "platform/session/desktop.h"

#include <QGuiApplication>
#include <QWidget>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

void IDesktop::ShowNormal(QWidget* window) {
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
}

void IDesktop::ActivateWindow(QWidget* window) {
    window->activateWindow();
}

namespace {

template <typename T> using TReply = std::unique_ptr<T, decltype(&std::free)>;

xcb_connection_t* X11() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    const TReply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The 32-bit values of a property, empty when it is not there.
std::vector<uint32_t> Values(xcb_connection_t* connection, quint64 window, xcb_atom_t property,
                             xcb_atom_t type) {
    const TReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, xcb_window_t(window), property, type, 0, 64), nullptr),
        &std::free);
    if (reply == nullptr || reply->format != 32)
        return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

void SendToRoot(xcb_connection_t* connection, const void* event) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    xcb_send_event(connection, 0, screen->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   static_cast<const char*>(event));
    xcb_flush(connection);
}

// Withdraws `window` again (ICCCM 4.1.4) where the window manager still manages it although
// the program has unmapped it: one that was minimising it as it was withdrawn may keep it.
void WithdrawIfManaged(xcb_connection_t* connection, quint64 window) {
    // WM_STATE: NormalState (1) or IconicState (3) while a window manager manages the window.
    const xcb_atom_t wmState = Atom(connection, "WM_STATE");
    const std::vector<uint32_t> managed = Values(connection, window, wmState, wmState);
    if (managed.empty() || (managed[0] != 1 && managed[0] != 3))
        return;
    xcb_unmap_window(connection, xcb_window_t(window));
    xcb_unmap_notify_event_t notice{};
    notice.response_type = XCB_UNMAP_NOTIFY;
    notice.event = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    notice.window = xcb_window_t(window);
    SendToRoot(connection, &notice);
}

// The X server's time now, from a property change on a window of a connection of our own (the
// toolkit's own connection reads its events on a thread of its own); the last resort is 0, which
// window managers take as "no time".
xcb_timestamp_t ServerTimeNow() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> closer(connection,
                                                                              &xcb_disconnect);
    if (xcb_connection_has_error(connection) != 0)
        return XCB_CURRENT_TIME;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t probe = xcb_generate_id(connection);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, probe, screen->root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &events);
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, probe, XCB_ATOM_WM_NAME, XCB_ATOM_STRING,
                        8, 0, nullptr);
    xcb_flush(connection);
    while (const TReply<xcb_generic_event_t> event{xcb_wait_for_event(connection), &std::free}) {
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
            return reinterpret_cast<const xcb_property_notify_event_t*>(event.get())->time;
    }
    return XCB_CURRENT_TIME;
}

} // namespace

void RequestX11Activation(quint64 window) {
    xcb_connection_t* connection = X11();
    if (connection == nullptr)
        return;
    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = xcb_window_t(window);
    request.type = Atom(connection, "_NET_ACTIVE_WINDOW");
    // Source 2, a pager: a window manager that guards against programs stealing the focus
    // takes it as the user's own choice. The time is the server's now, after the click that
    // came over D-Bus: the toolkit's own request carries the time of the program's last X11
    // event, older than that click, and a window manager then leaves a minimised window
    // minimised; with no time at all, some refuse the focus (GNOME 48) or call it a bug
    // (Cinnamon).
    request.data.data32[0] = 2;
    request.data.data32[1] = ServerTimeNow();
    SendToRoot(connection, &request);
}

void PrepareX11Map(quint64 window) {
    xcb_connection_t* connection = X11();
    if (connection == nullptr)
        return;
    const auto target = xcb_window_t(window);
    // A window manager that kept the window when it was withdrawn lets it go first, and one
    // that meets a state it left behind takes the window for minimised.
    WithdrawIfManaged(connection, window);
    xcb_delete_property(connection, target, Atom(connection, "WM_STATE"));
    // WM_HINTS: flags, input, initial state (StateHint = 2, NormalState = 1), ...
    std::vector<uint32_t> hints = Values(connection, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS);
    if (hints.size() >= 3) {
        hints[0] |= 2;
        hints[2] = 1;
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, target, XCB_ATOM_WM_HINTS,
                            XCB_ATOM_WM_HINTS, 32, uint32_t(hints.size()), hints.data());
    }
    const xcb_atom_t state = Atom(connection, "_NET_WM_STATE");
    std::vector<uint32_t> states = Values(connection, window, state, XCB_ATOM_ATOM);
    const auto hidden =
        std::remove(states.begin(), states.end(), Atom(connection, "_NET_WM_STATE_HIDDEN"));
    if (hidden != states.end()) {
        states.erase(hidden, states.end());
        if (states.empty())
            xcb_delete_property(connection, target, state);
        else
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, target, state, XCB_ATOM_ATOM, 32,
                                uint32_t(states.size()), states.data());
    }
    xcb_flush(connection);
}

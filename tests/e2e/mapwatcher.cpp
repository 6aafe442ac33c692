#include "mapwatcher.h"

#include <QHash>
#include <QSet>
#include <cstdlib>
#include <xcb/xcb.h>

struct TMapWatcher::TState {
    QHash<xcb_window_t, QSize> Sizes;
    QSet<xcb_window_t> Shown;
    QList<QSize> ShownSizes;
};

TMapWatcher::TMapWatcher(const QString& display) : FState(std::make_unique<TState>()) {
    xcb_connection_t* connection = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    // Checked, so that the watch is in force before the constructor returns.
    xcb_generic_error_t* error = xcb_request_check(
        connection,
        xcb_change_window_attributes_checked(connection, screen->root, XCB_CW_EVENT_MASK, &events));
    if (error != nullptr) {
        std::free(error);
        xcb_disconnect(connection);
        return;
    }
    FConnection = connection;
}

TMapWatcher::~TMapWatcher() {
    if (FConnection != nullptr)
        xcb_disconnect(FConnection);
}

QList<QSize> TMapWatcher::ShownSizes() {
    if (FConnection == nullptr)
        return {};
    // A round trip: every notice the server sent before it has arrived.
    std::free(xcb_get_input_focus_reply(FConnection, xcb_get_input_focus(FConnection), nullptr));
    while (xcb_generic_event_t* event = xcb_poll_for_event(FConnection)) {
        switch (event->response_type & 0x7F) {
        case XCB_CREATE_NOTIFY: {
            const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
            FState->Sizes.insert(created->window, QSize(created->width, created->height));
            break;
        }
        case XCB_CONFIGURE_NOTIFY: {
            const auto* configured = reinterpret_cast<xcb_configure_notify_event_t*>(event);
            const QSize size(configured->width, configured->height);
            FState->Sizes.insert(configured->window, size);
            if (FState->Shown.contains(configured->window))
                FState->ShownSizes.append(size);
            break;
        }
        case XCB_MAP_NOTIFY: {
            const auto* mapped = reinterpret_cast<xcb_map_notify_event_t*>(event);
            FState->Shown.insert(mapped->window);
            FState->ShownSizes.append(FState->Sizes.value(mapped->window));
            break;
        }
        case XCB_UNMAP_NOTIFY:
            FState->Shown.remove(reinterpret_cast<xcb_unmap_notify_event_t*>(event)->window);
            break;
        default:
            break;
        }
        std::free(event);
    }
    return FState->ShownSizes;
}

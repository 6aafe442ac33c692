// A Wayland clipboard owner that offers the types named on its command line and then never
// delivers: every pipe it is asked to fill stays open and empty, even after another copy has
// replaced it. It runs until it is killed.
#include "wlr-data-control-unstable-v1-client.h"

#include <cstdio>
#include <cstring>
#include <vector>
#include <wayland-client.h>

namespace {

struct TGlobals {
    zwlr_data_control_manager_v1* Manager = nullptr;
    wl_seat* Seat = nullptr;
};

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto& globals = *static_cast<TGlobals*>(data);
    if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0)
        globals.Manager = static_cast<zwlr_data_control_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_data_control_manager_v1_interface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && globals.Seat == nullptr)
        globals.Seat =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

void OnGlobalRemove(void*, wl_registry*, uint32_t) {}

std::vector<int> HeldOpen;

// Says when it is asked, so that a test can copy something else while the asker waits.
void OnSend(void*, zwlr_data_control_source_v1*, const char*, int32_t fd) {
    HeldOpen.push_back(fd);
    std::puts("asked");
    std::fflush(stdout);
}

void OnCancelled(void*, zwlr_data_control_source_v1*) {}

} // namespace

int main(int argc, char** argv) {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "stalled_source: no Wayland display\n");
        return 1;
    }
    TGlobals globals;
    const wl_registry_listener registryListener{OnGlobal, OnGlobalRemove};
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, &globals);
    wl_display_roundtrip(display);
    if (globals.Manager == nullptr || globals.Seat == nullptr) {
        std::fprintf(stderr, "stalled_source: no wlroots data-control\n");
        return 1;
    }
    zwlr_data_control_source_v1* source =
        zwlr_data_control_manager_v1_create_data_source(globals.Manager);
    const zwlr_data_control_source_v1_listener sourceListener{OnSend, OnCancelled};
    zwlr_data_control_source_v1_add_listener(source, &sourceListener, nullptr);
    for (int i = 1; i < argc; ++i)
        zwlr_data_control_source_v1_offer(source, argv[i]);
    zwlr_data_control_device_v1* device =
        zwlr_data_control_manager_v1_get_data_device(globals.Manager, globals.Seat);
    zwlr_data_control_device_v1_set_selection(device, source);
    while (wl_display_dispatch(display) >= 0) {
    }
    return 0;
}

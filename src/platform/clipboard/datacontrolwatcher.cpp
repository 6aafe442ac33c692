#include "platform/clipboard/datacontrolwatcher.h"

#include "platform/clipboard/clipboarddecode.h"
#include "platform/clipboard/picturehash.h"
#include "platform/clipboard/pipereader.h"
#include "platform/clipboard/selectionchanges.h"

#include "ext-data-control-v1-client.h"
#include "wlr-data-control-unstable-v1-client.h"

#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <optional>
#include <poll.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>
#include <wayland-client.h>

namespace {

// Longest wait for the compositor to answer while we set up.
constexpr int SetupTimeoutMs = 3000;

// The globals the watching needs, by registry name (0: not offered).
struct TGlobals {
    uint32_t ExtManager = 0;
    uint32_t ExtVersion = 0;
    uint32_t WlrManager = 0;
    uint32_t WlrVersion = 0;
    uint32_t Seat = 0;
};

void OnGlobal(void* data, wl_registry*, uint32_t name, const char* interface, uint32_t version) {
    TGlobals& globals = *static_cast<TGlobals*>(data);
    if (std::strcmp(interface, ext_data_control_manager_v1_interface.name) == 0) {
        globals.ExtManager = name;
        globals.ExtVersion = version;
    } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0) {
        globals.WlrManager = name;
        globals.WlrVersion = version;
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && globals.Seat == 0) {
        // The first seat announced is the default seat.
        globals.Seat = name;
    }
}

void OnGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener RegistryListener{OnGlobal, OnGlobalRemove};

enum class TDispatch { Dispatched, TimedOut, Stopped, Broken };

// Waits at most `timeoutMs` (-1: no limit) for the compositor's events and dispatches them.
// Gives up at once when `stopDescriptor` (-1: none) becomes readable.
TDispatch DispatchEvents(wl_display* display, int stopDescriptor, int timeoutMs) {
    if (wl_display_prepare_read(display) != 0)
        return wl_display_dispatch_pending(display) < 0 ? TDispatch::Broken : TDispatch::Dispatched;
    if (wl_display_flush(display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display);
        return TDispatch::Broken;
    }
    pollfd watched[2] = {{wl_display_get_fd(display), POLLIN, 0}, {stopDescriptor, POLLIN, 0}};
    const int ready = poll(watched, stopDescriptor >= 0 ? 2 : 1, timeoutMs);
    if (ready <= 0 || (stopDescriptor >= 0 && watched[1].revents != 0)) {
        wl_display_cancel_read(display);
        if (ready < 0)
            return errno == EINTR ? TDispatch::Dispatched : TDispatch::Broken;
        return ready == 0 ? TDispatch::TimedOut : TDispatch::Stopped;
    }
    if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0)
        return TDispatch::Broken;
    return TDispatch::Dispatched;
}

void OnSyncDone(void* data, wl_callback*, uint32_t) {
    *static_cast<bool*>(data) = true;
}

const wl_callback_listener SyncListener{OnSyncDone};

// Waits until the compositor has answered every request sent so far; false when it does not
// within `timeoutMs`, the connection broke, or a stop was asked for.
bool RoundtripWithin(wl_display* display, int stopDescriptor, int timeoutMs) {
    bool done = false;
    wl_callback* callback = wl_display_sync(display);
    wl_callback_add_listener(callback, &SyncListener, &done);
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done) {
        const int left = timeoutMs - int(elapsed.elapsed());
        if (left <= 0 || DispatchEvents(display, stopDescriptor, left) != TDispatch::Dispatched)
            break;
    }
    wl_callback_destroy(callback);
    return done;
}

// The two data-control protocols have the same messages in the same order under different
// names: one watcher serves both through these.
struct TExtProtocol {
    using Manager = ext_data_control_manager_v1;
    using Device = ext_data_control_device_v1;
    using Offer = ext_data_control_offer_v1;
    using DeviceListener = ext_data_control_device_v1_listener;
    using OfferListener = ext_data_control_offer_v1_listener;
    static constexpr uint32_t MaxVersion = 1;
    static const wl_interface* ManagerInterface() { return &ext_data_control_manager_v1_interface; }
    static Device* GetDevice(Manager* manager, wl_seat* seat) {
        return ext_data_control_manager_v1_get_data_device(manager, seat);
    }
    static void Destroy(Manager* manager) { ext_data_control_manager_v1_destroy(manager); }
    static void Listen(Device* device, const DeviceListener* listener, void* data) {
        ext_data_control_device_v1_add_listener(device, listener, data);
    }
    static void Destroy(Device* device) { ext_data_control_device_v1_destroy(device); }
    static void Listen(Offer* offer, const OfferListener* listener, void* data) {
        ext_data_control_offer_v1_add_listener(offer, listener, data);
    }
    static void Receive(Offer* offer, const char* type, int fd) {
        ext_data_control_offer_v1_receive(offer, type, fd);
    }
    static void Destroy(Offer* offer) { ext_data_control_offer_v1_destroy(offer); }
};

struct TWlrProtocol {
    using Manager = zwlr_data_control_manager_v1;
    using Device = zwlr_data_control_device_v1;
    using Offer = zwlr_data_control_offer_v1;
    using DeviceListener = zwlr_data_control_device_v1_listener;
    using OfferListener = zwlr_data_control_offer_v1_listener;
    static constexpr uint32_t MaxVersion = 2;
    static const wl_interface* ManagerInterface() {
        return &zwlr_data_control_manager_v1_interface;
    }
    static Device* GetDevice(Manager* manager, wl_seat* seat) {
        return zwlr_data_control_manager_v1_get_data_device(manager, seat);
    }
    static void Destroy(Manager* manager) { zwlr_data_control_manager_v1_destroy(manager); }
    static void Listen(Device* device, const DeviceListener* listener, void* data) {
        zwlr_data_control_device_v1_add_listener(device, listener, data);
    }
    static void Destroy(Device* device) { zwlr_data_control_device_v1_destroy(device); }
    static void Listen(Offer* offer, const OfferListener* listener, void* data) {
        zwlr_data_control_offer_v1_add_listener(offer, listener, data);
    }
    static void Receive(Offer* offer, const char* type, int fd) {
        zwlr_data_control_offer_v1_receive(offer, type, fd);
    }
    static void Destroy(Offer* offer) { zwlr_data_control_offer_v1_destroy(offer); }
};

// One seat's selections on one connection, from binding to the end of the watching.
template <typename P> class TSession {
public:
    TSession(wl_display* display, int stopDescriptor, const ISelectionWatcher& watcher,
             const ISelectionWatcher::TReport& report)
        : FDisplay(display), FStop(stopDescriptor), FWatcher(watcher), FReport(report) {}

    void Run(wl_registry* registry, uint32_t managerName, uint32_t managerVersion,
             uint32_t seatName) {
        auto* manager = static_cast<typename P::Manager*>(wl_registry_bind(
            registry, managerName, P::ManagerInterface(), std::min(managerVersion, P::MaxVersion)));
        auto* seat =
            static_cast<wl_seat*>(wl_registry_bind(registry, seatName, &wl_seat_interface, 1));
        FDevice = P::GetDevice(manager, seat);
        P::Listen(FDevice, &DeviceEvents, this);
        // The device announces the selection standing now: that was not copied while we
        // watched.
        if (RoundtripWithin(FDisplay, FStop, SetupTimeoutMs)) {
            FChanges.TakeNext();
            Watch();
        }
        for (const auto& [offer, types] : FTypes)
            P::Destroy(offer);
        if (FDevice != nullptr)
            P::Destroy(FDevice);
        wl_seat_destroy(seat);
        P::Destroy(manager);
        wl_display_flush(FDisplay);
    }

private:
    void Watch() {
        while (FDevice != nullptr && !FStopped) {
            // Several changes dispatched at once: only the latest is still on offer. One made
            // while capture is off is taken all the same, never to be fetched later. A change
            // that came while a fetch failed or ran late waits already: it is fetched before
            // the next wait, which might otherwise last until another copy replaces it.
            if (FChanges.TakeNext()) {
                if (FWatcher.Fetching())
                    Fetch();
                continue;
            }
            if (DispatchEvents(FDisplay, FStop, -1) != TDispatch::Dispatched)
                return;
        }
    }

    void Fetch() {
        TSelectionChange change;
        const QStringList types =
            FSelection != nullptr ? OfferedImageTypes(FTypes[FSelection]) : QStringList();
        change.OffersImage = !types.isEmpty();
        // The first type that brings bytes is taken; a source that sends nothing for one (it
        // holds another) leads to the next. One deadline covers them all.
        QElapsedTimer elapsed;
        elapsed.start();
        std::optional<TPipeRead> read;
        for (const QString& type : types) {
            read = Receive(type, int(SelectionFetchDeadline.count() - elapsed.elapsed()));
            if (read->Status != TPipeReadStatus::Complete || !read->Bytes.isEmpty())
                break;
        }
        if (read && read->Status == TPipeReadStatus::Stopped) {
            FStopped = true;
            return;
        }
        if (read && read->Status == TPipeReadStatus::Complete && !read->Bytes.isEmpty()) {
            FChanges.Answered();
            change.Image = DecodeClipboardImage(read->Bytes);
        } else if (read && DispatchEvents(FDisplay, FStop, 0) == TDispatch::Dispatched &&
                   FChanges.Replaced()) {
            // A source replaced before it delivered is let go when the next copy takes over:
            // that is no failed transfer, and the next copy is fetched in its turn.
            return;
        }
        FReport(WithHash(std::move(change)));
    }

    // What the selection's source sends for `type`, within `timeoutMs`.
    TPipeRead Receive(const QString& type, int timeoutMs) {
        int pipeEnds[2];
        if (pipe2(pipeEnds, O_CLOEXEC) != 0)
            return {};
        // The request takes its own copy of the write end; ours must go, or the read never
        // sees the end of the data.
        P::Receive(FSelection, type.toUtf8().constData(), pipeEnds[1]);
        close(pipeEnds[1]);
        wl_display_flush(FDisplay);
        TPipeRead read = ReadPipeWithin(pipeEnds[0], FStop, timeoutMs, MaxClipboardBytes);
        close(pipeEnds[0]);
        return read;
    }

    // Destroys an offer that neither selection uses any more.
    void Drop(typename P::Offer* offer) {
        if (offer == nullptr || offer == FSelection || offer == FPrimary)
            return;
        FTypes.erase(offer);
        P::Destroy(offer);
    }

    static void OnDataOffer(void* data, typename P::Device*, typename P::Offer* offer) {
        auto* self = static_cast<TSession*>(data);
        self->FTypes[offer];
        P::Listen(offer, &OfferEvents, self);
    }
    static void OnSelection(void* data, typename P::Device*, typename P::Offer* offer) {
        auto* self = static_cast<TSession*>(data);
        typename P::Offer* previous = self->FSelection;
        self->FSelection = offer;
        self->Drop(previous);
        ++self->FSerial;
        self->FChanges.Noticed({offer != nullptr ? self->FSerial : 0, self->FSerial});
    }
    static void OnFinished(void* data, typename P::Device* device) {
        auto* self = static_cast<TSession*>(data);
        P::Destroy(device);
        self->FDevice = nullptr;
    }
    // The primary selection (what is merely marked) is no copy: its offers are only let go.
    static void OnPrimarySelection(void* data, typename P::Device*, typename P::Offer* offer) {
        auto* self = static_cast<TSession*>(data);
        typename P::Offer* previous = self->FPrimary;
        self->FPrimary = offer;
        self->Drop(previous);
    }
    static void OnOffer(void* data, typename P::Offer* offer, const char* type) {
        static_cast<TSession*>(data)->FTypes[offer].append(QString::fromUtf8(type));
    }

    static constexpr typename P::DeviceListener DeviceEvents{OnDataOffer, OnSelection, OnFinished,
                                                             OnPrimarySelection};
    static constexpr typename P::OfferListener OfferEvents{OnOffer};

    wl_display* FDisplay;
    int FStop;
    const ISelectionWatcher& FWatcher;
    const ISelectionWatcher::TReport& FReport;
    typename P::Device* FDevice = nullptr;
    typename P::Offer* FSelection = nullptr;
    typename P::Offer* FPrimary = nullptr;
    std::map<typename P::Offer*, QStringList> FTypes;
    TSelectionChanges FChanges;
    quint32 FSerial = 0; // numbers the selections as announced
    bool FStopped = false;
};

} // namespace

struct TDataControlWatcher::TState {
    TReport Report;
    const ISelectionWatcher* Watcher = nullptr;
    int Wake[2] = {-1, -1};
    std::thread Thread;

    void Run() {
        wl_display* display = wl_display_connect(nullptr);
        if (display == nullptr)
            return;
        TGlobals globals;
        wl_registry* registry = wl_display_get_registry(display);
        wl_registry_add_listener(registry, &RegistryListener, &globals);
        if (RoundtripWithin(display, Wake[0], SetupTimeoutMs) && globals.Seat != 0) {
            // The standard protocol where offered; the wlroots one otherwise.
            if (globals.ExtManager != 0)
                TSession<TExtProtocol>(display, Wake[0], *Watcher, Report)
                    .Run(registry, globals.ExtManager, globals.ExtVersion, globals.Seat);
            else if (globals.WlrManager != 0)
                TSession<TWlrProtocol>(display, Wake[0], *Watcher, Report)
                    .Run(registry, globals.WlrManager, globals.WlrVersion, globals.Seat);
        }
        wl_registry_destroy(registry);
        wl_display_disconnect(display);
    }
};

TDataControlWatcher::TDataControlWatcher(TReport report) : FState(std::make_unique<TState>()) {
    FState->Report = std::move(report);
    FState->Watcher = this;
}

TDataControlWatcher::~TDataControlWatcher() {
    if (FState->Thread.joinable()) {
        const char stop = 1;
        while (write(FState->Wake[1], &stop, 1) < 0 && errno == EINTR) {
        }
        FState->Thread.join();
    }
    for (int end : FState->Wake)
        if (end >= 0)
            close(end);
}

bool TDataControlWatcher::Start() {
    if (FState->Thread.joinable())
        return true;
    if (pipe2(FState->Wake, O_CLOEXEC) != 0)
        return false;
    FState->Thread = std::thread([state = FState.get()] {
        // Named for whoever looks at the program's threads (top -H, a debugger).
        pthread_setname_np(pthread_self(), "wayland watcher");
        state->Run();
    });
    return true;
}

TDataControlProbe ProbeDataControl() {
    TDataControlProbe probe;
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        return probe;
    probe.Reachable = true;
    TGlobals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &RegistryListener, &globals);
    if (RoundtripWithin(display, -1, SetupTimeoutMs))
        probe.DataControl =
            globals.Seat != 0 && (globals.ExtManager != 0 || globals.WlrManager != 0);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return probe;
}

#include "platform/clipboard/xcbselectionwatcher.h"

#include "platform/clipboard/clipboarddecode.h"
#include "platform/clipboard/picturehash.h"
#include "platform/clipboard/selectionchanges.h"

#include <QHash>
#include <QList>
#include <QThreadPool>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace {

using TClock = std::chrono::steady_clock;

// More offered types than any real owner has; a longer list is refused.
constexpr qint64 MaxTargetBytes = 1024 * 4;
// Properties are read in pieces of this many 32-bit units.
constexpr uint32_t ReadWords = 1u << 20;
// Fetched bytes that may wait for decoding; beyond it the next fetch waits, so an owner that
// changes the clipboard faster than we decode cannot heap up memory.
constexpr qint64 DecodeBacklogBytes = 256 * 1024 * 1024;

struct TFree {
    void operator()(void* memory) const { std::free(memory); }
};
template <typename T> using TOwned = std::unique_ptr<T, TFree>;

// How an owner answered a request for one type.
enum class TAnswer { None, Refused, Agreed };

xcb_atom_t Intern(xcb_connection_t* connection, const char* name) {
    const auto cookie = xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name);
    TOwned<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

struct TXcbSelectionWatcher::TState {
    TReport Report;
    qint64 ByteCap = MaxClipboardBytes; // the most one picture's transfer may bring
    const ISelectionWatcher* Watcher = nullptr;
    xcb_connection_t* Connection = nullptr;
    xcb_window_t Root = 0;
    xcb_window_t Listener = 0;  // receives the change notices
    xcb_window_t Requestor = 0; // one per fetch, so a late owner cannot write into the next one
    uint8_t XFixesEvent = 0;
    xcb_atom_t Clipboard = 0, Targets = 0, Incr = 0, Property = 0;
    xcb_atom_t Preferred = 0; // the type we like best
    int Wake[2] = {-1, -1};
    std::atomic<bool> Stopping{false};
    std::thread Thread;
    TSelectionChanges Changes;
    QHash<xcb_atom_t, QString> Names;
    // Decoding runs beside the fetching, one picture after the other, so changes that come
    // quickly are fetched while the previous one decodes, and arrive in order.
    QThreadPool Decoder;
    std::mutex BacklogLock;
    std::condition_variable BacklogShrank;
    qint64 Backlog = 0; // bytes handed to the decoder and not yet decoded

    TState() { Decoder.setMaxThreadCount(1); }
    ~TState() {
        if (Connection != nullptr)
            xcb_disconnect(Connection);
        for (int fd : Wake)
            if (fd >= 0)
                close(fd);
    }

    bool Connect();
    void Run();
    TOwned<xcb_generic_event_t> NextEvent(std::optional<TClock::time_point> deadline);
    bool Notice(const xcb_generic_event_t& event);
    TOwned<xcb_generic_event_t> NextOfFetch(TClock::time_point deadline, uint8_t type);
    void FetchAndDeliver(const TSelectionOwnership& change);
    std::optional<QByteArray> Fetch(const TSelectionOwnership& change, TClock::time_point deadline,
                                    QString& type);
    void Decode(std::optional<QByteArray> bytes, const QString& type);
    void WaitForDecoder();
    std::optional<QByteArray> Convert(xcb_atom_t target, xcb_timestamp_t time,
                                      TClock::time_point deadline, bool data, qint64 cap,
                                      TAnswer* answer = nullptr);
    std::optional<QByteArray> ReadProperty(const xcb_get_property_reply_t& head,
                                           TClock::time_point deadline, qint64 cap);
    std::optional<QByteArray> ReadIncrementally(TClock::time_point deadline, qint64 cap);
    TOwned<xcb_get_property_reply_t> GetProperty(bool remove, uint32_t offset, uint32_t words);
    QStringList AtomNames(const QList<xcb_atom_t>& atoms);
};

namespace {

// The first event number of XFixes on `connection`, once the version we speak is announced (the
// extension answers no other client); nothing without it.
std::optional<uint8_t> StartXFixes(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (xfixes == nullptr || !xfixes->present)
        return std::nullopt;
    TOwned<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
        connection, xcb_xfixes_query_version(connection, 5, 0), nullptr));
    if (!version)
        return std::nullopt;
    return xfixes->first_event;
}

} // namespace

TX11Probe ProbeX11() {
    TX11Probe probe;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    probe.Reachable = !xcb_connection_has_error(connection);
    probe.XFixes = probe.Reachable && StartXFixes(connection).has_value();
    xcb_disconnect(connection);
    return probe;
}

bool TXcbSelectionWatcher::TState::Connect() {
    int screenNumber = 0;
    Connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(Connection))
        return false;
    const std::optional<uint8_t> xfixesEvent = StartXFixes(Connection);
    if (!xfixesEvent)
        return false;
    XFixesEvent = *xfixesEvent;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(Connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0)
        return false;
    Root = screens.data->root;
    Clipboard = Intern(Connection, "CLIPBOARD");
    Targets = Intern(Connection, "TARGETS");
    Incr = Intern(Connection, "INCR");
    Property = Intern(Connection, "SNAPVAULT_CLIPBOARD");
    Preferred = Intern(Connection, DecodableImageTypes().first().toLatin1().constData());
    Listener = xcb_generate_id(Connection);
    xcb_create_window(Connection, XCB_COPY_FROM_PARENT, Listener, Root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_xfixes_select_selection_input(Connection, Listener, Clipboard,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(Connection);
    return Clipboard != XCB_ATOM_NONE && pipe2(Wake, O_CLOEXEC | O_NONBLOCK) == 0;
}

void TXcbSelectionWatcher::TState::Run() {
    while (!Stopping) {
        if (const auto change = Changes.TakeNext()) {
            // A change made while capture is off is taken all the same, so that it is never
            // fetched once capture is back on.
            if (Watcher->Fetching())
                FetchAndDeliver(*change);
            continue;
        }
        const auto event = NextEvent(std::nullopt);
        if (!event) {
            if (!Stopping && xcb_connection_has_error(Connection))
                std::fprintf(stderr, "snapvault: lost the X connection; the clipboard is no "
                                     "longer watched\n");
            return;
        }
        Notice(*event);
    }
}

TOwned<xcb_generic_event_t>
TXcbSelectionWatcher::TState::NextEvent(std::optional<TClock::time_point> deadline) {
    for (;;) {
        if (Stopping)
            return nullptr;
        if (xcb_generic_event_t* event = xcb_poll_for_event(Connection))
            return TOwned<xcb_generic_event_t>(event);
        if (xcb_connection_has_error(Connection))
            return nullptr;
        int timeout = -1;
        if (deadline) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(*deadline - TClock::now()).count();
            if (left <= 0)
                return nullptr;
            timeout = int(left);
        }
        pollfd waits[] = {{xcb_get_file_descriptor(Connection), POLLIN, 0}, {Wake[0], POLLIN, 0}};
        poll(waits, 2, timeout);
    }
}

// Records a change notice; true when the event was one.
bool TXcbSelectionWatcher::TState::Notice(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7f) != XFixesEvent + XCB_XFIXES_SELECTION_NOTIFY)
        return false;
    const auto& notice = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
    if (notice.selection != Clipboard)
        return true;
    TSelectionOwnership ownership;
    if (notice.subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER)
        ownership.Owner = notice.owner;
    ownership.Since = notice.selection_timestamp;
    Changes.Noticed(ownership);
    return true;
}

// The next event of `type` for a fetch, noting change notices on the way; none at the deadline,
// when stopping, or once the change being fetched was replaced (what came back would be dropped).
TOwned<xcb_generic_event_t> TXcbSelectionWatcher::TState::NextOfFetch(TClock::time_point deadline,
                                                                      uint8_t type) {
    while (auto event = NextEvent(deadline)) {
        const bool notice = Notice(*event);
        if (Changes.Replaced())
            return nullptr;
        if (!notice && (event->response_type & 0x7f) == type)
            return event;
    }
    return nullptr;
}

void TXcbSelectionWatcher::TState::FetchAndDeliver(const TSelectionOwnership& change) {
    WaitForDecoder();
    Requestor = xcb_generate_id(Connection);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(Connection, XCB_COPY_FROM_PARENT, Requestor, Root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &events);
    QString type;
    std::optional<QByteArray> bytes = Fetch(change, TClock::now() + SelectionFetchDeadline, type);
    xcb_destroy_window(Connection, Requestor);
    xcb_flush(Connection);
    // A change replaced before its owner could answer is gone; what came back may belong to
    // the next owner, whose own notice is waiting.
    if (Stopping || Changes.Replaced())
        return;
    Decode(std::move(bytes), type);
}

// The bytes of the first offered picture type that brings any, with that type; nothing, and no
// type, when no type we decode is offered; nothing with the type when the transfer failed.
std::optional<QByteArray> TXcbSelectionWatcher::TState::Fetch(const TSelectionOwnership& change,
                                                              TClock::time_point deadline,
                                                              QString& type) {
    // Whether the owner's answer for `target` ends the fetch: bytes, a transfer that failed on
    // the way, or no answer at all. A refusal or an empty answer leads to the next type.
    std::optional<QByteArray> bytes;
    TAnswer answer = TAnswer::None;
    const auto settled = [&](xcb_atom_t target) {
        answer = TAnswer::None;
        bytes = Convert(target, change.Since, deadline, true, ByteCap, &answer);
        return answer == TAnswer::None ||
               (answer == TAnswer::Agreed && (!bytes || !bytes->isEmpty()));
    };
    // The type we like best is asked for straight away: the owner answers once instead of
    // twice, and copies that come quickly are read before the next one replaces them. An owner
    // that holds one type answers with that: the bytes tell what they are. One that does not
    // answer at all may not have offered a picture.
    const bool taken = settled(Preferred);
    if (answer == TAnswer::Agreed)
        type = DecodableImageTypes().first();
    if (taken)
        return bytes;
    // An owner that cannot list its types offers nothing else we could take as a picture.
    const auto list = Convert(Targets, change.Since, deadline, false, MaxTargetBytes);
    if (!list)
        return std::nullopt;
    QList<xcb_atom_t> atoms;
    for (qsizetype at = 0; at + 4 <= list->size(); at += 4)
        atoms << *reinterpret_cast<const uint32_t*>(list->constData() + at);
    const QStringList names = AtomNames(atoms);
    for (const QString& next : OfferedImageTypes(names)) {
        const xcb_atom_t atom = atoms[names.indexOf(next)];
        type = next;
        if (atom != Preferred && settled(atom))
            return bytes;
    }
    return std::nullopt;
}

// Failed transfers take the same way as pictures, so that every change arrives in order.
void TXcbSelectionWatcher::TState::Decode(std::optional<QByteArray> bytes, const QString& type) {
    const qint64 size = bytes ? bytes->size() : 0;
    {
        std::lock_guard lock(BacklogLock);
        Backlog += size;
    }
    Decoder.start([this, bytes = std::move(bytes), type, size] {
        TSelectionChange change;
        change.OffersImage = !type.isEmpty();
        if (bytes)
            change.Image = DecodeClipboardImage(*bytes);
        {
            std::lock_guard lock(BacklogLock);
            Backlog -= size;
        }
        BacklogShrank.notify_all();
        if (!Stopping)
            Report(WithHash(std::move(change)));
    });
}

void TXcbSelectionWatcher::TState::WaitForDecoder() {
    std::unique_lock lock(BacklogLock);
    BacklogShrank.wait(lock, [this] { return Stopping || Backlog < DecodeBacklogBytes; });
}

// The owner's data for `target`; nothing when it refused, did not answer in time, or sent more
// than `cap` bytes. `answer` tells whether it agreed to send.
std::optional<QByteArray> TXcbSelectionWatcher::TState::Convert(xcb_atom_t target,
                                                                xcb_timestamp_t time,
                                                                TClock::time_point deadline,
                                                                bool data, qint64 cap,
                                                                TAnswer* answer) {
    xcb_convert_selection(Connection, Requestor, Clipboard, target, Property, time);
    xcb_flush(Connection);
    while (const auto event = NextOfFetch(deadline, XCB_SELECTION_NOTIFY)) {
        const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(*event);
        // Only the answer to this very request: an owner may answer an earlier request of this
        // fetch twice, or late, and that answer would be taken for this one.
        if (notify.requestor != Requestor || notify.selection != Clipboard ||
            notify.target != target || notify.time != time ||
            (notify.property != Property && notify.property != XCB_ATOM_NONE))
            continue;
        const bool agreed = notify.property != XCB_ATOM_NONE;
        if (answer != nullptr)
            *answer = agreed ? TAnswer::Agreed : TAnswer::Refused;
        const auto head = agreed ? GetProperty(false, 0, 0) : nullptr;
        if (!head)
            return std::nullopt;
        // Only an agreement to send the picture ties what comes back to this change; after a
        // refusal, or an answer that holds nothing, the next request may be answered for a
        // newer copy.
        if (data && (head->type == Incr || head->bytes_after > 0))
            Changes.Answered();
        return ReadProperty(*head, deadline, cap);
    }
    return std::nullopt;
}

TOwned<xcb_get_property_reply_t>
TXcbSelectionWatcher::TState::GetProperty(bool remove, uint32_t offset, uint32_t words) {
    return TOwned<xcb_get_property_reply_t>(
        xcb_get_property_reply(Connection,
                               xcb_get_property(Connection, remove, Requestor, Property,
                                                XCB_GET_PROPERTY_TYPE_ANY, offset, words),
                               nullptr));
}

std::optional<QByteArray>
TXcbSelectionWatcher::TState::ReadProperty(const xcb_get_property_reply_t& head,
                                           TClock::time_point deadline, qint64 cap) {
    if (head.type == Incr)
        return ReadIncrementally(deadline, cap);
    if (head.bytes_after > cap)
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(head.bytes_after);
    for (uint32_t offset = 0;;) {
        const auto piece = GetProperty(false, offset, ReadWords);
        if (!piece)
            return std::nullopt;
        const int length = xcb_get_property_value_length(piece.get());
        bytes.append(static_cast<const char*>(xcb_get_property_value(piece.get())), length);
        if (piece->bytes_after == 0 || length == 0)
            break;
        // Only a property that grew while we read it can come here past the cap.
        if (bytes.size() > cap)
            return std::nullopt;
        offset += uint32_t(length) / 4;
    }
    xcb_delete_property(Connection, Requestor, Property);
    return bytes;
}

// The owner hands the data over in pieces: each time we delete the property, it writes the next
// one; an empty piece ends the transfer.
std::optional<QByteArray>
TXcbSelectionWatcher::TState::ReadIncrementally(TClock::time_point deadline, qint64 cap) {
    xcb_delete_property(Connection, Requestor, Property);
    xcb_flush(Connection);
    QByteArray bytes;
    while (const auto event = NextOfFetch(deadline, XCB_PROPERTY_NOTIFY)) {
        const auto& change = reinterpret_cast<const xcb_property_notify_event_t&>(*event);
        if (change.window != Requestor || change.atom != Property ||
            change.state != XCB_PROPERTY_NEW_VALUE)
            continue;
        // One unit more than the cap leaves: a piece that does not fit shows as data left over.
        const auto piece = GetProperty(true, 0, uint32_t((cap - bytes.size()) / 4 + 1));
        if (!piece || piece->bytes_after > 0)
            return std::nullopt;
        const int length = xcb_get_property_value_length(piece.get());
        if (length == 0)
            return bytes;
        if (bytes.size() + length > cap)
            return std::nullopt;
        bytes.append(static_cast<const char*>(xcb_get_property_value(piece.get())), length);
        xcb_flush(Connection);
    }
    return std::nullopt;
}

QStringList TXcbSelectionWatcher::TState::AtomNames(const QList<xcb_atom_t>& atoms) {
    // Owners may list names made up for the purpose; the memory of them stays small.
    if (Names.size() > 4096)
        Names.clear();
    QList<std::pair<xcb_atom_t, xcb_get_atom_name_cookie_t>> asked;
    for (xcb_atom_t atom : atoms)
        if (!Names.contains(atom))
            asked.append({atom, xcb_get_atom_name(Connection, atom)});
    for (const auto& [atom, cookie] : asked) {
        TOwned<xcb_get_atom_name_reply_t> reply(
            xcb_get_atom_name_reply(Connection, cookie, nullptr));
        Names.insert(atom, reply ? QString::fromLatin1(xcb_get_atom_name_name(reply.get()),
                                                       xcb_get_atom_name_name_length(reply.get()))
                                 : QString());
    }
    QStringList names;
    for (xcb_atom_t atom : atoms)
        names << Names.value(atom);
    return names;
}

TXcbSelectionWatcher::TXcbSelectionWatcher(TReport report, qint64 byteCap)
    : F(std::make_unique<TState>()) {
    F->Report = std::move(report);
    F->ByteCap = byteCap;
    F->Watcher = this;
}

TXcbSelectionWatcher::~TXcbSelectionWatcher() {
    if (F->Thread.joinable()) {
        F->Stopping = true;
        { std::lock_guard lock(F->BacklogLock); }
        F->BacklogShrank.notify_all();
        const char wake = 1;
        [[maybe_unused]] const auto written = write(F->Wake[1], &wake, 1);
        F->Thread.join();
    }
    // A decoding task past its stop check may still report: it finishes before the report goes.
    F->Decoder.clear();
    F->Decoder.waitForDone();
}

bool TXcbSelectionWatcher::Start() {
    if (F->Thread.joinable())
        return true;
    if (!F->Connect())
        return false;
    F->Thread = std::thread([state = F.get()] {
        // Named for whoever looks at the program's threads (top -H, a debugger).
        pthread_setname_np(pthread_self(), "x11 watcher");
        state->Run();
    });
    return true;
}

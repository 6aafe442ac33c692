// A clipboard owner for the end-to-end tests. It takes the CLIPBOARD selection for each content
// given, one after the other, and serves it as a naive owner does: whatever it holds at the
// moment, whatever time the request names. It can also stall, handing a transfer over one byte
// at a time, or in pieces of a given size. With --next-on-refusal it takes the next content the
// moment it has refused a request for data. With --answer-twice it answers every request twice.
//
//   clipboard_owner [--interval MS] [--stall MS] [--piece BYTES] [--next-on-refusal]
//                   [--answer-twice] CONTENT...
//   CONTENT: TYPE=FILE[,TYPE=FILE...]
//
// Prints "owned N" once it holds the N-th content (from 1) and runs until it is killed.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

struct TOffer {
    xcb_atom_t Type = 0;
    std::string Data;
};
using TContent = std::vector<TOffer>;

// A transfer in pieces: the next piece goes out when the requestor has deleted the last one.
struct TTransfer {
    xcb_window_t Requestor = 0;
    xcb_atom_t Property = 0;
    xcb_atom_t Type = 0;
    std::string Data;
    size_t Sent = 0;
    bool Deleted = false; // the requestor took the last piece
    TClock::time_point Due;
    bool Finished = false;
};

xcb_connection_t* Connection = nullptr;

xcb_atom_t Intern(const std::string& name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        Connection, xcb_intern_atom(Connection, 0, uint16_t(name.size()), name.c_str()), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return atom;
}

bool ReadFile(const std::string& path, std::string& data) {
    std::ifstream file(path, std::ios::binary);
    data.assign(std::istreambuf_iterator<char>(file), {});
    return bool(file) || file.eof();
}

void Notify(const xcb_selection_request_event_t& request, xcb_atom_t property) {
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = property;
    xcb_send_event(Connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&notify));
}

} // namespace

int main(int argc, char** argv) {
    int intervalMs = 0;
    int stallMs = 0;
    bool nextOnRefusal = false, answerTwice = false;
    size_t pieceBytes = 0;
    std::vector<std::string> contentArguments;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--next-on-refusal")
            nextOnRefusal = true;
        else if (argument == "--answer-twice")
            answerTwice = true;
        else if (argument == "--piece" && i + 1 < argc)
            pieceBytes = size_t(std::atol(argv[++i]));
        else if (argument == "--interval" && i + 1 < argc)
            intervalMs = std::atoi(argv[++i]);
        else if (argument == "--stall" && i + 1 < argc)
            stallMs = std::atoi(argv[++i]);
        else
            contentArguments.push_back(argument);
    }
    if (contentArguments.empty()) {
        std::fprintf(stderr, "usage: clipboard_owner [--interval MS] [--stall MS] "
                             "TYPE=FILE[,TYPE=FILE...]...\n");
        return 2;
    }
    int screenNumber = 0;
    Connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(Connection)) {
        std::fprintf(stderr, "clipboard_owner: no display\n");
        return 1;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(Connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t window = xcb_generate_id(Connection);
    xcb_create_window(Connection, XCB_COPY_FROM_PARENT, window, screens.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t clipboard = Intern("CLIPBOARD");
    const xcb_atom_t targets = Intern("TARGETS");
    const xcb_atom_t incr = Intern("INCR");

    std::vector<TContent> contents;
    for (const std::string& argument : contentArguments) {
        TContent content;
        std::stringstream offers(argument);
        for (std::string offer; std::getline(offers, offer, ',');) {
            const size_t equals = offer.find('=');
            TOffer served;
            served.Type = Intern(offer.substr(0, equals));
            if (equals == std::string::npos || !ReadFile(offer.substr(equals + 1), served.Data)) {
                std::fprintf(stderr, "clipboard_owner: cannot read %s\n", offer.c_str());
                return 1;
            }
            content.push_back(std::move(served));
        }
        contents.push_back(std::move(content));
    }
    // Stalling sends one byte a piece; otherwise pieces as large as common owners use.
    const size_t pieceSize = pieceBytes > 0 ? pieceBytes : stallMs > 0 ? 1 : 256 * 1024;

    size_t current = 0;
    auto takeOwnership = [&] {
        xcb_set_selection_owner(Connection, window, clipboard, XCB_CURRENT_TIME);
        xcb_flush(Connection);
        std::printf("owned %zu\n", current + 1);
        std::fflush(stdout);
    };
    takeOwnership();
    TClock::time_point nextChange = TClock::now() + std::chrono::milliseconds(intervalMs);
    std::vector<TTransfer> transfers;

    auto sendPiece = [&](TTransfer& transfer) {
        const size_t length = std::min(pieceSize, transfer.Data.size() - transfer.Sent);
        xcb_change_property(Connection, XCB_PROP_MODE_REPLACE, transfer.Requestor,
                            transfer.Property, transfer.Type, 8, uint32_t(length),
                            transfer.Data.data() + transfer.Sent);
        transfer.Sent += length;
        transfer.Deleted = false;
        transfer.Finished = length == 0;
    };

    for (;;) {
        int timeout = -1;
        const TClock::time_point now = TClock::now();
        auto until = [&](TClock::time_point due) {
            const int ms = int(std::max<long long>(
                0, std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count()));
            timeout = timeout < 0 ? ms : std::min(timeout, ms);
        };
        if (current + 1 < contents.size())
            until(nextChange);
        for (const TTransfer& transfer : transfers)
            if (transfer.Deleted && !transfer.Finished)
                until(transfer.Due);
        pollfd wait{xcb_get_file_descriptor(Connection), POLLIN, 0};
        poll(&wait, 1, timeout);

        while (xcb_generic_event_t* event = xcb_poll_for_event(Connection)) {
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_SELECTION_REQUEST) {
                const auto& request = *reinterpret_cast<xcb_selection_request_event_t*>(event);
                const xcb_atom_t property =
                    request.property != XCB_ATOM_NONE ? request.property : request.target;
                const TContent& content = contents[current];
                xcb_atom_t answered = XCB_ATOM_NONE;
                if (request.target == targets) {
                    std::vector<xcb_atom_t> list{targets};
                    for (const TOffer& offer : content)
                        list.push_back(offer.Type);
                    xcb_change_property(Connection, XCB_PROP_MODE_REPLACE, request.requestor,
                                        property, XCB_ATOM_ATOM, 32, uint32_t(list.size()),
                                        list.data());
                    answered = property;
                    std::printf("asked for the types\n");
                    std::fflush(stdout);
                }
                for (const TOffer& offer : content) {
                    if (offer.Type != request.target || answered != XCB_ATOM_NONE)
                        continue;
                    answered = property;
                    if (offer.Data.size() <= pieceSize) {
                        xcb_change_property(Connection, XCB_PROP_MODE_REPLACE, request.requestor,
                                            property, offer.Type, 8, uint32_t(offer.Data.size()),
                                            offer.Data.data());
                        continue;
                    }
                    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
                    xcb_change_window_attributes(Connection, request.requestor, XCB_CW_EVENT_MASK,
                                                 &events);
                    const uint32_t size = uint32_t(offer.Data.size());
                    xcb_change_property(Connection, XCB_PROP_MODE_REPLACE, request.requestor,
                                        property, incr, 32, 1, &size);
                    TTransfer transfer;
                    transfer.Requestor = request.requestor;
                    transfer.Property = property;
                    transfer.Type = offer.Type;
                    transfer.Data = offer.Data;
                    transfers.push_back(std::move(transfer));
                }
                for (int times = answerTwice ? 2 : 1; times > 0; --times)
                    Notify(request, answered);
                if (answered == XCB_ATOM_NONE && nextOnRefusal && current + 1 < contents.size()) {
                    // The server's clock counts milliseconds: a new ownership in the same one
                    // would look like the same ownership announced twice.
                    xcb_flush(Connection);
                    poll(nullptr, 0, 2);
                    ++current;
                    takeOwnership();
                }
            } else if (type == XCB_PROPERTY_NOTIFY) {
                const auto& change = *reinterpret_cast<xcb_property_notify_event_t*>(event);
                for (TTransfer& transfer : transfers) {
                    if (transfer.Requestor != change.window || transfer.Property != change.atom ||
                        change.state != XCB_PROPERTY_DELETE || transfer.Finished)
                        continue;
                    transfer.Deleted = true;
                    transfer.Due = TClock::now() + std::chrono::milliseconds(stallMs);
                }
            }
            free(event);
        }
        if (xcb_connection_has_error(Connection))
            return 1;
        for (TTransfer& transfer : transfers)
            if (transfer.Deleted && !transfer.Finished && TClock::now() >= transfer.Due)
                sendPiece(transfer);
        std::erase_if(transfers, [](const TTransfer& transfer) { return transfer.Finished; });
        if (current + 1 < contents.size() && TClock::now() >= nextChange) {
            ++current;
            takeOwnership();
            // Never closer than asked, even when this program was held up.
            nextChange = TClock::now() + std::chrono::milliseconds(intervalMs);
        }
        xcb_flush(Connection);
    }
}

#include "platform/terminationsignals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> Handled = {SIGTERM, SIGHUP, SIGINT};

// The pipe from the signal handler to the event loop: the handler may do hardly anything but
// write(). Read end first.
int Pipe[2] = {-1, -1};
// How the signals were handled before.
std::array<struct sigaction, Handled.size()> Previous{};

void OnSignal(int signalNumber) {
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds requests enough: the byte may be dropped.
    [[maybe_unused]] const ssize_t written = ::write(Pipe[1], &number, 1);
    errno = savedErrno;
}

} // namespace

TTerminationSignals::TTerminationSignals(QObject* parent) : QObject(parent) {
    if (Pipe[0] >= 0 || ::pipe2(Pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    FNotifier = std::make_unique<QSocketNotifier>(Pipe[0], QSocketNotifier::Read);
    connect(FNotifier.get(), &QSocketNotifier::activated, this, &TTerminationSignals::Drain);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls go on: the rest of the program is not written for EINTR.
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < Handled.size(); ++i)
        ::sigaction(Handled[i], &action, &Previous[i]);
    FInstalled = true;
}

TTerminationSignals::~TTerminationSignals() {
    if (!FInstalled)
        return;
    for (std::size_t i = 0; i < Handled.size(); ++i)
        ::sigaction(Handled[i], &Previous[i], nullptr);
    FNotifier.reset();
    ::close(Pipe[0]);
    ::close(Pipe[1]);
    Pipe[0] = Pipe[1] = -1;
}

void TTerminationSignals::Drain() {
    unsigned char numbers[64];
    ssize_t count;
    while ((count = ::read(Pipe[0], numbers, sizeof numbers)) > 0)
        for (ssize_t i = 0; i < count; ++i)
            emit Requested(numbers[i]);
}

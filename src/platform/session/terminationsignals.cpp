#include "platform/session/terminationsignals.h"

#include <QSocketNotifier>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> Handled = {SIGTERM, SIGHUP, SIGINT};

// The pipe from the signal handler to the event loop: the handler may do hardly anything but
// write(). Read end first. Made once and never closed: a handler running on another thread
// at any moment may still be writing to it, and a closed number may by then be another file.
int Pipe[2] = {-1, -1};
// How the signals were handled before.
std::array<struct sigaction, Handled.size()> Previous{};
// Which signals are taken over: one ignored when the program started (nohup) stays ignored.
std::array<bool, Handled.size()> Taken{};
// Whether an end was asked for already, and whether an object handles the signals now.
std::atomic<bool> EndRequested = false;
static_assert(std::atomic<bool>::is_always_lock_free, "used in a signal handler");
bool Active = false;

bool MakePipe() {
    static const bool made = ::pipe2(Pipe, O_CLOEXEC | O_NONBLOCK) == 0;
    return made;
}

void OnSignal(int signalNumber) {
    const int savedErrno = errno;
    // Asked again while the orderly end runs (a save that hangs, a box nobody answers): the
    // signal does what it does by default. A hang-up is no such insistence: a closed terminal
    // and a logout send it beside the first request.
    if (EndRequested.exchange(true) && signalNumber != SIGHUP) {
        ::signal(signalNumber, SIG_DFL);
        ::raise(signalNumber);
    }
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds requests enough: the byte may be dropped.
    [[maybe_unused]] const ssize_t written = ::write(Pipe[1], &number, 1);
    errno = savedErrno;
}

} // namespace

TTerminationSignals::TTerminationSignals(QObject* parent) : QObject(parent) {
    if (Active || !MakePipe())
        return;
    Active = true;
    EndRequested = false;
    // What an earlier object left unread was meant for it.
    unsigned char stale[64];
    while (::read(Pipe[0], stale, sizeof stale) > 0) {
    }
    FNotifier = std::make_unique<QSocketNotifier>(Pipe[0], QSocketNotifier::Read);
    connect(FNotifier.get(), &QSocketNotifier::activated, this, &TTerminationSignals::Drain);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls go on: the rest of the program is not written for EINTR.
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < Handled.size(); ++i) {
        ::sigaction(Handled[i], nullptr, &Previous[i]);
        Taken[i] = (Previous[i].sa_flags & SA_SIGINFO) != 0 || Previous[i].sa_handler != SIG_IGN;
        if (Taken[i])
            ::sigaction(Handled[i], &action, nullptr);
    }
    FInstalled = true;
}

TTerminationSignals::~TTerminationSignals() {
    if (!FInstalled)
        return;
    // Once an end was asked for, the program is on its way out: a hang-up that follows (a logout
    // sends it beside the kill) must not cut that way short and turn an orderly end into a
    // death by signal. A further kill or Ctrl+C still ends a program stuck after this.
    const bool ending = EndRequested.load();
    for (std::size_t i = 0; i < Handled.size(); ++i) {
        if (!Taken[i])
            continue;
        if (ending && Handled[i] == SIGHUP)
            ::signal(SIGHUP, SIG_IGN);
        else
            ::sigaction(Handled[i], &Previous[i], nullptr);
    }
    FNotifier.reset();
    Active = false;
}

void TTerminationSignals::Drain() {
    unsigned char numbers[64];
    ssize_t count;
    while ((count = ::read(Pipe[0], numbers, sizeof numbers)) > 0)
        for (ssize_t i = 0; i < count; ++i)
            emit Requested(numbers[i]);
}

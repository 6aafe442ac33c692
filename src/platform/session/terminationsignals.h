#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

// Turns the signals that ask a program to end (SIGTERM from a plain kill or the end of the login
// session, SIGHUP from a closed terminal, SIGINT from Ctrl+C) into a Qt signal on the thread that
// created it, so that the program can end the orderly way instead of dying where it stands.
// A signal ignored when the program started (SIGHUP under nohup) stays ignored. Once an end was
// asked for, a further SIGTERM or SIGINT kills the program the default way, whatever its orderly
// end waits for. One at a time per process; the signals' former handling comes back when it goes,
// so a program stuck after that can still be killed; only a hang-up stays ignored once an end was
// asked for.
class TTerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TTerminationSignals(QObject* parent = nullptr);
    ~TTerminationSignals() override;
    TTerminationSignals(const TTerminationSignals&) = delete;
    TTerminationSignals& operator=(const TTerminationSignals&) = delete;

    // False when the signals could not be taken over (they then keep their former handling).
    bool Installed() const { return FInstalled; }

signals:
    // Once per signal received; `signalNumber` says which.
    void Requested(int signalNumber);

private:
    void Drain();

    bool FInstalled = false;
    std::unique_ptr<QSocketNotifier> FNotifier;
};

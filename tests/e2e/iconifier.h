#pragma once

#include <QString>
#include <QtGlobal>

struct _XDisplay;

// Does to a window what a window manager does when the user minimises it (the test display has
// no window manager): marks it iconic and unmaps it. Also watches whether the program then
// withdraws the window, which takes it off every taskbar.
class TIconifier {
public:
    explicit TIconifier(const QString& display);
    ~TIconifier();
    TIconifier(const TIconifier&) = delete;
    TIconifier& operator=(const TIconifier&) = delete;

    bool Ok() const { return FDisplay != nullptr; }
    void Iconify(quint64 window);
    // Waits until the program maps `window` again, and marks it normal as a window manager
    // does.
    bool WaitForMapped(quint64 window, int timeoutMs);
    // Waits for the program's notice that it has withdrawn `window` (ICCCM 4.1.4).
    bool WaitForWithdrawn(quint64 window, int timeoutMs);

private:
    void SetState(quint64 window, long state);

    _XDisplay* FDisplay = nullptr;
};

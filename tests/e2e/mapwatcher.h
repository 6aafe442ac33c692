#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <memory>

struct xcb_connection_t;

// Records the size of every top-level window shown on a display from the moment it is created,
// from the X server's own notices: a window shown only for a moment is seen however slowly the
// test looks, unlike a poll.
class TMapWatcher {
public:
    explicit TMapWatcher(const QString& display);
    ~TMapWatcher();
    TMapWatcher(const TMapWatcher&) = delete;
    TMapWatcher& operator=(const TMapWatcher&) = delete;

    bool IsValid() const { return FConnection != nullptr; }
    // The sizes windows had while shown, in order, up to the notices received so far.
    QList<QSize> ShownSizes();

private:
    xcb_connection_t* FConnection = nullptr;
    struct TState;
    std::unique_ptr<TState> FState;
};

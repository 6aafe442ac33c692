#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// A top-level window as the X server sees it. Without a window manager there are no frames:
// the geometry is the client area on the screen.
struct TWindow {
    quint64 Id = 0;
    QString Name;
    QRect Geometry;
    qint64 Pid = 0; // of the client that owns it (_NET_WM_PID), 0 when not known

    QString Describe() const;
};

// Looks at and drives the windows of one display with xdotool, as a user would.
class TDesktopDriver {
public:
    explicit TDesktopDriver(QProcessEnvironment environment);

    // The mapped top-level windows, topmost last.
    QList<TWindow> VisibleWindows() const;
    // The mapped top-level windows of one process.
    QList<TWindow> WindowsOf(qint64 pid) const;
    // The mapped windows of one process that live inside another client's window (tray icons).
    QList<TWindow> EmbeddedWindowsOf(qint64 pid) const;
    // Polls until a mapped window satisfies `match`; the first such window.
    std::optional<TWindow> WaitForWindow(const std::function<bool(const TWindow&)>& match,
                                         int timeoutMs) const;
    // Polls until window `id` is no longer mapped.
    bool WaitForWindowGone(quint64 id, int timeoutMs) const;
    // The current title of a window (empty when it is gone).
    QString WindowName(quint64 id) const;
    bool WaitForWindowName(quint64 id, const QString& name, int timeoutMs) const;

    // Gives the keyboard focus to a window and waits until it has it.
    bool Focus(quint64 id) const;
    // Key presses in xdotool's names ("Return", "alt+a", "ctrl+a"), to the focused window.
    bool Keys(const QStringList& keys) const;
    // Types text into the focused window.
    bool Type(const QString& text) const;
    // Moves the pointer to a screen position.
    bool MoveTo(const QPoint& screenPos) const;
    // Moves the pointer to a screen position and clicks the left button.
    bool ClickAt(const QPoint& screenPos) const;
    // The same with another button (1 left, 2 middle, 3 right).
    bool ClickAt(const QPoint& screenPos, int button) const;
    // A picture of a window's client area (null when it cannot be taken).
    QImage WindowPicture(quint64 id) const;
    // Saves a picture of the whole screen.
    bool Screenshot(const QString& fileName) const;

    const QProcessEnvironment& Environment() const { return FEnvironment; }

private:
    std::optional<TWindow> Inspect(quint64 id) const;
    bool Xdotool(const QStringList& arguments, int timeoutMs = 10000) const;

    QProcessEnvironment FEnvironment;
};

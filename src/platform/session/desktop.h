#pragma once

#include <QPoint>
#include <QString>
#include <optional>

class QWidget;

// Desktop services: folder chooser, web pages, help pop-ups, window activation.
class IDesktop {
public:
    virtual ~IDesktop() = default;
    // The desktop's folder chooser; nothing when cancelled.
    virtual std::optional<QString> ChooseFolder(const QString& title, QWidget* owner) = 0;
    // Opens a web address; failures are ignored.
    virtual void OpenUrl(const QString& url) = 0;
    // Shows a help topic as a pop-up at a screen position.
    virtual void ShowHelpPopup(const QString& text, const QPoint& screenPos) = 0;
    // Shows a hidden or minimised window again, normal: nothing left from its minimised past
    // has the window manager minimise it anew.
    virtual void ShowNormal(QWidget* window);
    // Gives a window that has just been shown the focus, at the user's request: the window
    // manager also brings it back from being minimised.
    virtual void ActivateWindow(QWidget* window);
};

#pragma once

// platform/tray/: the icon in the desktop's notification area: our own StatusNotifierItem with its
// dbusmenu and D-Bus types, the toolkit's XEmbed icon, and the backend that switches between them
// as hosts come and go. Includes nothing of the program outside this room.

#include <QIcon>
#include <QObject>
#include <QString>

class QMenu;

// One icon in the desktop's notification area. The desktop decides how clicks reach us: a
// left click, a right click (whose menu the desktop opens itself, from the attached menu) and
// a double click.
class ITrayBackend : public QObject {
    Q_OBJECT
public:
    enum class TClick { Left, Right, Double };

    using QObject::QObject;
    ~ITrayBackend() override = default;

    // Whether the desktop has a notification area now.
    virtual bool Available() const = 0;
    // Whether the desktop has yet to tell whether it has one: it is asked and has not answered.
    // When it answers, AvailabilityChanged is told even where nothing has come.
    virtual bool Deciding() const { return false; }
    // Puts the icon into the notification area; false when there is none.
    virtual bool Show() = 0;
    virtual void Hide() = 0;
    virtual void SetIcon(const QIcon& icon) = 0;
    virtual void SetToolTip(const QString& text) = 0;
    // The menu the desktop opens on a right click; null for none. Not owned.
    virtual void SetMenu(QMenu* menu) = 0;
    // The leave to bring a window to the front that the desktop gave with its last click, once;
    // empty when it gave none.
    virtual QString TakeActivationToken() { return {}; }

signals:
    void Clicked(ITrayBackend::TClick click);
    // A notification area has come (a panel started) or gone.
    void AvailabilityChanged(bool available);
};

// Makes the notification-area icons; each belongs to its `owner`.
class ITrayHost {
public:
    virtual ~ITrayHost() = default;
    virtual ITrayBackend* CreateIcon(QObject* owner) = 0;
};

#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QStringList>

// A panel's watcher on the test's bus. Like KDE's with no panel running, it claims a host.
class TFakeWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
public:
    bool IsStatusNotifierHostRegistered() const { return ++Asked > 0; }
    mutable int Asked = 0;
    QStringList Items;  // each registration: sender and path
    int Unanswered = 0; // registrations still to leave without an answer

public slots:
    void RegisterStatusNotifierItem(const QString& path, const QDBusMessage& message) {
        Items << message.service() + path;
        if (Unanswered > 0) {
            --Unanswered;
            message.setDelayedReply(true);
        }
    }

signals:
    void StatusNotifierItemUnregistered(const QString& id);
};

#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QStringList>
#include <utility>

// A panel's watcher on the test's bus. Like KDE's with no panel running, it claims a host.
class TFakeWatcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
public:
    bool IsStatusNotifierHostRegistered() const { return ++Asked > 0 && ClaimsHost; }
    // Answers the registrations held back so far.
    void AnswerHeld() {
        for (const QDBusMessage& call : std::exchange(Held, {}))
            QDBusConnection(HeldOn).send(call.createReply());
    }
    mutable int Asked = 0;
    bool ClaimsHost = true;
    QStringList Items;  // each registration: sender and path
    int Unanswered = 0; // registrations still to leave without an answer
    bool Refuse = false;
    bool Hold = false; // registrations wait for AnswerHeld

public slots:
    void RegisterStatusNotifierItem(const QString& path, const QDBusMessage& message) {
        Items << message.service() + path;
        if (Refuse) {
            sendErrorReply(QDBusError::AccessDenied, QStringLiteral("not here"));
        } else if (Hold || Unanswered > 0) {
            Unanswered -= Unanswered > 0;
            message.setDelayedReply(true);
            if (Hold)
                Held << message, HeldOn = connection().name();
        }
    }

signals:
    void StatusNotifierItemUnregistered(const QString& id);
    void StatusNotifierHostRegistered();

private:
    QList<QDBusMessage> Held;
    QString HeldOn;
};

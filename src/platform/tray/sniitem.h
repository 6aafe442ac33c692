#pragma once

#include "platform/tray/dbustraytypes.h"

#include <QCoreApplication>
#include <QDBusObjectPath>
#include <QObject>
#include <QPoint>

#include <functional>

// The face of the tray icon on the bus, as org.kde.StatusNotifierItem: its properties, the clicks
// the panel reports, and the signals that tell the panel what changed.
class TSniItem : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ Category)
    Q_PROPERTY(QString Id READ Id)
    Q_PROPERTY(QString Title READ Title)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(int WindowId READ WindowId)
    Q_PROPERTY(QString IconName READ NoName)
    Q_PROPERTY(TSniPixmaps IconPixmap READ IconPixmap)
    Q_PROPERTY(QString IconAccessibleDesc READ Title)
    Q_PROPERTY(QString OverlayIconName READ NoName)
    Q_PROPERTY(TSniPixmaps OverlayIconPixmap READ NoPixmaps)
    Q_PROPERTY(QString AttentionIconName READ NoName)
    Q_PROPERTY(TSniPixmaps AttentionIconPixmap READ NoPixmaps)
    Q_PROPERTY(QString AttentionAccessibleDesc READ Title)
    Q_PROPERTY(TSniToolTip ToolTip READ ToolTip)
    Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ Menu)
public:
    using QObject::QObject;

    static QString Path() { return QStringLiteral("/StatusNotifierItem"); }
    static QString MenuPath() { return QStringLiteral("/MenuBar"); }

    QString Category() const { return QStringLiteral("ApplicationStatus"); }
    QString Id() const { return QCoreApplication::applicationName(); }
    QString Title() const { return QCoreApplication::applicationName(); }
    QString Status() const { return QStringLiteral("Active"); }
    int WindowId() const { return 0; }
    QString NoName() const { return {}; }
    TSniPixmaps IconPixmap() const { return Pixmaps; }
    TSniPixmaps NoPixmaps() const { return {}; }
    TSniToolTip ToolTip() const { return {{}, {}, ToolTipText, {}}; }
    bool ItemIsMenu() const { return false; }
    QDBusObjectPath Menu() const { return QDBusObjectPath(MenuPath()); }

    TSniPixmaps Pixmaps;
    QString ToolTipText;

    // What the panel's calls do; each slot's own signals would be exported with it.
    std::function<void()> OnActivate;
    std::function<void(QPoint)> OnContextMenu;
    std::function<void(const QString&)> OnActivationToken;

public slots:
    void Activate(int, int) { OnActivate(); }
    void SecondaryActivate(int, int) {}
    // Asked by panels that draw no menus: the menu opens where the panel says.
    void ContextMenu(int x, int y) { OnContextMenu(QPoint(x, y)); }
    void Scroll(int, const QString&) {}
    // The panel's leave to bring a window to the front, sent before an Activate.
    void ProvideXdgActivationToken(const QString& token) { OnActivationToken(token); }

signals:
    void NewTitle();
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString& status);
};

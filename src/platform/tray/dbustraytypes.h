#pragma once

#include <QDBusArgument>
#include <QList>
#include <QString>
#include <QVariantMap>

// The D-Bus types of a StatusNotifierItem and of its menu (com.canonical.dbusmenu).

// One image of an icon: ARGB32 pixels in network byte order.
struct TSniPixmap {
    int Width = 0;
    int Height = 0;
    QByteArray Pixels;
};
using TSniPixmaps = QList<TSniPixmap>;

struct TSniToolTip {
    QString IconName;
    TSniPixmaps Pixmaps;
    QString Title;
    QString Text;
};

// One menu item with its properties and, in a layout, its children (each a TMenuLayout in a
// variant).
struct TMenuLayout {
    int Id = 0;
    QVariantMap Properties;
    QVariantList Children;
};

struct TMenuItemProperties {
    int Id = 0;
    QVariantMap Properties;
};
using TMenuItemPropertiesList = QList<TMenuItemProperties>;

struct TMenuItemKeys {
    int Id = 0;
    QStringList Names;
};
using TMenuItemKeysList = QList<TMenuItemKeys>;

struct TMenuEvent {
    int Id = 0;
    QString EventId;
    QDBusVariant Data;
    uint Timestamp = 0;
};
using TMenuEventList = QList<TMenuEvent>;

Q_DECLARE_METATYPE(TSniPixmap)
Q_DECLARE_METATYPE(TSniToolTip)
Q_DECLARE_METATYPE(TMenuLayout)
Q_DECLARE_METATYPE(TMenuItemProperties)
Q_DECLARE_METATYPE(TMenuItemKeys)
Q_DECLARE_METATYPE(TMenuEvent)

QDBusArgument& operator<<(QDBusArgument& argument, const TSniPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, TSniPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const TSniToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument, TSniToolTip& toolTip);
QDBusArgument& operator<<(QDBusArgument& argument, const TMenuLayout& layout);
const QDBusArgument& operator>>(const QDBusArgument& argument, TMenuLayout& layout);
QDBusArgument& operator<<(QDBusArgument& argument, const TMenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, TMenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const TMenuItemKeys& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, TMenuItemKeys& item);
QDBusArgument& operator<<(QDBusArgument& argument, const TMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, TMenuEvent& event);

// Registers the types above with the D-Bus type system (once).
void RegisterTrayDBusTypes();

// The images of `icon` in the sizes it was made in, as a StatusNotifierItem sends them.
class QIcon;
TSniPixmaps SniPixmaps(const QIcon& icon);

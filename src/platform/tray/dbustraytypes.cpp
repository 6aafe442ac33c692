#include "platform/tray/dbustraytypes.h"

#include <QDBusMetaType>
#include <QIcon>
#include <QImage>
#include <QtEndian>

QDBusArgument& operator<<(QDBusArgument& argument, const TSniPixmap& pixmap) {
    argument.beginStructure();
    argument << pixmap.Width << pixmap.Height << pixmap.Pixels;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TSniPixmap& pixmap) {
    argument.beginStructure();
    argument >> pixmap.Width >> pixmap.Height >> pixmap.Pixels;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TSniToolTip& toolTip) {
    argument.beginStructure();
    argument << toolTip.IconName << toolTip.Pixmaps << toolTip.Title << toolTip.Text;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TSniToolTip& toolTip) {
    argument.beginStructure();
    argument >> toolTip.IconName >> toolTip.Pixmaps >> toolTip.Title >> toolTip.Text;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TMenuLayout& layout) {
    argument.beginStructure();
    argument << layout.Id << layout.Properties;
    argument.beginArray(qMetaTypeId<QDBusVariant>());
    for (const QVariant& child : layout.Children)
        argument << QDBusVariant(child);
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TMenuLayout& layout) {
    argument.beginStructure();
    argument >> layout.Id >> layout.Properties;
    argument.beginArray();
    layout.Children.clear();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        layout.Children.append(child.variant());
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TMenuItemProperties& item) {
    argument.beginStructure();
    argument << item.Id << item.Properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TMenuItemProperties& item) {
    argument.beginStructure();
    argument >> item.Id >> item.Properties;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TMenuItemKeys& item) {
    argument.beginStructure();
    argument << item.Id << item.Names;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TMenuItemKeys& item) {
    argument.beginStructure();
    argument >> item.Id >> item.Names;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const TMenuEvent& event) {
    argument.beginStructure();
    argument << event.Id << event.EventId << event.Data << event.Timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TMenuEvent& event) {
    argument.beginStructure();
    argument >> event.Id >> event.EventId >> event.Data >> event.Timestamp;
    argument.endStructure();
    return argument;
}

void RegisterTrayDBusTypes() {
    static const bool registered = [] {
        // QtDBus finds the type of an exported argument by the name the signature spells, so
        // each alias is known by its own name too: without that the menu's signals and slots
        // that take these lists are left off the bus.
        qRegisterMetaType<TSniPixmaps>("TSniPixmaps");
        qRegisterMetaType<TMenuItemPropertiesList>("TMenuItemPropertiesList");
        qRegisterMetaType<TMenuItemKeysList>("TMenuItemKeysList");
        qRegisterMetaType<TMenuEventList>("TMenuEventList");
        qDBusRegisterMetaType<TSniPixmap>();
        qDBusRegisterMetaType<TSniPixmaps>();
        qDBusRegisterMetaType<TSniToolTip>();
        qDBusRegisterMetaType<TMenuLayout>();
        qDBusRegisterMetaType<TMenuItemProperties>();
        qDBusRegisterMetaType<TMenuItemPropertiesList>();
        qDBusRegisterMetaType<TMenuItemKeys>();
        qDBusRegisterMetaType<TMenuItemKeysList>();
        qDBusRegisterMetaType<TMenuEvent>();
        qDBusRegisterMetaType<TMenuEventList>();
        return true;
    }();
    Q_UNUSED(registered);
}

TSniPixmaps SniPixmaps(const QIcon& icon) {
    TSniPixmaps pixmaps;
    // The sizes the icon was made in: the panel scales, and a pixmap made up here would only
    // be a blurred copy.
    QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty())
        sizes = {QSize(16, 16)};
    for (const QSize& size : sizes) {
        const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        if (image.isNull())
            continue;
        TSniPixmap pixmap{image.width(), image.height(), {}};
        pixmap.Pixels.resize(qsizetype(image.width()) * image.height() * 4);
        auto* out = reinterpret_cast<quint32*>(pixmap.Pixels.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x)
                *out++ = qToBigEndian(row[x]);
        }
        pixmaps.append(pixmap);
    }
    return pixmaps;
}

#pragma once

#include "platform/tray/dbustraytypes.h"

#include <QDBusContext>
#include <QDBusVariant>
#include <QHash>
#include <QObject>
#include <QPointer>

class QAction;
class QMenu;

// A QMenu as com.canonical.dbusmenu shows it to a panel that draws the menus of tray items
// itself: one level of items, each with its label (access key marked with "_"), enabled and
// visible state, and check mark. A click the panel reports triggers the action. A changed item
// is sent with its new values; items added or removed make a new layout.
class TDBusMenu : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ Version)
    Q_PROPERTY(QString TextDirection READ TextDirection)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(QStringList IconThemePath READ IconThemePath)
public:
    explicit TDBusMenu(QObject* parent);
    void SetMenu(QMenu* menu);
    QMenu* Menu() const { return FMenu; }

    uint Version() const { return 3; }
    QString TextDirection() const { return QStringLiteral("ltr"); }
    QString Status() const { return QStringLiteral("normal"); }
    QStringList IconThemePath() const { return {}; }

    // A label with the toolkit's access-key mark "&" as the menu protocol marks it ("_").
    static QString Label(const QString& text);

public slots:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   TMenuLayout& layout);
    TMenuItemPropertiesList GetGroupProperties(const QList<int>& ids,
                                               const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    QList<int> EventGroup(const TMenuEventList& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

signals:
    void ItemsPropertiesUpdated(const TMenuItemPropertiesList& updated,
                                const TMenuItemKeysList& removed);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Known(int id) const { return id == 0 || ActionOf(id) != nullptr; }
    QAction* ActionOf(int id) const;
    // Carries out a panel's event for an item; false when there is no such item.
    bool Dispatch(int id, const QString& eventId);
    QVariantMap PropertiesOf(int id, const QStringList& names) const;
    void ActionChanged(QAction* action);
    void LayoutChanged();
    // Answers the caller on the bus with an error instead of the slot's value.
    void Refuse(const QString& message);

    QPointer<QMenu> FMenu;
    // What the panel was last told of each item, to tell it only what changed.
    QHash<const QAction*, QVariantMap> FSent;
    uint FRevision = 1;
};

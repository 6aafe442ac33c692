#include "platform/tray/dbusmenu.h"

#include <QAction>
#include <QActionEvent>
#include <QMenu>
#include <QTimer>

TDBusMenu::TDBusMenu(QObject* parent) : QObject(parent) {
    RegisterTrayDBusTypes();
}

void TDBusMenu::SetMenu(QMenu* menu) {
    if (FMenu != nullptr)
        FMenu->removeEventFilter(this);
    FMenu = menu;
    // The menu tells of each action changed, added or removed, also of those added later.
    if (menu != nullptr)
        menu->installEventFilter(this);
    LayoutChanged();
}

bool TDBusMenu::eventFilter(QObject* watched, QEvent* event) {
    // The type first: the menu's own destructor sends it other events, when it is no menu any
    // more and the guarded pointer must not be looked at.
    const QEvent::Type type = event->type();
    const bool actions = type == QEvent::ActionChanged || type == QEvent::ActionAdded ||
                         type == QEvent::ActionRemoved;
    if (actions && watched == FMenu) {
        if (type == QEvent::ActionChanged)
            ActionChanged(static_cast<QActionEvent*>(event)->action());
        else
            LayoutChanged();
    }
    return QObject::eventFilter(watched, event);
}

void TDBusMenu::LayoutChanged() {
    FSent.clear();
    if (FMenu != nullptr)
        for (int id = 1; id <= FMenu->actions().size(); ++id)
            FSent.insert(ActionOf(id), PropertiesOf(id, {}));
    emit LayoutUpdated(++FRevision, 0);
}

void TDBusMenu::ActionChanged(QAction* action) {
    const int id = FMenu->actions().indexOf(action) + 1;
    if (id == 0)
        return;
    // Panels take new values of an item only from this signal: a new layout alone leaves a
    // stale check mark or label on some.
    const QVariantMap now = PropertiesOf(id, {});
    const QVariantMap before = FSent.value(action);
    if (now == before)
        return;
    FSent.insert(action, now);
    TMenuItemKeys gone{id, {}};
    for (auto it = before.keyBegin(); it != before.keyEnd(); ++it)
        if (!now.contains(*it))
            gone.Names.append(*it);
    emit ItemsPropertiesUpdated({TMenuItemProperties{id, now}}, gone.Names.isEmpty()
                                                                    ? TMenuItemKeysList{}
                                                                    : TMenuItemKeysList{gone});
}

QString TDBusMenu::Label(const QString& text) {
    QString label;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            const bool doubled = i + 1 < text.size() && text[i + 1] == QLatin1Char('&');
            label += doubled ? QStringLiteral("&") : QStringLiteral("_");
            i += doubled ? 1 : 0;
        } else {
            label += text[i] == QLatin1Char('_') ? QStringLiteral("__") : QString(text[i]);
        }
    }
    return label;
}

QAction* TDBusMenu::ActionOf(int id) const {
    if (FMenu == nullptr || id < 1 || id > FMenu->actions().size())
        return nullptr;
    return FMenu->actions()[id - 1];
}

QVariantMap TDBusMenu::PropertiesOf(int id, const QStringList& names) const {
    QVariantMap properties;
    if (id == 0) {
        properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    } else if (const QAction* action = ActionOf(id)) {
        if (action->isSeparator()) {
            properties.insert(QStringLiteral("type"), QStringLiteral("separator"));
        } else {
            properties.insert(QStringLiteral("label"), Label(action->text()));
            properties.insert(QStringLiteral("enabled"), action->isEnabled());
            if (action->isCheckable()) {
                properties.insert(QStringLiteral("toggle-type"), QStringLiteral("checkmark"));
                properties.insert(QStringLiteral("toggle-state"), action->isChecked() ? 1 : 0);
            }
        }
        properties.insert(QStringLiteral("visible"), action->isVisible());
    }
    if (names.isEmpty())
        return properties;
    QVariantMap asked;
    for (const QString& name : names)
        if (properties.contains(name))
            asked.insert(name, properties.value(name));
    return asked;
}

void TDBusMenu::Refuse(const QString& message) {
    // Called directly (not over the bus) there is no one to answer.
    if (calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs, message);
}

uint TDBusMenu::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                          TMenuLayout& layout) {
    if (!Known(parentId)) {
        Refuse(QStringLiteral("No menu item %1").arg(parentId));
        return 0;
    }
    layout = TMenuLayout{parentId, PropertiesOf(parentId, propertyNames), {}};
    if (parentId == 0 && recursionDepth != 0 && FMenu != nullptr)
        for (int id = 1; id <= FMenu->actions().size(); ++id)
            layout.Children.append(
                QVariant::fromValue(TMenuLayout{id, PropertiesOf(id, propertyNames), {}}));
    return FRevision;
}

TMenuItemPropertiesList TDBusMenu::GetGroupProperties(const QList<int>& ids,
                                                      const QStringList& propertyNames) {
    TMenuItemPropertiesList items;
    for (int id : ids)
        if (Known(id))
            items.append({id, PropertiesOf(id, propertyNames)});
    return items;
}

QDBusVariant TDBusMenu::GetProperty(int id, const QString& name) {
    const QVariant value = PropertiesOf(id, {name}).value(name);
    // An empty variant cannot be sent: the caller would wait in vain for its answer.
    if (!value.isValid()) {
        Refuse(QStringLiteral("No property %1 of menu item %2").arg(name).arg(id));
        return QDBusVariant(QVariant(0));
    }
    return QDBusVariant(value);
}

void TDBusMenu::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    if (!Dispatch(id, eventId))
        Refuse(QStringLiteral("No menu item %1").arg(id));
}

QList<int> TDBusMenu::EventGroup(const TMenuEventList& events) {
    QList<int> unknown;
    for (const TMenuEvent& event : events)
        if (!Dispatch(event.Id, event.EventId))
            unknown.append(event.Id);
    if (!events.isEmpty() && unknown.size() == events.size())
        Refuse(QStringLiteral("No such menu items"));
    return unknown;
}

bool TDBusMenu::Dispatch(int id, const QString& eventId) {
    // The root (id 0) is told when the menu opens and closes, as every item may be.
    if (!Known(id))
        return false;
    // Triggered after the answer: the action may end the program.
    QAction* action = ActionOf(id);
    if (action != nullptr && eventId == QLatin1String("clicked"))
        QTimer::singleShot(0, action, &QAction::trigger);
    return true;
}

bool TDBusMenu::AboutToShow(int id) {
    if (!Known(id))
        Refuse(QStringLiteral("No menu item %1").arg(id));
    return false;
}

QList<int> TDBusMenu::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
    idErrors.clear();
    for (int id : ids)
        if (!Known(id))
            idErrors.append(id);
    return {};
}

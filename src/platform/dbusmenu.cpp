#include "platform/dbusmenu.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

TDBusMenu::TDBusMenu(QObject* parent) : QObject(parent) {
    RegisterTrayDBusTypes();
}

void TDBusMenu::SetMenu(QMenu* menu) {
    if (FMenu != nullptr)
        disconnect(FMenu, nullptr, this, nullptr);
    FMenu = menu;
    if (menu != nullptr) {
        // A check mark or label that changes is a new layout for the panel to fetch.
        for (QAction* action : menu->actions())
            connect(action, &QAction::changed, this,
                    [this] { emit LayoutUpdated(++FRevision, 0); });
    }
    emit LayoutUpdated(++FRevision, 0);
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

uint TDBusMenu::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                          TMenuLayout& layout) {
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
        items.append({id, PropertiesOf(id, propertyNames)});
    return items;
}

QDBusVariant TDBusMenu::GetProperty(int id, const QString& name) {
    return QDBusVariant(PropertiesOf(id, {name}).value(name));
}

void TDBusMenu::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    // Triggered after the answer: the action may end the program.
    if (eventId == QLatin1String("clicked"))
        if (QAction* action = ActionOf(id))
            QTimer::singleShot(0, action, &QAction::trigger);
}

QList<int> TDBusMenu::EventGroup(const TMenuEventList& events) {
    QList<int> unknown;
    for (const TMenuEvent& event : events) {
        if (ActionOf(event.Id) == nullptr)
            unknown.append(event.Id);
        else
            Event(event.Id, event.EventId, event.Data, event.Timestamp);
    }
    return unknown;
}

bool TDBusMenu::AboutToShow(int) {
    return false;
}

QList<int> TDBusMenu::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
    idErrors.clear();
    for (int id : ids)
        if (id != 0 && ActionOf(id) == nullptr)
            idErrors.append(id);
    return {};
}

// Context help: F1 (or the caption's help button) shows the topic of the focused control, or of
// its nearest container that has one, as a pop-up at the control's top-left corner.
#include "platform/session/desktop.h"
#include "platform/platform.h"
#include "ui/helptopics.h"
#include "ui/svxform.h"

#include <QHelpEvent>
#include <QKeyEvent>

namespace {
const QString HelpFileName = QStringLiteral("Svx.hlp"); // in the working folder
}

int TSVXForm::HelpContextOf(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const int context = w->property("HelpContext").toInt();
        if (context != 0)
            return context;
        if (w->isWindow())
            break;
    }
    return 0;
}

void TSVXForm::ShowHelpFor(QWidget* widget) {
    const int context = HelpContextOf(widget);
    if (context == 0)
        return;
    const QString topic = ReadHelpTopic(HelpFileName, context);
    if (topic.isEmpty())
        return;
    Platform().Desktop->ShowHelpPopup(topic, widget->mapToGlobal(QPoint(0, 0)));
}

bool TSVXForm::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        // Keys the focused control does not use come up to the window.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            QWidget* focused = focusWidget();
            ShowHelpFor(focused ? focused : this);
            return true;
        }
        break;
    }
    case QEvent::QueryWhatsThis:
    case QEvent::WhatsThis: {
        // The caption's help button: the control under the pointer.
        const auto* help = static_cast<QHelpEvent*>(event);
        QWidget* target = childAt(help->pos());
        if (!target)
            target = this;
        if (event->type() == QEvent::WhatsThis)
            ShowHelpFor(target);
        event->setAccepted(HelpContextOf(target) != 0);
        return true;
    }
    default:
        break;
    }
    return QWidget::event(event);
}

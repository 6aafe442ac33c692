#include "ui/clickfilter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

TClickFilter::TClickFilter(QObject* target, TTrigger trigger, std::function<void()> onClick)
    : QObject(target), FTrigger(trigger), FOnClick(std::move(onClick)) {
    target->installEventFilter(this);
}

bool TClickFilter::eventFilter(QObject* watched, QEvent* event) {
    if (FTrigger == TTrigger::Click && event->type() == QEvent::KeyPress) {
        const auto* press = static_cast<QKeyEvent*>(event);
        const int key = press->key();
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (!press->isAutoRepeat()) // a held key counts once
                FOnClick();
            return true;
        }
    }
    const QEvent::Type wanted =
        FTrigger == TTrigger::Click ? QEvent::MouseButtonRelease : QEvent::MouseButtonDblClick;
    if (event->type() == wanted) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && widget &&
            widget->rect().contains(mouse->position().toPoint())) {
            FOnClick();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

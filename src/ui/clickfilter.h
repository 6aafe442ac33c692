#pragma once

#include <QEvent>
#include <QObject>
#include <functional>

// Turns mouse clicks (or double-clicks) on a widget that has no click signal of its own, such
// as a picture or a label, into a call. A click counts on the release of the left button over
// the widget.
class TClickFilter : public QObject {
    Q_OBJECT
public:
    enum class TTrigger { Click, DoubleClick };

    // Watches `target`, which also owns the filter.
    TClickFilter(QObject* target, TTrigger trigger, std::function<void()> onClick);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TTrigger FTrigger;
    std::function<void()> FOnClick;
};

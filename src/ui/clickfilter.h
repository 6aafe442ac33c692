#pragma once

#include <QEvent>
#include <QObject>
#include <functional>

// Turns mouse clicks (or double-clicks) on a widget that has no click signal of its own, such
// as a picture or a label, into a call. A click counts on the release of the left button over
// the widget; for a single click, Space or Enter while the widget has the focus counts too, as
// on a button, so that a widget given a tab stop can be used from the keyboard.
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

#pragma once

#include <QString>
#include <functional>

class QWidget;

enum class TBoxIcon { Information, Error, Question, Warning, None };
enum class TBoxButtons { Ok, YesNo };
enum class TBoxResult { Ok, Yes, No };

struct TBoxRequest {
    QString Text;
    QString Caption;
    TBoxIcon Icon = TBoxIcon::Information;
    TBoxButtons Buttons = TBoxButtons::Ok;
    QWidget* Owner = nullptr; // null: a box of its own, owned by no window
};

// Every message box of the program goes through here, so tests can answer them.
class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    // Modal: returns when the user has answered.
    virtual TBoxResult Show(const TBoxRequest& request) = 0;
    // Shows the box and returns at once; `done` runs on the GUI thread when it is answered.
    // Used for boxes shown on a worker's behalf, so the GUI thread keeps capturing meanwhile, and
    // for news that may stop being true while the box is open: the returned function takes the
    // box down unanswered (nothing once it has been answered).
    virtual std::function<void()> ShowAsync(const TBoxRequest& request,
                                            std::function<void(TBoxResult)> done) = 0;
};

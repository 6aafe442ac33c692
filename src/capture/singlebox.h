#pragma once

#include <utility>

// One box of a kind at a time. A modal box runs the event loop, so captures go on while it is
// open; a flood of failures of the same kind would otherwise open box inside box until the
// stack overflows. While the first is open the others show nothing: it already tells the user.
class TSingleBox {
public:
    template <class TShow> void Show(TShow&& show) {
        if (FOpen)
            return;
        FOpen = true;
        const TReset reset{FOpen};
        std::forward<TShow>(show)();
    }

private:
    struct TReset {
        bool& Open;
        ~TReset() { Open = false; }
    };
    bool FOpen = false;
};

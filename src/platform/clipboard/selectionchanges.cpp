#include "platform/clipboard/selectionchanges.h"

#include <utility>

void TSelectionChanges::Noticed(const TSelectionOwnership& ownership) {
    // The same ownership announced again (an owner that takes the selection twice with one
    // time) is no new change.
    if ((FTaken && ownership.SameAs(*FTaken)) || (FWaiting && ownership.SameAs(*FWaiting)))
        return;
    if (FTaken && !FAnswered)
        FReplaced = true;
    if (ownership.Owner == 0)
        FWaiting.reset(); // nobody to ask
    else
        FWaiting = ownership;
}

std::optional<TSelectionOwnership> TSelectionChanges::TakeNext() {
    if (!FWaiting)
        return std::nullopt;
    FTaken = std::exchange(FWaiting, std::nullopt);
    FAnswered = false;
    FReplaced = false;
    return FTaken;
}

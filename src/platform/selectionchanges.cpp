#include "platform/selectionchanges.h"

#include <utility>

namespace {

// Sequence numbers wrap around; a is before b when b is less than half the range ahead.
bool Before(quint32 a, quint32 b) {
    return qint32(a - b) < 0;
}

} // namespace

void TSelectionChanges::Noticed(const TSelectionOwnership& ownership) {
    // The same ownership announced again (an owner that takes the selection twice with one
    // time) is no new change.
    if ((FTaken && ownership.SameAs(*FTaken)) || (FWaiting && ownership.SameAs(*FWaiting)))
        return;
    if (FTaken && (!FRequest || Before(ownership.Sequence, *FRequest)))
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
    FRequest.reset();
    FReplaced = false;
    return FTaken;
}

void TSelectionChanges::Requested(quint32 sequence) {
    FRequest = sequence;
}

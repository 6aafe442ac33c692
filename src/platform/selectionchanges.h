#pragma once

#include <QtGlobal>
#include <optional>

// One ownership of the clipboard selection, as the X server announces it.
struct TSelectionOwnership {
    quint32 Owner = 0; // the window that took the selection; 0 when nobody holds it
    quint32 Since = 0; // the server time at which it took it
    // Sequence number of the last of our requests the server had handled when it announced
    // the change: it orders the change against our own requests.
    quint32 Sequence = 0;

    bool SameAs(const TSelectionOwnership& other) const {
        return Owner == other.Owner && Since == other.Since;
    }
};

// Which clipboard changes get fetched. Change notices arrive after the fact and may pile up
// while a fetch runs, so every ownership is fetched at most once, only the latest waiting one is
// fetched, and a fetch whose owner was replaced before the server routed our request counts for
// nothing: what came back may be the next owner's data, which is fetched in its own turn.
class TSelectionChanges {
public:
    // A change notice arrived.
    void Noticed(const TSelectionOwnership& ownership);
    // The change to fetch now, when one waits; it becomes the one being fetched.
    std::optional<TSelectionOwnership> TakeNext();
    // The request for the data of the change being fetched went out with this sequence number.
    void Requested(quint32 sequence);
    // Whether the change being fetched was replaced before its data request reached its owner.
    bool Replaced() const { return FReplaced; }

private:
    std::optional<TSelectionOwnership> FWaiting;
    std::optional<TSelectionOwnership> FTaken; // the one being fetched, or fetched last
    std::optional<quint32> FRequest;
    bool FReplaced = false;
};

#pragma once

#include <QtGlobal>
#include <optional>

// One ownership of the clipboard selection: on X11 the owner's window and the server time at
// which it took the selection; on Wayland one offer, numbered as announced.
struct TSelectionOwnership {
    quint32 Owner = 0; // who took the selection; 0 when nobody holds it
    quint32 Since = 0; // when it took it

    bool SameAs(const TSelectionOwnership& other) const {
        return Owner == other.Owner && Since == other.Since;
    }
};

// Which clipboard changes get fetched. Change notices arrive after the fact and may pile up
// while a fetch runs, so every ownership is fetched at most once and only the latest waiting one
// is fetched. A fetch counts for nothing when a newer ownership is announced before the owner
// has agreed to send the picture: whatever comes back may already hold the next copy (an owner
// that keeps one window for all its copies answers with whatever it holds), which is fetched in
// its own turn. Every request of a fetch is covered, not only the first: a refusal of one type,
// or the list of types, is no delivery.
class TSelectionChanges {
public:
    // A change notice arrived.
    void Noticed(const TSelectionOwnership& ownership);
    // The change to fetch now, when one waits; it becomes the one being fetched.
    std::optional<TSelectionOwnership> TakeNext();
    // The owner has agreed to send the picture of the change being fetched.
    void Answered() { FAnswered = true; }
    // Whether the change being fetched was replaced before its owner answered.
    bool Replaced() const { return FReplaced; }

private:
    std::optional<TSelectionOwnership> FWaiting;
    std::optional<TSelectionOwnership> FTaken; // the one being fetched, or fetched last
    bool FAnswered = false;
    bool FReplaced = false;
};

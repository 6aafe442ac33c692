#pragma once

#include <QtGlobal>
#include <optional>

// One ownership of the clipboard selection, as the X server announces it.
struct TSelectionOwnership {
    quint32 Owner = 0; // the window that took the selection; 0 when nobody holds it
    quint32 Since = 0; // the server time at which it took it

    bool SameAs(const TSelectionOwnership& other) const {
        return Owner == other.Owner && Since == other.Since;
    }
};

// Which clipboard changes get fetched. Change notices arrive after the fact and may pile up
// while a fetch runs, so every ownership is fetched at most once and only the latest waiting one
// is fetched. A fetch counts for nothing when a newer ownership is announced before the owner
// has answered our request for the data: the answer may already hold the next copy (an owner
// that keeps one window for all its copies answers with whatever it holds), which is fetched in
// its own turn.
class TSelectionChanges {
public:
    // A change notice arrived.
    void Noticed(const TSelectionOwnership& ownership);
    // The change to fetch now, when one waits; it becomes the one being fetched.
    std::optional<TSelectionOwnership> TakeNext();
    // The owner has answered the request for the data of the change being fetched.
    void Answered() { FAnswered = true; }
    // Whether the change being fetched was replaced before its owner answered.
    bool Replaced() const { return FReplaced; }

private:
    std::optional<TSelectionOwnership> FWaiting;
    std::optional<TSelectionOwnership> FTaken; // the one being fetched, or fetched last
    bool FAnswered = false;
    bool FReplaced = false;
};

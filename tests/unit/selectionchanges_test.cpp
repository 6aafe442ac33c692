#include "platform/selectionchanges.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// One step of a watcher's life: a notice (owner, time, sequence), taking the next change to
// fetch (expecting `owner`, 0 for none), sending its data request (sequence), or checking
// whether the change being fetched was replaced.
struct TStep {
    enum { Notice, Take, Request, Replaced } What;
    quint32 A = 0, B = 0, C = 0;
};

TStep N(quint32 owner, quint32 since, quint32 sequence) {
    return {TStep::Notice, owner, since, sequence};
}
TStep T(quint32 owner) {
    return {TStep::Take, owner};
}
TStep R(quint32 sequence) {
    return {TStep::Request, sequence};
}
TStep X(bool replaced) {
    return {TStep::Replaced, replaced};
}

TEST(SelectionChanges, EachOwnershipFetchedOnceOnlyTheLatestAndNeverAnother) {
    const struct {
        const char* Name;
        std::vector<TStep> Steps;
    } cases[] = {
        {"a burst waiting is fetched as its last change",
         {N(1, 10, 5), N(2, 11, 6), N(3, 12, 7), T(3), T(0)}},
        {"an ownership announced twice is fetched once",
         {N(1, 10, 5), T(1), N(1, 10, 6), T(0), X(false)}},
        {"announced again after its fetch", {N(1, 10, 5), T(1), R(6), N(1, 10, 9), T(0)}},
        {"the same owner taking it anew is a change", {N(1, 10, 5), T(1), R(6), N(1, 20, 9), T(1)}},
        {"replaced after our request reached its owner",
         {N(1, 10, 5), T(1), R(8), N(2, 11, 8), X(false), T(2)}},
        {"replaced before our request reached its owner",
         {N(1, 10, 5), T(1), R(8), N(2, 11, 7), X(true), T(2), X(false)}},
        {"replaced before the request was sent", {N(1, 10, 5), T(1), N(2, 11, 6), X(true)}},
        {"the owner went away", {N(1, 10, 5), T(1), R(8), N(0, 11, 7), X(true), T(0)}},
        {"sequence numbers wrap: after",
         {N(1, 10, 0xfffffff0), T(1), R(0xfffffffe), N(2, 11, 2), X(false)}},
        {"sequence numbers wrap: before",
         {N(1, 10, 0xfffffff0), T(1), R(2), N(2, 11, 0xfffffffe), X(true)}},
    };
    for (const auto& c : cases) {
        TSelectionChanges changes;
        int index = 0;
        for (const TStep& step : c.Steps) {
            SCOPED_TRACE(testing::Message() << c.Name << ", step " << index++);
            switch (step.What) {
            case TStep::Notice:
                changes.Noticed({step.A, step.B, step.C});
                break;
            case TStep::Take: {
                const auto next = changes.TakeNext();
                EXPECT_EQ(next ? next->Owner : 0u, step.A);
                break;
            }
            case TStep::Request:
                changes.Requested(step.A);
                break;
            case TStep::Replaced:
                EXPECT_EQ(changes.Replaced(), bool(step.A));
                break;
            }
        }
    }
}

} // namespace

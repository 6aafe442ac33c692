#include "platform/clipboard/selectionchanges.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// One step of a watcher's life: a notice (owner, time), taking the next change to fetch
// (expecting `owner`, 0 for none), the owner's answer to the data request, or checking whether
// the change being fetched was replaced.
struct TStep {
    enum { Notice, Take, Answer, Replaced } What;
    quint32 A = 0, B = 0;
};

TStep N(quint32 owner, quint32 since) {
    return {TStep::Notice, owner, since};
}
TStep T(quint32 owner) {
    return {TStep::Take, owner};
}
const TStep A{TStep::Answer};
TStep X(bool replaced) {
    return {TStep::Replaced, replaced};
}

TEST(SelectionChanges, EachOwnershipFetchedOnceOnlyTheLatestAndNeverAnother) {
    const struct {
        const char* Name;
        std::vector<TStep> Steps;
    } cases[] = {
        {"a burst waiting is fetched as its last change",
         {N(1, 10), N(2, 11), N(3, 12), T(3), T(0)}},
        {"an ownership announced twice is fetched once",
         {N(1, 10), T(1), N(1, 10), T(0), X(false)}},
        {"announced again after its fetch", {N(1, 10), T(1), A, N(1, 10), T(0)}},
        {"the same owner taking it anew is a change",
         {N(1, 10), T(1), A, N(1, 20), X(false), T(1)}},
        {"replaced after the owner answered",
         {N(1, 10), T(1), A, N(2, 11), X(false), T(2), X(false)}},
        {"replaced before the owner answered",
         {N(1, 10), T(1), N(2, 11), A, X(true), T(2), X(false)}},
        {"the owner went away before answering", {N(1, 10), T(1), N(0, 11), X(true), T(0)}},
    };
    for (const auto& c : cases) {
        TSelectionChanges changes;
        int index = 0;
        for (const TStep& step : c.Steps) {
            SCOPED_TRACE(testing::Message() << c.Name << ", step " << index++);
            switch (step.What) {
            case TStep::Notice:
                changes.Noticed({step.A, step.B});
                break;
            case TStep::Take: {
                const auto next = changes.TakeNext();
                EXPECT_EQ(next ? next->Owner : 0u, step.A);
                break;
            }
            case TStep::Answer:
                changes.Answered();
                break;
            case TStep::Replaced:
                EXPECT_EQ(changes.Replaced(), bool(step.A));
                break;
            }
        }
    }
}

} // namespace

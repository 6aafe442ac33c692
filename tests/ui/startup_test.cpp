// The single-instance branches of the start-up, through the fakes: who ends, who asks the
// running instance to close, who offers a close channel, and which boxes are shown.
#include "formfixture.h"

#include <gtest/gtest.h>

namespace {

using TClose = ISingleInstance::TCloseResult;

TEST(StartupInstance, EachBranchEndsAsksAndReportsAsItShould) {
    const QString noFolder = QStringLiteral("Snapvault cannot start");
    const struct {
        const char* Name;
        bool OtherRunning;
        bool CanPublish;
        TClose Answer;
        QStringList Arguments;
        bool Ends;
        int CloseRequests;
        bool Publishes;
        QStringList Boxes;
        bool NoFolder = false;
    } cases[] = {
        {"first start", false, true, TClose::Closed, {}, false, 0, true, {}},
        {"no close channel",
         false,
         false,
         TClose::Closed,
         {},
         false,
         0,
         true,
         {"Filemapping error"}},
        {"already running",
         true,
         true,
         TClose::Closed,
         {},
         true,
         0,
         false,
         {"Snapvault is already running!"}},
        {"the switch is case-sensitive",
         true,
         true,
         TClose::Closed,
         {"-Terminate"},
         true,
         0,
         false,
         {"Snapvault is already running!"}},
        {"-terminate, closed", true, true, TClose::Closed, {"-terminate"}, true, 1, false, {}},
        {"-terminate, no answer", true, true, TClose::NoAnswer, {"-terminate"}, true, 1, false, {}},
        {"-terminate, cannot connect",
         true,
         true,
         TClose::CannotConnect,
         {"-terminate"},
         true,
         1,
         false,
         {"FileMapping"}},
        {"no private folder", false, true, TClose::Closed, {}, true, 0, false, {noFolder}, true},
        {"-terminate, nothing running",
         false,
         true,
         TClose::Closed,
         {"-terminate"},
         true,
         0,
         false,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TFormUnderTest window(
            TFormUnderTest::TStart::AsFirstInstance,
            [&](TFakePlatform& platform) {
                platform.Instance.OtherRunning = c.OtherRunning;
                platform.Instance.CanPublish = c.CanPublish;
                platform.Instance.CloseAnswer = c.Answer;
                platform.Instance.PrivateFolder = !c.NoFolder;
            },
            c.Arguments);
        EXPECT_EQ(window.Form->EndRequested, c.Ends);
        EXPECT_EQ(window.Platform.Instance.CloseRequests, c.CloseRequests);
        EXPECT_EQ(bool(window.Platform.Instance.OnClose), c.Publishes);
        // What each box says up to a colon: the reason after it is the box's own wording.
        QStringList shown;
        for (const TBoxRequest& box : window.Platform.Boxes.Shown)
            shown.append(box.Text.section(':', 0, 0));
        EXPECT_EQ(shown, c.Boxes);
    }
}

} // namespace

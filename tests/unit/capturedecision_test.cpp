#include "capture/capturedecision.h"
#include "capture/savebudget.h"

#include <gtest/gtest.h>

namespace {

using TOutcome = TCaptureDecision::TOutcome;
constexpr qint64 Plenty = qint64(1) << 40;

// Each row changes the options of a capture into "/shots" as "SV" from the factory values
// that matter here: any size, 1024x768 without scaling, BMP.
struct TCase {
    const char* Name;
    QSize Captured;
    void (*Change)(TCaptureOptions&);
    qint64 FreeMemory;
    TOutcome Outcome;
    bool Scale;
    QSize Saved;
    TSaveFormat Format;
};

const TCase Cases[] = {
    {"as captured",
     {800, 600},
     [](TCaptureOptions&) {},
     Plenty,
     TOutcome::Save,
     false,
     {800, 600},
     TSaveFormat::sfBMP},
    {"under the minimum",
     {639, 480},
     [](TCaptureOptions& o) { o.MinImageSize = 2; },
     Plenty,
     TOutcome::TooSmall,
     false,
     {},
     TSaveFormat::sfBMP},
    {"at the minimum",
     {640, 480},
     [](TCaptureOptions& o) { o.MinImageSize = 2; },
     Plenty,
     TOutcome::Save,
     false,
     {640, 480},
     TSaveFormat::sfBMP},
    {"expanded to the target",
     {800, 600},
     [](TCaptureOptions& o) { o.ResizeUp = true; },
     Plenty,
     TOutcome::Save,
     true,
     {1024, 768},
     TSaveFormat::sfBMP},
    {"shrunk keeping the aspect",
     {1280, 1024},
     [](TCaptureOptions& o) { o.ResizeDown = o.KeepAspect = true; },
     Plenty,
     TOutcome::Save,
     true,
     {960, 768},
     TSaveFormat::sfBMP},
    {"a strip too large to scale stays as captured",
     {1, 3000},
     [](TCaptureOptions& o) { o.ResizeUp = o.KeepAspect = o.ExpandToKeepAspect = true; },
     Plenty,
     TOutcome::Save,
     true,
     {1, 3000},
     TSaveFormat::sfBMP},
    {"the budget fits exactly",
     {800, 600},
     [](TCaptureOptions&) {},
     SaveMemoryEstimate({800, 600}, 32, TSaveFormat::sfBMP),
     TOutcome::Save,
     false,
     {800, 600},
     TSaveFormat::sfBMP},
    {"one byte short",
     {800, 600},
     [](TCaptureOptions&) {},
     SaveMemoryEstimate({800, 600}, 32, TSaveFormat::sfBMP) - 1,
     TOutcome::OverBudget,
     false,
     {800, 600},
     TSaveFormat::sfBMP},
    {"the budget counts the scaled picture",
     {3000, 3000},
     [](TCaptureOptions& o) { o.ResizeDown = true; },
     SaveMemoryEstimate({1024, 768}, 32, TSaveFormat::sfBMP),
     TOutcome::Save,
     true,
     {1024, 768},
     TSaveFormat::sfBMP},
    {"and the format's working memory",
     {800, 600},
     [](TCaptureOptions& o) { o.Format = TSaveFormat::sfPNG; },
     SaveMemoryEstimate({800, 600}, 32, TSaveFormat::sfBMP),
     TOutcome::OverBudget,
     false,
     {800, 600},
     TSaveFormat::sfPNG},
};

TEST(CaptureDecision, SizeScalingBudgetAndFormat) {
    for (const TCase& c : Cases) {
        TCaptureOptions options;
        options.ResizeTo = 4;
        options.Folder = QStringLiteral("/shots");
        options.BaseName = QStringLiteral("SV");
        c.Change(options);
        const TCaptureDecision decision = DecideCapture(c.Captured, 32, options, c.FreeMemory);
        EXPECT_EQ(decision.Outcome, c.Outcome) << c.Name;
        EXPECT_EQ(decision.Scale, c.Scale) << c.Name;
        if (c.Outcome == TOutcome::TooSmall)
            continue;
        EXPECT_EQ(decision.SavedSize, c.Saved) << c.Name;
        EXPECT_EQ(decision.Format, c.Format) << c.Name;
        if (c.Outcome == TOutcome::Save) {
            // "/shots/SV" then the number, then a four-character extension.
            EXPECT_EQ(decision.NumberStart, 9) << c.Name;
            EXPECT_EQ(decision.ExtensionLength, 4) << c.Name;
        }
    }
}

} // namespace

#include "capture/capturedecision.h"
#include "capture/savebudget.h"

#include <gtest/gtest.h>

namespace {

using TOutcome = TCaptureDecision::TOutcome;
constexpr auto BMP = TSaveFormat::sfBMP;
constexpr auto PNG = TSaveFormat::sfPNG;
constexpr qint64 Plenty = qint64(1) << 40;
const qint64 Bmp800x600 = SaveMemoryEstimate({800, 600}, 32, BMP);
const qint64 Bmp1024x768 = SaveMemoryEstimate({1024, 768}, 32, BMP);

// A capture into "/shots" as "SV", scaling to 1024x768 when asked; the decision is made on the
// size as captured and the memory is counted for the picture the save will hold.
struct TCase {
    const char* Name;
    QSize Captured;
    int MinImageSize;
    bool ResizeUp, ResizeDown, KeepAspect;
    TSaveFormat Format;
    qint64 FreeMemory;
    TOutcome Outcome;
    bool Scale;
    QSize Saved;
};

// clang-format off
const TCase Cases[] = {
    // name                                  captured      min up    down   aspect format free memory   outcome               scale  saved
    {"as captured",                          {800, 600},   0, false, false, false, BMP, Plenty,         TOutcome::Save,       false, {800, 600}},
    {"under the minimum",                    {639, 480},   2, true,  true,  false, BMP, Plenty,         TOutcome::TooSmall,   false, {}},
    {"at the minimum",                       {640, 480},   2, false, false, false, BMP, Plenty,         TOutcome::Save,       false, {640, 480}},
    {"expanded",                             {800, 600},   0, true,  false, false, BMP, Plenty,         TOutcome::Save,       true,  {1024, 768}},
    {"shrunk, the aspect kept by expanding", {1280, 1024}, 0, false, true,  true,  BMP, Plenty,         TOutcome::Save,       true,  {1024, 819}},
    {"a strip too large to scale to",        {1, 3000},    0, true,  false, true,  BMP, Plenty,         TOutcome::Save,       true,  {1, 3000}},
    {"the budget fits exactly",              {800, 600},   0, false, false, false, BMP, Bmp800x600,     TOutcome::Save,       false, {800, 600}},
    {"one byte short",                       {800, 600},   0, false, false, false, BMP, Bmp800x600 - 1, TOutcome::OverBudget, false, {800, 600}},
    {"the scaled picture counts",            {3000, 3000}, 0, false, true,  false, BMP, Bmp1024x768,    TOutcome::Save,       true,  {1024, 768}},
    {"and the format's working memory",      {800, 600},   0, false, false, false, PNG, Bmp800x600,     TOutcome::OverBudget, false, {800, 600}},
};
// clang-format on

TEST(CaptureDecision, SizeScalingBudgetAndFormat) {
    for (const TCase& c : Cases) {
        TCaptureOptions options;
        options.MinImageSize = c.MinImageSize;
        options.ResizeTo = 4;
        options.ResizeUp = c.ResizeUp;
        options.ResizeDown = c.ResizeDown;
        options.KeepAspect = c.KeepAspect;
        options.ExpandToKeepAspect = true;
        options.Folder = QStringLiteral("/shots");
        options.BaseName = QStringLiteral("SV");
        options.Format = c.Format;
        const TCaptureDecision decision = DecideCapture(c.Captured, 32, options, c.FreeMemory);
        EXPECT_EQ(decision.Outcome, c.Outcome) << c.Name;
        EXPECT_EQ(decision.Scale, c.Scale) << c.Name;
        if (c.Outcome == TOutcome::TooSmall)
            continue;
        EXPECT_EQ(decision.SavedSize, c.Saved) << c.Name;
        if (c.Outcome == TOutcome::Save) {
            // "/shots/SV", the number, a four-character extension.
            EXPECT_EQ(decision.NumberStart, 9) << c.Name;
            EXPECT_EQ(decision.ExtensionLength, 4) << c.Name;
            EXPECT_EQ(decision.Format, c.Format) << c.Name;
        }
    }
}

} // namespace

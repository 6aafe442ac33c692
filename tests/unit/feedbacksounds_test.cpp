#include "audio/feedbacksounds.h"
#include "audio/mediaplayer.h"
#include "fakeplatform.h"

#include <gtest/gtest.h>

namespace {

// Sounds heard for a sequence of steps under one setting. Steps: S save started, F save
// finished, 1 / 2 the test button of the start / finish file, e the finish file name edited.
TEST(FeedbackSounds, EventsPlayTheirSourceAndFallBack) {
    const struct {
        const char* Name;
        bool Beep1, Beep2, BeepStd, BeepPCSpk;
        const char* File1;
        const char* Steps;
        const char* Heard;
    } cases[] = {
        {"standard", true, true, true, false, "beep.wav", "SF", "bell bell"},
        {"standard wins over beep", true, true, true, true, "beep.wav", "SF", "bell bell"},
        {"simple beep", true, true, false, true, "beep.wav", "SF", "beep beep"},
        {"finish off, any source", true, false, true, false, "beep.wav", "SF", "bell"},
        {"no source is wave files", true, true, false, false, "beep.wav", "SF",
         "open:beep.wav play:beep.wav stop open:click.wav play:click.wav"},
        {"start off still loads the finish file", false, true, false, false, "beep.wav", "SF",
         "open:click.wav play:click.wav"},
        {"both off", false, false, false, false, "beep.wav", "SF", ""},
        {"missing start file", true, true, false, false, "gone.wav", "SF",
         "bad:gone.wav info open:click.wav play:click.wav"},
        {"missing finish file", false, true, false, false, "beep.wav", "eSF", "bad:gone.wav bell"},
        {"empty name plays nothing and falls back to nothing", true, false, false, false, "", "SF",
         ""},
        {"finish file named at the start", false, true, false, false, "beep.wav", "SeF",
         "open:click.wav play:click.wav"},
        {"each opening cuts off the sound before", true, true, false, false, "beep.wav", "SSFF",
         "open:beep.wav play:beep.wav stop open:beep.wav play:beep.wav "
         "stop open:click.wav play:click.wav stop open:click.wav play:click.wav"},
        {"a test during a save keeps its finish sound", true, true, false, false, "beep.wav", "S1F",
         "open:beep.wav play:beep.wav stop open:beep.wav play:beep.wav "
         "stop open:click.wav play:click.wav"},
        {"tests play whatever the source", false, false, true, false, "gone.wav", "12",
         "bad:gone.wav open:click.wav play:click.wav"},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.Name);
        TFakePlatform platform;
        platform.Sound.Unplayable = {QStringLiteral("gone.wav")};
        TMediaPlayer player;
        TFeedbackSettings settings;
        settings.Beep1 = entry.Beep1;
        settings.Beep2 = entry.Beep2;
        settings.Source = SelectSoundSource(entry.BeepStd, entry.BeepPCSpk);
        settings.Beep1FileName = QString::fromUtf8(entry.File1);
        settings.Beep2FileName = QStringLiteral("click.wav");
        for (const char* step = entry.Steps; *step != '\0'; ++step) {
            switch (*step) {
            case 'S':
                PlayFeedbackSound(player, TFeedbackEvent::SaveStarted, settings);
                break;
            case 'F':
                PlayFeedbackSound(player, TFeedbackEvent::SaveFinished, settings);
                break;
            case '1':
            case '2': {
                const QString& file =
                    *step == '1' ? settings.Beep1FileName : settings.Beep2FileName;
                EXPECT_EQ(TestWaveFile(player, file), file != QStringLiteral("gone.wav"));
                break;
            }
            case 'e':
                settings.Beep2FileName = QStringLiteral("gone.wav");
                break;
            }
        }
        EXPECT_EQ(platform.Sound.Log.join(QLatin1Char(' ')), QString::fromUtf8(entry.Heard));
    }
}

} // namespace

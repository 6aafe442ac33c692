#pragma once

// audio/: the rules of the feedback sounds and the wave player, without widgets. Includes only
// audio/ and platform/; never capture/, settings/ or tray/, which sit beside it.

#include "audio/feedbackevent.h"

#include <QString>

class TMediaPlayer;

// Where the feedback sounds come from.
enum class TSoundSource { Standard, SimpleBeep, WaveFiles };

// The source by its precedence: the standard sound wins over the simple beep, and wave files
// are played in every other case, also when no source is chosen at all.
TSoundSource SelectSoundSource(bool beepStd, bool beepPCSpk);

// Which file rows of the sound panel are usable: a row when its event's sound is on and wave
// files are the source.
struct TSoundRows {
    bool Start = false;
    bool Finish = false;
};
TSoundRows EnabledSoundRows(bool beep1, bool beep2, bool beepWav);

// The sound settings as they stand when a sound is due.
struct TFeedbackSettings {
    bool Beep1 = false; // a sound when a save starts
    bool Beep2 = false; // a sound when a save has finished
    TSoundSource Source = TSoundSource::Standard;
    QString Beep1FileName;
    QString Beep2FileName;
};

// Marks a save event with its sound. A save start also loads the finish file into the player,
// whether or not its own sound is on, so the finish sound plays the file named when its save
// began. Wave files that cannot be opened fall back to a system sound. Never fails.
void PlayFeedbackSound(TMediaPlayer& player, TFeedbackEvent event,
                       const TFeedbackSettings& settings);

// Plays a wave file to try it out. False when it cannot be opened. The file the player holds
// for the next finish sound is kept: trying a file out does not change what a save sounds like.
bool TestWaveFile(TMediaPlayer& player, const QString& fileName);

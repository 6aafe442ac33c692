#include "audio/mediaplayer.h"

#include "platform/platform.h"
#include "platform/sound/soundserver.h"

TMediaPlayer::~TMediaPlayer() {
    Close();
}

bool TMediaPlayer::Open() {
    Close();
    if (FileName.isEmpty()) {
        // The player itself opens; there is just no sound in it.
        FOpen = true;
        return true;
    }
    FSound = Platform().Sound->OpenWave(FileName);
    FOpen = FSound != nullptr;
    return FOpen;
}

void TMediaPlayer::Play() {
    if (FSound)
        Platform().Sound->Play(FSound);
}

void TMediaPlayer::Close() {
    if (!FOpen)
        return;
    if (FSound)
        Platform().Sound->Stop();
    FSound.reset();
    FOpen = false;
}

#include "audio/feedbacksounds.h"

#include "audio/mediaplayer.h"
#include "platform/platform.h"
#include "platform/sound/soundserver.h"

TSoundSource SelectSoundSource(bool beepStd, bool beepPCSpk) {
    if (beepStd)
        return TSoundSource::Standard;
    if (beepPCSpk)
        return TSoundSource::SimpleBeep;
    return TSoundSource::WaveFiles;
}

TSoundRows EnabledSoundRows(bool beep1, bool beep2, bool beepWav) {
    return {beep1 && beepWav, beep2 && beepWav};
}

void PlayFeedbackSound(TMediaPlayer& player, TFeedbackEvent event,
                       const TFeedbackSettings& settings) {
    const bool started = event == TFeedbackEvent::SaveStarted;
    if (started ? settings.Beep1 : settings.Beep2) {
        ISoundServer& server = *Platform().Sound;
        switch (settings.Source) {
        case TSoundSource::Standard:
            server.PlaySystemSound(TSystemSound::Standard);
            break;
        case TSoundSource::SimpleBeep:
            server.PlaySystemSound(TSystemSound::SimpleBeep);
            break;
        case TSoundSource::WaveFiles:
            if (started)
                player.FileName = settings.Beep1FileName;
            if (player.Open())
                player.Play();
            else
                server.PlaySystemSound(started ? TSystemSound::Information
                                               : TSystemSound::Standard);
            break;
        }
    }
    if (started)
        player.FileName = settings.Beep2FileName;
}

bool TestWaveFile(TMediaPlayer& player, const QString& fileName) {
    const QString finishFile = player.FileName;
    player.FileName = fileName;
    const bool opened = player.Open();
    if (opened)
        player.Play();
    player.FileName = finishFile;
    return opened;
}

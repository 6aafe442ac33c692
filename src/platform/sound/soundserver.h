#pragma once

// platform/sound/: the sound server: wave files decoded by libsndfile and played through
// PulseAudio. Includes nothing of the program outside this room.

#include <QString>
#include <memory>

// The desktop's own short sounds.
enum class TSystemSound {
    Standard,    // the default notification sound
    Information, // the sound of an information message
    SimpleBeep   // the keyboard bell
};

// A wave file that has been opened for playing. Only the sound server looks inside.
class IWaveSound {
public:
    virtual ~IWaveSound() = default;
};

// The sound server as the program uses it: wave files played in the background, one at a time,
// and the desktop's system sounds. Nothing here blocks for the length of a sound, and a missing
// server or a failing device is silence, never an error.
class ISoundServer {
public:
    virtual ~ISoundServer() = default;
    // Opens a wave file; nothing when it cannot be decoded or holds no sample frame. This alone
    // decides whether a file is playable.
    virtual std::shared_ptr<IWaveSound> OpenWave(const QString& fileName) = 0;
    // Starts playing `sound` from its beginning and returns at once; a sound still playing is
    // cut off.
    virtual void Play(std::shared_ptr<IWaveSound> sound) = 0;
    // Cuts off whatever plays; returns at once.
    virtual void Stop() = 0;
    // Plays a system sound; returns at once.
    virtual void PlaySystemSound(TSystemSound sound) = 0;
};

#pragma once

#include "platform/soundserver.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

struct ca_context;

// Wave files decoded by libsndfile and streamed to PulseAudio (or PipeWire's PulseAudio service)
// by a player thread of its own; system sounds from the freedesktop sound theme through
// libcanberra, the simple beep through the X11 keyboard bell.
class TPulseSoundServer : public ISoundServer {
public:
    TPulseSoundServer();
    ~TPulseSoundServer() override;
    TPulseSoundServer(const TPulseSoundServer&) = delete;
    TPulseSoundServer& operator=(const TPulseSoundServer&) = delete;

    std::shared_ptr<IWaveSound> OpenWave(const QString& fileName) override;
    void Play(std::shared_ptr<IWaveSound> sound) override;
    void Stop() override;
    void PlaySystemSound(TSystemSound sound) override;

private:
    void PlayerLoop();
    // Streams one sound; ends early when a later request arrives (`generation` is outdated).
    void Stream(IWaveSound& sound, std::uint64_t generation);
    bool Outdated(std::uint64_t generation);

    std::mutex FLock;
    std::condition_variable FWake;
    std::shared_ptr<IWaveSound> FPending; // the next sound to play
    std::uint64_t FGeneration = 0;        // raised by every request; cuts off older sounds
    bool FQuit = false;
    std::thread FPlayer; // started with the first sound

    struct TCanberraDeleter {
        void operator()(ca_context* context) const;
    };
    std::unique_ptr<ca_context, TCanberraDeleter> FCanberra;
};

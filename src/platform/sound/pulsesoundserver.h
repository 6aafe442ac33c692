#pragma once

#include "platform/sound/soundserver.h"

#include <memory>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
class TSndWave;

// Wave files decoded by libsndfile and streamed to PulseAudio (or PipeWire's PulseAudio service)
// through libpulse's asynchronous API: every call here hands its work to libpulse's own event
// thread and returns, so a server that stalls (a suspended sink, a stopped daemon, a socket that
// vanished) delays nothing but the sound itself, neither a stop nor the program's end. The
// desktop's system sounds are the sound theme's files, played the same way; the simple beep is
// the X11 keyboard bell.
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
    // Everything below runs with the event thread's lock held.
    bool Connect();
    void DropContext();
    void StartPending();
    void DropStream();
    void Feed(std::size_t bytes);
    static void OnContextState(pa_context* context, void* self);
    static void OnWritable(pa_stream* stream, std::size_t bytes, void* self);
    static void OnStreamState(pa_stream* stream, void* self);
    static void OnDrained(pa_stream* stream, int success, void* self);
    // Closes and lets go of a dropped stream once the server has answered its creation.
    static void ReleaseWhenSettled(pa_stream* stream, void*);

    pa_threaded_mainloop* FLoop = nullptr;
    pa_context* FContext = nullptr;
    pa_stream* FStream = nullptr;
    std::shared_ptr<TSndWave> FPending; // waits for the connection
    std::shared_ptr<TSndWave> FPlaying; // read by FStream
};

// The file of a sound-theme event ("bell", "dialog-information") in the freedesktop theme under
// the given data folders (each the parent of "sounds/"); empty when there is none.
QString SoundThemeFile(const QStringList& dataFolders, const QString& event);

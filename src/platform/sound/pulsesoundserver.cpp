#include "platform/sound/pulsesoundserver.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <sndfile.h>

#include <algorithm>
#include <utility>
#include <vector>

// A wave file held open by libsndfile; each playing reads it from the start.
class TSndWave : public IWaveSound {
public:
    TSndWave(SNDFILE* file, const SF_INFO& info) : File(file), Info(info) {}
    ~TSndWave() override { sf_close(File); }
    TSndWave(const TSndWave&) = delete;
    TSndWave& operator=(const TSndWave&) = delete;

    SNDFILE* File;
    SF_INFO Info;
};

namespace {

// A small target buffer keeps the sound close to the event it marks, and a stop or a newer
// sound cuts in after at most this much of the old one.
constexpr pa_usec_t BufferUsec = 100'000;

// Holds the event thread's lock for a scope.
class TLoopLock {
public:
    explicit TLoopLock(pa_threaded_mainloop* loop) : FLoop(loop) {
        pa_threaded_mainloop_lock(FLoop);
    }
    ~TLoopLock() { pa_threaded_mainloop_unlock(FLoop); }
    TLoopLock(const TLoopLock&) = delete;
    TLoopLock& operator=(const TLoopLock&) = delete;

private:
    pa_threaded_mainloop* FLoop;
};

pa_sample_spec SpecOf(const TSndWave& wave) {
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16NE;
    spec.rate = static_cast<uint32_t>(std::max(wave.Info.samplerate, 0));
    spec.channels = static_cast<uint8_t>(std::clamp(wave.Info.channels, 0, 255));
    return spec;
}

} // namespace

QString SoundThemeFile(const QStringList& dataFolders, const QString& event) {
    // The freedesktop theme is the one every sound theme falls back to; its files are stereo.
    for (const QString& folder : dataFolders) {
        const QDir theme(folder + QStringLiteral("/sounds/freedesktop/stereo"));
        for (const char* extension : {".oga", ".ogg", ".wav"}) {
            const QString file = theme.filePath(event + QLatin1String(extension));
            if (QFile::exists(file))
                return file;
        }
    }
    return {};
}

TPulseSoundServer::TPulseSoundServer() = default;

TPulseSoundServer::~TPulseSoundServer() {
    if (FLoop == nullptr)
        return;
    {
        // Nothing here waits for the server: the stream and the connection are dropped, and
        // the event thread ends at its next turn.
        const TLoopLock lock(FLoop);
        FPending.reset();
        DropStream();
        DropContext();
    }
    pa_threaded_mainloop_stop(FLoop);
    pa_threaded_mainloop_free(FLoop);
}

std::shared_ptr<IWaveSound> TPulseSoundServer::OpenWave(const QString& fileName) {
    if (fileName.isEmpty())
        return nullptr;
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(fileName).constData(), SFM_READ, &info);
    if (file == nullptr)
        return nullptr;
    auto wave = std::make_shared<TSndWave>(file, info);
    // The header may promise frames the file does not hold: one must decode.
    std::vector<short> frame(static_cast<size_t>(std::max(info.channels, 1)));
    if (info.channels <= 0 || sf_readf_short(file, frame.data(), 1) != 1 ||
        sf_seek(file, 0, SEEK_SET) != 0)
        return nullptr;
    return wave;
}

void TPulseSoundServer::Play(std::shared_ptr<IWaveSound> sound) {
    auto wave = std::static_pointer_cast<TSndWave>(std::move(sound));
    if (!wave)
        return;
    const pa_sample_spec spec = SpecOf(*wave);
    if (wave->Info.channels > static_cast<int>(PA_CHANNELS_MAX) || !pa_sample_spec_valid(&spec))
        return;
    if (FLoop == nullptr) {
        FLoop = pa_threaded_mainloop_new();
        if (FLoop == nullptr)
            return;
        if (pa_threaded_mainloop_start(FLoop) < 0) {
            pa_threaded_mainloop_free(FLoop);
            FLoop = nullptr;
            return;
        }
    }
    const TLoopLock lock(FLoop);
    DropStream();
    FPending = std::move(wave);
    if (Connect())
        StartPending();
}

void TPulseSoundServer::Stop() {
    if (FLoop == nullptr)
        return;
    const TLoopLock lock(FLoop);
    FPending.reset();
    DropStream();
}

void TPulseSoundServer::PlaySystemSound(TSystemSound sound) {
    if (sound == TSystemSound::SimpleBeep) {
        // The keyboard bell of the X display (nothing on other platforms).
        QApplication::beep();
        return;
    }
    const QString event = sound == TSystemSound::Standard ? QStringLiteral("bell")
                                                          : QStringLiteral("dialog-information");
    const QString file = SoundThemeFile(
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation), event);
    // No theme installed, or a file that does not decode: silence.
    Play(OpenWave(file));
}

bool TPulseSoundServer::Connect() {
    if (FContext != nullptr)
        return pa_context_get_state(FContext) == PA_CONTEXT_READY;
    FContext = pa_context_new(pa_threaded_mainloop_get_api(FLoop), "Snapvault");
    if (FContext == nullptr)
        return false;
    pa_context_set_state_callback(FContext, &TPulseSoundServer::OnContextState, this);
    // No daemon is started on our behalf: that would wait for it here. Without a server the
    // connection fails in the event thread, and the sound is silence.
    if (pa_context_connect(FContext, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        DropContext();
    return false;
}

void TPulseSoundServer::DropContext() {
    if (FContext == nullptr)
        return;
    pa_context_set_state_callback(FContext, nullptr, nullptr);
    pa_context_disconnect(FContext);
    pa_context_unref(FContext);
    FContext = nullptr;
}

void TPulseSoundServer::OnContextState(pa_context* context, void* self) {
    auto& server = *static_cast<TPulseSoundServer*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        server.StartPending();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        // The server is gone: its sound with it. The next sound connects anew.
        server.FPending.reset();
        server.DropStream();
        server.DropContext();
        break;
    default:
        break;
    }
}

void TPulseSoundServer::StartPending() {
    if (!FPending)
        return;
    std::shared_ptr<TSndWave> wave = std::move(FPending);
    if (sf_seek(wave->File, 0, SEEK_SET) != 0)
        return;
    const pa_sample_spec spec = SpecOf(*wave);
    FStream = pa_stream_new(FContext, "Feedback sound", &spec, nullptr);
    if (FStream == nullptr)
        return;
    FPlaying = std::move(wave);
    pa_stream_set_state_callback(FStream, &TPulseSoundServer::OnStreamState, this);
    pa_stream_set_write_callback(FStream, &TPulseSoundServer::OnWritable, this);
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<uint32_t>(-1);
    buffer.tlength = static_cast<uint32_t>(pa_usec_to_bytes(BufferUsec, &spec));
    // The server's own start threshold: a sound shorter than it starts with the drain, which
    // follows its only write at once. Without one (0), PulseAudio acknowledges a drain only on
    // sinks that report their underruns, and a stream that is never acknowledged stays.
    buffer.prebuf = static_cast<uint32_t>(-1);
    buffer.minreq = static_cast<uint32_t>(-1);
    buffer.fragsize = static_cast<uint32_t>(-1);
    if (pa_stream_connect_playback(FStream, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr,
                                   nullptr) < 0)
        DropStream();
}

void TPulseSoundServer::DropStream() {
    FPlaying.reset();
    if (FStream == nullptr)
        return;
    pa_stream* stream = std::exchange(FStream, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    if (pa_stream_get_state(stream) == PA_STREAM_CREATING) {
        // The server has not answered yet, and a stream cannot be disconnected before it has:
        // it would come alive later with nobody to close it, and stay until we exit. It goes
        // as soon as the answer comes.
        pa_stream_set_state_callback(stream, &TPulseSoundServer::ReleaseWhenSettled, nullptr);
        return;
    }
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    // Takes the stream off the sink at once, whatever it still holds; cancels its drain.
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
}

void TPulseSoundServer::ReleaseWhenSettled(pa_stream* stream, void*) {
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_CREATING || state == PA_STREAM_UNCONNECTED)
        return;
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    if (state == PA_STREAM_READY)
        pa_stream_disconnect(stream);
    pa_stream_unref(stream);
}

void TPulseSoundServer::OnStreamState(pa_stream* stream, void* self) {
    auto& server = *static_cast<TPulseSoundServer*>(self);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (stream == server.FStream && (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED))
        server.DropStream(); // a device that fails is silence
}

void TPulseSoundServer::OnWritable(pa_stream* stream, std::size_t bytes, void* self) {
    auto& server = *static_cast<TPulseSoundServer*>(self);
    if (stream == server.FStream)
        server.Feed(bytes);
}

void TPulseSoundServer::Feed(std::size_t bytes) {
    const std::size_t frameBytes =
        sizeof(short) * static_cast<std::size_t>(FPlaying->Info.channels);
    while (bytes >= frameBytes) {
        void* buffer = nullptr;
        std::size_t size = bytes;
        if (pa_stream_begin_write(FStream, &buffer, &size) < 0 || buffer == nullptr) {
            DropStream();
            return;
        }
        size = std::min(size, bytes) / frameBytes * frameBytes;
        const sf_count_t frames = sf_readf_short(FPlaying->File, static_cast<short*>(buffer),
                                                 static_cast<sf_count_t>(size / frameBytes));
        if (frames <= 0) {
            pa_stream_cancel_write(FStream);
            // All handed over. Closing a stream drops what it has not played yet, so it goes
            // only once it has played out (or when a stop or a newer sound comes first).
            pa_stream_set_write_callback(FStream, nullptr, nullptr);
            if (pa_operation* drain = pa_stream_drain(FStream, &TPulseSoundServer::OnDrained, this))
                pa_operation_unref(drain);
            else
                DropStream();
            return;
        }
        const std::size_t taken = static_cast<std::size_t>(frames) * frameBytes;
        if (pa_stream_write(FStream, buffer, taken, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
            DropStream();
            return;
        }
        bytes -= taken;
    }
}

void TPulseSoundServer::OnDrained(pa_stream* stream, int, void* self) {
    auto& server = *static_cast<TPulseSoundServer*>(self);
    if (stream == server.FStream)
        server.DropStream();
}

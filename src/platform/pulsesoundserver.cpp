#include "platform/pulsesoundserver.h"

#include <QApplication>
#include <QFile>

#include <canberra.h>
#include <pulse/simple.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

// A wave file held open by libsndfile; the player thread reads it from the start each time.
class TSndWave : public IWaveSound {
public:
    TSndWave(SNDFILE* file, const SF_INFO& info) : File(file), Info(info) {}
    ~TSndWave() override { sf_close(File); }
    TSndWave(const TSndWave&) = delete;
    TSndWave& operator=(const TSndWave&) = delete;

    SNDFILE* File;
    SF_INFO Info;
};

struct TSimpleStreamDeleter {
    void operator()(pa_simple* stream) const { pa_simple_free(stream); }
};
using TSimpleStream = std::unique_ptr<pa_simple, TSimpleStreamDeleter>;

constexpr sf_count_t ChunkFrames = 1024;
// A small target buffer keeps the sound close to the event it marks and lets a newer sound cut
// in quickly.
constexpr pa_usec_t BufferUsec = 100'000;
// Below this the stream counts as played out.
constexpr pa_usec_t PlayedOutUsec = 2'000;
// A server that stops reporting progress is not waited on longer than this past the sound.
constexpr auto DrainGrace = std::chrono::seconds(3);

} // namespace

void TPulseSoundServer::TCanberraDeleter::operator()(ca_context* context) const {
    ca_context_destroy(context);
}

TPulseSoundServer::TPulseSoundServer() = default;

TPulseSoundServer::~TPulseSoundServer() {
    {
        const std::lock_guard lock(FLock);
        FQuit = true;
        ++FGeneration;
        FPending.reset();
    }
    FWake.notify_all();
    if (FPlayer.joinable())
        FPlayer.join();
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
    if (info.channels <= 0 || info.frames <= 0 || sf_readf_short(file, frame.data(), 1) != 1 ||
        sf_seek(file, 0, SEEK_SET) != 0)
        return nullptr;
    return wave;
}

void TPulseSoundServer::Play(std::shared_ptr<IWaveSound> sound) {
    if (!sound)
        return;
    {
        const std::lock_guard lock(FLock);
        ++FGeneration;
        FPending = std::move(sound);
        if (!FPlayer.joinable())
            FPlayer = std::thread(&TPulseSoundServer::PlayerLoop, this);
    }
    FWake.notify_all();
}

void TPulseSoundServer::Stop() {
    {
        const std::lock_guard lock(FLock);
        ++FGeneration;
        FPending.reset();
    }
    FWake.notify_all();
}

void TPulseSoundServer::PlaySystemSound(TSystemSound sound) {
    if (sound == TSystemSound::SimpleBeep) {
        // The keyboard bell of the X display (nothing on other platforms).
        QApplication::beep();
        return;
    }
    if (!FCanberra) {
        ca_context* context = nullptr;
        if (ca_context_create(&context) != CA_SUCCESS)
            return;
        FCanberra.reset(context);
        ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Snapvault", nullptr);
    }
    // Results are not looked at: without a server libcanberra reports nothing reliable, and a
    // sound that cannot be played is silence.
    const char* event = sound == TSystemSound::Standard ? "bell" : "dialog-information";
    ca_context_play(FCanberra.get(), 0, CA_PROP_EVENT_ID, event, nullptr);
}

void TPulseSoundServer::PlayerLoop() {
    std::unique_lock lock(FLock);
    for (;;) {
        FWake.wait(lock, [this] { return FQuit || FPending; });
        if (FQuit)
            return;
        std::shared_ptr<IWaveSound> sound = std::move(FPending);
        const std::uint64_t generation = FGeneration;
        lock.unlock();
        Stream(*sound, generation);
        sound.reset();
        lock.lock();
    }
}

bool TPulseSoundServer::Outdated(std::uint64_t generation) {
    const std::lock_guard lock(FLock);
    return generation != FGeneration;
}

void TPulseSoundServer::Stream(IWaveSound& sound, std::uint64_t generation) {
    auto& wave = static_cast<TSndWave&>(sound);
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_S16NE;
    spec.rate = static_cast<uint32_t>(wave.Info.samplerate);
    spec.channels = static_cast<uint8_t>(std::clamp(wave.Info.channels, 0, 255));
    if (wave.Info.channels > static_cast<int>(PA_CHANNELS_MAX) || !pa_sample_spec_valid(&spec) ||
        sf_seek(wave.File, 0, SEEK_SET) != 0)
        return;
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<uint32_t>(-1);
    buffer.tlength = static_cast<uint32_t>(pa_usec_to_bytes(BufferUsec, &spec));
    // Play from the first write on: a sound shorter than the buffer would otherwise wait for
    // a drain request before it starts.
    buffer.prebuf = 0;
    buffer.minreq = static_cast<uint32_t>(-1);
    buffer.fragsize = static_cast<uint32_t>(-1);
    int error = 0;
    TSimpleStream stream(pa_simple_new(nullptr, "Snapvault", PA_STREAM_PLAYBACK, nullptr,
                                       "Feedback sound", &spec, nullptr, &buffer, &error));
    if (!stream)
        return; // no server or no device: silence

    std::vector<short> samples(static_cast<size_t>(ChunkFrames * wave.Info.channels));
    for (;;) {
        if (Outdated(generation)) {
            pa_simple_flush(stream.get(), &error);
            return;
        }
        const sf_count_t frames = sf_readf_short(wave.File, samples.data(), ChunkFrames);
        if (frames <= 0)
            break;
        const size_t bytes = static_cast<size_t>(frames * wave.Info.channels) * sizeof(short);
        if (pa_simple_write(stream.get(), samples.data(), bytes, &error) < 0)
            return;
    }

    // Closing a stream drops what it has not played yet, so wait until it has played out; a
    // newer request cuts the wait short.
    const auto deadline = std::chrono::steady_clock::now() + DrainGrace +
                          std::chrono::microseconds(pa_simple_get_latency(stream.get(), &error));
    std::unique_lock lock(FLock);
    while (generation == FGeneration && std::chrono::steady_clock::now() < deadline) {
        lock.unlock();
        const pa_usec_t left = pa_simple_get_latency(stream.get(), &error);
        lock.lock();
        if (left == static_cast<pa_usec_t>(-1) || left < PlayedOutUsec)
            break;
        const auto step = std::chrono::microseconds(std::min<pa_usec_t>(left, 20'000));
        FWake.wait_for(lock, step, [&] { return generation != FGeneration; });
    }
    const bool cutOff = generation != FGeneration;
    lock.unlock();
    if (cutOff)
        pa_simple_flush(stream.get(), &error);
    else
        pa_simple_drain(stream.get(), &error);
}

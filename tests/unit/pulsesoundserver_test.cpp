#include "platform/sound/pulsesoundserver.h"
#include "privatesoundserver.h"
#include "testenvironment.h"
#include "testfiles.h"
#include "waituntil.h"
#include "wavefiles.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <memory>
#include <thread>

namespace {

QString ShippedSound(const char* name) {
    return QStringLiteral(SVX_RESOURCES "/") + QString::fromLatin1(name);
}

TEST(PulseSoundServer, OpensOnlyFilesThatDecodeToSamples) {
    QTemporaryDir folder;
    const auto write = [&folder](const char* name, const QByteArray& content) {
        const QString path = folder.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(WriteAll(path, content));
        return path;
    };
    const QStringList themeFolders =
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    const struct {
        QString File;
        bool Opens;
    } cases[] = {
        {ShippedSound("beep.wav"), true},
        {ShippedSound("click.wav"), true},
        {write("one-frame.wav", WaveFile(QByteArray(2, '\x40'))), true},
        {QString(), false},
        {folder.filePath(QStringLiteral("missing.wav")), false},
        {write("text.wav", "just some words, no sound at all"), false},
        {write("no-frames.wav", WaveFile({})), false},
        {write("cut-short.wav", WaveFile(QByteArray(4000, '\x40')).left(44)), false},
        // The system sounds: the sound theme's files, compressed.
        {SoundThemeFile(themeFolders, QStringLiteral("bell")), true},
        {SoundThemeFile(themeFolders, QStringLiteral("dialog-information")), true},
        {SoundThemeFile(themeFolders, QStringLiteral("no-such-event")), false},
    };
    TPulseSoundServer server;
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.File.toStdString());
        EXPECT_EQ(server.OpenWave(entry.File) != nullptr, entry.Opens);
    }
}

QString ToneFile(const QTemporaryDir& folder, int seconds) {
    const QString path = folder.filePath(QStringLiteral("tone.wav"));
    EXPECT_TRUE(WriteToneFile(path, seconds));
    return path;
}

TEST(PulseSoundServer, WaveAndSystemSoundsReachTheServer) {
    TPrivateSoundServer daemon;
    ASSERT_TRUE(daemon.Ok()) << daemon.Problem().toStdString();
    ASSERT_TRUE(daemon.StartRecording());
    const std::function<void(TPulseSoundServer&)> sounds[] = {
        // The click is shorter than the stream's buffer: it is heard only if its stream is
        // played out before it is closed.
        [](TPulseSoundServer& server) { server.Play(server.OpenWave(ShippedSound("click.wav"))); },
        [](TPulseSoundServer& server) { server.PlaySystemSound(TSystemSound::Standard); },
    };
    const TScopedSetting address("PULSE_SERVER", daemon.Address().toLocal8Bit());
    for (const auto& play : sounds) {
        TPulseSoundServer server;
        play(server);
        EXPECT_TRUE(daemon.WaitForSound(10000));
        // The rest of it, so the next sound is heard on its own.
        daemon.LoudFramesUntilQuiet(44100 / 4);
    }
}

TEST(PulseSoundServer, AStopCutsTheSoundOff) {
    TPrivateSoundServer daemon;
    ASSERT_TRUE(daemon.Ok()) << daemon.Problem().toStdString();
    ASSERT_TRUE(daemon.StartRecording());
    const TScopedSetting address("PULSE_SERVER", daemon.Address().toLocal8Bit());
    QTemporaryDir folder;
    TPulseSoundServer server;
    server.Play(server.OpenWave(ToneFile(folder, 3)));
    ASSERT_TRUE(daemon.WaitForSound(10000));
    server.Stop();
    // Counted in recorded audio, not in time: what the sink played after the sound was first
    // heard, up to a quarter second of silence.
    const qint64 loud = daemon.LoudFramesUntilQuiet(44100 / 4);
    RecordProperty("loud_ms_after_stop", int(loud * 1000 / 44100));
    EXPECT_GE(loud, 0);
    EXPECT_LT(loud, 44100 / 2) << "of a 3 s sound";
}

// A server that stalls in the middle of a sound holds up none of the player's calls, nor its
// end: each is made on a helper thread, and a generous wait tells a hang from a slow machine.
TEST(PulseSoundServer, AStalledServerHoldsNothingUp) {
    // No stream of the player is left on the server, and another program's sound still plays.
    const auto streamsGoneThenOthersPlay = [] {
        const QStringList quietThenPlay{"-c",
                                        "! pactl list short sink-inputs | grep -q . && paplay " +
                                            ShippedSound("click.wav")};
        return RunUntil([&] {
            TChildProcess sh;
            return sh.Start("sh", quietThenPlay) && sh.WaitForExit() == 0;
        });
    };
    const struct {
        const char* Name;
        std::function<bool(TPrivateSoundServer&, TPulseSoundServer&)> Stall;
        std::function<void(TPrivateSoundServer&)> Release;
    } cases[] = {
        {"daemon stopped",
         [](TPrivateSoundServer& d, TPulseSoundServer&) { return d.Freeze(true); },
         [](TPrivateSoundServer& d) { d.Freeze(false); }},
        {"sink suspended",
         [](TPrivateSoundServer& d, TPulseSoundServer&) { return d.SuspendSink(true); },
         [](TPrivateSoundServer& d) { d.SuspendSink(false); }},
        {"daemon gone", [](TPrivateSoundServer& d, TPulseSoundServer&) { return d.Vanish(); },
         [](TPrivateSoundServer&) {}},
        // Streams stopped before they are set up, or played out, go; then others still play.
        {"300 sounds",
         [&](TPrivateSoundServer&, TPulseSoundServer& player) {
             for (int i = 0; i < 300; ++i)
                 player.Play(player.OpenWave(ShippedSound("click.wav"))), player.Stop();
             return streamsGoneThenOthersPlay();
         },
         [](TPrivateSoundServer&) {}},
        // A sound that plays to its end lets its stream go without a stop.
        {"a sound played out",
         [&](TPrivateSoundServer&, TPulseSoundServer& player) {
             player.Play(player.OpenWave(ShippedSound("click.wav")));
             return streamsGoneThenOthersPlay();
         },
         [](TPrivateSoundServer&) {}},
    };
    QTemporaryDir folder;
    const QString tone = ToneFile(folder, 3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TPrivateSoundServer daemon;
        ASSERT_TRUE(daemon.Ok()) << daemon.Problem().toStdString();
        ASSERT_TRUE(daemon.StartRecording());
        const TScopedSetting address("PULSE_SERVER", daemon.Address().toLocal8Bit());
        auto server = std::make_unique<TPulseSoundServer>();
        server->Play(server->OpenWave(tone));
        ASSERT_TRUE(daemon.WaitForSound(10000));
        ASSERT_TRUE(c.Stall(daemon, *server));
        std::packaged_task<void()> calls([&server, &tone] {
            server->Play(server->OpenWave(tone));
            server->Stop();
            server->Play(server->OpenWave(ShippedSound("click.wav")));
            server->PlaySystemSound(TSystemSound::Information);
            server.reset();
        });
        std::future<void> done = calls.get_future();
        std::thread caller(std::move(calls));
        const bool returned = done.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
        EXPECT_TRUE(returned) << "the player waits for the stalled server";
        if (!returned)
            c.Release(daemon);
        caller.join();
    }
}

} // namespace

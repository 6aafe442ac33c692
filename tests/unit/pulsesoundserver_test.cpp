#include "platform/pulsesoundserver.h"
#include "privatesoundserver.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QString ShippedSound(const char* name) {
    return QStringLiteral(SVX_RESOURCES "/") + QString::fromLatin1(name);
}

// A wave file of 16-bit mono PCM at 44.1 kHz whose data chunk claims `samples`.
QByteArray WaveFile(const QByteArray& samples) {
    QByteArray wave;
    QDataStream out(&wave, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples.size());
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(44100) << quint32(88200) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples.size());
    return wave + samples;
}

QString WriteFile(const QTemporaryDir& folder, const char* name, const QByteArray& content) {
    QFile file(folder.filePath(QString::fromLatin1(name)));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return file.fileName();
}

TEST(PulseSoundServer, OpensOnlyFilesThatDecodeToSamples) {
    QTemporaryDir folder;
    const auto write = [&folder](const char* name, const QByteArray& content) {
        return WriteFile(folder, name, content);
    };
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
    };
    TPulseSoundServer server;
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.File.toStdString());
        EXPECT_EQ(server.OpenWave(entry.File) != nullptr, entry.Opens);
    }
}

TEST(PulseSoundServer, SamplesReachTheServerWhileTheCallerGoesOn) {
    TPrivateSoundServer daemon;
    ASSERT_TRUE(daemon.Ok()) << daemon.Problem().toStdString();
    ASSERT_TRUE(daemon.StartRecording());
    // Two seconds of a loud square wave.
    QTemporaryDir folder;
    QByteArray tone;
    for (int i = 0; i < 2 * 44100; ++i)
        tone.append((i / 50) % 2 != 0 ? "\x40\x1f" : "\xc0\xe0", 2);
    const QString longSound = WriteFile(folder, "long.wav", WaveFile(tone));

    const auto restore = qScopeGuard([] { qunsetenv("PULSE_SERVER"); });
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });

    for (const bool present : {false, true}) {
        SCOPED_TRACE(present ? "server present" : "no server");
        qputenv("PULSE_SERVER",
                (present ? daemon.Address() : daemon.MissingAddress()).toLocal8Bit());
        TPulseSoundServer server;
        // The click is shorter than the stream's buffer: it is heard only if its stream is
        // played out before it is closed.
        server.Play(server.OpenWave(ShippedSound("click.wav")));
        EXPECT_EQ(daemon.WaitForSound(present ? 10000 : 1000), present);

        // A long sound: the call returns at once, and the caller's event loop keeps turning
        // while it plays.
        const std::shared_ptr<IWaveSound> sound = server.OpenWave(longSound);
        ASSERT_TRUE(sound);
        QElapsedTimer call;
        call.start();
        server.Play(sound);
        EXPECT_LT(call.elapsed(), 50);
        sinceTick.start();
        ticker.start(5);
        QEventLoop playing;
        QTimer::singleShot(500, &playing, &QEventLoop::quit);
        playing.exec();
        ticker.stop();
        EXPECT_LT(longestGap, 100);
        longestGap = 0;
    }
}

} // namespace

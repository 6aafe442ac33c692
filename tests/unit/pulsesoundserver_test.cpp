#include "platform/pulsesoundserver.h"
#include "privatesoundserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QString ShippedSound(const char* name) {
    return QStringLiteral(SVX_RESOURCES "/") + QString::fromLatin1(name);
}

// A RIFF/WAVE header of 16-bit mono PCM whose data chunk claims `dataBytes`.
QByteArray WaveHeader(quint32 dataBytes) {
    QByteArray header("RIFF");
    const auto add32 = [&header](quint32 value) {
        for (int i = 0; i < 4; ++i)
            header.append(char(value >> (8 * i)));
    };
    const auto add16 = [&header](quint16 value) {
        header.append(char(value)).append(char(value >> 8));
    };
    add32(36 + dataBytes);
    header.append("WAVEfmt ");
    add32(16);
    add16(1);     // PCM
    add16(1);     // mono
    add32(44100); // frames per second
    add32(88200); // bytes per second
    add16(2);     // bytes per frame
    add16(16);    // bits per sample
    header.append("data");
    add32(dataBytes);
    return header;
}

// Puts the sound server address in force for the lifetime of the object.
class TServerAddress {
public:
    explicit TServerAddress(const QString& address) : FPrevious(qgetenv("PULSE_SERVER")) {
        qputenv("PULSE_SERVER", address.toLocal8Bit());
    }
    ~TServerAddress() {
        if (FPrevious.isNull())
            qunsetenv("PULSE_SERVER");
        else
            qputenv("PULSE_SERVER", FPrevious);
    }

private:
    QByteArray FPrevious;
};

TEST(PulseSoundServer, OpensOnlyFilesThatDecodeToSamples) {
    QTemporaryDir folder;
    const auto write = [&folder](const char* name, const QByteArray& content) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    };
    const struct {
        QString File;
        bool Opens;
    } cases[] = {
        {ShippedSound("beep.wav"), true},
        {ShippedSound("click.wav"), true},
        {write("one-frame.wav", WaveHeader(2) + QByteArray(2, '\x40')), true},
        {QString(), false},
        {folder.filePath(QStringLiteral("missing.wav")), false},
        {write("text.wav", "just some words, no sound at all"), false},
        {write("no-frames.wav", WaveHeader(0)), false},
        {write("cut-short.wav", WaveHeader(4000)), false},
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

    // The caller's event loop must keep turning while the sound plays. The click is shorter than
    // the stream's buffer: it must still be played out before its stream is closed.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });

    for (const bool present : {false, true}) {
        SCOPED_TRACE(present ? "server present" : "no server");
        const TServerAddress address(present ? daemon.Address() : daemon.MissingAddress());
        TPulseSoundServer server;
        const std::shared_ptr<IWaveSound> sound = server.OpenWave(ShippedSound("click.wav"));
        ASSERT_TRUE(sound);
        sinceTick.start();
        ticker.start(5);
        QElapsedTimer call;
        call.start();
        server.Play(sound);
        EXPECT_LT(call.elapsed(), 50);
        EXPECT_EQ(daemon.WaitForSound(present ? 10000 : 1000), present);
        ticker.stop();
        EXPECT_LT(longestGap, 100);
        longestGap = 0;
    }
}

} // namespace

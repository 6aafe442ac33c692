#pragma once

#include <QByteArray>
#include <QDataStream>
#include <QString>

#include "testfiles.h"

// A wave file of 16-bit mono PCM at 44.1 kHz whose data chunk claims `samples`.
inline QByteArray WaveFile(const QByteArray& samples) {
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

// Writes `seconds` of a loud square wave (no sample near silence) to `path`; false when it
// cannot.
inline bool WriteToneFile(const QString& path, int seconds) {
    QByteArray tone;
    for (int i = 0; i < seconds * 44100; ++i)
        tone.append((i / 50) % 2 != 0 ? "\x40\x1f" : "\xc0\xe0", 2);
    return WriteAll(path, WaveFile(tone));
}

#pragma once

#include <QObject>
#include <QString>
#include <memory>

class IWaveSound;

// The window's one wave player. It holds a current file name and at most one opened sound;
// opening always takes the name it holds at that moment and first closes the sound before,
// which cuts it off. Playing returns at once. Closed when its owner goes.
class TMediaPlayer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~TMediaPlayer() override;

    // The file that the next opening takes; empty until first set.
    QString FileName;

    // Closes the open sound, then opens FileName. False when the file cannot be played. An
    // empty name opens the player with nothing to play.
    bool Open();
    // Plays the open sound in the background. A sound that cannot be played is silence.
    void Play();
    // Stops and drops the open sound.
    void Close();
    bool IsOpen() const { return FOpen; }

private:
    bool FOpen = false;
    std::shared_ptr<IWaveSound> FSound;
};

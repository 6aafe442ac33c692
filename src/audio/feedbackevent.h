#pragma once

// The two moments of a save that can be marked by a sound.
enum class TFeedbackEvent {
    SaveStarted, // the image has passed the filters; its save thread is about to start
    SaveFinished // its save thread has finished, successfully or not
};

// Feedback sounds. The sound player is not there yet: these steps do nothing.
#include "ui/svxform.h"

void TSVXForm::PlayFeedbackSound(TFeedbackEvent) {}

void TSVXForm::AudioClick(QObject*) {}

void TSVXForm::ChBeepMode(QObject*) {}

void TSVXForm::ChBeep(QObject*) {}

void TSVXForm::TestBeep(QObject*) {}

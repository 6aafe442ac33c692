#include "ui/svxform.h"

#include <QCheckBox>
#include <QRadioButton>

// The two aspect-ratio modes mean something only while the aspect ratio is kept.
void TSVXForm::ARClick(QObject*) {
    const bool keepAspect = OptAR->isChecked();
    OptARExp->setEnabled(keepAspect);
    OptARShr->setEnabled(keepAspect);
}

// The factory values put into the controls: all of them for a new installation, the JPEG page's
// for its reset. Every value goes through the control's ordinary setter, so the handlers run as
// they would for the user.
#include "platform/session/programinfo.h"
#include "settings/factoryvalues.h"
#include "ui/svxform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

void TSVXForm::ApplyFactoryDefaults() {
    const TFactoryValues factory;
    OptResizeTo->setCurrentIndex(factory.OptResizeTo);
    OptMinImageSize->setCurrentIndex(factory.OptMinImageSize);
    OptActivate->setChecked(factory.OptActivate);
    OptMinToSysT->setChecked(factory.OptMinToSysT);
    OptStartMinimized->setChecked(factory.OptStartMinimized);
    OptAutoStart->setChecked(factory.OptAutoStart);
    OptBeep1->setChecked(factory.OptBeep1);
    OptBeep2->setChecked(factory.OptBeep2);
    BeepStd->setChecked(factory.BeepStd);
    Beep1FileName->setText(factory.Beep1FileName);
    Beep2FileName->setText(factory.Beep2FileName);
    JpgOut->setChecked(factory.JpgOut);
    NameEdit->setText(factory.NameEdit);
    DigitsUD->SetPosition(factory.DigitsUD);
    OptDigitAuto->setChecked(factory.OptDigitAuto);
    OptDigitFrom->setText(factory.OptDigitFrom);
    OptDigitFrom->setEnabled(!factory.OptDigitAuto);
    OutputDirEdit->setText(DefaultOutputFolder());
    OptResizeUp->setChecked(factory.OptResizeUp);
    OptResizeDown->setChecked(factory.OptResizeDown);
    OptAR->setChecked(factory.OptAR);
    OptARExp->setChecked(factory.OptARExp);
    ThreadPriority->setValue(factory.ThreadPriority);
    JPEG24bit->setChecked(factory.Jpeg.JPEG24bit);
    JPEGGray->setChecked(factory.Jpeg.JPEGGray);
    JPEGProgressive->setChecked(factory.Jpeg.JPEGProgressive);
    JPEGQuality->setValue(factory.Jpeg.JPEGQuality);
}

void TSVXForm::RestoreJPEGsettings(QObject*) {
    const TFactoryJpegValues factory;
    JPEGQuality->setValue(factory.JPEGQuality);
    JPEGProgressive->setChecked(factory.JPEGProgressive);
    JPEGGray->setChecked(factory.JPEGGray);
    JPEG24bit->setChecked(factory.JPEG24bit);
    JPEG8bit->setChecked(!factory.JPEG24bit);
}

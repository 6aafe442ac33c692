// The options of a new installation, and the smaller reset of the JPEG page. Every value goes
// through the control's ordinary setter, so the handlers run as they would for the user.
#include "platform/programinfo.h"
#include "ui/svxform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

void TSVXForm::ApplyFactoryDefaults() {
    OptResizeTo->setCurrentIndex(4);     // 1024x768
    OptMinImageSize->setCurrentIndex(1); // 320 x 200
    OptActivate->setChecked(true);
    OptMinToSysT->setChecked(true);
    OptStartMinimized->setChecked(true);
    OptAutoStart->setChecked(true);
    OptBeep1->setChecked(false);
    OptBeep2->setChecked(true);
    BeepStd->setChecked(true);
    Beep1FileName->setText(QStringLiteral("beep.wav"));
    Beep2FileName->setText(QStringLiteral("click.wav"));
    JpgOut->setChecked(true);
    NameEdit->setText(QStringLiteral("SVX"));
    DigitsUD->SetPosition(4);
    OptDigitAuto->setChecked(true);
    OptDigitFrom->setText(QStringLiteral("0000"));
    OptDigitFrom->setEnabled(false);
    OutputDirEdit->setText(DefaultOutputFolder());
    OptResizeUp->setChecked(false);
    OptResizeDown->setChecked(false);
    OptAR->setChecked(false);
    OptARExp->setChecked(true);
    ThreadPriority->setValue(3);
    JPEG24bit->setChecked(true);
    JPEGGray->setChecked(false);
    JPEGProgressive->setChecked(true);
    JPEGQuality->setValue(100);
}

void TSVXForm::RestoreJPEGsettings(QObject*) {
    JPEGQuality->setValue(100);
    JPEGProgressive->setChecked(true);
    JPEGGray->setChecked(false);
    JPEG24bit->setChecked(true);
    JPEG8bit->setChecked(false);
}

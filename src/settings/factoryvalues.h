#pragma once

#include <QString>

// The JPEG page as the factory sets it; "Restore defaults" brings back these alone.
struct TFactoryJpegValues {
    bool JPEG24bit = true;
    bool JPEGGray = false;
    bool JPEGProgressive = true;
    int JPEGQuality = 100;
};

// The options of a new installation, named after the controls that hold them. Of each radio
// group only the button that starts checked is named. The output folder is the user's home
// (DefaultOutputFolder), which no constant can hold.
struct TFactoryValues {
    int OptResizeTo = 4;     // 1024x768
    int OptMinImageSize = 1; // 320 x 200
    bool OptActivate = true;
    bool OptMinToSysT = true;
    bool OptStartMinimized = true;
    bool OptAutoStart = true;
    bool OptBeep1 = false;
    bool OptBeep2 = true;
    bool BeepStd = true;
    QString Beep1FileName = QStringLiteral("beep.wav");
    QString Beep2FileName = QStringLiteral("click.wav");
    bool JpgOut = true;
    QString NameEdit = QStringLiteral("SVX");
    int DigitsUD = 4;
    bool OptDigitAuto = true;
    QString OptDigitFrom = QStringLiteral("0000");
    bool OptResizeUp = false;
    bool OptResizeDown = false;
    bool OptAR = false;
    bool OptARExp = true;
    int ThreadPriority = 3;
    TFactoryJpegValues Jpeg;
};

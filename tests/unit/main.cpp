#include "testenvironment.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

// The save thread hands its completion and its error boxes to the application's thread, so the
// logic tests run with an application object (offscreen, no display needed).
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    UseEnglishSystemTexts();
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

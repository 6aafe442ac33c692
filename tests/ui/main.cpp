// Widget tests need one application object for the whole run.
#include "testenvironment.h"

#include <QApplication>
#include <QScreen>
#include <cstdio>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // The widgets never need a real display, not even when the test list is queried. The
    // offscreen screen is 32 bits deep, which the sizes of saved bitmaps depend on.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    UseEnglishSystemTexts();
    QApplication application(argc, argv);
    if (QGuiApplication::primaryScreen()->depth() != 32) {
        std::fprintf(stderr, "ui_tests: the offscreen screen is not 32 bits deep\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}

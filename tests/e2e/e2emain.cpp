// The end-to-end tests drive the real program in X servers of their own. This process itself
// needs a QApplication only to build an offscreen twin of the window (to learn where its controls
// are), and must not touch the developer's home, runtime folder or display meanwhile.
#include "testenvironment.h"
#include "testfiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

namespace {

// The offscreen platform remarks on every message box built to measure it; nothing to act on.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("does not support propagateSizeHints")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);

    QTemporaryDir own(QDir::tempPath() + QStringLiteral("/snapvault-e2e-runner-XXXXXX"));
    if (!own.isValid()) {
        std::fprintf(stderr, "e2e_tests: no temporary folder: %s\n", qPrintable(own.errorString()));
        return 1;
    }
    const QDir root(own.path());
    root.mkpath(QStringLiteral("home/.config"));
    root.mkpath(QStringLiteral("runtime"));
    chmod(QFile::encodeName(root.filePath(QStringLiteral("runtime"))).constData(), 0700);
    qputenv("HOME", QFile::encodeName(root.filePath(QStringLiteral("home"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath(QStringLiteral("home/.config"))));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root.filePath(QStringLiteral("runtime"))));
    // The offscreen screen has the size of the test displays: message boxes size themselves by
    // the screen, and the tests compare the program's boxes with boxes built here.
    const QString screenConfig = root.filePath(QStringLiteral("offscreen.json"));
    if (!WriteAll(screenConfig, R"({"screens": [{"name": "e2e", "x": 0, "y": 0, "width": 1280,
                         "height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96,
                         "dpr": 1}]})")) {
        std::fprintf(stderr, "e2e_tests: cannot write %s\n", qPrintable(screenConfig));
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screenConfig));
    // The program under test runs in C.UTF-8; system texts the tests expect must match.
    UseEnglishSystemTexts();
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");

    qInstallMessageHandler(QuietMessages);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}

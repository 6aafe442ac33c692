// The end-to-end tests drive the real program in X servers of their own. This process itself
// needs a QApplication only to build an offscreen twin of the window (to learn where its controls
// are), and must not touch the developer's home, runtime folder or display meanwhile.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");

    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}

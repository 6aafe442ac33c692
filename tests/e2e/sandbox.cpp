#include "sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

// Settings that change how the program under test reports problems are passed through; nothing
// else of the test runner's environment is.
const char* const PassedThrough[] = {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"};

} // namespace

TSandbox::TSandbox(const QString& display)
    : FRoot(QDir::tempPath() + QStringLiteral("/snapvault-e2e-XXXXXX")),
      FProgram(FRoot.path() + QStringLiteral("/bin/snapvault")) {
    if (!FRoot.isValid()) {
        FProblem = QStringLiteral("no temporary folder: ") + FRoot.errorString();
        return;
    }
    QDir root(FRoot.path());
    if (!root.mkpath(QStringLiteral("home/.config")) || !root.mkpath(QStringLiteral("bin")) ||
        !root.mkpath(QStringLiteral("runtime"))) {
        FProblem = QStringLiteral("cannot create the sandbox folders in ") + FRoot.path();
        return;
    }
    // The runtime folder must be private, or Qt and the instance lock refuse it.
    chmod(QFile::encodeName(RuntimeDir()).constData(), 0700);

    const QString program = QStringLiteral(SVX_BINARY);
    if (!QFile::copy(program, ProgramPath())) {
        FProblem = QStringLiteral("cannot copy %1 into the sandbox").arg(program);
        return;
    }
    for (const char* companion : {"Svx.hlp", "beep.wav", "click.wav"}) {
        const QString name = QString::fromLatin1(companion);
        const QString source = QFileInfo(program).dir().filePath(name);
        if (QFile::exists(source))
            QFile::copy(source, root.filePath(QStringLiteral("bin/") + name));
    }

    FEnvironment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    FEnvironment.insert(QStringLiteral("DISPLAY"), display);
    FEnvironment.insert(QStringLiteral("HOME"), Home());
    FEnvironment.insert(QStringLiteral("XDG_RUNTIME_DIR"), RuntimeDir());
    FEnvironment.insert(QStringLiteral("XDG_CONFIG_HOME"), Home() + QStringLiteral("/.config"));
    // The system's configuration folders (an installed Snapvault's among them) stay out too.
    FEnvironment.insert(QStringLiteral("XDG_CONFIG_DIRS"), FRoot.filePath(QStringLiteral("xdg")));
    FEnvironment.insert(QStringLiteral("XAUTHORITY"), Home() + QStringLiteral("/.Xauthority"));
    FEnvironment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    FEnvironment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    for (const char* name : PassedThrough) {
        if (qEnvironmentVariableIsSet(name))
            FEnvironment.insert(QString::fromLatin1(name), qEnvironmentVariable(name));
    }
    // A sanitized build reports what libdbus keeps until the process ends (Qt's platform
    // services talk to the session bus); that is the system library's, not the program's.
    const QString suppressions = FRoot.filePath(QStringLiteral("lsan.supp"));
    QFile suppressionFile(suppressions);
    if (suppressionFile.open(QIODevice::WriteOnly) &&
        suppressionFile.write("leak:libdbus-1.so\n") > 0) {
        const QString leakOptions = FEnvironment.value(QStringLiteral("LSAN_OPTIONS"));
        FEnvironment.insert(QStringLiteral("LSAN_OPTIONS"),
                            (leakOptions.isEmpty() ? QString() : leakOptions + QLatin1Char(':')) +
                                QStringLiteral("suppressions=") + suppressions);
    }
}

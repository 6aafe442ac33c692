#pragma once

#include "fakeplatform.h"
#include "ui/svxform.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// The help file as shipped with the program.
// (Not found from __FILE__: the compiler cache may make that relative to some build folder.)
inline QString ShippedHelpFile() {
    return QStringLiteral(SVX_RESOURCE_DIR "/Svx.hlp");
}

// A main window built against the fake platform services, working in a folder of its own that
// holds a copy of the help file. The fakes outlive the window.
class TFormUnderTest {
public:
    enum class TStart {
        // A second instance: start-up ends at the single-instance check, so every control
        // still holds the value the window was built with.
        AsSecondInstance,
        // The first instance, with the whole start-up sequence.
        AsFirstInstance
    };

    // `prepare` sets the fakes up before the window is built with the program's `arguments`.
    explicit TFormUnderTest(TStart start,
                            const std::function<void(TFakePlatform&)>& prepare = nullptr,
                            const QStringList& arguments = {})
        : FPreviousFolder(QDir::currentPath()), FPreviousConfig(qgetenv("XDG_CONFIG_HOME")) {
        // Nothing the window does may reach the user's own configuration.
        qputenv("XDG_CONFIG_HOME", FFolder.filePath(QStringLiteral("config")).toLocal8Bit());
        QFile::copy(ShippedHelpFile(), FFolder.filePath(QStringLiteral("Svx.hlp")));
        Platform.Instance.OtherRunning = start == TStart::AsSecondInstance;
        if (prepare)
            prepare(Platform);
        Form = std::make_unique<TSVXForm>(arguments);
        // Start-up moves to the program's folder; the test works in its own.
        QDir::setCurrent(FFolder.path());
    }

    ~TFormUnderTest() {
        Form.reset();
        QDir::setCurrent(FPreviousFolder);
        if (FPreviousConfig.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", FPreviousConfig);
    }

    TFormUnderTest(const TFormUnderTest&) = delete;
    TFormUnderTest& operator=(const TFormUnderTest&) = delete;

    QString Folder() const { return FFolder.path(); }

private:
    QTemporaryDir FFolder;
    QString FPreviousFolder;
    QByteArray FPreviousConfig;

public:
    TFakePlatform Platform;
    std::unique_ptr<TSVXForm> Form;
};

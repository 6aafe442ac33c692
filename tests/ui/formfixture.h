#pragma once

#include "fakeplatform.h"
#include "platform/session/programinfo.h"
#include "testenvironment.h"
#include "testfiles.h"
#include "ui/svxform.h"

#include <QComboBox>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <optional>

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
        // The first instance, with the whole start-up sequence, reading stored settings that
        // hold the values the window is built with (lists: their first entries).
        AsFirstInstance,
        // The first instance of a new installation: no settings, the factory values.
        AsFirstRun
    };

    // `prepare` sets the fakes up before the window is built with the program's `arguments`.
    explicit TFormUnderTest(TStart start,
                            const std::function<void(TFakePlatform&)>& prepare = nullptr,
                            const QStringList& arguments = {})
        : FPreviousFolder(QDir::currentPath()) {
        QFile::copy(ShippedHelpFile(), FFolder.filePath(QStringLiteral("Svx.hlp")));
        if (start == TStart::AsFirstInstance)
            StoreSettings(ResourceSettings());
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
    }

    TFormUnderTest(const TFormUnderTest&) = delete;
    TFormUnderTest& operator=(const TFormUnderTest&) = delete;

    QString Folder() const { return FFolder.path(); }

    // Ends the window (its shutdown runs), puts `settings` in place of whatever it stored (no
    // file when nothing), and starts a new first instance.
    void Restart(const std::optional<QByteArray>& settings) {
        Form.reset();
        Platform.Boxes.Shown.clear();
        if (settings)
            StoreSettings(*settings);
        else
            QFile::remove(SettingsFilePath());
        Platform.Instance.OtherRunning = false;
        Form = std::make_unique<TSVXForm>(QStringList{});
        QDir::setCurrent(FFolder.path());
    }

    // The settings a window built with its resource values stores.
    QByteArray ResourceSettings() {
        Platform.Instance.OtherRunning = true;
        TSVXForm window{QStringList{}};
        window.VersionText = ProgramVersion();
        window.OptResizeTo->setCurrentIndex(0);
        window.OptMinImageSize->setCurrentIndex(0);
        const QByteArray bytes = window.SettingsBytes();
        Platform.Boxes.Shown.clear(); // its "already running" box belongs to no test
        return bytes;
    }

    static void StoreSettings(const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(SettingsFilePath()).absolutePath());
        WriteAll(SettingsFilePath(), bytes);
    }

private:
    QTemporaryDir FFolder;
    QString FPreviousFolder;
    // Nothing the window does may reach the user's own configuration.
    TScopedSetting FConfigHome{"XDG_CONFIG_HOME",
                               FFolder.filePath(QStringLiteral("config")).toLocal8Bit()};

public:
    TFakePlatform Platform;
    std::unique_ptr<TSVXForm> Form;
};

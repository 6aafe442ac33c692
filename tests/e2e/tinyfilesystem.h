#pragma once

#include "toolrun.h"

#include <QDir>
#include <QProcessEnvironment>
#include <QString>

// A file system of 64 KiB mounted for one test; unmounted at the end.
class TTinyFileSystem {
public:
    TTinyFileSystem(const QString& folder, const QProcessEnvironment& environment)
        : FFolder(folder), FEnvironment(environment) {
        QDir().mkpath(folder);
        FMounted = RunTool(QStringLiteral("mount"),
                           {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                            QStringLiteral("size=64k"), QStringLiteral("tmpfs"), folder},
                           environment)
                       .Ok();
    }
    ~TTinyFileSystem() {
        if (!FMounted)
            return;
        // Lazily if still busy: the program under test may not have ended yet.
        if (!RunTool(QStringLiteral("umount"), {FFolder}, FEnvironment).Ok())
            RunTool(QStringLiteral("umount"), {QStringLiteral("-l"), FFolder}, FEnvironment);
    }
    TTinyFileSystem(const TTinyFileSystem&) = delete;
    TTinyFileSystem& operator=(const TTinyFileSystem&) = delete;

    bool Mounted() const { return FMounted; }

private:
    QString FFolder;
    QProcessEnvironment FEnvironment;
    bool FMounted = false;
};

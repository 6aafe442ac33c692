#pragma once

#include "platform/session/autostart.h"

#include <QStringList>

// The freedesktop.org autostart entry $XDG_CONFIG_HOME/autostart/SVX.desktop, and the folder
// Fennmoor/Snapvault/<version>/ in $XDG_CONFIG_HOME or one of $XDG_CONFIG_DIRS.
class TXdgAutoStart : public IAutoStart {
public:
    QString SetEntry(bool enable, const QString& programPath) override;
    bool InstallationPresent(const QString& version) override;

    static QString EntryPath();
    // The folders searched for the installation marker, most important first.
    static QStringList ConfigFolders();
};

// The desktop entry that starts `programPath`: Exec holds the path in double quotes, escaped by
// the desktop-entry rules; TryExec lets a session skip it once the program is gone.
QString AutoStartEntryText(const QString& programPath);

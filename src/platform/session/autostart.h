#pragma once

#include <QString>

// Start at login and the per-version installation marker, as the desktop keeps them.
class IAutoStart {
public:
    virtual ~IAutoStart() = default;
    // Writes (enable) or removes the login entry that starts `programPath`. A missing entry is
    // no error. Returns what went wrong, or an empty text when it is done.
    virtual QString SetEntry(bool enable, const QString& programPath) = 0;
    // Whether the installation of this version is registered (only tested, never made here).
    virtual bool InstallationPresent(const QString& version) = 0;
};

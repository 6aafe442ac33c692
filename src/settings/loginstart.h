#pragma once

#include <QString>

// Start at login: the desktop's entry that starts this program when the user logs in, offered
// only where this version is installed.

// Writes (enable) or removes the entry for this program. When that fails the user is told, and
// the caller (a click, the start-up, the shutdown) goes on.
void SetStartAtLogin(bool enable);

// Whether the installation of the version `versionText` is registered.
bool StartAtLoginOffered(const QString& versionText);

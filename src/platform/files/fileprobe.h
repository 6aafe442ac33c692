#pragma once

#include <QString>
#include <functional>

// Whether a directory entry (file or folder) matches the path's last component, where `*` and
// `?` in that component are wildcards and everything else is literal.
bool FileProbe(const QString& path);

// The same wildcard rule on one name, for names that are not on disk yet.
bool WildcardMatch(const QString& pattern, const QString& name);

// Hands the name of every entry of a folder to `visit`, as the system spells it, until it returns
// false: files, folders and links alike, whether or not a link's target exists. False when the
// folder cannot be read.
bool ForEachFolderEntry(const QString& folder, const std::function<bool(const char*)>& visit);
